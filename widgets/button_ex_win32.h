#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "widgets/button_glyph_win32.h"
#include "win32/owned_handle.h"

// How much frame the flat button draws around its face.
enum class TButtonStyle : unsigned char { Normal = 0, Flat = 1, UltraFlat = 2, NoFrame = 3 };

// A flat push button: a real BUTTON window (so clicks, keys and focus stay the system's) that is
// owner-drawn with a rounded face, a picture and a caption. Its parent must reflect WM_DRAWITEM and
// WM_MEASUREITEM to it with SendReflected (win32/reflect.h). What fails in the button is
// reported through the nearest window of the program that holds it (TWindow's failure policy). A
// transparent button paints what its parent paints for
// WM_ERASEBKGND and WM_PRINTCLIENT under its picture and caption. The window's right-to-left
// styles (WS_EX_RIGHT, WS_EX_RTLREADING) mirror the layout and the reading order.
class TButtonEx {
 public:
  // `style` adds window styles such as WS_TABSTOP; the transparent window style is fixed here.
  // Throws when the system cannot make the button.
  TButtonEx(HWND parent, const std::string& caption, int x, int y, int width, int height, DWORD style = WS_TABSTOP,
            bool transparent = false);
  virtual ~TButtonEx();
  TButtonEx(const TButtonEx&) = delete;
  TButtonEx& operator=(const TButtonEx&) = delete;

  // The button object behind a window made by this class, or null.
  static TButtonEx* FromHandle(HWND window);

  HWND Handle() const { return window_.Get(); }

  // Follows the parent's colour (its WM_CTLCOLORBTN brush) until a colour is assigned. The font
  // likewise is the parent's until one is set with WM_SETFONT.
  COLORREF Color() const;
  void SetColor(COLORREF color);
  TButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TButtonStyle style);
  // Changes the paint mode at once; the window's transparent style stays as it was created.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  HBITMAP Glyph() const { return glyph_.Picture(); }
  // Pixels of `transparentColor` show the face; CLR_DEFAULT takes the bottom-left pixel's colour.
  void SetGlyph(HBITMAP bitmap, COLORREF transparentColor = CLR_DEFAULT);
  int NumGlyphs() const { return glyph_.NumGlyphs(); }
  // Above 4 counts as 4; 0 (or less) leaves the count as it is.
  void SetNumGlyphs(int count);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  int Margin() const { return margin_; }
  void SetMargin(int margin);
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);
  std::string Caption() const;

  // When set, replaces all painting; the DC already carries the button's font, and `itemState`
  // holds the owner-draw state bits as the system gave them.
  std::function<void(TButtonEx& sender, HDC dc, UINT itemState)> OnDraw;

  // Draws the whole button into `dc` for the owner-draw state bits `itemState`.
  virtual void PaintFace(HDC dc, UINT itemState);

 protected:
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // Keeps the button in its thread's list while it lives. The system tells an owner-drawn button
  // nothing when the focus moves between other controls of its window (no BM_SETSTYLE, no
  // paint), so one hook per thread, there while the list holds a button, repaints them then.
  class TFocusWatch {
   public:
    explicit TFocusWatch(TButtonEx* button);
    ~TFocusWatch();
    TFocusWatch(const TFocusWatch&) = delete;
    TFocusWatch& operator=(const TFocusWatch&) = delete;

   private:
    TButtonEx* button_;
  };

  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
  // Repaints the buttons of a window as the focus moves between its controls.
  static LRESULT CALLBACK FocusHookProc(int code, WPARAM wParam, LPARAM lParam);
  // Fills and frames the face; returns the rectangle the focus mark goes on.
  RECT PaintFrame(HDC dc, bool pressed);
  void Invalidate() const;

  TFocusWatch focusWatch_{this};  // made before the window and gone after it
  TWindowHandle window_;
  TButtonGlyph glyph_;
  COLORREF color_ = 0;
  bool colorSet_ = false;
  TButtonStyle buttonStyle_ = TButtonStyle::Normal;
  bool transparent_ = false;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
};
