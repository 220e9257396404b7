#include "widgets/button_ex_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <vector>

#include "win32/gdi.h"
#include "win32/reflect.h"
#include "win32/window.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x42784578;  // tells our subclass from anybody else's
constexpr int kCornerSize = 6;                // corner ellipse of the face and of the outline

// Three one-pixel rings inside `rect`: the top colour on the left column and the top row, the
// bottom colour on the right column and the bottom row, which also take the top-right and the
// bottom-left corner. Returns the rectangle inside the rings.
RECT Frame3D(HDC dc, RECT rect, COLORREF top, COLORREF bottom) {
  TGdiObject<HPEN> topPen(CreatePen(PS_SOLID, 1, top));
  TGdiObject<HPEN> bottomPen(CreatePen(PS_SOLID, 1, bottom));
  for (int k = 0; k < 3; ++k) {
    const int l = rect.left + k, t = rect.top + k, r = rect.right - 1 - k, b = rect.bottom - 1 - k;
    // A polyline leaves out its last point, hence the bottom row runs to l - 1.
    {
      TSelectObject pen(dc, topPen.Get());
      const POINT points[] = {{l, b}, {l, t}, {r, t}};
      Polyline(dc, points, 3);
    }
    TSelectObject pen(dc, bottomPen.Get());
    const POINT points[] = {{r, t}, {r, b}, {l - 1, b}};
    Polyline(dc, points, 3);
  }
  return RECT{rect.left + 3, rect.top + 3, rect.right - 3, rect.bottom - 3};
}

// Draws under the button what its parent shows there: its erase, then its client painting, with
// the parent's origin moved to where it lies under the button.
void PaintParentBackground(HWND button, HDC dc) {
  const HWND parent = GetParent(button);
  if (parent == nullptr) return;
  RECT client;
  GetClientRect(button, &client);
  POINT origin{0, 0};
  MapWindowPoints(button, parent, &origin, 1);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
  OffsetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
  SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  RestoreDC(dc, saved);
}

// The buttons of this thread, and the hook that watches the focus for them.
thread_local std::vector<TButtonEx*> threadButtons;
thread_local THook focusHook;

}  // namespace

TButtonEx::TFocusWatch::TFocusWatch(TButtonEx* button) : button_(button) {
  threadButtons.push_back(button);
  if (!focusHook.Get()) focusHook.Reset(SetWindowsHookExA(WH_CBT, FocusHookProc, nullptr, GetCurrentThreadId()));
}

TButtonEx::TFocusWatch::~TFocusWatch() {
  threadButtons.erase(std::find(threadButtons.begin(), threadButtons.end(), button_));
  if (threadButtons.empty()) focusHook.Reset();
}

TButtonEx::TButtonEx(HWND parent, const std::string& caption, int x, int y, int width, int height, DWORD style,
                     bool transparent)
    : transparent_(transparent) {
  glyph_.OnChange = [this] { Invalidate(); };
  window_.Reset(CreateControl(nullptr, parent, "BUTTON", caption, (style & ~BS_TYPEMASK) | BS_OWNERDRAW, x, y, width,
                              height, transparent ? WS_EX_TRANSPARENT : 0, 0,
                              {SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)}));
}

// The window goes first: its last messages still reach this object.
TButtonEx::~TButtonEx() { window_.Reset(); }

