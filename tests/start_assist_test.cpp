// The exported entry points and the scan, with a scripted window system and a fake host library.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "assistant/assistant.h"
#include "tests/support/fake_tarvlib.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_file.h"

namespace {

using testing_support::FakeHost;
using testing_support::Lines;
using testing_support::ScriptedUi;
using testing_support::ShownMessage;
using testing_support::TempDir;

constexpr unsigned kExclamation = 0x30;
constexpr unsigned kHand = 0x10;
constexpr unsigned kQuestion = 0x24;
constexpr char kUnknownFormat[] =
    "Unknown Format,Please contact technical support.Please include the name of the library "
    "file,the name of the file you were attempting to extract and which forum you obtained it "
    "from.";

const ShownMessage kNotFound{"Could not find named file in Library/Catalog", "Warning",
                             kExclamation};
const ShownMessage kUnknown{kUnknownFormat, "Library Format Unknown", kExclamation};

ShownMessage Question(const std::string& title) {
  return {"Possible Title Found: \r********\r" + title +
              "\r********\rThis seems to be either a Catalog with only Title information \rOR the "
              "file name has been mentioned in a related abstract \rand requires further "
              "searching.\rContinue Searching Catalog ?",
          "Question", kQuestion};
}

// One call of _StartAssist with host buffers of exactly the minimum sizes.
struct Call {
  std::string fileName = "name.zip";
  std::string abstract, keywords, title;  // what the host passes in
  int result = 99;
  std::string fileNameAfter, abstractAfter, keywordsAfter, titleAfter;

  void Run(ScriptedUi& ui) {
    std::vector<char> name(fileName.begin(), fileName.end());
    name.push_back('\0');
    std::vector<char> a(799, '\0'), k(198, '\0'), t(199, '\0');
    abstract.copy(a.data(), a.size() - 1);
    keywords.copy(k.data(), k.size() - 1);
    title.copy(t.data(), t.size() - 1);
    result = _StartAssist(ui.owner(), name.data(), a.data(), k.data(), t.data());
    fileNameAfter = name.data();
    abstractAfter = a.data();
    keywordsAfter = k.data();
    titleAfter = t.data();
  }
};

class StartAssist : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeHost() = {};
    FakeHost().downloadDirectory = dir.path();
  }
  // Scripts the dialog to choose a catalogue holding `bytes`.
  void Choose(std::string_view bytes) { ui.chosenPath = dir.Write("library.cat", bytes); }

  TempDir dir;
  ScriptedUi ui;
  Call call;
};

TEST(SetupAssistant, SaysThereIsNothingToConfigure) {
  ScriptedUi ui;
  EXPECT_EQ(_SetupAssistant(ui.owner()), 1);
  EXPECT_EQ(ui.messages,
            (std::vector<ShownMessage>{
                {"No configuration is required for this assistant.", "Message", kExclamation}}));
  EXPECT_EQ(ui.dialogRuns, 0);
}

TEST_F(StartAssist, OffersTheDialogAsTheHostExpects) {
  ui.dialogOk = false;
  call.Run(ui);
  EXPECT_EQ(call.result, 0);  // cancelled
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.dialogRuns, 1);
  EXPECT_EQ(ui.seenFlags, 0x82004U);
  constexpr char kFilters[] =
      "Catalog Files (*.CAT)\0*.CAT\0Recent Uploads (*.NEW) \0*.NEW\0Summaries (*.SUM) \0*.SUM\0"
      "All Files (*.*) \0*.*\0Text (*.TXT) \0*.TXT\0";
  const std::string filters(kFilters, sizeof kFilters - 1);
  EXPECT_EQ(ui.seenFilter, filters);
  EXPECT_EQ(ui.seenFilterIndex, 1U);
  EXPECT_EQ(ui.seenInitialDirectory, dir.path());
  EXPECT_EQ(ui.seenDefaultExtension, "CAT");
  EXPECT_EQ(ui.seenTitle, "Load Library/catalogue File");
  EXPECT_EQ(ui.seenFileName, "");
  EXPECT_EQ(FakeHost().calls,
            std::vector<std::string>{"GetRegistryString(Download Directorys,Area One)"});
  EXPECT_EQ(call.fileNameAfter, "name.zip");
}

TEST_F(StartAssist, StartsInTheCurrentDirectoryWithoutAHostSetting) {
  FakeHost().downloadDirectory.reset();
  ui.dialogOk = false;
  call.Run(ui);
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(ui.seenInitialDirectory, std::string(cwd).substr(0, 259));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StartAssist, CutsAnOverlongHostSettingTo263Characters) {
  const std::string longDirectory = "/" + std::string(700, 'd');
  FakeHost().downloadDirectory = longDirectory;
  ui.dialogOk = false;
  call.Run(ui);
  EXPECT_EQ(ui.seenInitialDirectory, longDirectory.substr(0, 263));
}

TEST_F(StartAssist, ReportsADialogFailureWithItsCode) {
  ui.dialogError = 0x3003;
  call.abstract = "kept";
  call.Run(ui);
  EXPECT_EQ(call.result, -1);
  EXPECT_EQ(ui.messages,
            (std::vector<ShownMessage>{{"Error #12291 occurred.", "ERROR", kExclamation}}));
  EXPECT_EQ(call.abstractAfter, "kept");
  EXPECT_EQ(call.fileNameAfter, "name.zip");
}

