// The flat button painted into memory bitmaps and driven by its messages, in a real panel.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "app/form1_win32.h"
#include "app/program_font_win32.h"
#include "win32/gdi.h"
#include "editor/panel_win32.h"
#include "tests/support/canvas_win32.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/message_box_watcher_win32.h"
#include "tests/support/windows_win32.h"
#include "widgets/button_ex_win32.h"
#include "win32/reflect.h"

namespace {

constexpr int kW = 25, kH = 16;  // the program's button
const COLORREF kPrior = RGB(10, 200, 30);  // what lies in the bitmap before a paint

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
    host_ = CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 50, 50, 100, 50, nullptr, nullptr,
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
  std::unique_ptr<TCanvas> Paint(UINT itemState) {
    auto canvas = std::make_unique<TCanvas>(kW, kH, kPrior);
    button_->PaintFace(canvas->Dc(), itemState);
    return canvas;
  }
  // The caption's ink: anything in the inner region that is not the face.
  static RECT Ink(const TCanvas& canvas) {
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

// Each write that changes the face leaves the button to be repainted.
TEST_F(ButtonExTest, WritesThatChangeTheFaceInvalidateIt) {
  TButtonEx& button = Make(TButtonStyle::UltraFlat);
  TGdiObject<HBITMAP> picture(CreateBitmap(32, 16, 1, 1, nullptr));
  const std::pair<const char*, std::function<void()>> writes[] = {
      {"ButtonStyle", [&] { button.SetButtonStyle(TButtonStyle::Flat); }},
      {"Color", [&] { button.SetColor(RGB(1, 2, 3)); }},
      {"Transparent", [&] { button.SetTransparent(true); }},
      {"Glyph", [&] { button.SetGlyph(picture.Get()); }},
      {"NumGlyphs", [&] { button.SetNumGlyphs(1); }},
      {"Layout", [&] { button.SetLayout(blGlyphTop); }},
      {"Margin", [&] { button.SetMargin(2); }},
      {"Spacing", [&] { button.SetSpacing(1); }},
      {"Font", [&] { SendMessageA(button.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE); }},
  };
  for (const auto& write : writes) {
    ValidateRect(button.Handle(), nullptr);
    write.second();
    EXPECT_TRUE(GetUpdateRect(button.Handle(), nullptr, FALSE)) << write.first;
  }
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
  TButtonEx button0(panel_->Handle(), "▼", 10, 10, kW, kH, 0);
  SendMessageA(panel_->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  HGDIOBJ drawnWith = nullptr;
  button0.OnDraw = [&](TButtonEx&, HDC dc, UINT) { drawnWith = GetCurrentObject(dc, OBJ_FONT); };
  TCanvas canvas(kW, kH, kPrior);
  button0.PaintFace(canvas.Dc(), 0);
  EXPECT_EQ(drawnWith, font_.Get()) << "the panel's font until one is set";

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
  TButtonEx* button = TButtonEx::FromHandle(form.Editor().ButtonEx1);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->ButtonStyle(), TButtonStyle::UltraFlat);
  EXPECT_FALSE(button->Transparent());
  EXPECT_EQ(button->Caption(), "▼");
  const LONG style = GetWindowLongA(form.Editor().ButtonEx1, GWL_STYLE);
  EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_FALSE(style & WS_TABSTOP);
  EXPECT_EQ(GetParent(form.Editor().ButtonEx1), form.Editor().Panel1->Handle());
  RECT rect;
  GetWindowRect(form.Editor().ButtonEx1, &rect);
  MapWindowPoints(HWND_DESKTOP, form.Editor().Panel1->Handle(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_TRUE(SameRect(rect, RECT{157, 1, 182, 17}));
}

// Windows of tests running beside this one would hide parts of it, and what is hidden is not
// painted: the windows that are painted for real go on top, away from the others.
void OnTop(HWND window) { SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); }

LRESULT CALLBACK CountDeactivations(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR count) {
  if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) ++*reinterpret_cast<int*>(count);
  return DefSubclassProc(window, message, wParam, lParam);
}

// The system tells an owner-drawn button nothing when the focus moves between other controls of
// its window; the button repaints at once all the same, however the focus moves.
TEST(ButtonExFocus, RepaintsAsTheFocusMovesBetweenOtherControls) {
  TTopLevelWindow window(RECT{720, 420, 980, 500});
  OnTop(window.Handle());
  int deactivations = 0;
  SetWindowSubclass(window.Handle(), CountDeactivations, 1, reinterpret_cast<DWORD_PTR>(&deactivations));
  TPanel panel(window.Handle(), 0, 0, 240, 60, pbNone);
  const auto edit = [&](int x, int id) {
    return CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER, x, 5, 60, 20,
                           panel.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  };
  const HWND first = edit(5, 1), second = edit(70, 2);
  TButtonEx button(panel.Handle(), "▼", 140, 5, kW, kH, 0);
  int paints = 0;
  button.OnDraw = [&](TButtonEx&, HDC, UINT) { ++paints; };
  // A window that another test's window deactivates meanwhile has no focus to move: tried again.
  const auto moveFocus = [&](HWND from, const std::function<void()>& move) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      SetFocus(from);
      PumpThroughDialogKeys(window.Handle());
      if (GetFocus() != from) continue;
      const int before = deactivations;
      paints = 0;
      move();
      if (deactivations == before) return;
    }
  };

  moveFocus(first, [&] { SetFocus(second); });
  EXPECT_EQ(GetFocus(), second);
  EXPECT_GT(paints, 0) << "SetFocus, before any message is dispatched";

