// The window base's one boundary: what a handler of the window, of a control it subclassed or of
// a dialog throws goes to the window's failure hook, and the program goes on.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/message_box_watcher_win32.h"
#include "tests/support/windows_win32.h"
#include "win32/dialog.h"
#include "win32/gdi.h"
#include "win32/system_error.h"
#include "win32/window.h"

namespace {

constexpr UINT kFail = WM_APP + 7;

// The floor has no words of its own: these are the test's.
const TErrorBoxWords kWords{"Title", "!", "no memory", "no idea"};

// A window whose failure hook records what it is told; kFail makes its own handler throw.
class TRecordingWindow : public TWindow {
 public:
  explicit TRecordingWindow(HWND parent) {
    Create("TandeloTestRecordingWindow", 0, "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 40, parent);
  }
  using TWindow::SubclassControl;
  std::vector<std::string> Reported;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kFail) throw std::runtime_error("own");
    return TWindow::HandleMessage(message, wParam, lParam);
  }
  void ReportError(const std::string& text) override { Reported.push_back(text); }
};

HWND AddEdit(HWND parent) {
  return CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent, nullptr, nullptr, nullptr);
}

TEST(WindowBoundary, WhatAHandlerOrASubclassedControlThrowsReachesTheFailureHook) {
  SetErrorBoxWords(kWords);
  TTopLevelWindow top;
  TRecordingWindow window(top.Handle());
  const HWND edit = AddEdit(window.Handle());
  window.SubclassControl(edit, [](HWND control, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == kFail) throw std::bad_alloc();
    if (message == kFail + 1) throw 42;
    return DefSubclassProc(control, message, wParam, lParam);
  });

  EXPECT_EQ(SendMessageA(window.Handle(), kFail, 0, 0), 0);
  EXPECT_EQ(SendMessageA(edit, kFail, 0, 0), 0);
  EXPECT_EQ(SendMessageA(edit, kFail + 1, 0, 0), 0);
  const std::vector<std::string> expected{"own", "no memory", "no idea"};
  EXPECT_EQ(window.Reported, expected);

  // What the handler leaves alone is the control's own, and the control goes cleanly.
  SetWindowTextA(edit, "abc");
  EXPECT_EQ(WindowText(edit), "abc");
  EXPECT_TRUE(DestroyWindow(edit));
}

// A system control that is no window of ours (the flat button) reports through the nearest one
// above it, or in the error box when there is none.
TEST(WindowBoundary, AForeignControlReportsThroughTheNearestWindowAbove) {
  TTopLevelWindow top;
  TRecordingWindow window(top.Handle());
  const HWND inner = AddEdit(window.Handle());
  const HWND alone = AddEdit(top.Handle());
  const auto failIn = [](HWND control) {
    try {
      throw std::runtime_error("painted badly");
    } catch (...) {
      TWindow::ReportCurrentFailure(control);
    }
  };

  failIn(inner);
  EXPECT_EQ(window.Reported, std::vector<std::string>{"painted badly"});

  SetErrorBoxWords(kWords);
  TMessageBoxWatcher watcher({IDOK});
  failIn(alone);
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].Caption, "Title");
  EXPECT_EQ(watcher.Seen()[0].Text, "painted badly!");
  EXPECT_EQ(window.Reported.size(), 1u);
}


// A window that goes with its parent lets go of its handle, which the system may give to the next
// window made: its object's end must not destroy that one.
TEST(WindowLifetime, AWindowItsParentTookAlongLetsGoOfItsHandle) {
  TTopLevelWindow top;
  TRecordingWindow parent(top.Handle());
  TRecordingWindow child(parent.Handle());
  DestroyWindow(parent.Handle());
  EXPECT_EQ(parent.Handle(), nullptr);
  EXPECT_EQ(child.Handle(), nullptr);
}

// A window whose one painting place records the DC and the area it was asked to draw.
class TPaintingWindow : public TWindow {
 public:
  explicit TPaintingWindow(HWND parent) {
    Create("TandeloTestPaintingWindow", 0, "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 40, parent);
  }
  std::vector<std::pair<HDC, RECT>> Painted;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    const auto paint = [this](HDC dc, const RECT& area) { Painted.emplace_back(dc, area); };
    if (HandlePaint(Handle(), message, wParam, paint)) return 0;
    return TWindow::HandleMessage(message, wParam, lParam);
  }
};

