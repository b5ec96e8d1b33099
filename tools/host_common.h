// What the Linux and Windows reference hosts share: their command line, their exit statuses and
// how they print the module's outputs.
#pragma once

#include <cstdio>
#include <string>

namespace reference_host {

// Host exit statuses, one per result of _StartAssist, then the host's own failures.
inline constexpr int kExitFound = 0;
inline constexpr int kExitNotFound = 1;
inline constexpr int kExitDialogError = 2;
inline constexpr int kExitCannotOpen = 3;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitNoModule = 69;

inline int ExitFor(int result) {
  switch (result) {
    case 1:
      return kExitFound;
    case 0:
      return kExitNotFound;
    case -1:
      return kExitDialogError;
    default:
      return kExitCannotOpen;
  }
}

// Shows control characters as \r, \n or \xNN so that every output reads on one line.
inline std::string Printable(const char* text) {
  std::string out;
  for (const char* p = text; *p != '\0'; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

struct Arguments {
  std::string modulePath;
  bool setup = false;
  const char* fileName = nullptr;
};

// Reads `[--module PATH] FILE-NAME` or `[--module PATH] --setup`. Returns -1 to go on, otherwise
// the exit status (0 after --help, kExitUsage after a usage error, with the help printed).
inline int ParseArguments(int argc, char** argv, const char* help, Arguments& arguments) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(help, stdout);
      return 0;
    }
    if (arg == "--module" && i + 1 < argc) {
      arguments.modulePath = argv[++i];
    } else if (arg == "--setup") {
      arguments.setup = true;
    } else if (arg.starts_with("--") || arguments.fileName != nullptr) {
      std::fprintf(stderr, "assist-host: unexpected argument '%s'\n%s", argv[i], help);
      return kExitUsage;
    } else {
      arguments.fileName = argv[i];
    }
  }
  if (arguments.setup == (arguments.fileName != nullptr)) {
    std::fputs(help, stderr);
    return kExitUsage;
  }
  return -1;
}

}  // namespace reference_host