  moveFocus(second, [&] {
    PostMessageA(second, WM_KEYDOWN, VK_TAB, 0);
    PumpThroughDialogKeys(window.Handle());
  });
  EXPECT_EQ(GetFocus(), first);
  EXPECT_GT(paints, 0) << "Tab";

  moveFocus(first, [&] {
    PostMessageA(second, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(second, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpThroughDialogKeys(window.Handle());
  });
  EXPECT_EQ(GetFocus(), second);
  EXPECT_GT(paints, 0) << "click";
  RemoveWindowSubclass(window.Handle(), CountDeactivations, 1);
}

int drawItemsAtTop = 0;
LRESULT CALLBACK CountDrawItems(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_DRAWITEM) ++drawItemsAtTop;
  return DefSubclassProc(window, message, wParam, lParam);
}

// A paint that fails is reported in the application's error box by the panel, like the failure of
// any handler; the request goes no further, and the program goes on.
TEST(ButtonExErrors, AFailedPaintReachesTheErrorBox) {
  TTopLevelWindow window(RECT{720, 520, 920, 600});
  OnTop(window.Handle());
  SetWindowSubclass(window.Handle(), CountDrawItems, 1, 0);
  drawItemsAtTop = 0;
  TPanel panel(window.Handle(), 0, 0, 200, 40, pbNone);
  TButtonEx button(panel.Handle(), "▼", 10, 10, kW, kH, 0);
  TGdiObject<HBITMAP> picture(CreateBitmap(3, 16, 1, 1, nullptr));
  button.SetGlyph(picture.Get());
  button.SetNumGlyphs(4);  // cells 0 pixels wide
  SetErrorBoxTitle("Tandelo(仮)");
  {
    TMessageBoxWatcher watcher({IDOK});
    UpdateWindow(button.Handle());
    ASSERT_EQ(watcher.Seen().size(), 1u);
    const TMessageBoxSeen& box = watcher.Seen()[0];
    EXPECT_EQ(box.Caption, "Tandelo(仮)");
    EXPECT_EQ(box.Text, "イメージサイズが正しくありません.");
    EXPECT_TRUE(box.IconShown);
    EXPECT_EQ(box.Buttons, std::vector<int>{IDOK});
  }
  EXPECT_EQ(drawItemsAtTop, 0);
  button.SetNumGlyphs(1);
  TMessageBoxWatcher none({});
  UpdateWindow(button.Handle());
  EXPECT_TRUE(none.Seen().empty());
  RemoveWindowSubclass(window.Handle(), CountDrawItems, 1);
}

// A parent that paints itself red; it answers WM_CTLCOLORBTN with red only when asked to, and
// otherwise leaves the answer to the system (the button face).
bool answerRed = false;
LRESULT CALLBACK RedParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  switch (message) {
    case WM_DRAWITEM:
      return SendReflected(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem, message, wParam, lParam);
    case WM_CTLCOLORBTN:
      if (answerRed) return reinterpret_cast<LRESULT>(red);
      break;
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT: {
      RECT all;
      GetClientRect(window, &all);
      FillRect(reinterpret_cast<HDC>(wParam), &all, red);
      return 1;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// On the screen over a red parent: a transparent button shows the red around its caption, also
// when it is repainted alone; an opaque one takes the colour its parent answers for buttons.
TEST(ButtonExOnScreen, TransparentShowsTheParentAndOpaqueTakesItsColour) {
  WNDCLASSA parentClass{};
  parentClass.lpfnWndProc = RedParentProc;
  parentClass.hInstance = GetModuleHandleA(nullptr);
  parentClass.lpszClassName = "ButtonExRedParent";
  RegisterClassA(&parentClass);
  TTopLevelWindow window(RECT{720, 620, 880, 700});
  OnTop(window.Handle());
  const HWND parent = CreateWindowExA(0, "ButtonExRedParent", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 50,
                                      window.Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  TGdiObject<HFONT> font(CreateProgramFont());
  const auto onScreen = [](HWND button, int x, int y) {
    const HDC dc = GetDC(button);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(button, dc);
    return color;
  };
  const auto count = [&](HWND button, COLORREF color) {
    int n = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) n += onScreen(button, x, y) == color;
    return n;
  };
  for (const bool transparent : {true, false}) {
    SCOPED_TRACE(transparent ? "transparent" : "opaque");
    answerRed = !transparent;
    TButtonEx button(parent, "▼", 10, 10, kW, kH, 0, transparent);
    button.SetButtonStyle(TButtonStyle::UltraFlat);
    SendMessageA(button.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    UpdateWindow(window.Handle());
    PumpThroughDialogKeys(window.Handle());
    if (transparent) {
      const int red = count(button.Handle(), RGB(255, 0, 0)), ink = count(button.Handle(), kBlack);
      EXPECT_GT(ink, 5);
      EXPECT_EQ(red + ink, kW * kH);
      SetWindowTextA(button.Handle(), "");  // repainted alone: the old caption goes with it
      UpdateWindow(button.Handle());
      EXPECT_EQ(count(button.Handle(), RGB(255, 0, 0)), kW * kH);
    } else {
      EXPECT_EQ(onScreen(button.Handle(), 12, 2), RGB(255, 0, 0));
      EXPECT_EQ(onScreen(button.Handle(), 0, 8), kBlack);
    }
  }
  answerRed = false;
  DestroyWindow(parent);
}

}  // namespace
