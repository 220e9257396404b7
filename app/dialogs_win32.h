#pragma once

#include <windows.h>

#include <string>

#include "app/dialogs.h"
#include "app/message_box_win32.h"
#include "app/program_font_win32.h"
#include "win32/gdi.h"

// The real dialogs: the system's open-file dialog, the folder chooser, message boxes and the
// preview window. Each is owned by `Owner`, which takes no input while one stands and has the
// keyboard back when it closes.
class TWin32Dialogs : public IDialogs {
 public:
  // The main window, set once it exists.
  HWND Owner = nullptr;

  // Gives the error boxes of every window the program's words: its title as caption, a full stop
  // after the text, its own wording of a failure that says nothing itself.
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
