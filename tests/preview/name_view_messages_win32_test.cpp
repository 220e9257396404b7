#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "naming/mbcs.h"
#include "tests/support/preview_showing_win32.h"
#include "win32/window.h"

namespace {

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageA(window, message, wParam, lParam);
}

RECT FormatRect(HWND window) {
  RECT rect{};
  Send(window, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

// A real read-only edit holding the view's text in the view's font, sized so that its formatting
// rectangle is as wide and as high as the view's: the same lines on the same rows. It counts
// places in bytes of the ANSI text (Windows) or in characters (Wine); Bytes and Place convert.
struct TTwinEdit {
  explicit TTwinEdit(HWND view) : View(view), Text(WindowText(view)) {
    RECT at;
    GetWindowRect(view, &at);
    Edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | ES_MULTILINE | ES_READONLY, 0, 0, at.right - at.left,
                           at.bottom - at.top, GetParent(view), nullptr, nullptr, nullptr);
    Send(Edit, WM_SETFONT, Send(view, WM_GETFONT));
    const RECT want = FormatRect(view), have = FormatRect(Edit);
    SetWindowPos(Edit, nullptr, 0, 0, at.right - at.left + (want.right - want.left) - (have.right - have.left),
                 at.bottom - at.top + (want.bottom - want.top) - (have.bottom - have.top), SWP_NOMOVE | SWP_NOZORDER);
    SetWindowTextA(Edit, Text.c_str());
    for (std::size_t at = 0; at < Text.size(); at += CharLength(Text, at)) Starts.push_back(at);
    Starts.push_back(Text.size());
    Send(Edit, EM_SETSEL, 0, -1);
    CountsCharacters = HIWORD(Send(Edit, EM_GETSEL)) != Text.size();
  }
  ~TTwinEdit() { DestroyWindow(Edit); }

  std::size_t Bytes(LRESULT place) const { return CountsCharacters && place >= 0 ? Starts.at(place) : place; }
  WPARAM Place(std::size_t bytes) const {
    return CountsCharacters ? std::lower_bound(Starts.begin(), Starts.end(), bytes) - Starts.begin() : bytes;
  }
  // The same message to both: places of the view's text, or counts.
  void Select(std::size_t from, std::size_t to) const {
    Send(View, EM_SETSEL, from, to);
    Send(Edit, EM_SETSEL, Place(from), Place(to));
  }
  void Both(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    Send(View, message, wParam, lParam);
    Send(Edit, message, wParam, lParam);
  }

  HWND View, Edit;
  std::string Text;
  std::vector<std::size_t> Starts;  // of the characters, and the end
  bool CountsCharacters = false;
};

// Where EM_POSFROMCHAR puts a place, from the formatting rectangle's corner; -1 for none.
std::pair<int, int> PosFromChar(HWND window, WPARAM place) {
  const LRESULT pos = Send(window, EM_POSFROMCHAR, place);
  if (pos == -1) return {-1, -1};
  const RECT rect = FormatRect(window);
  return {static_cast<short>(LOWORD(pos)) - rect.left, static_cast<short>(HIWORD(pos)) - rect.top};
}

// Every answer about the lines, the places on screen and the selection, from the view and the edit.
void ExpectSameAnswers(HWND view, const TTwinEdit& edit, const char* when) {
  SCOPED_TRACE(when);
  const HWND twin = edit.Edit;
  const int lines = static_cast<int>(Send(view, EM_GETLINECOUNT));
  ASSERT_EQ(lines, Send(twin, EM_GETLINECOUNT));
  EXPECT_EQ(Send(view, EM_GETFIRSTVISIBLELINE), Send(twin, EM_GETFIRSTVISIBLELINE));
  EXPECT_EQ(Send(view, EM_LINEFROMCHAR, -1), Send(twin, EM_LINEFROMCHAR, -1));
  EXPECT_EQ(Send(view, EM_LINEINDEX, -1), static_cast<LRESULT>(edit.Bytes(Send(twin, EM_LINEINDEX, -1))));
  DWORD ends[4] = {};
  Send(view, EM_GETSEL, reinterpret_cast<WPARAM>(&ends[0]), reinterpret_cast<LPARAM>(&ends[1]));
  Send(twin, EM_GETSEL, reinterpret_cast<WPARAM>(&ends[2]), reinterpret_cast<LPARAM>(&ends[3]));
  EXPECT_EQ(ends[0], edit.Bytes(ends[2]));
  EXPECT_EQ(ends[1], edit.Bytes(ends[3]));
  const auto text = [](HWND window, int line) {
    char buffer[256];
    *reinterpret_cast<WORD*>(buffer) = sizeof buffer;
    return std::string(buffer, Send(window, EM_GETLINE, line, reinterpret_cast<LPARAM>(buffer)));
  };
  for (int line = 0; line <= lines; ++line) {
    const LRESULT index = Send(view, EM_LINEINDEX, line), twinIndex = Send(twin, EM_LINEINDEX, line);
    EXPECT_EQ(index, line < lines ? static_cast<LRESULT>(edit.Bytes(twinIndex)) : -1) << "line " << line;
    if (line == lines) break;
    const LRESULT twinLineEnd = twinIndex + Send(twin, EM_LINELENGTH, twinIndex);
    EXPECT_EQ(Send(view, EM_LINELENGTH, index), static_cast<LRESULT>(edit.Bytes(twinLineEnd)) - index) << line;
    EXPECT_EQ(text(view, line), text(twin, line));
  }
  for (const std::size_t at : edit.Starts) {
    if (at > 0 && edit.Text[at - 1] == '\r') continue;  // inside a line break: the view has no such place
    EXPECT_EQ(Send(view, EM_LINEFROMCHAR, at), Send(twin, EM_LINEFROMCHAR, edit.Place(at))) << "at " << at;
    const auto pos = PosFromChar(view, at);
    EXPECT_EQ(pos, PosFromChar(twin, edit.Place(at))) << "at " << at;
    if (pos.second < 0 || pos.second >= FormatRect(view).bottom) continue;
    // Just right of the character's left edge: the place before it, on its line.
    const auto point = [&](HWND window) {
      return MAKELPARAM(FormatRect(window).left + pos.first + 1, FormatRect(window).top + pos.second + 1);
    };
    const LRESULT place = Send(view, EM_CHARFROMPOS, 0, point(view)), twinPlace = Send(twin, EM_CHARFROMPOS, 0, point(twin));
    EXPECT_EQ(place, static_cast<LRESULT>(MAKELONG(edit.Bytes(LOWORD(twinPlace)), HIWORD(twinPlace)))) << "at " << at;
  }
}

// Shows `names` in a preview `width` pixels wide (0: as it opens) and compares its answers with a
// real edit's: at the top, selected to the end and scrolled there, selected back and scrolled.
void CompareWithAnEdit(const std::vector<std::string>& names, int width) {
  TTopLevelWindow owner;
  ShowAndInspect(owner.Handle(), names, [&](HWND preview) {
    const HWND view = Memo1Of(preview);
    RECT frame;
    GetWindowRect(preview, &frame);
    if (width) SetWindowPos(preview, nullptr, 0, 0, width, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
    const TTwinEdit edit(view);
    EXPECT_EQ(Send(view, EM_GETLINECOUNT) > static_cast<LRESULT>(names.size()), width != 0) << "wrapped";
    EXPECT_EQ(Send(view, WM_GETTEXTLENGTH), Send(edit.Edit, WM_GETTEXTLENGTH));
    const std::vector<std::size_t>& starts = edit.Starts;
    const std::size_t end = starts.back(), middle = starts[starts.size() / 2];
    edit.Select(starts[2], starts[5]);
    ExpectSameAnswers(view, edit, "at the top");
    // Wine's edit scrolls to the caret at once, Windows' when asked: both are asked.
    edit.Select(middle, end);
    edit.Both(EM_SCROLLCARET);
    ExpectSameAnswers(view, edit, "selected to the end");
    edit.Select(end, middle);
    edit.Both(EM_SCROLLCARET);
    edit.Both(EM_LINESCROLL, 0, 2);
    ExpectSameAnswers(view, edit, "selected back, then two lines down");
  });
}

TEST(NameViewMessages, AnswerAsAReadOnlyEditHoldingTheSameText) { CompareWithAnEdit({"1.txt", "2.txt", "3.txt"}, 0); }

// Names of words that wrap onto two or three lines, Japanese and ASCII on the same lines. Wine's
// edit breaks a line a character early inside a run of double-byte characters and wants room for
// a word's trailing spaces: at this width every line breaks between words, where it and a
// Japanese system's edit both break.
TEST(NameViewMessages, AnswerAsAReadOnlyEditHoldingTheSameWrappedText) {
  const std::string words[] = {"表示ソフト", "copyfile.report", "能力", "abcdefghijkl", "予定名一覧", "0123456789", "複製元", "mnopqrstuvwxyz"};
  std::vector<std::string> names = {"0.txt"};
  for (int i = 1; i <= 30; ++i) {
    names.push_back(std::to_string(i));
    for (int word = i; word < i + 10 + i % 4; ++word) names.back() += " " + words[word % 8];
    names.back() += ".txt";
  }
  CompareWithAnEdit(names, 475);
}

// Where a read-only edit's meaning on Windows is not Wine's (the lines of a selection outside it
// counted in order, nothing past the end, no place outside the window, a line cut to the buffer,
// -1 where places past 16 bits share a result), at a million names; and it stays read-only.
TEST(NameViewMessages, AnswerAsOnWindowsAtAMillionNames) {
  const std::vector<std::string> names = NumberedNames(1000000);
  TTopLevelWindow owner;
  ShowAndInspect(owner.Handle(), names, [&](HWND preview) {
    const HWND view = Memo1Of(preview);
    const LRESULT length = Send(view, WM_GETTEXTLENGTH), last = Send(view, EM_LINEINDEX, 999999);
    EXPECT_EQ(Send(view, EM_LINELENGTH, length + 1), 0);
    char line[4];
    *reinterpret_cast<WORD*>(line) = 3;
    EXPECT_EQ(std::string(line, Send(view, EM_GETLINE, 1, reinterpret_cast<LPARAM>(line))), "cop");
    Send(view, EM_SETSEL, 15, 3);
    EXPECT_EQ(Send(view, EM_LINELENGTH, -1), 3 + 5);
    Send(view, EM_SETSEL, -1, 0);
    EXPECT_EQ(Send(view, EM_GETSEL), MAKELONG(3, 3)) << "the caret stays where the selection was";
    EXPECT_EQ(Send(view, EM_CHARFROMPOS, 0, MAKELPARAM(-1, 2)), -1);
    EXPECT_EQ(Send(view, EM_SETREADONLY, FALSE), FALSE);
    EXPECT_NE(GetWindowLongA(view, GWL_STYLE) & ES_READONLY, 0);
    Send(view, EM_SETSEL, last, -1);
    DWORD start = 0, end = 0;
    EXPECT_EQ(Send(view, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end)), -1);
    EXPECT_EQ(start, static_cast<DWORD>(last));
    EXPECT_EQ(end, static_cast<DWORD>(length));
    Send(view, EM_SCROLLCARET);
    const int y = PosFromChar(view, last).second, height = y - PosFromChar(view, Send(view, EM_LINEINDEX, 999998)).second;
    EXPECT_EQ(y + height, FormatRect(view).bottom - FormatRect(view).top) << "the last line at the bottom";
    EXPECT_EQ(Send(view, EM_GETFIRSTVISIBLELINE), 1000000 - (y + height) / height);
  });
}

}  // namespace
