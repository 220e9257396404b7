// The flat button painted into memory bitmaps and driven by its messages, in a real panel.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/form1_win32.h"
#include "widgets/gdi_win32.h"
#include "app/panel_win32.h"
#include "tests/app/fake_dialogs.h"
#include "widgets/button_ex_win32.h"

namespace {

constexpr int kW = 25, kH = 16;  // the program's button
const COLORREF kPrior = RGB(10, 200, 30);  // what lies in the bitmap before a paint

// A 32-bit top-down DIB section selected into its own memory DC.
class TBitmapCanvas {
 public:
  TBitmapCanvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<std::uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_.Get());
    RECT all{0, 0, width, height};
    TGdiObject<HBRUSH> brush(CreateSolidBrush(fill));
    FillRect(dc_, &all, brush.Get());
  }
  ~TBitmapCanvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  TBitmapCanvas(const TBitmapCanvas&) = delete;
  TBitmapCanvas& operator=(const TBitmapCanvas&) = delete;

  HDC Dc() const { return dc_; }
  COLORREF Pixel(int x, int y) const {
    GdiFlush();
    const std::uint32_t p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff);
  }
  std::vector<COLORREF> Pixels() const {
    std::vector<COLORREF> all;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) all.push_back(Pixel(x, y));
    return all;
  }
  // The bounding box (right and bottom exclusive) of the pixels in `area` that `match` accepts.
  template <typename TMatch>
  RECT Bounds(const RECT& area, TMatch match) const {
    RECT box{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (match(Pixel(x, y))) {
          box.left = std::min<LONG>(box.left, x), box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1), box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box;
  }

 private:
  int width_, height_;
  TGdiObject<HBITMAP> bitmap_;
  std::uint32_t* bits_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

COLORREF Face() { return GetSysColor(COLOR_BTNFACE); }
COLORREF Highlight() { return GetSysColor(COLOR_BTNHIGHLIGHT); }
COLORREF Shadow() { return GetSysColor(COLOR_BTNSHADOW); }
constexpr COLORREF kBlack = RGB(0, 0, 0);

// Inside every frame and clear of the rounded corners: only face and caption.
constexpr RECT kInner{4, 2, kW - 4, kH - 2};

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
RECT Shifted(RECT r, int d) { return RECT{r.left + d, r.top + d, r.right + d, r.bottom + d}; }

class ButtonExTest : public testing::Test {
 protected:
  ButtonExTest() {
    host_ = CreateWindowExA(WS_EX_NOACTIVATE, "STATIC", "", WS_POPUP | WS_VISIBLE, 50, 50, 100, 50, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    SetWindowSubclass(host_, HostProc, 1, reinterpret_cast<DWORD_PTR>(this));
    panel_ = std::make_unique<TPanel>(host_, 0, 0, 100, 50, pbNone);
  }
  ~ButtonExTest() override {
    button_.reset();
    panel_.reset();
    RemoveWindowSubclass(host_, HostProc, 1);
    DestroyWindow(host_);
  }

  TButtonEx& Make(TButtonStyle style, bool transparent = false) {
    button_ = std::make_unique<TButtonEx>(panel_->Handle(), "▼", 10, 10, kW, kH, 0, transparent);
    button_->SetButtonStyle(style);
    SendMessageA(button_->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    return *button_;
  }
  std::unique_ptr<TBitmapCanvas> Paint(UINT itemState) {
    auto canvas = std::make_unique<TBitmapCanvas>(kW, kH, kPrior);
    button_->PaintFace(canvas->Dc(), itemState);
    return canvas;
  }
  // The caption's ink: anything in the inner region that is not the face.
  static RECT Ink(const TBitmapCanvas& canvas) {
    return canvas.Bounds(kInner, [](COLORREF c) { return c != Face(); });
  }

  static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) ++reinterpret_cast<ButtonExTest*>(data)->clicks_;
    return DefSubclassProc(window, message, wParam, lParam);
  }

  TGdiObject<HFONT> font_{CreateProgramFont()};
  HWND host_ = nullptr;
  std::unique_ptr<TPanel> panel_;
  std::unique_ptr<TButtonEx> button_;
  int clicks_ = 0;
};

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

// The dialog manager's default-button style never replaces owner drawing, and the button repaints
// at once through its parent's reflected draw request.
TEST_F(ButtonExTest, SetStyleKeepsOwnerDrawAndRepaintsAtOnce) {
  Make(TButtonStyle::UltraFlat);
  int paints = 0;
  button_->OnDraw = [&](TButtonEx&, HDC, UINT) { ++paints; };
  UpdateWindow(host_);
  for (const DWORD style : {BS_DEFPUSHBUTTON, BS_PUSHBUTTON}) {
    paints = 0;
    SendMessageA(button_->Handle(), BM_SETSTYLE, style, TRUE);
    EXPECT_EQ(GetWindowLongA(button_->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_GT(paints, 0);
  }
}

TEST_F(ButtonExTest, DoubleClickGivesTwoClicks) {
  Make(TButtonStyle::UltraFlat);
  const HWND button = button_->Handle();
  const LPARAM at = MAKELPARAM(5, 5);
  SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(button, WM_LBUTTONUP, 0, at);
  SendMessageA(button, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageA(button, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(clicks_, 2);
}

TEST_F(ButtonExTest, PropertiesClampAndFollow) {
  TButtonEx& button = Make(TButtonStyle::UltraFlat);
  EXPECT_EQ(button.Color(), Face()) << "follows the panels' colour until set";
  button.SetColor(RGB(1, 2, 3));
  EXPECT_EQ(Paint(0)->Pixel(12, 2), RGB(1, 2, 3));
  const struct {
    int Written, Read;
  } counts[] = {{2, 2}, {0, 2}, {9, 4}, {1, 1}};
  for (const auto& c : counts) {
    button.SetNumGlyphs(c.Written);
    EXPECT_EQ(button.NumGlyphs(), c.Read) << c.Written;
  }
}

TEST(Form1ButtonEx, TheRuleMenuButtonIsAnUltraFlatButtonInTheHeader) {
  TFakeDialogs dialogs;
  TForm1 form(dialogs);
  TButtonEx* button = TButtonEx::FromHandle(form.ButtonEx1);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->ButtonStyle(), TButtonStyle::UltraFlat);
  EXPECT_FALSE(button->Transparent());
  EXPECT_EQ(button->Caption(), "▼");
  const LONG style = GetWindowLongA(form.ButtonEx1, GWL_STYLE);
  EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_FALSE(style & WS_TABSTOP);
  EXPECT_EQ(GetParent(form.ButtonEx1), form.Panel1->Handle());
  RECT rect;
  GetWindowRect(form.ButtonEx1, &rect);
  MapWindowPoints(HWND_DESKTOP, form.Panel1->Handle(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_TRUE(SameRect(rect, RECT{157, 1, 182, 17}));
}

}  // namespace
