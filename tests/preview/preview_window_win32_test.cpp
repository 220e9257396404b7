#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "preview/preview_window_win32.h"
#include "tests/support/preview_showing_win32.h"
#include "tests/support/windows_win32.h"
#include "win32/window.h"

namespace {

RECT ScreenRectOf(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect;
}

bool ClientFilledByMemo(HWND preview) {
  RECT client, memo;
  GetClientRect(preview, &client);
  GetWindowRect(Memo1Of(preview), &memo);
  MapWindowPoints(nullptr, preview, reinterpret_cast<POINT*>(&memo), 2);
  return EqualRect(&client, &memo) != FALSE;
}

TEST(PreviewWindow, LooksAsDesigned) {
  TTopLevelWindow owner;
  ShowAndInspect(owner.Handle(), {"copy1.txt"}, [&](HWND preview) {
    EXPECT_EQ(WindowText(preview), "複製予定ファイル名一覧");
    EXPECT_EQ(GetWindow(preview, GW_OWNER), owner.Handle());
    const LONG style = GetWindowLongA(preview, GWL_STYLE);
    for (const LONG bit : {WS_CAPTION, WS_THICKFRAME, WS_SYSMENU, WS_MINIMIZEBOX, WS_MAXIMIZEBOX}) {
      EXPECT_EQ(style & bit, bit) << std::hex << bit;
    }
    EXPECT_EQ(GetClassLongPtrA(preview, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
    const RECT rect = ScreenRectOf(preview);
    EXPECT_EQ(rect.right - rect.left, 427);
    EXPECT_EQ(rect.bottom - rect.top, 413);

    const HWND memo = Memo1Of(preview);
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(ClassOf(memo), kNameViewClassName);
    EXPECT_EQ(GetWindow(memo, GW_HWNDNEXT), nullptr) << "Memo1 is the only control";
    EXPECT_TRUE(ClientFilledByMemo(preview));
    const LONG memoStyle = GetWindowLongA(memo, GWL_STYLE);
    EXPECT_EQ(memoStyle & WS_TABSTOP, WS_TABSTOP);
    EXPECT_EQ(memoStyle & (WS_HSCROLL | WS_VSCROLL), 0) << "without scroll bars";
    EXPECT_EQ(SendMessageA(memo, WM_GETDLGCODE, 0, 0) & (DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB),
              DLGC_WANTARROWS | DLGC_WANTCHARS) << "takes the caret keys, leaves Tab to the dialog manager";
    // Activation can go to another program on the display at any moment; what is ours is where
    // the window passes the focus it is given.
    SetFocus(preview);
    EXPECT_EQ(GetFocus(), memo) << "Memo1 comes first in the tab order";

    LOGFONTA font{};
    ASSERT_TRUE(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(memo, WM_GETFONT, 0, 0)), sizeof font, &font));
    EXPECT_STREQ(font.lfFaceName, "ＭＳ Ｐゴシック");
    EXPECT_EQ(font.lfHeight, -12);
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);

    for (const SIZE size : {SIZE{600, 500}, SIZE{200, 150}}) {
      SetWindowPos(preview, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      EXPECT_TRUE(ClientFilledByMemo(preview)) << "resized to " << size.cx << "x" << size.cy;
    }
  });
}

struct TPlaceCase {
  const char* Name;
  RECT Owner;
  bool FitsOnScreen;  // when the owner stands so that a centred preview would not, it is moved on
};

void PrintTo(const TPlaceCase& place, std::ostream* out) { *out << place.Name; }

class PreviewPlace : public testing::TestWithParam<TPlaceCase> {};

TEST_P(PreviewPlace, OpensCentredOnTheOwner) {
  TTopLevelWindow owner(GetParam().Owner);
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  ShowAndInspect(owner.Handle(), {"a"}, [&](HWND preview) {
    const RECT at = ScreenRectOf(preview);
    const RECT around = ScreenRectOf(owner.Handle());
    EXPECT_EQ(at.right - at.left, 427);
    EXPECT_EQ(at.bottom - at.top, 413);
    if (GetParam().FitsOnScreen) {
      EXPECT_LE(std::abs((at.left + at.right) - (around.left + around.right)), 1);
      EXPECT_LE(std::abs((at.top + at.bottom) - (around.top + around.bottom)), 1);
    } else {
      EXPECT_EQ(at.right, work.right);
      EXPECT_EQ(at.bottom, work.bottom);
    }
  });
}

INSTANTIATE_TEST_SUITE_P(Owners, PreviewPlace,
                         testing::Values(TPlaceCase{"TopLeft", {10, 20, 510, 420}, true},
                                         TPlaceCase{"SmallerThanPreview", {420, 260, 720, 460}, true},
                                         TPlaceCase{"NearTheCorner", {800, 600, 1200, 900}, false}),
                         [](const testing::TestParamInfo<TPlaceCase>& info) { return std::string(info.param.Name); });

TEST(PreviewWindow, IsModalToTheProgramsWindows) {
  TTopLevelWindow owner;
  TTopLevelWindow other(RECT{600, 50, 800, 150});
  TTopLevelWindow disabledBefore(RECT{600, 200, 800, 300});
  EnableWindow(disabledBefore.Handle(), FALSE);
  SetActiveWindow(owner.Handle());
  // Another program on the display can take the activation at any moment; when the preview still
  // had it as it closed, it must go back to the owner and not to the window next in line.
  bool activeAtClose = false;
  ShowAndInspect(owner.Handle(), {"a"}, [&](HWND preview) {
    EXPECT_TRUE(IsWindowEnabled(preview));
    EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
    EXPECT_FALSE(IsWindowEnabled(other.Handle()));
    EXPECT_FALSE(IsWindowEnabled(disabledBefore.Handle()));
    activeAtClose = GetActiveWindow() == preview;
  });
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  EXPECT_TRUE(IsWindowEnabled(other.Handle()));
  EXPECT_FALSE(IsWindowEnabled(disabledBefore.Handle())) << "a window disabled before stays so";
  if (activeAtClose) {
    EXPECT_EQ(GetActiveWindow(), owner.Handle());
  }
}

class PreviewClose : public testing::TestWithParam<TClose> {};

TEST_P(PreviewClose, EndsTheShowingAndFreesTheWindow) {
  TTopLevelWindow owner;
  ShowAndInspect(
      owner.Handle(), {"a"}, [](HWND) {}, GetParam());
  EXPECT_EQ(FindPreview(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  MSG message;
  const bool quit = PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  EXPECT_EQ(quit, GetParam() == TClose::Quit) << "a request to quit is passed on to the program's loop";
  if (quit) {
    EXPECT_EQ(message.wParam, 7u);
  }
}

INSTANTIATE_TEST_SUITE_P(Ways, PreviewClose, testing::Values(TClose::SystemMenu, TClose::Escape, TClose::Quit),
                         [](const testing::TestParamInfo<TClose>& info) { return std::string(NameOf(info.param)); });

TEST(PreviewWindow, EachShowingHasItsOwnList) {
  TTopLevelWindow owner;
  for (const std::vector<std::string>& names :
       {std::vector<std::string>{"copy1.txt", "copy2.txt"}, std::vector<std::string>{"表示a"}}) {
    ShowAndInspect(owner.Handle(), names, [&](HWND preview) {
      EXPECT_EQ(WindowText(Memo1Of(preview)), names.size() == 2 ? "copy1.txt\r\ncopy2.txt" : "表示a");
    });
    EXPECT_EQ(FindPreview(), nullptr);
  }
}

TEST(PreviewWindow, ReportsTheFirstPaintOnce) {
  TTopLevelWindow owner;
  int calls = 0;
  ShowPreviewWindow(owner.Handle(), ProgramFont(), NumberedNames(10), [&](HWND preview) {
    ++calls;
    EXPECT_TRUE(IsWindowVisible(preview));
    EXPECT_FALSE(GetUpdateRect(Memo1Of(preview), nullptr, FALSE)) << "the list is painted";
    PostMessageA(preview, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(FindPreview(), nullptr);
}


}  // namespace
