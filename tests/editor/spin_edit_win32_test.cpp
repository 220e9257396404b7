// The numeric spin field driven by its messages inside a parent that records what it is told.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "win32/gdi.h"
#include "editor/spin_edit_win32.h"
#include "tests/support/canvas_win32.h"
#include "tests/support/windows_win32.h"

namespace {

constexpr int kSpinId = 7;

struct TNotice {
  int Code;
  int Id;
  HWND Sender;
  std::string Text;  // the sender's text when the parent was told
  DWORD Time;
};

// Stands in for the main window: records every WM_COMMAND and may act on it.
class TRecorder : public TWindow {
 public:
  TRecorder() {
    Create("TandeloSpinEditTestParent", WS_EX_CONTROLPARENT, "", WS_CAPTION, 0, 0, 240, 100, nullptr);
  }
  ~TRecorder() override {
    if (Handle()) DestroyWindow(Handle());
  }

  std::vector<TNotice> Notices;
  std::function<void(const TNotice&)> OnCommand;

  std::vector<TNotice> Of(int code) const {
    std::vector<TNotice> notices;
    for (const TNotice& notice : Notices) {
      if (notice.Code == code) notices.push_back(notice);
    }
    return notices;
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_COMMAND) return TWindow::HandleMessage(message, wParam, lParam);
    const auto sender = reinterpret_cast<HWND>(lParam);
    Notices.push_back({HIWORD(wParam), LOWORD(wParam), sender, sender ? WindowText(sender) : "", GetTickCount()});
    if (OnCommand) OnCommand(Notices.back());
    return 0;
  }
};

class SpinEditTest : public testing::Test {
 protected:
  void SetUp() override {
    ShowWindow(parent_.Handle(), SW_SHOWNOACTIVATE);
    SetWindowLongPtrA(spin_.Handle(), GWLP_ID, kSpinId);
    spin_.Beep = [this] { ++beeps_; };
  }

  HWND Spin() const { return spin_.Handle(); }
  std::string Text() const { return WindowText(Spin()); }
  void SetText(const std::string& text) { SetWindowTextA(Spin(), text.c_str()); }
  int Changes() const { return static_cast<int>(parent_.Of(EN_CHANGE).size()); }
  void Key(UINT key) { SendMessageA(spin_.Edit(), WM_KEYDOWN, key, 1); }
  void Arrow(UINT message, int direction) {
    RECT client;
    GetClientRect(Spin(), &client);
    SendMessageA(Spin(), message, MK_LBUTTON, MAKELPARAM(client.right - 5, direction > 0 ? 3 : client.bottom - 3));
  }
  void Click(int direction) {
    Arrow(WM_LBUTTONDOWN, direction);
    Arrow(WM_LBUTTONUP, direction);
  }
  TRecorder parent_;
  // Before the field in the tab order.
  HWND other_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 50, 20, parent_.Handle(),
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  TSpinEdit spin_{parent_.Handle(), 60, 10, 57, 21};
  int beeps_ = 0;
};

struct TReadCase {
  const char* Text;
  int Value;
};

void PrintTo(const TReadCase& c, std::ostream* os) { *os << '"' << c.Text << '"'; }

class SpinEditReading : public SpinEditTest, public testing::WithParamInterface<TReadCase> {};

