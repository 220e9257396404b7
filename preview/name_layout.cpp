#include "preview/name_layout.h"

#include <algorithm>
#include <cstring>

#include "naming/mbcs.h"
#include "naming/text_lines.h"

namespace {

const std::vector<std::string> kNoNames;

bool IsSpace(char c) { return c == ' '; }

// What a character is to the words of a Japanese system's edit control.
enum class TCharKind { Space, Single, Double };

TCharKind KindAt(std::string_view text, std::size_t at) {
  if (CharLength(text, at) == 2) return TCharKind::Double;
  return IsSpace(text[at]) ? TCharKind::Space : TCharKind::Single;
}

// True when a word starts at a character of kind `here` that follows one of kind `before`: spaces
// join the word before them, single-byte characters the run they are in.
bool StartsWord(TCharKind before, TCharKind here) {
  return here != TCharKind::Space && (before != TCharKind::Single || here == TCharKind::Double);
}

// The first word start after the character at `at`, or the text's end.
std::size_t NextWordStart(std::string_view text, std::size_t at) {
  TCharKind before = KindAt(text, at);
  for (at += CharLength(text, at); at < text.size(); at += CharLength(text, at)) {
    const TCharKind here = KindAt(text, at);
    if (StartsWord(before, here)) return at;
    before = here;
  }
  return text.size();
}

// The start of the word of the character at `at`. Double-byte text can only be read forwards: this
// walks from the text's start.
std::size_t WordStartAt(std::string_view text, std::size_t at) {
  std::size_t start = 0;
  TCharKind before = TCharKind::Space;
  for (std::size_t next = 0; next <= at && next < text.size(); next += CharLength(text, next)) {
    const TCharKind here = KindAt(text, next);
    if (next > 0 && StartsWord(before, here)) start = next;
    before = here;
  }
  return start;
}

}  // namespace

TNameLayout::TNameLayout(const std::vector<std::string>& names, TCharWidth charWidth, int widestChar)
    : names_(&names), charWidth_(std::move(charWidth)), widestChar_(widestChar) {}

void TNameLayout::SetNames(const std::vector<std::string>& names) {
  names_ = &names;
  ++revision_;
  ++namesRevision_;
  wrappedName_ = static_cast<std::size_t>(-1);
}

void TNameLayout::SetWidth(int width) {
  if (width == width_) return;
  width_ = width;
  ++revision_;
  wrappedName_ = static_cast<std::size_t>(-1);
}

void TNameLayout::SetMetrics(TCharWidth charWidth, int widestChar) {
  charWidth_ = std::move(charWidth);
  widestChar_ = widestChar;
  ++revision_;
  wrappedName_ = static_cast<std::size_t>(-1);
}

std::string_view TNameLayout::Name(std::size_t name) const {
  return name < names_->size() ? std::string_view((*names_)[name]) : std::string_view();
}

int TNameLayout::CharWidthAt(std::string_view text, std::size_t at) const {
  unsigned code = static_cast<unsigned char>(text[at]);
  if (CharLength(text, at) == 2) code = code << 8 | static_cast<unsigned char>(text[at + 1]);
  return charWidth_(code);
}

// Generated names are short: most fit even if every byte were the widest character.
bool TNameLayout::FitsUnmeasured(std::size_t bytes) const {
  return widestChar_ > 0 && static_cast<long long>(bytes) * widestChar_ <= width_;
}

std::size_t TNameLayout::NextBreak(std::string_view name, std::size_t start) const {
  if (FitsUnmeasured(name.size() - start)) return name.size();
  int x = 0;
  std::size_t lastWordStart = std::string_view::npos;
  TCharKind before = TCharKind::Space;
  for (std::size_t at = start; at < name.size(); at += CharLength(name, at)) {
    const TCharKind here = KindAt(name, at);
    const bool wordStart = at > start && StartsWord(before, here);
    x += CharWidthAt(name, at);
    if (x > width_ && at > start) {
      if (here == TCharKind::Space) {
        // Spaces that do not fit hang past the edge: the next line starts with the next word.
        while (at < name.size() && IsSpace(name[at])) ++at;
        return at;
      }
      if (wordStart || lastWordStart == std::string_view::npos) return at;
      return lastWordStart;
    }
    if (wordStart) lastWordStart = at;
    before = here;
  }
  return name.size();
}

const std::vector<std::size_t>& TNameLayout::LineStarts(std::size_t name) const {
  if (name == wrappedName_) return wrappedStarts_;
  const std::string_view text = Name(name);
  wrappedStarts_.assign(1, 0);
  for (std::size_t start = 0;;) {
    start = NextBreak(text, start);
    if (start >= text.size()) break;
    wrappedStarts_.push_back(start);
  }
  wrappedName_ = name;
  return wrappedStarts_;
}

std::size_t TNameLayout::LineCount(std::size_t name) const {
  // Counting the lines of a million names that fit stays a walk over their sizes.
  if (FitsUnmeasured(Name(name).size())) return 1;
  return LineStarts(name).size();
}

std::pair<std::size_t, std::size_t> TNameLayout::LineBytes(TDisplayLine line) const {
  const std::vector<std::size_t>& starts = LineStarts(line.Name);
  const std::size_t first = starts[line.Line];
  return {first, line.Line + 1 < starts.size() ? starts[line.Line + 1] : Name(line.Name).size()};
}

