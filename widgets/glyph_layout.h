#pragma once

// Placement of a button's picture and caption, from sizes already measured. Portable: the Windows
// side measures the caption and draws; this only does the arithmetic.

struct TGlyphExtent {
  int cx = 0;
  int cy = 0;
};

struct TGlyphPlacement {
  int glyphX = 0;
  int glyphY = 0;
  int captionX = 0;
  int captionY = 0;
};

// Same values as TButtonLayout, kept here so this file needs no Windows header.
enum TGlyphLayoutKind { lkGlyphLeft = 0, lkGlyphRight = 1, lkGlyphTop = 2, lkGlyphBottom = 3 };

// The right-to-left reading flag of the text drawing functions (DT_RIGHT).
constexpr unsigned kLayoutRightToLeft = 2;

// Positions relative to the client's top-left corner. A margin or spacing of -1 means "share the
// free room out"; results may be negative when picture and caption do not fit, and are kept so.
TGlyphPlacement ComputeLayout(TGlyphExtent client, TGlyphExtent glyph, TGlyphExtent caption, int layout,
                              int margin, int spacing, unsigned biDiFlags);
