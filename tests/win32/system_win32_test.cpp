// The Windows file and text services (host/win32/system.cpp) with the real Win32 API, run under
// Wine: what a catalogue on Windows can be, and the limits of the text services.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// FSCTL_SET_SPARSE.
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "catalog/catalog_reader.h"
#include "host/platform.h"
#include "tests/support/temp_file.h"

namespace {

using catalog::CatalogReader;
using testing_support::TempDir;

// A handle another program would hold, closed at the end of the test.
class OtherProgram {
 public:
  OtherProgram(const std::string& path, DWORD access, DWORD sharing)
      : handle_(::CreateFileA(path.c_str(), access, sharing, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;
  ~OtherProgram() {
    if (handle_ != INVALID_HANDLE_VALUE) {
      ::CloseHandle(handle_);
    }
  }
  bool Holds() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

std::string ReadLine(CatalogReader& reader) {
  char line[catalog::kLineCapacity];
  reader.ReadLine(line, catalog::kLineLimit);
  return line;
}

TEST(Win32Files, ReadsACatalogueBeyondFourGibibytes) {
  // A sparse file: 4 GiB and a bit of nothing, then one entry line.
  TempDir dir;
  const std::string path = dir.path() + "\\huge.cat";
  constexpr std::uint64_t kAt = (std::uint64_t{1} << 32) + 4096 + 7;
  {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD ignored = 0;
    ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(kAt);
    ASSERT_TRUE(::SetFilePointerEx(file, to, nullptr, FILE_BEGIN));
    constexpr char kLine[] = "FAR.ZIP\r\n";
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file, kLine, sizeof kLine - 1, &written, nullptr));
    ::CloseHandle(file);
  }
  CatalogReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  EXPECT_EQ(reader.Size(), kAt + 9);
  reader.Seek(kAt);
  EXPECT_EQ(ReadLine(reader), "FAR.ZIP\r");
  EXPECT_EQ(reader.Tell(), kAt + 9);
  EXPECT_TRUE(reader.AtEnd());
  reader.Seek(kAt - 3);  // the bytes before it are zeros, which end the text but not the line
  EXPECT_EQ(ReadLine(reader), "");
  EXPECT_EQ(reader.Tell(), kAt + 9);
}

TEST(Win32Files, SharesTheCatalogueWithOtherPrograms) {
  TempDir dir;
  const std::string path = dir.Write("shared.cat", "A\r\nB\r\n");
  {
    // Another program still writing the catalogue does not stop us reading it.
    const OtherProgram writer(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(writer.Holds());
    CatalogReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    EXPECT_EQ(ReadLine(reader), "A\r");
    // And while we read, others may open it to read or to write.
    EXPECT_TRUE(OtherProgram(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE).Holds());
    EXPECT_TRUE(OtherProgram(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE).Holds());
  }
  {
    // A program that shares the file with nobody keeps us out: the open fails cleanly.
    const OtherProgram owner(path, GENERIC_READ, 0);
    ASSERT_TRUE(owner.Holds());
    CatalogReader reader;
    EXPECT_FALSE(reader.Open(path.c_str()));
    EXPECT_TRUE(reader.AtEnd());
  }
}

TEST(Win32Files, OpensOnlyFilesOnADisk) {
  TempDir dir;
  CatalogReader reader;
  for (const std::string& path : {std::string("NUL"), std::string("CON"), dir.path() + "\\nul.cat",
                                  dir.path(), dir.path() + "\\missing.cat", std::string()}) {
    EXPECT_FALSE(reader.Open(path.c_str())) << path;
  }
  EXPECT_EQ(::GetFileAttributesA((dir.path() + "\\missing.cat").c_str()), INVALID_FILE_ATTRIBUTES)
      << "nothing is created";
}

TEST(Win32Text, FormatsWithTheSystemRulesWithinTheLimit) {
  char out[host::kFormatCapacity];
  EXPECT_EQ(host::FormatText(out, "Error #%ld occurred.", 12291L), 22);
  EXPECT_STREQ(out, "Error #12291 occurred.");
  const std::string path(2000, 'p');
  const int length =
      host::FormatText(out, "Error opening library/catalogue file: %s.", path.c_str());
  EXPECT_EQ(length, static_cast<int>(std::strlen(out)));
  EXPECT_LE(length, 1023);
  EXPECT_EQ(std::string(out, 38), "Error opening library/catalogue file: ");
}

TEST(Win32Text, ComparesNamesIgnoringCase) {
  EXPECT_EQ(host::CompareTextIgnoreCase("name.zip", "NAME.ZIP"), 0);
  EXPECT_NE(host::CompareTextIgnoreCase("name.zip1", "NAME.ZIP"), 0);
}

TEST(Win32Text, CurrentDirectoryFitsOrIsEmpty) {
  char expected[MAX_PATH] = {};
  const DWORD length = ::GetCurrentDirectoryA(sizeof expected, expected);
  ASSERT_GT(length, 3U);
  std::vector<char> out(260, 'x');
  ASSERT_TRUE(host::CurrentDirectory(out.data(), out.size()));
  EXPECT_STREQ(out.data(), expected);
  // Exactly one byte short: no partial path, an empty text.
  std::vector<char> small(length, 'x');
  EXPECT_FALSE(host::CurrentDirectory(small.data(), small.size()));
  EXPECT_STREQ(small.data(), "");
  std::vector<char> fits(length + 1U, 'x');
  EXPECT_TRUE(host::CurrentDirectory(fits.data(), fits.size()));
}

}  // namespace
