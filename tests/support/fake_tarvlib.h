// The host's library as a test double: a setting to hand out and a log of the calls made to it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct FakeHostLibrary {
  std::optional<std::string> downloadDirectory;  // nullopt: the host has no such setting
  bool terminateSetting = true;    // false: the setting is written without its terminating zero
  std::vector<std::string> calls;  // "GetRegistryString(section,entry)", "StripLF(text)"
};

// The one fake the linked GetRegistryString and StripLF act on; each test resets it.
FakeHostLibrary& FakeHost();

}  // namespace testing_support
