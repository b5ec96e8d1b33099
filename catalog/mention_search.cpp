#include "catalog/mention_search.h"

#include <algorithm>
#include <cstring>

// The vector kernels need GCC's or Clang's target attributes and x86 intrinsics.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define CATALOG_X86_KERNELS 1  // NOLINT(cppcoreguidelines-macro-usage): chooses code to compile
#include <immintrin.h>
#else
#define CATALOG_X86_KERNELS 0  // NOLINT(cppcoreguidelines-macro-usage)
#endif

namespace catalog {
namespace {

constexpr unsigned char kLineFeed = '\n';

unsigned char Fold(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool IsUpperLetter(unsigned char c) {
  return c >= 'A' && c <= 'Z';
}

// How often a byte (after folding) turns up in catalogue text, higher for more often: a rough
// English letter order, then the blanks, digits and punctuation of typical entries. Only the order
// matters; it picks the name's bytes least likely to start a false candidate.
int Commonness(unsigned char c) {
  constexpr char kLetters[] = "ETAOINSHRDLCUMWFGYPBVKJXQZ";
  if (c == ' ') {
    return 300;
  }
  if (IsUpperLetter(c)) {
    const char* at = std::strchr(kLetters, c);
    return 280 - 7 * static_cast<int>(at - kLetters);
  }
  if (c == '\r' || c == '.' || c == ',') {
    return 170;
  }
  if (c >= '0' && c <= '9') {
    return 150;
  }
  if (c > ' ' && c < 0x7F) {
    return 60;
  }
  return 10;
}

bool MatchesAt(const Needle& needle, const unsigned char* at) {
  for (std::size_t i = 0; i < needle.length; ++i) {
    if (Fold(at[i]) != needle.bytes[i]) {
      return false;
    }
  }
  return true;
}

// Offset just after the last line feed in [from, to), or `from` when there is none. Looks back a
// little first, since lines are short; a long line is then searched forwards with memchr.
std::size_t LineStartBefore(const unsigned char* data, std::size_t from, std::size_t to) {
  constexpr std::size_t kLookBack = 256;
  const std::size_t near = to - from > kLookBack ? to - kLookBack : from;
  for (std::size_t i = to; i > near; --i) {
    if (data[i - 1] == kLineFeed) {
      return i;
    }
  }
  std::size_t start = from;
  const unsigned char* at = data + from;
  const unsigned char* const end = data + near;
  while (at < end) {
    const void* feed = std::memchr(at, kLineFeed, static_cast<std::size_t>(end - at));
    if (feed == nullptr) {
      break;
    }
    at = static_cast<const unsigned char*>(feed) + 1;
    start = static_cast<std::size_t>(at - data);
  }
  return start;
}

std::size_t FindPlain(const Needle& needle, const unsigned char* data, std::size_t size,
                      std::size_t from) {
  const unsigned char rare = needle.bytes[needle.first];
  for (std::size_t c = from; c + needle.length <= size; ++c) {
    if (Fold(data[c + needle.first]) == rare && MatchesAt(needle, data + c)) {
      return c;
    }
  }
  return size;
}

#if CATALOG_X86_KERNELS
// The vector kernels compare two chosen bytes of the name at every position at once. A letter is
// compared with the case bit (0x20) set on both sides, which pairs exactly 'A' with 'a'; any other
// byte is compared as it is.
unsigned char CaseBit(unsigned char c) {
  return IsUpperLetter(c) ? 0x20 : 0x00;
}

__attribute__((target("sse2"))) std::size_t FindSse2(const Needle& needle,
                                                     const unsigned char* data, std::size_t size,
                                                     std::size_t from) {
  const unsigned char a = needle.bytes[needle.first];
  const unsigned char b = needle.bytes[needle.second];
  const __m128i caseA = _mm_set1_epi8(static_cast<char>(CaseBit(a)));
  const __m128i caseB = _mm_set1_epi8(static_cast<char>(CaseBit(b)));
  const __m128i wantA = _mm_set1_epi8(static_cast<char>(a | CaseBit(a)));
  const __m128i wantB = _mm_set1_epi8(static_cast<char>(b | CaseBit(b)));
  constexpr std::size_t kWidth = 16;
  std::size_t c = from;
  for (; c + needle.second + kWidth <= size; c += kWidth) {
    const __m128i atA = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + c + needle.first));
    const __m128i atB = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + c + needle.second));
    const __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(atA, caseA), wantA),
                                      _mm_cmpeq_epi8(_mm_or_si128(atB, caseB), wantB));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
    while (mask != 0) {
      const std::size_t at = c + static_cast<std::size_t>(__builtin_ctz(mask));
      if (at + needle.length <= size && MatchesAt(needle, data + at)) {
        return at;
      }
      mask &= mask - 1;
    }
  }
  return FindPlain(needle, data, size, c);
}

