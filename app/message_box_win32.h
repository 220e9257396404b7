#pragma once

#include <string>

#include "copy/copy_run.h"
#include "naming/validation.h"

// A plain message under the program's title: the text, no icon and one OK button, centred on the
// screen. Every window of the program stays disabled until the user dismisses it.
class TPlainMessage : public IMessageSink {
 public:
  void ShowMessage(const std::string& text) override;
};

// The system's message box with the caller's text, caption and buttons, modal to the whole
// program whatever modality the flags ask for. Returns the button pressed (IDYES, IDNO, ...), or
// 0 when the box could not be shown.
class TCopyPrompt : public ICopyPrompt {
 public:
  int Ask(const std::string& text, const std::string& caption, unsigned flags) override;
};
