// The whole of _StartAssist through the scripted window system and the fake host library: random
// host settings, dialog outcomes, message-box answers, file names, buffer contents and catalogues,
// and a catalogue that may shrink between the dialog and the scan. Every call must end with one of
// the four results and the message that goes with it, with the host's buffers intact.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "assistant/assistant.h"
#include "fuzz/fuzz_input.h"
#include "tests/support/fake_tarvlib.h"
#include "tests/support/scripted_ui.h"

namespace {

void Check(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "assist_fuzz: %s\n", what);
    std::abort();
  }
}

// A host buffer of exactly `capacity` bytes holding `length` characters of `fill`; a length of
// `capacity` leaves it without a terminator, as a careless host might.
struct HostBuffer {
  HostBuffer(std::size_t size, std::size_t length, char fill)
      : capacity(size), bytes(std::make_unique<char[]>(size)) {
    std::memset(bytes.get(), fill, length);
    if (length < size) {
      bytes[length] = '\0';
    }
    before.assign(bytes.get(), size);
  }
  bool Untouched() const { return before.compare(0, capacity, bytes.get(), capacity) == 0; }
  std::string Text() const {
    const std::size_t length = strnlen(bytes.get(), capacity);
    Check(length < capacity, "an output is left without its terminator");
    return std::string(bytes.get(), length);
  }
  std::size_t capacity;
  std::unique_ptr<char[]> bytes;
  std::string before;
};

enum class Choice { Catalogue, Cancel, Failure, Missing, Directory, Shrinking };

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzzing::MemoryCatalogue file;
  fuzzing::FuzzInput input(data, size);
  const std::string name(input.Line(300));
  const auto choice = static_cast<Choice>(input.Byte() % 6);
  const std::uint32_t dialogError = input.Number(0xFFFF) | 1U;
  const std::uint32_t shrinkTo = input.Number(0xFFFF);
  const std::uint8_t settingKind = input.Byte();
  const std::size_t settingLength = input.Number(1023);
  const std::size_t abstractLength = input.Number(799);
  const std::size_t keywordsLength = input.Number(198);
  const std::size_t titleLength = input.Number(199);
  testing_support::ScriptedUi ui;
  for (int i = input.Byte() % 8; i > 0; --i) {
    constexpr int kAnswers[] = {1, 2, 6, 7, 0, -1};
    ui.answers.push_back(kAnswers[input.Byte() % 6]);
  }
  const std::string_view catalogue = input.Rest();
  if (!file.Valid() || !file.Fill(catalogue)) {
    return 0;
  }

  auto& host = testing_support::FakeHost();
  host = {};
  if ((settingKind & 1U) != 0) {
    // Up to 1023 characters and its terminator: everything the module's landing area can take.
    std::string setting(settingLength, 'd');
    for (std::size_t i = 0; i < setting.size(); i += 37) {
      setting[i] = '/';
    }
    host.downloadDirectory = setting;
  }
  switch (choice) {
    case Choice::Catalogue:
    case Choice::Shrinking:
      ui.chosenPath = file.Path();
      break;
    case Choice::Cancel:
      ui.dialogOk = false;
      break;
    case Choice::Failure:
      ui.dialogError = dialogError;
      break;
    case Choice::Missing:
      ui.chosenPath = "/proc/self/fd/-1/missing.cat";
      break;
    case Choice::Directory:
      ui.chosenPath = "/proc/self";
      break;
  }
  if (choice == Choice::Shrinking) {
    ui.afterDialog = [&] { file.Shrink(catalogue.empty() ? 0 : shrinkTo % catalogue.size()); };
  }

  auto fileName = std::make_unique<char[]>(name.size() + 1);
  std::memcpy(fileName.get(), name.c_str(), name.size() + 1);
  HostBuffer abstract(799, abstractLength, 'a');
  HostBuffer keywords(198, keywordsLength, 'k');
  HostBuffer title(199, titleLength, 't');

  const int result = _StartAssist(ui.owner(), fileName.get(), abstract.bytes.get(),
                                  keywords.bytes.get(), title.bytes.get());

  Check(ui.dialogRuns == 1, "the dialog did not run once");
  Check(ui.seenInitialDirectory.size() <= 263, "the starting directory is longer than 263");
  if (host.downloadDirectory) {
    Check(ui.seenInitialDirectory == host.downloadDirectory->substr(0, 263),
          "the starting directory is not the host setting");
  }
  const bool untouched = abstract.Untouched() && keywords.Untouched() && title.Untouched();
  const auto lastCaption = ui.messages.empty() ? std::string() : ui.messages.back().caption;
  switch (result) {
    case 1:
      Check(host.calls.size() == 4, "StripLF is not called three times");
      Check(abstract.Text().size() <= 798, "abstract too long");
      Check(keywords.Text().size() <= 197 && title.Text().size() <= 198, "too long an output");
      break;
    case 0:
      if (choice == Choice::Cancel) {
        Check(ui.messages.empty() && untouched, "a cancel said something or changed something");
      } else {
        Check(lastCaption == "Warning", "no warning for a name not found");
        Check(abstract.Untouched() && keywords.Untouched(),
              "abstract or keywords changed without success");
        Check(title.Untouched() || title.Text().size() <= 198, "title overrun");
      }
      Check(host.calls.size() == 1, "StripLF called without success");
      break;
    case -1:
      Check(choice == Choice::Failure && lastCaption == "ERROR" && untouched,
            "dialog failure misreported");
      break;
    case -2:
      Check((choice == Choice::Missing || choice == Choice::Directory) &&
                lastCaption == "File Error" && untouched,
            "open failure misreported");
      break;
    default:
      Check(false, "a result outside 1, 0, -1, -2");
  }
  return 0;
}