__attribute__((target("avx2"))) std::size_t FindAvx2(const Needle& needle,
                                                     const unsigned char* data, std::size_t size,
                                                     std::size_t from) {
  const unsigned char a = needle.bytes[needle.first];
  const unsigned char b = needle.bytes[needle.second];
  const __m256i caseA = _mm256_set1_epi8(static_cast<char>(CaseBit(a)));
  const __m256i caseB = _mm256_set1_epi8(static_cast<char>(CaseBit(b)));
  const __m256i wantA = _mm256_set1_epi8(static_cast<char>(a | CaseBit(a)));
  const __m256i wantB = _mm256_set1_epi8(static_cast<char>(b | CaseBit(b)));
  constexpr std::size_t kWidth = 32;
  std::size_t c = from;
  for (; c + needle.second + kWidth <= size; c += kWidth) {
    const __m256i atA =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + c + needle.first));
    const __m256i atB =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + c + needle.second));
    const __m256i hit = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(atA, caseA), wantA),
                                         _mm256_cmpeq_epi8(_mm256_or_si256(atB, caseB), wantB));
    auto mask = static_cast<unsigned>(_mm256_movemask_epi8(hit));
    while (mask != 0) {
      const std::size_t at = c + static_cast<std::size_t>(__builtin_ctz(mask));
      if (at + needle.length <= size && MatchesAt(needle, data + at)) {
        return at;
      }
      mask &= mask - 1;
    }
  }
  return FindSse2(needle, data, size, c);
}
#endif

}  // namespace

bool KernelAvailable(SearchKernel kernel) {
  switch (kernel) {
    case SearchKernel::Auto:
    case SearchKernel::Plain:
      return true;
#if CATALOG_X86_KERNELS
    case SearchKernel::Sse2:
      return __builtin_cpu_supports("sse2") != 0;
    case SearchKernel::Avx2:
      return __builtin_cpu_supports("avx2") != 0;
#else
    case SearchKernel::Sse2:
    case SearchKernel::Avx2:
      return false;
#endif
  }
  return false;
}

MentionSearch::MentionSearch(const char* fileName, SearchKernel kernel) {
  Prepare(fileName, kernel);
}

void MentionSearch::Prepare(const char* fileName, SearchKernel kernel) {
  const std::size_t length = std::strlen(fileName);
  never_ = length > kPieceLength || std::strchr(fileName, kLineFeed) != nullptr;
  if (!never_) {
    needle_.length = length;
    for (std::size_t i = 0; i < length; ++i) {
      needle_.bytes[i] = Fold(static_cast<unsigned char>(fileName[i]));
    }
    // The rarest byte, then the rarest at another position (preferring another byte value).
    std::size_t rarest = 0;
    for (std::size_t i = 1; i < length; ++i) {
      if (Commonness(needle_.bytes[i]) < Commonness(needle_.bytes[rarest])) {
        rarest = i;
      }
    }
    std::size_t other = rarest;
    for (std::size_t i = 0; i < length; ++i) {
      if (i == rarest) {
        continue;
      }
      const auto rank = [&](std::size_t at) {
        return Commonness(needle_.bytes[at]) +
               (needle_.bytes[at] == needle_.bytes[rarest] ? 1000 : 0);
      };
      if (other == rarest || rank(i) < rank(other)) {
        other = i;
      }
    }
    needle_.first = rarest < other ? rarest : other;
    needle_.second = rarest < other ? other : rarest;
  }
  if (kernel == SearchKernel::Auto) {
    kernel = KernelAvailable(SearchKernel::Avx2)   ? SearchKernel::Avx2
             : KernelAvailable(SearchKernel::Sse2) ? SearchKernel::Sse2
                                                   : SearchKernel::Plain;
  }
  kernel_ = KernelAvailable(kernel) ? kernel : SearchKernel::Plain;
}

