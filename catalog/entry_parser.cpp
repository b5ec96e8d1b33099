#include "catalog/entry_parser.h"

#include <algorithm>
#include <cstring>

#include "host/platform.h"

namespace catalog {
namespace {

// Heading that opens the abstract of a headed entry: the word and a carriage return, so it only
// ever matches in a CR-LF catalogue.
constexpr char kAbstractHeading[] = "Abstract\r";
// Lines 4 to 15 of a headed entry may hold the heading.
constexpr int kHeadingLines = 12;
constexpr char kHeadedRule[] = "--------------------";
// Word starts counted before the guessed title begins.
constexpr int kGuessWordStarts = 4;

bool Contains(const char* line, const char* what) {
  return std::strstr(line, what) != nullptr;
}

bool IsSizeLine(const char* line) {
  return Contains(line, "Bytes:") && Contains(line, "Count:");
}

bool IsKeywordsLine(const char* line) {
  return std::strchr(line, ':') != nullptr && Contains(line, "Keywords");
}

bool IsBlank(int c) {
  return c == ' ' || c == '\r' || c == '\n';
}

// Replaces `to` with as much of `text` as fits, always zero-terminated.
template <std::size_t N>
void CopyText(std::span<char, N> to, const char* text) {
  const std::size_t length = strnlen(text, N - 1);
  std::memcpy(to.data(), text, length);
  to[length] = '\0';
}

// Replaces `to` with the text after the first ':' of `line`. Returns false when there is none.
template <std::size_t N>
bool CopyAfterColon(std::span<char, N> to, const char* line) {
  const char* colon = std::strchr(line, ':');
  if (colon == nullptr) {
    return false;
  }
  CopyText(to, colon + 1);
  return true;
}

// Appends abstract lines from `line` (already read) until the layout's end rule, the size limit
// or the end of the file. Lines that start with a carriage return are blank lines and are skipped.
void CollectAbstract(CatalogReader& reader, char* line, std::span<char, kAbstractCapacity> abstract,
                     Layout layout) {
  for (;;) {
    if (EntryEnded(line, layout)) {
      return;
    }
    if (line[0] != '\r') {
      // An abstract that arrives without a terminator counts as full: nothing is appended.
      const std::size_t held = strnlen(abstract.data(), abstract.size());
      const std::size_t length = std::strlen(line);
      if (held + length >= abstract.size()) {
        return;
      }
      std::memcpy(abstract.data() + held, line, length + 1);
    }
    if (reader.AtEnd()) {
      return;
    }
    reader.ReadLine(line, kLineLimit);
  }
}

// The result of one layout attempt: it fitted, it did not (try the next), or the whole parse ends.
enum class Attempt { Fitted, Mismatch, Unrecognised };

// Spaced (title on line 4, keywords on line 5, abstract from line 7) and compact (title on line 3,
// keywords on line 4, abstract from line 5) entries share their shape but for the spacer lines.
Attempt TryBracketedLayout(CatalogReader& reader, std::uint64_t start, const EntryOutputs& outputs,
                           const char* fileName, Layout layout, char* line) {
  const bool spaced = layout == Layout::Spaced;
  reader.Seek(start);
  reader.ReadLine(line, kLineLimit);
  if (!IsNameLine(line, fileName)) {
    return Attempt::Mismatch;
  }
  reader.ReadLine(line, kLineLimit);
  if (!IsSizeLine(line)) {
    return Attempt::Mismatch;
  }
  if (spaced) {
    reader.ReadLine(line, kLineLimit);
  }
  reader.ReadLine(line, kLineLimit);
  // A size line followed by a title without ':' is a damaged entry, not another layout.
  if (!CopyAfterColon(outputs.title, line)) {
    return Attempt::Unrecognised;
  }
  reader.ReadLine(line, kLineLimit);
  if (!IsKeywordsLine(line)) {
    return Attempt::Mismatch;
  }
  CopyAfterColon(outputs.keywords, line);
  if (spaced) {
    reader.ReadLine(line, kLineLimit);
  }
  reader.ReadLine(line, kLineLimit);
  CollectAbstract(reader, line, outputs.abstract, layout);
  return Attempt::Fitted;
}

// Headed entries: title on line 3, then a heading line "Abstract" among lines 4 to 15.
bool TryHeadedLayout(CatalogReader& reader, std::uint64_t start, const EntryOutputs& outputs,
                     const char* fileName, char* line) {
  reader.Seek(start);
  reader.ReadLine(line, kLineLimit);
  if (!IsNameLine(line, fileName)) {
    return false;
  }
  reader.ReadLine(line, kLineLimit);
  reader.ReadLine(line, kLineLimit);
  CopyText(outputs.title, line);
  reader.ReadLine(line, kLineLimit);
  int left = kHeadingLines;
  while (std::strcmp(line, kAbstractHeading) != 0 && left > 0) {
    reader.ReadLine(line, kLineLimit);
    --left;
  }
  if (left <= 0) {
    return false;
  }
  reader.ReadLine(line, kLineLimit);
  CollectAbstract(reader, line, outputs.abstract, Layout::Headed);
  return true;
}

}  // namespace

bool IsNameLine(char* line, const char* fileName) {
  const std::size_t length = std::strlen(line);
  if (length == std::strlen(fileName) + 1) {
    line[length - 1] = '\0';
  }
  return host::CompareTextIgnoreCase(line, fileName) == 0;
}

bool EntryEnded(const char* line, Layout layout) {
  if (layout == Layout::Headed) {
    return Contains(line, kHeadedRule);
  }
  const char* open = std::strchr(line, '[');
  return open != nullptr && open[1] >= '0' && open[1] <= '9' && std::strchr(line, ']') != nullptr;
}

EntryResult GuessTitle(GuessPrompt& prompt, CatalogReader& reader, std::uint64_t start,
                       std::span<char, kTitleCapacity> title, EntryResult previous) {
  if (previous == EntryResult::KeepSearching) {
    return EntryResult::KeepSearching;
  }
  reader.Seek(start);
  bool inWord = true;
  bool sawBlank = false;
  int count = 0;
  // Counts the places where a word character follows blanks; line ends are blanks, so a short line
  // lets the count run on into the lines after it.
  while (count < kGuessWordStarts) {
    const int c = reader.GetChar();
    if (c == kEndOfFile) {
      return EntryResult::Unrecognised;
    }
    if (IsBlank(c)) {
      inWord = false;
      sawBlank = true;
    } else if (!inWord) {
      inWord = true;
      if (sawBlank) {
        ++count;
        sawBlank = false;
      }
    }
  }
  reader.StepBack();
  static_assert(kGuessLimit <= kTitleCapacity);
  reader.ReadLine(title.data(), kGuessLimit);
  return prompt.ContinueSearching(title.data()) ? EntryResult::KeepSearching
                                                : EntryResult::GuessAccepted;
}

EntryResult ParseEntry(GuessPrompt& prompt, CatalogReader& reader, std::uint64_t start,
                       const EntryOutputs& outputs, const char* fileName, EntryResult previous,
                       Layout* fitted) {
  char line[kLineCapacity];
  static_assert(kLineLimit <= static_cast<int>(sizeof line));
  Layout layout = Layout::Guess;
  EntryResult result = EntryResult::Unrecognised;
  for (const Layout bracketed : {Layout::Spaced, Layout::Compact}) {
    switch (TryBracketedLayout(reader, start, outputs, fileName, bracketed, line)) {
      case Attempt::Fitted:
        if (fitted != nullptr) {
          *fitted = bracketed;
        }
        return EntryResult::Found;
      case Attempt::Unrecognised:
        return EntryResult::Unrecognised;
      case Attempt::Mismatch:
        break;
    }
  }
  if (TryHeadedLayout(reader, start, outputs, fileName, line)) {
    layout = Layout::Headed;
    result = EntryResult::Found;
  } else {
    result = GuessTitle(prompt, reader, start, outputs.title, previous);
  }
  if (fitted != nullptr && result != EntryResult::Unrecognised &&
      result != EntryResult::KeepSearching) {
    *fitted = layout;
  }
  return result;
}

}  // namespace catalog
