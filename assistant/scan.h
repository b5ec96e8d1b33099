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

// Upper-cases the letters a to z of `text` in place.
void UpperCaseAscii(char* text);

// Scans from the reader's position to the end of the file. `fileName` is upper-cased in place once
// the first line has been read. Stops at the first Found or GuessAccepted entry.
ScanResult ScanCatalog(ScanObserver& observer, catalog::CatalogReader& reader, char* fileName,
                       const catalog::EntryOutputs& outputs);

}  // namespace assistant
