#include "editor/spin_edit_win32.h"

#include <commctrl.h>
#include <imm.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "editor/spin_value.h"
#include "win32/gdi.h"

namespace {

constexpr int kArrowWidth = 15;
constexpr UINT_PTR kRepeatTimer = 1;
constexpr int kEditId = 1;

// Read at every key, so a change of the user's settings takes effect at once.
char DecimalSeparator() {
  char separator[8] = {};
  return GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) > 0 ? separator[0] : '.';
}

}  // namespace

TSpinEdit::TSpinEdit(HWND parent, int x, int y, int width, int height) {
  // WS_EX_CONTROLPARENT and no WS_TABSTOP of its own: the dialog keys walk into the edit, and
  // entering it by Tab selects its whole text, as for any edit, while a click does not.
  Create("TandeloSpinEdit", WS_EX_CONTROLPARENT, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, height,
         parent);
  edit_ = CreateControl(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), Handle(), "EDIT", "0",
                        WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, std::max(width - kArrowWidth, 0), height, WS_EX_CLIENTEDGE,
                        kEditId);
  SendMessageA(edit_, EM_LIMITTEXT, kSpinMaxLength, 0);
  // Full-width digits from an input method would pass by the filter of typed characters.
  ImmAssociateContext(edit_, nullptr);
  SubclassControl(edit_, [this](HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleEditMessage(edit, message, wParam, lParam);
  });
}

// The window goes while the members that its messages reach still exist.
TSpinEdit::~TSpinEdit() { Destroy(); }

int TSpinEdit::Value() const { return ReadSpinValue(WindowText(edit_)); }

void TSpinEdit::SetValue(int value) { SetWindowTextIfChanged(edit_, std::to_string(ClampSpinValue(value))); }

void TSpinEdit::Step(int delta) { SetValue(StepSpinValue(Value(), delta)); }

RECT TSpinEdit::ArrowRect(int direction) const {
  RECT rect;
  GetClientRect(Handle(), &rect);
  rect.left = std::max(rect.right - kArrowWidth, 0L);
  const LONG middle = rect.bottom / 2;
  if (direction > 0) {
    rect.bottom = middle;
  } else {
    rect.top = middle;
  }
  return rect;
}

void TSpinEdit::PaintArrows(HDC dc) const {
  const bool enabled = IsWindowEnabled(Handle()) != FALSE;
  for (int direction : {1, -1}) {
    RECT rect = ArrowRect(direction);
    UINT state = direction > 0 ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
    if (!enabled) {
      state |= DFCS_INACTIVE;
    } else if (pressed_ == direction) {
      state |= DFCS_PUSHED;
    }
    DrawFrameControl(dc, &rect, DFC_SCROLL, state);
  }
}

void TSpinEdit::OnEditCommand(int code) {
  SendMessageA(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Handle()), code),
               reinterpret_cast<LPARAM>(Handle()));
  // After the parent's own handling, which may have rewritten the text.
  if (code == EN_KILLFOCUS && edit_) {
    const int value = Value();
    if (ClampSpinValue(value) != value) SetValue(value);
  }
}

void TSpinEdit::OnArrowDown(int x, int y) {
  const POINT point{x, y};
  const RECT up = ArrowRect(1), down = ArrowRect(-1);
  const int direction = PtInRect(&up, point) ? 1 : PtInRect(&down, point) ? -1 : 0;
  if (!direction || !IsWindowEnabled(Handle())) return;
  SetFocus(edit_);
  SetCapture(Handle());
  pressed_ = direction;
  InvalidateRect(Handle(), nullptr, FALSE);
  Step(direction);
  // The parent's change handler may have taken the mouse away (a message box, say).
  if (pressed_) SetTimer(Handle(), kRepeatTimer, kSpinRepeatDelay, nullptr);
}

void TSpinEdit::OnRepeat() {
  if (!pressed_) {
    KillTimer(Handle(), kRepeatTimer);
    return;
  }
  Step(pressed_);
  if (pressed_) SetTimer(Handle(), kRepeatTimer, kSpinRepeatInterval, nullptr);
}

void TSpinEdit::StopRepeat() {
  if (!pressed_) return;
  pressed_ = 0;
  KillTimer(Handle(), kRepeatTimer);
  InvalidateRect(Handle(), nullptr, FALSE);
  if (GetCapture() == Handle()) ReleaseCapture();
}

LRESULT TSpinEdit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = Handle();
  if (HandlePaint(window, message, wParam, [this](HDC dc, const RECT&) { PaintArrows(dc); })) return 0;
  if (edit_) {
    switch (message) {
      case WM_GETTEXT:
      case WM_GETTEXTLENGTH:
      case WM_SETFONT:
      case WM_GETFONT:
        return SendMessageA(edit_, message, wParam, lParam);
      case WM_SETTEXT: {
        // The same text again is no change and raises no event.
        const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        if (WindowText(edit_) == text) return TRUE;
        return SendMessageA(edit_, message, wParam, lParam);
      }
      case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) != edit_) break;
        OnEditCommand(HIWORD(wParam));
        return 0;
      case WM_ENABLE:
        EnableWindow(edit_, wParam != 0);
        if (!wParam) StopRepeat();
        InvalidateRect(window, nullptr, FALSE);
        return 0;
      case WM_SETFOCUS:
        SetFocus(edit_);
        return 0;
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORSTATIC:
        return SendMessageA(GetParent(window), message, wParam, lParam);
      default:
        // The edit's own requests (selection, limit, ...) sent to the field.
        if (message >= EM_GETSEL && message <= EM_GETIMESTATUS) return SendMessageA(edit_, message, wParam, lParam);
        break;
    }
  }
  switch (message) {
    case WM_LBUTTONDOWN:
      OnArrowDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_LBUTTONUP:
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
      StopRepeat();
      return 0;
    case WM_TIMER:
      if (wParam != kRepeatTimer) break;
      OnRepeat();
      return 0;
    case WM_DESTROY:
      // The edit goes next; what it still reports while going is no longer the field's.
      StopRepeat();
      edit_ = nullptr;
      break;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

LRESULT TSpinEdit::HandleEditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: {
      LRESULT code = DefSubclassProc(edit, message, wParam, lParam);
      // Enter belongs to the field, which refuses it with one beep; the dialog keys would
      // otherwise take it for the default button and the field would never see it.
      const auto* keys = reinterpret_cast<const MSG*>(lParam);
      if (keys && keys->message == WM_KEYDOWN && keys->wParam == VK_RETURN) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_KEYDOWN:
      if (wParam == VK_UP || wParam == VK_DOWN) {
        Step(wParam == VK_UP ? 1 : -1);
        return 0;
      }
      if (wParam == VK_RETURN) return 0;
      break;
    case WM_CHAR:
      // A character beyond ASCII is never part of a number. Sent as two bytes, it is refused with
      // one beep: the second byte goes silently.
      if (trailByteDue_) {
        trailByteDue_ = false;
        return 0;
      }
      if (wParam >= 0x80 || !AcceptsSpinChar(static_cast<char>(wParam), DecimalSeparator())) {
        trailByteDue_ = !IsWindowUnicode(edit) && IsDBCSLeadByte(static_cast<BYTE>(wParam));
        if (Beep) Beep();
        return 0;
      }
      break;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}
