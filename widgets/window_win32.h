#pragma once

#include <windows.h>

#include <string>

#include "widgets/error_box_win32.h"

// What a window class gives its windows before they paint: class style bits, cursor and the
// brush that erases the background (null: the window paints all of it itself).
struct TWindowClassLook {
  UINT Style = 0;
  const char* Cursor = reinterpret_cast<const char*>(IDC_ARROW);
  HBRUSH Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
};

// The base of the program's windows: the window procedure finds the object through
// GWLP_USERDATA (stored at WM_NCCREATE) and forwards every message to HandleMessage. It is also
// the boundary that no exception crosses: what a handler throws is reported with ReportError and
// the message counts as handled.
class TWindow {
 public:
  TWindow() = default;
  virtual ~TWindow();
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  HWND Handle() const { return handle_; }

 protected:
  // Registers `className` (once) with this class's window procedure and creates the window.
  void Create(const char* className, DWORD exStyle, const char* title, DWORD style, int x, int y, int width,
              int height, HWND parent, HMENU menu = nullptr, const TWindowClassLook& look = TWindowClassLook());

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Shows what escaped a handler; by default in the application's error box, over the top-level
  // window.
  virtual void ReportError(const std::string& text);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND handle_ = nullptr;
};
