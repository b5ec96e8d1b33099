// Files and text services of a POSIX system.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "host/platform.h"

namespace host {

struct File {
  int fd;
};

File* OpenFileForReading(const char* path) {
  if (path == nullptr) {
    return nullptr;
  }
  // O_NONBLOCK: opening a FIFO for reading must not wait for a writer; it is refused below.
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return new File{fd};
}

void CloseFile(File* file) {
  if (file != nullptr) {
    ::close(file->fd);
    delete file;
  }
}

std::int64_t ReadFileAt(File* file, std::uint64_t offset, void* buffer, std::size_t size) {
  if (offset > static_cast<std::uint64_t>(INT64_MAX)) {
    return 0;
  }
  for (;;) {
    const ssize_t got = ::pread(file->fd, buffer, size, static_cast<off_t>(offset));
    if (got >= 0) {
      return got;
    }
    if (errno != EINTR) {
      return -1;
    }
  }
}

std::int64_t FileSize(File* file) {
  struct stat info {};
  if (::fstat(file->fd, &info) != 0) {
    return -1;
  }
  return info.st_size;
}

int CompareTextIgnoreCase(const char* a, const char* b) {
  const auto fold = [](unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
  };
  for (;; ++a, ++b) {
    const unsigned char x = fold(static_cast<unsigned char>(*a));
    const unsigned char y = fold(static_cast<unsigned char>(*b));
    if (x != y || x == '\0') {
      return x < y ? -1 : (x > y ? 1 : 0);
    }
  }
}

int FormatText(char (&out)[kFormatCapacity], const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int wanted = std::vsnprintf(out, sizeof out, format, args);
  va_end(args);
  if (wanted < 0) {
    out[0] = '\0';
    return 0;
  }
  return wanted < static_cast<int>(sizeof out) ? wanted : static_cast<int>(sizeof out) - 1;
}

bool CurrentDirectory(char* out, std::size_t size) {
  if (size == 0) {
    return false;
  }
  if (::getcwd(out, size) == nullptr) {
    out[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace host
