// The catalogue scan: every line that mentions the file name goes to the entry parser until one
// yields an entry.
#pragma once

#include <cstdint>

#include "catalog/catalog_reader.h"
#include "catalog/entry_parser.h"

namespace assistant {

// What the scan tells the user on its way: the title-guess question and unknown formats.
class ScanObserver : public catalog::GuessPrompt {
 public:
  // The mention whose line starts at `start` begins no usable entry; the scan goes on.
  virtual void UnknownFormat(std::uint64_t start) = 0;

  // ParseEntry was handed the mention whose line starts at `start` and answered `result`; called
  // before the scan acts on the answer. Lets a caller follow the scan entry by entry.
  virtual void Parsed(std::uint64_t /*start*/, catalog::EntryResult /*result*/) {}

 protected:
  ScanObserver() = default;
  ScanObserver(const ScanObserver&) = default;
  ScanObserver& operator=(const ScanObserver&) = default;
  ScanObserver(ScanObserver&&) = default;
  ScanObserver& operator=(ScanObserver&&) = default;
  ~ScanObserver() = default;
};

struct ScanResult {
  bool found = false;            // an entry was found or a guessed title accepted
  std::uint64_t entryStart = 0;  // offset of the line that led to it, when found
  catalog::Layout layout = catalog::Layout::Guess;  // how it was read, when found
};

// How the scan passes over lines that do not mention the name. Both hand ParseEntry the same
// lines; Fast searches the read buffer for the name and reads lines only where it occurs, Line
// reads and tests every line and is kept as the plain statement of what Fast must match.
enum class ScanPath { Fast, Line };

// Upper-cases the letters a to z of `text` in place.
void UpperCaseAscii(char* text);

// Scans from the reader's position to the end of the file. `fileName` is upper-cased in place once
// the first line has been read. Stops at the first Found or GuessAccepted entry.
ScanResult ScanCatalog(ScanObserver& observer, catalog::CatalogReader& reader, char* fileName,
                       const catalog::EntryOutputs& outputs, ScanPath path = ScanPath::Fast);

}  // namespace assistant
