// The flat button's face painted into memory bitmaps: the frame of each style, the caption in
// every state, the focus mark and the picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "tests/support/canvas_win32.h"
#include "tests/widgets/button_ex_fixture_win32.h"
#include "widgets/button_ex_win32.h"
#include "win32/gdi.h"

namespace {

COLORREF Highlight() { return GetSysColor(COLOR_BTNHIGHLIGHT); }
COLORREF Shadow() { return GetSysColor(COLOR_BTNSHADOW); }

// Inside every frame and clear of the rounded corners: only face and caption.
constexpr RECT kInner{4, 2, kW - 4, kH - 2};

RECT Shifted(RECT r, int d) { return RECT{r.left + d, r.top + d, r.right + d, r.bottom + d}; }

// The caption's ink: anything in the inner region that is not the face.
RECT Ink(const TCanvas& canvas) {
  return canvas.Bounds(kInner, [](COLORREF c) { return c != Face(); });
}

// Where each style leaves rings, face and outline, raised and pressed: the left and right columns
// and the top and bottom rows halfway along the edges.
struct TFrameCase {
  TButtonStyle Style;
  bool Pressed;
  int Rings;  // rings of highlight and shadow visible inside the outline
};

TEST_F(ButtonExTest, FrameShowsTheRingsOfItsStyleInsideTheOutline) {
  const TFrameCase cases[] = {{TButtonStyle::Normal, false, 2},    {TButtonStyle::Normal, true, 2},
                              {TButtonStyle::Flat, false, 1},      {TButtonStyle::Flat, true, 1},
                              {TButtonStyle::UltraFlat, false, 0}, {TButtonStyle::UltraFlat, true, 0}};
  for (const TFrameCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "style " << static_cast<int>(c.Style) << (c.Pressed ? " pressed" : ""));
    Make(c.Style);
    const auto canvas = Paint(c.Pressed ? ODS_SELECTED : 0);
    const COLORREF top = c.Pressed ? Shadow() : Highlight(), bottom = c.Pressed ? Highlight() : Shadow();
    EXPECT_EQ(canvas->Pixel(0, 8), kBlack);
    EXPECT_EQ(canvas->Pixel(kW - 1, 8), kBlack);
    EXPECT_EQ(canvas->Pixel(3, 0), kBlack);
    EXPECT_EQ(canvas->Pixel(12, kH - 1), kBlack);
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(testing::Message() << "ring " << k);
      const bool visible = k < c.Rings;
      EXPECT_EQ(canvas->Pixel(1 + k, 8), visible ? top : Face());
      EXPECT_EQ(canvas->Pixel(4 + k, 1 + k), visible ? top : Face());
      EXPECT_EQ(canvas->Pixel(kW - 2 - k, 8), visible ? bottom : Face());
      EXPECT_EQ(canvas->Pixel(4 + k, kH - 2 - k), visible ? bottom : Face());
    }
    EXPECT_EQ(canvas->Pixel(4, 8), Face()) << "the face between the frame and the caption";
  }
}

// The ultra-flat face hides the rings except at its rounded corners, where the outline's curve
// leaves a ring pixel on each side: top colour at the top left, bottom colour at the bottom right,
// and at the other two corners the colour of the ring's side the pixel lies on.
TEST_F(ButtonExTest, UltraFlatShowsRingPixelsOnlyAtTheCorners) {
  Make(TButtonStyle::UltraFlat);
  for (const bool pressed : {false, true}) {
    SCOPED_TRACE(pressed ? "pressed" : "raised");
    const auto canvas = Paint(pressed ? ODS_SELECTED : 0);
    const COLORREF top = pressed ? Shadow() : Highlight(), bottom = pressed ? Highlight() : Shadow();
    EXPECT_EQ(canvas->Pixel(1, 2), top);
    EXPECT_EQ(canvas->Pixel(2, 1), top);
    EXPECT_EQ(canvas->Pixel(kW - 3, 1), top);
    EXPECT_EQ(canvas->Pixel(kW - 2, 2), bottom);
    EXPECT_EQ(canvas->Pixel(1, kH - 3), top);
    EXPECT_EQ(canvas->Pixel(2, kH - 2), bottom);
    EXPECT_EQ(canvas->Pixel(kW - 2, kH - 3), bottom);
    EXPECT_EQ(canvas->Pixel(kW - 3, kH - 2), bottom);
  }
}

