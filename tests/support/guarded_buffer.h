// A host buffer that ends exactly where an inaccessible page begins: reading or writing even one
// byte past it stops the test with a fault, where an ordinary overrun might pass unseen.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace testing_support {

class GuardedBuffer {
 public:
  explicit GuardedBuffer(std::size_t size) : size_(size) {
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    length_ = (size + page - 1) / page * page + page;
    void* base =
        ::mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) {
      return;
    }
    base_ = static_cast<char*>(base);
    char* guard = base_ + length_ - page;
    if (::mprotect(guard, page, PROT_NONE) != 0) {
      ::munmap(base_, length_);
      base_ = nullptr;
      return;
    }
    data_ = guard - size;
  }
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;
  ~GuardedBuffer() {
    if (base_ != nullptr) {
      ::munmap(base_, length_);
    }
  }

  bool Valid() const { return data_ != nullptr; }
  char* data() { return data_; }
  std::size_t size() const { return size_; }

  // Fills the buffer with `text` and its terminator (the text must leave room for it).
  void SetText(std::string_view text) {
    SetBytes(text);
    data_[text.size()] = '\0';
  }
  // Fills the buffer with `bytes`, no terminator added: all of it, for a host that sends none.
  void SetBytes(std::string_view bytes) { std::memcpy(data_, bytes.data(), bytes.size()); }

  // The text held, up to its terminator or the end of the buffer, never beyond.
  std::string Text() const { return std::string(data_, strnlen(data_, size_)); }
  bool Terminated() const { return strnlen(data_, size_) < size_; }

 private:
  std::size_t size_;
  std::size_t length_ = 0;
  char* base_ = nullptr;
  char* data_ = nullptr;
};

}  // namespace testing_support
