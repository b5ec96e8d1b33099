// Writes synthetic library catalogues, the same bytes for the same seed and options, of any size:
// entries in the spaced, compact and headed layouts and title-only lines, mixed; long abstracts,
// some with lines longer than a line piece; bracketed uploader ids; and the names of other
// entries mentioned inside abstracts. Used by the tests and the benchmark.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace catgen {

struct Options {
  std::uint64_t seed = 1;
  std::uint64_t size = 1 << 20;  // bytes to write at least; the last entry is finished
  bool crlf = true;              // CR-LF line ends, else LF only
  // Names given their own spaced entry as the last entries of the catalogue, in this order and
  // mentioned nowhere else.
  std::vector<std::string> planted;
};

// Receives the catalogue in pieces; also told each entry's name and the offset of its first line.
struct Sink {
  std::function<void(std::string_view bytes)> write;
  std::function<void(std::string_view name, std::uint64_t offset)> entry;  // may be empty
};

// Writes one catalogue. Returns the number of bytes written.
std::uint64_t Generate(const Options& options, const Sink& sink);

// The whole catalogue in memory, for small sizes.
std::string GenerateString(const Options& options);

}  // namespace catgen