TEST_F(StartAssist, ReportsACatalogueThatCannotBeOpened) {
  for (const std::string& path : {dir.path() + "/new.cat", dir.path()}) {
    ui = {};
    ui.chosenPath = path;  // a name accepted through the create prompt, then a directory
    call.Run(ui);
    EXPECT_EQ(call.result, -2);
    EXPECT_EQ(ui.messages,
              (std::vector<ShownMessage>{
                  {"Error opening library/catalogue file: " + path + ".", "File Error", kHand}}));
    EXPECT_EQ(call.titleAfter, "");
    EXPECT_EQ(access((dir.path() + "/new.cat").c_str(), F_OK), -1) << "nothing is created";
  }
}

TEST_F(StartAssist, FillsTheOutputsAndTidiesThemThroughTheHost) {
  Choose(Lines({"other.zip", "name.zip", "Bytes: 10  Count: 3", "", "Title: A Fine Program",
                "Keywords: fine program", "", "Does fine things.", "", "Really.", "[7] by a user",
                "name.zip"}));
  call.abstract = "Before: ";
  call.Run(ui);
  EXPECT_EQ(call.result, 1);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(call.fileNameAfter, "NAME.ZIP");
  EXPECT_EQ(call.titleAfter, " A Fine Program");
  EXPECT_EQ(call.keywordsAfter, " fine program");
  EXPECT_EQ(call.abstractAfter, "Before: Does fine things. Really.");
  EXPECT_EQ(FakeHost().calls,
            (std::vector<std::string>{"GetRegistryString(Download Directorys,Area One)",
                                      "StripLF(Before: Does fine things.\rReally.\r)",
                                      "StripLF( fine program\r)", "StripLF( A Fine Program\r)"}));
}

TEST_F(StartAssist, WarnsWhenTheNameIsNotThere) {
  Choose(Lines({"other.zip", "Bytes: 1 Count: 1"}));
  call.Run(ui);
  EXPECT_EQ(call.result, 0);
  EXPECT_EQ(ui.messages, std::vector<ShownMessage>{kNotFound});
  EXPECT_EQ(call.fileNameAfter, "NAME.ZIP");
  EXPECT_EQ(FakeHost().calls.size(), 1U) << "no StripLF without success";

  ui = {};
  Choose("");  // an empty catalogue reads no line, so the name stays as the host passed it
  call.Run(ui);
  EXPECT_EQ(call.result, 0);
  EXPECT_EQ(ui.messages, std::vector<ShownMessage>{kNotFound});
  EXPECT_EQ(call.fileNameAfter, "name.zip");
}

TEST_F(StartAssist, ReportsEachUnrecognisedMentionThenWarns) {
  const std::string damaged = Lines({"NAME.ZIP", "Bytes: 1 Count: 1", "", "no colon here"});
  Choose(damaged + damaged + "x\r\n" + damaged);
  call.Run(ui);
  EXPECT_EQ(call.result, 0);
  EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{kUnknown, kUnknown, kUnknown, kNotFound}));
}

TEST_F(StartAssist, StopsAtTheFirstEntryFound) {
  Choose(Lines({"NAME.ZIP", "Bytes: 1 Count: 1", "Title: first", "Keywords: k", "[1]", "NAME.ZIP",
                "Bytes: 1 Count: 1", "", "no colon here"}));
  call.Run(ui);
  EXPECT_EQ(call.result, 1);
  EXPECT_EQ(call.titleAfter, " first");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StartAssist, GuessAnsweredYesThenNo) {
  // Yes searches on; the next unfitting mention is passed over silently; a damaged entry makes the
  // guess possible again, and No accepts it.
  Choose(Lines({"name.zip 1 2 3 First Guess", "see name.zip for more", "NAME.ZIP",
                "Bytes: 1 Count: 1", "", "no colon here", "NAME.ZIP 9 9 9 Second Guess"}));
  ui.answers = {6 /* yes */, 1 /* ok */, 7 /* no */};
  call.keywords = "host keywords\r\n";
  call.Run(ui);
  EXPECT_EQ(call.result, 1);
  EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{Question("First Guess\r"), kUnknown,
                                                    Question("Second Guess\r")}));
  EXPECT_EQ(call.titleAfter, "Second Guess");
  EXPECT_EQ(call.keywordsAfter, "host keywords");
  EXPECT_EQ(call.abstractAfter, "");
}

TEST_F(StartAssist, SeesLongLinesAsSeveralLines) {
  // The name straddles the cut at 198 characters, so neither piece mentions it.
  Choose(std::string(195, 'x') + "name.zip and more\r\n");
  call.Run(ui);
  EXPECT_EQ(call.result, 0);
  EXPECT_EQ(ui.messages, std::vector<ShownMessage>{kNotFound});
}

TEST_F(StartAssist, EmptyNameIsMentionedByEveryLine) {
  Choose("alpha\r\nbeta gamma delta epsilon zeta\r\n");
  call.fileName = "";
  ui.answers = {7};
  call.Run(ui);
  EXPECT_EQ(call.result, 1);
  // From the first line the count runs on: beta 1, gamma 2, delta 3, epsilon 4.
  EXPECT_EQ(ui.messages, std::vector<ShownMessage>{Question("epsilon zeta\r")});
}

}  // namespace
