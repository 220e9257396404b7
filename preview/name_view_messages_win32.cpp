// What the list answers to programs that read it as a read-only multi-line edit: screen readers
// and automation tools, through the system's accessibility layer or by the edit's messages.
// Places are offsets into the window text, in bytes of the ANSI text as the edit's A messages
// count them, and never inside a double-byte character; lines are display lines, so a wrapped
// name is several, as in the edit. TNameText answers at millions of names without laying out
// the list (name_text.h says what each question costs).
#include <windowsx.h>

#include <cstring>

#include "preview/name_view_accessible_win32.h"
#include "preview/name_view_win32.h"

namespace {

// -1 stands for the caret or the selection, as each message says.
bool IsMinusOne(WPARAM value) { return static_cast<int>(value) == -1; }

// Two offsets or line numbers packed in one result, cut to 16 bits each as the edit cuts them.
LRESULT Pack(std::size_t low, std::size_t high) {
  return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(low), static_cast<WORD>(high)));
}

}  // namespace

LRESULT TNameView::EditMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = Handle();
  switch (message) {
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(text_.Length());
    case WM_GETTEXT: {
      if (wParam == 0) return 0;
      char* out = reinterpret_cast<char*>(lParam);
      const std::size_t size = layout_.CopyText({}, layout_.End(), out, wParam - 1);
      out[size] = '\0';
      return static_cast<LRESULT>(size);
    }
    case WM_GETOBJECT:
      if (static_cast<LONG>(lParam) == OBJID_QUERYCLASSNAMEIDX) return kEditClassIndex;
      if (static_cast<LONG>(lParam) == OBJID_CLIENT) return ReadOnlyEditObject(hwnd, wParam);
      break;
    case EM_GETLINECOUNT:
      return static_cast<LRESULT>(text_.LineCount());
    case EM_LINEINDEX: {
      if (IsMinusOne(wParam)) return static_cast<LRESULT>(text_.LineStart(browser_.CaretLine()));
      const auto line = text_.LineNumbered(wParam);
      return line ? static_cast<LRESULT>(text_.LineStart(*line)) : -1;
    }
    case EM_LINELENGTH:
      if (IsMinusOne(wParam)) return SelectionLineLength();
      if (wParam > text_.Length()) return 0;
      return static_cast<LRESULT>(text_.LineLength(layout_.LineOf(text_.PosAt(wParam))));
    case EM_GETLINE:
      return GetLine(wParam, reinterpret_cast<char*>(lParam));
    case EM_LINEFROMCHAR:
      return IsMinusOne(wParam) ? LineOfTheCaret() : static_cast<LRESULT>(text_.LineNumberAt(wParam));
    case EM_GETSEL: {
      const auto [from, to] = browser_.Selection();
      const std::size_t start = text_.OffsetOf(from), end = text_.OffsetOf(to);
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
      return start > 0xFFFF || end > 0xFFFF ? -1 : Pack(start, end);
    }
    case EM_SETSEL:
      SetSelection(wParam, lParam);
      return 0;
    case EM_GETFIRSTVISIBLELINE:
      return static_cast<LRESULT>(text_.NumberOf(browser_.Top()));
    case EM_LINESCROLL:
      // The lines wrap: there is nothing to scroll sideways.
      browser_.Scroll(static_cast<long>(lParam));
      Changed();
      return TRUE;
    case EM_SCROLLCARET:
      browser_.ScrollCaretIntoView();
      Changed();
      return TRUE;
    case EM_POSFROMCHAR:
      return PosFromChar(wParam);
    case EM_CHARFROMPOS:
      return CharFromPos(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case EM_GETRECT:
      if (lParam) {
        RECT client;
        GetClientRect(hwnd, &client);
        *reinterpret_cast<RECT*>(lParam) = RECT{kMargin, 0, client.right - kMargin, browser_.Rows() * lineHeight_};
      }
      return 0;
    case EM_GETMODIFY:
    case EM_CANUNDO:
      return FALSE;
    case EM_SETREADONLY:
      return wParam != 0;  // it stays read-only: only that succeeds
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT TNameView::LineOfTheCaret() const {
  // As the edit: the line of the selection's start, or of the caret when nothing is selected.
  const TDisplayLine line = browser_.HasSelection() ? layout_.LineOf(browser_.Selection().first) : browser_.CaretLine();
  return static_cast<LRESULT>(text_.NumberOf(line));
}

LRESULT TNameView::SelectionLineLength() const {
  const auto [from, to] = browser_.Selection();
  return static_cast<LRESULT>(text_.UnselectedOnLines(from, to));
}

LRESULT TNameView::GetLine(std::size_t number, char* buffer) const {
  const auto line = text_.LineNumbered(number);
  if (!line || !buffer) return 0;
  WORD capacity;  // the buffer's first word holds its size
  std::memcpy(&capacity, buffer, sizeof capacity);
  const auto [first, end] = layout_.LineBytes(*line);
  return static_cast<LRESULT>(layout_.CopyText({line->Name, first}, {line->Name, end}, buffer, capacity));
}

void TNameView::SetSelection(WPARAM start, LPARAM end) {
  // A program's selection scrolls nothing; EM_SCROLLCARET brings the caret into view.
  if (IsMinusOne(start)) {
    browser_.Select(browser_.Caret(), browser_.Caret());
  } else {
    browser_.Select(text_.PosAt(start), text_.PosAt(static_cast<WPARAM>(end)));
  }
  Changed();
}

LRESULT TNameView::PosFromChar(std::size_t offset) const {
  if (offset >= text_.Length()) return -1;
  const TTextPos pos = text_.PosAt(offset);
  const TDisplayLine line = layout_.LineOf(pos);
  const long long row =
      static_cast<long long>(text_.NumberOf(line)) - static_cast<long long>(text_.NumberOf(browser_.Top()));
  const int x = kMargin + layout_.XOf(pos, line);
  return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(row * lineHeight_)));
}

LRESULT TNameView::CharFromPos(int x, int y) const {
  RECT client;
  GetClientRect(Handle(), &client);
  if (!PtInRect(&client, POINT{x, y})) return -1;
  TDisplayLine line = browser_.Top();
  layout_.Step(line, y / lineHeight_);
  // A place past the end of a wrapped line is that line's, as where a click there puts the caret.
  return Pack(text_.OffsetOf(layout_.PosAt(line, x - kMargin)), text_.NumberOf(line));
}
