#pragma once

#include <cstddef>
#include <utility>

#include "preview/name_layout.h"

// Browsing a laid-out list as a read-only multi-line edit does: the caret, the selection and the
// lines on screen. Like the layout, it walks over the lines it needs and no more.

// How the caret can move.
enum class TCaretMove {
  CharLeft,
  CharRight,
  WordLeft,
  WordRight,
  LineUp,
  LineDown,
  PageUp,
  PageDown,
  LineHome,
  LineEnd,
  ListHome,
  ListEnd,
};

// What the view shows and where the caret and selection stand: the first display line on
// screen, the caret and the anchor of the selection (the other end). The view shows `rows` whole
// lines; the last line of the list may stand at its bottom, not higher.
class TNameBrowser {
 public:
  explicit TNameBrowser(TNameLayout& layout) : layout_(layout) {}

  // Back to the top with nothing selected, for a new list.
  void Reset();
  // A new width, number of rows or font: the first character on screen stays on screen.
  void Resize(int width, int rows);
  int Rows() const { return rows_; }

  TDisplayLine Top() const { return top_; }
  TTextPos Caret() const { return caret_; }
  TTextPos Anchor() const { return anchor_; }
  // The caret stands at the end of a wrapped line rather than at the start of the next.
  bool CaretAtLineEnd() const { return caretAtLineEnd_; }
  TDisplayLine CaretLine() const { return layout_.LineOf(caret_, caretAtLineEnd_); }
  // The selection's ends in order.
  std::pair<TTextPos, TTextPos> Selection() const;
  bool HasSelection() const { return caret_ != anchor_; }

  // Moves the caret; with `extend` the anchor stays, so the selection grows or shrinks. The caret
  // is scrolled into view.
  void Move(TCaretMove move, bool extend);
  // Moves the view by `lines` (up for a negative count); the caret stays where it is.
  void Scroll(long lines);
  // The place at `x` pixels on the display line `row` rows below the top (above it for a negative
  // row), as a click there would put the caret; true in `atLineEnd` for the end of a wrapped line.
  TTextPos PlaceAt(long row, int x, bool& atLineEnd) const;
  // Puts the caret at `pos` (a place from PlaceAt), scrolled into view.
  void PlaceCaret(TTextPos pos, bool atLineEnd, bool extend);
  void SelectAll();
  // Selects from `anchor` to `caret` and scrolls nothing, as a program's selection does.
  void Select(TTextPos anchor, TTextPos caret);
  // Scrolls the least that brings the caret's line into view.
  void ScrollCaretIntoView();
  // The place before the character at `x` on the display line `row` rows below the top, as a
  // double-click there picks its word.
  TTextPos CharPlaceAt(long row, int x) const;
  // Selects the word of the character at `pos` with its trailing spaces, the caret at its end,
  // and scrolls nothing: a double-click. A drag that follows goes on by words (ExtendByWords).
  void SelectWord(TTextPos pos);
  // Extends the selection by whole words to the word of the character at `pos`, keeping the word
  // SelectWord picked selected; false when the selection stays as it was.
  bool ExtendByWords(TTextPos pos);
  // The row of the caret's line below the top, or -1 when it is not on screen.
  long CaretRow() const;

  std::size_t SelectionSize() const;
  std::size_t CopySelection(char* out, std::size_t capacity) const;

 private:
  void ClampTop();
  TDisplayLine LastPageTop() const;
  void SetCaret(TTextPos pos, bool atLineEnd, bool extend);
  int GoalX();

  TNameLayout& layout_;
  int rows_ = 1;
  TDisplayLine top_;
  std::size_t topByte_ = 0;  // the first byte on screen, to keep over a change of width
  TTextPos caret_;
  TTextPos anchor_;
  bool caretAtLineEnd_ = false;
  int goalX_ = -1;  // where vertical moves aim, kept over a run of them
  TTextPos wordFrom_, wordTo_;  // the word SelectWord picked
};
