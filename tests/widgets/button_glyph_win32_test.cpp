#include "widgets/button_glyph_win32.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "widgets/glyph_list_win32.h"
#include "tests/support/canvas_win32.h"

namespace {

constexpr COLORREF kCanvas = RGB(255, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kTeal = RGB(0, 128, 128);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);

// A picture whose pixel colours come from `color`; a one-bit picture when `mono`.
HBITMAP MakePicture(int width, int height, const std::function<COLORREF(int x, int y)>& color, bool mono = false) {
  HBITMAP bitmap = mono ? CreateBitmap(width, height, 1, 1, nullptr) : CreateColorBitmap(width, height).Release();
  TMemoryDC dc;
  TSelectObject select(dc.Get(), bitmap);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      SetPixel(dc.Get(), x, y, color(x, y));
    }
  }
  return bitmap;
}

bool InSquare(int x, int y, int from, int to) { return x >= from && x <= to && y >= from && y <= to; }

// Red square 4..11 on teal in every cell; the pressed cell (2) has a yellow square instead.
COLORREF Cells(int x, int y) {
  const int cell = x / 16;
  if (!InSquare(x % 16, y, 4, 11)) {
    return kTeal;
  }
  return cell == 2 ? kYellow : kRed;
}

// Paints with no caption so the picture lands at the face's top-left corner.
void PaintPicture(TButtonGlyph& glyph, TCanvas& canvas, TGlyphState state, POINT offset = {0, 0}) {
  const BITMAP info = [&] {
    BITMAP b = {};
    GetObject(glyph.Picture(), sizeof(b), &b);
    return b;
  }();
  const RECT client = {0, 0, info.bmWidth / glyph.NumGlyphs(), info.bmHeight};
  glyph.Paint(canvas.Dc(), client, offset, "", blGlyphLeft, 0, 0, state, 0);
}

void Assign(TButtonGlyph& glyph, HBITMAP picture) {
  TGdiObject<HBITMAP> owner(picture);
  glyph.AssignPicture(owner.Get());
}

TEST(ButtonGlyph, CellCountFollowsThePictureShape) {
  struct {
    int width, height, before, after;
  } cases[] = {{64, 16, 1, 4}, {32, 16, 1, 2}, {80, 16, 2, 1}, {48, 20, 2, 2}, {48, 20, 3, 3}, {16, 16, 3, 1}};
  for (const auto& c : cases) {
    TButtonGlyph glyph;
    glyph.ChangeNumGlyphs(c.before);
    int changes = 0;
    glyph.OnChange = [&] { ++changes; };
    Assign(glyph, MakePicture(c.width, c.height, [](int, int) { return kRed; }));
    EXPECT_EQ(glyph.NumGlyphs(), c.after) << c.width << "x" << c.height;
    EXPECT_GE(changes, 1);
    EXPECT_NE(glyph.Picture(), nullptr);
  }
}

// The masked draw leaves the teal surround alone; pressed is drawn offset by (1, 1) by the caller
// and shows the normal cell unless the picture has a pressed one.
TEST(ButtonGlyph, NormalAndPressedImages) {
  struct {
    TGlyphState state;
    int cells;
    int offset;
    COLORREF square;
  } cases[] = {{gsNormal, 1, 0, kRed},  {gsNormal, 4, 0, kRed},     {gsPressed, 1, 1, kRed},
               {gsPressed, 2, 1, kRed}, {gsPressed, 3, 1, kYellow}, {gsPressed, 4, 1, kYellow}};
  for (const auto& c : cases) {
    TButtonGlyph glyph;
    Assign(glyph, MakePicture(16 * c.cells, 16, Cells));
    ASSERT_EQ(glyph.NumGlyphs(), c.cells);
    TCanvas canvas(20, 20, kCanvas);
    PaintPicture(glyph, canvas, c.state, {c.offset, c.offset});
    const int from = 4 + c.offset;
    const int to = 11 + c.offset;
    EXPECT_EQ(canvas.Pixel(from - 1, from - 1), kCanvas) << c.state << " " << c.cells;
    EXPECT_EQ(canvas.Pixel(from, from), c.square) << c.state << " " << c.cells;
    EXPECT_EQ(canvas.Pixel(to, to), c.square) << c.state << " " << c.cells;
    EXPECT_EQ(canvas.Pixel(to + 1, to + 1), kCanvas) << c.state << " " << c.cells;
    EXPECT_EQ(canvas.Pixel(c.offset, 15 + c.offset), kCanvas) << c.state << " " << c.cells;
  }
}

