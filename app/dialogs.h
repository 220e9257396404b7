#pragma once

#include <string>
#include <vector>

#include "copy/copy_run.h"
#include "naming/validation.h"

// Every dialog and message the main window shows goes through here, so tests answer them in code.
class IDialogs : public IMessageSink {
 public:
  // A question in the system's message box with the caller's text, caption and buttons (MB_YESNO);
  // returns the button pressed (IDYES, IDNO), or 0 when the box could not be shown.
  virtual int Ask(const std::string& text, const std::string& caption, unsigned flags) = 0;
  // The open-file dialog: starts in `initialDir` (when not empty) with the file name it returned
  // last time. True with the chosen file's full path when the user confirms.
  virtual bool OpenFile(const std::string& initialDir, std::string& fileName) = 0;
  // The folder chooser: true with the text of its name field when it closes with OK. Creating
  // the folder is the caller's business.
  virtual bool ChooseFolder(std::string& folder) = 0;
  // The application's error box: title as caption, an error icon, one OK button.
  virtual void ShowError(const std::string& text) = 0;
  // The preview window with the names, modal until the user closes it.
  virtual void ShowPreview(const std::vector<std::string>& names) = 0;
};
