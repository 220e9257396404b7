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