TEST(ButtonGlyph, DisabledSingleCellEmbossesTheBlackPixels) {
  // Black at (5,5), (6,6) and (9,5); red (or, in a two-colour picture, white) at (8,8); the rest
  // white.
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  for (bool mono : {false, true}) {
    auto color = [mono](int x, int y) {
      if ((x == 5 && y == 5) || (x == 6 && y == 6) || (x == 9 && y == 5)) {
        return kBlack;
      }
      return x == 8 && y == 8 && !mono ? kRed : kWhite;
    };
    TButtonGlyph glyph;
    Assign(glyph, MakePicture(16, 16, color, mono));
    TCanvas canvas(16, 16, kCanvas);
    PaintPicture(glyph, canvas, gsDisabled);
    EXPECT_EQ(canvas.Pixel(5, 5), shadow) << mono;
    EXPECT_EQ(canvas.Pixel(6, 6), shadow) << mono;  // a black pixel wins over a highlight below it
    EXPECT_EQ(canvas.Pixel(7, 7), highlight) << mono;
    EXPECT_EQ(canvas.Pixel(9, 5), shadow) << mono;
    EXPECT_EQ(canvas.Pixel(10, 6), highlight) << mono;
    // Everything else is face, which is the image's transparent colour.
    EXPECT_EQ(canvas.Pixel(8, 8), kCanvas) << mono;
    EXPECT_EQ(canvas.Pixel(0, 0), kCanvas) << mono;
    EXPECT_EQ(canvas.Pixel(6, 5), kCanvas) << mono;
  }
}