LRESULT CALLBACK TButtonEx::FocusHookProc(int code, WPARAM wParam, LPARAM lParam) {
  const LRESULT refused = CallNextHookEx(nullptr, code, wParam, lParam);
  const HWND gaining = reinterpret_cast<HWND>(wParam), losing = reinterpret_cast<HWND>(lParam);
  if (code != HCBT_SETFOCUS || refused || !gaining || !losing) return refused;
  const HWND window = GetAncestor(gaining, GA_ROOT);
  if (window != GetAncestor(losing, GA_ROOT)) return refused;
  // A paint may make or destroy buttons: walk a copy, and skip those gone meanwhile.
  const std::vector<TButtonEx*> buttons = threadButtons;
  for (TButtonEx* button : buttons) {
    if (std::find(threadButtons.begin(), threadButtons.end(), button) == threadButtons.end()) continue;
    const HWND handle = button->Handle();
    if (handle && GetAncestor(handle, GA_ROOT) == window) {
      RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
  }
  return refused;
}

TButtonEx* TButtonEx::FromHandle(HWND window) {
  DWORD_PTR data = 0;
  if (!window || !GetWindowSubclass(window, SubclassProc, kSubclassId, &data)) return nullptr;
  return reinterpret_cast<TButtonEx*>(data);
}

COLORREF TButtonEx::Color() const {
  if (colorSet_) return color_;
  // The parent's answer is the brush the button class itself erases with.
  const HWND parent = Handle() ? GetParent(Handle()) : nullptr;
  if (parent) {
    TMemoryDC dc;
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(parent, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc.Get()), reinterpret_cast<LPARAM>(Handle())));
    LOGBRUSH info{};
    if (brush && GetObject(brush, sizeof info, &info) == sizeof info && info.lbStyle == BS_SOLID) return info.lbColor;
  }
  return GetSysColor(COLOR_BTNFACE);
}

void TButtonEx::SetColor(COLORREF color) {
  color_ = color;
  colorSet_ = true;
  Invalidate();
}

void TButtonEx::SetButtonStyle(TButtonStyle style) {
  buttonStyle_ = style;
  Invalidate();
}

void TButtonEx::SetTransparent(bool transparent) {
  transparent_ = transparent;
  Invalidate();
}

void TButtonEx::SetGlyph(HBITMAP bitmap, COLORREF transparentColor) {
  glyph_.AssignPicture(bitmap, transparentColor);
  Invalidate();
}

void TButtonEx::SetNumGlyphs(int count) {
  if (count <= 0) return;
  if (count > 4) count = 4;
  if (count == glyph_.NumGlyphs()) return;
  glyph_.ChangeNumGlyphs(count);
  Invalidate();
}

void TButtonEx::SetLayout(TButtonLayout layout) {
  layout_ = layout;
  Invalidate();
}

void TButtonEx::SetMargin(int margin) {
  margin_ = margin;
  Invalidate();
}

void TButtonEx::SetSpacing(int spacing) {
  spacing_ = spacing;
  Invalidate();
}

std::string TButtonEx::Caption() const { return WindowText(Handle()); }

void TButtonEx::Invalidate() const {
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TButtonEx::PaintFace(HDC dc, UINT itemState) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(Handle(), WM_GETFONT, 0, 0));
  if (!font) font = reinterpret_cast<HFONT>(SendMessageA(GetParent(Handle()), WM_GETFONT, 0, 0));
  TSelectObject selectedFont(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
  if (OnDraw) {
    OnDraw(*this, dc, itemState);
    return;
  }
  const bool pressed = (itemState & ODS_SELECTED) != 0;
  TGlyphState state = pressed ? gsPressed : gsNormal;
  const POINT offset = pressed ? POINT{1, 1} : POINT{0, 0};
  RECT client;
  GetClientRect(Handle(), &client);
  // A transparent button shows what lies behind it, whatever its state.
  if (!transparent_) {
    const RECT focus = PaintFrame(dc, pressed);
    if (!IsWindowEnabled(Handle())) state = gsDisabled;
    if (itemState & ODS_FOCUS) DrawFocusRect(dc, &focus);
  }
  const LONG exStyle = GetWindowLongA(Handle(), GWL_EXSTYLE);
  const UINT biDi = ((exStyle & WS_EX_RIGHT) ? DT_RIGHT : 0) | ((exStyle & WS_EX_RTLREADING) ? DT_RTLREADING : 0);
  glyph_.Paint(dc, client, offset, Caption(), layout_, margin_, spacing_, state, biDi);
}

