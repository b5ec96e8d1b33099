// The Windows window system: the real message boxes and the real open-file dialog, owned by the
// host's window. The owner is only named as the parent; it is never subclassed or otherwise
// changed, so it is exactly as it was when a call returns.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// commdlg.h needs the declarations of windows.h first.
#include <commdlg.h>
// The extended error codes of the common dialogs.
#include <cderr.h>

#include "host/platform.h"

namespace host {

static_assert(kMbYesNo == MB_YESNO && kMbIconHand == MB_ICONHAND &&
              kMbIconQuestion == MB_ICONQUESTION && kMbIconExclamation == MB_ICONEXCLAMATION);
static_assert(kIdOk == IDOK && kIdCancel == IDCANCEL && kIdYes == IDYES && kIdNo == IDNO);
static_assert(kOfnHideReadOnly == OFN_HIDEREADONLY && kOfnCreatePrompt == OFN_CREATEPROMPT &&
              kOfnExplorer == OFN_EXPLORER);
static_assert(kFnErrBufferTooSmall == FNERR_BUFFERTOOSMALL);

int ShowMessage(Window owner, const char* text, const char* caption, unsigned style) {
  // Language 0: the buttons speak the user's language.
  return ::MessageBoxExA(static_cast<HWND>(owner), text, caption, style, 0);
}

bool RunOpenFileDialog(Window owner, OpenFileData& data) {
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = static_cast<HWND>(owner);
  dialog.lpstrFilter = data.filter;
  dialog.nFilterIndex = data.filterIndex;
  dialog.lpstrFile = data.fileName;
  dialog.nMaxFile = sizeof data.fileName;
  dialog.lpstrInitialDir = data.initialDirectory;
  dialog.lpstrTitle = data.title;
  dialog.Flags = data.flags;
  dialog.lpstrDefExt = data.defaultExtension;
  const bool chosen = ::GetOpenFileNameA(&dialog) != FALSE;
  // Zero after OK and after a cancel; the failure's code otherwise.
  data.error = chosen ? 0 : static_cast<std::uint32_t>(::CommDlgExtendedError());
  if (chosen) {
    // The dialog fills the buffer; keep it a text whatever it left at the end.
    data.fileName[sizeof data.fileName - 1] = '\0';
  }
  return chosen;
}

}  // namespace host
