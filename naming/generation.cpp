#include "naming/generation.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "naming/mbcs.h"

namespace {

// Letter positions of a letter rule, or an empty range when a letter is not in the table, so that
// generation never reads outside AlphabetTable whatever a record holds.
struct TLetterRange {
  int first = 0;
  int last = -1;
};

TLetterRange LetterRange(const TCopyInfo& info) {
  const int from = AlphabetIndex(info.ALFrom);
  const int to = AlphabetIndex(info.ALTo);
  if (from < 0 || to < 0) return {};
  return {from, to};
}

// Calls `emit(piece)` for each piece the rule yields, in order.
template <typename Emit>
void ForEachPiece(const TCopyInfo& info, Emit&& emit) {
  switch (info.Kind) {
    case ckNumber: {
      char text[16];
      // 64-bit counter: a range ending at the largest 32-bit value must still stop.
      for (std::int64_t v = info.NumFrom; v <= info.NumTo; ++v) {
        const auto end = std::to_chars(text, text + sizeof text, v).ptr;
        emit(std::string_view(text, static_cast<std::size_t>(end - text)));
      }
      break;
    }
    case ckAlphabet: {
      const TLetterRange range = LetterRange(info);
      for (int i = range.first; i <= range.last; ++i) emit(std::string_view(AlphabetTable[i]));
      break;
    }
    case ckFixString:
      emit(std::string_view(info.FixString));
      break;
    case ckAnyString:
      for (const std::string& line : info.AnyStrings) emit(std::string_view(line));
      break;
  }
}

std::uint64_t PieceCount(const TCopyInfo& info) {
  switch (info.Kind) {
    case ckNumber:
      return info.NumFrom > info.NumTo
                 ? 0
                 : static_cast<std::uint64_t>(static_cast<std::int64_t>(info.NumTo) - info.NumFrom + 1);
    case ckAlphabet: {
      const TLetterRange range = LetterRange(info);
      return range.last < range.first ? 0 : static_cast<std::uint64_t>(range.last - range.first + 1);
    }
    case ckFixString:
      return 1;
    case ckAnyString:
      return info.AnyStrings.size();
  }
  return 0;
}

constexpr std::uint64_t kCountMax = std::numeric_limits<std::uint64_t>::max();

std::uint64_t SaturatingMul(std::uint64_t a, std::uint64_t b) {
  if (a != 0 && b > kCountMax / a) return kCountMax;
  return a * b;
}

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
  return b > kCountMax - a ? kCountMax : a + b;
}

std::uint64_t CountBelow(const TRuleNode& node) {
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < node.ChildCount(); ++i) {
    const TRuleNode& child = node.Child(i);
    const std::uint64_t pieces = PieceCount(*child.Data());
    // A rule without pieces hides its subtree, which is then never expanded.
    const std::uint64_t each = child.HasChildren() && pieces != 0 ? CountBelow(child) : 1;
    total = SaturatingAdd(total, SaturatingMul(pieces, each));
  }
  return total;
}

}  // namespace

void AddNames(const TRuleNode& node, const std::string& prefix, TNameList& list) {
  const std::size_t count = node.ChildCount();
  for (std::size_t i = 0; i < count; ++i) {
    const TRuleNode& child = node.Child(i);
    const bool inner = child.HasChildren();
    ForEachPiece(*child.Data(), [&](std::string_view piece) {
      std::string name;
      name.reserve(prefix.size() + piece.size());
      name.append(prefix).append(piece);
      if (inner) {
        AddNames(child, name, list);
      } else {
        list.FileNames.push_back(std::move(name));
      }
    });
    // The test is on the prefix, not the depth: below empty pieces a deeper call records too.
    if (prefix.empty()) list.GroupEnds.push_back(list.FileNames.size());
  }
}

void JoinGroups(std::vector<std::string>& names, const std::vector<std::size_t>& groupEnds) {
  if (groupEnds.empty()) {
    names.clear();
    return;
  }
  // In place, so the join needs no second list of every name: group 0 already stands at entries
  // 0 onwards, and the k-th name of a later group at position p (with k < p) is taken out of p
  // before anything is appended there, since positions are visited in increasing order.
  std::size_t start = std::min(groupEnds[0], names.size());
  std::string piece;
  for (std::size_t g = 1; g < groupEnds.size(); ++g) {
    const std::size_t end = std::min(groupEnds[g], names.size());
    for (std::size_t p = start; p < end; ++p) {
      piece.swap(names[p]);
      names[p].clear();
      names[p - start].append(piece);
    }
    start = std::max(start, end);
  }
}

void RemoveEmptyNames(std::vector<std::string>& names) {
  names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& s) { return s.empty(); }),
              names.end());
}

std::string ExtractFileExt(std::string_view path) {
  const std::size_t at = LastDelimiter(".\\:", path);
  if (at == std::string_view::npos || path[at] != '.') return {};
  return std::string(path.substr(at));
}

std::vector<std::string> MakeFileNames(const TRuleTree& tree, bool join, std::string_view sourcePath) {
  TNameList list;
  const std::uint64_t expected = CountNames(tree);
  if (expected <= list.FileNames.max_size()) list.FileNames.reserve(static_cast<std::size_t>(expected));
  AddNames(tree.Root(), std::string(), list);
  if (join) JoinGroups(list.FileNames, list.GroupEnds);
  RemoveEmptyNames(list.FileNames);
  const std::string ext = ExtractFileExt(sourcePath);
  if (!ext.empty()) {
    for (std::string& name : list.FileNames) name.append(ext);
  }
  return std::move(list.FileNames);
}

std::uint64_t CountNames(const TRuleTree& tree) { return CountBelow(tree.Root()); }
