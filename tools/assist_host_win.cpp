// The reference host on Windows: plays the download manager. It opens a real top-level window to
// own the module's dialog and message boxes, loads the module at run time by its exported names,
// calls it as the host would, with buffers of the minimum sizes, and prints what came back.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

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

using SetupFunction = int(__cdecl*)(HWND);
using StartFunction = int(__cdecl*)(HWND, char*, char*, char*, char*);

constexpr char kModuleName[] = "catassist.dll";
constexpr char kWindowClass[] = "CatalogueAssistantReferenceHost";

constexpr int kExitNoWindow = 70;

constexpr char kHelp[] =
    "usage: assist-host [--module PATH] FILE-NAME\n"
    "       assist-host [--module PATH] --setup\n"
    "\n"
    "Plays the download manager for the catalogue assistant module. It opens a window of its\n"
    "own to own the module's dialog and message boxes, loads the module (default: catassist.dll\n"
    "beside this program, which finds tarvlib.dll beside itself) and looks up _StartAssist and\n"
    "_SetupAssistant by name.\n"
    "\n"
    "With FILE-NAME it allocates the abstract, keywords and title buffers at their minimum\n"
    "sizes (799, 198 and 199 bytes, zero-filled), passes a writable copy of the name and calls\n"
    "_StartAssist, which shows the open-file dialog. Then it prints the result code, the name as\n"
    "the module left it, and the three outputs; control characters are shown as \\r, \\n or\n"
    "\\xNN. With --setup it calls _SetupAssistant and prints its result.\n"
    "\n"
    "The stand-in tarvlib.dll reads the dialog's starting directory from the entry 'Area One'\n"
    "of section [Download Directorys] in the INI file named by TARVLIB_INI (a full path),\n"
    "else tarvlib.ini beside this program.\n"
    "\n"
    "Exit status: 0 result 1 (found), 1 result 0 (cancelled or not found), 2 result -1 (dialog\n"
    "error), 3 result -2 (catalogue cannot be opened), 64 usage error, 69 module not loaded,\n"
    "70 no window.\n";

std::string BesideThisProgram(const char* name) {
  char self[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(nullptr, self, sizeof self);
  if (length == 0 || length >= sizeof self) {
    return name;
  }
  std::string path(self, length);
  return path.substr(0, path.find_last_of("\\/") + 1) + name;
}

// The module, loaded so that the DLLs beside it (tarvlib.dll) are found before any others.
class Module {
 public:
  explicit Module(const std::string& path)
      : handle_(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {}
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  Module(Module&&) = delete;
  Module& operator=(Module&&) = delete;
  ~Module() {
    if (handle_ != nullptr) {
      ::FreeLibrary(handle_);
    }
  }
  bool Loaded() const { return handle_ != nullptr; }
  template <typename Function>
  Function Find(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(handle_, name)));
  }

 private:
  HMODULE handle_;
};

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    RECT area;
    ::GetClientRect(window, &area);
    constexpr char kText[] = "Download manager (reference host)";
    ::DrawTextA(dc, kText, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::EndPaint(window, &paint);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

// The host's main window: the owner of everything the module shows.
class HostWindow {
 public:
  HostWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    // The system's convention: a colour index plus one stands for its brush.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassA(&windowClass);
    handle_ = ::CreateWindowExA(0, kWindowClass, "Download Manager", WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 480, 320, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    if (handle_ != nullptr) {
      ::ShowWindow(handle_, SW_SHOWNORMAL);
      ::UpdateWindow(handle_);
    }
  }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HostWindow(HostWindow&&) = delete;
  HostWindow& operator=(HostWindow&&) = delete;
  ~HostWindow() {
    if (handle_ != nullptr) {
      ::DestroyWindow(handle_);
    }
    ::UnregisterClassA(kWindowClass, ::GetModuleHandleA(nullptr));
  }
  HWND handle() const { return handle_; }

 private:
  HWND handle_ = nullptr;
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
    std::fprintf(stderr, "assist-host: cannot load %s: error %lu\n", modulePath.c_str(),
                 ::GetLastError());
    return kExitNoModule;
  }
  const HostWindow window;
  if (window.handle() == nullptr) {
    std::fprintf(stderr, "assist-host: cannot create the host window: error %lu\n",
                 ::GetLastError());
    return kExitNoWindow;
  }
  if (setup) {
    const auto setupAssistant = module.Find<SetupFunction>("_SetupAssistant");
    if (setupAssistant == nullptr) {
      std::fprintf(stderr, "assist-host: %s has no _SetupAssistant\n", modulePath.c_str());
      return kExitNoModule;
    }
    std::printf("result: %d\n", setupAssistant(window.handle()));
    return 0;
  }
  const auto startAssist = module.Find<StartFunction>("_StartAssist");
  if (startAssist == nullptr) {
    std::fprintf(stderr, "assist-host: %s has no _StartAssist\n", modulePath.c_str());
    return kExitNoModule;
  }
  std::vector<char> name(fileName, fileName + std::strlen(fileName) + 1);
  std::vector<char> abstract(799, '\0');
  std::vector<char> keywords(198, '\0');
  std::vector<char> title(199, '\0');
  const int result =
      startAssist(window.handle(), name.data(), abstract.data(), keywords.data(), title.data());
  std::printf("result: %d\nname: %s\ntitle: %s\nkeywords: %s\nabstract: %s\n", result,
              Printable(name.data()).c_str(), Printable(title.data()).c_str(),
              Printable(keywords.data()).c_str(), Printable(abstract.data()).c_str());
  std::fflush(stdout);
  return ExitFor(result);
}
