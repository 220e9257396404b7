#pragma once

#include <string>

#include "copy/copy_run.h"
#include "naming/validation.h"

// Removes the key presses and mouse clicks waiting in this thread's queue without acting on them:
// what the user typed or clicked while the program was busy must not answer the box that comes
// next. Looking at the queue also takes in the messages other threads sent meanwhile.
void DiscardQueuedInput();

// A plain message under the program's title: the text, no icon and one OK button, centred on the
// screen. Every window of the program stays disabled until the user dismisses it. Input that
// waited in the queue when it was called does not dismiss it.
class TPlainMessage : public IMessageSink {
 public:
  void ShowMessage(const std::string& text) override;
};

// The system's message box with the caller's text, caption and buttons, modal to the whole
// program whatever modality the flags ask for. Returns the button pressed (IDYES, IDNO, ...), or
// 0 when the box could not be shown. Input that waited in the queue when it was called does not
// answer it.
class TCopyPrompt : public ICopyPrompt {
 public:
  int Ask(const std::string& text, const std::string& caption, unsigned flags) override;
};
