#include "tests/support/message_box_watcher_win32.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "tests/support/windows_win32.h"
#include "win32/window.h"

namespace {

constexpr UINT_PTR kTimerId = 0x7A11;
constexpr UINT kAnswerAfterMs = 1;
constexpr UINT kGiveUpAfterMs = 1000;
constexpr int kTextId = 0xFFFF;

thread_local TMessageBoxWatcher* activeWatcher = nullptr;

struct TChildScan {
  std::vector<std::pair<LONG, int>> Buttons;  // left edge, id
  int DefaultButton = 0;
  bool IconShown = false;
};

// Looks at controls rather than ids where systems differ: an icon is a shown icon static holding
// an icon (the static may stay shown but empty), and a box may create every button and hide
// those it does not use. A control counts as shown by its own style, whether or not the box
// itself is on the screen yet.
BOOL CALLBACK ScanChild(HWND child, LPARAM param) {
  TChildScan& scan = *reinterpret_cast<TChildScan*>(param);
  const LONG style = GetWindowLongA(child, GWL_STYLE);
  if (!(style & WS_VISIBLE)) return TRUE;
  if (HasClass(child, "Button")) {
    RECT rect;
    GetWindowRect(child, &rect);
    const int id = GetDlgCtrlID(child);
    scan.Buttons.emplace_back(rect.left, id);
    if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) scan.DefaultButton = id;
  } else if (HasClass(child, "Static") && (style & SS_TYPEMASK) == SS_ICON) {
    scan.IconShown = scan.IconShown || SendMessageA(child, STM_GETICON, 0, 0) != 0;
  }
  return TRUE;
}

struct TThreadWindows {
  HWND Box;
  int Visible = 0;
  int Enabled = 0;
};

BOOL CALLBACK CountThreadWindow(HWND window, LPARAM param) {
  TThreadWindows& windows = *reinterpret_cast<TThreadWindows*>(param);
  if (window == windows.Box || !IsWindowVisible(window)) return TRUE;
  ++windows.Visible;
  if (IsWindowEnabled(window)) ++windows.Enabled;
  return TRUE;
}

}  // namespace

TMessageBoxWatcher::TMessageBoxWatcher(std::vector<int> answers) : answers_(std::move(answers)) {
  if (activeWatcher) throw std::logic_error("a message box watcher is already active on this thread");
  hook_ = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
  if (!hook_) throw std::runtime_error("SetWindowsHookExA failed");
  activeWatcher = this;
}

TMessageBoxWatcher::~TMessageBoxWatcher() {
  UnhookWindowsHookEx(hook_);
  activeWatcher = nullptr;
}

LRESULT CALLBACK TMessageBoxWatcher::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  try {
    if (code == HCBT_CREATEWND && activeWatcher) activeWatcher->Created(reinterpret_cast<HWND>(wParam));
  } catch (...) {
    // A box missed here stays up until the test's timeout ends the run.
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);  // the hook handle is ignored
}

// The box lays itself out once it has been created, so it is read from a timer, which only the
// box's own message loop runs.
void TMessageBoxWatcher::Created(HWND box) {
  if (HasClass(box, "#32770")) SetTimer(box, kTimerId, kAnswerAfterMs, TimerProc);
}

// The first call reads and answers the box; a second call, or a failure, ends it.
void CALLBACK TMessageBoxWatcher::TimerProc(HWND box, UINT, UINT_PTR, DWORD) {
  try {
    if (activeWatcher && box != activeWatcher->answeredBox_) {
      activeWatcher->ReadAndAnswer(box);
      return;
    }
  } catch (...) {
    // ended below, as a box nobody could answer
  }
  KillTimer(box, kTimerId);
  EndDialog(box, 0);
}

void TMessageBoxWatcher::ReadAndAnswer(HWND box) {
  answeredBox_ = box;
  // Replaces the first interval: the timer now only ends a box its answer did not close.
  SetTimer(box, kTimerId, kGiveUpAfterMs, TimerProc);

  TMessageBoxSeen seen;
  seen.Caption = WindowText(box);
  if (HWND text = GetDlgItem(box, kTextId)) seen.Text = WindowText(text);
  TChildScan scan;
  EnumChildWindows(box, ScanChild, reinterpret_cast<LPARAM>(&scan));
  std::sort(scan.Buttons.begin(), scan.Buttons.end());
  for (const auto& button : scan.Buttons) seen.Buttons.push_back(button.second);
  seen.DefaultButton = scan.DefaultButton;
  seen.IconShown = scan.IconShown;
  GetWindowRect(box, &seen.Rect);
  seen.Owner = GetWindow(box, GW_OWNER);
  seen.OwnerEnabled = seen.Owner && IsWindowEnabled(seen.Owner);
  TThreadWindows windows{box};
  EnumThreadWindows(GetCurrentThreadId(), CountThreadWindow, reinterpret_cast<LPARAM>(&windows));
  seen.OtherWindows = windows.Visible;
  seen.EnabledOtherWindows = windows.Enabled;

  const std::size_t index = seen_.size();
  seen_.push_back(std::move(seen));
  if (index >= answers_.size()) {
    EndDialog(box, 0);
    return;
  }
  const int answer = answers_[index];
  const std::vector<int>& buttons = seen_.back().Buttons;
  if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end()) {
    EndDialog(box, 0);
    return;
  }
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
}
