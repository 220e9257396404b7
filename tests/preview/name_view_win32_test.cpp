#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "naming/text_lines.h"
#include "preview/preview_window_win32.h"
#include "tests/support/canvas_win32.h"
#include "tests/support/preview_showing_win32.h"
#include "tests/support/windows_win32.h"
#include "win32/window.h"

namespace {

// Presses a key in the view with Shift and Ctrl held or not, as far as the view can tell: the
// thread's key state says they are down while the key is sent.
void Press(HWND view, UINT key, bool shift = false, bool control = false) {
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE held[256];
  std::memcpy(held, keys, sizeof held);
  held[VK_SHIFT] = shift ? 0x80 : 0;
  held[VK_CONTROL] = control ? 0x80 : 0;
  SetKeyboardState(held);
  SendMessageA(view, WM_KEYDOWN, key, 1);
  SendMessageA(view, WM_KEYUP, key, 0xC0000001);
  SetKeyboardState(keys);
}

int LineHeightOf(HWND view) {
  const HDC dc = GetDC(view);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(view, WM_GETFONT, 0, 0)));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(view, dc);
  return metrics.tmHeight;
}

// A point inside display line `row` of the view, `x` pixels from its left.
LPARAM RowPoint(HWND view, int row, int x = 4) { return MAKELPARAM(x, row * LineHeightOf(view) + 2); }

struct TTextCase {
  const char* Name;
  std::vector<std::string> Names;
  std::string Text;
};

void PrintTo(const TTextCase& text, std::ostream* out) { *out << text.Name; }

class PreviewText : public testing::TestWithParam<TTextCase> {};

TEST_P(PreviewText, HoldsTheNamesOnePerLine) {
  TTopLevelWindow owner;
  ShowAndInspect(owner.Handle(), GetParam().Names,
                 [](HWND preview) { EXPECT_EQ(WindowText(Memo1Of(preview)), GetParam().Text); });
}

// The second bytes of 表, ソ and 能 are 0x5C, the path separator: names must pass as bytes.
INSTANTIATE_TEST_SUITE_P(
    Lists, PreviewText,
    testing::Values(TTextCase{"Numbers", {"copy1.txt", "copy2.txt", "copy3.txt"}, "copy1.txt\r\ncopy2.txt\r\ncopy3.txt"},
                    TTextCase{"OneName", {"a"}, "a"},
                    TTextCase{"Japanese", {"表示1.txt", "ソフト", "能力\\予定"}, "表示1.txt\r\nソフト\r\n能力\\予定"},
                    TTextCase{"EmptyNamesKept", {"", "x", ""}, "\r\nx\r\n"},
                    TTextCase{"NoNames", {}, ""}),
    [](const testing::TestParamInfo<TTextCase>& info) { return std::string(info.param.Name); });

TEST(PreviewWindow, HoldsAListBeyondTheEditsDefaultLimit) {
  const std::vector<std::string> names = NumberedNames(100000);
  std::string expected;
  for (const std::string& name : names) expected += name + "\r\n";
  expected.resize(expected.size() - 2);
  ASSERT_GT(expected.size(), 65536u);
  TTopLevelWindow owner;
  ShowAndInspect(owner.Handle(), names, [&](HWND preview) {
    const HWND memo = Memo1Of(preview);
    EXPECT_EQ(static_cast<std::size_t>(GetWindowTextLengthA(memo)), expected.size());
    EXPECT_TRUE(WindowText(memo) == expected) << "the list's text differs";
  });
}

struct TInputCase {
  const char* Name;
  std::function<void(HWND memo)> Send;
};

void PrintTo(const TInputCase& input, std::ostream* out) { *out << input.Name; }

class PreviewInput : public testing::TestWithParam<TInputCase> {};

