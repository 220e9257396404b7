// The flat button driven by its messages and set among real windows: its properties, its clicks,
// its place in the program's form, the focus moving around it, a failing paint and its parent's
// colours on the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app/form1_win32.h"
#include "app/program_font_win32.h"
#include "editor/panel_win32.h"
#include "tests/support/canvas_win32.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/message_box_watcher_win32.h"
#include "tests/support/windows_win32.h"
#include "tests/widgets/button_ex_fixture_win32.h"
#include "widgets/button_ex_win32.h"
#include "win32/gdi.h"
#include "win32/reflect.h"

namespace {

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

// A button the system cannot make says so; one whose parent goes first lets its handle go then,
// so its own end destroys nothing the system may have handed to another window since.
TEST_F(ButtonExTest, FailsLoudlyAndLetsGoOfAWindowItsParentTookAlong) {
  EXPECT_THROW(TButtonEx(reinterpret_cast<HWND>(0x1234), "▼", 0, 0, kW, kH), std::runtime_error);

  TPanel panel(host_, 0, 0, 100, 50, pbNone);
  TButtonEx button(panel.Handle(), "▼", 10, 10, kW, kH, 0);
  const HWND made = button.Handle();
  ASSERT_EQ(TButtonEx::FromHandle(made), &button);
  DestroyWindow(panel.Handle());
  EXPECT_FALSE(IsWindow(made));
  EXPECT_EQ(button.Handle(), nullptr);
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
  SetErrorBoxWords({"Tandelo(仮)", ".", {}, {}});
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
