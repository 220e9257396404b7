#pragma once

#include <windows.h>

#include <string>

#include "copy/copy_run.h"
#include "naming/validation.h"

// Removes the key presses and mouse clicks waiting in this thread's queue without acting on them:
// what the user typed or clicked while the program was busy must not answer the box that comes
// next. Looking at the queue also takes in the messages other threads sent meanwhile.
void DiscardQueuedInput();

// The boxes below stand over `owner`, the window the user was working in, in the middle of the
// screen it stands on: the owner takes no input while one stands, and when it closes the owner
// has the activation back, with the keyboard focus on the control that had it. Without an owner
// every window of the program is disabled instead, and none takes the activation back. Input
// that waited in the queue when a box was called does not answer it.

// A plain message under the program's title: the text, no icon and one OK button.
class TPlainMessage : public IMessageSink {
 public:
  explicit TPlainMessage(HWND owner) : owner_(owner) {}
  void ShowMessage(const std::string& text) override;

 private:
  HWND owner_;
};

// The system's message box with the caller's text, caption and buttons, modal to the owner
// whatever modality the flags ask for. Returns the button pressed (IDYES, IDNO, ...), or 0 when
// the box could not be shown. A box of Yes and No takes Escape and Alt+F4 as No.
class TCopyPrompt {
 public:
  explicit TCopyPrompt(HWND owner) : owner_(owner) {}
  int Ask(const std::string& text, const std::string& caption, unsigned flags);

 private:
  HWND owner_;
};