// The user can select and copy but not change the list, wherever the caret stands.
TEST_P(PreviewInput, LeavesTheListUnchanged) {
  TTopLevelWindow owner;
  const std::vector<std::string> names = {"copy1.txt", "表示2.txt"};
  ShowAndInspect(owner.Handle(), names, [&](HWND preview) {
    const HWND memo = Memo1Of(preview);
    const std::string before = WindowText(memo);
    for (const int from : {0, 3}) {
      Press(memo, VK_HOME, false, true);
      for (int i = 0; i < from; ++i) Press(memo, VK_RIGHT);
      for (int i = 0; i < 14; ++i) Press(memo, VK_RIGHT, true);  // across the line end
      GetParam().Send(memo);
      EXPECT_EQ(WindowText(memo), before) << "selection from " << from;
    }
  });
}

// The clipboard is shared with every test running beside this one: wait a moment for it.
bool OpenSharedClipboard(HWND owner) {
  for (int i = 0; i < 100; ++i) {
    if (OpenClipboard(owner)) return true;
    Sleep(20);
  }
  return false;
}

void PutOnClipboard(HWND owner, const std::string& text) {
  ASSERT_TRUE(OpenSharedClipboard(owner));
  EmptyClipboard();
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  SetClipboardData(CF_TEXT, memory);
  CloseClipboard();
}

