#include "widgets/button_glyph_win32.h"

#include <memory>

#include "widgets/glyph_layout.h"
#include "widgets/glyph_list_win32.h"

static_assert(int{blGlyphLeft} == lkGlyphLeft && int{blGlyphRight} == lkGlyphRight &&
                  int{blGlyphTop} == lkGlyphTop && int{blGlyphBottom} == lkGlyphBottom,
              "the portable layout uses the button's layout numbers");
static_assert(DT_RIGHT == kLayoutRightToLeft, "the portable layout reads the text drawing flag");

namespace {

std::unique_ptr<TGlyphCache> sharedCache;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);
// Paints the brush where the one-bit source is 1 and keeps the destination where it is 0.
constexpr DWORD kPaintThroughMask = 0x00E20746;

struct TBitmapShape {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
};

TBitmapShape ShapeOf(HBITMAP bitmap) {
  BITMAP info = {};
  if (bitmap == nullptr || GetObject(bitmap, sizeof(info), &info) == 0) {
    return {};
  }
  return {info.bmWidth, info.bmHeight, info.bmPlanes * info.bmBitsPixel};
}

// Without a colour set for it, a two-colour picture is taken to be drawn on white, any other on
// the colour of its bottom-left pixel.
COLORREF TransparentColorOf(HBITMAP bitmap, COLORREF explicitColor) {
  if (explicitColor != CLR_DEFAULT) {
    return explicitColor;
  }
  const TBitmapShape shape = ShapeOf(bitmap);
  if (shape.bitsPerPixel == 1) {
    return kWhite;
  }
  TMemoryDC dc;
  TSelectObject select(dc.Get(), bitmap);
  return GetPixel(dc.Get(), 0, shape.height - 1);
}

// Our own copy keeps two-colour pictures two-colour (their black pixels are what embossing
// shows) and turns every other into 24 bits, whatever the source's palette.
TGdiObject<HBITMAP> CopyPicture(HBITMAP bitmap) {
  const TBitmapShape shape = ShapeOf(bitmap);
  if (shape.width <= 0 || shape.height <= 0) {
    return TGdiObject<HBITMAP>();
  }
  TGdiObject<HBITMAP> copy = shape.bitsPerPixel == 1
                                 ? TGdiObject<HBITMAP>(CreateBitmap(shape.width, shape.height, 1, 1, nullptr))
                                 : CreateColorBitmap(shape.width, shape.height);
  if (copy.Get() != nullptr) {
    TMemoryDC from, to;
    TSelectObject f(from.Get(), bitmap), t(to.Get(), copy.Get());
    BitBlt(to.Get(), 0, 0, shape.width, shape.height, from.Get(), 0, 0, SRCCOPY);
  }
  return copy;
}

// Paints `color` on `work`, moved by (dx, dy), wherever `cell` has the colour `key`.
void PaintWhereKey(HDC work, HDC cell, int width, int height, COLORREF key, int dx, int dy, COLORREF color) {
  TGdiObject<HBITMAP> mask(CreateBitmap(width, height, 1, 1, nullptr));
  TMemoryDC maskDC;
  TSelectObject selectMask(maskDC.Get(), mask.Get());
  SetBkColor(cell, key);
  BitBlt(maskDC.Get(), 0, 0, width, height, cell, 0, 0, SRCCOPY);

  TGdiObject<HBRUSH> brush(CreateSolidBrush(color));
  TSelectObject selectBrush(work, brush.Get());
  SetTextColor(work, kBlack);
  SetBkColor(work, kWhite);
  BitBlt(work, dx, dy, width, height, maskDC.Get(), 0, 0, kPaintThroughMask);
}

// The disabled images are drawn in these; when the user changes them the images are out of date.
std::array<COLORREF, 3> ButtonColors() {
  return {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW)};
}

}  // namespace

TGlyphCache* SharedGlyphCache() { return sharedCache.get(); }

