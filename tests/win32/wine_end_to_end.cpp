// End-to-end tests of the Windows module with the real window system (run under Wine by CTest).
// This program plays the host: it opens a top-level window as the owner, loads catassist.dll by
// its file name and finds the entry points by their exported names. A second thread plays the
// user: it finds each dialog and message box as it comes up (class #32770), reads it, and
// answers it as a person would, by typing a path into the file-name box and pressing a button.
//
// usage: catassist-e2e MODULE-DIR EXAMPLE-CATALOGUE [--host ASSIST-HOST-EXE] [--shots DIR]
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// The dialog's control identifiers and messages.
#include <commdlg.h>
#include <dlgs.h>
// The dialog's extended error codes.
#include <cderr.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using SetupFunction = int(__cdecl*)(HWND);
using StartFunction = int(__cdecl*)(HWND, char*, char*, char*, char*);

constexpr char kDialogTitle[] = "Load Library/catalogue File";
constexpr int kMessageTextId = 0xFFFF;  // the text of a message box
constexpr char kOwnerClass[] = "CatassistTestHostWindow";

// ---------------------------------------------------------------------------------------------
// What the user meets and does.

// One window the user met, as read from the screen.
struct Seen {
  std::string kind;     // "dialog" or "box"
  std::string caption;  // the window's title
  std::string text;     // a box's text; for the dialog, the folder it shows at first
  std::string buttons;  // a box's buttons: "OK", "Yes No"
  bool ownedByHost = false;
};

// What the user does with the next window.
struct Act {
  enum class Kind { Type, Cancel, Press } kind;
  std::string text;            // Type: the name typed into the file-name box
  int button = 0;              // Press: the button pressed in a message box
  const char* shot = nullptr;  // a file name: take a picture of the window before acting
};

