// Reads a catalogue file as lines, byte for byte: no newline translation, carriage returns kept,
// lines cut at a fixed length. The callers count lines, compare whole lines and come back to
// remembered offsets, so these rules are part of what the module does, not a detail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "host/platform.h"

namespace catalog {

// Limits the callers read with: a catalogue line (at most 198 characters into a 200-byte array)
// and a guessed title (at most 78 characters).
inline constexpr int kLineLimit = 199;
inline constexpr std::size_t kLineCapacity = 200;
inline constexpr int kGuessLimit = 79;

// GetChar's answer at the end of the file.
inline constexpr int kEndOfFile = -1;

class CatalogReader {
 public:
  // Bytes read from the file at a time. Large enough that a scan costs few system calls.
  static constexpr std::size_t kBlockSize = std::size_t{1} << 18;

  CatalogReader() = default;
  CatalogReader(const CatalogReader&) = delete;
  CatalogReader& operator=(const CatalogReader&) = delete;
  CatalogReader(CatalogReader&&) = delete;
  CatalogReader& operator=(CatalogReader&&) = delete;
  ~CatalogReader() = default;

  // Opens an existing regular file read-only; never creates one. Failure sets failed.
  bool Open(const char* path);
  void Close();

  // True when ended or failed, or when no byte is left at the current offset. Consumes nothing
  // and changes neither condition.
  bool AtEnd();

  // Offset of the next unread byte.
  std::uint64_t Tell() const { return offset_; }

  // Moves to an absolute offset and clears ended and failed, so that an entry can be read again
  // from its first line after an earlier attempt ran into the end of the file.
  void Seek(std::uint64_t offset);

  // Moves one byte back (no-op at offset 0).
  void StepBack();

  // Reads at most limit - 1 bytes up to the next line feed into `line` (room for `limit` bytes),
  // zero-terminated. The line feed is consumed but not stored; when limit - 1 bytes were stored the
  // byte after them stays unread, even a line feed. Returns the number of bytes stored.
  std::size_t ReadLine(char* line, int limit);

  // The next byte (0..255), or kEndOfFile, which sets ended and failed.
  int GetChar();

  bool Ended() const { return ended_; }
  bool Failed() const { return failed_; }

  // The file's size when opened, for progress reports; 0 when unknown.
  std::uint64_t Size() const { return size_; }

 private:
  struct FileCloser {
    void operator()(host::File* file) const { host::CloseFile(file); }
  };

  // Makes offset_ readable from the block: true when block_[offset_ - blockStart_] is a byte of
  // the file. A read error counts as the end of the file.
  bool Fill();

  // The open file; null before Open, after Close and after a failed Open.
  std::unique_ptr<host::File, FileCloser> file_;
  // kBlockSize bytes, allocated on the first Open and kept across Seek.
  std::unique_ptr<unsigned char[]> block_;
  // File offset of block_[0]. Meaningful only while blockLength_ > 0.
  std::uint64_t blockStart_ = 0;
  // Valid bytes in block_: 0 <= blockLength_ <= kBlockSize; 0 means the block holds nothing.
  std::size_t blockLength_ = 0;
  // Offset of the next unread byte. May lie outside the block (after Seek or at the end); it is
  // never past the end of the file as last seen, except after Seek to such an offset.
  std::uint64_t offset_ = 0;
  std::uint64_t size_ = 0;  // size when opened; informational only, never trusted for reading
  bool ended_ = false;      // a read met the end of the file
  bool failed_ = false;     // open failed, or a read had nothing to deliver
};

}  // namespace catalog
