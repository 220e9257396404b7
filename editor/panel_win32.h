#pragma once

#include <string>

#include "win32/window.h"

// The bevels a panel can draw around its client area.
enum TPanelBevel { pbNone, pbRaisedOuter, pbLoweredOuter, pbLoweredInner };

// A plain container in the button-face colour with an optional bevel and a centred caption. The
// notifications of its child controls go on to its parent, up to the first window that handles
// them, and so do the requests a control makes of its dialog (moving the focus, the default
// button). A control's request to close its parent is refused: only the top-level window closes.
class TPanel : public TWindow {
 public:
  TPanel(HWND parent, int x, int y, int width, int height, TPanelBevel bevel, const std::string& caption = {});

  // Draws the panel into `dc`; the window's own painting and tests call it.
  void Paint(HDC dc) const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  TPanelBevel bevel_;
  std::string caption_;
  HFONT font_ = nullptr;  // set by WM_SETFONT, owned by the top-level window
};
