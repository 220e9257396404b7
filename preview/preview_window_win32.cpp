#include "preview/preview_window_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

const char kCaption[] = "複製予定ファイル名一覧";

// Where a preview of the design size opens: centred on the owner, moved back onto the owner's
// screen when it would stand partly off it. A minimised owner has no useful place, so then the
// preview is centred on the screen.
POINT CentredOn(HWND owner, int width, int height) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                        : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY),
                  &monitor);
  const RECT area = monitor.rcWork;
  RECT around = area;
  if (owner && !IsIconic(owner)) GetWindowRect(owner, &around);
  const int left = around.left + (around.right - around.left - width) / 2;
  const int top = around.top + (around.bottom - around.top - height) / 2;
  return POINT{std::max<int>(area.left, std::min<int>(left, area.right - width)),
               std::max<int>(area.top, std::min<int>(top, area.bottom - height))};
}

// Keeps the owner and the thread's other visible windows from taking input while it exists, and
// afterwards enables again exactly the windows it disabled: one that was disabled already (by a
// showing further out) stays so.
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

bool IsEscapeFor(const MSG& message, HWND form) {
  return message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE &&
         (message.hwnd == form || IsChild(form, message.hwnd));
}

}  // namespace

std::string JoinPreviewLines(const std::vector<std::string>& names) {
  std::size_t size = 0;
  for (const std::string& name : names) size += name.size() + 2;
  std::string text;
  text.reserve(size > 2 ? size - 2 : 0);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += names[i];
  }
  return text;
}

TForm2::TForm2(HWND owner) : owner_(owner) {
  static const bool registered = [] {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kPreviewClassName;
    // The program's icon, as on the main window (none in a program without it).
    windowClass.hIcon = LoadIconA(windowClass.hInstance, MAKEINTRESOURCEA(1));
    return RegisterClassExA(&windowClass) != 0;
  }();
  if (!registered) throw std::runtime_error("プレビューのウィンドウクラスを登録できません");
  const POINT at = CentredOn(owner, kWidth, kHeight);
  CreateWindowExA(0, kPreviewClassName, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, at.x, at.y, kWidth, kHeight,
                  owner, nullptr, GetModuleHandleA(nullptr), this);
  if (!handle_) throw std::runtime_error("プレビューのウィンドウを作成できません");
}

TForm2::~TForm2() {
  if (handle_) DestroyWindow(handle_);
}

void TForm2::SetNames(const std::vector<std::string>& names) {
  const std::string text = JoinPreviewLines(names);
  // The edit's default limit is far below a long list; 0 lifts it to the largest there is.
  SendMessageA(memo1_, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextA(memo1_, text.c_str());
  // The length in ANSI bytes may be reported too large (never too small) for double-byte text,
  // so only a shortfall shows that names were lost.
  if (static_cast<std::size_t>(GetWindowTextLengthA(memo1_)) < text.size()) {
    throw std::runtime_error("複製予定ファイル名をすべて表示できません");
  }
}

void TForm2::ShowModal(const std::function<void(HWND preview)>& afterFirstPaint) {
  closeRequested_ = false;
  {
    const TDisabledWindows disabled(owner_, handle_);
    ShowWindow(handle_, SW_SHOWNORMAL);
    bool painted = false;
    MSG message;
    while (handle_ && !closeRequested_) {
      const BOOL got = GetMessageA(&message, nullptr, 0, 0);
      if (got == -1) break;
      if (got == 0) {
        // The program is ending: close the preview and let the outer loop see the request too.
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      if (IsEscapeFor(message, handle_)) {
        SendMessageA(handle_, WM_CLOSE, 0, 0);
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
      if (!painted && memo1_ && message.hwnd == memo1_ && message.message == WM_PAINT) {
        painted = true;
        if (afterFirstPaint) afterFirstPaint(handle_);
      }
    }
  }
  // The windows are enabled again while the preview still stands, and the owner is activated
  // before the preview goes: otherwise the system would pass activation to whichever window
  // stands next below the preview, which need not be the owner.
  if (handle_ && owner_ && GetActiveWindow() == handle_) SetActiveWindow(owner_);
  if (handle_) ShowWindow(handle_, SW_HIDE);
  if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

LRESULT CALLBACK TForm2::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<TForm2*>(reinterpret_cast<LPCREATESTRUCTA>(lParam)->lpCreateParams);
    form->handle_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TForm2*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!form) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    form->handle_ = nullptr;
    form->memo1_ = nullptr;
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  try {
    return form->HandleMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    // Nothing unwinds through the system: the error ends the showing and is rethrown from it.
    if (!form->error_) form->error_ = std::current_exception();
    form->closeRequested_ = true;
    return 0;
  }
}

LRESULT TForm2::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    HANDLE_MSG(hwnd, WM_CREATE, FormCreate);
    HANDLE_MSG(hwnd, WM_SIZE, FormResize);
    HANDLE_MSG(hwnd, WM_SETFOCUS, FormSetFocus);
    HANDLE_MSG(hwnd, WM_CLOSE, FormClose);
    HANDLE_MSG(hwnd, WM_CTLCOLORSTATIC, Memo1Color);
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

BOOL TForm2::FormCreate(HWND hwnd, LPCREATESTRUCT) {
  RECT client;
  GetClientRect(hwnd, &client);
  // Made at its final size and given its font before any text: the edit lays out every line
  // again whenever its width or font changes, which is slow for a long list.
  memo1_ = CreateWindowExA(kMemoExStyle, "EDIT", "", kMemoStyle, 0, 0, client.right, client.bottom, hwnd, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  if (!memo1_) return FALSE;
  SendMessageA(memo1_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  return TRUE;
}

void TForm2::FormResize(HWND, UINT state, int width, int height) {
  // A minimised window keeps the list as it is, so restoring it costs nothing; an unchanged size
  // (the first showing reports one) does not lay out the list again.
  if (!memo1_ || state == SIZE_MINIMIZED) return;
  RECT memo;
  GetWindowRect(memo1_, &memo);
  if (memo.right - memo.left != width || memo.bottom - memo.top != height) {
    MoveWindow(memo1_, 0, 0, width, height, TRUE);
  }
}

void TForm2::FormSetFocus(HWND, HWND) {
  if (memo1_) SetFocus(memo1_);
}

void TForm2::FormClose(HWND) {
  // Closing ends the modal showing; the window is freed by its owner object, after the other
  // windows have been enabled again.
  closeRequested_ = true;
}

HBRUSH TForm2::Memo1Color(HWND hwnd, HDC dc, HWND control, int) {
  // A read-only edit asks for the colours of a static text; the list keeps those of an editable
  // one, so it reads as a list and not as a label.
  if (control != memo1_) return FORWARD_WM_CTLCOLORSTATIC(hwnd, dc, control, DefWindowProcA);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}

void ShowPreviewWindow(HWND owner, const std::vector<std::string>& names) { ShowPreviewWindow(owner, names, {}); }

void ShowPreviewWindow(HWND owner, const std::vector<std::string>& names,
                       const std::function<void(HWND preview)>& afterFirstPaint) {
  TForm2 form(owner);
  form.SetNames(names);
  form.ShowModal(afterFirstPaint);
}
