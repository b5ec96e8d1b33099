// catdesc's own parts: the code pages, its command line and its records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/catdesc/encoding.h"
#include "tools/catdesc/options.h"
#include "tools/catdesc/report.h"

namespace {

using catdesc::Encoding;

std::string Decoded(std::string_view bytes, Encoding encoding) {
  std::string out;
  catdesc::AppendUtf8(out, bytes, encoding);
  return out;
}

TEST(Encoding, DecodesEveryByteToOneWellFormedCharacter) {
  for (const Encoding encoding : {Encoding::Cp437, Encoding::Cp1252, Encoding::Latin1}) {
    for (int byte = 1; byte < 256; ++byte) {
      const std::string one = Decoded(std::string(1, static_cast<char>(byte)), encoding);
      EXPECT_TRUE(catdesc::IsUtf8(one)) << byte;
      EXPECT_EQ(one.size() == 1, byte < 0x80) << byte;
    }
  }
}

TEST(Encoding, KnownCharacters) {
  struct Case {
    Encoding encoding;
    std::string bytes;
    std::string text;
  };
  const std::vector<Case> cases = {
      {Encoding::Cp437, "\x80\x9E\xB0\xC9\xE1\xFA\xFF",
       "\u00C7\u20A7\u2591\u2554\u00DF\u00B7\u00A0"},
      {Encoding::Cp1252, "\x80\x81\x8D\x99\x9F\xA0\xE9",
       "\u20AC\u0081\u008D\u2122\u0178\u00A0\u00E9"},
      {Encoding::Latin1, "\x80\x9F\xE9\xFF", "\u0080\u009F\u00E9\u00FF"},
      {Encoding::Cp437, "plain text\r\n", "plain text\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decoded(c.bytes, c.encoding), c.text);
  }
}

TEST(Encoding, NamesIgnoreCase) {
  EXPECT_EQ(catdesc::EncodingNamed("CP437"), Encoding::Cp437);
  EXPECT_EQ(catdesc::EncodingNamed("cp1252"), Encoding::Cp1252);
  EXPECT_EQ(catdesc::EncodingNamed("Latin1"), Encoding::Latin1);
  EXPECT_EQ(catdesc::EncodingNamed("utf8"), std::nullopt);
  EXPECT_EQ(catdesc::EncodingNamed(""), std::nullopt);
}

TEST(Encoding, RecognisesWellFormedUtf8) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"", true},
      {"ascii", true},
      {"caf\xC3\xA9", true},
      {"\xE2\x82\xAC", true},
      {"\xF0\x9F\x98\x80", true},
      {"caf\xE9", false},           // a Latin-1 byte
      {"\xC0\xAF", false},          // overlong
      {"\xE0\x80\xAF", false},      // overlong
      {"\xED\xA0\x80", false},      // a surrogate
      {"\xF4\x90\x80\x80", false},  // past U+10FFFF
      {"\xE2\x82", false},          // cut short
      {"\x80", false},              // a lone continuation byte
  };
  for (const auto& [text, good] : cases) {
    EXPECT_EQ(catdesc::IsUtf8(text), good) << ::testing::PrintToString(text);
  }
}

struct ArgumentsCase {
  std::vector<std::string> arguments;
  catdesc::Parsed parsed;
};

TEST(Arguments, Outcomes) {
  using catdesc::Parsed;
  const std::vector<ArgumentsCase> cases = {
      {{"cat", "A"}, Parsed::Run},
      {{"cat", "--names", "f"}, Parsed::Run},
      {{"--help", "whatever", "--bad"}, Parsed::Help},
      {{"cat", "A", "-h"}, Parsed::Help},
      {{}, Parsed::Error},
      {{"cat"}, Parsed::Error},
      {{"cat", "A", "--names"}, Parsed::Error},
      {{"cat", "A", "--guess=maybe"}, Parsed::Error},
      {{"cat", "A", "--encoding=utf8"}, Parsed::Error},
      {{"cat", "A", "--jsonx"}, Parsed::Error},
      {{"cat", "A", "-x"}, Parsed::Error},
  };
  for (const ArgumentsCase& c : cases) {
    catdesc::Options options;
    std::string error;
    EXPECT_EQ(catdesc::ParseArguments(c.arguments, options, error), c.parsed)
        << ::testing::PrintToString(c.arguments);
    EXPECT_EQ(error.empty(), c.parsed != Parsed::Error) << error;
  }
}

