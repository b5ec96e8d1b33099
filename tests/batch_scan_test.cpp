// The one-pass scan for many names against the module's own scan run once per name, and against
// _StartAssist itself through the scripted window system, on hand-made and generated catalogues.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "assistant/assistant.h"
#include "assistant/batch_scan.h"
#include "assistant/name_matcher.h"
#include "assistant/scan.h"
#include "catalog/catalog_reader.h"
#include "stand_in/strip_lf.h"
#include "tests/support/fake_tarvlib.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_file.h"

namespace {

using assistant::BatchResult;
using assistant::BatchStatus;
using testing_support::Lines;
using testing_support::ScriptedUi;
using testing_support::ShownMessage;
using testing_support::TempDir;

// Answers to the title-guess question, as a function of the guessed title: true searches on.
using Answer = std::function<bool(const std::string& title)>;

bool AlwaysYes(const std::string& /*title*/) {
  return true;
}
bool AlwaysNo(const std::string& /*title*/) {
  return false;
}
// Yes for most titles, No for some, decided by the title alone.
bool Mixed(const std::string& title) {
  std::uint32_t hash = 2166136261U;
  for (const char c : title) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 16777619U;
  }
  return hash % 3 != 0;
}

// Something the user was shown during one name's scan: an unknown format at an offset, or a
// question with a guessed title.
struct Event {
  bool question = false;
  std::uint64_t start = 0;  // unknown formats only
  std::string title;        // questions only
  bool operator==(const Event&) const = default;
};

void PrintTo(const Event& e, std::ostream* os) {
  if (e.question) {
    *os << "question(" << ::testing::PrintToString(e.title) << ")";
  } else {
    *os << "unknown(" << e.start << ")";
  }
}