std::string ClipboardText(HWND owner) {
  std::string text;
  if (!OpenSharedClipboard(owner)) return "(clipboard busy)";
  if (const HANDLE data = GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PreviewInput,
    testing::Values(TInputCase{"TypedLetter", [](HWND memo) { SendMessageA(memo, WM_CHAR, 'x', 0); }},
                    TInputCase{"Backspace", [](HWND memo) { SendMessageA(memo, WM_CHAR, '\b', 0); }},
                    TInputCase{"Delete", [](HWND memo) { SendMessageA(memo, WM_KEYDOWN, VK_DELETE, 0); }},
                    TInputCase{"Enter", [](HWND memo) { SendMessageA(memo, WM_CHAR, '\r', 0); }},
                    TInputCase{"SetText", [](HWND memo) { SetWindowTextA(memo, "x"); }},
                    TInputCase{"Cut", [](HWND memo) { SendMessageA(memo, WM_CUT, 0, 0); }},
                    TInputCase{"Paste",
                               [](HWND memo) {
                                 PutOnClipboard(memo, "貼り付け");
                                 SendMessageA(memo, WM_PASTE, 0, 0);
                               }}),
    [](const testing::TestParamInfo<TInputCase>& info) { return std::string(info.param.Name); });

// Copies what the view has selected, again when another test running beside this one overwrote
// the shared clipboard at once, until it reads `expected` or three attempts are made.
std::string CopyFrom(HWND memo, HWND owner, const std::string& expected, bool byMessage = false) {
  std::string copied;
  int attempt = 0;
  do {
    if (byMessage) {
      SendMessageA(memo, WM_COPY, 0, 0);
    } else {
      Press(memo, 'C', false, true);
    }
    EXPECT_NE(GetOpenClipboardWindow(), memo) << "the view keeps the clipboard open";
    copied = ClipboardText(owner);
  } while (++attempt < 3 && copied != expected);
  return copied;
}

TEST(PreviewWindow, CopiesASelection) {
  TTopLevelWindow owner;
  const std::vector<std::string> names = {"copy1.txt", "表示2.txt", "ソ3"};
  ShowAndInspect(owner.Handle(), names, [&](HWND preview) {
    const HWND memo = Memo1Of(preview);
    Press(memo, 'A', false, true);
    EXPECT_EQ(CopyFrom(memo, owner.Handle(), JoinLines(names, TLineBreaks::Between)), JoinLines(names, TLineBreaks::Between)) << "Ctrl+A, Ctrl+C";
    // From after "copy" to after 表, over the line end: each name's selected part, CR LF between.
    Press(memo, VK_HOME, false, true);
    for (int i = 0; i < 4; ++i) Press(memo, VK_RIGHT);
    Press(memo, VK_DOWN, true);
    Press(memo, VK_HOME, true);
    Press(memo, VK_RIGHT, true);
    EXPECT_EQ(CopyFrom(memo, owner.Handle(), "1.txt\r\n表", true), "1.txt\r\n表") << "Shift keys, WM_COPY";
    Press(memo, VK_RIGHT);
    PutOnClipboard(owner.Handle(), "kept");
    Press(memo, 'C', false, true);
    EXPECT_NE(ClipboardText(owner.Handle()), "") << "nothing selected: the clipboard keeps its text";
  });
}

TEST(PreviewWindow, SelectsAWordWithADoubleClickDragsByWordsAndExtendsWithShiftClick) {
  TTopLevelWindow owner;
  const std::vector<std::string> names = {"copy1.txt", "copy 2.txt", "copy3.txt"};
  ShowAndInspect(owner.Handle(), names, [&](HWND preview) {
    const HWND memo = Memo1Of(preview);
    SendMessageA(memo, WM_LBUTTONDBLCLK, MK_LBUTTON, RowPoint(memo, 1, 8));
    EXPECT_EQ(CopyFrom(memo, owner.Handle(), "copy "), "copy ") << "the word with its space";
    SendMessageA(memo, WM_MOUSEMOVE, MK_LBUTTON, RowPoint(memo, 1, 1000));
    EXPECT_EQ(CopyFrom(memo, owner.Handle(), "copy 2.txt"), "copy 2.txt") << "dragged right by a word";
    SendMessageA(memo, WM_MOUSEMOVE, MK_LBUTTON, RowPoint(memo, 0, 8));
    SendMessageA(memo, WM_LBUTTONUP, 0, RowPoint(memo, 0, 8));
    EXPECT_EQ(CopyFrom(memo, owner.Handle(), "copy1.txt\r\ncopy "), "copy1.txt\r\ncopy ") << "left, keeping the word";
    SendMessageA(memo, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(memo, 0, 0));
    SendMessageA(memo, WM_LBUTTONUP, 0, RowPoint(memo, 0, 0));
    SendMessageA(memo, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, RowPoint(memo, 2, 1000));
    SendMessageA(memo, WM_LBUTTONUP, MK_SHIFT, RowPoint(memo, 2, 1000));
    EXPECT_EQ(CopyFrom(memo, owner.Handle(), JoinLines(names, TLineBreaks::Between)), JoinLines(names, TLineBreaks::Between));
  });
}

// The context menu's items as it showed them ("" for a separator, "~" before a greyed item), read
// from inside the menu's own loop, which is then given the access key `gMenuKey`.
char gMenuKey;
std::vector<std::string> gMenuItems;

void CALLBACK AnswerMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND window = FindThreadWindow("#32768");
  if (!window || !IsWindowVisible(window)) return;
  KillTimer(nullptr, timer);
  const HMENU menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[64] = "";
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    const bool greyed = *text && (GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED);
    gMenuItems.push_back((greyed ? "~" : "") + std::string(text));
  }
  PostMessageA(window, WM_CHAR, static_cast<WPARAM>(gMenuKey), 0);
}

// Opens the view's context menu from the keyboard and types `key` into it.
std::vector<std::string> AnswerContextMenu(HWND view, char key) {
  gMenuKey = key;
  gMenuItems.clear();
  SetTimer(nullptr, 0, 20, AnswerMenu);
  SendMessageA(view, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view), -1);
  return gMenuItems;
}

