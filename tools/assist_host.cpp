// The reference host: plays the download manager. It loads the module at run time by its exported
// names, calls it as the host would, and prints what came back.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/host_common.h"

namespace {

using reference_host::Arguments;
using reference_host::ExitFor;
using reference_host::kExitNoModule;
using reference_host::ParseArguments;
using reference_host::Printable;

using SetupFunction = int (*)(void*);
using StartFunction = int (*)(void*, char*, char*, char*, char*);

constexpr char kModuleName[] = "libcatalog_assistant.so";

constexpr char kHelp[] =
    "usage: assist-host [--module PATH] FILE-NAME\n"
    "       assist-host [--module PATH] --setup\n"
    "\n"
    "Plays the download manager for the catalogue assistant module. It loads the module\n"
    "(default: libcatalog_assistant.so beside this program) and looks up _StartAssist and\n"
    "_SetupAssistant by name.\n"
    "\n"
    "With FILE-NAME it allocates the abstract, keywords and title buffers at their minimum\n"
    "sizes (799, 198 and 199 bytes, zero-filled), passes a writable copy of the name and calls\n"
    "_StartAssist. The module asks for a catalogue in its open-file dialog (on a terminal, or\n"
    "from standard input when that is not one). Then it prints the result code, the name as the\n"
    "module left it, and the three outputs; control characters are shown as \\r, \\n or \\xNN.\n"
    "With --setup it calls _SetupAssistant and prints its result.\n"
    "\n"
    "The host library (libtarvlib.so) reads the dialog's starting directory from the entry\n"
    "'Area One' of section [Download Directorys] in the INI file named by TARVLIB_INI\n"
    "(default: $HOME/.config/tarvlib/tarvlib.ini).\n"
    "\n"
    "Exit status: 0 result 1 (found), 1 result 0 (cancelled or not found), 2 result -1 (dialog\n"
    "error), 3 result -2 (catalogue cannot be opened), 64 usage error, 69 module not loaded.\n";

std::string BesideThisProgram(const char* name) {
  char self[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) {
    return name;
  }
  self[length] = '\0';
  std::string path(self);
  return path.substr(0, path.rfind('/') + 1) + name;
}

class Module {
 public:
  explicit Module(const std::string& path)
      : handle_(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  Module(Module&&) = delete;
  Module& operator=(Module&&) = delete;
  ~Module() {
    if (handle_ != nullptr) {
      ::dlclose(handle_);
    }
  }
  bool Loaded() const { return handle_ != nullptr; }
  void* Find(const char* name) const { return ::dlsym(handle_, name); }

 private:
  void* handle_;
};

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments{BesideThisProgram(kModuleName)};
  if (const int status = ParseArguments(argc, argv, kHelp, arguments); status >= 0) {
    return status;
  }
  const std::string& modulePath = arguments.modulePath;
  const char* const fileName = arguments.fileName;
  const bool setup = arguments.setup;

  const Module module(modulePath);
  if (!module.Loaded()) {
    std::fprintf(stderr, "assist-host: cannot load %s: %s\n", modulePath.c_str(), ::dlerror());
    return kExitNoModule;
  }
  // The host's own window does not exist on a terminal; the module only passes it on.
  void* const owner = nullptr;
  if (setup) {
    const auto setupAssistant = reinterpret_cast<SetupFunction>(module.Find("_SetupAssistant"));
    if (setupAssistant == nullptr) {
      std::fprintf(stderr, "assist-host: %s has no _SetupAssistant\n", modulePath.c_str());
      return kExitNoModule;
    }
    std::printf("result: %d\n", setupAssistant(owner));
    return 0;
  }
  const auto startAssist = reinterpret_cast<StartFunction>(module.Find("_StartAssist"));
  if (startAssist == nullptr) {
    std::fprintf(stderr, "assist-host: %s has no _StartAssist\n", modulePath.c_str());
    return kExitNoModule;
  }
  std::vector<char> name(fileName, fileName + std::strlen(fileName) + 1);
  std::vector<char> abstract(799, '\0');
  std::vector<char> keywords(198, '\0');
  std::vector<char> title(199, '\0');
  const int result =
      startAssist(owner, name.data(), abstract.data(), keywords.data(), title.data());
  std::printf("result: %d\nname: %s\ntitle: %s\nkeywords: %s\nabstract: %s\n", result,
              Printable(name.data()).c_str(), Printable(title.data()).c_str(),
              Printable(keywords.data()).c_str(), Printable(abstract.data()).c_str());
  return ExitFor(result);
}
