// The fast scan must hand ParseEntry exactly the lines the line-by-line scan hands it. Checked two
// ways: the block search against a plain walk over line pieces, on random bytes; and whole scans,
// fast against line by line, on random and generated catalogues. Then catalogues past 4 GiB and
// one that shrinks while it is read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "assistant/scan.h"
#include "catalog/catalog_reader.h"
#include "catalog/mention_search.h"
#include "tests/support/temp_file.h"
#include "tools/catgen/catgen.h"

namespace {

using assistant::ScanPath;
using catalog::CatalogReader;
using catalog::EntryResult;
using catalog::kPieceLength;
using catalog::MentionSearch;
using catalog::SearchKernel;
using testing_support::TempDir;

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return text;
}

// The plain statement of the rule: walk the pieces ReadLine(199) would deliver from offset 0 and
// test each one's text (up to its first zero byte), upper-cased, for the upper-cased name.
std::size_t ExpectedMentionOrBoundary(const std::string& data,
                                      const std::vector<std::string>& names) {
  std::size_t start = 0;
  while (start < data.size()) {
    const std::size_t feed = data.find('\n', start);
    std::size_t end = 0;
    std::size_t next = 0;
    if (feed != std::string::npos && feed - start < kPieceLength) {
      end = feed;
      next = feed + 1;
    } else if (start + kPieceLength <= data.size()) {
      end = start + kPieceLength;
      next = end;
    } else {
      return start;  // the piece may run on past the data
    }
    const std::string piece = Upper(data.substr(start, end - start));
    const std::string text = piece.substr(0, std::strlen(piece.c_str()));
    for (const std::string& name : names) {
      if (text.find(Upper(name)) != std::string::npos) {
        return start;
      }
    }
    start = next;
  }
  return data.size();
}

std::size_t ExpectedMentionOrBoundary(const std::string& data, const std::string& name) {
  return ExpectedMentionOrBoundary(data, std::vector<std::string>{name});
}

// Where a scan over all of `data` stops when every stop is read as one piece: each call of `next`
// gets the data from a piece start on.
template <typename Next>
std::vector<std::size_t> Stops(const std::string& data, Next next) {
  std::vector<std::size_t> stops;
  std::size_t at = 0;
  while (at < data.size()) {
    at += next(std::string_view(data).substr(at));
    if (at == data.size()) {
      break;
    }
    stops.push_back(at);
    const std::size_t feed = data.find('\n', at);
    at = feed != std::string::npos && feed - at < kPieceLength
             ? feed + 1
             : std::min(data.size(), at + kPieceLength);
  }
  return stops;
}

std::vector<SearchKernel> Kernels() {
  std::vector<SearchKernel> kernels;
  for (const SearchKernel k : {SearchKernel::Plain, SearchKernel::Sse2, SearchKernel::Avx2}) {
    if (catalog::KernelAvailable(k)) {
      kernels.push_back(k);
    }
  }
  return kernels;
}

// Bytes that make the rules matter: letters in both cases, line feeds, carriage returns, zero
// bytes, bytes of 0x80 and above, and the characters next to the letters in the code table.
std::string RandomBytes(std::mt19937_64& random, std::size_t size, std::string_view alphabet) {
  std::string out(size, '\0');
  for (char& c : out) {
    c = alphabet[random() % alphabet.size()];
  }
  return out;
}

constexpr std::string_view kAlphabet{"aAbBzZ@[`{.\n\n\r \x00\xC1\xE1\xFF", 19};

// A name for `data`: mostly a stretch of it with the case of its letters changed, else something
// of a length that matters.
std::string RandomName(std::mt19937_64& random, const std::string& data) {
  switch (random() % 8) {
    case 0:
      return "";
    case 1:
      return std::string(kPieceLength - 1 + random() % 3, 'a');  // 197 to 199 characters
    case 2:
      return RandomBytes(random, 1 + random() % 3, "aAbB@[\xC1\xE1");
    default: {
      if (data.empty()) {
        return "a";
      }
      const std::size_t at = random() % data.size();
      std::string name = data.substr(at, 1 + random() % 12);
      for (char& c : name) {
        if (c == '\0') {
          c = 'a';
        } else if (std::isalpha(static_cast<unsigned char>(c)) != 0 && random() % 2 == 0) {
          c = static_cast<char>(c ^ 0x20);
        }
      }
      return name;
    }
  }
}