Act Type(std::string name, const char* shot = nullptr) {
  return {Act::Kind::Type, std::move(name), 0, shot};
}
Act Cancel() {
  return {Act::Kind::Cancel, {}, 0, nullptr};
}
Act Press(int button, const char* shot = nullptr) {
  return {Act::Kind::Press, {}, button, shot};
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

// A folder as the dialog reports it: compared without case and without a trailing backslash.
std::string FolderKey(std::string folder) {
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) {
    folder.pop_back();
  }
  return Lower(folder);
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[2048] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

// Saves the screen area of `window` and of the host window behind it as a 24-bit BMP.
void TakePicture(HWND window, HWND host, const std::string& path) {
  RECT area{};
  RECT other{};
  ::GetWindowRect(window, &area);
  if (host != nullptr && ::GetWindowRect(host, &other)) {
    ::UnionRect(&area, &area, &other);
  }
  area.left = area.left < 0 ? 0 : area.left;
  area.top = area.top < 0 ? 0 : area.top;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) {
    return;
  }
  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
  ::GdiFlush();
  const DWORD stride = (static_cast<DWORD>(width) * 3U + 3U) & ~3U;
  const DWORD size = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof header + sizeof info.bmiHeader;
  header.bfSize = header.bfOffBits + size;
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&header, sizeof header, 1, file);
    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file);
    std::fwrite(bits, 1, size, file);
    std::fclose(file);
  }
  ::SelectObject(memory, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

// The user, on a thread of its own: answers the windows of process `process` with `acts`, in
// order, and writes down what each window showed. Windows beyond the script are closed the way
// that ends the call soonest (Cancel, OK or No), and written down too, so a test sees them.
class User {
 public:
  User(DWORD process, HWND host, std::vector<Act> acts, std::string shotDir)
      : process_(process), host_(host), acts_(std::move(acts)), shotDir_(std::move(shotDir)) {
    thread_ = ::CreateThread(nullptr, 0, &User::Run, this, 0, nullptr);
  }
  User(const User&) = delete;
  User& operator=(const User&) = delete;
  ~User() { Finish(); }

  // Stops the user once the call under test has returned, and hands over what it saw.
  const std::vector<Seen>& Finish() {
    stop_ = true;
    if (thread_ != nullptr) {
      ::WaitForSingleObject(thread_, INFINITE);
      ::CloseHandle(thread_);
      thread_ = nullptr;
    }
    return seen_;
  }

 private:
  static DWORD WINAPI Run(void* self) {
    static_cast<User*>(self)->Loop();
    return 0;
  }

  struct Search {
    User* user;
    HWND found;
  };

  static BOOL CALLBACK Consider(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == search->user->process_ && ::IsWindowVisible(window) &&
        ::IsWindowEnabled(window) && ClassOf(window) == "#32770" &&
        search->user->handled_.count(window) == 0) {
      search->found = window;
      return FALSE;
    }
    return TRUE;
  }

  HWND NextWindow() {
    Search search{this, nullptr};
    ::EnumWindows(&User::Consider, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  // The file-name box of the dialog: an edit control or a combo box, depending on the system.
  static HWND FileNameBox(HWND dialog) {
    for (const int id : {edt1, cmb13}) {
      if (const HWND box = ::GetDlgItem(dialog, id)) {
        return box;
      }
    }
    return nullptr;
  }

  static void Click(HWND window, int button) {
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, button)));
  }

  void Loop() {
    while (!stop_) {
      Unstick();
      const HWND window = NextWindow();
      if (window == nullptr) {
        ::Sleep(30);
        continue;
      }
      ::Sleep(200);  // as a person would, let it finish drawing before reading it
      handled_.insert(window);
      answered_.emplace_back(window, ::GetTickCount());
      Handle(window);
    }
  }

  // A window still waiting for the user 5 s after it was answered did not take the answer (a
  // button it does not have, say): it is written down as stuck and closed, so that the call ends
  // and the test fails instead of hanging.
  void Unstick() {
    for (auto& [window, when] : answered_) {
      if (::IsWindow(window) && ::IsWindowVisible(window) && ::IsWindowEnabled(window) &&
          ::GetTickCount() - when > 5000) {
        seen_.push_back({"stuck", TextOf(window), "", "", false});
        const bool isDialog = FileNameBox(window) != nullptr;
        Click(window, isDialog ? IDCANCEL : (::GetDlgItem(window, IDNO) ? IDNO : IDOK));
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        when = ::GetTickCount();
      }
    }
  }

  void Handle(HWND window) {
    Seen seen;
    seen.caption = TextOf(window);
    const HWND owner = ::GetWindow(window, GW_OWNER);
    seen.ownedByHost =
        owner != nullptr && (owner == host_ || (host_ == nullptr && ClassOf(owner) != "#32770"));
    const HWND nameBox = FileNameBox(window);
    const bool isDialog = nameBox != nullptr && seen.caption == kDialogTitle;
    seen.kind = isDialog ? "dialog" : "box";
    if (isDialog) {
      char folder[MAX_PATH] = {};
      DWORD_PTR ignored = 0;
      // Only this process's own dialog can be asked: the message carries a pointer.
      DWORD process = 0;
      ::GetWindowThreadProcessId(window, &process);
      if (process == ::GetCurrentProcessId()) {
        ::SendMessageTimeoutA(window, CDM_GETFOLDERPATH, sizeof folder,
                              reinterpret_cast<LPARAM>(folder), SMTO_BLOCK, 5000, &ignored);
      }
      seen.text = folder;
    } else {
      char text[2048] = {};
      ::GetDlgItemTextA(window, kMessageTextId, text, sizeof text);
      seen.text = text;
      for (const auto& [id, name] : {std::pair{IDOK, "OK"}, std::pair{IDYES, "Yes"},
                                     std::pair{IDNO, "No"}, std::pair{IDCANCEL, "Cancel"}}) {
        if (::GetDlgItem(window, id) != nullptr) {
          seen.buttons += seen.buttons.empty() ? name : std::string(" ") + name;
        }
      }
    }
    seen_.push_back(seen);

    const std::optional<Act> act =
        next_ < acts_.size() ? std::optional<Act>(acts_[next_++]) : std::nullopt;
    if (act && act->shot != nullptr && !shotDir_.empty()) {
      TakePicture(window, host_, shotDir_ + "\\" + act->shot);
    }
    if (!act) {
      Click(window, isDialog ? IDCANCEL : (::GetDlgItem(window, IDNO) ? IDNO : IDOK));
    } else if (act->kind == Act::Kind::Type && isDialog) {
      DWORD_PTR ignored = 0;
      ::SendMessageTimeoutA(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(act->text.c_str()),
                            SMTO_BLOCK, 5000, &ignored);
      Click(window, IDOK);
    } else if (act->kind == Act::Kind::Press && !isDialog) {
      Click(window, act->button);
    } else {
      Click(window, IDCANCEL);
    }
  }

  DWORD process_;
  HWND host_;
  std::vector<Act> acts_;
  std::string shotDir_;
  std::size_t next_ = 0;
  std::set<HWND> handled_;
  std::vector<std::pair<HWND, DWORD>> answered_;  // each window answered, and when
  std::vector<Seen> seen_;
  std::atomic<bool> stop_{false};
  HANDLE thread_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// A dialog result injected into the module: the system's dialog under Wine cannot be made to fail
