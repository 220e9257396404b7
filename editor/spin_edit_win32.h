#pragma once

#include <windows.h>

#include <functional>

#include "win32/window.h"

// A numeric spin field: a single-line edit with an up and a down arrow at its right edge, kept in
// a container window that its parent treats like an edit. The container's text, font and enabled
// state are the edit's; the edit's notifications reach the parent as the container's own
// (WM_COMMAND with the container's id and handle). On EN_KILLFOCUS the parent is told first, and
// only then is a value outside the range written back clamped.
class TSpinEdit : public TWindow {
 public:
  TSpinEdit(HWND parent, int x, int y, int width, int height);
  ~TSpinEdit() override;

  // The text read as a decimal integer; text that does not convert reads as 0. Not clamped.
  int Value() const;
  // Clamps into 0..999 and writes the number; the text is replaced only when it differs, so
  // setting the value already shown raises no change event.
  void SetValue(int value);
  HWND Edit() const { return edit_; }

  // Sounded when a typed character is refused; tests replace it.
  std::function<void()> Beep = [] { MessageBeep(0); };

  // Draws the arrow buttons into `dc` (the container's client coordinates).
  void PaintArrows(HDC dc) const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT HandleEditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

  void Step(int delta);
  void OnEditCommand(int code);
  void OnArrowDown(int x, int y);
  void OnRepeat();
  void StopRepeat();
  RECT ArrowRect(int direction) const;

  HWND edit_ = nullptr;
  int pressed_ = 0;  // the arrow held down: +1 up, -1 down, 0 none
  bool trailByteDue_ = false;
};
