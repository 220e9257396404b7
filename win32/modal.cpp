#include "win32/modal.h"

#include <algorithm>
#include <vector>

namespace {

// Keeps the owner and the thread's other visible windows from taking input while it exists, and
// afterwards enables again exactly the windows it disabled.
class TDisabledWindows {
 public:
  TDisabledWindows(HWND owner, HWND except) : except_(except) {
    if (owner) Disable(owner);
    EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(this));
  }
  ~TDisabledWindows() {
    for (auto window = disabled_.rbegin(); window != disabled_.rend(); ++window) {
      if (IsWindow(*window)) EnableWindow(*window, TRUE);
    }
  }
  TDisabledWindows(const TDisabledWindows&) = delete;
  TDisabledWindows& operator=(const TDisabledWindows&) = delete;

 private:
  static BOOL CALLBACK Visit(HWND window, LPARAM self) {
    if (IsWindowVisible(window)) reinterpret_cast<TDisabledWindows*>(self)->Disable(window);
    return TRUE;
  }
  void Disable(HWND window) {
    if (window == except_ || std::find(disabled_.begin(), disabled_.end(), window) != disabled_.end()) return;
    if (!EnableWindow(window, FALSE)) disabled_.push_back(window);  // it was enabled until now
  }

  HWND except_;
  std::vector<HWND> disabled_;
};

}  // namespace

void RunModal(HWND window, HWND owner, const std::function<bool()>& ended, const TModalLoop& loop) {
  {
    const TDisabledWindows disabled(owner, window);
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (IsWindow(window) && !ended()) {
      const BOOL got = GetMessageA(&message, nullptr, 0, 0);
      if (got == -1) break;
      if (got == 0) {
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      if (loop.Before && loop.Before(message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
      if (loop.After) loop.After(message);
    }
  }
  if (!IsWindow(window)) return;
  if (owner && GetActiveWindow() == window) SetActiveWindow(owner);
  ShowWindow(window, SW_HIDE);
}
