// Drives CatalogReader with random operation sequences and holds every answer against a plain
// byte-by-byte model of the reading rules. A prefix of filler can push the fuzzed bytes across
// the reader's block boundary, where its buffering could go wrong.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "catalog/catalog_reader.h"
#include "fuzz/fuzz_input.h"

namespace {

using catalog::CatalogReader;

// The reading rules, one byte at a time over the whole file held in a string. A reader without an
// open file behaves as one over an empty file.
struct ModelReader {
  std::string bytes;
  bool open = false;
  std::uint64_t at = 0;
  bool ended = false;
  bool failed = false;

  bool ByteLeft() const { return open && at < bytes.size(); }

  void Open(bool succeeds) {
    open = succeeds;
    at = 0;
    ended = false;
    failed = !succeeds;
  }
  bool AtEnd() const { return ended || failed || !ByteLeft(); }
  void Seek(std::uint64_t offset) {
    at = offset;
    ended = false;
    failed = false;
  }
  void StepBack() {
    if (at > 0) {
      --at;
    }
  }
  // The bytes stored, terminator excluded; nothing at all for a limit with no room.
  std::string ReadLine(int limit) {
    std::string line;
    if (limit <= 0) {
      return line;
    }
    if (ended || failed) {
      failed = true;
      return line;
    }
    while (line.size() < static_cast<std::size_t>(limit - 1)) {
      if (!ByteLeft()) {
        ended = true;
        failed = failed || line.empty();
        break;
      }
      const char c = bytes[at++];
      if (c == '\n') {
        break;
      }
      line.push_back(c);
    }
    return line;
  }
  int GetChar() {
    if (ended || failed) {
      return catalog::kEndOfFile;
    }
    if (!ByteLeft()) {
      ended = true;
      failed = true;
      return catalog::kEndOfFile;
    }
    return static_cast<unsigned char>(bytes[at++]);
  }
};

// A difference from the model aborts; the fuzzer keeps the input that got here.
void Check(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "reader_fuzz: %s differs from the model\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzzing::MemoryCatalogue file;
  fuzzing::FuzzInput input(data, size);

  // The file: optional filler that ends a little before the reader's block size, then fuzzed
  // bytes.
  static const std::string filler = [] {
    std::string text(CatalogReader::kBlockSize, '\n');
    for (std::size_t i = 0; i < text.size(); ++i) {
      text[i] = i % 61 == 60 ? '\n' : static_cast<char>('a' + i % 26);
    }
    return text;
  }();
  std::string bytes;
  if (const std::uint8_t lead = input.Byte(); (lead & 0x80U) != 0) {
    bytes.assign(filler, 0, CatalogReader::kBlockSize - (lead & 0x7FU));
  }
  const std::size_t base = bytes.size();
  bytes.append(input.Take(input.Number(4095)));
  if (!file.Valid() || !file.Fill(bytes)) {
    return 0;
  }
  const std::string path = file.Path();

  CatalogReader reader;
  ModelReader model;
  model.bytes = bytes;
  Check(reader.AtEnd() == model.AtEnd(), "AtEnd before Open");
  reader.Open(path.c_str());
  model.Open(true);

  for (int step = 0; step < 400 && !input.Empty(); ++step) {
    switch (input.Byte() % 8) {
      case 0: {  // reopen, the same file or a missing one
        const bool missing = input.Flag();
        const bool opened = reader.Open(missing ? "/proc/self/fd/-1/none" : path.c_str());
        model.Open(!missing);
        Check(opened == !missing, "Open");
        break;
      }
      case 1:
        Check(reader.AtEnd() == model.AtEnd(), "AtEnd");
        break;
      case 2: {  // near the fuzzed bytes, and now and then beyond the end
        const std::uint64_t offset = base + input.Number(4200) - (base > 64 ? 64 : 0);
        reader.Seek(offset);
        model.Seek(offset);
        break;
      }
      case 3:
        reader.StepBack();
        model.StepBack();
        break;
      case 4:
      case 5: {
        // Exactly `limit` bytes, so that a write past them is caught.
        const int limit = static_cast<int>(input.Number(260));
        auto line = std::make_unique<char[]>(static_cast<std::size_t>(limit));
        const std::size_t stored = reader.ReadLine(line.get(), limit);
        const std::string expected = model.ReadLine(limit);
        Check(stored == expected.size(), "ReadLine length");
        if (limit > 0) {
          Check(std::memcmp(line.get(), expected.data(), stored) == 0, "ReadLine bytes");
          Check(line[stored] == '\0', "ReadLine terminator");
        }
        break;
      }
      case 6:
        Check(reader.GetChar() == model.GetChar(), "GetChar");
        break;
      default:
        Check(reader.Tell() == model.at, "Tell");
        break;
    }
    Check(reader.Ended() == model.ended, "ended");
    Check(reader.Failed() == model.failed, "failed");
    Check(reader.Tell() == model.at, "offset");
  }
  reader.Close();
  return 0;
}
