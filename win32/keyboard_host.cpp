#include "win32/keyboard_host.h"

void TKeyboardHost::SetPushButtons(std::initializer_list<HWND> buttons) {
  pushButtons_.assign(buttons);
  int id = kFirstButtonId;
  for (HWND button : pushButtons_) SetWindowLongPtrA(button, GWLP_ID, id++);
}

bool TKeyboardHost::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_NEXTDLGCTL:
      NextControl(window, wParam, lParam);
      return true;
    case DM_GETDEFID:
      result = DefaultButtonId();
      return true;
    case DM_SETDEFID:
    case DM_REPOSITION:
      return true;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        SaveFocus(window);
      } else if (!HIWORD(wParam)) {
        RestoreFocus(window);
      }
      return true;
    case WM_SETFOCUS:
      RestoreFocus(window);
      return true;
  }
  return false;
}

void TKeyboardHost::NextControl(HWND window, WPARAM wParam, LPARAM lParam) {
  HWND target = nullptr;
  if (LOWORD(lParam)) {
    target = reinterpret_cast<HWND>(wParam);
  } else {
    const HWND focus = GetFocus();
    target = GetNextDlgTabItem(window, focus && IsChild(window, focus) ? focus : nullptr, wParam != 0);
  }
  if (target && IsChild(window, target)) FocusByKeyboard(target);
}

void TKeyboardHost::FocusByKeyboard(HWND control) {
  if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(control, EM_SETSEL, 0, -1);
  SetFocus(control);
}

void TKeyboardHost::SaveFocus(HWND window) {
  const HWND focus = GetFocus();
  if (focus && IsChild(window, focus)) savedFocus_ = focus;
}

// Back to the control that had the focus, or to the first in the tab order when that one is gone,
// hidden or disabled meanwhile.
void TKeyboardHost::RestoreFocus(HWND window) const {
  HWND target = savedFocus_;
  if (!target || !IsWindow(target) || !IsChild(window, target) || !IsWindowVisible(target) ||
      !IsWindowEnabled(target)) {
    target = GetNextDlgTabItem(window, nullptr, FALSE);
    if (target) FocusByKeyboard(target);
    return;
  }
  SetFocus(target);
}

// Without a default of the window's own, Enter in a field would press a button and run a command
// nobody asked for.
LRESULT TKeyboardHost::DefaultButtonId() const {
  const HWND focus = GetFocus();
  for (HWND button : pushButtons_) {
    if (focus == button && IsWindowEnabled(button)) return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
  }
  return 0;
}