TEST(Arguments, Values) {
  catdesc::Options options;
  std::string error;
  ASSERT_EQ(catdesc::ParseArguments({"--json", "--raw", "--guess", "accept", "--encoding=latin1",
                                     "cat", "--names=-", "A", "--", "--B", "-"},
                                    options, error),
            catdesc::Parsed::Run);
  EXPECT_EQ(options.catalogue, "cat");
  EXPECT_EQ(options.names, (std::vector<std::string>{"A", "--B", "-"}));
  EXPECT_EQ(options.nameFiles, std::vector<std::string>{"-"});
  EXPECT_EQ(options.guess, catdesc::GuessMode::Accept);
  EXPECT_TRUE(options.style.json);
  EXPECT_TRUE(options.style.raw);
  EXPECT_EQ(options.style.encoding, Encoding::Latin1);

  catdesc::Options defaults;
  ASSERT_EQ(catdesc::ParseArguments({"cat", "A"}, defaults, error), catdesc::Parsed::Run);
  EXPECT_EQ(defaults.guess, std::nullopt);
  EXPECT_FALSE(defaults.style.json);
  EXPECT_FALSE(defaults.style.raw);
  EXPECT_EQ(defaults.style.encoding, Encoding::Cp437);
}

TEST(Record, JsonIsWellFormedUtf8WhateverTheCatalogueHolds) {
  std::string everything;
  for (int byte = 1; byte < 256; ++byte) {
    everything.push_back(static_cast<char>(byte));
  }
  assistant::BatchResult result;
  result.status = assistant::BatchStatus::Found;
  result.layout = catalog::Layout::Headed;
  result.title = result.keywords = result.abstract = everything;
  result.passedOver = {{7, everything}};
  for (const bool raw : {false, true}) {
    catdesc::OutputStyle style;
    style.json = true;
    style.raw = raw;
    const std::string json = catdesc::FormatRecord("n\xE9", result, style);
    EXPECT_TRUE(catdesc::IsUtf8(json));
    ASSERT_FALSE(json.empty());
    EXPECT_EQ(json.back(), '\n');
    for (std::size_t i = 0; i + 1 < json.size(); ++i) {
      EXPECT_GE(static_cast<unsigned char>(json[i]), 0x20U) << "raw control byte at " << i;
    }
    EXPECT_NE(json.find(R"(\"#$%)"), std::string::npos);
    EXPECT_NE(json.find(R"(Z[\\]^)"), std::string::npos);
  }
}

TEST(Record, TextTidiesLikeTheHostUnlessRaw) {
  assistant::BatchResult result;
  result.status = assistant::BatchStatus::Found;
  result.layout = catalog::Layout::Spaced;
  result.entryStart = 12;
  result.title = " T\r";
  result.keywords = " K\r";
  result.abstract = "one\rtwo\r\x1B[2J";
  result.unknownFormats = {3};
  result.passedOver = {{5, "guess\r"}};
  catdesc::OutputStyle style;
  EXPECT_EQ(catdesc::FormatRecord("N", result, style),
            "name: N\nstatus: found\nlayout: spaced\noffset: 12\ntitle:  T\nkeywords:  K\n"
            "abstract: one two \xEF\xBF\xBD[2J\nunknown format: 3\npassed over: 5 guess\n\n");
  style.raw = true;
  EXPECT_EQ(catdesc::FormatRecord("N", result, style),
            "name: N\nstatus: found\nlayout: spaced\noffset: 12\ntitle:  T\r\nkeywords:  K\r\n"
            "abstract: one\rtwo\r\x1B[2J\nunknown format: 3\npassed over: 5 guess\r\n\n");
  result = {};
  EXPECT_EQ(catdesc::FormatRecord("N", result, style), "name: N\nstatus: not-found\n\n");
}

}  // namespace
