#include "preview/name_view_win32.h"

#include <windowsx.h>

#include <algorithm>

#include "win32/clipboard.h"

namespace {

const std::vector<std::string> kNoNames;

constexpr UINT_PTR kDragTimer = 1;
constexpr UINT kDragInterval = 50;  // ms between lines scrolled while a drag holds beyond an edge

enum : UINT { kUndoCommand = 1, kCutCommand, kCopyCommand, kPasteCommand, kDeleteCommand, kSelectAllCommand };

bool KeyHeld(int key) { return GetKeyState(key) < 0; }

}  // namespace

TNameView::TNameView(HWND parent, const RECT& at)
    : layout_(kNoNames, [this](unsigned code) { return CharWidth(code); }, 0), browser_(layout_) {
  // Double clicks select a word; the view paints its whole client area itself.
  Create(kNameViewClassName, kExStyle, "", kStyle, at.left, at.top, at.right - at.left, at.bottom - at.top, parent,
         nullptr, TWindowClassLook{CS_DBLCLKS, reinterpret_cast<const char*>(IDC_IBEAM), nullptr});
  ViewSetFont(Handle(), nullptr, FALSE);
}

// The window goes before the members its messages could still reach.
TNameView::~TNameView() { Destroy(); }

void TNameView::SetNames(const std::vector<std::string>& names) {
  layout_.SetNames(names);
  browser_.Reset();
  Changed();
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, Handle(), OBJID_CLIENT, CHILDID_SELF);  // a new text, as the edit says
}

LRESULT TNameView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = Handle();
  if (HandlePaint(hwnd, message, wParam, [this](HDC dc, const RECT& area) { Paint(dc, area); })) return 0;
  switch (message) {
    HANDLE_MSG(hwnd, WM_SETFONT, ViewSetFont);
    HANDLE_MSG(hwnd, WM_SIZE, ViewSize);
    HANDLE_MSG(hwnd, WM_SETFOCUS, ViewSetFocus);
    HANDLE_MSG(hwnd, WM_KILLFOCUS, ViewKillFocus);
    HANDLE_MSG(hwnd, WM_KEYDOWN, ViewKeyDown);
    HANDLE_MSG(hwnd, WM_LBUTTONDOWN, ViewLButtonDown);
    HANDLE_MSG(hwnd, WM_LBUTTONDBLCLK, ViewLButtonDown);
    HANDLE_MSG(hwnd, WM_MOUSEMOVE, ViewMouseMove);
    HANDLE_MSG(hwnd, WM_LBUTTONUP, ViewLButtonUp);
    HANDLE_MSG(hwnd, WM_TIMER, ViewTimer);
    HANDLE_MSG(hwnd, WM_MOUSEWHEEL, ViewMouseWheel);
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_CONTEXTMENU:
      ViewContextMenu(hwnd, lParam);
      return 0;
    case WM_SYSKEYDOWN:
      // Shift+F10 opens the context menu here itself: not every system turns it into
      // WM_CONTEXTMENU. Other system keys (Alt+F4) go on to the window.
      if (wParam == VK_F10 && KeyHeld(VK_SHIFT)) {
        ViewContextMenu(hwnd, -1);
        return 0;
      }
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_KEYUP:
      // The menu key's menu opened when it went down (ViewKeyDown), not a second one now.
      if (wParam == VK_APPS) return 0;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd) StopDragging();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_COPY:
      CopySelection();
      return 0;
    case WM_SETTEXT:
      return FALSE;  // the list cannot be changed
    case WM_CHAR:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
      return 0;
    default:
      return EditMessage(message, wParam, lParam);
  }
}

int TNameView::CharWidth(unsigned code) {
  if (code >= widths_.size()) return 0;
  int& width = widths_[code];
  if (width < 0) {
    const char bytes[2] = {static_cast<char>(code > 0xFF ? code >> 8 : code), static_cast<char>(code & 0xFF)};
    SIZE size{};
    GetTextExtentPoint32A(measureDc_.Get(), code > 0xFF ? bytes : bytes + 1, code > 0xFF ? 2 : 1, &size);
    width = size.cx;
  }
  return width;
}

