// Recognises a catalogue entry in one of three layouts, starting at a line that mentions the file
// name, and copies its title, keywords and abstract into the host's buffers. When no layout fits,
// guesses a title from the mentioning line and lets the user decide whether to search on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "catalog/catalog_reader.h"

namespace catalog {

enum class EntryResult : int {
  Unrecognised = 0,    // the line does not start a usable entry
  Found = 1,           // a layout fitted; title, keywords and abstract are set
  GuessAccepted = 3,   // the user accepted a guessed title; only the title is set
  KeepSearching = -1,  // go on scanning, with no message
};

// Which way an entry was read; Guess for a title taken from a mentioning line.
enum class Layout { Spaced, Compact, Headed, Guess };

// Capacities of the host's buffers, terminating zero included.
inline constexpr std::size_t kAbstractCapacity = 799;
inline constexpr std::size_t kKeywordsCapacity = 198;
inline constexpr std::size_t kTitleCapacity = 199;

// The host's three buffers. Each holds a zero-terminated text on entry; the abstract is appended
// to, keywords and title are replaced. The extents are the only bounds ever written within.
struct EntryOutputs {
  std::span<char, kAbstractCapacity> abstract;
  std::span<char, kKeywordsCapacity> keywords;
  std::span<char, kTitleCapacity> title;
};

// The user's say on a guessed title.
class GuessPrompt {
 public:
  // Shows the guessed title (zero-terminated, its carriage return kept) and asks whether to go on
  // searching the catalogue. True means yes.
  virtual bool ContinueSearching(const char* guessedTitle) = 0;

 protected:
  GuessPrompt() = default;
  GuessPrompt(const GuessPrompt&) = default;
  GuessPrompt& operator=(const GuessPrompt&) = default;
  GuessPrompt(GuessPrompt&&) = default;
  GuessPrompt& operator=(GuessPrompt&&) = default;
  ~GuessPrompt() = default;
};

// Reads the entry whose first line starts at `start`, trying the spaced, compact and headed
// layouts in turn, then the title guess. `previous` is the result of the last call of the same
// scan (Unrecognised for the first). The reader is left where the last read stopped. When
// `fitted` is given it receives the layout behind a Found or GuessAccepted result.
EntryResult ParseEntry(GuessPrompt& prompt, CatalogReader& reader, std::uint64_t start,
                       const EntryOutputs& outputs, const char* fileName, EntryResult previous,
                       Layout* fitted = nullptr);

// True when `line` holds the file name and nothing else, ignoring case. A line exactly one
// character longer than the name first loses its last character (in practice the carriage return),
// in place.
bool IsNameLine(char* line, const char* fileName);

// True when `line` ends an entry of `layout`: for spaced and compact entries a '[' followed by a
// digit, with a ']' anywhere in the line; for headed entries a run of twenty '-'.
bool EntryEnded(const char* line, Layout layout);

// Offers the text from the fourth counted word start after `start` as a title and asks whether to
// search on: KeepSearching on yes, GuessAccepted otherwise. Asks nothing and returns KeepSearching
// when `previous` is KeepSearching; returns Unrecognised when the file ends before a title starts.
EntryResult GuessTitle(GuessPrompt& prompt, CatalogReader& reader, std::uint64_t start,
                       std::span<char, kTitleCapacity> title, EntryResult previous);

}  // namespace catalog
