// Files and text services of Windows, through the Win32 API only, so that the module needs no C
// runtime DLL and reads catalogues of any size in its 32-bit build.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdarg>
#include <cstring>

#include "host/platform.h"

namespace host {

struct File {
  HANDLE handle;
};

File* OpenFileForReading(const char* path) {
  if (path == nullptr || path[0] == '\0') {
    return nullptr;
  }
  // Read access only, and OPEN_EXISTING so that nothing is ever created or truncated. Other
  // programs may go on reading and writing the file while we read it: a catalogue that a capture
  // program still has open for writing is still a catalogue to us, and we never block it.
  HANDLE handle = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  // Only files on a disk: devices such as NUL or CON and pipes are refused, and so are
  // directories, should a file system let them be opened this way.
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    ::CloseHandle(handle);
    return nullptr;
  }
  return new File{handle};
}

void CloseFile(File* file) {
  if (file != nullptr) {
    ::CloseHandle(file->handle);
    delete file;
  }
}

std::int64_t ReadFileAt(File* file, std::uint64_t offset, void* buffer, std::size_t size) {
  if (offset > static_cast<std::uint64_t>(INT64_MAX)) {
    return 0;
  }
  // The offset goes with each read, in two 32-bit halves, so that the 32-bit build reaches past
  // 4 GiB and no shared file position is involved.
  OVERLAPPED at{};
  // NOLINTBEGIN(cppcoreguidelines-pro-type-union-access): the system's own structure
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFU);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32U);
  // NOLINTEND(cppcoreguidelines-pro-type-union-access)
  const DWORD wanted = size > 0x40000000U ? 0x40000000U : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!::ReadFile(file->handle, buffer, wanted, &got, &at)) {
    return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
  }
  return static_cast<std::int64_t>(got);
}

std::int64_t FileSize(File* file) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file->handle, &size)) {
    return -1;
  }
  return static_cast<std::int64_t>(size.QuadPart);
}

int CompareTextIgnoreCase(const char* a, const char* b) {
  return ::lstrcmpiA(a, b);
}

int FormatText(char (&out)[kFormatCapacity], const char* format, ...) {
  static_assert(kFormatCapacity == 1024, "wvsprintfA writes at most 1024 bytes");
  va_list args;
  va_start(args, format);
  ::wvsprintfA(out, format, args);
  va_end(args);
  // wvsprintfA stops at its 1024-byte limit; make sure of the terminator whatever it did there.
  out[kFormatCapacity - 1] = '\0';
  return static_cast<int>(std::strlen(out));
}

bool CurrentDirectory(char* out, std::size_t size) {
  if (size == 0) {
    return false;
  }
  const DWORD length = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
  const DWORD stored = ::GetCurrentDirectoryA(length, out);
  // 0 is a failure; a value of `length` or more is the room that would have been needed.
  if (stored == 0 || stored >= length) {
    out[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace host