TEST(MentionSearch, FindsTheSamePieceAsAWalkOverPieces) {
  std::mt19937_64 random(20260511);
  for (int round = 0; round < 4000; ++round) {
    // Long runs without a line feed in some rounds, so that lines are split into pieces.
    const std::string_view alphabet = round % 3 == 0 ? kAlphabet.substr(0, 10) : kAlphabet;
    const std::string data = RandomBytes(random, random() % 1500, alphabet);
    const std::string name = RandomName(random, data);
    const std::size_t expected = ExpectedMentionOrBoundary(data, name);
    for (const SearchKernel kernel : Kernels()) {
      const MentionSearch search(name.c_str(), kernel);
      ASSERT_EQ(search.NextMentionOrBoundary(reinterpret_cast<const unsigned char*>(data.data()),
                                             data.size()),
                expected)
          << "round " << round << " kernel " << static_cast<int>(kernel) << " name '" << name
          << "' (" << name.size() << " bytes)";
    }
  }
}

TEST(MentionSearch, ManyNamesStopWhereAnyOfThemIsMentioned) {
  std::mt19937_64 random(77);
  for (int round = 0; round < 1500; ++round) {
    const std::string_view alphabet = round % 3 == 0 ? kAlphabet.substr(0, 10) : kAlphabet;
    const std::string data = RandomBytes(random, random() % 1500, alphabet);
    std::vector<std::string> names(random() % 6);
    for (std::string& name : names) {
      name = RandomName(random, data);
      // The empty name would make every piece a stop; keep it to a few rounds.
      if (name.empty() && round % 10 != 0) {
        name = "~~";
      }
      name.erase(std::find(name.begin(), name.end(), '\0'), name.end());
    }
    const MentionSearch search(names);
    const auto fast = [&](std::string_view rest) {
      return search.NextMentionOrBoundary(reinterpret_cast<const unsigned char*>(rest.data()),
                                          rest.size());
    };
    const auto plain = [&](std::string_view rest) {
      return ExpectedMentionOrBoundary(std::string(rest), names);
    };
    ASSERT_EQ(Stops(data, fast), Stops(data, plain)) << "round " << round;
  }
}

TEST(MentionSearch, ManyNamesOnAGeneratedCatalogue) {
  catgen::Options options;
  options.seed = 3;
  options.size = 300000;
  std::vector<std::string> entries;
  catgen::Sink sink;
  std::string data;
  sink.write = [&](std::string_view bytes) { data.append(bytes); };
  sink.entry = [&](std::string_view name, std::uint64_t) { entries.emplace_back(name); };
  catgen::Generate(options, sink);
  // Every fourth entry, some lower-cased, some cut to a part of the name, one of one letter.
  std::vector<std::string> names = {"MOONBASE.ZIP", "q"};
  for (std::size_t i = 0; i < entries.size(); i += 4) {
    std::string name = entries[i];
    if (i % 3 == 0) {
      name = Upper(name);
      std::transform(name.begin(), name.end(), name.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      });
    } else if (i % 5 == 0) {
      name = name.substr(1, 5);
    }
    names.push_back(name);
  }
  const MentionSearch search(names);
  const auto fast = [&](std::string_view rest) {
    return search.NextMentionOrBoundary(reinterpret_cast<const unsigned char*>(rest.data()),
                                        rest.size());
  };
  const auto plain = [&](std::string_view rest) {
    return ExpectedMentionOrBoundary(std::string(rest), names);
  };
  const std::vector<std::size_t> stops = Stops(data, fast);
  EXPECT_EQ(stops, Stops(data, plain));
  EXPECT_GT(stops.size(), names.size());  // the names and their mentions were found
}

