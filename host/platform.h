// Every service the catalogue code and the assistant need from the operating system and the
// window system, as plain functions. One implementation per platform sits behind this header
// and is chosen at build time (host/posix, host/win32); nothing above host/ includes a system
// header of its own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace host {

// ---------------------------------------------------------------------------------------------
// Files: the catalogue is read-only, positioned by absolute 64-bit offsets.

struct File;  // opaque; one open, read-only catalogue file

// Opens an existing regular file for reading only; never creates, truncates or locks it against
// readers. Directories, devices, pipes and unreadable files fail. Returns nullptr on failure.
File* OpenFileForReading(const char* path);

// Closes a file from OpenFileForReading; nullptr is ignored.
void CloseFile(File* file);

// Reads up to `size` bytes starting at absolute `offset`. Returns the number of bytes stored
// (0 at or past the end of the file) or -1 on a read error. Short reads are allowed.
std::int64_t ReadFileAt(File* file, std::uint64_t offset, void* buffer, std::size_t size);

// The file's current size in bytes, or -1 if the system cannot tell.
std::int64_t FileSize(File* file);

// ---------------------------------------------------------------------------------------------
// Text services of the system.

// Compares two zero-terminated texts ignoring case, as the system does for file names
// (lstrcmpiA on Windows). Returns <0, 0 or >0.
int CompareTextIgnoreCase(const char* a, const char* b);

// Output capacity of FormatText, terminating zero included (wsprintfA's limit).
inline constexpr std::size_t kFormatCapacity = 1024;

// Formats with wsprintfA's rules: %s and %ld are the conversions this module uses; the output is
// cut to kFormatCapacity - 1 characters and always zero-terminated. Returns the length stored.
int FormatText(char (&out)[kFormatCapacity], const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Stores the process's current directory, zero-terminated, in `out` of `size` bytes. Returns
// false, leaving `out` as the empty text, when it does not fit or cannot be had.
bool CurrentDirectory(char* out, std::size_t size);

// ---------------------------------------------------------------------------------------------
// The window system: modal message boxes and the open-file dialog, owned by the host's window.

// The host's window, opaque to everything above host/ (an HWND on Windows).
using Window = void*;

// Message box styles and answers, with the window system's own values.
enum : unsigned {
  kMbOk = 0x00,
  kMbYesNo = 0x04,
  kMbIconHand = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconExclamation = 0x30,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// Shows a modal message box owned by `owner` and returns the button that closed it.
int ShowMessage(Window owner, const char* text, const char* caption, unsigned style);

// Open-file dialog flags and the extended errors a caller may see.
enum : std::uint32_t {
  kOfnHideReadOnly = 0x00000004,
  kOfnCreatePrompt = 0x00002000,
  kOfnExplorer = 0x00080000,
};
enum : std::uint32_t { kFnErrBufferTooSmall = 0x3003 };

// Capacity of the dialog's file-name buffer, terminating zero included.
inline constexpr std::size_t kFileNameCapacity = 260;

// The dialog's data block: what the caller sets before the dialog runs and what the dialog leaves
// behind.
struct OpenFileData {
  std::uint32_t flags = 0;
  // Pairs of description and pattern, each zero-terminated, the list ended by an empty text.
  const char* filter = nullptr;
  std::uint32_t filterIndex = 1;  // 1-based: the filter selected at first
  const char* initialDirectory = nullptr;
  const char* defaultExtension = nullptr;  // without the dot
  const char* title = nullptr;
  char fileName[kFileNameCapacity] = {};  // in: starting name; out: the chosen full path
  std::uint32_t error = 0;                // out: extended error code, 0 when none
};

// Runs the dialog modally with `owner` as parent. Returns true when the user chose a file with OK;
// false on cancel or failure, `data.error` telling which.
bool RunOpenFileDialog(Window owner, OpenFileData& data);

}  // namespace host