TEST(ButtonGlyph, DisabledCellIsRecoloured) {
  // Cell 1: white at (3,3), grey at (4,4), red at (5,5), on teal, the picture's transparent colour.
  auto color = [](int x, int y) {
    if (x < 16) {
      return kTeal;
    }
    x -= 16;
    if (x == 3 && y == 3) {
      return kWhite;
    }
    if (x == 4 && y == 4) {
      return kGrey;
    }
    return x == 5 && y == 5 ? kRed : kTeal;
  };
  TButtonGlyph glyph;
  Assign(glyph, MakePicture(32, 16, color));
  ASSERT_EQ(glyph.NumGlyphs(), 2);
  TCanvas canvas(16, 16, kCanvas);
  PaintPicture(glyph, canvas, gsDisabled);
  EXPECT_EQ(canvas.Pixel(3, 3), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(canvas.Pixel(4, 4), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(canvas.Pixel(5, 5), kRed);
  EXPECT_EQ(canvas.Pixel(0, 0), kCanvas);  // teal became face, and face is transparent
  EXPECT_EQ(canvas.Pixel(10, 10), kCanvas);
}

// The face pass comes last: where the picture's transparent colour is white or grey, those pixels
// of the disabled cell become face, not highlight or shadow.
TEST(ButtonGlyph, DisabledCellFaceWinsOverWhiteAndGrey) {
  for (const COLORREF background : {kWhite, kGrey}) {
    // Cell 0 in the background colour, which so becomes the transparent colour; cell 1 teal with
    // one pixel of it at (5,5).
    auto color = [background](int x, int y) { return x < 16 || (x == 21 && y == 5) ? background : kTeal; };
    TButtonGlyph glyph;
    Assign(glyph, MakePicture(32, 16, color));
    TCanvas canvas(16, 16, kCanvas);
    PaintPicture(glyph, canvas, gsDisabled);
    EXPECT_EQ(canvas.Pixel(5, 5), GetSysColor(COLOR_BTNFACE)) << std::hex << background;
    EXPECT_EQ(canvas.Pixel(0, 0), kCanvas);  // teal, the image's bottom-left colour
  }
}

// A transparent colour given with the picture replaces its bottom-left pixel's.
TEST(ButtonGlyph, GivenTransparentColourIsTheMask) {
  TButtonGlyph glyph;
  TGdiObject<HBITMAP> picture(MakePicture(16, 16, Cells));
  glyph.AssignPicture(picture.Get(), kRed);
  TCanvas canvas(16, 16, kCanvas);
  PaintPicture(glyph, canvas, gsNormal);
  EXPECT_EQ(canvas.Pixel(0, 15), kTeal);
  EXPECT_EQ(canvas.Pixel(8, 8), kCanvas);
}

// Only the bottom-left pixel decides the colours: the picture's, for what a disabled cell turns to
// face, and the cell's own, for what the image list leaves out. Blue stands in the other corners of
// the picture, red in the top-left of the cell, and both must show.
TEST(ButtonGlyph, TheBottomLeftPixelIsTheTransparentColour) {
  auto corners = [](int x, int y) {
    const bool corner = (x == 0 || x == 31) && (y == 0 || y == 15) && !(x == 0 && y == 15);
    return corner || (x == 21 && y == 5) ? kBlue : kTeal;
  };
  TButtonGlyph disabled;
  Assign(disabled, MakePicture(32, 16, corners));
  TCanvas grey(16, 16, kCanvas);
  PaintPicture(disabled, grey, gsDisabled);
  EXPECT_EQ(grey.Pixel(5, 5), kBlue);
  EXPECT_EQ(grey.Pixel(15, 15), kBlue);
  EXPECT_EQ(grey.Pixel(8, 8), kCanvas);

  TButtonGlyph normal;
  Assign(normal, MakePicture(16, 16, [](int x, int y) { return x == 0 && y == 0 ? kRed : kTeal; }));
  TCanvas canvas(16, 16, kCanvas);
  PaintPicture(normal, canvas, gsNormal);
  EXPECT_EQ(canvas.Pixel(0, 0), kRed);
  EXPECT_EQ(canvas.Pixel(8, 8), kCanvas);
}

// Every pixel of the shadow copy is where the normal caption has ink; the highlight copy shows
// one pixel right and down of it where the shadow does not cover it.
TEST(ButtonGlyph, DisabledCaptionIsDrawnTwice) {
  constexpr COLORREF kInk = RGB(0, 0, 128);
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const RECT client = {0, 0, 80, 30};
  TButtonGlyph glyph;
  TCanvas normal(80, 30, kBlack), disabled(80, 30, kBlack);
  // Smoothed edges would blend the two copies; whole pixels keep the comparison exact.
  TGdiObject<HFONT> font(CreateFontA(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, "Tahoma"));
  TSelectObject normalFont(normal.Dc(), font.Get()), disabledFont(disabled.Dc(), font.Get());
  SetTextColor(normal.Dc(), kInk);
  const RECT normalRect = glyph.Paint(normal.Dc(), client, {0, 0}, "AW", blGlyphLeft, -1, 4, gsNormal, 0);
  const RECT disabledRect = glyph.Paint(disabled.Dc(), client, {0, 0}, "AW", blGlyphLeft, -1, 4, gsDisabled, 0);
  EXPECT_TRUE(EqualRect(&normalRect, &disabledRect));
  EXPECT_EQ(normalRect.left, (80 - (normalRect.right - normalRect.left) + 1) / 2);
  EXPECT_EQ(normalRect.top, (30 - (normalRect.bottom - normalRect.top) + 1) / 2);
  EXPECT_EQ(GetTextColor(disabled.Dc()), GetTextColor(TCanvas(1, 1, kCanvas).Dc()));

  int ink = 0;
  for (int y = 1; y < 30; ++y) {
    for (int x = 1; x < 80; ++x) {
      const bool here = normal.Pixel(x, y) == kInk;
      const bool upLeft = normal.Pixel(x - 1, y - 1) == kInk;
      ink += here;
      const COLORREF expected = here ? shadow : upLeft ? highlight : kBlack;
      ASSERT_EQ(disabled.Pixel(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_GT(ink, 10);
}

TEST(ButtonGlyph, CellsNoPixelWideAreRejected) {
  TButtonGlyph glyph;
  Assign(glyph, MakePicture(3, 16, [](int, int) { return kRed; }));
  glyph.ChangeNumGlyphs(4);
  TCanvas canvas(16, 16, kCanvas);
  try {
    glyph.Paint(canvas.Dc(), {0, 0, 16, 16}, {0, 0}, "", blGlyphLeft, -1, 4, gsNormal, 0);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "イメージサイズが正しくありません");
  }
}

TEST(ButtonGlyph, ImageTheListCannotTakeIsRejected) {
  TGlyphList list(16, 16);
  try {
    list.AddMaskedImage(nullptr, kWhite);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "イメージの置き換えができません");
  }
  EXPECT_EQ(list.UsedCount(), 0);
}

TEST(ButtonGlyph, SameCellSizeSharesOneListAndTheCacheGoesWithTheLast) {
  auto first = std::make_unique<TButtonGlyph>();
  auto second = std::make_unique<TButtonGlyph>();
  Assign(*first, MakePicture(16, 16, Cells));
  Assign(*second, MakePicture(32, 16, Cells));  // two cells of 16 by 16
  TCanvas canvas(16, 16, kCanvas);
  PaintPicture(*first, canvas, gsNormal);
  PaintPicture(*second, canvas, gsNormal);
  PaintPicture(*second, canvas, gsNormal);  // built once, then reused
  PaintPicture(*second, canvas, gsDisabled);
  ASSERT_NE(SharedGlyphCache(), nullptr);
  EXPECT_EQ(SharedGlyphCache()->Count(), 1);
  EXPECT_EQ(SharedGlyphCache()->ListFor(16, 16).UsedCount(), 3);

  first.reset();
  ASSERT_NE(SharedGlyphCache(), nullptr);
  EXPECT_EQ(SharedGlyphCache()->Count(), 1);
  EXPECT_EQ(SharedGlyphCache()->ListFor(16, 16).UsedCount(), 2);

  second.reset();
  EXPECT_EQ(SharedGlyphCache(), nullptr);
}

}  // namespace
