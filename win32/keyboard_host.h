#pragma once

#include <windows.h>

#include <initializer_list>
#include <vector>

// The keyboard of a top-level window that is not a dialog, kept as the dialog manager keeps a
// dialog's, so the user's habits hold:
// - The message loop hands each message to IsDialogMessage for the window, which turns Tab,
//   Shift+Tab, the arrows and mnemonics into requests: WM_NEXTDLGCTL to move the focus,
//   DM_GETDEFID to find the button that Enter presses.
// - Containers (panels, a spin field's frame) carry WS_EX_CONTROLPARENT, so the walk goes into
//   their controls in creation order, and pass the requests their controls make on to their
//   parent, up to the window, which answers them here.
// - A control entered by the keyboard gets the focus with an edit's whole text selected; one
//   clicked keeps the caret where the click put it.
// - The focus is saved when the window goes inactive and given back when it returns, to the
//   first control of the tab order if the saved one is gone, hidden or disabled meanwhile.
// - The default button follows the focus among the push buttons and is none anywhere else: Enter
//   presses a focused push button and does nothing in a field.
class TKeyboardHost {
 public:
  // The push buttons that Enter may press; they take ids from kFirstButtonId on, in this order,
  // since the dialog keys find the button by its id.
  void SetPushButtons(std::initializer_list<HWND> buttons);

  // Answers the keyboard's requests and the activation messages that reach `window`; false for
  // any other message.
  bool HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  static void FocusByKeyboard(HWND control);

  static constexpr int kFirstButtonId = 101;

 private:
  static void NextControl(HWND window, WPARAM wParam, LPARAM lParam);
  void SaveFocus(HWND window);
  void RestoreFocus(HWND window) const;
  LRESULT DefaultButtonId() const;

  std::vector<HWND> pushButtons_;
  HWND savedFocus_ = nullptr;  // the control that had the focus when the window went inactive
};
