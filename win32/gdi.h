#pragma once

#include <windows.h>

#include <commctrl.h>

#include <utility>

#include "win32/owned_handle.h"

// Small owners of GDI state, shared by every window and drawing of the program. None can be
// copied.

// A memory DC like the screen's.
class TMemoryDC : public TOwnedHandle<HDC, TDeleteDC> {
 public:
  TMemoryDC() : TOwnedHandle(CreateCompatibleDC(nullptr)) {}
};

// The DC of one WM_PAINT, from BeginPaint to EndPaint. Get() is null when the system gave none.
class TPaintDC {
 public:
  explicit TPaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~TPaintDC() { EndPaint(window_, &paint_); }
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;

  HDC Get() const { return dc_; }
  // What needs painting.
  const RECT& Area() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Answers the requests to draw a window, WM_PAINT and WM_PRINTCLIENT, with `paint(dc, area)`, the
// one place the window draws itself; false for any other message.
template <typename TPaint>
bool HandlePaint(HWND window, UINT message, WPARAM wParam, TPaint&& paint) {
  if (message == WM_PAINT) {
    const TPaintDC dc(window);
    if (dc.Get()) paint(dc.Get(), dc.Area());
    return true;
  }
  if (message != WM_PRINTCLIENT) return false;
  RECT client;
  GetClientRect(window, &client);
  paint(reinterpret_cast<HDC>(wParam), client);
  return true;
}

// Selects an object into a DC and puts the previous one back.
class TSelectObject {
 public:
  TSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~TSelectObject() { SelectObject(dc_, old_); }
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Restores the text colour, background colour and background mode a drawing step changed.
class TSaveTextColors {
 public:
  explicit TSaveTextColors(HDC dc)
      : dc_(dc), text_(GetTextColor(dc)), back_(GetBkColor(dc)), mode_(GetBkMode(dc)) {}
  ~TSaveTextColors() {
    SetTextColor(dc_, text_);
    SetBkColor(dc_, back_);
    SetBkMode(dc_, mode_);
  }
  TSaveTextColors(const TSaveTextColors&) = delete;
  TSaveTextColors& operator=(const TSaveTextColors&) = delete;

 private:
  HDC dc_;
  COLORREF text_;
  COLORREF back_;
  int mode_;
};