// Both requests to draw reach the one painting place: a paint with what needs painting, which it
// then leaves valid, and a print with the whole client area in the DC it gives.
TEST(WindowPaint, BothRequestsReachTheOnePaintingPlace) {
  TTopLevelWindow top;
  TPaintingWindow window(top.Handle());
  UpdateWindow(top.Handle());
  window.Painted.clear();

  const RECT part{10, 5, 30, 15};
  InvalidateRect(window.Handle(), &part, FALSE);
  UpdateWindow(window.Handle());
  ASSERT_EQ(window.Painted.size(), 1u);
  EXPECT_NE(window.Painted[0].first, nullptr);
  EXPECT_TRUE(EqualRect(&window.Painted[0].second, &part));
  EXPECT_FALSE(GetUpdateRect(window.Handle(), nullptr, FALSE));

  const TMemoryDC dc;
  SendMessageA(window.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
  ASSERT_EQ(window.Painted.size(), 2u);
  const RECT client{0, 0, 100, 40};
  EXPECT_EQ(window.Painted[1].first, dc.Get());
  EXPECT_TRUE(EqualRect(&window.Painted[1].second, &client));
}

LRESULT CALLBACK RecordFont(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR seen) {
  if (message == WM_SETFONT) *reinterpret_cast<HFONT*>(seen) = reinterpret_cast<HFONT>(wParam);
  return DefSubclassProc(control, message, wParam, lParam);
}

// The one way to make a control: a visible child known by its id, subclassed before it hears of
// its font; a pop-up owned by the top-level window and hidden until shown; and a loud failure
// with the system's reason.
TEST(CreateControl, MakesChildrenSubclassedOrNotAndPopUpsAndSaysWhyOneCannotBeMade) {
  const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&classes);
  TTopLevelWindow top;
  TRecordingWindow window(top.Handle());
  const auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

  HFONT seen = nullptr;
  const HWND button = CreateControl(font, window.Handle(), "BUTTON", "OK", BS_OWNERDRAW, 0, 0, 40, 20, 0, 7,
                                    {RecordFont, 1, reinterpret_cast<DWORD_PTR>(&seen)});
  EXPECT_EQ(seen, font);
  EXPECT_EQ(GetDlgCtrlID(button), 7);
  EXPECT_EQ(GetParent(button), window.Handle());
  EXPECT_EQ(GetWindowLongA(button, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | BS_TYPEMASK),
            WS_CHILD | WS_VISIBLE | BS_OWNERDRAW);

  const HWND hint =
      CreateControl(font, window.Handle(), TOOLTIPS_CLASSA, "", WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, WS_EX_TOPMOST);
  EXPECT_EQ(GetWindow(hint, GW_OWNER), top.Handle());
  EXPECT_FALSE(GetWindowLongA(hint, GWL_STYLE) & (WS_CHILD | WS_VISIBLE));

  try {
    CreateControl(font, window.Handle(), "TandeloNoSuchClass", "", 0, 0, 0, 10, 10);
    ADD_FAILURE() << "nothing thrown";
  } catch (const std::runtime_error& error) {
    // Windows says it cannot find the class; Wine, that the class does not exist.
    const std::string said = error.what(), start = "CreateWindowEx failed for TandeloNoSuchClass: ";
    EXPECT_TRUE(said == start + SystemErrorText(ERROR_CANNOT_FIND_WND_CLASS) ||
                said == start + SystemErrorText(ERROR_CLASS_DOES_NOT_EXIST))
        << said;
  }
  DestroyWindow(hint);
}

// A dialog whose building fails is never shown and throws the failure to its caller, to report
// in its own words; one that is built reports what a handler throws over itself and goes on.
class TFailingDialog : public TDialog {
 public:
  explicit TFailingDialog(bool failToBuild) : failToBuild_(failToBuild) {}
  INT_PTR Show(HWND owner) { return ShowModal(owner, WS_POPUP | WS_CAPTION); }
  bool Shown = false;
  HWND Built = nullptr;
  // Made only once the dialog stands: a watcher takes every dialog box that comes for a message box.
  std::optional<TMessageBoxWatcher> Watcher;

 protected:
  INT_PTR HandleDialogMessage(UINT message, WPARAM wParam, LPARAM) override {
    if (message == WM_INITDIALOG) {
      if (failToBuild_) throw std::runtime_error("half built");
      Built = Handle();
      PostMessageA(Handle(), kFail, 0, 0);
    } else if (message == WM_SHOWWINDOW && wParam) {
      Shown = true;
    } else if (message == kFail) {
      PostMessageA(Handle(), WM_COMMAND, IDOK, 0);
      Watcher.emplace(std::vector<int>{IDOK});
      throw std::runtime_error("later");
    } else if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
      EndDialog(Handle(), IDOK);
    }
    return FALSE;
  }

 private:
  bool failToBuild_;
};

TEST(DialogBoundary, AFailureWhileBuildingIsThrownAndOneLaterIsReportedOverTheDialog) {
  TTopLevelWindow top;
  SetErrorBoxWords(kWords);
  TFailingDialog broken(true);
  try {
    broken.Show(top.Handle());
    ADD_FAILURE() << "nothing thrown";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "half built");
  }
  EXPECT_FALSE(broken.Shown);
  EXPECT_EQ(broken.Handle(), nullptr);

  TFailingDialog working(false);
  EXPECT_EQ(working.Show(top.Handle()), IDOK);
  ASSERT_TRUE(working.Watcher && working.Watcher->Seen().size() == 1u);
  const TMessageBoxSeen& box = working.Watcher->Seen()[0];
  EXPECT_EQ(box.Text, "later!");
  EXPECT_EQ(box.Caption, "Title");
  EXPECT_EQ(box.Owner, working.Built);
}

}  // namespace