// The focus mark inverts pixels on exactly the border of its rectangle, and nowhere else.
TEST_F(ButtonExTest, FocusRectangleLiesInsideTheFrameOrOnTheFillWithoutFrame) {
  const struct {
    TButtonStyle Style;
    RECT Focus;
  } cases[] = {{TButtonStyle::UltraFlat, {4, 4, kW - 4, kH - 4}}, {TButtonStyle::NoFrame, {1, 1, kW - 1, kH - 1}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Style));
    Make(c.Style);
    const auto plain = Paint(0);
    const auto focused = Paint(ODS_FOCUS);
    int changed = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        if (plain->Pixel(x, y) == focused->Pixel(x, y)) continue;
        ++changed;
        const bool onBorder = (x == c.Focus.left || x == c.Focus.right - 1 || y == c.Focus.top ||
                               y == c.Focus.bottom - 1) &&
                              x >= c.Focus.left && x < c.Focus.right && y >= c.Focus.top && y < c.Focus.bottom;
        EXPECT_TRUE(onBorder) << x << "," << y;
      }
    EXPECT_NE(plain->Pixel(c.Focus.left, c.Focus.top), focused->Pixel(c.Focus.left, c.Focus.top));
    EXPECT_GT(changed, 10);
  }
}

TEST_F(ButtonExTest, NoFrameIsAPlainFillWithTheCaption) {
  Make(TButtonStyle::NoFrame);
  for (const UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
    const auto canvas = Paint(state);
    const RECT ink = Ink(*canvas);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const POINT p{x, y};
        if (!PtInRect(&ink, p)) {
          EXPECT_EQ(canvas->Pixel(x, y), Face()) << x << "," << y;
        }
      }
  }
}

TEST_F(ButtonExTest, PressedMovesTheCaptionOnePixelRightAndDown) {
  for (const bool transparent : {false, true}) {
    SCOPED_TRACE(transparent ? "transparent" : "opaque");
    Make(TButtonStyle::UltraFlat, transparent);
    const auto match = [transparent](COLORREF c) { return c != (transparent ? kPrior : Face()); };
    const RECT normal = Paint(0)->Bounds(kInner, match);
    const RECT pressed = Paint(ODS_SELECTED)->Bounds(kInner, match);
    EXPECT_LT(normal.left, normal.right) << "the caption leaves ink";
    EXPECT_TRUE(SameRect(pressed, Shifted(normal, 1)));
  }
}

// Disabled: the caption in highlight one pixel right and down, then in shadow at its place.
TEST_F(ButtonExTest, DisabledCaptionIsEmbossed) {
  Make(TButtonStyle::UltraFlat);
  const RECT enabledInk = Ink(*Paint(0));
  EnableWindow(button_->Handle(), FALSE);
  const auto canvas = Paint(0);
  const RECT shadow = canvas->Bounds(kInner, [](COLORREF c) { return c == Shadow(); });
  const RECT highlight = canvas->Bounds(kInner, [](COLORREF c) { return c == Highlight(); });
  const RECT all = Ink(*canvas);
  EXPECT_TRUE(SameRect(shadow, enabledInk));
  EXPECT_EQ(highlight.right, shadow.right + 1);
  EXPECT_EQ(highlight.bottom, shadow.bottom + 1);
  EXPECT_TRUE(SameRect(all, RECT{shadow.left, shadow.top, shadow.right + 1, shadow.bottom + 1}));
}