void TNameView::ViewSetFont(HWND hwnd, HFONT font, BOOL redraw) {
  font_ = font;
  measureFont_.reset();
  measureFont_ = std::make_unique<TSelectObject>(measureDc_.Get(), font ? font : GetStockObject(SYSTEM_FONT));
  TEXTMETRICA metrics{};
  GetTextMetricsA(measureDc_.Get(), &metrics);
  lineHeight_ = std::max<int>(metrics.tmHeight, 1);
  widths_.assign(0x10000, -1);
  layout_.SetMetrics([this](unsigned code) { return CharWidth(code); }, metrics.tmMaxCharWidth);
  RECT client;
  GetClientRect(hwnd, &client);
  browser_.Resize(layout_.Width(), client.bottom / lineHeight_);
  if (GetFocus() == hwnd) {
    // The caret takes the new line height.
    DestroyCaret();
    CreateCaret(hwnd, nullptr, 1, lineHeight_);
    caretShown_ = false;
    UpdateCaret();
  }
  if (redraw) Changed();
}

void TNameView::ViewSize(HWND hwnd, UINT state, int width, int height) {
  if (state == SIZE_MINIMIZED) return;
  browser_.Resize(std::max(width - 2 * kMargin, 1), height / lineHeight_);
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateCaret();
}

void TNameView::Changed() {
  InvalidateRect(Handle(), nullptr, FALSE);
  UpdateCaret();
  // Announced as the edit announces it, so that a screen reader speaks the selection as it
  // changes; the caret's own moves the system announces (SetCaretPos).
  if (browser_.Caret() != shownCaret_ || browser_.Anchor() != shownAnchor_) {
    shownCaret_ = browser_.Caret();
    shownAnchor_ = browser_.Anchor();
    NotifyWinEvent(EVENT_OBJECT_TEXTSELECTIONCHANGED, Handle(), OBJID_CLIENT, CHILDID_SELF);
  }
}

void TNameView::UpdateCaret() {
  if (GetFocus() != Handle()) return;
  const long row = browser_.CaretRow();
  RECT client;
  GetClientRect(Handle(), &client);
  const bool visible = row >= 0 && row * lineHeight_ < client.bottom;
  if (visible) {
    const int x = kMargin + layout_.XOf(browser_.Caret(), browser_.CaretLine());
    SetCaretPos(std::min<int>(x, std::max<int>(client.right - 1, 0)), static_cast<int>(row) * lineHeight_);
  }
  if (visible != caretShown_) {
    if (visible) {
      ShowCaret(Handle());
    } else {
      HideCaret(Handle());
    }
    caretShown_ = visible;
  }
}

void TNameView::ViewSetFocus(HWND hwnd, HWND) {
  CreateCaret(hwnd, nullptr, 1, lineHeight_);
  caretShown_ = false;
  Changed();  // the selection shows while the view has the focus
}

void TNameView::ViewKillFocus(HWND hwnd, HWND) {
  StopDragging();
  DestroyCaret();
  caretShown_ = false;
  InvalidateRect(hwnd, nullptr, FALSE);
}

void TNameView::ViewKeyDown(HWND hwnd, UINT key, BOOL, int, UINT) {
  const bool control = KeyHeld(VK_CONTROL);
  const bool shift = KeyHeld(VK_SHIFT);
  const auto move = [&](TCaretMove caretMove) {
    browser_.Move(caretMove, shift);
    Changed();
  };
  switch (key) {
    case VK_LEFT:
      return move(control ? TCaretMove::WordLeft : TCaretMove::CharLeft);
    case VK_RIGHT:
      return move(control ? TCaretMove::WordRight : TCaretMove::CharRight);
    case VK_UP:
      return move(TCaretMove::LineUp);
    case VK_DOWN:
      return move(TCaretMove::LineDown);
    case VK_PRIOR:
      return move(TCaretMove::PageUp);
    case VK_NEXT:
      return move(TCaretMove::PageDown);
    case VK_HOME:
      return move(control ? TCaretMove::ListHome : TCaretMove::LineHome);
    case VK_END:
      return move(control ? TCaretMove::ListEnd : TCaretMove::LineEnd);
    case 'A':
      if (control && !shift) {
        browser_.SelectAll();
        Changed();
      }
      return;
    case 'C':
    case VK_INSERT:
      if (control) CopySelection();
      return;
    case VK_APPS:
      return ViewContextMenu(hwnd, -1);
    default:
      return;
  }
}

long TNameView::RowAt(int y) const {
  // Rows above the top count from -1, so a drag above the view reaches the line before it.
  return y >= 0 ? y / lineHeight_ : -1 - (-y - 1) / lineHeight_;
}

