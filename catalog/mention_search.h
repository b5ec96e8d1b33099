// Finds, in a block of catalogue bytes, the next line piece that mentions a file name, without
// cutting the block into lines first. The scan reads every line of a catalogue that may be
// gigabytes long, and most lines mention nothing; this lets it pass over them at the speed of a
// vectorised byte search while keeping the reader's exact line rules (see CatalogReader).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/catalog_reader.h"

namespace catalog {

// Characters of one line piece: what ReadLine(kLineLimit) can store at most.
inline constexpr std::size_t kPieceLength = kLineLimit - 1;

// The name as the byte search sees it.
struct Needle {
  unsigned char bytes[kPieceLength] = {};  // upper-cased; meaningful when length <= kPieceLength
  std::size_t length = 0;
  // Two positions holding the name's rarest bytes, tested together before the whole name;
  // first < second, except for a name of one byte.
  std::size_t first = 0;
  std::size_t second = 0;
};

// How candidate positions are found. Auto picks the widest the processor offers; the others are
// there so that each can be compared with the plain one.
enum class SearchKernel { Auto, Plain, Sse2, Avx2 };

// True when this build and this processor can run `kernel`.
bool KernelAvailable(SearchKernel kernel);

// A file name prepared for the scan's test "the upper-cased name occurs in the upper-cased line",
// where upper-casing changes the letters a to z only. A line piece is what ReadLine(kLineLimit)
// delivers: at most kPieceLength bytes up to a line feed (a longer line is several pieces, and a
// piece of exactly kPieceLength bytes leaves its line feed to the next, empty, piece), and its
// text ends at its first zero byte.
class MentionSearch {
 public:
  explicit MentionSearch(const char* fileName, SearchKernel kernel = SearchKernel::Auto);

  // Several names at once, for a scan that looks for many names in one pass: a piece mentions
  // them when it mentions any one of them. Runs of up to four bytes of every name are hashed into a
  // table, and only every few positions of the data are looked up (more often when the shortest
  // name is short), so the cost per byte hardly grows with the number of names.
  explicit MentionSearch(const std::vector<std::string>& fileNames);

  // `data` holds `size` bytes of the file, the first of which starts a line piece. Returns the
  // offset in `data` of the first piece whose text mentions the name. When no piece that ends
  // within `data` does, returns the start of the last piece that may run on past `size` (`size`
  // itself when the last piece ends exactly there): every piece before the result is one that does
  // not mention the name, and the result always starts a piece.
  std::size_t NextMentionOrBoundary(const unsigned char* data, std::size_t size) const;

  SearchKernel kernel() const { return kernel_; }

 private:
  // First position >= `from` where the whole name matches, ignoring case, or `size` if none.
  std::size_t FindCandidate(const unsigned char* data, std::size_t size, std::size_t from) const;

  void Prepare(const char* fileName, SearchKernel kernel);
  std::size_t NextOfMany(const unsigned char* data, std::size_t size) const;

  Needle needle_;
  bool never_ = false;  // the name cannot lie inside any piece (too long, or holds a line feed)
  SearchKernel kernel_ = SearchKernel::Plain;

  // With several names. Every name holds, within its first `window_` bytes, a run of `gram_`
  // bytes at each offset 0 .. window_ - gram_; all of them are indexed, so that testing every
  // `stride_` = window_ - gram_ + 1 -th position of the data meets each possible match once.
  struct Gram {
    std::uint32_t key;     // the folded bytes
    std::uint32_t needle;  // index into needles_
    std::uint32_t offset;  // where in the name the run starts
  };
  bool many_ = false;
  bool anyEmpty_ = false;  // an empty name: every piece mentions it
  bool anyName_ = false;
  std::size_t window_ = 0;
  std::size_t gram_ = 0;
  std::size_t stride_ = 1;
  std::vector<Needle> needles_;
  std::vector<Gram> grams_;                 // grouped by bucket
  std::vector<std::uint32_t> bucketStart_;  // bucket -> start of its group in grams_
  std::vector<std::uint64_t> filter_;       // hashed key -> some run has it
};

}  // namespace catalog
