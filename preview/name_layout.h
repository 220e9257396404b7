#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The layout of a read-only list of names shown one name per line, wrapped at the view's width:
// with its browser (name_browser.h), the part of the preview that needs no window. Nothing here
// looks at more of the list than the lines it walks over, so a list of millions of names costs
// what is on screen.
//
// An empty list reads as one empty name: it shows one empty line, and selecting all of it
// selects nothing.

// A place between two characters: before byte `Byte` of name `Name` (at the name's size: after
// its last character).
struct TTextPos {
  std::size_t Name = 0;
  std::size_t Byte = 0;
};

inline bool operator==(TTextPos a, TTextPos b) { return a.Name == b.Name && a.Byte == b.Byte; }
inline bool operator!=(TTextPos a, TTextPos b) { return !(a == b); }
inline bool operator<(TTextPos a, TTextPos b) { return a.Name != b.Name ? a.Name < b.Name : a.Byte < b.Byte; }

// One display line: line `Line` (from 0) of those name `Name` wraps onto.
struct TDisplayLine {
  std::size_t Name = 0;
  std::size_t Line = 0;
};

inline bool operator==(TDisplayLine a, TDisplayLine b) { return a.Name == b.Name && a.Line == b.Line; }
inline bool operator!=(TDisplayLine a, TDisplayLine b) { return !(a == b); }
inline bool operator<(TDisplayLine a, TDisplayLine b) {
  return a.Name != b.Name ? a.Name < b.Name : a.Line < b.Line;
}

// The advance of one character in pixels: `code` is the byte of a single-byte character, or the
// lead byte times 256 plus the second byte of a double-byte one.
using TCharWidth = std::function<int(unsigned code)>;

// Where each name's display lines break at a given width, and the places on those lines.
//
// Words are those of a Japanese system's edit control: a run of single-byte characters other
// than spaces is one word, each double-byte character is a word of its own, and spaces belong to
// the word before them. A line breaks before the last word that starts on it when the next
// character does not fit (spaces after it stay on the line, past the edge if need be); only a
// word wider than the whole line breaks inside, before its first character that does not fit,
// never inside a double-byte character. Every line holds at least one character.
class TNameLayout {
 public:
  // `widestChar` bounds every character's advance: a name whose bytes times it fit the width is
  // one line without measuring. The list must outlive the layout, or be replaced first.
  TNameLayout(const std::vector<std::string>& names, TCharWidth charWidth, int widestChar);

  void SetNames(const std::vector<std::string>& names);
  // The width lines may fill, in pixels.
  void SetWidth(int width);
  int Width() const { return width_; }
  // A new font: new widths, the same width to fill.
  void SetMetrics(TCharWidth charWidth, int widestChar);

  // Counts the changes that can move a line break (another list, width or font), so that what is
  // worked out from the lines is kept while it stays the same; NamesRevision only new lists.
  std::size_t Revision() const { return revision_; }
  std::size_t NamesRevision() const { return namesRevision_; }

  std::size_t NameCount() const { return names_->empty() ? 1 : names_->size(); }
  std::string_view Name(std::size_t name) const;

  // The byte where each display line of the name starts; the first is 0.
  const std::vector<std::size_t>& LineStarts(std::size_t name) const;
  std::size_t LineCount(std::size_t name) const;
  // The bytes [first, second) of the line.
  std::pair<std::size_t, std::size_t> LineBytes(TDisplayLine line) const;
  // True for a line that breaks inside its name (not the name's last).
  bool IsWrapped(TDisplayLine line) const { return line.Line + 1 < LineCount(line.Name); }

  TDisplayLine LastLine() const;
  // Moves `line` by up to `count` lines (back for a negative count), stopping at the first or
  // last line; returns how many lines it moved (negative when back).
  long Step(TDisplayLine& line, long count) const;

  // The line that shows `pos`. A place where a name wraps is both the end of one line and the
  // start of the next: `atLineEnd` picks the first.
  TDisplayLine LineOf(TTextPos pos, bool atLineEnd = false) const;
  // The distance in pixels from the start of `line` to `pos`, which lies on it.
  int XOf(TTextPos pos, TDisplayLine line) const;
  // The place on `line` nearest to `x` pixels from its start.
  TTextPos PosAt(TDisplayLine line, int x) const;
  // The place before the character under `x` pixels from the start of `line`: its last character
  // past its end, its start when it is empty.
  TTextPos CharAt(TDisplayLine line, int x) const;

  TTextPos End() const;
  TTextPos NextChar(TTextPos pos) const;
  TTextPos PrevChar(TTextPos pos) const;
  // To the start of the next word (after the spaces that end this one), or to the next name.
  TTextPos NextWord(TTextPos pos) const;
  // To the start of this word, or of the one before when already there, or to the name before.
  TTextPos PrevWord(TTextPos pos) const;
  // The word of the character at `pos` (of the last one at the name's end) with the spaces after
  // it: [its start, the next word's start).
  std::pair<TTextPos, TTextPos> WordAt(TTextPos pos) const;

  // The text between two places, names separated by kLineBreak, as copying gives it: for the
  // whole list, JoinLines of the names with breaks between. Written straight into the caller's
  // buffer, so the text of millions of names is never held twice.
  std::size_t TextSize(TTextPos from, TTextPos to) const;
  // Writes at most `capacity` bytes of that text to `out` (no terminator) and returns how many; a
  // double-byte character that does not fit whole is left out.
  std::size_t CopyText(TTextPos from, TTextPos to, char* out, std::size_t capacity) const;

 private:
  std::size_t NextBreak(std::string_view name, std::size_t start) const;
  bool FitsUnmeasured(std::size_t bytes) const;
  TTextPos Place(TDisplayLine line, int x, bool nearest) const;
  int CharWidthAt(std::string_view text, std::size_t at) const;

  const std::vector<std::string>* names_;
  TCharWidth charWidth_;
  int widestChar_;
  int width_ = 0;
  std::size_t revision_ = 0;
  std::size_t namesRevision_ = 0;
  // The last name wrapped: browsing asks about the same name several times in a row.
  mutable std::size_t wrappedName_ = static_cast<std::size_t>(-1);
  mutable std::vector<std::size_t> wrappedStarts_;
};