TEST_P(SpinEditReading, ReadsTheTextSetThroughTheField) {
  SetText(GetParam().Text);
  EXPECT_EQ(WindowText(spin_.Edit()), GetParam().Text);
  EXPECT_EQ(GetWindowTextLengthA(Spin()), static_cast<int>(std::strlen(GetParam().Text)));
  EXPECT_EQ(spin_.Value(), GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(Texts, SpinEditReading,
                         testing::Values(TReadCase{"", 0}, TReadCase{"+", 0}, TReadCase{"-", 0}, TReadCase{"1.5", 0},
                                         TReadCase{"-5", -5}, TReadCase{"007", 7}, TReadCase{"abc", 0}));

TEST_F(SpinEditTest, StartsAtZeroAndPastesUnfilteredUpToThreeCharacters) {
  EXPECT_EQ(Text(), "0");
  // The clipboard is shared with the other tests on the display: try again if one overwrote it.
  for (int attempt = 0; attempt < 3 && Text() != "abc"; ++attempt) {
    ASSERT_TRUE(OpenClipboard(parent_.Handle()));
    EmptyClipboard();
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 5);
    std::memcpy(GlobalLock(memory), "abcd", 5);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    SendMessageA(spin_.Edit(), EM_SETSEL, 0, -1);
    SendMessageA(spin_.Edit(), WM_PASTE, 0, 0);
  }
  EXPECT_EQ(Text(), "abc");
  EXPECT_EQ(beeps_, 0);
}

TEST_F(SpinEditTest, TellsTheParentAsTheFieldAfterEveryChangeOfTheText) {
  SetText("12");
  SetText("12");  // the same text again is no change
  SendMessageA(spin_.Edit(), EM_SETSEL, 2, 2);
  SendMessageA(spin_.Edit(), WM_CHAR, '3', 0);
  const std::vector<TNotice> changes = parent_.Of(EN_CHANGE);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].Text, "12");
  EXPECT_EQ(changes[1].Text, "123");
  for (const TNotice& notice : parent_.Notices) {
    EXPECT_EQ(notice.Id, kSpinId);
    EXPECT_EQ(notice.Sender, Spin());
  }
}

struct TSetCase {
  const char* Before;
  int Value;
  const char* After;
};

void PrintTo(const TSetCase& c, std::ostream* os) { *os << '"' << c.Before << "\" set to " << c.Value; }

class SpinEditSetting : public SpinEditTest, public testing::WithParamInterface<TSetCase> {};