TEST(PreviewWindow, TheContextMenuIsTheEditsAndAnswersItsAccessKeys) {
  TTopLevelWindow owner;
  const std::vector<std::string> names = {"copy1.txt", "copy2.txt"};
  ShowAndInspect(owner.Handle(), names, [&](HWND preview) {
    const HWND memo = Memo1Of(preview);
    EXPECT_EQ(AnswerContextMenu(memo, 'a'),
              (std::vector<std::string>{"~元に戻す(&U)", "", "~切り取り(&T)", "~コピー(&C)", "~貼り付け(&P)",
                                        "~削除(&D)", "", "すべて選択(&A)"}))
        << "nothing selected";
    const std::string all = JoinLines(names, TLineBreaks::Between);
    EXPECT_EQ(CopyFrom(memo, owner.Handle(), all), all) << "A selected everything";
    std::vector<std::string> items;
    std::string copied;
    for (int attempt = 0; attempt < 3 && copied != all; ++attempt) {  // the clipboard is shared
      PutOnClipboard(owner.Handle(), "kept");
      items = AnswerContextMenu(memo, 'c');
      copied = ClipboardText(owner.Handle());
    }
    EXPECT_EQ(copied, all) << "C copied";
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items[3], "コピー(&C)");
    EXPECT_EQ(items[7], "~すべて選択(&A)") << "everything selected";
  });
}

// The view as it paints itself, drawn into a memory bitmap: one 0x00RRGGBB pixel per entry, row
// by row from the top.
struct TPicture {
  int Width = 0, Height = 0;
  std::vector<std::uint32_t> Pixels;

  // How many pixels of rows [top, bottom) have the colour, or (`other`) any other colour.
  int Count(int top, int bottom, COLORREF colour, bool other = false) const {
    const std::uint32_t rgb = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    int count = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, Height); ++y) {
      for (int x = 0; x < Width; ++x) count += ((Pixels[y * Width + x] & 0xFFFFFF) == rgb) != other;
    }
    return count;
  }
};

TPicture PictureOf(HWND view) {
  RECT client;
  GetClientRect(view, &client);
  TPicture picture;
  picture.Width = client.right;
  picture.Height = client.bottom;
  // Black where the view leaves anything unpainted.
  const TCanvas canvas(picture.Width, picture.Height, RGB(0, 0, 0));
  SendMessageA(view, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  const std::uint32_t* pixels = canvas.Bits();
  picture.Pixels.assign(pixels, pixels + picture.Width * picture.Height);
  return picture;
}

TEST(PreviewWindow, PaintsEachNameOnItsRowAndTheSelectionHighlighted) {
  TTopLevelWindow owner;
  ShowAndInspect(owner.Handle(), {"copy1.txt", "copy2.txt", "copy3.txt"}, [&](HWND preview) {
    const HWND memo = Memo1Of(preview);
    SendMessageA(memo, WM_LBUTTONDBLCLK, MK_LBUTTON, RowPoint(memo, 1));
    SendMessageA(memo, WM_LBUTTONUP, 0, RowPoint(memo, 1));
    ASSERT_EQ(GetFocus(), memo) << "a click gives the view the focus, and the selection shows";
    const TPicture picture = PictureOf(memo);
    const int line = LineHeightOf(memo);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), window = GetSysColor(COLOR_WINDOW);
    for (const int row : {0, 2}) {
      EXPECT_GT(picture.Count(row * line, (row + 1) * line, window, true), 0) << "text on row " << row;
      EXPECT_EQ(picture.Count(row * line, (row + 1) * line, highlight), 0) << "row " << row;
    }
    EXPECT_GT(picture.Count(line, 2 * line, highlight), 0) << "the selected name";
    EXPECT_EQ(picture.Count(3 * line, picture.Height, window, true), 0) << "nothing below the list";
  });
}

TEST(PreviewWindow, AnEmptyListShowsAnEmptyView) {
  TTopLevelWindow owner;
  ShowAndInspect(owner.Handle(), {}, [&](HWND preview) {
    const HWND memo = Memo1Of(preview);
    for (const UINT key : {UINT{VK_END}, UINT{VK_DOWN}, UINT{VK_NEXT}, UINT{'A'}}) Press(memo, key, true, true);
    Press(memo, 'A', false, true);
    const TPicture picture = PictureOf(memo);
    EXPECT_EQ(picture.Count(0, picture.Height, GetSysColor(COLOR_WINDOW), true), 0);
    EXPECT_EQ(WindowText(memo), "");
  });
}

