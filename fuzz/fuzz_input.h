// Helpers shared by the fuzz targets: a reader of the fuzzer's bytes that never runs dry (it hands
// out zeros once the input is used up) and a catalogue that lives in memory but has a path.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzzing {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : data_(reinterpret_cast<const char*>(data)), size_(size) {}

  bool Empty() const { return at_ >= size_; }

  std::uint8_t Byte() {
    return Empty() ? std::uint8_t{0} : static_cast<std::uint8_t>(data_[at_++]);
  }

  // A number from 0 to max, from as few bytes as max needs.
  std::uint32_t Number(std::uint32_t max) {
    std::uint64_t value = 0;
    for (std::uint64_t span = max; span > 0; span >>= 8) {
      value = (value << 8) | Byte();
    }
    return static_cast<std::uint32_t>(value % (std::uint64_t{max} + 1));
  }

  bool Flag() { return (Byte() & 1U) != 0; }

  // Up to `count` bytes.
  std::string_view Take(std::size_t count) {
    const std::size_t left = Empty() ? 0 : size_ - at_;
    const std::string_view part(data_ + at_, count < left ? count : left);
    at_ += part.size();
    return part;
  }

  // The bytes up to the next line feed (not included; consumed), at most `max` of them.
  std::string_view Line(std::size_t max) {
    const std::size_t from = at_;
    while (!Empty() && data_[at_] != '\n' && at_ - from < max) {
      ++at_;
    }
    const std::string_view line(data_ + from, at_ - from);
    if (!Empty() && data_[at_] == '\n') {
      ++at_;
    }
    return line;
  }

  std::string_view Rest() { return Take(size_); }

 private:
  const char* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// A catalogue held in an anonymous memory file, opened by the module through its /proc path like
// any other regular file. Nothing touches the disk, which keeps millions of runs cheap.
class MemoryCatalogue {
 public:
  MemoryCatalogue() : fd_(::memfd_create("catalogue", MFD_CLOEXEC)) {}
  MemoryCatalogue(const MemoryCatalogue&) = delete;
  MemoryCatalogue& operator=(const MemoryCatalogue&) = delete;
  ~MemoryCatalogue() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }

  bool Valid() const { return fd_ >= 0; }

  // Replaces the contents with `bytes`.
  bool Fill(std::string_view bytes) {
    if (::ftruncate(fd_, 0) != 0) {
      return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t wrote =
          ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      if (wrote <= 0) {
        return false;
      }
      done += static_cast<std::size_t>(wrote);
    }
    return true;
  }

  // Cuts the file to `size` bytes.
  bool Shrink(std::size_t size) { return ::ftruncate(fd_, static_cast<off_t>(size)) == 0; }

  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

}  // namespace fuzzing