// with an extended error (a typed path longer than its buffer crashes it instead), so for that
// path the module's import of the dialog is pointed at a stand-in that fails at once.

struct InjectedDialogState {
  DWORD error = 0;  // what CommDlgExtendedError reports after the failure
  int calls = 0;
  DWORD structSize = 0;
  HWND owner = nullptr;
  DWORD flags = 0;
  std::string filter;  // the whole list, zero bytes included, up to and with the empty text
  DWORD filterIndex = 0;
  bool customFilter = false;
  std::string initialDirectory;
  std::string defaultExtension;
  std::string title;
  DWORD fileNameCapacity = 0;
  std::string fileNameAtStart;
  bool hasTemplate = false;
  bool hasHook = false;
};

InjectedDialogState& InjectedDialog() {
  static InjectedDialogState state;
  return state;
}

BOOL WINAPI FakeGetOpenFileNameA(LPOPENFILENAMEA dialog) {
  InjectedDialogState& d = InjectedDialog();
  ++d.calls;
  d.structSize = dialog->lStructSize;
  d.owner = dialog->hwndOwner;
  d.flags = dialog->Flags;
  d.filter.clear();
  for (const char* p = dialog->lpstrFilter; p != nullptr; p += std::strlen(p) + 1) {
    d.filter.append(p, std::strlen(p) + 1);
    if (*p == '\0') {
      break;
    }
  }
  d.filterIndex = dialog->nFilterIndex;
  d.customFilter = dialog->lpstrCustomFilter != nullptr;
  d.initialDirectory = dialog->lpstrInitialDir != nullptr ? dialog->lpstrInitialDir : "";
  d.defaultExtension = dialog->lpstrDefExt != nullptr ? dialog->lpstrDefExt : "";
  d.title = dialog->lpstrTitle != nullptr ? dialog->lpstrTitle : "";
  d.fileNameCapacity = dialog->nMaxFile;
  d.fileNameAtStart = dialog->lpstrFile != nullptr ? dialog->lpstrFile : "";
  d.hasTemplate = (dialog->Flags & (OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE)) != 0 ||
                  dialog->lpTemplateName != nullptr;
  d.hasHook = (dialog->Flags & OFN_ENABLEHOOK) != 0 || dialog->lpfnHook != nullptr;
  if (d.error == FNERR_BUFFERTOOSMALL && dialog->lpstrFile != nullptr && dialog->nMaxFile >= 2) {
    // As the system does: the size the path would have needed, in the buffer's first two bytes.
    const WORD needed = 300;
    std::memcpy(dialog->lpstrFile, &needed, sizeof needed);
  }
  return FALSE;
}

DWORD WINAPI FakeCommDlgExtendedError() {
  return InjectedDialog().error;
}

// Points one imported function of a loaded module at a replacement, for this object's lifetime.
class ImportPatch {
 public:
  ImportPatch(HMODULE module, const char* dll, const char* function, void* replacement) {
    auto* const base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) {
      return;
    }
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name != 0; ++entry) {
      if (::lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) {
        continue;
      }
      const auto* names =
          reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
      for (; names->u1.AddressOfData != 0; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
          continue;
        }
        const auto* byName =
            reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
          slot_ = &slots->u1.Function;
        }
      }
    }
    if (slot_ != nullptr) {
      original_ = *slot_;
      Write(reinterpret_cast<ULONG_PTR>(replacement));
    }
  }
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;
  ~ImportPatch() {
    if (slot_ != nullptr) {
      Write(original_);
    }
  }
  bool Applied() const { return slot_ != nullptr; }

 private:
  void Write(ULONG_PTR value) {
    DWORD previous = 0;
    ::VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &previous);
    *slot_ = value;
    ::VirtualProtect(slot_, sizeof *slot_, previous, &previous);
  }
  decltype(IMAGE_THUNK_DATA::u1.Function)* slot_ = nullptr;
  decltype(IMAGE_THUNK_DATA::u1.Function) original_ = 0;
};

// ---------------------------------------------------------------------------------------------
// The host side.

