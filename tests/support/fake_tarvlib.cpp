#include "tests/support/fake_tarvlib.h"

#include <cstring>

#include "host/tarvlib.h"
#include "stand_in/strip_lf.h"

namespace testing_support {

FakeHostLibrary& FakeHost() {
  static FakeHostLibrary fake;
  return fake;
}

}  // namespace testing_support

extern "C" int GetRegistryString(char* section, char* entry, char* out) {
  auto& fake = testing_support::FakeHost();
  fake.calls.push_back(std::string("GetRegistryString(") + section + "," + entry + ")");
  if (!fake.downloadDirectory) {
    return 0;
  }
  // Writes exactly what the test put there, however long, as a careless host would.
  std::memcpy(out, fake.downloadDirectory->c_str(),
              fake.downloadDirectory->size() + (fake.terminateSetting ? 1 : 0));
  return 1;
}

extern "C" int StripLF(char* text) {
  testing_support::FakeHost().calls.push_back(std::string("StripLF(") + text + ")");
  stand_in::StripLineEnds(text);
  return 0;
}