TEST(MentionSearch, KeepsTheLineRulesAtTheirEdges) {
  const std::string longLine(kPieceLength - 4, 'x');
  struct Case {
    const char* what;
    std::string data;
    std::string name;
    std::size_t expected;
  };
  const std::vector<Case> cases = {
      {"found ignoring case", "one\ntwo Name.zip\n", "NAME.ZIP", 4},
      {"letters only are folded", "a{b\na[b\n", "A[B", 4},
      {"bytes of 0x80 and above match only themselves", "\xE1\n\xC1\n", "\xC1", 2},
      {"straddling a piece split is not found", longLine + "NAME.ZIP\nNAME.ZIP\n", "name.zip",
       kPieceLength + 5},
      {"found in the second piece of a long line", longLine + "abcdNAME.ZIP\n", "name.zip",
       kPieceLength},
      {"a piece of 198 leaves its line feed: the empty piece that follows",
       std::string(kPieceLength, 'y') + "\nNAME\n", "name", kPieceLength + 1},
      {"a zero byte ends the text", std::string("ab\0NAME\nNAME\n", 13), "name", 8},
      {"a line feed inside the name never matches", "A\nB\n", "a\nb", 4},
      {"a name of 198 matches a whole piece", std::string(kPieceLength, 'q') + "\n",
       std::string(kPieceLength, 'Q'), 0},
      {"a name of 199 matches nothing", std::string(300, 'q') + "\n",
       std::string(kPieceLength + 1, 'q'), 301},
      {"the empty name is in the first piece", "abc\n", "", 0},
      {"no mention: the last piece start", "abc\ndef", "xyz", 4},
      {"no mention, last piece ends at the end", "abc\n", "xyz", 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExpectedMentionOrBoundary(c.data, c.name), c.expected) << c.what;
    for (const SearchKernel kernel : Kernels()) {
      const MentionSearch search(c.name.c_str(), kernel);
      EXPECT_EQ(search.NextMentionOrBoundary(reinterpret_cast<const unsigned char*>(c.data.data()),
                                             c.data.size()),
                c.expected)
          << c.what << ", kernel " << static_cast<int>(kernel);
    }
  }
}

// Everything a scan shows of itself: each ParseEntry call with its answer, each message, the
// outcome and the host's buffers afterwards.
class RecordingObserver final : public assistant::ScanObserver {
 public:
  explicit RecordingObserver(unsigned refuseEvery) : refuseEvery_(refuseEvery) {}

  bool ContinueSearching(const char* guessedTitle) override {
    events.push_back("guess " + std::string(guessedTitle));
    ++questions_;
    return refuseEvery_ == 0 || questions_ % refuseEvery_ != 0;
  }
  void UnknownFormat(std::uint64_t start) override {
    events.push_back("unknown " + std::to_string(start));
  }
  void Parsed(std::uint64_t start, EntryResult result) override {
    events.push_back("parsed " + std::to_string(start) + " " +
                     std::to_string(static_cast<int>(result)));
    ++parsed;
  }

  std::vector<std::string> events;
  std::size_t parsed = 0;

 private:
  unsigned refuseEvery_;  // answer No to every n-th question; 0: always Yes
  unsigned questions_ = 0;
};

struct ScanRecord {
  std::vector<std::string> events;
  bool found = false;
  std::uint64_t entryStart = 0;
  std::string fileName, abstract, keywords, title;
};

ScanRecord RunScan(const std::string& path, const std::string& name, ScanPath scanPath,
                   unsigned refuseEvery) {
  CatalogReader reader;
  EXPECT_TRUE(reader.Open(path.c_str()));
  std::vector<char> fileName(name.begin(), name.end());
  fileName.push_back('\0');
  std::vector<char> abstract(catalog::kAbstractCapacity, '\0');
  std::vector<char> keywords(catalog::kKeywordsCapacity, '\0');
  std::vector<char> title(catalog::kTitleCapacity, '\0');
  const catalog::EntryOutputs outputs{
      std::span<char, catalog::kAbstractCapacity>(abstract.data(), abstract.size()),
      std::span<char, catalog::kKeywordsCapacity>(keywords.data(), keywords.size()),
      std::span<char, catalog::kTitleCapacity>(title.data(), title.size())};
  RecordingObserver observer(refuseEvery);
  const assistant::ScanResult result =
      assistant::ScanCatalog(observer, reader, fileName.data(), outputs, scanPath);
  return ScanRecord{observer.events, result.found,    result.entryStart, fileName.data(),
                    abstract.data(), keywords.data(), title.data()};
}