namespace {

constexpr unsigned kFilterBits = 20;  // 2^20 bits: 128 KiB
constexpr unsigned kBucketBits = 16;
constexpr std::size_t kLongestGram = 4;

// The folded bytes of a run of `length` (1 to 4) bytes. Four bytes are folded at once: a byte
// gets its case bit cleared when, below 0x80, it lies in 'a'..'z'.
std::uint32_t GramKey(const unsigned char* at, std::size_t length) {
  if (length == kLongestGram) {
    std::uint32_t word = 0;
    std::memcpy(&word, at, sizeof word);
    constexpr std::uint32_t kHigh = 0x80808080U;
    const std::uint32_t low7 = word | kHigh;
    const std::uint32_t fromA = low7 - 0x61616161U;  // high bit kept where the byte >= 'a'
    const std::uint32_t pastZ = low7 - 0x7B7B7B7BU;  // high bit kept where the byte >= '{'
    const std::uint32_t lower = fromA & ~pastZ & ~word & kHigh;
    return word ^ (lower >> 2);
  }
  std::uint32_t key = 0;
  for (std::size_t i = 0; i < length; ++i) {
    key = key << 8 | Fold(at[i]);
  }
  return key;
}

std::uint32_t GramHash(std::uint32_t key) {
  return (key * 0x9E3779B1U) >> (32 - kFilterBits);
}

}  // namespace

MentionSearch::MentionSearch(const std::vector<std::string>& fileNames) : many_(true) {
  for (const std::string& name : fileNames) {
    if (name.size() > kPieceLength || name.find('\n') != std::string::npos ||
        name.find('\0') != std::string::npos) {
      continue;  // in no piece (a zero byte would end the host's name text before it)
    }
    if (name.empty()) {
      anyEmpty_ = true;
      continue;
    }
    Needle needle;
    needle.length = name.size();
    for (std::size_t i = 0; i < name.size(); ++i) {
      needle.bytes[i] = Fold(static_cast<unsigned char>(name[i]));
    }
    window_ = needles_.empty() ? needle.length : std::min(window_, needle.length);
    needles_.push_back(needle);
  }
  if (!anyEmpty_ && needles_.size() == 1) {
    // One name after all: the vector search is the faster.
    const std::string only(needles_.front().bytes,
                           needles_.front().bytes + needles_.front().length);
    many_ = false;
    needles_.clear();
    Prepare(only.c_str(), SearchKernel::Auto);
    return;
  }
  anyName_ = !needles_.empty();
  if (!anyName_) {
    return;
  }
  gram_ = std::min(window_, kLongestGram);
  stride_ = window_ - gram_ + 1;
  for (std::size_t n = 0; n < needles_.size(); ++n) {
    for (std::size_t offset = 0; offset + gram_ <= window_; ++offset) {
      grams_.push_back(Gram{GramKey(needles_[n].bytes + offset, gram_),
                            static_cast<std::uint32_t>(n), static_cast<std::uint32_t>(offset)});
    }
  }
  const auto bucket = [](std::uint32_t key) {
    return GramHash(key) >> (kFilterBits - kBucketBits);
  };
  std::stable_sort(grams_.begin(), grams_.end(),
                   [&](const Gram& x, const Gram& y) { return bucket(x.key) < bucket(y.key); });
  bucketStart_.assign((std::size_t{1} << kBucketBits) + 1, 0);
  filter_.assign((std::size_t{1} << kFilterBits) / 64, 0);
  for (const Gram& gram : grams_) {
    ++bucketStart_[bucket(gram.key) + 1];
    const std::uint32_t hash = GramHash(gram.key);
    filter_[hash / 64] |= std::uint64_t{1} << (hash % 64);
  }
  for (std::size_t i = 1; i < bucketStart_.size(); ++i) {
    bucketStart_[i] += bucketStart_[i - 1];
  }
}

std::size_t MentionSearch::FindCandidate(const unsigned char* data, std::size_t size,
                                         std::size_t from) const {
  switch (kernel_) {
#if CATALOG_X86_KERNELS
    case SearchKernel::Avx2:
      return FindAvx2(needle_, data, size, from);
    case SearchKernel::Sse2:
      return FindSse2(needle_, data, size, from);
#endif
    default:
      return FindPlain(needle_, data, size, from);
  }
}

