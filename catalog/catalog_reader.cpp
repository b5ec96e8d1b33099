#include "catalog/catalog_reader.h"

#include <algorithm>
#include <cstring>

#include "catalog/mention_search.h"

namespace catalog {

bool CatalogReader::Open(const char* path) {
  Close();
  file_.reset(host::OpenFileForReading(path));
  if (!file_) {
    failed_ = true;
    return false;
  }
  if (!block_) {
    block_ = std::make_unique<unsigned char[]>(kBlockSize);
  }
  const std::int64_t size = host::FileSize(file_.get());
  size_ = size > 0 ? static_cast<std::uint64_t>(size) : 0;
  return true;
}

void CatalogReader::Close() {
  file_.reset();
  blockStart_ = 0;
  blockLength_ = 0;
  offset_ = 0;
  size_ = 0;
  ended_ = false;
  failed_ = false;
}

bool CatalogReader::Fill() {
  if (blockLength_ > 0 && offset_ >= blockStart_ && offset_ - blockStart_ < blockLength_) {
    return true;
  }
  blockLength_ = 0;
  if (!file_) {
    return false;
  }
  const std::int64_t got = host::ReadFileAt(file_.get(), offset_, block_.get(), kBlockSize);
  if (got <= 0) {
    return false;  // end of file, or a read error, which behaves the same
  }
  blockStart_ = offset_;
  blockLength_ = static_cast<std::size_t>(got);
  return true;
}

bool CatalogReader::AtEnd() {
  return ended_ || failed_ || !Fill();
}

void CatalogReader::Seek(std::uint64_t offset) {
  offset_ = offset;
  ended_ = false;
  failed_ = false;
}

void CatalogReader::StepBack() {
  if (offset_ > 0) {
    --offset_;
  }
}

std::size_t CatalogReader::ReadLine(char* line, int limit) {
  if (limit <= 0) {
    return 0;  // no room even for the terminating zero
  }
  std::size_t stored = 0;
  if (ended_ || failed_) {
    failed_ = true;
    line[0] = '\0';
    return 0;
  }
  const auto room = static_cast<std::size_t>(limit - 1);
  while (stored < room) {
    if (!Fill()) {
      ended_ = true;
      if (stored == 0) {
        failed_ = true;
      }
      break;
    }
    const unsigned char* from = block_.get() + static_cast<std::size_t>(offset_ - blockStart_);
    const std::size_t available = blockLength_ - static_cast<std::size_t>(offset_ - blockStart_);
    const std::size_t want = std::min(available, room - stored);
    const void* feed = std::memchr(from, '\n', want);
    const std::size_t take =
        feed != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(feed) - from)
                        : want;
    std::memcpy(line + stored, from, take);
    stored += take;
    offset_ += take;
    if (feed != nullptr) {
      ++offset_;  // the line feed ends the line and is not stored
      break;
    }
  }
  line[stored] = '\0';
  return stored;
}

void CatalogReader::SkipUnmentioned(const MentionSearch& search) {
  if (ended_ || failed_ || blockLength_ == 0 || offset_ < blockStart_ ||
      offset_ - blockStart_ >= blockLength_) {
    return;
  }
  const auto at = static_cast<std::size_t>(offset_ - blockStart_);
  offset_ += search.NextMentionOrBoundary(block_.get() + at, blockLength_ - at);
}

int CatalogReader::GetChar() {
  if (ended_ || failed_) {
    return kEndOfFile;
  }
  if (!Fill()) {
    ended_ = true;
    failed_ = true;
    return kEndOfFile;
  }
  // Fill() made offset_ - blockStart_ smaller than blockLength_, a size_t.
  const unsigned char byte = block_[static_cast<std::size_t>(offset_ - blockStart_)];
  ++offset_;
  return byte;
}

}  // namespace catalog
