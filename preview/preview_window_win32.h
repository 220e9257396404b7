#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "widgets/gdi_win32.h"

// The window class of every preview window; a test finds leftover previews by it.
inline constexpr char kPreviewClassName[] = "TForm2";

// Shows the names a run would make in a new preview window owned by `owner` (the main window),
// one name per line, and returns once the user has closed it: until then the owner and the
// thread's other windows take no input. The window is gone when this returns. Throws
// std::runtime_error when the window cannot be made or cannot hold the whole list.
void ShowPreviewWindow(HWND owner, const std::vector<std::string>& names);

// The same, for timing: `afterFirstPaint` runs once, with the preview, as soon as the list has
// been painted for the first time; it may close the preview (WM_CLOSE) to end the showing.
void ShowPreviewWindow(HWND owner, const std::vector<std::string>& names,
                       const std::function<void(HWND preview)>& afterFirstPaint);

// The names joined by CRLF, without a line end after the last: the text of the list.
std::string JoinPreviewLines(const std::vector<std::string>& names);

// The preview window: `Memo1`, a read-only multi-line edit filling the client area.
class TForm2 {
 public:
  static constexpr int kWidth = 427;
  static constexpr int kHeight = 413;
  // Word wrap comes from leaving out ES_AUTOHSCROLL. ES_AUTOVSCROLL lets the caret keys scroll
  // the list, which has no scroll bars.
  static constexpr DWORD kMemoStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;
  static constexpr DWORD kMemoExStyle = WS_EX_CLIENTEDGE;

  // Creates the window hidden, centred on `owner` and kept on the owner's screen.
  explicit TForm2(HWND owner);
  ~TForm2();
  TForm2(const TForm2&) = delete;
  TForm2& operator=(const TForm2&) = delete;

  HWND Handle() const { return handle_; }
  HWND Memo1() const { return memo1_; }

  // Replaces the list with the names in one go.
  void SetNames(const std::vector<std::string>& names);
  // Shows the window modally and returns once the user has asked to close it; the window itself
  // stays until this object goes.
  void ShowModal(const std::function<void(HWND preview)>& afterFirstPaint);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  BOOL FormCreate(HWND hwnd, LPCREATESTRUCT create);
  void FormResize(HWND hwnd, UINT state, int width, int height);
  void FormSetFocus(HWND hwnd, HWND previous);
  void FormClose(HWND hwnd);
  HBRUSH Memo1Color(HWND hwnd, HDC dc, HWND control, int type);

  HWND owner_;
  HWND handle_ = nullptr;
  HWND memo1_ = nullptr;
  TGdiObject<HFONT> font_{CreateProgramFont()};
  bool closeRequested_ = false;
  std::exception_ptr error_;  // from a message handler, rethrown once the showing has ended
};
