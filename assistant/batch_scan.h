// The catalogue scan for many names in one pass over the file, with, for every name, exactly the
// result of a scan of its own (ScanCatalog): the same ParseEntry calls with the same arguments, so
// the same entries, guesses and unknown formats.
//
// A scan of its own reads the catalogue as line pieces (ReadLine with the line limit) and resumes,
// after each ParseEntry call, wherever the parser left the reader. Most of the time that is the
// start of a line, which the common pass reads anyway; after a guessed title of 78 characters, or
// a piece cut at the line limit, it is the middle of a line, where that name's pieces are cut
// differently from the common pass's. Each name therefore carries its own resume offset and reads
// its own pieces until it passes a line feed: from there on its pieces are the common pass's again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/catalog_reader.h"
#include "catalog/entry_parser.h"

namespace assistant {

enum class BatchStatus { NotFound, Found, Guessed };

// A guessed title the user passed over (answered "search on"), and the mention it came from.
struct PassedGuess {
  std::uint64_t start = 0;  // offset of the line that mentioned the name
  std::string title;        // as stored, carriage return kept
  bool operator==(const PassedGuess&) const = default;
};

// What one name's scan came to. Texts are the bytes as the parser stored them, before any tidying.
struct BatchResult {
  BatchStatus status = BatchStatus::NotFound;
  catalog::Layout layout = catalog::Layout::Guess;  // meaningful unless NotFound
  std::uint64_t entryStart = 0;  // offset of the line that led to the result, unless NotFound
  std::string title, keywords,
      abstract;  // empty when NotFound: a failed attempt's title is no result
  std::vector<std::uint64_t> unknownFormats;  // mentions reported as an unknown format
  std::vector<PassedGuess> passedOver;
  bool operator==(const BatchResult&) const = default;
};

class BatchObserver {
 public:
  // A guessed title (zero-terminated, carriage return kept) for the name `names[name]`, from the
  // mention at `start`. True means "search on". Names that differ only in case are one search and
  // are asked about once, under the first of them.
  virtual bool ContinueSearching(std::size_t name, const char* guessedTitle,
                                 std::uint64_t start) = 0;
  // The common pass has read `done` of `total` bytes (total 0 when unknown). Called now and then.
  virtual void Progress(std::uint64_t done, std::uint64_t total) = 0;

 protected:
  BatchObserver() = default;
  BatchObserver(const BatchObserver&) = default;
  BatchObserver& operator=(const BatchObserver&) = default;
  BatchObserver(BatchObserver&&) = default;
  BatchObserver& operator=(BatchObserver&&) = default;
  ~BatchObserver() = default;
};

// Scans the catalogue once for all `names` and returns one result per name, in their order.
// `pass` and `parse` are two readers open on the same catalogue: `pass` reads it once, from its
// current offset to the end (or until every name is settled); `parse` serves ParseEntry and the
// pieces a name reads on its own.
std::vector<BatchResult> ScanCatalogForNames(BatchObserver& observer, catalog::CatalogReader& pass,
                                             catalog::CatalogReader& parse,
                                             const std::vector<std::string>& names);

}  // namespace assistant
