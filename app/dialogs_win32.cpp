#include "app/dialogs_win32.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <vector>

#include "app/app_title.h"
#include "app/folder_chooser_win32.h"
#include "win32/window.h"
#include "preview/preview_window_win32.h"

namespace {

// The chooser may name a folder that does not exist yet, which is then made, after asking.
constexpr unsigned kChooserOptions = sdAllowCreate | sdPerformCreate | sdPrompt;
constexpr unsigned kChooserHelpContext = 1000;

// Wine's open-file dialog builds the chosen path in a buffer of MAX_PATH characters without
// checking its length: a longer name typed into the name field (with the folder shown before
// it, when the name is relative) overruns the stack and the program crashes, whatever the flags
// and the size of our buffer. No flag limits the field, so a hook does, each time the folder
// changes, to what the buffer holds. Under Windows the hook would only trade the system's
// current dialog for the older one it keeps for hooks, so it is used under Wine alone.
bool RunsUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// The name field's edit control; the field is a ComboBoxEx under Wine.
HWND NameEdit(HWND dialog) {
  const HWND field = GetDlgItem(dialog, cmb13);
  if (!field) return GetDlgItem(dialog, edt1);
  if (const auto edit = reinterpret_cast<HWND>(SendMessageA(field, CBEM_GETEDITCONTROL, 0, 0))) return edit;
  return FindWindowExA(field, nullptr, "Edit", nullptr);
}

UINT_PTR CALLBACK LimitNameHook(HWND hookDialog, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return 0;
  const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
  if (code != CDN_INITDONE && code != CDN_FOLDERCHANGE) return 0;
  const HWND dialog = GetParent(hookDialog);
  // The size of the folder's ANSI name with its terminating zero: the name and the separator
  // that a relative name goes after. Bytes, never fewer than its characters, so the limit errs on
  // the safe side. A place that is no folder (the computer) has no size: only a whole path can
  // be typed there.
  const auto folderSize = static_cast<int>(SendMessageA(dialog, CDM_GETFOLDERPATH, 0, 0));
  const int limit = std::max(1, MAX_PATH - 1 - std::max(folderSize, 0));
  if (const HWND edit = NameEdit(dialog)) SendMessageA(edit, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
  return 0;
}

}  // namespace

void TWin32Dialogs::ShowMessage(const std::string& text) { TPlainMessage(Owner).ShowMessage(text); }

int TWin32Dialogs::Ask(const std::string& text, const std::string& caption, unsigned flags) {
  return TCopyPrompt(Owner).Ask(text, caption, flags);
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
  if (RunsUnderWine()) {
    dialog.Flags |= OFN_ENABLEHOOK;
    dialog.lpfnHook = LimitNameHook;
  }
  if (!GetOpenFileNameA(&dialog)) return false;
  fileName = lastFile_ = buffer.data();
  return true;
}

TWin32Dialogs::TWin32Dialogs() {
  SetErrorBoxWords({kApplicationTitle, ".", "メモリが不足しています", "予期しないエラーが発生しました"});
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
  ShowPreviewWindow(Owner, font_.Get(), names);
}
