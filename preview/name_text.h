#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "preview/name_layout.h"

// The laid-out list as a multi-line edit's messages see it: a place is an offset into the list's
// text (the names joined by CR LF, in bytes of the ANSI text), a display line a number from the
// first line, and a wrapped name is several lines, as in the edit.
//
// At millions of names nothing is laid out without need. Offsets come from the names' sizes,
// summed once per list for every block of kBlock names; line numbers from the lines of the blocks
// before the one asked about, counted only as far as a question reaches (all of them for the
// line count) and kept until the layout changes. Past that, an answer walks one block at most.
class TNameText {
 public:
  static constexpr std::size_t kBlock = 256;

  explicit TNameText(const TNameLayout& layout) : layout_(layout) {}

  std::size_t Length() const;
  std::size_t OffsetOf(TTextPos pos) const;
  // The place at `offset`: its character's start inside a double-byte character, the end of the
  // name before inside a line break, the end of the text beyond it.
  TTextPos PosAt(std::size_t offset) const;

  std::size_t LineCount() const;
  std::size_t NumberOf(TDisplayLine line) const;
  std::optional<TDisplayLine> LineNumbered(std::size_t number) const;
  // The number of the line that holds the character at `offset` (a place where a name wraps
  // starts the next line).
  std::size_t LineNumberAt(std::size_t offset) const { return NumberOf(layout_.LineOf(PosAt(offset))); }
  std::size_t LineStart(TDisplayLine line) const { return OffsetOf({line.Name, layout_.LineBytes(line).first}); }
  // The line's bytes, without the line break after it.
  std::size_t LineLength(TDisplayLine line) const;
  // The bytes of the lines that hold the selection [from, to) outside it: what is left of the
  // first line before it and of the last line after it.
  std::size_t UnselectedOnLines(TTextPos from, TTextPos to) const;

 private:
  void Refresh() const;
  // Counts the lines of blocks until `enough` accepts the lines before the next block, or all.
  template <typename Enough>
  void CountLinesUntil(Enough&& enough) const;
  std::size_t BlockCount() const { return (layout_.NameCount() + kBlock - 1) / kBlock; }

  const TNameLayout& layout_;
  mutable std::size_t namesRevision_ = static_cast<std::size_t>(-1);
  mutable std::size_t revision_ = static_cast<std::size_t>(-1);
  // offsets_[b]: the offset of name b * kBlock; the last, the text's length plus a line break.
  mutable std::vector<std::size_t> offsets_;
  // lines_[b]: the display lines before name b * kBlock, for the blocks counted so far.
  mutable std::vector<std::size_t> lines_;
};