// Transparent: nothing but the caption touches the bitmap, whatever the state, and a disabled
// button paints like an enabled one.
TEST_F(ButtonExTest, TransparentPaintsOnlyTheCaption) {
  Make(TButtonStyle::Normal, true);
  EXPECT_TRUE(GetWindowLongA(button_->Handle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  for (const UINT state : {0u, static_cast<UINT>(ODS_FOCUS), static_cast<UINT>(ODS_SELECTED | ODS_FOCUS)}) {
    SCOPED_TRACE(state);
    EnableWindow(button_->Handle(), TRUE);
    const auto enabled = Paint(state);
    EnableWindow(button_->Handle(), FALSE);
    const auto disabled = Paint(state);
    EXPECT_EQ(enabled->Pixels(), disabled->Pixels());
    EXPECT_EQ(enabled->Pixels(), Paint(state & ~ODS_FOCUS)->Pixels()) << "no focus mark";
    const RECT ink = enabled->Bounds(RECT{0, 0, kW, kH}, [](COLORREF c) { return c != kPrior; });
    EXPECT_GT(ink.left, 1);
    EXPECT_GT(ink.top, 1);
    EXPECT_LT(ink.right, kW - 1);
    EXPECT_LT(ink.bottom, kH - 1);
  }
}

TEST_F(ButtonExTest, OnDrawReplacesAllPaintingAndGetsTheStateBitsUnchanged) {
  Make(TButtonStyle::UltraFlat);
  std::vector<UINT> states;
  bool fontSelected = true;
  button_->OnDraw = [&](TButtonEx& sender, HDC dc, UINT itemState) {
    EXPECT_EQ(&sender, button_.get());
    fontSelected = fontSelected && GetCurrentObject(dc, OBJ_FONT) == font_.Get();
    states.push_back(itemState);
  };
  for (const UINT state : {1u, 16u, 17u}) {
    const auto canvas = Paint(state);
    EXPECT_EQ(canvas->Pixels(), std::vector<COLORREF>(kW * kH, kPrior));
  }
  EXPECT_EQ(states, (std::vector<UINT>{1, 16, 17}));
  EXPECT_TRUE(fontSelected);
}

// Every ring pixel the face and the outline leave visible has the colour of its side of its ring:
// the right column and the bottom row, with the top-right and bottom-left corners, take the
// bottom colour; the left column and the top row the top colour.
TEST_F(ButtonExTest, EveryVisibleRingPixelHasTheColourOfItsSide) {
  for (const TButtonStyle style : {TButtonStyle::Normal, TButtonStyle::Flat, TButtonStyle::UltraFlat}) {
    Make(style);
    for (const bool pressed : {false, true}) {
      SCOPED_TRACE(testing::Message() << "style " << static_cast<int>(style) << (pressed ? " pressed" : ""));
      const auto canvas = Paint(pressed ? ODS_SELECTED : 0);
      const COLORREF top = pressed ? Shadow() : Highlight(), bottom = pressed ? Highlight() : Shadow();
      int ringPixels = 0;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          const COLORREF c = canvas->Pixel(x, y);
          if (c != Highlight() && c != Shadow()) continue;
          ++ringPixels;
          const int k = std::min({x - 1, y - 1, kW - 2 - x, kH - 2 - y});
          ASSERT_TRUE(k >= 0 && k < 3) << x << "," << y << " lies on no ring";
          EXPECT_EQ(c, x == kW - 2 - k || y == kH - 2 - k ? bottom : top) << x << "," << y;
        }
      EXPECT_GT(ringPixels, 0);
    }
  }
}

// The caption goes over the focus mark: where the two cross, the caption's ink stays as it is.
TEST_F(ButtonExTest, CaptionIsDrawnOverTheFocusRectangle) {
  Make(TButtonStyle::UltraFlat);
  SetWindowTextA(button_->Handle(), "MMMMMMMM");  // wider than the button: crosses the mark's sides
  const auto plain = Paint(0);
  const auto focused = Paint(ODS_FOCUS);
  const RECT focus{4, 4, kW - 4, kH - 4};
  int crossings = 0;
  for (int y = focus.top; y < focus.bottom; ++y)
    for (int x = focus.left; x < focus.right; ++x) {
      const bool onBorder = x == focus.left || x == focus.right - 1 || y == focus.top || y == focus.bottom - 1;
      if (!onBorder || plain->Pixel(x, y) != kBlack) continue;
      ++crossings;
      EXPECT_EQ(focused->Pixel(x, y), kBlack) << x << "," << y;
    }
  EXPECT_GT(crossings, 0);
}

// A right-to-left button puts a left picture on the right of its caption.
TEST_F(ButtonExTest, RightToLeftStyleSwapsPictureAndCaption) {
  TButtonEx& button = Make(TButtonStyle::NoFrame);
  const std::vector<DWORD> red(8 * 8, 0x00FF0000);  // 32-bit pixels are 0x00RRGGBB
  TGdiObject<HBITMAP> picture(CreateBitmap(8, 8, 1, 32, red.data()));
  button.SetGlyph(picture.Get(), RGB(0, 0, 255));
  button.SetMargin(2);
  EXPECT_EQ(Paint(0)->Pixel(2, 8), RGB(255, 0, 0));
  SetWindowLongA(button.Handle(), GWL_EXSTYLE, WS_EX_RIGHT);
  const auto mirrored = Paint(0);
  EXPECT_EQ(mirrored->Pixel(kW - 3, 8), RGB(255, 0, 0));
  EXPECT_NE(mirrored->Pixel(2, 8), RGB(255, 0, 0));
}

}  // namespace