TDisplayLine TNameLayout::LastLine() const {
  const std::size_t name = NameCount() - 1;
  return {name, LineCount(name) - 1};
}

long TNameLayout::Step(TDisplayLine& line, long count) const {
  long moved = 0;
  while (moved < count) {
    if (line.Line + 1 < LineCount(line.Name)) {
      ++line.Line;
    } else if (line.Name + 1 < NameCount()) {
      line = {line.Name + 1, 0};
    } else {
      break;
    }
    ++moved;
  }
  while (moved > count) {
    if (line.Line > 0) {
      --line.Line;
    } else if (line.Name > 0) {
      line = {line.Name - 1, LineCount(line.Name - 1) - 1};
    } else {
      break;
    }
    --moved;
  }
  return moved;
}

TDisplayLine TNameLayout::LineOf(TTextPos pos, bool atLineEnd) const {
  const std::vector<std::size_t>& starts = LineStarts(pos.Name);
  std::size_t line = static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), pos.Byte) - starts.begin()) - 1;
  if (atLineEnd && line > 0 && starts[line] == pos.Byte) --line;
  return {pos.Name, line};
}

int TNameLayout::XOf(TTextPos pos, TDisplayLine line) const {
  const std::string_view text = Name(line.Name);
  int x = 0;
  for (std::size_t at = LineBytes(line).first; at < pos.Byte && at < text.size(); at += CharLength(text, at)) {
    x += CharWidthAt(text, at);
  }
  return x;
}

TTextPos TNameLayout::PosAt(TDisplayLine line, int x) const { return Place(line, x, true); }

TTextPos TNameLayout::CharAt(TDisplayLine line, int x) const { return Place(line, x, false); }

TTextPos TNameLayout::Place(TDisplayLine line, int x, bool nearest) const {
  const std::string_view text = Name(line.Name);
  const auto [first, end] = LineBytes(line);
  int left = 0;
  std::size_t last = first;
  for (std::size_t at = first; at < end; at += CharLength(text, at)) {
    const int advance = CharWidthAt(text, at);
    // The nearer edge of the character under `x`, or that character's start.
    if (x < left + (nearest ? (advance + 1) / 2 : advance)) return {line.Name, at};
    left += advance;
    last = at;
  }
  return {line.Name, nearest ? end : last};
}

TTextPos TNameLayout::End() const {
  const std::size_t name = NameCount() - 1;
  return {name, Name(name).size()};
}

TTextPos TNameLayout::NextChar(TTextPos pos) const {
  const std::string_view text = Name(pos.Name);
  if (pos.Byte < text.size()) return {pos.Name, pos.Byte + CharLength(text, pos.Byte)};
  if (pos.Name + 1 < NameCount()) return {pos.Name + 1, 0};
  return pos;
}

TTextPos TNameLayout::PrevChar(TTextPos pos) const {
  if (pos.Byte == 0) return pos.Name > 0 ? TTextPos{pos.Name - 1, Name(pos.Name - 1).size()} : pos;
  return {pos.Name, CharStart(Name(pos.Name), pos.Byte - 1)};
}

TTextPos TNameLayout::NextWord(TTextPos pos) const {
  const std::string_view text = Name(pos.Name);
  if (pos.Byte >= text.size()) return NextChar(pos);
  return {pos.Name, NextWordStart(text, pos.Byte)};
}

TTextPos TNameLayout::PrevWord(TTextPos pos) const {
  if (pos.Byte == 0) return PrevChar(pos);
  return {pos.Name, WordStartAt(Name(pos.Name), PrevChar(pos).Byte)};
}

std::pair<TTextPos, TTextPos> TNameLayout::WordAt(TTextPos pos) const {
  const std::string_view text = Name(pos.Name);
  if (text.empty()) return {pos, pos};
  const std::size_t at = pos.Byte < text.size() ? pos.Byte : PrevChar(pos).Byte;
  return {{pos.Name, WordStartAt(text, at)}, {pos.Name, NextWordStart(text, at)}};
}

std::size_t TNameLayout::TextSize(TTextPos from, TTextPos to) const {
  if (to < from) std::swap(from, to);
  if (from.Name == to.Name) return to.Byte - from.Byte;
  std::size_t size = Name(from.Name).size() - from.Byte + kLineBreak.size() + to.Byte;
  for (std::size_t name = from.Name + 1; name < to.Name; ++name) size += (*names_)[name].size() + kLineBreak.size();
  return size;
}

std::size_t TNameLayout::CopyText(TTextPos from, TTextPos to, char* out, std::size_t capacity) const {
  if (to < from) std::swap(from, to);
  std::size_t written = 0;
  const auto put = [&](std::string_view bytes) {
    std::size_t size = std::min(bytes.size(), capacity - written);
    if (size < bytes.size()) size = CharStart(bytes, size);
    std::memcpy(out + written, bytes.data(), size);
    written += size;
    return size == bytes.size() && written < capacity;
  };
  for (std::size_t name = from.Name; name <= to.Name; ++name) {
    const std::string_view text = Name(name);
    const std::size_t first = name == from.Name ? from.Byte : 0;
    const std::size_t end = name == to.Name ? to.Byte : text.size();
    if (!put(text.substr(first, end - first))) break;
    if (name != to.Name && !put(kLineBreak)) break;
  }
  return written;
}
