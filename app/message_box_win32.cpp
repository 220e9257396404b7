#include "app/message_box_win32.h"

#include "app/app_title.h"
#include "win32/owned_handle.h"

void DiscardQueuedInput() {
  // The non-client range holds clicks on a title bar or frame, which would reach a box just as well.
  static constexpr UINT kRanges[][2] = {
      {WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST}, {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}};
  MSG message;
  for (const auto& range : kRanges) {
    while (PeekMessageA(&message, nullptr, range[0], range[1], PM_REMOVE)) {
    }
  }
}

namespace {

bool IsDialogBox(HWND window) {
  char name[16] = "";
  return GetClassNameA(window, name, sizeof name) > 0 && lstrcmpA(name, "#32770") == 0;
}

// The system puts a box with an owner over the owner (Wine, in the middle of the screen's work
// area). While this object lives, the first box of this thread to come up is moved, as it comes
// up, to the middle of the whole screen its owner stands on, where the main window opens.
class TCentredOnScreen {
 public:
  explicit TCentredOnScreen(HWND owner)
      : owner_(owner), outer_(active_), hook_(SetWindowsHookExA(WH_CBT, Proc, nullptr, GetCurrentThreadId())) {
    active_ = this;
  }
  ~TCentredOnScreen() { active_ = outer_; }
  TCentredOnScreen(const TCentredOnScreen&) = delete;
  TCentredOnScreen& operator=(const TCentredOnScreen&) = delete;

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
    const auto box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && active_ && !active_->moved_ && IsDialogBox(box)) {
      active_->moved_ = true;
      MONITORINFO monitor{};
      monitor.cbSize = sizeof monitor;
      GetMonitorInfoA(MonitorFromWindow(active_->owner_ ? active_->owner_ : box, MONITOR_DEFAULTTOPRIMARY), &monitor);
      const RECT& screen = monitor.rcMonitor;
      RECT rect;
      GetWindowRect(box, &rect);
      SetWindowPos(box, nullptr, (screen.left + screen.right - (rect.right - rect.left)) / 2,
                   (screen.top + screen.bottom - (rect.bottom - rect.top)) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static thread_local inline TCentredOnScreen* active_ = nullptr;
  HWND owner_;
  TCentredOnScreen* outer_;  // a box shown from inside another box's loop
  THook hook_;
  bool moved_ = false;
};

// An owned box disables its owner and, when it closes, enables it again before it goes, so the
// system hands the activation back to the owner, which restores its focus. A box with no owner
// and MB_TASKMODAL disables every top-level window of the thread and gives the activation to
// none of them when it closes: kept only for a box with nothing to stand over. The modality bits
// are ours: combined with another mode MB_TASKMODAL would mean something else. Either way the box
// stands in the middle of the screen, where the program's boxes have always stood, and never off
// the screen over a minimised owner.
int ShowBox(HWND owner, const std::string& text, const std::string& caption, unsigned flags) {
  const TCentredOnScreen centred(owner);
  const UINT mode = owner ? MB_APPLMODAL : MB_TASKMODAL;
  return MessageBoxA(owner, text.c_str(), caption.c_str(), (flags & ~MB_MODEMASK) | mode);
}

// A box with Yes and No but no Cancel takes neither Escape nor Alt+F4 on Windows (Wine ends it
// with Cancel). The copy prompt's Escape and Alt+F4 stop the run, as No does: the box's own loop
// is shown them as a press of No.
bool IsStopKey(const MSG& message) {
  constexpr LPARAM kAltDown = 1 << 29;
  return (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) ||
         (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4 && (message.lParam & kAltDown));
}

LRESULT CALLBACK StopKeysAsNo(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && IsStopKey(*message)) {
    const HWND box = GetAncestor(message->hwnd, GA_ROOT);
    if (const HWND no = box ? GetDlgItem(box, IDNO) : nullptr) {
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(no));
      return TRUE;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void TPlainMessage::ShowMessage(const std::string& text) {
  DiscardQueuedInput();
  ShowBox(owner_, text, kApplicationTitle, MB_OK);
}

int TCopyPrompt::Ask(const std::string& text, const std::string& caption, unsigned flags) {
  DiscardQueuedInput();
  const THook stopKeys((flags & MB_TYPEMASK) == MB_YESNO
                           ? SetWindowsHookExA(WH_MSGFILTER, StopKeysAsNo, nullptr, GetCurrentThreadId())
                           : nullptr);
  return ShowBox(owner_, text, caption, flags);
}
