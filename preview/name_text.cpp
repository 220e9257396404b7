#include "preview/name_text.h"

#include <algorithm>

#include "naming/mbcs.h"
#include "naming/text_lines.h"

void TNameText::Refresh() const {
  if (namesRevision_ != layout_.NamesRevision()) {
    namesRevision_ = layout_.NamesRevision();
    offsets_.assign(1, 0);
    std::size_t offset = 0;
    for (std::size_t name = 0; name < layout_.NameCount(); ++name) {
      offset += layout_.Name(name).size() + kLineBreak.size();
      if ((name + 1) % kBlock == 0 || name + 1 == layout_.NameCount()) offsets_.push_back(offset);
    }
  }
  if (revision_ != layout_.Revision()) {
    revision_ = layout_.Revision();
    lines_.assign(1, 0);
  }
}

std::size_t TNameText::Length() const {
  Refresh();
  return offsets_.back() - kLineBreak.size();
}

std::size_t TNameText::OffsetOf(TTextPos pos) const {
  Refresh();
  const std::size_t block = pos.Name / kBlock;
  std::size_t offset = offsets_[block];
  for (std::size_t name = block * kBlock; name < pos.Name; ++name) offset += layout_.Name(name).size() + kLineBreak.size();
  return offset + pos.Byte;
}

TTextPos TNameText::PosAt(std::size_t offset) const {
  if (offset >= Length()) return layout_.End();
  const std::size_t block = static_cast<std::size_t>(std::upper_bound(offsets_.begin(), offsets_.end(), offset) - offsets_.begin()) - 1;
  std::size_t start = offsets_[block];
  for (std::size_t name = block * kBlock;; ++name) {
    const std::string_view text = layout_.Name(name);
    if (offset <= start + text.size()) return {name, CharStart(text, offset - start)};
    if (offset < start + text.size() + kLineBreak.size()) return {name, text.size()};
    start += text.size() + kLineBreak.size();
  }
}

template <typename Enough>
void TNameText::CountLinesUntil(Enough&& enough) const {
  Refresh();
  const std::size_t blocks = BlockCount();
  while (lines_.size() <= blocks && !enough()) {
    const std::size_t first = (lines_.size() - 1) * kBlock;
    const std::size_t end = std::min(first + kBlock, layout_.NameCount());
    std::size_t lines = lines_.back();
    for (std::size_t name = first; name < end; ++name) lines += layout_.LineCount(name);
    lines_.push_back(lines);
  }
}

std::size_t TNameText::LineCount() const {
  CountLinesUntil([] { return false; });
  return lines_.back();
}

std::size_t TNameText::NumberOf(TDisplayLine line) const {
  const std::size_t block = line.Name / kBlock;
  CountLinesUntil([&] { return lines_.size() > block; });
  std::size_t number = lines_[block];
  for (std::size_t name = block * kBlock; name < line.Name; ++name) number += layout_.LineCount(name);
  return number + line.Line;
}

std::optional<TDisplayLine> TNameText::LineNumbered(std::size_t number) const {
  CountLinesUntil([&] { return lines_.back() > number; });
  if (lines_.back() <= number) return std::nullopt;
  const std::size_t block = static_cast<std::size_t>(std::upper_bound(lines_.begin(), lines_.end(), number) - lines_.begin()) - 1;
  std::size_t first = lines_[block];
  for (std::size_t name = block * kBlock;; ++name) {
    const std::size_t count = layout_.LineCount(name);
    if (number < first + count) return TDisplayLine{name, number - first};
    first += count;
  }
}

std::size_t TNameText::LineLength(TDisplayLine line) const {
  const auto [first, end] = layout_.LineBytes(line);
  return end - first;
}

std::size_t TNameText::UnselectedOnLines(TTextPos from, TTextPos to) const {
  const std::size_t before = from.Byte - layout_.LineBytes(layout_.LineOf(from)).first;
  return before + layout_.LineBytes(layout_.LineOf(to)).second - to.Byte;
}