TTextPos TNameView::PlaceAtPoint(int x, int y, bool& atLineEnd) const {
  return browser_.PlaceAt(RowAt(y), x - kMargin, atLineEnd);
}

void TNameView::ViewLButtonDown(HWND hwnd, BOOL doubleClick, int x, int y, UINT keys) {
  SetFocus(hwnd);
  draggingWords_ = doubleClick != FALSE;
  if (draggingWords_) {
    // The press before it may have scrolled a line half in view: the word is on the line that
    // press was on, which has moved from under the pointer.
    browser_.SelectWord(pressScrolled_ ? layout_.CharAt(browser_.CaretLine(), x - kMargin)
                                       : browser_.CharPlaceAt(RowAt(y), x - kMargin));
  } else {
    const TDisplayLine top = browser_.Top();
    bool atLineEnd = false;
    const TTextPos pos = PlaceAtPoint(x, y, atLineEnd);
    browser_.PlaceCaret(pos, atLineEnd, (keys & MK_SHIFT) != 0);
    pressScrolled_ = browser_.Top() != top;
  }
  dragging_ = true;
  SetCapture(hwnd);
  Changed();
}

void TNameView::ViewMouseMove(HWND hwnd, int x, int y, UINT) {
  if (!dragging_) return;
  // A pointer still over the word it was on changes nothing, so a double-click scrolls nothing.
  bool changed = true;
  if (draggingWords_) {
    changed = browser_.ExtendByWords(browser_.CharPlaceAt(RowAt(y), x - kMargin));
  } else {
    bool atLineEnd = false;
    const TTextPos pos = PlaceAtPoint(x, y, atLineEnd);
    browser_.PlaceCaret(pos, atLineEnd, true);
  }
  RECT client;
  GetClientRect(hwnd, &client);
  if (y < 0 || y >= client.bottom) {
    SetTimer(hwnd, kDragTimer, kDragInterval, nullptr);
  } else {
    KillTimer(hwnd, kDragTimer);
  }
  if (changed) Changed();
}

void TNameView::ViewLButtonUp(HWND, int, int, UINT) {
  if (!dragging_) return;
  StopDragging();
  ReleaseCapture();
}

void TNameView::StopDragging() {
  dragging_ = false;
  if (Handle()) KillTimer(Handle(), kDragTimer);
}

void TNameView::ViewTimer(HWND hwnd, UINT id) {
  if (id != kDragTimer || !dragging_) return;
  // The mouse holds still beyond an edge: go on scrolling a line at a time.
  POINT at;
  GetCursorPos(&at);
  ScreenToClient(hwnd, &at);
  ViewMouseMove(hwnd, at.x, at.y, 0);
}

void TNameView::ViewMouseWheel(HWND, int, int, int delta, UINT) {
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  wheelDelta_ += delta;
  const int notches = wheelDelta_ / WHEEL_DELTA;
  wheelDelta_ %= WHEEL_DELTA;
  if (notches == 0 || lines == 0) return;
  const long perNotch = lines == WHEEL_PAGESCROLL ? browser_.Rows() : static_cast<long>(lines);
  browser_.Scroll(-notches * perNotch);
  Changed();
}

void TNameView::ViewContextMenu(HWND hwnd, LPARAM at) {
  if (GetFocus() != hwnd) SetFocus(hwnd);
  POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (at == -1) {
    // From the keyboard: at the caret, or the view's corner when the caret is off screen.
    const long row = browser_.CaretRow();
    point = row < 0 ? POINT{0, 0}
                    : POINT{kMargin + layout_.XOf(browser_.Caret(), browser_.CaretLine()),
                            static_cast<int>(row + 1) * lineHeight_};
    ClientToScreen(hwnd, &point);
  }
  const auto [from, to] = browser_.Selection();
  const bool everything = from == TTextPos{} && to == layout_.End();
  const TMenu menu(CreatePopupMenu());
  if (!menu.Get()) return;
  // The edit control's own menu, so its access keys work here as the user knows them; what would
  // change the list stays greyed.
  const auto add = [&](UINT command, const char* text, bool enabled) {
    AppendMenuA(menu.Get(), MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), command, text);
  };
  add(kUndoCommand, "元に戻す(&U)", false);
  AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
  add(kCutCommand, "切り取り(&T)", false);
  add(kCopyCommand, "コピー(&C)", browser_.HasSelection());
  add(kPasteCommand, "貼り付け(&P)", false);
  add(kDeleteCommand, "削除(&D)", false);
  AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
  add(kSelectAllCommand, "すべて選択(&A)", !everything);
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, point.x, point.y, 0,
      hwnd, nullptr));
  if (command == kCopyCommand) {
    CopySelection();
  } else if (command == kSelectAllCommand) {
    browser_.SelectAll();
    Changed();
  }
}

