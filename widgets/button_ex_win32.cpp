#include "widgets/button_ex_win32.h"

#include <commctrl.h>

#include <exception>

#include "widgets/gdi_win32.h"

#ifndef OCM__BASE
#define OCM__BASE (WM_USER + 0x1c00)
#endif

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

}  // namespace

TButtonEx::TButtonEx(HWND parent, const std::string& caption, int x, int y, int width, int height, DWORD style,
                     bool transparent)
    : transparent_(transparent) {
  glyph_.OnChange = [this] { Invalidate(); };
  handle_ = CreateWindowExA(transparent ? WS_EX_TRANSPARENT : 0, "BUTTON", caption.c_str(),
                            WS_CHILD | WS_VISIBLE | (style & ~BS_TYPEMASK) | BS_OWNERDRAW, x, y, width, height, parent,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
  if (handle_) SetWindowSubclass(handle_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

// The window goes first: its last messages still reach this object.
TButtonEx::~TButtonEx() {
  if (handle_) DestroyWindow(handle_);
}

TButtonEx* TButtonEx::FromHandle(HWND window) {
  DWORD_PTR data = 0;
  if (!window || !GetWindowSubclass(window, SubclassProc, kSubclassId, &data)) return nullptr;
  return reinterpret_cast<TButtonEx*>(data);
}

COLORREF TButtonEx::Color() const { return colorSet_ ? color_ : GetSysColor(COLOR_BTNFACE); }

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

void TButtonEx::SetGlyph(HBITMAP bitmap) {
  glyph_.AssignPicture(bitmap);
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

std::string TButtonEx::Caption() const {
  std::string text(GetWindowTextLengthA(handle_) + 1, '\0');
  text.resize(GetWindowTextA(handle_, &text[0], static_cast<int>(text.size())));
  return text;
}

void TButtonEx::Invalidate() const {
  if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

void TButtonEx::PaintFace(HDC dc, UINT itemState) {
  const HFONT font = reinterpret_cast<HFONT>(SendMessageA(handle_, WM_GETFONT, 0, 0));
  TSelectObject selectedFont(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
  if (OnDraw) {
    OnDraw(*this, dc, itemState);
    return;
  }
  const bool pressed = (itemState & ODS_SELECTED) != 0;
  TGlyphState state = pressed ? gsPressed : gsNormal;
  const POINT offset = pressed ? POINT{1, 1} : POINT{0, 0};
  RECT client;
  GetClientRect(handle_, &client);
  // A transparent button shows what lies behind it, whatever its state.
  if (!transparent_) {
    const RECT focus = PaintFrame(dc, pressed);
    if (!IsWindowEnabled(handle_)) state = gsDisabled;
    if (itemState & ODS_FOCUS) DrawFocusRect(dc, &focus);
  }
  const UINT biDi = (GetWindowLongA(handle_, GWL_EXSTYLE) & WS_EX_RTLREADING) ? DT_RTLREADING : 0;
  glyph_.Paint(dc, client, offset, Caption(), layout_, margin_, spacing_, state, biDi);
}

RECT TButtonEx::PaintFrame(HDC dc, bool pressed) {
  RECT client;
  GetClientRect(handle_, &client);
  const int w = client.right, h = client.bottom;
  TGdiObject<HBRUSH> face(CreateSolidBrush(Color()));
  FillRect(dc, &client, face.Get());
  RECT focus{1, 1, w - 1, h - 1};
  if (buttonStyle_ == TButtonStyle::NoFrame) return focus;

  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
  focus = Frame3D(dc, focus, pressed ? shadow : highlight, pressed ? highlight : shadow);

  // The rounded face covers the inner rings; the wider the inset, the more rings stay visible.
  static const int kInset[] = {3, 2, 1};
  const int b = kInset[static_cast<int>(buttonStyle_)];
  {
    TGdiObject<HPEN> facePen(CreatePen(PS_SOLID, 1, Color()));
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
    case OCM__BASE + WM_DRAWITEM:
      PaintFace(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hDC, reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->itemState);
      return TRUE;
    case OCM__BASE + WM_MEASUREITEM: {
      RECT rect;
      GetWindowRect(handle_, &rect);
      auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      item.itemWidth = rect.right - rect.left;
      item.itemHeight = rect.bottom - rect.top;
      return TRUE;
    }
    case BM_SETSTYLE:
      // The dialog manager moves the default-button style around as the focus moves; the button
      // stays owner-drawn, draws no default mark, and repaints at once.
      DefSubclassProc(handle_, message, (wParam & ~BS_TYPEMASK) | BS_OWNERDRAW, FALSE);
      RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      return 0;
    // The button class has double clicks on; as presses, two quick clicks are two clicks.
    case WM_LBUTTONDBLCLK:
      return DefSubclassProc(handle_, WM_LBUTTONDOWN, wParam, lParam);
    case WM_RBUTTONDBLCLK:
      return DefSubclassProc(handle_, WM_RBUTTONDOWN, wParam, lParam);
    case WM_MBUTTONDBLCLK:
      return DefSubclassProc(handle_, WM_MBUTTONDOWN, wParam, lParam);
    case WM_SYSCOLORCHANGE:
      Invalidate();
      break;
    case WM_NCDESTROY: {
      const HWND window = handle_;
      RemoveWindowSubclass(window, SubclassProc, kSubclassId);
      handle_ = nullptr;
      return DefSubclassProc(window, message, wParam, lParam);
    }
  }
  return DefSubclassProc(handle_, message, wParam, lParam);
}

LRESULT CALLBACK TButtonEx::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
  auto* button = reinterpret_cast<TButtonEx*>(data);
  try {
    return button->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    OutputDebugStringA(error.what());
  } catch (...) {
    OutputDebugStringA("TButtonEx: unknown exception");
  }
  // A failed paint or request counts as handled, so nothing unwinds through the system.
  return message == WM_NCDESTROY ? DefSubclassProc(window, message, wParam, lParam) : 0;
}
