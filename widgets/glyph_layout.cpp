#include "widgets/glyph_layout.h"

// C++ integer division already truncates toward zero, which is what the layout rules want even for
// negative free room; nothing here may round toward minus infinity.
TGlyphPlacement ComputeLayout(TGlyphExtent client, TGlyphExtent glyph, TGlyphExtent caption, int layout,
                              int margin, int spacing, unsigned biDiFlags) {
  if (biDiFlags & kLayoutRightToLeft) {
    if (layout == lkGlyphLeft) {
      layout = lkGlyphRight;
    } else if (layout == lkGlyphRight) {
      layout = lkGlyphLeft;
    }
  }
  const bool horizontal = layout == lkGlyphLeft || layout == lkGlyphRight;

  TGlyphPlacement p;
  if (horizontal) {
    p.glyphY = (client.cy - glyph.cy + 1) / 2;
    p.captionY = (client.cy - caption.cy + 1) / 2;
  } else {
    p.glyphX = (client.cx - glyph.cx + 1) / 2;
    p.captionX = (client.cx - caption.cx + 1) / 2;
  }

  if (caption.cx == 0 || glyph.cx == 0) {
    spacing = 0;
  }

  const int c = horizontal ? client.cx : client.cy;
  const int g = horizontal ? glyph.cx : glyph.cy;
  const int t = horizontal ? caption.cx : caption.cy;
  if (margin == -1 && spacing == -1) {
    margin = (c - (g + t)) / 3;
    spacing = margin;
  } else if (margin == -1) {
    margin = (c - (g + spacing + t) + 1) / 2;
  } else if (spacing == -1) {
    spacing = ((c - (margin + g)) - t) / 2;
  }

  switch (layout) {
    case lkGlyphLeft:
      p.glyphX = margin;
      p.captionX = margin + glyph.cx + spacing;
      break;
    case lkGlyphRight:
      p.glyphX = client.cx - margin - glyph.cx;
      p.captionX = p.glyphX - spacing - caption.cx;
      break;
    case lkGlyphTop:
      p.glyphY = margin;
      p.captionY = margin + glyph.cy + spacing;
      break;
    default:
      p.glyphY = client.cy - margin - glyph.cy;
      p.captionY = p.glyphY - spacing - caption.cy;
      break;
  }
  return p;
}
