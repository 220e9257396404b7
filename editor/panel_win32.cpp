#include "editor/panel_win32.h"

#include "win32/gdi.h"
#include "win32/reflect.h"

TPanel::TPanel(HWND parent, int x, int y, int width, int height, TPanelBevel bevel, const std::string& caption)
    : bevel_(bevel), caption_(caption) {
  // WS_EX_CONTROLPARENT lets the dialog keys walk into the panel's controls in their tab order.
  Create("TandeloPanel", WS_EX_CONTROLPARENT, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, width,
         height, parent);
}

void TPanel::Paint(HDC dc) const {
  RECT rect;
  GetClientRect(Handle(), &rect);
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  static const UINT kEdges[] = {0, BDR_RAISEDOUTER, BDR_SUNKENOUTER, BDR_SUNKENINNER};
  if (bevel_ != pbNone) DrawEdge(dc, &rect, kEdges[bevel_], BF_RECT);
  if (caption_.empty()) return;
  const TSelectObject font(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  const TSaveTextColors colors(dc);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT TPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (HandlePaint(Handle(), message, wParam, [this](HDC dc, const RECT&) { Paint(dc); })) return 0;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(Handle(), nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_DRAWITEM:
    case WM_MEASUREITEM: {
      // Owner-drawn controls draw themselves: the request goes back to the control first; one
      // that fails reports it through this panel, and the request counts as handled.
      const HWND item = message == WM_DRAWITEM ? reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem
                        : wParam != 0          ? GetDlgItem(Handle(), static_cast<int>(wParam))
                                               : nullptr;
      if (item && SendReflected(item, message, wParam, lParam)) return TRUE;
      return SendMessageA(GetParent(Handle()), message, wParam, lParam);
    }
    case WM_CLOSE:
      // A multi-line edit asks its parent to close when Escape reaches it through the dialog
      // keys; a panel is never closed by its controls, and the main window decides what keys do.
      return 0;
    case WM_NEXTDLGCTL:
    case DM_GETDEFID:
    case DM_SETDEFID:
    case DM_REPOSITION:
      // The keyboard requests a control makes of its parent go up to the window that hosts the
      // keyboard; a control's notices go up to the first window that handles them.
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CONTEXTMENU:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_VSCROLL:
      return SendMessageA(GetParent(Handle()), message, wParam, lParam);
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}
