#include "assistant/scan.h"

#include <cstring>

#include "catalog/mention_search.h"

namespace assistant {

void UpperCaseAscii(char* text) {
  for (; *text != '\0'; ++text) {
    if (*text >= 'a' && *text <= 'z') {
      *text = static_cast<char>(*text - 'a' + 'A');
    }
  }
}

ScanResult ScanCatalog(ScanObserver& observer, catalog::CatalogReader& reader, char* fileName,
                       const catalog::EntryOutputs& outputs, ScanPath path) {
  using catalog::EntryResult;
  char line[catalog::kLineCapacity];
  bool nameUpper = false;
  EntryResult last = EntryResult::Unrecognised;
  const catalog::MentionSearch search(fileName);
  while (!reader.AtEnd()) {
    if (!nameUpper) {
      // Once a line is read the host sees its name upper-cased, whether or not the line is tested.
      UpperCaseAscii(fileName);
      nameUpper = true;
    }
    if (path == ScanPath::Fast) {
      // Lines passed over here are lines the test below would have read and turned down.
      reader.SkipUnmentioned(search);
      if (reader.AtEnd()) {
        break;
      }
    }
    const std::uint64_t start = reader.Tell();
    reader.ReadLine(line, catalog::kLineLimit);
    UpperCaseAscii(line);
    if (std::strstr(line, fileName) == nullptr) {
      continue;
    }
    catalog::Layout layout = catalog::Layout::Guess;
    last = catalog::ParseEntry(observer, reader, start, outputs, fileName, last, &layout);
    observer.Parsed(start, last);
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