struct TButtonGlyph::TImpl {
  TGdiObject<HBITMAP> picture;
  COLORREF pictureTransparentColor = CLR_DEFAULT;  // set with the picture, or none
  TStateImagesOf<TGlyphList> images;
  std::array<COLORREF, 3> imageColors = {};  // the button colours the images were built in
  COLORREF transparentColor = RGB(128, 128, 0);
};

TButtonGlyph::TButtonGlyph() : impl_(std::make_unique<TImpl>()) {
  if (!sharedCache) {
    sharedCache = std::make_unique<TGlyphCache>();
  }
}

TButtonGlyph::~TButtonGlyph() {
  impl_->picture.Reset();
  ReleaseImages();
  if (sharedCache && sharedCache->IsEmpty()) {
    sharedCache.reset();
  }
}

HBITMAP TButtonGlyph::Picture() const { return impl_->picture.Get(); }

void TButtonGlyph::AssignPicture(HBITMAP bitmap, COLORREF transparentColor) {
  ReleaseImages();
  impl_->picture = CopyPicture(bitmap);
  impl_->pictureTransparentColor = impl_->picture.Get() != nullptr ? transparentColor : CLR_DEFAULT;
  HandlePictureChange();
  const TBitmapShape shape = ShapeOf(impl_->picture.Get());
  if (shape.height > 0) {
    impl_->transparentColor = TransparentColorOf(impl_->picture.Get(), impl_->pictureTransparentColor);
    if (shape.width % shape.height == 0) {
      int count = shape.width / shape.height;
      // More than four square cells cannot be state cells: the strip is one picture.
      ChangeNumGlyphs(count > 4 ? 1 : count);
    }
  }
}

void TButtonGlyph::ChangeNumGlyphs(int count) {
  if (count > 4) {
    count = 4;
  }
  if (count > 0 && count != numGlyphs_) {
    ReleaseImages();
    numGlyphs_ = count;
    HandlePictureChange();
  }
}

void TButtonGlyph::HandlePictureChange() {
  if (impl_->picture.Get() != nullptr) {
    impl_->transparentColor = TransparentColorOf(impl_->picture.Get(), impl_->pictureTransparentColor);
  }
  ReleaseImages();
  if (OnChange) {
    OnChange();
  }
}

void TButtonGlyph::ReleaseImages() { impl_->images.Release(sharedCache.get()); }

int TButtonGlyph::StateImage(TGlyphState state) {
  if (state == gsPressed && numGlyphs_ < 3) {
    state = gsNormal;
  }
  if (impl_->images.ImageList() != nullptr && impl_->imageColors != ButtonColors()) {
    ReleaseImages();
  }
  if (impl_->images.Slot(state) != -1) {
    return impl_->images.Slot(state);
  }
  const TBitmapShape shape = ShapeOf(impl_->picture.Get());
  if (shape.width == 0 && shape.height == 0) {
    return -1;
  }
  const int width = shape.width / numGlyphs_;
  const int height = shape.height;
  if (!sharedCache) {
    sharedCache = std::make_unique<TGlyphCache>();
  }
  impl_->imageColors = ButtonColors();
  return impl_->images.Build(*sharedCache, state, width, height, [&](TGlyphList& list) {
    const int cell = state < numGlyphs_ ? state : 0;
    const TGdiObject<HBITMAP> work = CreateColorBitmap(width, height);
    COLORREF maskColor = impl_->pictureTransparentColor;
    {
      TMemoryDC pictureDC, workDC;
      TSelectObject selectPicture(pictureDC.Get(), impl_->picture.Get());
      TSelectObject selectWork(workDC.Get(), work.Get());
      // A two-colour picture lands as black and white whatever the colours of the DC.
      SetTextColor(workDC.Get(), kBlack);
      SetBkColor(workDC.Get(), kWhite);
      BitBlt(workDC.Get(), 0, 0, width, height, pictureDC.Get(), cell * width, 0, SRCCOPY);

      if (state == gsDisabled) {
        // The classes are decided on the cell as drawn, not on the work image the passes change.
        const TGdiObject<HBITMAP> source = CreateColorBitmap(width, height);
        TMemoryDC sourceDC;
        TSelectObject selectSource(sourceDC.Get(), source.Get());
        BitBlt(sourceDC.Get(), 0, 0, width, height, workDC.Get(), 0, 0, SRCCOPY);
        const auto [face, highlight, shadow] = impl_->imageColors;
        if (numGlyphs_ >= 2) {
          PaintWhereKey(workDC.Get(), sourceDC.Get(), width, height, kWhite, 0, 0, highlight);
          PaintWhereKey(workDC.Get(), sourceDC.Get(), width, height, kGrey, 0, 0, shadow);
          PaintWhereKey(workDC.Get(), sourceDC.Get(), width, height, impl_->transparentColor, 0, 0, face);
        } else {
          TGdiObject<HBRUSH> faceBrush(CreateSolidBrush(face));
          RECT all = {0, 0, width, height};
          FillRect(workDC.Get(), &all, faceBrush.Get());
          PaintWhereKey(workDC.Get(), sourceDC.Get(), width, height, kBlack, 1, 1, highlight);
          PaintWhereKey(workDC.Get(), sourceDC.Get(), width, height, kBlack, 0, 0, shadow);
        }
      }
      // The disabled images are drawn on the face, so their own bottom-left pixel is transparent.
      if (state == gsDisabled || maskColor == CLR_DEFAULT) {
        maskColor = GetPixel(workDC.Get(), 0, height - 1);
      }
    }
    return list.AddMaskedImage(work.Get(), maskColor);
  });
}

