// A stand-in for the host's library on Windows, for the reference host and the tests. The real
// tarvlib.dll belongs to the download manager; this one only keeps its two promises and is never
// shipped with the module.
//
// GetRegistryString reads an INI file through the system's profile functions: the full path in
// the environment variable TARVLIB_INI, else tarvlib.ini in the folder of the running program.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstring>

#include "host/tarvlib.h"
#include "stand_in/strip_lf.h"

namespace {

constexpr DWORD kValueCapacity = 264;

// The INI file's full path, or false when it cannot be named. The profile functions would look
// for a bare name in the Windows folder, so the path is always made whole.
bool IniPath(char (&path)[MAX_PATH]) {
  const DWORD fromEnvironment = ::GetEnvironmentVariableA("TARVLIB_INI", path, sizeof path);
  if (fromEnvironment > 0 && fromEnvironment < sizeof path) {
    return true;
  }
  const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) {
    return false;
  }
  char* slash = std::strrchr(path, '\\');
  char* const name = slash != nullptr ? slash + 1 : path;
  constexpr char kName[] = "tarvlib.ini";
  if (static_cast<std::size_t>(name - path) + sizeof kName > sizeof path) {
    return false;
  }
  std::memcpy(name, kName, sizeof kName);
  return true;
}

}  // namespace

extern "C" int TARV_CALL GetRegistryString(char* section, char* entry, char* out) {
  char path[MAX_PATH];
  if (!IniPath(path)) {
    return 0;
  }
  char value[kValueCapacity] = {};
  // An absent entry and an empty one both leave nothing to start a dialog in.
  const DWORD length = ::GetPrivateProfileStringA(section, entry, "", value, sizeof value, path);
  if (length == 0) {
    return 0;
  }
  std::memcpy(out, value, length + 1);
  return 1;
}

extern "C" int TARV_CALL StripLF(char* text) {
  stand_in::StripLineEnds(text);
  return 0;
}
