// A stand-in for the host's library on Linux, for the reference host and the tests. The real
// library belongs to the download manager; this one only keeps its two promises.
//
// GetRegistryString reads an INI file: the path in TARVLIB_INI, else
// $HOME/.config/tarvlib/tarvlib.ini. Sections and entries match ignoring case, as the
// Windows profile functions do.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define TARVLIB_BUILDING
#include "host/tarvlib.h"
#include "stand_in/strip_lf.h"

namespace {

constexpr std::size_t kValueCapacity = 264;

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) {
    return {};
  }
  const std::size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool SameIgnoringCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
    if (fold(a[i]) != fold(b[i])) {
      return false;
    }
  }
  return true;
}

std::string IniPath() {
  if (const char* path = std::getenv("TARVLIB_INI"); path != nullptr && path[0] != '\0') {
    return path;
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config/tarvlib/tarvlib.ini";
}

}  // namespace

extern "C" TARV_API int TARV_CALL GetRegistryString(char* section, char* entry, char* out) {
  std::FILE* file = std::fopen(IniPath().c_str(), "r");
  if (file == nullptr) {
    return 0;
  }
  char raw[4096];
  bool inSection = false;
  int found = 0;
  while (found == 0 && std::fgets(raw, sizeof raw, file) != nullptr) {
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') {
      continue;
    }
    if (line.front() == '[' && line.back() == ']') {
      inSection = SameIgnoringCase(Trim(line.substr(1, line.size() - 2)), section);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inSection || equals == std::string::npos ||
        !SameIgnoringCase(Trim(line.substr(0, equals)), entry)) {
      continue;
    }
    const std::string value = Trim(line.substr(equals + 1));
    const std::size_t length = value.size() < kValueCapacity ? value.size() : kValueCapacity - 1;
    std::memcpy(out, value.data(), length);
    out[length] = '\0';
    found = 1;
  }
  std::fclose(file);
  return found;
}

extern "C" TARV_API int TARV_CALL StripLF(char* text) {
  stand_in::StripLineEnds(text);
  return 0;
}