RECT TButtonEx::PaintFrame(HDC dc, bool pressed) {
  RECT client;
  GetClientRect(Handle(), &client);
  const int w = client.right, h = client.bottom;
  const COLORREF color = Color();  // asks the parent each time until assigned
  TGdiObject<HBRUSH> face(CreateSolidBrush(color));
  FillRect(dc, &client, face.Get());
  RECT focus{1, 1, w - 1, h - 1};
  if (buttonStyle_ == TButtonStyle::NoFrame) return focus;

  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
  focus = Frame3D(dc, focus, pressed ? shadow : highlight, pressed ? highlight : shadow);

  // The rounded face covers the inner rings; the wider the inset, the more rings stay visible.
  static const int kInset[] = {3, 2, 1};
  const int b = kInset[static_cast<int>(buttonStyle_)];
  {
    TGdiObject<HPEN> facePen(CreatePen(PS_SOLID, 1, color));
    TSelectObject pen(dc, facePen.Get());
    TSelectObject brush(dc, face.Get());
    RoundRect(dc, b, b, w - b, h - b, kCornerSize, kCornerSize);
  }
  TSelectObject pen(dc, GetStockObject(BLACK_PEN));
  TSelectObject brush(dc, GetStockObject(NULL_BRUSH));
  RoundRect(dc, 0, 0, w, h, kCornerSize, kCornerSize);
  return focus;
}

LRESULT TButtonEx::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case OCM__BASE + WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (transparent_) PaintParentBackground(Handle(), item.hDC);
      PaintFace(item.hDC, item.itemState);
      return TRUE;
    }
    case WM_ERASEBKGND:
      // The class would fill a transparent button with its parent's brush; the paint itself
      // draws what lies behind it.
      if (transparent_) return TRUE;
      break;
    case WM_SETFONT: {
      const LRESULT result = DefSubclassProc(Handle(), message, wParam, lParam);
      Invalidate();
      return result;
    }
    case OCM__BASE + WM_MEASUREITEM: {
      RECT rect;
      GetWindowRect(Handle(), &rect);
      auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      item.itemWidth = rect.right - rect.left;
      item.itemHeight = rect.bottom - rect.top;
      return TRUE;
    }
    case BM_SETSTYLE:
      // Whoever moves the default-button style around, the button stays owner-drawn, draws no
      // default mark, and repaints at once.
      DefSubclassProc(Handle(), message, (wParam & ~BS_TYPEMASK) | BS_OWNERDRAW, FALSE);
      RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      return 0;
    // The button class has double clicks on; as presses, two quick clicks are two clicks.
    case WM_LBUTTONDBLCLK:
      return DefSubclassProc(Handle(), WM_LBUTTONDOWN, wParam, lParam);
    case WM_RBUTTONDBLCLK:
      return DefSubclassProc(Handle(), WM_RBUTTONDOWN, wParam, lParam);
    case WM_MBUTTONDBLCLK:
      return DefSubclassProc(Handle(), WM_MBUTTONDOWN, wParam, lParam);
    case WM_SYSCOLORCHANGE:
      Invalidate();
      break;
    case WM_NCDESTROY: {
      // Gone by whichever hand (its parent's going takes it too): the handle is no longer ours.
      const HWND window = window_.Release();
      RemoveWindowSubclass(window, SubclassProc, kSubclassId);
      return DefSubclassProc(window, message, wParam, lParam);
    }
  }
  return DefSubclassProc(Handle(), message, wParam, lParam);
}

LRESULT CALLBACK TButtonEx::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
  auto* button = reinterpret_cast<TButtonEx*>(data);
  try {
    return button->HandleMessage(message, wParam, lParam);
  } catch (...) {
    TWindow::ReportCurrentFailure(window);
  }
  if (message == WM_NCDESTROY) return DefSubclassProc(window, message, wParam, lParam);
  // A failed reflected request counts as handled, so the parent forwards it nowhere else.
  return message == OCM__BASE + WM_DRAWITEM || message == OCM__BASE + WM_MEASUREITEM ? TRUE : 0;
}