std::size_t MentionSearch::NextMentionOrBoundary(const unsigned char* data,
                                                 std::size_t size) const {
  if (many_) {
    return NextOfMany(data, size);
  }
  if (size == 0 || (!never_ && needle_.length == 0)) {
    return 0;  // the empty name is in every piece, even an empty one
  }
  // `lineStart` is where the line holding the candidate begins, or 0: the block starts a piece, and
  // pieces repeat every kPieceLength bytes from there until a line feed. Bytes before `searched`
  // have been looked at for line feeds already, so that many candidates in one long line do not
  // send the search back over the same bytes.
  std::size_t lineStart = 0;
  std::size_t searched = 0;
  const auto lineStartBefore = [&](std::size_t to) {
    const std::size_t after = LineStartBefore(data, searched, to);
    if (after != searched) {
      lineStart = after;  // a line feed in [searched, to)
    }
    searched = to;
    return lineStart;
  };
  if (!never_) {
    for (std::size_t from = 0;;) {
      const std::size_t at = FindCandidate(data, size, from);
      if (at == size) {
        break;
      }
      const std::size_t pieceStart = at - (at - lineStartBefore(at)) % kPieceLength;
      // The name holds no line feed, so the match lies within the line; it must not run over the
      // piece's end, and the piece's text must not end at a zero byte before it.
      if (std::memchr(data + pieceStart, '\0', at - pieceStart) != nullptr) {
        // The rest of this piece is past the end of its text: go on from the next piece.
        const std::size_t pieceEnd = std::min(size, pieceStart + kPieceLength);
        const void* feed = std::memchr(data + at, kLineFeed, pieceEnd - at);
        from = feed != nullptr
                   ? static_cast<std::size_t>(static_cast<const unsigned char*>(feed) - data) + 1
                   : pieceEnd;
        continue;
      }
      if (at + needle_.length <= pieceStart + kPieceLength) {
        return pieceStart;
      }
      from = at + 1;
    }
  }
  lineStartBefore(size);
  return size - (size - lineStart) % kPieceLength;
}

std::size_t MentionSearch::NextOfMany(const unsigned char* data, std::size_t size) const {
  if (size == 0 || anyEmpty_) {
    return 0;
  }
  // As in the single-name search, but the line start is taken at the tested position `p`, which
  // only grows: a match holds no line feed, so its line starts where the line at `p` does.
  std::size_t lineStart = 0;
  std::size_t searched = 0;
  const auto lineStartBefore = [&](std::size_t to) {
    const std::size_t after = LineStartBefore(data, searched, to);
    if (after != searched) {
      lineStart = after;
    }
    searched = to;
    return lineStart;
  };
  // A match lies inside its piece and is tested at one of its own bytes, so positions are tested
  // piece by piece: the first match that counts is in the first piece that mentions a name.
  if (anyName_) {
    for (std::size_t p = 0; p + gram_ <= size; p += stride_) {
      const std::uint32_t key = GramKey(data + p, gram_);
      const std::uint32_t hash = GramHash(key);
      if ((filter_[hash / 64] >> (hash % 64) & 1U) == 0) {
        continue;
      }
      const std::uint32_t bucket = hash >> (kFilterBits - kBucketBits);
      for (std::uint32_t i = bucketStart_[bucket]; i < bucketStart_[bucket + 1]; ++i) {
        const Gram& gram = grams_[i];
        if (gram.key != key || p < gram.offset) {
          continue;
        }
        const Needle& needle = needles_[gram.needle];
        const std::size_t at = p - gram.offset;
        if (at + needle.length > size || !MatchesAt(needle, data + at)) {
          continue;
        }
        const std::size_t pieceStart = at - (at - lineStartBefore(p)) % kPieceLength;
        if (at + needle.length <= pieceStart + kPieceLength &&
            std::memchr(data + pieceStart, '\0', at - pieceStart) == nullptr) {
          return pieceStart;
        }
      }
    }
  }
  lineStartBefore(size);
  return size - (size - lineStart) % kPieceLength;
}

}  // namespace catalog