void TButtonGlyph::PaintGlyph(HDC dc, POINT position, TGlyphState state) {
  const TBitmapShape shape = ShapeOf(impl_->picture.Get());
  if (shape.width == 0 || shape.height == 0) {
    return;
  }
  const int slot = StateImage(state);
  if (slot >= 0) {
    ImageList_DrawEx(impl_->images.ImageList()->Handle(), slot, dc, position.x, position.y, 0, 0, CLR_NONE, CLR_NONE,
                     ILD_TRANSPARENT);
  }
}

void TButtonGlyph::PaintCaption(HDC dc, const std::string& caption, const RECT& rect, TGlyphState state,
                                UINT biDiFlags) {
  if (caption.empty()) {
    return;
  }
  TSaveTextColors save(dc);
  SetBkMode(dc, TRANSPARENT);
  // No single-line flag: a caption with line breaks gives several centred lines.
  const UINT flags = DT_CENTER | DT_VCENTER | biDiFlags;
  RECT r = rect;
  if (state == gsDisabled) {
    OffsetRect(&r, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(dc, caption.c_str(), -1, &r, flags);
    r = rect;
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  }
  DrawTextA(dc, caption.c_str(), -1, &r, flags);
}

RECT TButtonGlyph::Paint(HDC dc, const RECT& client, POINT offset, const std::string& caption, TButtonLayout layout,
                         int margin, int spacing, TGlyphState state, UINT biDiFlags) {
  const int clientWidth = client.right - client.left;
  const int clientHeight = client.bottom - client.top;
  const TBitmapShape shape = ShapeOf(impl_->picture.Get());
  TGlyphExtent glyph;
  if (shape.width > 0 && shape.height > 0) {
    glyph = {shape.width / numGlyphs_, shape.height};
  }
  RECT textRect = {0, 0, clientWidth, 0};
  if (caption.empty()) {
    textRect.right = 0;
  } else {
    DrawTextA(dc, caption.c_str(), -1, &textRect, DT_CALCRECT | biDiFlags);
  }
  const TGlyphExtent text = {textRect.right - textRect.left, textRect.bottom - textRect.top};

  const TGlyphPlacement at =
      ComputeLayout({clientWidth, clientHeight}, glyph, text, layout, margin, spacing, biDiFlags);
  PaintGlyph(dc, {client.left + at.glyphX + offset.x, client.top + at.glyphY + offset.y}, state);
  OffsetRect(&textRect, client.left + at.captionX + offset.x, client.top + at.captionY + offset.y);
  PaintCaption(dc, caption, textRect, state, biDiFlags);
  return textRect;
}
