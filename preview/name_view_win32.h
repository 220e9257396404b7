#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "preview/name_browser.h"
#include "preview/name_text.h"
#include "win32/gdi.h"
#include "win32/window.h"

// The window class of the view; a test or a driver finds the view by it.
inline constexpr char kNameViewClassName[] = "TNameView";

// A read-only view of a list of names, one name per line, wrapped at its width, without scroll
// bars: it reads the names from the list it was given and draws only the lines on screen, so it
// costs the same for ten names as for millions. It browses, selects and copies as a read-only
// multi-line edit of a Japanese system does (caret keys, pages, Home/End, Ctrl with the arrows by
// words, the wheel, click, drag, Shift, a double-click on a word and a drag by words after it,
// Ctrl+A, Ctrl+C and the edit's context menu with its access keys, the editing items greyed);
// nothing can be typed into it.
//
// Its window text is the list joined by CR LF, made only when asked for (WM_GETTEXT); setting it
// changes nothing. The font comes with WM_SETFONT and stays the sender's.
//
// Programs that read an edit by its messages read it as a read-only multi-line edit
// (name_view_messages_win32.cpp), and so does the system's accessibility layer: text, read-only,
// its value the list. The caret is the system's, and a change of the selection is announced as the
// edit announces it.
class TNameView : public TWindow {
 public:
  // The edit's style bits say what the view is to those who read them.
  static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_READONLY;
  static constexpr DWORD kExStyle = WS_EX_CLIENTEDGE;
  // Pixels between the client edges and the text, on the left and on the right.
  static constexpr int kMargin = 2;

  TNameView(HWND parent, const RECT& at);
  ~TNameView() override;

  // Shows `names` from the top with nothing selected. The list is read while it is shown: it must
  // stay unchanged until the view is gone or shows another list.
  void SetNames(const std::vector<std::string>& names);

  // Draws the lines that meet `area` of the client area.
  void Paint(HDC dc, const RECT& area);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:

  void ViewSetFont(HWND hwnd, HFONT font, BOOL redraw);
  void ViewSize(HWND hwnd, UINT state, int width, int height);
  void ViewSetFocus(HWND hwnd, HWND previous);
  void ViewKillFocus(HWND hwnd, HWND next);
  void ViewKeyDown(HWND hwnd, UINT key, BOOL down, int repeat, UINT flags);
  void ViewLButtonDown(HWND hwnd, BOOL doubleClick, int x, int y, UINT keys);
  void ViewMouseMove(HWND hwnd, int x, int y, UINT keys);
  void ViewLButtonUp(HWND hwnd, int x, int y, UINT keys);
  void ViewTimer(HWND hwnd, UINT id);
  void ViewMouseWheel(HWND hwnd, int x, int y, int delta, UINT keys);
  void ViewContextMenu(HWND hwnd, LPARAM at);

  // The edit's messages, the window text and the accessible object; the rest goes to the system.
  LRESULT EditMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT CharFromPos(int x, int y) const;
  LRESULT PosFromChar(std::size_t offset) const;
  LRESULT LineOfTheCaret() const;
  LRESULT SelectionLineLength() const;
  LRESULT GetLine(std::size_t number, char* buffer) const;
  void SetSelection(WPARAM start, LPARAM end);

  int CharWidth(unsigned code);
  void Changed();
  void UpdateCaret();
  long RowAt(int y) const;
  TTextPos PlaceAtPoint(int x, int y, bool& atLineEnd) const;
  void StopDragging();
  void CopySelection();
  void DrawLine(HDC dc, TDisplayLine line, int y, int right, TTextPos selectedFrom, TTextPos selectedTo);

  HFONT font_ = nullptr;
  TMemoryDC measureDc_;  // holds the font, for the widths of characters
  std::unique_ptr<TSelectObject> measureFont_;
  std::vector<int> widths_;  // by character code, -1 until measured
  int lineHeight_ = 1;
  TNameLayout layout_;
  TNameBrowser browser_;
  TNameText text_{layout_};
  TTextPos shownCaret_, shownAnchor_;  // the selection as last announced
  bool caretShown_ = false;
  bool dragging_ = false;
  bool draggingWords_ = false;  // the drag began with a double-click
  bool pressScrolled_ = false;  // the last single press scrolled the view
  int wheelDelta_ = 0;  // what is left of the wheel's turns below one notch
};