// Scans `path` for `name` both ways and expects the same record. Returns the number of entries
// handed to ParseEntry.
std::size_t ExpectSameScan(const std::string& path, const std::string& name, unsigned refuseEvery) {
  const ScanRecord line = RunScan(path, name, ScanPath::Line, refuseEvery);
  const ScanRecord fast = RunScan(path, name, ScanPath::Fast, refuseEvery);
  const std::string what = "name '" + name + "' (" + std::to_string(name.size()) + " bytes)";
  EXPECT_EQ(fast.events, line.events) << what;
  EXPECT_EQ(fast.found, line.found) << what;
  EXPECT_EQ(fast.entryStart, line.entryStart) << what;
  EXPECT_EQ(fast.fileName, line.fileName) << what;
  EXPECT_EQ(fast.abstract, line.abstract) << what;
  EXPECT_EQ(fast.keywords, line.keywords) << what;
  EXPECT_EQ(fast.title, line.title) << what;
  std::size_t parsed = 0;
  for (const std::string& event : line.events) {
    parsed += event.starts_with("parsed ") ? 1u : 0u;
  }
  return parsed;
}

// Larger than two read blocks, so that lines and names straddle the blocks' edges.
constexpr std::size_t kCatalogueSize = CatalogReader::kBlockSize * 2 + 12345;

TEST(FastScan, MatchesLineScanOnGeneratedCatalogues) {
  TempDir dir;
  std::size_t parsed = 0;
  for (const bool crlf : {true, false}) {
    catgen::Options options;
    options.seed = crlf ? 7 : 8;
    options.size = kCatalogueSize;
    options.crlf = crlf;
    options.planted = {"LASTONE.ZIP"};
    std::vector<std::string> names;
    catgen::Sink sink;
    std::string bytes;
    sink.write = [&](std::string_view piece) { bytes.append(piece); };
    sink.entry = [&](std::string_view entry, std::uint64_t) {
      if (names.size() < 4000) {
        names.emplace_back(entry);
      }
    };
    catgen::Generate(options, sink);
    const std::string path = dir.Write(crlf ? "crlf.cat" : "lf.cat", bytes);
    // Entries from the start, the middle and the end, as written and lower-cased; names that are
    // mentioned in other abstracts; part of a name; absent, empty and overlong names.
    std::vector<std::string> tried = {
        "LASTONE.ZIP", "lastone.zip", "MOONBASE.ZIP", ".ZIP", "", std::string(kPieceLength, 'e'),
        "See also"};
    for (std::size_t i = 0; i < names.size(); i += names.size() / 9) {
      tried.push_back(names[i]);
      std::string lower = names[i];
      for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
      tried.push_back(lower);
      tried.push_back(names[i].substr(2, 4));
    }
    for (const std::string& name : tried) {
      parsed += ExpectSameScan(path, name, 0);
      parsed += ExpectSameScan(path, name, 3);
    }
  }
  EXPECT_GT(parsed, 100u);  // the comparison saw real work, not only empty scans
}

TEST(FastScan, MatchesLineScanOnRandomCatalogues) {
  TempDir dir;
  std::mt19937_64 random(5);
  // Line ends of each kind, and alphabets that make pieces split in long lines.
  const std::vector<std::string_view> alphabets = {kAlphabet, "abcAB \r\n", "abcAB\rXY",
                                                   "abcAB\nXY",
                                                   "a\0\xE1"
                                                   "bB\n\n\n"};
  std::size_t parsed = 0;
  for (int round = 0; round < 10; ++round) {
    const std::string_view alphabet = alphabets[static_cast<std::size_t>(round) % alphabets.size()];
    const std::size_t size = round < 5 ? random() % 4000 : kCatalogueSize;
    const std::string bytes = RandomBytes(random, size, alphabet);
    const std::string path = dir.Write("random" + std::to_string(round) + ".cat", bytes);
    for (int n = 0; n < 6; ++n) {
      std::string name = RandomName(random, bytes);
      // Most random stretches are everywhere; a longer one is rare enough to let the scan run.
      if (size > 4000 && name.size() < 6 && n > 1) {
        name = bytes.substr(random() % (bytes.size() - 20), 12);
        name.erase(std::find(name.begin(), name.end(), '\0'), name.end());
      }
      parsed += ExpectSameScan(path, name, n % 2 == 0 ? 0 : 2);
    }
  }
  EXPECT_GT(parsed, 10u);
}

