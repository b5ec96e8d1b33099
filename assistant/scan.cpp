#include "assistant/scan.h"

#include <cstring>

namespace assistant {

void UpperCaseAscii(char* text) {
  for (; *text != '\0'; ++text) {
    if (*text >= 'a' && *text <= 'z') {
      *text = static_cast<char>(*text - 'a' + 'A');
    }
  }
}

ScanResult ScanCatalog(ScanObserver& observer, catalog::CatalogReader& reader, char* fileName,
                       const catalog::EntryOutputs& outputs) {
  using catalog::EntryResult;
  char line[catalog::kLineCapacity];
  bool nameUpper = false;
  EntryResult last = EntryResult::Unrecognised;
  while (!reader.AtEnd()) {
    const std::uint64_t start = reader.Tell();
    reader.ReadLine(line, catalog::kLineLimit);
    if (!nameUpper) {
      UpperCaseAscii(fileName);
      nameUpper = true;
    }
    UpperCaseAscii(line);
    if (std::strstr(line, fileName) == nullptr) {
      continue;
    }
    catalog::Layout layout = catalog::Layout::Guess;
    last = catalog::ParseEntry(observer, reader, start, outputs, fileName, last, &layout);
    if (last == EntryResult::Unrecognised) {
      observer.UnknownFormat(start);
    } else if (static_cast<int>(last) > 0) {
      return ScanResult{true, start, layout};
    }
    // Scanning resumes wherever the parser left the reader: lines it read are not scanned again.
  }
  return ScanResult{};
}

}  // namespace assistant