class OwnerWindow {
 public:
  OwnerWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kOwnerClass;
    ::RegisterClassA(&windowClass);
    handle_ = ::CreateWindowExA(0, kOwnerClass, "Download Manager", WS_OVERLAPPEDWINDOW, 40, 40,
                                640, 480, nullptr, nullptr, windowClass.hInstance, nullptr);
    ::ShowWindow(handle_, SW_SHOWNORMAL);
    ::UpdateWindow(handle_);
  }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  ~OwnerWindow() { ::DestroyWindow(handle_); }
  HWND handle() const { return handle_; }

 private:
  HWND handle_ = nullptr;
};

class Module {
 public:
  explicit Module(const std::string& path)
      : handle_(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {}
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  ~Module() {
    if (handle_ != nullptr) {
      ::FreeLibrary(handle_);
    }
  }
  HMODULE handle() const { return handle_; }
  template <typename Function>
  Function Find(const char* name) const {
    return handle_ == nullptr ? nullptr
                              : reinterpret_cast<Function>(
                                    reinterpret_cast<void*>(::GetProcAddress(handle_, name)));
  }

 private:
  HMODULE handle_;
};

// A folder of fixtures, removed with everything in it at the end.
class WorkFolder {
 public:
  WorkFolder() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + "catassist-e2e-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(path_.c_str(), nullptr);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;
  ~WorkFolder() {
    for (auto it = files_.rbegin(); it != files_.rend(); ++it) {
      if (!::DeleteFileA(it->c_str())) {
        ::RemoveDirectoryA(it->c_str());
      }
    }
    ::RemoveDirectoryA(path_.c_str());
  }
  const std::string& path() const { return path_; }

  std::string Folder(const std::string& name) {
    const std::string full = path_ + "\\" + name;
    ::CreateDirectoryA(full.c_str(), nullptr);
    files_.push_back(full);
    return full;
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string full = path_ + "\\" + name;
    if (std::FILE* file = std::fopen(full.c_str(), "wb")) {
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::fclose(file);
    }
    files_.push_back(full);
    return full;
  }
  // A name to remove at the end, should a test create it.
  std::string Name(const std::string& name) {
    files_.push_back(path_ + "\\" + name);
    return files_.back();
  }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

std::string ReadWhole(const std::string& path) {
  std::string bytes;
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    char block[4096];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
      bytes.append(block, got);
    }
    std::fclose(file);
  }
  return bytes;
}

// A Unix path as Wine's drive Z: sees it; Windows paths pass unchanged.
std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') {
    path = "Z:" + path;
  }
  for (char& c : path) {
    c = c == '/' ? '\\' : c;
  }
  return path;
}