// The events a batch result stands for, in the order the name's own scan met them.
std::vector<Event> EventsOf(const BatchResult& result) {
  std::vector<std::pair<std::uint64_t, Event>> timed;
  for (const std::uint64_t start : result.unknownFormats) {
    timed.push_back({start, Event{false, start, {}}});
  }
  for (const assistant::PassedGuess& guess : result.passedOver) {
    timed.push_back({guess.start, Event{true, 0, guess.title}});
  }
  std::stable_sort(timed.begin(), timed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Event> events;
  for (auto& [start, event] : timed) {
    events.push_back(std::move(event));
  }
  if (result.status == BatchStatus::Guessed) {
    events.push_back(Event{true, 0, result.title});
  }
  return events;
}

class AnsweringBatchObserver final : public assistant::BatchObserver {
 public:
  explicit AnsweringBatchObserver(Answer answer) : answer_(std::move(answer)) {}
  bool ContinueSearching(std::size_t name, const char* guessedTitle,
                         std::uint64_t /*start*/) override {
    askedFor.push_back(name);
    return answer_(guessedTitle);
  }
  void Progress(std::uint64_t done, std::uint64_t total) override {
    EXPECT_GE(done, lastDone);
    EXPECT_LE(done, total);
    lastDone = done;
  }
  std::vector<std::size_t> askedFor;
  std::uint64_t lastDone = 0;

 private:
  Answer answer_;
};

std::vector<BatchResult> OnePass(const std::string& path, const std::vector<std::string>& names,
                                 const Answer& answer) {
  catalog::CatalogReader pass;
  catalog::CatalogReader parse;
  EXPECT_TRUE(pass.Open(path.c_str()));
  EXPECT_TRUE(parse.Open(path.c_str()));
  AnsweringBatchObserver observer(answer);
  return assistant::ScanCatalogForNames(observer, pass, parse, names);
}

// The module's scan for one name, as _StartAssist runs it, recording what it tells the user.
struct OwnScan {
  bool found = false;
  std::string title, keywords, abstract;  // as the scan left its buffers, before tidying
  std::vector<Event> events;
};

class RecordingObserver final : public assistant::ScanObserver {
 public:
  RecordingObserver(const Answer& answer, std::vector<Event>& events)
      : answer_(answer), events_(events) {}
  bool ContinueSearching(const char* guessedTitle) override {
    events_.push_back(Event{true, 0, guessedTitle});
    return answer_(guessedTitle);
  }
  void UnknownFormat(std::uint64_t start) override { events_.push_back(Event{false, start, {}}); }

 private:
  const Answer& answer_;
  std::vector<Event>& events_;
};

OwnScan ScanAlone(const std::string& path, const std::string& name, const Answer& answer) {
  OwnScan scan;
  catalog::CatalogReader reader;
  EXPECT_TRUE(reader.Open(path.c_str()));
  std::vector<char> fileName(name.begin(), name.end());
  fileName.push_back('\0');
  std::vector<char> a(catalog::kAbstractCapacity, '\0'), k(catalog::kKeywordsCapacity, '\0'),
      t(catalog::kTitleCapacity, '\0');
  const catalog::EntryOutputs outputs{
      std::span<char, catalog::kAbstractCapacity>(a.data(), a.size()),
      std::span<char, catalog::kKeywordsCapacity>(k.data(), k.size()),
      std::span<char, catalog::kTitleCapacity>(t.data(), t.size())};
  RecordingObserver observer(answer, scan.events);
  scan.found = assistant::ScanCatalog(observer, reader, fileName.data(), outputs).found;
  scan.title = t.data();
  scan.keywords = k.data();
  scan.abstract = a.data();
  return scan;
}

std::string Tidy(std::string text) {
  stand_in::StripLineEnds(text.data());
  text.resize(std::strlen(text.c_str()));
  return text;
}

const ShownMessage kNotFound{"Could not find named file in Library/Catalog", "Warning", 0x30};

ShownMessage MessageFor(const Event& event) {
  if (!event.question) {
    return {
        "Unknown Format,Please contact technical support.Please include the name of the library "
        "file,the name of the file you were attempting to extract and which forum you obtained "
        "it from.",
        "Library Format Unknown", 0x30};
  }
  return {"Possible Title Found: \r********\r" + event.title +
              "\r********\rThis seems to be either a Catalog with only Title information \rOR the "
              "file name has been mentioned in a related abstract \rand requires further "
              "searching.\rContinue Searching Catalog ?",
          "Question", 0x24};
}

// Checks the one-pass results for `names` against each name's own scan and against _StartAssist
// answered the same way.
void ExpectSameAsSeparateScans(const std::string& path, const std::vector<std::string>& names,
                               const Answer& answer, bool throughStartAssist) {
  const std::vector<BatchResult> batch = OnePass(path, names, answer);
  ASSERT_EQ(batch.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE("name #" + std::to_string(i) + " '" + names[i] + "'");
    const BatchResult& one = batch[i];
    const OwnScan own = ScanAlone(path, names[i], answer);
    EXPECT_EQ(one.status != BatchStatus::NotFound, own.found);
    EXPECT_EQ(EventsOf(one), own.events);
    if (own.found) {
      EXPECT_EQ(one.title, own.title);
      EXPECT_EQ(one.keywords, own.keywords);
      EXPECT_EQ(one.abstract, own.abstract);
      EXPECT_EQ(one.status == BatchStatus::Guessed, one.layout == catalog::Layout::Guess);
    } else {
      EXPECT_EQ(one.title, "") << "a failed attempt's title is no result";
    }
    if (!throughStartAssist) {
      continue;
    }
    ScriptedUi ui;
    ui.chosenPath = path;
    std::vector<ShownMessage> expected;
    for (const Event& event : own.events) {
      expected.push_back(MessageFor(event));
      ui.answers.push_back(event.question ? (answer(event.title) ? 6 : 7) : 1);
    }
    if (!own.found) {
      expected.push_back(kNotFound);
    }
    std::vector<char> fileName(names[i].begin(), names[i].end());
    fileName.push_back('\0');
    std::vector<char> a(799, '\0'), k(198, '\0'), t(199, '\0');
    const int result = _StartAssist(ui.owner(), fileName.data(), a.data(), k.data(), t.data());
    EXPECT_EQ(result, own.found ? 1 : 0);
    EXPECT_EQ(ui.messages, expected);
    if (own.found) {
      EXPECT_EQ(std::string(t.data()), Tidy(one.title));
      EXPECT_EQ(std::string(k.data()), Tidy(one.keywords));
      EXPECT_EQ(std::string(a.data()), Tidy(one.abstract));
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Hand-made catalogues: each case is one way a name's own scan leaves the common line grid.

struct HandCase {
  const char* what;
  std::string catalogue;
  std::vector<std::string> names;
};

std::vector<HandCase> HandCases() {
  const std::string longGuess =  // the guess runs 78 characters into this line
      "NAME.ZIP 1 2 3 " + std::string(70, 'x') + " then name.zip again 1 2 3 Second Guess Here";
  const std::string cutAtLf = "NAME.ZIP 1 2 3 " + std::string(78, 'y');  // line feed after 78
  return {
      {"a long guess resumes mid-line and meets the name again there",
       Lines({"intro", longGuess, "NAME.ZIP 4 5 6 Third"}),
       {"name.zip", "NAME.ZIP", "Name.Zip", "NAME", "AME.Z", "again", ""}},
      {"a guess of exactly 78 characters leaves the line feed for an empty piece",
       Lines({cutAtLf, "next line here and more"}, "\n"),
       {"NAME.ZIP", "", "y", "NEXT"}},
      {"a guess that stops between the carriage return and the line feed",
       "NAME.ZIP 1 2 3 " + std::string(77, 'y') + "\r\n" +
           Lines({"Bytes: 1 Count: 1", "Title: t", "Keywords: k", "[1]"}),
       {"NAME.ZIP", ""}},
      {"a line longer than 198 characters is cut differently after a mid-line resume",
       Lines({"NAME.ZIP 1 2 3 " + std::string(100, 'a') + " " + std::string(150, 'b') +
              " NAME.ZIP at the end " + std::string(60, 'c') + " NAME.ZIP"}),
       {"NAME.ZIP", "BBBBBB", "C NAME", ""}},
      {"names that are prefixes of one another, and a damaged entry between guesses",
       Lines({"AB.ZIP 1 2 3 First guess", "AB.ZIP", "Bytes: 1 Count: 1", "", "no colon", "ABC.ZIP",
              "Bytes: 1 Count: 2", "Title: abc", "Keywords: k", "text", "[1]",
              "A.ZIP 1 2 3 a guess"}),
       {"A", "AB", "ABC", "AB.ZIP", "ABC.ZIP", "A.ZIP", "B.ZIP", "ZIP", "C.Z", ""}},
      {"a whole name line where a long guess stops",
       Lines({"NAME.ZIP 1 2 3 " + std::string(78, 'z') + "NAME.ZIP", "Bytes: 1 Count: 1", "",
              "no colon", "NAME.ZIP 4 5 6 after the damaged entry"}),
       {"NAME.ZIP", "name.zip", "ZIP", ""}},
      {"the last line has no line feed", "x\r\nNAME.ZIP 1 2 3 last words", {"NAME.ZIP", "WORDS"}},
      {"an empty catalogue", "", {"NAME.ZIP", ""}},
  };
}

class HandMade : public ::testing::TestWithParam<std::size_t> {};

TEST_P(HandMade, OnePassMatchesSeparateScansAndTheModule) {
  const HandCase c = HandCases()[GetParam()];
  SCOPED_TRACE(c.what);
  TempDir dir;
  const std::string path = dir.Write("hand.cat", c.catalogue);
  for (const Answer& answer : {Answer(AlwaysYes), Answer(AlwaysNo), Answer(Mixed)}) {
    ExpectSameAsSeparateScans(path, c.names, answer, true);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HandMade, ::testing::Range<std::size_t>(0, HandCases().size()));

TEST(OnePass, FindsAnEntryThatStartsWhereALongGuessStopped) {
  // The guess takes 78 characters from the fifth word; the scan resumes in the same line, where
  // the rest of it is the name and nothing else: a name line, followed by a spaced entry.
  TempDir dir;
  const std::string guess = "Guess " + std::string(72, 'x');
  const std::string path =
      dir.Write("c.cat", Lines({"NAME.ZIP 1 2 3 " + guess + "name.zip", "Bytes: 1 Count: 1", "",
                                "Title: mid", "Keywords: k", "", "words", "[1]"}));
  const std::vector<BatchResult> results = OnePass(path, {"Name.Zip", "NAME.ZIP 1"}, AlwaysYes);
  ASSERT_EQ(results.size(), 2U);
  EXPECT_EQ(results[0].passedOver, (std::vector<assistant::PassedGuess>{{0, guess}}));
  EXPECT_EQ(results[0].status, BatchStatus::Found);
  EXPECT_EQ(results[0].layout, catalog::Layout::Spaced);
  EXPECT_EQ(results[0].entryStart, 15U + 78U);
  EXPECT_EQ(results[0].title, " mid\r");
  EXPECT_EQ(results[0].abstract, "words\r");
  // The other name is guessed from the same line, but the rest of the line does not mention it.
  EXPECT_EQ(results[1].status, BatchStatus::NotFound);
  EXPECT_EQ(results[1].passedOver, (std::vector<assistant::PassedGuess>{{0, guess}}));

  const std::vector<BatchResult> accepted = OnePass(path, {"name.zip"}, AlwaysNo);
  EXPECT_EQ(accepted[0].status, BatchStatus::Guessed);
  EXPECT_EQ(accepted[0].layout, catalog::Layout::Guess);
  EXPECT_EQ(accepted[0].title, guess);
  EXPECT_EQ(accepted[0].entryStart, 0U);
}

TEST(OnePass, ReportsNamesThatDifferOnlyInCaseEachAndAsksOnce) {
  TempDir dir;
  const std::string path = dir.Write("c.cat", Lines({"NAME.ZIP 1 2 3 A title"}));
  catalog::CatalogReader pass;
  catalog::CatalogReader parse;
  ASSERT_TRUE(pass.Open(path.c_str()));
  ASSERT_TRUE(parse.Open(path.c_str()));
  AnsweringBatchObserver observer(AlwaysNo);
  const std::vector<std::string> names = {"other", "name.zip", "NAME.ZIP", "Name.zip"};
  const std::vector<BatchResult> results =
      assistant::ScanCatalogForNames(observer, pass, parse, names);
  ASSERT_EQ(results.size(), 4U);
  EXPECT_EQ(results[0].status, BatchStatus::NotFound);
  for (std::size_t i = 1; i < 4; ++i) {
    EXPECT_EQ(results[i].status, BatchStatus::Guessed);
    EXPECT_EQ(results[i].title, "A title\r");
  }
  EXPECT_EQ(observer.askedFor, std::vector<std::size_t>{1});
}

TEST(OnePass, StopsReadingOnceEveryNameIsSettled) {
  TempDir dir;
  std::string catalogue = Lines({"A.ZIP", "Bytes: 1 Count: 1", "Title: t", "Keywords: k", "[1]"});
  catalogue += std::string(1 << 20, 'z');
  const std::string path = dir.Write("c.cat", catalogue);
  catalog::CatalogReader pass;
  catalog::CatalogReader parse;
  ASSERT_TRUE(pass.Open(path.c_str()));
  ASSERT_TRUE(parse.Open(path.c_str()));
  AnsweringBatchObserver observer(AlwaysYes);
  const auto results = assistant::ScanCatalogForNames(observer, pass, parse, {"a.zip"});
  EXPECT_EQ(results[0].status, BatchStatus::Found);
  EXPECT_EQ(results[0].layout, catalog::Layout::Compact);
  EXPECT_LT(pass.Tell(), 100U);
}

// ---------------------------------------------------------------------------------------------
// The matcher against the scan's own test, on random pieces.

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
  bool Chance(std::size_t percent) { return Below(100) < percent; }
  template <typename T>
  const T& Pick(const std::vector<T>& from) {
    return from[Below(from.size())];
  }

 private:
  std::uint64_t state_;
};

TEST(NameMatcher, AgreesWithTheScansOwnTestOnRandomPieces) {
  Random random(7);
  const std::string alphabet = "abAB.z\x01\xE9";
  std::set<std::string> distinct;
  while (distinct.size() < 60) {
    std::string name;
    const std::size_t length = random.Below(5);
    for (std::size_t i = 0; i < length; ++i) {
      name.push_back(alphabet[random.Below(alphabet.size())]);
    }
    assistant::UpperCaseAscii(name.data());
    distinct.insert(name);  // the empty name among them
  }
  const std::vector<std::string> names(distinct.begin(), distinct.end());
  assistant::NameMatcher automaton(names);
  assistant::NameMatcher oneByOne(names, 0);
  for (int round = 0; round < 4000; ++round) {
    assistant::NameMatcher& matcher = round % 2 == 0 ? automaton : oneByOne;
    std::string piece;
    const std::size_t length = random.Below(30);
    for (std::size_t i = 0; i < length; ++i) {
      piece.push_back(random.Chance(3) ? '\0' : alphabet[random.Below(alphabet.size())]);
    }
    std::vector<assistant::NameMatcher::Id> found{999};  // appended to, not cleared
    matcher.FindIn(piece.data(), piece.size(), found);
    std::vector<assistant::NameMatcher::Id> expected{999};
    for (std::size_t id = 0; id < names.size(); ++id) {
      if (matcher.Occurs(static_cast<assistant::NameMatcher::Id>(id), piece.c_str())) {
        expected.push_back(static_cast<assistant::NameMatcher::Id>(id));
      }
    }
    ASSERT_EQ(found, expected) << ::testing::PrintToString(piece);
  }
}

// ---------------------------------------------------------------------------------------------
// Generated catalogues: every layout, damaged entries, title-only lines with long guesses, names
// in prose, lines longer than 198 characters and of exactly 198, zero bytes, high bytes, both
// line ends, and a last line with or without its line feed.

class CatalogueWriter {
 public:
  CatalogueWriter(std::uint64_t seed, const std::vector<std::string>& files)
      : random_(seed), files_(files) {}

  std::string Write(std::size_t blocks) {
    crlfPercent_ = random_.Pick(std::vector<std::size_t>{0, 80, 100});
    for (std::size_t b = 0; b < blocks; ++b) {
      Block();
    }
    if (random_.Chance(50) && !out_.empty()) {
      out_.pop_back();  // the last line without its line feed (or a CR-LF without the LF)
    }
    return out_;
  }

 private:
  void Line(const std::string& text) {
    out_ += text;
    out_ += random_.Chance(crlfPercent_) ? "\r\n" : "\n";
  }

  std::string File() {
    std::string name = random_.Pick(files_);
    for (char& c : name) {
      if (random_.Chance(30) && c >= 'A' && c <= 'Z') {
        c = static_cast<char>(c - 'A' + 'a');
      }
    }
    return name;
  }

  std::string Word() {
    static const std::vector<std::string> kWords = {
        "the",          "program",  "for",    "DOS",    "with",     "a",
        "and",          "of",       "to",     "[3]",    "x]",       "[a]",
        "Title:",       "Keywords", "Bytes:", "Count:", "Abstract", "--------------------",
        "\xB0\xB1\xDB", "caf\xE9",  "a\tb",   "1995",   "zip"};
    return random_.Chance(12) ? File() : random_.Pick(kWords);
  }

  std::string Words(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
      text += (i == 0 ? "" : std::string(1 + random_.Below(2), ' ')) + Word();
    }
    return text;
  }

  void Abstract(const char* end) {
    const std::size_t lines = random_.Below(5);
    for (std::size_t i = 0; i < lines; ++i) {
      Line(random_.Chance(20) ? "" : Words(3 + random_.Below(12)));
    }
    Line(end);
  }

  void Block() {
    switch (random_.Below(14)) {
      case 0:
      case 1: {  // spaced or compact, sometimes damaged
        const bool spaced = random_.Chance(50);
        Line(File());
        Line("Bytes: " + std::to_string(random_.Below(99999)) + "  Count: 3");
        if (spaced) {
          Line("");
        }
        Line(random_.Chance(85) ? "Title: " + Words(1 + random_.Below(8)) : Words(3));
        Line(random_.Chance(85) ? "Keywords: " + Words(3) : Words(2));
        if (spaced) {
          Line("");
        }
        Abstract(random_.Chance(80) ? "[12] Uploaded by someone" : "no end here");
        break;
      }
      case 2: {  // headed, the heading somewhere around lines 4 to 16
        Line(File());
        Line("   12345 bytes  01-02-95");
        Line(Words(2 + random_.Below(6)));
        const std::size_t filler = random_.Below(14);
        for (std::size_t i = 0; i < filler; ++i) {
          Line(Words(2));
        }
        Line("Abstract");
        Abstract("------------------------------");
        break;
      }
      case 3:
      case 4: {  // title-only line, often with a guess longer than 78 characters
        Line(File() + "  " + std::to_string(random_.Below(99999)) + "  01-02-93  " +
             Words(random_.Below(40)));
        break;
      }
      case 5:
      case 6:
        Line(Words(random_.Below(14)));  // prose, maybe naming files
        break;
      case 7: {  // longer than one piece, names near the cut
        std::string text = Words(30 + random_.Below(40));
        const std::size_t at = std::min(text.size(), 185 + random_.Below(20));
        text.insert(at, File());
        Line(text);
        break;
      }
      case 8: {  // exactly around one piece long
        std::string text = Words(40);
        text.resize(197 + random_.Below(3), '.');
        Line(text);
        break;
      }
      case 9:
        Line(random_.Chance(50) ? "" : Words(1 + random_.Below(2)));  // short: the count runs on
        break;
      case 10: {  // a zero byte hides what follows it
        std::string text = Words(2);
        text.push_back('\0');
        Line(text + File() + " " + Words(6));
        break;
      }
      case 11:
      case 12:
        Trap();
        break;
      default:
        Line(File() + " " + Words(2));
        break;
    }
  }

  // A title-only line whose guess is cut at 78 characters just before a name, so that a scan
  // that searches on resumes in mid-line on a mention, maybe a whole name line with an entry
  // after it, maybe a line running on past one piece.
  void Trap() {
    std::string filler = Words(20);
    filler.resize(78, '-');
    std::string line = File() + " 1 2 3 " + filler + File();
    switch (random_.Below(4)) {
      case 0:
        line += " " + Words(random_.Below(40));
        break;
      case 1:
        line.resize(line.size() - random_.Below(3));  // the name cut short, or right at the end
        break;
      default:
        break;
    }
    Line(line);
    switch (random_.Below(4)) {
      case 0:  // a compact entry follows
        Line("Bytes: 7 Count: 7");
        Line("Title: " + Words(3));
        Line("Keywords: " + Words(2));
        Abstract("[5]");
        break;
      case 1:  // a damaged one
        Line("Bytes: 7 Count: 7");
        Line("");
        Line(Words(4));
        break;
      default:
        break;
    }
  }

  Random random_;
  const std::vector<std::string>& files_;
  std::size_t crlfPercent_ = 100;
  std::string out_;
};

std::vector<std::string> FileNames() {
  std::vector<std::string> files;
  for (const char* stem : {"AB", "ABC", "ABCD", "BAC", "CAB", "A1", "A10", "A100", "ZED"}) {
    for (const char* extension : {".ZIP", ".ARJ", ""}) {
      files.push_back(std::string(stem) + extension);
    }
  }
  return files;
}

// Hundreds of names: every file in several cases, their prefixes and other pieces of them, the
// empty name, names that are never there, and one too long for any piece.
std::vector<std::string> SearchedNames(const std::vector<std::string>& files) {
  std::vector<std::string> names = {"", "NOPE.ZIP", "ZIP ", " ", "B.Z", std::string(200, 'A')};
  for (const std::string& file : files) {
    std::string lower = file;
    std::string mixed = file;
    for (std::size_t i = 0; i < file.size(); ++i) {
      if (file[i] >= 'A' && file[i] <= 'Z') {
        lower[i] = static_cast<char>(file[i] - 'A' + 'a');
        mixed[i] = i % 2 == 0 ? lower[i] : file[i];
      }
    }
    names.insert(names.end(), {file, lower, mixed});
    for (std::size_t cut = 1; cut < file.size(); ++cut) {
      names.push_back(file.substr(0, cut));
      names.push_back(file.substr(cut));
    }
  }
  return names;
}

class Generated : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(Generated, OnePassMatchesSeparateScansAndTheModule) {
  const std::vector<std::string> files = FileNames();
  const std::vector<std::string> names = SearchedNames(files);
  ASSERT_GE(names.size(), 200U);
  TempDir dir;
  const std::string path =
      dir.Write("gen.cat", CatalogueWriter(GetParam(), files).Write(100 + GetParam() % 50));
  testing_support::FakeHost() = {};
  ExpectSameAsSeparateScans(path, names, Mixed, true);
  ExpectSameAsSeparateScans(path, names, AlwaysYes, false);
  ExpectSameAsSeparateScans(path, names, AlwaysNo, false);
}

INSTANTIATE_TEST_SUITE_P(Seeds, Generated, ::testing::Range<std::uint64_t>(1, 13));

}  // namespace
