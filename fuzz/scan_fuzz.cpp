// Runs the catalogue scan, and the entry parser on its own, over random catalogue bytes and file
// names, with random answers to the title question. The host's buffers are allocated at exactly
// their minimum sizes so that a write past one is caught, and what the scan leaves in them is held
// to the limits the host relies on.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include "assistant/scan.h"
#include "catalog/catalog_reader.h"
#include "catalog/entry_parser.h"
#include "fuzz/fuzz_input.h"

namespace {

using catalog::EntryResult;

void Check(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "scan_fuzz: %s\n", what);
    std::abort();
  }
}

// Answers the title question from a pattern of bits and ignores format messages.
class RandomAnswers final : public assistant::ScanObserver {
 public:
  explicit RandomAnswers(std::uint32_t bits) : bits_(bits) {}
  bool ContinueSearching(const char* guessedTitle) override {
    Check(std::strlen(guessedTitle) <= 78, "a guessed title is longer than 78 characters");
    const bool yes = (bits_ & 1U) != 0;
    bits_ = (bits_ >> 1) | (yes ? 0x80000000U : 0U);
    ++questions;
    return yes;
  }
  void UnknownFormat(std::uint64_t /*start*/) override { ++unknown; }
  int questions = 0;
  int unknown = 0;

 private:
  std::uint32_t bits_;
};

// The host's buffers, each exactly as large as the host must make it.
struct HostBuffers {
  std::unique_ptr<char[]> abstract = std::make_unique<char[]>(catalog::kAbstractCapacity);
  std::unique_ptr<char[]> keywords = std::make_unique<char[]>(catalog::kKeywordsCapacity);
  std::unique_ptr<char[]> title = std::make_unique<char[]>(catalog::kTitleCapacity);

  catalog::EntryOutputs Outputs() {
    return {std::span<char, catalog::kAbstractCapacity>(abstract.get(), catalog::kAbstractCapacity),
            std::span<char, catalog::kKeywordsCapacity>(keywords.get(), catalog::kKeywordsCapacity),
            std::span<char, catalog::kTitleCapacity>(title.get(), catalog::kTitleCapacity)};
  }
};

std::size_t BoundedLength(const char* text, std::size_t capacity) {
  const std::size_t length = strnlen(text, capacity);
  Check(length < capacity, "an output is left without its terminator");
  return length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzzing::MemoryCatalogue file;
  fuzzing::FuzzInput input(data, size);
  const std::string name(input.Line(300));
  const std::uint32_t answers = input.Number(0xFFFFFFFFU);
  const std::size_t prefill = input.Number(798);
  const std::uint32_t parseAt = input.Number(0x1FFFF);
  const std::string_view catalogue = input.Rest();
  if (!file.Valid() || !file.Fill(catalogue)) {
    return 0;
  }
  const std::string path = file.Path();

  HostBuffers buffers;
  std::memset(buffers.abstract.get(), 'p', prefill);
  buffers.abstract[prefill] = '\0';
  std::strcpy(buffers.keywords.get(), "host keywords");
  std::strcpy(buffers.title.get(), "host title");
  auto fileName = std::make_unique<char[]>(name.size() + 1);
  std::memcpy(fileName.get(), name.c_str(), name.size() + 1);

  catalog::CatalogReader reader;
  Check(reader.Open(path.c_str()), "the catalogue does not open");
  RandomAnswers observer(answers);
  const assistant::ScanResult scan =
      assistant::ScanCatalog(observer, reader, fileName.get(), buffers.Outputs());

  const std::size_t abstractLength = BoundedLength(buffers.abstract.get(), 799);
  Check(abstractLength <= 798 && abstractLength >= prefill, "the abstract lost or overran text");
  Check(std::memcmp(buffers.abstract.get(), std::string(prefill, 'p').data(), prefill) == 0,
        "the abstract was not appended to");
  Check(BoundedLength(buffers.keywords.get(), 198) <= 197, "keywords too long");
  Check(BoundedLength(buffers.title.get(), 199) <= 198, "title too long");
  const bool entryRead = scan.found && scan.layout != catalog::Layout::Guess;
  if (!entryRead) {
    Check(std::strcmp(buffers.keywords.get(), "host keywords") == 0, "keywords written");
    Check(abstractLength == prefill, "abstract written without an entry");
  }
  Check(std::strlen(fileName.get()) == std::strlen(name.c_str()), "the name changed length");
  if (!catalogue.empty()) {
    for (const char* p = fileName.get(); *p != '\0'; ++p) {
      Check(*p < 'a' || *p > 'z', "the name was not upper-cased");
    }
  }

  // The parser on its own, from any offset, after any previous result.
  if (!catalogue.empty()) {
    HostBuffers more;
    more.abstract[0] = more.keywords[0] = more.title[0] = '\0';
    const EntryResult previous =
        (parseAt & 0x10000U) != 0 ? EntryResult::KeepSearching : EntryResult::Unrecognised;
    reader.Seek(0);
    const EntryResult result = catalog::ParseEntry(observer, reader, parseAt % catalogue.size(),
                                                   more.Outputs(), fileName.get(), previous);
    Check(result == EntryResult::Found || result == EntryResult::GuessAccepted ||
              result == EntryResult::Unrecognised || result == EntryResult::KeepSearching,
          "an unknown parse result");
    BoundedLength(more.abstract.get(), 799);
    BoundedLength(more.keywords.get(), 198);
    BoundedLength(more.title.get(), 199);
  }
  return 0;
}
