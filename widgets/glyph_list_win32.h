#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "win32/gdi.h"
#include "widgets/glyph_slots.h"

// A 24-bit bitmap of its own, so colour matching does not depend on the screen's depth.
TGdiObject<HBITMAP> CreateColorBitmap(int width, int height);

// One platform image list of equal-sized masked images, with the slot bookkeeping on top.
class TGlyphList : public TGlyphSlots {
 public:
  TGlyphList(int width, int height);

  // Stores `image` (Width by Height) in a free slot with every pixel of `maskColor` transparent.
  int AddMaskedImage(HBITMAP image, COLORREF maskColor);
  HIMAGELIST Handle() const { return list_.Get(); }

 protected:
  int AppendEmptyImage() override;

 private:
  TImageList list_;
};

using TGlyphCache = TGlyphCacheOf<TGlyphList>;

// The program-wide cache: made by the first glyph object, gone once the last user finds it empty.
// Null while there is none.
TGlyphCache* SharedGlyphCache();
