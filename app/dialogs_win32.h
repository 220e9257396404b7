#pragma once

#include <windows.h>

#include <string>

#include "app/dialogs.h"
#include "app/message_box_win32.h"
#include "app/program_font_win32.h"
#include "win32/gdi.h"

// The real dialogs: the system's open-file dialog, the folder chooser, message boxes and the
// preview window, all modal to the main window, which has the keyboard back when they close.
class TWin32Dialogs : public IDialogs {
 public:
  // The window the dialogs belong to; set once the main window exists.
  HWND Owner = nullptr;

  // Gives the error boxes of every window the program's title.
  TWin32Dialogs();

  void ShowMessage(const std::string& text) override;
  int Ask(const std::string& text, const std::string& caption, unsigned flags) override;
  bool OpenFile(const std::string& initialDir, std::string& fileName) override;
  bool ChooseFolder(std::string& folder) override;
  void ShowError(const std::string& text) override;
  void ShowPreview(const std::vector<std::string>& names) override;

 private:
  TGdiObject<HFONT> font_{CreateProgramFont()};  // the preview's
  std::string lastFile_;  // the open-file dialog starts with the file it returned last time
};
