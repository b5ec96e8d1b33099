#include "catalog/catalog_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/temp_file.h"

namespace {

using catalog::CatalogReader;
using catalog::kLineLimit;
using testing_support::TempDir;

std::string Read(CatalogReader& reader, int limit = kLineLimit) {
  std::vector<char> line(static_cast<std::size_t>(limit) + 1, 'x');
  const std::size_t stored = reader.ReadLine(line.data(), limit);
  EXPECT_EQ(line[stored], '\0');
  return std::string(line.data(), stored);
}

TEST(CatalogReader, KeepsCarriageReturnsAndEndsQuietly) {
  TempDir dir;
  CatalogReader reader;
  ASSERT_TRUE(reader.Open(dir.Write("a.cat", "A\r\nB").c_str()));
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_EQ(Read(reader), "A\r");
  EXPECT_FALSE(reader.Ended());
  EXPECT_EQ(Read(reader), "B");
  EXPECT_TRUE(reader.Ended());
  EXPECT_FALSE(reader.Failed());  // the last line stored bytes
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(Read(reader), "");
  EXPECT_TRUE(reader.Failed());
  EXPECT_TRUE(reader.AtEnd());
}

TEST(CatalogReader, LastLineWithLineFeedLeavesReaderNotEndedButAtEnd) {
  TempDir dir;
  CatalogReader reader;
  ASSERT_TRUE(reader.Open(dir.Write("a.cat", "one\ntwo\n").c_str()));
  EXPECT_EQ(Read(reader), "one");
  EXPECT_EQ(Read(reader), "two");
  EXPECT_FALSE(reader.Ended());
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.Ended());  // AtEnd changes nothing
  EXPECT_EQ(Read(reader), "");
  EXPECT_TRUE(reader.Ended());
  EXPECT_TRUE(reader.Failed());
}

TEST(CatalogReader, EmptyFileIsAtEndAtOnce) {
  TempDir dir;
  CatalogReader reader;
  ASSERT_TRUE(reader.Open(dir.Write("empty.cat", "").c_str()));
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.GetChar(), catalog::kEndOfFile);
  EXPECT_TRUE(reader.Ended());
  EXPECT_TRUE(reader.Failed());
}

TEST(CatalogReader, CutsLongLinesAtTheLimit) {
  TempDir dir;
  const std::string longLine(250, 'L');
  const std::string exact(198, 'E');
  CatalogReader reader;
  ASSERT_TRUE(reader.Open(dir.Write("long.cat", longLine + "\n" + exact + "\nnext\n").c_str()));
  EXPECT_EQ(Read(reader), std::string(198, 'L'));
  EXPECT_EQ(Read(reader), std::string(52, 'L'));
  EXPECT_EQ(Read(reader), exact);
  EXPECT_EQ(reader.Tell(), 251U + 198U);  // the line feed after 198 characters stays unread
  EXPECT_EQ(Read(reader), "");            // ... and the next read takes it
  EXPECT_FALSE(reader.Failed());
  EXPECT_EQ(Read(reader), "next");
  EXPECT_EQ(Read(reader, catalog::kGuessLimit), "");
}

TEST(CatalogReader, NulByteEndsTheTextButNotTheLine) {
  TempDir dir;
  CatalogReader reader;
  // Not "nul.cat": on Windows that name is the NUL device.
  ASSERT_TRUE(reader.Open(dir.Write("zero.cat", std::string("ab\0cd\nef\n", 9)).c_str()));
  char line[catalog::kLineCapacity];
  EXPECT_EQ(reader.ReadLine(line, kLineLimit), 5U);
  EXPECT_STREQ(line, "ab");
  EXPECT_EQ(Read(reader), "ef");
}

TEST(CatalogReader, TellSeekAndStepBackComeBackToTheSameBytes) {
  TempDir dir;
  CatalogReader reader;
  ASSERT_TRUE(reader.Open(dir.Write("a.cat", "first\r\nsecond\r\nthird").c_str()));
  std::vector<std::pair<std::uint64_t, std::string>> lines;
  while (!reader.AtEnd()) {
    const std::uint64_t at = reader.Tell();
    lines.emplace_back(at, Read(reader));
  }
  ASSERT_EQ(lines.size(), 3U);
  EXPECT_EQ(lines[1].first, 7U);
  for (const auto& [at, text] : lines) {
    reader.Seek(at);  // also clears the ended condition the last line set
    EXPECT_EQ(Read(reader), text);
  }
  reader.Seek(7);
  EXPECT_EQ(reader.GetChar(), 's');
  reader.StepBack();
  EXPECT_EQ(reader.Tell(), 7U);
  EXPECT_EQ(Read(reader), "second\r");
}

TEST(CatalogReader, OpensOnlyExistingRegularFilesAndNeverCreates) {
  TempDir dir;
  CatalogReader reader;
  const std::string missing = dir.path() + "/missing.cat";
  EXPECT_FALSE(reader.Open(missing.c_str()));
  EXPECT_TRUE(reader.Failed());
  EXPECT_TRUE(reader.AtEnd());
  struct stat info {};
  EXPECT_NE(::stat(missing.c_str(), &info), 0);
  EXPECT_FALSE(reader.Open(dir.path().c_str()));
#if defined(_WIN32)
  EXPECT_FALSE(reader.Open("NUL"));  // a device, not a file
#else
  const std::string fifo = dir.path() + "/pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(reader.Open(fifo.c_str()));  // and does not wait for a writer
  EXPECT_FALSE(reader.Open("/dev/null"));
#endif
}

// A plain model of the line rules, byte by byte, to hold the buffered reader against.
struct ModelReader {
  std::string bytes;
  std::size_t at = 0;
  bool ended = false;
  bool failed = false;
  std::string ReadLine(int limit) {
    std::string line;
    if (ended || failed) {
      failed = true;
      return line;
    }
    while (line.size() < static_cast<std::size_t>(limit - 1)) {
      if (at == bytes.size()) {
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
    return line.substr(0, line.find('\0'));
  }
};

TEST(CatalogReader, MatchesTheByteModelAcrossBlockBoundaries) {
  std::mt19937 random(7);
  std::string bytes;
  const char alphabet[] = {'a', 'b', '\r', '\n', '\n', ' ', '\0', '\x1a', '\xe9'};
  while (bytes.size() < CatalogReader::kBlockSize * 2 + 1000) {
    const int run = static_cast<int>(random() % 400);
    bytes.append(static_cast<std::size_t>(run), 'x');
    bytes.push_back(alphabet[random() % sizeof alphabet]);
  }
  TempDir dir;
  CatalogReader reader;
  ASSERT_TRUE(reader.Open(dir.Write("random.cat", bytes).c_str()));
  ModelReader model{bytes};
  std::uint64_t reads = 0;
  while (!reader.AtEnd()) {
    ASSERT_EQ(reader.Tell(), model.at);
    const int limit = (reads++ % 5 == 0) ? catalog::kGuessLimit : kLineLimit;
    std::vector<char> line(static_cast<std::size_t>(limit));
    reader.ReadLine(line.data(), limit);
    ASSERT_EQ(std::string(line.data()), model.ReadLine(limit)) << "at offset " << model.at;
    ASSERT_EQ(reader.Ended(), model.ended);
    ASSERT_EQ(reader.Failed(), model.failed);
  }
  EXPECT_EQ(model.at, bytes.size());
}

}  // namespace
