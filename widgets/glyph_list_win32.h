#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "widgets/glyph_slots.h"

// Small owners for the GDI objects the picture engine makes; none of them can be copied.

template <class H>
class TGdiObject {
 public:
  explicit TGdiObject(H handle = nullptr) : handle_(handle) {}
  ~TGdiObject() { Reset(); }
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  void Reset(H handle = nullptr) {
    if (handle_ != nullptr) {
      DeleteObject(handle_);
    }
    handle_ = handle;
  }
  H Get() const { return handle_; }

 private:
  H handle_;
};

class TMemoryDC {
 public:
  TMemoryDC() : dc_(CreateCompatibleDC(nullptr)) {}
  ~TMemoryDC() {
    if (dc_ != nullptr) {
      DeleteDC(dc_);
    }
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
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

// A 24-bit bitmap of its own, so colour matching does not depend on the screen's depth.
HBITMAP CreateColorBitmap(int width, int height);

// One platform image list of equal-sized masked images, with the slot bookkeeping on top.
class TGlyphList : public TGlyphSlots {
 public:
  TGlyphList(int width, int height);
  ~TGlyphList() override;

  // Stores `image` (Width by Height) in a free slot with every pixel of `maskColor` transparent.
  int AddMaskedImage(HBITMAP image, COLORREF maskColor);
  HIMAGELIST Handle() const { return list_; }

 protected:
  int AppendEmptyImage() override;

 private:
  HIMAGELIST list_;
};

using TGlyphCache = TGlyphCacheOf<TGlyphList>;

// The program-wide cache: made by the first glyph object, gone once the last user finds it empty.
// Null while there is none.
TGlyphCache* SharedGlyphCache();
