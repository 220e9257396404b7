#pragma once

#include <windows.h>

#include <exception>

#include "win32/window.h"

// The base of the program's dialogs: a modal dialog of the dialog manager, from an empty template
// whose controls are made in pixels once it exists (at WM_INITDIALOG). Its messages meet the same
// boundary as a window's: what a handler throws is reported with ReportError, over the dialog,
// and the dialog goes on. A dialog that fails while it is being built is never shown, since
// half-built it would mislead: it ends at once, and ShowModal throws the failure to its caller.
class TDialog : public TWindow {
 protected:
  // Runs the dialog modal to `owner` in a frame of `style` (WS_CAPTION, DS_MODALFRAME, ...) and
  // returns what it was ended with (EndDialog), or -1 when it could not be made. Throws what
  // failed while the dialog was being built.
  INT_PTR ShowModal(HWND owner, DWORD style);

  // The dialog's messages, answered as a dialog procedure answers them: FALSE leaves one to the
  // dialog manager.
  virtual INT_PTR HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  std::exception_ptr buildFailure_;  // caught inside the dialog manager, thrown once it has returned
};
