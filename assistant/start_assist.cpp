#include <array>
#include <cstdint>
#include <cstring>

#include "assistant/start_assist.h"

#include "assistant/assistant.h"
#include "assistant/messages.h"
#include "assistant/scan.h"
#include "catalog/catalog_reader.h"
#include "catalog/entry_parser.h"
#include "host/platform.h"
#include "host/tarvlib.h"

namespace assistant {
namespace {

// Working text for the starting directory and the chosen path.
constexpr std::size_t kPathCapacity = 264;
// Room given to the host for the setting: more than it may use, so that a host that overruns the
// 264 bytes it promises still writes into our memory, which is then cut to size.
constexpr std::size_t kSettingLanding = 1024;
// The current directory is asked for with this length.
constexpr std::size_t kCurrentDirectoryLength = 260;

constexpr unsigned kExclamation = host::kMbOk | host::kMbIconExclamation;

// Shows the scan's messages in message boxes owned by the host's window.
class MessageBoxObserver final : public ScanObserver {
 public:
  explicit MessageBoxObserver(host::Window owner) : owner_(owner) {}

  bool ContinueSearching(const char* guessedTitle) override {
    char text[host::kFormatCapacity];
    host::FormatText(text, kGuessQuestionFormat, guessedTitle);
    return host::ShowMessage(owner_, text, kGuessQuestionCaption,
                             host::kMbYesNo | host::kMbIconQuestion) == host::kIdYes;
  }

  void UnknownFormat(std::uint64_t /*start*/) override {
    host::ShowMessage(owner_, kUnknownFormatText, kUnknownFormatCaption, kExclamation);
  }

 private:
  host::Window owner_;
};

// Copies at most capacity - 1 bytes of `from`, zero-terminated; `from` need not be terminated
// within `fromSize`.
void CopyBounded(char* to, std::size_t capacity, const char* from, std::size_t fromSize) {
  const std::size_t length = strnlen(from, fromSize < capacity ? fromSize : capacity - 1);
  std::memcpy(to, from, length);
  to[length] = '\0';
}

// The dialog's starting directory: the host's first download area, else the current directory.
void StartingDirectory(char (&directory)[kPathCapacity]) {
  // The host's signature takes writable texts.
  auto section = std::to_array(kSettingSection);
  auto entry = std::to_array(kSettingEntry);
  char landing[kSettingLanding] = {};
  if (GetRegistryString(section.data(), entry.data(), landing) != 0) {
    CopyBounded(directory, sizeof directory, landing, sizeof landing);
  } else if (!host::CurrentDirectory(directory, kCurrentDirectoryLength)) {
    directory[0] = '\0';
  }
}

// Gives a host buffer that holds no terminator within its capacity one in its last byte. The
// scan never reads past a buffer, but an output handed back as valid, and to the host's StripLF,
// must be a text that ends inside it.
void TerminateWithin(char* text, std::size_t capacity) {
  if (strnlen(text, capacity) == capacity) {
    text[capacity - 1] = '\0';
  }
}

}  // namespace

int SetupAssistant(host::Window owner) {
  host::ShowMessage(owner, kSetupText, kSetupCaption, kExclamation);
  return 1;
}

int StartAssist(host::Window owner, char* fileName, char* abstract, char* keywords, char* title) {
  if (fileName == nullptr || abstract == nullptr || keywords == nullptr || title == nullptr) {
    return kAssistNotFound;
  }
  char directory[kPathCapacity] = {};
  StartingDirectory(directory);
  char path[kPathCapacity];
  CopyBounded(path, sizeof path, directory, sizeof directory);

  host::OpenFileData dialog;
  dialog.flags = host::kOfnExplorer | host::kOfnCreatePrompt | host::kOfnHideReadOnly;
  dialog.filter = kFilterList.data();
  dialog.filterIndex = 1;
  dialog.initialDirectory = path;
  dialog.defaultExtension = kDefaultExtension;
  dialog.title = kDialogTitle;
  const bool chosen = host::RunOpenFileDialog(owner, dialog);

  char text[host::kFormatCapacity];
  // A failed dialog may also report "not OK": the error is what the user needs to hear about.
  if (dialog.error != 0) {
    host::FormatText(text, kDialogErrorFormat, static_cast<long>(dialog.error));
    host::ShowMessage(owner, text, kDialogErrorCaption, kExclamation);
    return kAssistDialogError;
  }
  if (!chosen) {
    return kAssistNotFound;
  }
  CopyBounded(path, sizeof path, dialog.fileName, sizeof dialog.fileName);

  catalog::CatalogReader reader;
  if (!reader.Open(path)) {
    host::FormatText(text, kOpenErrorFormat, path);
    host::ShowMessage(owner, text, kOpenErrorCaption, host::kMbOk | host::kMbIconHand);
    return kAssistCannotOpen;
  }
  MessageBoxObserver observer(owner);
  const catalog::EntryOutputs outputs{
      std::span<char, catalog::kAbstractCapacity>(abstract, catalog::kAbstractCapacity),
      std::span<char, catalog::kKeywordsCapacity>(keywords, catalog::kKeywordsCapacity),
      std::span<char, catalog::kTitleCapacity>(title, catalog::kTitleCapacity)};
  const ScanResult scan = ScanCatalog(observer, reader, fileName, outputs);
  reader.Close();
  if (!scan.found) {
    host::ShowMessage(owner, kNotFoundText, kNotFoundCaption, kExclamation);
    return kAssistNotFound;
  }
  TerminateWithin(abstract, catalog::kAbstractCapacity);
  TerminateWithin(keywords, catalog::kKeywordsCapacity);
  TerminateWithin(title, catalog::kTitleCapacity);
  StripLF(abstract);
  StripLF(keywords);
  StripLF(title);
  return kAssistFound;
}

}  // namespace assistant
