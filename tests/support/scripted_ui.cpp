#include "tests/support/scripted_ui.h"

#include <algorithm>
#include <cstring>

namespace host {

using testing_support::ScriptedUi;

int ShowMessage(Window owner, const char* text, const char* caption, unsigned style) {
  auto* ui = static_cast<ScriptedUi*>(owner);
  ui->messages.push_back({text, caption, style});
  if (!ui->answers.empty()) {
    const int answer = ui->answers.front();
    ui->answers.pop_front();
    return answer;
  }
  return (style & 0x0FU) == kMbYesNo ? kIdYes : kIdOk;
}

bool RunOpenFileDialog(Window owner, OpenFileData& data) {
  auto* ui = static_cast<ScriptedUi*>(owner);
  ++ui->dialogRuns;
  ui->seenOwner = true;
  ui->seenFlags = data.flags;
  ui->seenFilter.clear();
  for (const char* p = data.filter; p != nullptr && *p != '\0'; p += std::strlen(p) + 1) {
    ui->seenFilter.append(p, std::strlen(p) + 1);
  }
  ui->seenFilterIndex = data.filterIndex;
  ui->seenInitialDirectory = data.initialDirectory != nullptr ? data.initialDirectory : "";
  ui->seenDefaultExtension = data.defaultExtension != nullptr ? data.defaultExtension : "";
  ui->seenTitle = data.title != nullptr ? data.title : "";
  ui->seenFileName = data.fileName;
  data.error = ui->dialogError;
  if (ui->afterDialog) {
    ui->afterDialog();
  }
  if (ui->dialogError != 0 || !ui->dialogOk) {
    return false;
  }
  const std::size_t length = std::min(ui->chosenPath.size(), sizeof data.fileName - 1);
  std::memcpy(data.fileName, ui->chosenPath.data(), length);
  data.fileName[length] = '\0';
  return true;
}

}  // namespace host
