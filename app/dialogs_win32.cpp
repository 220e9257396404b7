#include "app/dialogs_win32.h"

#include <commdlg.h>

#include <vector>

#include "app/folder_chooser_win32.h"
#include "app/window_win32.h"
#include "preview/preview_window_win32.h"

namespace {

// The chooser may name a folder that does not exist yet, which is then made, after asking.
constexpr unsigned kChooserOptions = sdAllowCreate | sdPerformCreate | sdPrompt;
constexpr unsigned kChooserHelpContext = 1000;

}  // namespace

void TWin32Dialogs::ShowMessage(const std::string& text) { plain_.ShowMessage(text); }

int TWin32Dialogs::Ask(const std::string& text, const std::string& caption, unsigned flags) {
  return prompt_.Ask(text, caption, flags);
}

bool TWin32Dialogs::OpenFile(const std::string& initialDir, std::string& fileName) {
  std::vector<char> buffer(32768, '\0');
  lastFile_.copy(buffer.data(), std::min(lastFile_.size(), buffer.size() - 1));
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Owner;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  if (!GetOpenFileNameA(&dialog)) return false;
  fileName = lastFile_ = buffer.data();
  return true;
}

bool TWin32Dialogs::ChooseFolder(std::string& folder) {
  folder.clear();
  return SelectDirectory(Owner, folder, kChooserOptions, kChooserHelpContext);
}

// An error and the preview may come after seconds of work (a long list made or counted): what was
// typed meanwhile must not close them unread.
void TWin32Dialogs::ShowError(const std::string& text) {
  DiscardQueuedInput();
  ShowErrorBox(Owner, text);
}

void TWin32Dialogs::ShowPreview(const std::vector<std::string>& names) {
  DiscardQueuedInput();
  ShowPreviewWindow(Owner, names);
}