void TNameView::CopySelection() {
  if (!browser_.HasSelection()) return;
  // The text goes straight into the clipboard's memory, its size known beforehand: a million
  // names are copied once, not built up in a string first. Made before the clipboard is opened,
  // so a copy that cannot be made leaves the clipboard as it was.
  const std::size_t size = browser_.SelectionSize();
  TGlobalMemory text = ClipboardMemory(size + 1);
  {
    const TGlobalLock<char> out(text.Get());
    out.Get()[browser_.CopySelection(out.Get(), size)] = '\0';
  }
  // The system turns the text into Unicode for programs that ask for it: by the system locale's
  // code page, the one the names are written in, not the keyboard's.
  TGlobalMemory locale = ClipboardMemory(sizeof(LCID));
  *TGlobalLock<LCID>(locale.Get()).Get() = GetSystemDefaultLCID();
  const TClipboard clipboard(Handle());
  if (!clipboard.IsOpen()) {
    MessageBeep(MB_ICONWARNING);
    return;
  }
  EmptyClipboard();
  if (SetClipboardData(CF_TEXT, text.Get())) text.Release();
  if (SetClipboardData(CF_LOCALE, locale.Get())) locale.Release();
}

void TNameView::Paint(HDC dc, const RECT& area) {
  RECT client;
  GetClientRect(Handle(), &client);
  const TSelectObject font(dc, font_ ? font_ : GetStockObject(SYSTEM_FONT));
  const TSaveTextColors colors(dc);
  SetBkMode(dc, OPAQUE);
  // Like the edit control, the selection shows only while the view has the focus.
  const bool selecting = GetFocus() == Handle() && browser_.HasSelection();
  const auto [from, to] = selecting ? browser_.Selection() : std::make_pair(TTextPos{}, TTextPos{});
  TDisplayLine line = browser_.Top();
  int y = 0;
  for (bool more = true; more && y < client.bottom && y < area.bottom; y += lineHeight_) {
    if (y + lineHeight_ > area.top) DrawLine(dc, line, y, client.right, from, to);
    more = layout_.Step(line, 1) == 1;
  }
  if (y < client.bottom) {
    const RECT below{0, y, client.right, client.bottom};
    FillRect(dc, &below, GetSysColorBrush(COLOR_WINDOW));
  }
}

void TNameView::DrawLine(HDC dc, TDisplayLine line, int y, int right, TTextPos selectedFrom, TTextPos selectedTo) {
  const std::string_view name = layout_.Name(line.Name);
  const auto [first, end] = layout_.LineBytes(line);
  // The selected bytes of this line, [selFirst, selEnd), empty when none.
  std::size_t selFirst = end, selEnd = end;
  if (selectedFrom.Name <= line.Name && line.Name <= selectedTo.Name && selectedFrom != selectedTo) {
    selFirst = line.Name == selectedFrom.Name ? std::clamp(selectedFrom.Byte, first, end) : first;
    selEnd = line.Name == selectedTo.Name ? std::clamp(selectedTo.Byte, first, end) : end;
    if (selEnd <= selFirst) selFirst = selEnd = end;
  }
  const auto draw = [&](std::size_t from, std::size_t to, int left, int boxRight, bool selected) {
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const RECT box{left, y, boxRight, y + lineHeight_};
    const int x = kMargin + layout_.XOf({line.Name, from}, line);
    ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &box, name.data() + from, static_cast<UINT>(to - from), nullptr);
  };
  const int selLeft = kMargin + layout_.XOf({line.Name, selFirst}, line);
  const int selRight = kMargin + layout_.XOf({line.Name, selEnd}, line);
  if (selFirst == selEnd) {
    draw(first, end, 0, right, false);
    return;
  }
  draw(first, selFirst, 0, selLeft, false);
  draw(selFirst, selEnd, selLeft, selRight, true);
  draw(selEnd, end, selRight, right, false);
}
