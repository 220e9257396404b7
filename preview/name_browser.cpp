#include "preview/name_browser.h"

#include <algorithm>
#include <tuple>

void TNameBrowser::Reset() {
  top_ = {};
  topByte_ = 0;
  caret_ = anchor_ = {};
  caretAtLineEnd_ = false;
  goalX_ = -1;
  wordFrom_ = wordTo_ = {};
}

void TNameBrowser::Resize(int width, int rows) {
  rows_ = std::max(rows, 1);
  layout_.SetWidth(width);
  top_ = layout_.LineOf({top_.Name, topByte_});
  ClampTop();
}

std::pair<TTextPos, TTextPos> TNameBrowser::Selection() const {
  return caret_ < anchor_ ? std::make_pair(caret_, anchor_) : std::make_pair(anchor_, caret_);
}

TDisplayLine TNameBrowser::LastPageTop() const {
  TDisplayLine line = layout_.LastLine();
  layout_.Step(line, -(rows_ - 1));
  return line;
}

void TNameBrowser::ClampTop() {
  // Only the last names are laid out: the bound is a page back from the end.
  const TDisplayLine last = LastPageTop();
  if (last < top_) top_ = last;
  topByte_ = layout_.LineBytes(top_).first;
}

void TNameBrowser::ScrollCaretIntoView() {
  const TDisplayLine line = CaretLine();
  if (line < top_) {
    top_ = line;
  } else {
    TDisplayLine bottom = top_;
    layout_.Step(bottom, rows_ - 1);
    if (bottom < line) {
      top_ = line;
      layout_.Step(top_, -(rows_ - 1));
    }
  }
  ClampTop();
}

void TNameBrowser::Scroll(long lines) {
  layout_.Step(top_, lines);
  ClampTop();
}

long TNameBrowser::CaretRow() const {
  const TDisplayLine line = CaretLine();
  if (line < top_) return -1;
  TDisplayLine at = top_;
  for (long row = 0; row <= rows_; ++row) {
    if (at == line) return row;
    if (layout_.Step(at, 1) == 0) break;
  }
  return -1;
}

void TNameBrowser::SetCaret(TTextPos pos, bool atLineEnd, bool extend) {
  caret_ = pos;
  caretAtLineEnd_ = atLineEnd && layout_.LineOf(pos, true) != layout_.LineOf(pos, false);
  if (!extend) anchor_ = pos;
}

int TNameBrowser::GoalX() {
  if (goalX_ < 0) goalX_ = layout_.XOf(caret_, CaretLine());
  return goalX_;
}

void TNameBrowser::Move(TCaretMove move, bool extend) {
  const bool vertical = move == TCaretMove::LineUp || move == TCaretMove::LineDown || move == TCaretMove::PageUp ||
                        move == TCaretMove::PageDown;
  if (!vertical) goalX_ = -1;
  const auto toLine = [&](TDisplayLine line) {
    const TTextPos pos = layout_.PosAt(line, GoalX());
    SetCaret(pos, layout_.IsWrapped(line) && pos.Byte == layout_.LineBytes(line).second, extend);
  };
  TDisplayLine line = CaretLine();
  switch (move) {
    case TCaretMove::CharLeft:
      SetCaret(layout_.PrevChar(caret_), false, extend);
      break;
    case TCaretMove::CharRight:
      SetCaret(layout_.NextChar(caret_), false, extend);
      break;
    case TCaretMove::WordLeft:
      SetCaret(layout_.PrevWord(caret_), false, extend);
      break;
    case TCaretMove::WordRight:
      SetCaret(layout_.NextWord(caret_), false, extend);
      break;
    case TCaretMove::LineUp:
    case TCaretMove::LineDown: {
      GoalX();
      if (layout_.Step(line, move == TCaretMove::LineUp ? -1 : 1) != 0) toLine(line);
      break;
    }
    case TCaretMove::PageUp:
    case TCaretMove::PageDown: {
      // The view and the caret move by the same page, so the caret keeps its row where it can.
      GoalX();
      const long page = move == TCaretMove::PageUp ? -rows_ : rows_;
      layout_.Step(line, page);
      toLine(line);
      layout_.Step(top_, page);
      ClampTop();
      break;
    }
    case TCaretMove::LineHome:
      SetCaret({line.Name, layout_.LineBytes(line).first}, false, extend);
      break;
    case TCaretMove::LineEnd:
      SetCaret({line.Name, layout_.LineBytes(line).second}, layout_.IsWrapped(line), extend);
      break;
    case TCaretMove::ListHome:
      SetCaret({}, false, extend);
      break;
    case TCaretMove::ListEnd:
      SetCaret(layout_.End(), false, extend);
      break;
  }
  ScrollCaretIntoView();
}

TTextPos TNameBrowser::PlaceAt(long row, int x, bool& atLineEnd) const {
  TDisplayLine line = top_;
  layout_.Step(line, row);
  const TTextPos pos = layout_.PosAt(line, x);
  atLineEnd = layout_.IsWrapped(line) && pos.Byte == layout_.LineBytes(line).second;
  return pos;
}

void TNameBrowser::PlaceCaret(TTextPos pos, bool atLineEnd, bool extend) {
  goalX_ = -1;
  SetCaret(pos, atLineEnd, extend);
  ScrollCaretIntoView();
}

void TNameBrowser::SelectAll() {
  // Like the edit control, selecting everything leaves the view where it is.
  goalX_ = -1;
  anchor_ = {};
  caret_ = layout_.End();
  caretAtLineEnd_ = false;
}

void TNameBrowser::Select(TTextPos anchor, TTextPos caret) {
  goalX_ = -1;
  anchor_ = anchor;
  SetCaret(caret, false, true);
}

TTextPos TNameBrowser::CharPlaceAt(long row, int x) const {
  TDisplayLine line = top_;
  layout_.Step(line, row);
  return layout_.CharAt(line, x);
}

void TNameBrowser::SelectWord(TTextPos pos) {
  goalX_ = -1;
  std::tie(wordFrom_, wordTo_) = layout_.WordAt(pos);
  anchor_ = wordFrom_;
  // A word that ends where its line wraps keeps the caret on its own line.
  SetCaret(wordTo_, true, true);
}

bool TNameBrowser::ExtendByWords(TTextPos pos) {
  const auto [from, to] = layout_.WordAt(pos);
  // The word picked first stays selected, whichever way the drag goes.
  const bool back = from < wordFrom_;
  const TTextPos anchor = back ? wordTo_ : wordFrom_;
  const TTextPos caret = back ? from : to;
  if (anchor == anchor_ && caret == caret_) return false;
  goalX_ = -1;
  anchor_ = anchor;
  SetCaret(caret, !back, true);
  ScrollCaretIntoView();
  return true;
}

std::size_t TNameBrowser::SelectionSize() const {
  const auto [from, to] = Selection();
  return layout_.TextSize(from, to);
}

std::size_t TNameBrowser::CopySelection(char* out, std::size_t capacity) const {
  const auto [from, to] = Selection();
  return layout_.CopyText(from, to, out, capacity);
}
