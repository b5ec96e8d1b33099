#include "catalog/entry_parser.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "tests/support/temp_file.h"

namespace {

using catalog::EntryResult;
using catalog::Layout;
using testing_support::Lines;
using testing_support::TempDir;

struct ScriptedPrompt final : catalog::GuessPrompt {
  std::deque<bool> answers;  // true: yes, search on; when empty, yes
  std::vector<std::string> asked;
  bool ContinueSearching(const char* guessedTitle) override {
    asked.emplace_back(guessedTitle);
    if (answers.empty()) {
      return true;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

struct Parsed {
  EntryResult result = EntryResult::Unrecognised;
  Layout layout = Layout::Guess;
  std::string title;
  std::string keywords;
  std::string abstract;
  std::uint64_t after = 0;  // where the reader was left
  std::vector<std::string> asked;
};

struct ParseCall {
  std::string catalogue;
  const char* fileName = "NAME.ZIP";
  std::uint64_t start = 0;
  EntryResult previous = EntryResult::Unrecognised;
  std::deque<bool> answers = {};
  std::string abstractBefore = "";
};

Parsed Parse(const ParseCall& call) {
  TempDir dir;
  catalog::CatalogReader reader;
  EXPECT_TRUE(reader.Open(dir.Write("x.cat", call.catalogue).c_str()));
  char abstract[catalog::kAbstractCapacity] = {};
  char keywords[catalog::kKeywordsCapacity] = "untouched keywords";
  char title[catalog::kTitleCapacity] = "untouched title";
  call.abstractBefore.copy(abstract, sizeof abstract - 1);
  ScriptedPrompt prompt;
  prompt.answers = call.answers;
  Parsed parsed;
  parsed.result = catalog::ParseEntry(prompt, reader, call.start, {abstract, keywords, title},
                                      call.fileName, call.previous, &parsed.layout);
  parsed.title = title;
  parsed.keywords = keywords;
  parsed.abstract = abstract;
  parsed.after = reader.Tell();
  parsed.asked = prompt.asked;
  return parsed;
}

const std::string kSpaced =
    Lines({"name.zip", "Bytes: 1200  Count: 4  Date: 01-02-93", "", "Title: X", "Keywords: Y", "",
           "first line", "", "second line", "[1] uploaded by someone", "later.zip"});

TEST(ParseEntry, ReadsSpacedEntryWithoutItsBlankLines) {
  const Parsed p = Parse({kSpaced});
  EXPECT_EQ(p.result, EntryResult::Found);
  EXPECT_EQ(p.layout, Layout::Spaced);
  EXPECT_EQ(p.title, " X\r");
  EXPECT_EQ(p.keywords, " Y\r");
  EXPECT_EQ(p.abstract, "first line\rsecond line\r");
  EXPECT_EQ(p.after, kSpaced.find("later.zip"));  // just after the line that ended the entry
  EXPECT_TRUE(p.asked.empty());
}

TEST(ParseEntry, ReadsCompactEntryThatTheSpacedAttemptRejects) {
  const std::string compact =
      Lines({"name.zip", "Bytes: 1  Count: 2", "Title: X", "Keywords: Y", "abstract", "[2]"});
  const Parsed p = Parse({compact});
  EXPECT_EQ(p.result, EntryResult::Found);
  EXPECT_EQ(p.layout, Layout::Compact);
  EXPECT_EQ(p.title, " X\r");
  EXPECT_EQ(p.keywords, " Y\r");
  EXPECT_EQ(p.abstract, "abstract\r");
  EXPECT_EQ(p.after, compact.size());
}

TEST(ParseEntry, TitleWithoutColonAfterSizeLineEndsTheParse) {
  struct Case {
    std::vector<std::string_view> lines;
    std::size_t afterLines;  // the reader stands after this many lines
  };
  const Case cases[] = {
      // Spaced attempt: line 4 has no ':'.
      {{"name.zip", "Bytes: 1 Count: 1", "", "No title here", "Keywords: k", "text", "[1]"}, 4},
      // Spaced mismatch on line 5, then the compact attempt: line 3 has no ':'.
      {{"name.zip", "Bytes: 1 Count: 1", "Untitled", "Keywords: k", "text", "[1]"}, 3},
  };
  for (const Case& c : cases) {
    std::string text;
    std::vector<std::size_t> ends;
    for (const std::string_view line : c.lines) {
      text += std::string(line) + "\r\n";
      ends.push_back(text.size());
    }
    const Parsed p = Parse({text});
    EXPECT_EQ(p.result, EntryResult::Unrecognised) << text;
    EXPECT_EQ(p.after, ends[c.afterLines - 1]) << text;
    EXPECT_TRUE(p.asked.empty()) << "neither the headed layout nor the guess is tried";
    EXPECT_EQ(p.keywords, "untouched keywords");
    EXPECT_EQ(p.abstract, "");
  }
}

std::string Headed(int headingLine, std::string_view end = "\r\n") {
  std::string text = "NAME.ZIP" + std::string(end) + "12345 bytes" + std::string(end) +
                     "  A Title For It" + std::string(end);
  for (int line = 4; line < headingLine; ++line) {
    text += "detail " + std::to_string(line) + std::string(end);
  }
  text += "Abstract" + std::string(end) + "what it does" + std::string(end) + std::string(end) +
          "more" + std::string(end) + std::string(30, '-') + std::string(end) + "OTHER.ZIP" +
          std::string(end);
  return text;
}

TEST(ParseEntry, HeadedEntryHeadingAsLateAsLine15) {
  const std::string text = Headed(15);
  const Parsed p = Parse({text});
  EXPECT_EQ(p.result, EntryResult::Found);
  EXPECT_EQ(p.layout, Layout::Headed);
  EXPECT_EQ(p.title, "  A Title For It\r");
  EXPECT_EQ(p.abstract, "what it does\rmore\r");
  EXPECT_EQ(p.keywords, "untouched keywords");
  EXPECT_EQ(p.after, text.find("OTHER.ZIP"));

  const Parsed late = Parse({Headed(16), "NAME.ZIP", 0, EntryResult::Unrecognised, {false}});
  EXPECT_EQ(late.result, EntryResult::GuessAccepted);
  EXPECT_EQ(late.asked.size(), 1U);
}

TEST(ParseEntry, HeadingNeverMatchesInLineFeedFile) {
  const Parsed p = Parse({Headed(4, "\n"), "NAME.ZIP", 0, EntryResult::Unrecognised, {false}});
  EXPECT_EQ(p.result, EntryResult::GuessAccepted);
  // A blank line in a LF file is the empty text, which adds nothing to an abstract.
  const Parsed compact = Parse(
      {Lines({"name.zip", "Bytes: 1 Count: 1", "Title: T", "Keywords: K", "one", "", "two", "[9]"},
             "\n")});
  EXPECT_EQ(compact.result, EntryResult::Found);
  EXPECT_EQ(compact.abstract, "onetwo");
  EXPECT_EQ(compact.title, " T");
}

TEST(EntryEnded, BracketAndDashRules) {
  struct Case {
    const char* line;
    bool endsBracketed;
    bool endsHeaded;
  };
  const Case cases[] = {
      {"[1]", true, false},
      {"x] [2", true, false},
      {"by [0] someone", true, false},
      {"[a]", false, false},
      {"[1", false, false},
      {"] [ 1", false, false},
      {"[a] [1]", false, false},  // only the first '[' counts
      {"--------------------", false, true},
      {"---------------------x", false, true},
      {"-------------------", false, false},
      {"", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(catalog::EntryEnded(c.line, Layout::Spaced), c.endsBracketed) << c.line;
    EXPECT_EQ(catalog::EntryEnded(c.line, Layout::Compact), c.endsBracketed) << c.line;
    EXPECT_EQ(catalog::EntryEnded(c.line, Layout::Headed), c.endsHeaded) << c.line;
  }
}

TEST(ParseEntry, AbstractNeverReaches799Characters) {
  const std::string before(700, 'a');
  for (const std::size_t length : {98U, 99U, 100U}) {
    const std::string line(length, 'b');
    const Parsed p = Parse(
        {Lines({"name.zip", "Bytes: Count:", "Title: T", "Keywords: K", line, "not reached", "[1]"},
               "\n"),
         "NAME.ZIP",
         0,
         EntryResult::Unrecognised,
         {},
         before});
    EXPECT_EQ(p.result, EntryResult::Found);
    if (length == 98) {
      EXPECT_EQ(p.abstract, before + line);  // 798 now: the next line no longer fits
    } else {
      EXPECT_EQ(p.abstract, before) << length;
    }
    EXPECT_LE(p.abstract.size(), 798U);
  }
}

TEST(ParseEntry, FirstAbstractLineEndingTheEntryAddsNothing) {
  const Parsed p =
      Parse({Lines({"name.zip", "Bytes: Count:", "Title: T", "Keywords: K", "[3] by nobody"})});
  EXPECT_EQ(p.result, EntryResult::Found);
  EXPECT_EQ(p.abstract, "");
}

TEST(IsNameLine, DropsOnlyOneTrailingCharacter) {
  struct Case {
    const char* line;
    bool matches;
  };
  const Case cases[] = {
      {"name.zip\r", true},    {"NAME.ZIP", true},   {"name.zipX", true}, {"name.zip1\r", false},
      {"name.zip\r\r", false}, {" name.zip", false}, {"name.zi", false},
  };
  for (const Case& c : cases) {
    std::string line = c.line;
    EXPECT_EQ(catalog::IsNameLine(line.data(), "NAME.ZIP"), c.matches) << c.line;
  }
}

TEST(GuessTitle, OffersTextFromTheFifthWord) {
  struct Case {
    std::string catalogue;
    std::string guess;
  };
  const Case cases[] = {
      {"NAME.ZIP 12345 01-02-93 x Great Game Of Cards\r\nnext\r\n", "Great Game Of Cards\r"},
      {"  NAME.ZIP 12345 01-02-93 Great Game\r\n", "Great Game\r"},    // leading blanks: 4th word
      {"NAME.ZIP 12\r\nalpha beta gamma delta\r\n", "gamma delta\r"},  // count runs on
      {"NAME.ZIP\ta b c d e\n", "e"},                                  // a tab is a word character
  };
  for (const Case& c : cases) {
    const Parsed p = Parse({c.catalogue, "NAME.ZIP", 0, EntryResult::Unrecognised, {false}});
    EXPECT_EQ(p.result, EntryResult::GuessAccepted) << c.catalogue;
    EXPECT_EQ(p.layout, Layout::Guess);
    EXPECT_EQ(p.title, c.guess);
    EXPECT_EQ(p.asked, std::vector<std::string>{c.guess});
    EXPECT_EQ(p.keywords, "untouched keywords");
    EXPECT_EQ(p.abstract, "");
    EXPECT_EQ(p.after, c.catalogue.find(c.guess) + c.guess.size() + 1);
  }
}

TEST(GuessTitle, LongGuessIsCutAt78AndReadingResumesMidLine) {
  const std::string description(100, 'd');
  const std::string text = "NAME.ZIP 1 2 3 " + description + "\n";
  const Parsed p = Parse({text, "NAME.ZIP", 0, EntryResult::Unrecognised, {true}});
  EXPECT_EQ(p.result, EntryResult::KeepSearching);
  EXPECT_EQ(p.title, std::string(78, 'd'));
  EXPECT_EQ(p.after, 15U + 78U);
}

TEST(GuessTitle, AsksNothingAfterYesOrAtTheEndOfTheFile) {
  const Parsed after = Parse({"NAME.ZIP 1 2 3 title\n", "NAME.ZIP", 0, EntryResult::KeepSearching});
  EXPECT_EQ(after.result, EntryResult::KeepSearching);
  EXPECT_TRUE(after.asked.empty());
  EXPECT_EQ(after.title, "untouched title");

  const Parsed shortFile = Parse({"NAME.ZIP 1 2\n"});
  EXPECT_EQ(shortFile.result, EntryResult::Unrecognised);
  EXPECT_TRUE(shortFile.asked.empty());
}

TEST(ParseEntry, FailedAttemptsMayLeaveATitleButNeverKeywordsOrAbstract) {
  // Spaced and compact attempts copy a title before their keywords line fails them; the headed
  // attempt then overwrites it with line 3 and fails too; no guess follows a yes.
  const Parsed p = Parse({Lines({"name.zip", "Bytes: Count:", "Title: T", "Subject: K", "x"}),
                          "NAME.ZIP", 0, EntryResult::KeepSearching});
  EXPECT_EQ(p.result, EntryResult::KeepSearching);
  EXPECT_TRUE(p.asked.empty());
  EXPECT_EQ(p.title, "Title: T\r");
  EXPECT_EQ(p.keywords, "untouched keywords");
  EXPECT_EQ(p.abstract, "");
}

}  // namespace