// The view reads a long list where it is browsed: the end, one wheel notch from the top.
TEST(PreviewWindow, BrowsesALongListByKeysAndWheel) {
  const std::vector<std::string> names = NumberedNames(1000000);
  TTopLevelWindow owner;
  ShowAndInspect(owner.Handle(), names, [&](HWND preview) {
    const HWND memo = Memo1Of(preview);
    Press(memo, VK_END, false, true);
    Press(memo, VK_UP, true);
    Press(memo, VK_HOME, true);
    EXPECT_EQ(CopyFrom(memo, owner.Handle(), "copy999999.txt\r\ncopy1000000.txt"), "copy999999.txt\r\ncopy1000000.txt");

    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == WHEEL_PAGESCROLL || lines == 0) GTEST_SKIP() << "the wheel scrolls by pages here";
    Press(memo, VK_HOME, false, true);
    SendMessageA(memo, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    SendMessageA(memo, WM_LBUTTONDBLCLK, MK_LBUTTON, RowPoint(memo, 0));
    SendMessageA(memo, WM_LBUTTONUP, 0, RowPoint(memo, 0));
    EXPECT_EQ(CopyFrom(memo, owner.Handle(), names[lines]), names[lines]) << "one notch: " << lines << " lines";
  });
}

std::string Repeated(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

struct TWrapCase {
  const char* Name;
  std::string WideName;
  bool AtASpace;  // the first display line ends after a space
};

void PrintTo(const TWrapCase& wrap, std::ostream* out) { *out << wrap.Name; }

class PreviewWrap : public testing::TestWithParam<TWrapCase> {};

// A name wider than the window goes on over further display lines and stays one name.
TEST_P(PreviewWrap, WrapsAWideNameWithoutChangingIt) {
  const std::vector<std::string> names = {"copy1.txt", GetParam().WideName, "copy3.txt"};
  TTopLevelWindow owner;
  ShowAndInspect(owner.Handle(), names, [&](HWND preview) {
    const HWND memo = Memo1Of(preview);
    EXPECT_EQ(WindowText(memo), names[0] + "\r\n" + names[1] + "\r\n" + names[2]);
    // Two lines down from the top is still the wide name, at the start of its second line.
    Press(memo, VK_HOME, false, true);
    Press(memo, VK_DOWN);
    Press(memo, VK_DOWN);
    Press(memo, VK_HOME, true, true);
    const std::string firstLines = CopyFrom(memo, owner.Handle(), "");
    ASSERT_EQ(firstLines.compare(0, 11, "copy1.txt\r\n"), 0) << firstLines;
    const std::string firstLine = firstLines.substr(11);
    EXPECT_GT(firstLine.size(), 10u);
    EXPECT_LT(firstLine.size(), names[1].size());
    EXPECT_EQ(names[1].compare(0, firstLine.size(), firstLine), 0) << firstLine;
    EXPECT_EQ(!firstLine.empty() && firstLine.back() == ' ', GetParam().AtASpace) << firstLine;
    Press(memo, 'A', false, true);
    EXPECT_EQ(CopyFrom(memo, owner.Handle(), JoinLines(names, TLineBreaks::Between)), JoinLines(names, TLineBreaks::Between));
  });
}

INSTANTIATE_TEST_SUITE_P(Names, PreviewWrap,
                         testing::Values(TWrapCase{"OneLongWord", Repeated("abcdefghij", 20), false},
                                         TWrapCase{"Japanese", Repeated("表示ソフト能力", 15), false},
                                         TWrapCase{"Words", Repeated("copy file ", 20), true}),
                         [](const testing::TestParamInfo<TWrapCase>& info) { return std::string(info.param.Name); });


}  // namespace
