// A scripted window system for in-process tests. The owner window handed to the module is a
// pointer to a ScriptedUi: every message box is recorded and answered from its script, and the
// open-file dialog returns what the script says.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "host/platform.h"

namespace testing_support {

struct ShownMessage {
  std::string text;
  std::string caption;
  unsigned style = 0;
  bool operator==(const ShownMessage&) const = default;
};

inline void PrintTo(const ShownMessage& m, std::ostream* os) {
  *os << "{\"" << m.caption << "\", \"" << m.text << "\", 0x" << std::hex << m.style << "}";
}

struct ScriptedUi {
  // The dialog's answer.
  bool dialogOk = true;
  std::string chosenPath;
  std::uint32_t dialogError = 0;
  // Runs as the dialog closes, before the module opens the chosen file: lets a test change the
  // file under the module's feet.
  std::function<void()> afterDialog;

  // What the dialog was given.
  int dialogRuns = 0;
  std::uint32_t seenFlags = 0;
  std::string seenFilter;  // the whole list, zero bytes included, up to the empty text
  std::uint32_t seenFilterIndex = 0;
  std::string seenInitialDirectory;
  std::string seenDefaultExtension;
  std::string seenTitle;
  std::string seenFileName;
  bool seenOwner = false;

  // Answers for message boxes, taken in order; when none is left a box answers OK or Yes.
  std::deque<int> answers;
  std::vector<ShownMessage> messages;

  host::Window owner() { return this; }
};

}  // namespace testing_support