// A file of `size` bytes, all zero but `bytes` at `offset`; sparse where the system allows.
std::string SparseFile(const TempDir& dir, std::uint64_t size, std::uint64_t offset,
                       const std::string& bytes) {
  const std::string path = dir.path() + "/sparse.cat";
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
  EXPECT_EQ(::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)),
            static_cast<ssize_t>(bytes.size()));
  ::close(fd);
  return path;
}

TEST(FastScan, FindsAnEntryBeyondFourGibibytes) {
  // Holes in a memory file system read as zeros at memory speed; on a disk each one first costs a
  // page of the cache.
  const bool memoryFolder = ::access("/dev/shm", W_OK) == 0;
  const TempDir dir = memoryFolder ? TempDir("/dev/shm") : TempDir();
  constexpr std::uint64_t kFourGiB = std::uint64_t{1} << 32;
  // The zeros before the entry read as one long line; the entry's name line begins after a line
  // feed, 4 GiB and a little into the file.
  const std::uint64_t at = kFourGiB + 4093;
  const std::string entry =
      "\nFARAWAY.ZIP\r\nBytes: 1  Count: 2\r\nTitle:   Far away\r\nKeywords: FAR\r\nIt is "
      "far.\r\n[1] Uploaded by Nobody\r\n";
  const std::string path = SparseFile(dir, at + entry.size(), at, entry);
  {
    CatalogReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    EXPECT_EQ(reader.Size(), at + entry.size());
    reader.Seek(at + 1);
    char line[catalog::kLineCapacity];
    reader.ReadLine(line, catalog::kLineLimit);
    EXPECT_STREQ(line, "FARAWAY.ZIP\r");
    EXPECT_EQ(reader.Tell(), at + 14);
  }
  const ScanRecord fast = RunScan(path, "faraway.zip", ScanPath::Fast, 0);
  EXPECT_TRUE(fast.found);
  EXPECT_EQ(fast.entryStart, at + 1);
  EXPECT_EQ(fast.title, "   Far away\r");
  EXPECT_EQ(fast.keywords, " FAR\r");
  EXPECT_EQ(fast.abstract, "It is far.\r");
  EXPECT_EQ(fast.events, std::vector<std::string>{"parsed " + std::to_string(at + 1) + " 1"});
}

// Truncates the catalogue at the first entry the scan hands over; reading must end quietly.
class ShrinkingObserver final : public assistant::ScanObserver {
 public:
  explicit ShrinkingObserver(std::string path) : path_(std::move(path)) {}
  bool ContinueSearching(const char*) override { return true; }
  void UnknownFormat(std::uint64_t) override {}
  void Parsed(std::uint64_t, EntryResult) override {
    if (!shrunk_) {
      EXPECT_EQ(::truncate(path_.c_str(), 100), 0);
      shrunk_ = true;
    }
  }

 private:
  std::string path_;
  bool shrunk_ = false;
};

TEST(FastScan, EndsQuietlyWhenTheCatalogueShrinksDuringTheScan) {
  TempDir dir;
  catgen::Options options;
  options.size = CatalogReader::kBlockSize * 8;
  options.planted = {"LASTONE.ZIP"};
  const std::string path = dir.Write("shrinking.cat", catgen::GenerateString(options));
  CatalogReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  char fileName[] = "zip";  // in nearly every entry, so the file shrinks early
  std::vector<char> abstract(catalog::kAbstractCapacity, '\0');
  std::vector<char> keywords(catalog::kKeywordsCapacity, '\0');
  std::vector<char> title(catalog::kTitleCapacity, '\0');
  const catalog::EntryOutputs outputs{
      std::span<char, catalog::kAbstractCapacity>(abstract.data(), abstract.size()),
      std::span<char, catalog::kKeywordsCapacity>(keywords.data(), keywords.size()),
      std::span<char, catalog::kTitleCapacity>(title.data(), title.size())};
  ShrinkingObserver observer(path);
  const assistant::ScanResult result = assistant::ScanCatalog(observer, reader, fileName, outputs);
  EXPECT_FALSE(result.found);  // the planted entry was cut away
  EXPECT_TRUE(reader.AtEnd());
}

}  // namespace