TEST_P(SpinEditSetting, ClampsAndWritesOnlyADifferentText) {
  SetText(GetParam().Before);
  parent_.Notices.clear();
  spin_.SetValue(GetParam().Value);
  EXPECT_EQ(Text(), GetParam().After);
  EXPECT_EQ(Changes(), std::string(GetParam().Before) != GetParam().After ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Values, SpinEditSetting,
                         testing::Values(TSetCase{"0", 42, "42"}, TSetCase{"0", -3, "0"}, TSetCase{"5", -3, "0"},
                                         TSetCase{"0", 1000, "999"}, TSetCase{"999", 5000, "999"},
                                         TSetCase{"007", 7, "7"}, TSetCase{"", 0, "0"}));

struct TLeaveCase {
  const char* Text;
  const char* After;
};

void PrintTo(const TLeaveCase& c, std::ostream* os) { *os << '"' << c.Text << '"'; }

class SpinEditLeaving : public SpinEditTest, public testing::WithParamInterface<TLeaveCase> {};

TEST_P(SpinEditLeaving, TellsTheParentThenClampsWhatIsOutOfRange) {
  SetText(GetParam().Text);
  SetFocus(spin_.Edit());
  ASSERT_EQ(GetFocus(), spin_.Edit());
  parent_.Notices.clear();
  SetFocus(other_);
  const std::vector<TNotice> kills = parent_.Of(EN_KILLFOCUS);
  ASSERT_EQ(kills.size(), 1u);
  EXPECT_EQ(kills[0].Text, GetParam().Text) << "the parent is told before the clamp";
  EXPECT_EQ(Text(), GetParam().After);
  EXPECT_EQ(Changes(), Text() != GetParam().Text ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Texts, SpinEditLeaving,
                         testing::Values(TLeaveCase{"-5", "0"}, TLeaveCase{"1.5", "1.5"}, TLeaveCase{"", ""},
                                         TLeaveCase{"-", "-"}, TLeaveCase{"12", "12"}));

struct TStepCase {
  const char* Before;
  int Direction;
  const char* After;
};

void PrintTo(const TStepCase& c, std::ostream* os) {
  *os << '"' << c.Before << "\" " << (c.Direction > 0 ? "up" : "down");
}

class SpinEditStepping : public SpinEditTest, public testing::WithParamInterface<TStepCase> {};

TEST_P(SpinEditStepping, StepsFromTheValueReadByKeyAndByArrow) {
  const TStepCase& c = GetParam();
  for (const bool byKey : {true, false}) {
    SetText(c.Before);
    parent_.Notices.clear();
    if (byKey) {
      Key(c.Direction > 0 ? VK_UP : VK_DOWN);
    } else {
      Click(c.Direction);
    }
    EXPECT_EQ(Text(), c.After) << (byKey ? "key" : "arrow");
    EXPECT_EQ(Changes(), std::string(c.Before) != c.After ? 1 : 0) << (byKey ? "key" : "arrow");
  }
}

INSTANTIATE_TEST_SUITE_P(Values, SpinEditStepping,
                         testing::Values(TStepCase{"5", 1, "6"}, TStepCase{"5", -1, "4"}, TStepCase{"999", 1, "999"},
                                         TStepCase{"0", -1, "0"}, TStepCase{"abc", 1, "1"}, TStepCase{"", -1, "0"},
                                         TStepCase{"-5", 1, "0"}, TStepCase{"1.5", -1, "0"}));

char Separator() {
  char separator[8] = {};
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator);
  return separator[0];
}

struct TTypeCase {
  const char* Name;
  std::string Keys;  // typed over the whole text "0"
  std::string After;
  int Beeps;
};

void PrintTo(const TTypeCase& c, std::ostream* os) { *os << c.Name; }

class SpinEditTyping : public SpinEditTest, public testing::WithParamInterface<TTypeCase> {};

TEST_P(SpinEditTyping, TakesNumberCharactersAndRefusesTheRestWithABeep) {
  SendMessageA(spin_.Edit(), EM_SETSEL, 0, -1);
  for (char c : GetParam().Keys) SendMessageA(spin_.Edit(), WM_CHAR, static_cast<unsigned char>(c), 1);
  EXPECT_EQ(Text(), GetParam().After);
  EXPECT_EQ(beeps_, GetParam().Beeps);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SpinEditTyping,
    testing::Values(TTypeCase{"DigitsAndSign", "-12", "-12", 0}, TTypeCase{"Plus", "+1", "+1", 0},
                    TTypeCase{"Separator", std::string{'1', Separator(), '5'}, std::string{'1', Separator(), '5'}, 0},
                    TTypeCase{"Backspace", "12\b", "1", 0}, TTypeCase{"FourthDigit", "1234", "123", 0},
                    TTypeCase{"Enter", "\r", "0", 1}, TTypeCase{"Letter", "a", "0", 1},
                    TTypeCase{"LetterBetweenDigits", "1a2", "12", 1}, TTypeCase{"Space", " ", "0", 1},
                    TTypeCase{"DoubleByteCharacter", "１", "0", 1}),
    [](const testing::TestParamInfo<TTypeCase>& info) { return std::string(info.param.Name); });

TEST_F(SpinEditTest, EnterUnderTheDialogKeysBeepsOncePressingNothing) {
  SetFocus(spin_.Edit());
  parent_.Notices.clear();
  MSG enter{spin_.Edit(), WM_KEYDOWN, VK_RETURN, MAKELPARAM(1, MapVirtualKeyA(VK_RETURN, MAPVK_VK_TO_VSC)), 0, {}};
  EXPECT_TRUE(IsDialogMessageA(parent_.Handle(), &enter));
  // The character that the key made, through the dialog keys as in the program's loop.
  PumpThroughDialogKeys(parent_.Handle());
  EXPECT_EQ(beeps_, 1);
  EXPECT_TRUE(parent_.Notices.empty()) << "no IDOK, no change";
  EXPECT_EQ(Text(), "0");
}

TEST_F(SpinEditTest, TabSelectsTheWholeTextAndAClickDoesNot) {
  SetText("123");
  SetFocus(other_);
  ASSERT_EQ(GetFocus(), other_);
  MSG tab{other_, WM_KEYDOWN, VK_TAB, MAKELPARAM(1, MapVirtualKeyA(VK_TAB, MAPVK_VK_TO_VSC)), 0, {}};
  EXPECT_TRUE(IsDialogMessageA(parent_.Handle(), &tab));
  EXPECT_EQ(GetFocus(), spin_.Edit());
  DWORD from = 0, to = 0;
  SendMessageA(Spin(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 3u);

  SetFocus(other_);
  SendMessageA(spin_.Edit(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 8));
  SendMessageA(spin_.Edit(), WM_LBUTTONUP, 0, MAKELPARAM(30, 8));
  EXPECT_EQ(GetFocus(), spin_.Edit());
  SendMessageA(Spin(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, to);
}

TEST_F(SpinEditTest, PressingAnArrowMovesTheFocusIntoTheEdit) {
  SetFocus(other_);
  ASSERT_EQ(GetFocus(), other_);
  Click(1);
  EXPECT_EQ(GetFocus(), spin_.Edit());
}

TEST_F(SpinEditTest, AHeldArrowRepeatsAfterADelayThenFaster) {
  const DWORD pressed = GetTickCount();
  Arrow(WM_LBUTTONDOWN, 1);
  EXPECT_EQ(Text(), "1") << "one step at once";
  PumpFor(650);
  Arrow(WM_LBUTTONUP, 1);
  const std::vector<TNotice> held = parent_.Of(EN_CHANGE);
  PumpFor(150);
  EXPECT_EQ(Changes(), static_cast<int>(held.size())) << "no step after the release";

  // At 0, 400, 500 and 600 ms: four steps, allowing for a late timer.
  ASSERT_GE(held.size(), 3u);
  EXPECT_LE(held.size(), 5u);
  EXPECT_GE(held[1].Time - pressed, 380u) << "the first repeat waits";
  for (std::size_t i = 2; i < held.size(); ++i) {
    EXPECT_GE(held[i].Time - held[i - 1].Time, 80u);
    EXPECT_LT(held[i].Time - held[i - 1].Time, 300u) << "later repeats come faster";
  }
}

TEST_F(SpinEditTest, DisablingTheFieldDisablesTheEditAndTheArrows) {
  EnableWindow(Spin(), FALSE);
  EXPECT_FALSE(IsWindowEnabled(spin_.Edit()));
  Click(1);
  EXPECT_EQ(Text(), "0");
  EnableWindow(Spin(), TRUE);
  EXPECT_TRUE(IsWindowEnabled(spin_.Edit()));
}

// How many pixels of each row of the upper (1) or lower (-1) arrow have the colour of button
// text; rows without any are left out.
std::vector<int> ArrowRows(const TSpinEdit& spin, int direction) {
  RECT client;
  GetClientRect(spin.Handle(), &client);
  const TCanvas canvas(client.right, client.bottom, RGB(255, 255, 255));
  spin.PaintArrows(canvas.Dc());
  const RECT all = canvas.Rect();
  const int top = direction > 0 ? 0 : all.bottom / 2, bottom = direction > 0 ? all.bottom / 2 : all.bottom;
  std::vector<int> rows;
  for (int y = top; y < bottom; ++y) {
    int dark = 0;
    for (int x = all.right - 17; x < all.right; ++x) dark += GetPixel(canvas.Dc(), x, y) == GetSysColor(COLOR_BTNTEXT);
    if (dark) rows.push_back(dark);
  }
  return rows;
}

TEST_F(SpinEditTest, DrawsAnUpAndADownTriangle) {
  const std::vector<int> up = ArrowRows(spin_, 1), down = ArrowRows(spin_, -1);
  ASSERT_GE(up.size(), 2u);
  ASSERT_GE(down.size(), 2u);
  EXPECT_LT(up.front(), up.back()) << "the upper one points up";
  EXPECT_GT(down.front(), down.back()) << "the lower one points down";
  EnableWindow(Spin(), FALSE);
  EXPECT_TRUE(ArrowRows(spin_, 1).empty() && ArrowRows(spin_, -1).empty()) << "greyed when disabled";
}

}  // namespace
