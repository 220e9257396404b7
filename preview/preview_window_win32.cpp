#include "preview/preview_window_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "win32/modal.h"

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

bool IsEscapeFor(const MSG& message, HWND form) {
  return message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE &&
         (message.hwnd == form || IsChild(form, message.hwnd));
}

}  // namespace

TForm2::TForm2(HWND owner, HFONT font) : owner_(owner), font_(font) {
  const POINT at = CentredOn(owner, kWidth, kHeight);
  try {
    Create(kPreviewClassName, 0, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, at.x, at.y, kWidth, kHeight, owner);
  } catch (const std::runtime_error&) {
    throw std::runtime_error("プレビューのウィンドウを作成できません");
  }
}

// The window goes while the view and the font it draws with still exist.
TForm2::~TForm2() { Destroy(); }

void TForm2::SetNames(const std::vector<std::string>& names) {
  if (memo1_) memo1_->SetNames(names);
}

void TForm2::ShowModal(const std::function<void(HWND preview)>& afterFirstPaint) {
  closeRequested_ = false;
  bool painted = false;
  TModalLoop loop;
  loop.Before = [this](const MSG& message) {
    if (!IsEscapeFor(message, Handle())) return false;
    SendMessageA(Handle(), WM_CLOSE, 0, 0);
    return true;
  };
  loop.After = [&](const MSG& message) {
    if (!painted && memo1_ && message.hwnd == Memo1() && message.message == WM_PAINT) {
      painted = true;
      if (afterFirstPaint) afterFirstPaint(Handle());
    }
  };
  RunModal(Handle(), owner_, [this] { return closeRequested_; }, loop);
  if (failure_) throw std::runtime_error(*std::exchange(failure_, std::nullopt));
}

void TForm2::ReportError(const std::string& text) {
  if (!failure_) failure_ = text;
  closeRequested_ = true;
}

LRESULT TForm2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = Handle();
  switch (message) {
    HANDLE_MSG(hwnd, WM_CREATE, FormCreate);
    HANDLE_MSG(hwnd, WM_SIZE, FormResize);
    HANDLE_MSG(hwnd, WM_SETFOCUS, FormSetFocus);
    HANDLE_MSG(hwnd, WM_CLOSE, FormClose);
    default:
      return TWindow::HandleMessage(message, wParam, lParam);
  }
}

BOOL TForm2::FormCreate(HWND hwnd, LPCREATESTRUCT) {
  RECT client;
  GetClientRect(hwnd, &client);
  try {
    memo1_ = std::make_unique<TNameView>(hwnd, client);
  } catch (const std::exception&) {
    return FALSE;  // the window is not made, and its maker says so
  }
  SendMessageA(memo1_->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return TRUE;
}

void TForm2::FormResize(HWND, UINT state, int width, int height) {
  // A minimised window keeps the view as it is.
  if (!memo1_ || state == SIZE_MINIMIZED) return;
  MoveWindow(memo1_->Handle(), 0, 0, width, height, TRUE);
}

void TForm2::FormSetFocus(HWND, HWND) {
  if (memo1_) SetFocus(memo1_->Handle());
}

void TForm2::FormClose(HWND) {
  // Closing ends the modal showing; the window is freed by its owner object, after the other
  // windows have been enabled again.
  closeRequested_ = true;
}

void ShowPreviewWindow(HWND owner, HFONT font, const std::vector<std::string>& names) {
  ShowPreviewWindow(owner, font, names, {});
}

void ShowPreviewWindow(HWND owner, HFONT font, const std::vector<std::string>& names,
                       const std::function<void(HWND preview)>& afterFirstPaint) {
  TForm2 form(owner, font);
  form.SetNames(names);
  form.ShowModal(afterFirstPaint);
}