std::string Shown(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// The cases.

// A window the user should meet: caption, text ("" for a dialog: then `folder` is checked) and
// buttons; message boxes of the module are owned by the host's window.
struct Expect {
  std::string kind;
  std::string caption;
  std::string text;
  std::string buttons;
  bool ownedByHost = true;
};

Expect Dialog(std::string folder) {
  return {"dialog", kDialogTitle, std::move(folder), "", true};
}
Expect Box(std::string caption, std::string text, std::string buttons = "OK") {
  return {"box", std::move(caption), std::move(text), std::move(buttons), true};
}

struct Outputs {
  std::string title, keywords, abstract;
};

struct Case {
  std::string name;
  std::string fileName;
  std::optional<std::string> setting;  // the host's download directory; none: no setting
  std::string currentDirectory;
  std::vector<Act> acts;
  int result = 0;
  std::vector<Expect> windows;
  Outputs before;                // what the host passes in
  std::optional<Outputs> after;  // nullopt: the outputs stay as passed in
  std::string fileNameAfter;
  // Replaces the system's dialog by one that fails at once with this extended error (0: the
  // user cancelled), and checks the settings the module gave it.
  std::optional<DWORD> injectedError;
};

const char kUnknownFormat[] =
    "Unknown Format,Please contact technical support.Please include the name of the library "
    "file,the name of the file you were attempting to extract and which forum you obtained it "
    "from.";

std::string Question(const std::string& title) {
  return "Possible Title Found: \r********\r" + title +
         "\r********\rThis seems to be either a Catalog with only Title information \rOR the file "
         "name has been mentioned in a related abstract \rand requires further searching."
         "\rContinue Searching Catalog ?";
}

class Runner {
 public:
  Runner(HMODULE module, StartFunction start, const std::string& iniPath, std::string shots)
      : module_(module), start_(start), iniPath_(iniPath), shots_(std::move(shots)) {}

  bool Run(const Case& c) {
    failures_.clear();
    if (c.setting) {
      ::WritePrivateProfileStringA("Download Directorys", "Area One", c.setting->c_str(),
                                   iniPath_.c_str());
    } else {
      ::DeleteFileA(iniPath_.c_str());
    }
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, iniPath_.c_str());  // flush
    ::SetCurrentDirectoryA(c.currentDirectory.c_str());

    const OwnerWindow owner;
    const LONG_PTR procedureBefore = ::GetWindowLongPtrA(owner.handle(), GWLP_WNDPROC);
    std::vector<char> name(c.fileName.begin(), c.fileName.end());
    name.push_back('\0');
    std::vector<char> abstract(799, '\0');
    std::vector<char> keywords(198, '\0');
    std::vector<char> title(199, '\0');
    c.before.abstract.copy(abstract.data(), abstract.size() - 1);
    c.before.keywords.copy(keywords.data(), keywords.size() - 1);
    c.before.title.copy(title.data(), title.size() - 1);

    User user(::GetCurrentProcessId(), owner.handle(), c.acts, shots_);
    std::optional<ImportPatch> dialogPatch;
    std::optional<ImportPatch> errorPatch;
    if (c.injectedError) {
      InjectedDialog() = {};
      InjectedDialog().error = *c.injectedError;
      dialogPatch.emplace(module_, "comdlg32.dll", "GetOpenFileNameA",
                          reinterpret_cast<void*>(&FakeGetOpenFileNameA));
      errorPatch.emplace(module_, "comdlg32.dll", "CommDlgExtendedError",
                         reinterpret_cast<void*>(&FakeCommDlgExtendedError));
      Check(dialogPatch->Applied() && errorPatch->Applied(),
            "the module does not import the dialog from comdlg32.dll");
    }
    const int result =
        start_(owner.handle(), name.data(), abstract.data(), keywords.data(), title.data());
    dialogPatch.reset();
    errorPatch.reset();
    const std::vector<Seen>& seen = user.Finish();

    Check(result == c.result,
          "result " + std::to_string(result) + ", expected " + std::to_string(c.result));
    CheckWindows(seen, c.windows);
    const Outputs expected = c.after.value_or(c.before);
    CheckText("title", title.data(), expected.title);
    CheckText("keywords", keywords.data(), expected.keywords);
    CheckText("abstract", abstract.data(), expected.abstract);
    CheckText("file name", name.data(), c.fileNameAfter);
    Check(::GetWindowLongPtrA(owner.handle(), GWLP_WNDPROC) == procedureBefore,
          "the owner's window procedure changed");
    Check(::IsWindowEnabled(owner.handle()) != FALSE, "the owner was left disabled");
    if (c.injectedError) {
      CheckDialogSettings(owner.handle(), *c.setting);
    }
    return Report(c.name);
  }

  // The configuration entry point: one box, then 1.
  bool RunSetup(SetupFunction setup) {
    const OwnerWindow owner;
    User user(::GetCurrentProcessId(), owner.handle(), {Press(IDOK)}, shots_);
    const int result = setup(owner.handle());
    const std::vector<Seen>& seen = user.Finish();
    failures_.clear();
    Check(result == 1, "result " + std::to_string(result));
    CheckWindows(seen, {Box("Message", "No configuration is required for this assistant.")});
    return Report("setup says there is nothing to configure");
  }

  // The reference host program, run as a process of its own and operated from outside it.
  bool RunHost(const std::string& hostExe, const std::string& catalogue) {
    failures_.clear();
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ::CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::string command = "\"" + hostExe + "\" tideway.arj";
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process)) {
      Check(false, "cannot start " + hostExe);
      return Report("the reference host");
    }
    ::CloseHandle(writeEnd);
    std::string output;
    {
      User user(process.dwProcessId, nullptr, {Type(catalogue)}, shots_);
      char block[1024];
      DWORD got = 0;
      while (::ReadFile(readEnd, block, sizeof block, &got, nullptr) && got > 0) {
        output.append(block, got);
      }
      ::WaitForSingleObject(process.hProcess, 60000);
      const std::vector<Seen>& seen = user.Finish();
      CheckWindows(seen, {Dialog("")});
    }
    DWORD exitCode = 99;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(readEnd);
    Check(exitCode == 0, "exit status " + std::to_string(exitCode));
    for (const char* line : {"result: 1\r\n", "name: TIDEWAY.ARJ\r\n",
                             "title:    Tideway - tide tables for British ports\r\n",
                             "keywords:  TIDES SAILING TABLES\r\n"}) {
      Check(output.find(line) != std::string::npos,
            "no line '" + Shown(line) + "' in the output:\n" + output);
    }
    return Report("the reference host finds an entry through the real dialog");
  }

 private:
  void Check(bool ok, const std::string& failure) {
    if (!ok) {
      failures_.push_back(failure);
    }
  }
  void CheckText(const char* what, const std::string& got, const std::string& expected) {
    Check(got == expected,
          std::string(what) + " is \"" + Shown(got) + "\", expected \"" + Shown(expected) + "\"");
  }
  void CheckWindows(const std::vector<Seen>& seen, const std::vector<Expect>& expected) {
    for (std::size_t i = 0; i < seen.size() || i < expected.size(); ++i) {
      const std::string label = "window " + std::to_string(i + 1) + ": ";
      if (i >= seen.size()) {
        Check(false,
              label + "never came: " + expected[i].kind + " \"" + expected[i].caption + "\"");
        continue;
      }
      const Seen& s = seen[i];
      if (i >= expected.size()) {
        Check(false,
              label + "unexpected " + s.kind + " \"" + s.caption + "\": \"" + Shown(s.text) + "\"");
        continue;
      }
      const Expect& e = expected[i];
      Check(
          s.kind == e.kind && s.caption == e.caption,
          label + s.kind + " \"" + s.caption + "\", expected " + e.kind + " \"" + e.caption + "\"");
      if (e.kind == "dialog") {
        Check(e.text.empty() || FolderKey(s.text) == FolderKey(e.text),
              label + "the dialog starts in \"" + s.text + "\", expected \"" + e.text + "\"");
      } else if (e.ownedByHost) {  // the dialog's own prompts are worded by the system
        Check(s.text == e.text,
              label + "text \"" + Shown(s.text) + "\", expected \"" + Shown(e.text) + "\"");
        Check(s.buttons == e.buttons,
              label + "buttons \"" + s.buttons + "\", expected \"" + e.buttons + "\"");
      }
      Check(s.ownedByHost == e.ownedByHost,
            label + (e.ownedByHost ? "not owned by the host's window"
                                   : "owned by the host's window, expected the dialog"));
    }
  }
  bool Report(const std::string& name) {
    std::printf("[%s] %s\n", failures_.empty() ? "  OK  " : " FAIL ", name.c_str());
    for (const std::string& failure : failures_) {
      std::printf("         %s\n", failure.c_str());
    }
    std::fflush(stdout);
    return failures_.empty();
  }

  // What the system's dialog was given, field by field.
  void CheckDialogSettings(HWND owner, const std::string& directory) {
    const InjectedDialogState& d = InjectedDialog();
    Check(d.calls == 1, "the dialog ran " + std::to_string(d.calls) + " times");
    Check(d.structSize == sizeof(OPENFILENAMEA), "lStructSize " + std::to_string(d.structSize));
    Check(d.owner == owner, "the dialog's owner is not the host's window");
    Check(d.flags == 0x82004, "flags " + std::to_string(d.flags));
    constexpr char kFilters[] =
        "Catalog Files (*.CAT)\0*.CAT\0Recent Uploads (*.NEW) \0*.NEW\0Summaries (*.SUM) "
        "\0*.SUM\0All Files (*.*) \0*.*\0Text (*.TXT) \0*.TXT\0";
    Check(d.filter == std::string(kFilters, sizeof kFilters),
          "filters \"" + Shown(d.filter) + "\"");
    Check(d.filterIndex == 1 && !d.customFilter, "filter index or custom filter");
    Check(d.initialDirectory == directory, "initial directory \"" + d.initialDirectory + "\"");
    Check(d.defaultExtension == "CAT", "default extension \"" + d.defaultExtension + "\"");
    Check(d.title == kDialogTitle, "title \"" + d.title + "\"");
    Check(d.fileNameCapacity == 260 && d.fileNameAtStart.empty(),
          "file name buffer of " + std::to_string(d.fileNameCapacity) + " bytes holding \"" +
              d.fileNameAtStart + "\"");
    Check(!d.hasTemplate && !d.hasHook, "a template or hook of the module's own");
  }

  HMODULE module_;
  StartFunction start_;
  std::string iniPath_;
  std::string shots_;
  std::vector<std::string> failures_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: catassist-e2e MODULE-DIR EXAMPLE-CATALOGUE [--host EXE] [--shots DIR]\n");
    return 64;
  }
  const std::string moduleDir = WindowsPath(argv[1]);
  const std::string example = ReadWhole(WindowsPath(argv[2]));
  std::string hostExe;
  std::string shots;
  std::string only;  // runs only the cases whose names hold this text
  for (int i = 3; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--host") == 0) {
      hostExe = WindowsPath(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--shots") == 0) {
      shots = WindowsPath(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--only") == 0) {
      only = argv[i + 1];
    }
  }
  if (example.empty()) {
    std::fprintf(stderr, "cannot read the example catalogue %s\n", argv[2]);
    return 66;
  }

  WorkFolder work;
  const std::string dir = work.path();
  const std::string library = work.Write("library.cat", example);
  const std::string elsewhere = work.Folder("elsewhere");
  work.Write("elsewhere\\library.cat", example);
  const std::string ini = work.Name("tarvlib.ini");
  ::SetEnvironmentVariableA("TARVLIB_INI", ini.c_str());

  const std::string damagedEntry = "NAME.ZIP\r\nBytes: 1 Count: 1\r\n\r\nno colon here\r\n";
  const std::string damaged =
      work.Write("damaged.cat", damagedEntry + damagedEntry + "x\r\n" + damagedEntry);
  const std::string guesses =
      work.Write("guesses.cat", "name.zip 1 2 3 First Guess\r\nsee name.zip for more\r\n" +
                                    damagedEntry + "NAME.ZIP 9 9 9 Second Guess\r\n");
  const std::string missing = work.Name("missing.cat");

  const Module module(moduleDir + "\\catassist.dll");
  const auto start = module.Find<StartFunction>("_StartAssist");
  const auto setup = module.Find<SetupFunction>("_SetupAssistant");
  if (start == nullptr || setup == nullptr) {
    std::fprintf(stderr, "cannot load %s\\catassist.dll or find its entry points (error %lu)\n",
                 moduleDir.c_str(), ::GetLastError());
    return 69;
  }

  const Outputs host{"host title", "host keywords", "host abstract"};
  const std::string morse = "Morse code trainer with adjustable speed and Farnsworth spacing";
  const std::vector<Case> cases = {
      {"spaced layout: STARCHRT.ZIP",
       "starchrt.zip",
       dir,
       dir,
       {Type(library, "open-dialog.bmp")},
       1,
       {Dialog(dir)},
       {},
       Outputs{
           "   Star Chart Printer for Dot-Matrix Printers", " ASTRONOMY STARS PRINTER CHART",
           "Prints a map of the night sky for any date, time and latitude on an Epson-compatible "
           "dot-matrix printer. Constellation lines and names are optional; the bright-star "
           "list holds 1,600 stars down to magnitude 5."},
       "STARCHRT.ZIP",
       std::nullopt},
      {"compact layout: TIDEWAY.ARJ",
       "TIDEWAY.ARJ",
       dir,
       dir,
       {Type(library)},
       1,
       {Dialog(dir)},
       {},
       Outputs{"   Tideway - tide tables for British ports", " TIDES SAILING TABLES",
               "Works out high and low water for forty ports from harmonic constants. Prints a "
               "month per page. Shareware, registration brings the Irish ports."},
       "TIDEWAY.ARJ",
       std::nullopt},
      {"headed layout: QUILTPAT.LZH",
       "QuiltPat.lzh",
       dir,
       dir,
       {Type(library)},
       1,
       {Dialog(dir)},
       {},
       Outputs{"Quilt Pattern Designer 2.1", "",
               "Lay out patchwork blocks on a grid, try colourways, and print templates at full "
               "size with seam allowances. Includes thirty traditional blocks."},
       "QUILTPAT.LZH",
       std::nullopt},
      {"title-only line: the guess answered No is taken",
       "MORSEKEY.ZIP",
       dir,
       dir,
       {Type(library), Press(IDNO, "title-question.bmp")},
       1,
       {Dialog(dir), Box("Question", Question(morse + "\r"), "Yes No")},
       {},
       Outputs{morse, "", ""},
       "MORSEKEY.ZIP",
       std::nullopt},
      {"title guess answered Yes, then No after an unrecognised entry",
       "name.zip",
       dir,
       dir,
       {Type(guesses), Press(IDYES), Press(IDOK), Press(IDNO)},
       1,
       {Dialog(dir), Box("Question", Question("First Guess\r"), "Yes No"),
        Box("Library Format Unknown", kUnknownFormat),
        Box("Question", Question("Second Guess\r"), "Yes No")},
       {"", "host keywords\r\n", ""},
       Outputs{"Second Guess", "host keywords", ""},
       "NAME.ZIP",
       std::nullopt},
      {"cancel: 0 and no message",
       "TIDEWAY.ARJ",
       dir,
       dir,
       {Cancel()},
       0,
       {Dialog(dir)},
       host,
       std::nullopt,
       "TIDEWAY.ARJ",
       std::nullopt},
      {"a missing file accepted through the create prompt: -2 and File Error",
       "TIDEWAY.ARJ",
       dir,
       dir,
       {Type(missing), Press(IDYES), Press(IDOK)},
       -2,
       {Dialog(dir), Expect{"box", kDialogTitle, "", "Yes No", false},
        Box("File Error", "Error opening library/catalogue file: " + missing + ".")},
       host,
       std::nullopt,
       "TIDEWAY.ARJ",
       std::nullopt},
      {"not found: Warning and 0",
       "NOSUCH.ZIP",
       dir,
       dir,
       {Type(library), Press(IDOK)},
       0,
       {Dialog(dir), Box("Warning", "Could not find named file in Library/Catalog")},
       host,
       std::nullopt,
       "NOSUCH.ZIP",
       std::nullopt},
      {"Library Format Unknown once per unrecognised mention",
       "name.zip",
       dir,
       dir,
       {Type(damaged), Press(IDOK), Press(IDOK), Press(IDOK), Press(IDOK)},
       0,
       {Dialog(dir), Box("Library Format Unknown", kUnknownFormat),
        Box("Library Format Unknown", kUnknownFormat),
        Box("Library Format Unknown", kUnknownFormat),
        Box("Warning", "Could not find named file in Library/Catalog")},
       host,
       std::nullopt,
       "NAME.ZIP",
       std::nullopt},
      {"no host setting: the dialog starts in the current directory",
       "TIDEWAY.ARJ",
       std::nullopt,
       elsewhere,
       {Type("library")},  // a bare name, in the folder shown, with the default extension
       1,
       {Dialog(elsewhere)},
       {},
       Outputs{"   Tideway - tide tables for British ports", " TIDES SAILING TABLES",
               "Works out high and low water for forty ports from harmonic constants. Prints a "
               "month per page. Shareware, registration brings the Irish ports."},
       "TIDEWAY.ARJ",
       std::nullopt},
      {"dialog failure (injected FNERR_BUFFERTOOSMALL): -1 and ERROR with the code",
       "TIDEWAY.ARJ",
       dir,
       dir,
       {Press(IDOK)},
       -1,
       {Box("ERROR", "Error #12291 occurred.")},
       host,
       std::nullopt,
       "TIDEWAY.ARJ",
       FNERR_BUFFERTOOSMALL},
      {"the dialog's settings as the system receives them (injected cancel)",
       "TIDEWAY.ARJ",
       dir,
       dir,
       {},
       0,
       {},
       host,
       std::nullopt,
       "TIDEWAY.ARJ",
       0},
      {"host setting: the dialog starts in the host's download directory",
       "TIDEWAY.ARJ",
       elsewhere,
       dir,
       {Cancel()},
       0,
       {Dialog(elsewhere)},
       host,
       std::nullopt,
       "TIDEWAY.ARJ",
       std::nullopt},
  };

  Runner runner(module.handle(), start, ini, shots);
  int failed = 0;
  for (const Case& c : cases) {
    if (c.name.find(only) != std::string::npos) {
      failed += runner.Run(c) ? 0 : 1;
    }
  }
  if (only.empty()) {
    failed += runner.RunSetup(setup) ? 0 : 1;
  }
  ::SetCurrentDirectoryA(dir.c_str());
  if (!hostExe.empty() && only.empty()) {
    ::WritePrivateProfileStringA("Download Directorys", "Area One", dir.c_str(), ini.c_str());
    failed += runner.RunHost(hostExe, library) ? 0 : 1;
  }
  std::printf("%d failed\n", failed);
  return failed == 0 ? 0 : 1;
}
