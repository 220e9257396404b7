#include "app/message_box_win32.h"

#include <windows.h>

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

// Every box these show follows work during which the user may have typed or clicked. Both go
// without an owner and with MB_TASKMODAL: the system then disables every top-level window of this
// thread, which is every window of the program, and centres the box on the screen instead of
// over one window.

void TPlainMessage::ShowMessage(const std::string& text) {
  DiscardQueuedInput();
  MessageBoxA(nullptr, text.c_str(), kApplicationTitle, MB_OK | MB_TASKMODAL);
}

namespace {

// A box with Yes and No but no Cancel takes no Escape on Windows. The copy prompt's Escape stops
// the run, as No does: the box's own loop is shown Escape as a press of No.
LRESULT CALLBACK EscapeAsNo(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE) {
    const HWND box = GetAncestor(message->hwnd, GA_ROOT);
    if (const HWND no = box ? GetDlgItem(box, IDNO) : nullptr) {
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(no));
      return TRUE;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int TCopyPrompt::Ask(const std::string& text, const std::string& caption, unsigned flags) {
  DiscardQueuedInput();
  const THook escape((flags & MB_TYPEMASK) == MB_YESNO
                         ? SetWindowsHookExA(WH_MSGFILTER, EscapeAsNo, nullptr, GetCurrentThreadId())
                         : nullptr);
  // The modality bits are ours: combined with another mode MB_TASKMODAL would mean something else.
  return MessageBoxA(nullptr, text.c_str(), caption.c_str(), (flags & ~MB_MODEMASK) | MB_TASKMODAL);
}
