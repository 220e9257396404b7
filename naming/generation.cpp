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

// A number rule's pieces: a number's digits, with zeros after its sign up to the rule's width
// (as "%0*d" pads). A text returned stays valid until the next call.
class TNumberText {
 public:
  std::string_view Digits(std::int64_t value) {
    const auto end = std::to_chars(digits_, digits_ + sizeof digits_, value).ptr;
    return std::string_view(digits_, static_cast<std::size_t>(end - digits_));
  }

  std::string_view Write(std::int64_t value, std::size_t width) {
    const std::string_view digits = Digits(value);
    if (digits.size() >= width) return digits;
    // Kept from number to number, so that padding does not allocate for every name.
    padded_.assign(width, '0');
    if (value < 0) padded_[0] = '-';
    const std::string_view magnitude = digits.substr(value < 0 ? 1 : 0);
    std::copy(magnitude.begin(), magnitude.end(), padded_.end() - static_cast<std::ptrdiff_t>(magnitude.size()));
    return padded_;
  }

 private:
  char digits_[16];
  std::string padded_;
};

// Calls `emit(piece)` for each piece the rule yields, in order.
template <typename Emit>
void ForEachPiece(const TCopyInfo& info, Emit&& emit) {
  switch (info.Kind) {
    case ckNumber: {
      TNumberText text;
      // 64-bit counter: a range ending at the largest 32-bit value must still stop. Unpadded
      // numbers, the window's and most rule files', skip even the test of their length.
      if (info.NumWidth == 0) {
        for (std::int64_t v = info.NumFrom; v <= info.NumTo; ++v) emit(text.Digits(v));
      } else {
        for (std::int64_t v = info.NumFrom; v <= info.NumTo; ++v) emit(text.Write(v, info.NumWidth));
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

// How many of a rule's pieces are empty: only texts can be (numbers have digits, letters are
// letters of the table).
std::uint64_t EmptyPieceCount(const TCopyInfo& info) {
  switch (info.Kind) {
    case ckFixString:
      return info.FixString.empty() ? 1 : 0;
    case ckAnyString:
      return static_cast<std::uint64_t>(
          std::count_if(info.AnyStrings.begin(), info.AnyStrings.end(), [](const std::string& s) { return s.empty(); }));
    default:
      return 0;
  }
}

constexpr std::uint64_t kCountMax = std::numeric_limits<std::uint64_t>::max();

std::uint64_t SaturatingMul(std::uint64_t a, std::uint64_t b) {
  if (a != 0 && b > kCountMax / a) return kCountMax;
  return a * b;
}

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
  return b > kCountMax - a ? kCountMax : a + b;
}

// The rules below a starting node in breadth-first order, so that the children of each node
// stand side by side and every node comes after its parent, with how many names each one makes.
// Built and summed without recursion: rules nest to any depth, and the 32-bit build's stack would
// not hold one call per level.
struct TCountedTree {
  std::vector<const TRuleNode*> Nodes;  // [0] is the starting node
  std::vector<std::size_t> FirstChild;  // index of the first child of each node in Nodes
  // Names made by a rule with its subtree: its pieces times the names below one piece (a rule
  // without pieces hides its subtree, which is then never expanded). For [0]: the names below it.
  std::vector<std::uint64_t> Names;
  // Of those, the names that are not empty: a name is empty when every piece on its path is.
  // Counted rather than taken from the empty ones, so that a count that saturates stays a bound.
  std::vector<std::uint64_t> NotEmpty;
  // Per node, the children that make at least one name, as indices into Nodes; those of node i
  // are Yielding[YieldingBegin[i]] up to Yielding[YieldingBegin[i + 1]].
  std::vector<std::size_t> YieldingBegin;
  std::vector<std::size_t> Yielding;
  // Per node, whether a child that makes nothing comes before the first child that makes names.
  std::vector<bool> QuietFirst;
};

TCountedTree CountTree(const TRuleNode& start) {
  TCountedTree t;
  t.Nodes.push_back(&start);
  for (std::size_t i = 0; i < t.Nodes.size(); ++i) {
    const TRuleNode& node = *t.Nodes[i];
    t.FirstChild.push_back(t.Nodes.size());
    for (std::size_t c = 0; c < node.ChildCount(); ++c) t.Nodes.push_back(&node.Child(c));
  }
  const std::size_t count = t.Nodes.size();
  t.Names.assign(count, 0);
  t.NotEmpty.assign(count, 0);
  // Children come after their parent, so walking backwards finishes every subtree first.
  for (std::size_t i = count; i-- > 0;) {
    const TRuleNode& node = *t.Nodes[i];
    std::uint64_t below = 0, notEmptyBelow = 0;
    for (std::size_t c = t.FirstChild[i]; c < t.FirstChild[i] + node.ChildCount(); ++c) {
      below = SaturatingAdd(below, t.Names[c]);
      notEmptyBelow = SaturatingAdd(notEmptyBelow, t.NotEmpty[c]);
    }
    if (i == 0) {
      t.Names[i] = below;
      t.NotEmpty[i] = notEmptyBelow;
    } else {
      const TCopyInfo& info = *node.Data();
      const std::uint64_t pieces = PieceCount(info);
      const std::uint64_t emptyPieces = EmptyPieceCount(info);
      if (node.HasChildren() && pieces != 0) {
        t.Names[i] = SaturatingMul(pieces, below);
        // A piece with text makes every name below it a name with text; an empty piece only the
        // names below that have text.
        t.NotEmpty[i] = SaturatingAdd(SaturatingMul(pieces - emptyPieces, below), SaturatingMul(emptyPieces, notEmptyBelow));
      } else {
        t.Names[i] = pieces;
        t.NotEmpty[i] = pieces - emptyPieces;
      }
    }
  }
  return t;
}

// Fills in the children that make names, which only the walk needs.
void ListYieldingChildren(TCountedTree& t) {
  const std::size_t count = t.Nodes.size();
  t.YieldingBegin.reserve(count + 1);
  t.QuietFirst.assign(count, false);
  for (std::size_t i = 0; i < count; ++i) {
    t.YieldingBegin.push_back(t.Yielding.size());
    const std::size_t first = t.FirstChild[i];
    for (std::size_t c = first; c < first + t.Nodes[i]->ChildCount(); ++c) {
      if (t.Names[c] != 0) {
        t.Yielding.push_back(c);
      } else if (t.Yielding.size() == t.YieldingBegin[i]) {
        t.QuietFirst[i] = true;
      }
    }
  }
  t.YieldingBegin.push_back(t.Yielding.size());
}

// The piece at `index` (below PieceCount) of a rule; `text` holds a number's text.
std::string_view PieceAt(const TCopyInfo& info, std::uint64_t index, TNumberText& text) {
  switch (info.Kind) {
    case ckNumber:
      return text.Write(info.NumFrom + static_cast<std::int64_t>(index), info.NumWidth);
    case ckAlphabet:
      return AlphabetTable[LetterRange(info).first + static_cast<int>(index)];
    case ckFixString:
      return info.FixString;
    case ckAnyString:
      return info.AnyStrings[static_cast<std::size_t>(index)];
  }
  return {};
}

// One level of the walk: the rules still to expand at this level and the piece reached in the
// current one. The level's prefix is the first PrefixLength bytes of the shared prefix buffer.
struct TFrame {
  const std::size_t* Next;
  const std::size_t* End;
  std::size_t PrefixLength;
  std::size_t Current = 0;  // index in Nodes of the rule being expanded, 0 for none
  std::uint64_t Piece = 0;
  std::uint64_t PieceCount = 0;
};

// How a walk stores what it makes.
struct TKeep {
  // Empty names are stored too, where the join needs every position. Otherwise they are never
  // stored, and rules whose every name would be empty are not walked below an empty prefix.
  bool EmptyNames = true;
  std::string_view Suffix;  // appended to every name stored
  const TStillWorking* StillWorking = nullptr;
};

// Calls `stillWorking` when `done` is a multiple of kStillWorkingEvery.
inline void Tick(const TStillWorking* stillWorking, std::size_t done) {
  if (done % kStillWorkingEvery == 0 && stillWorking && *stillWorking) (*stillWorking)();
}

// Expands the children of t.Nodes[0] below `prefix`. Only rules that make names (that are kept)
// are walked, so every piece appended leads to at least one name: with empty names kept the work
// is bounded by the names made times the depth, plus the rules passed over at the starting level.
void Expand(TCountedTree& t, const std::string& prefix, TNameList& list, const TKeep& keep) {
  ListYieldingChildren(t);
  // The starting level looks at every child, so that each one handled with an empty prefix still
  // records its group end; deeper levels see only the children that make names.
  std::vector<std::size_t> startChildren(t.Nodes[0]->ChildCount());
  for (std::size_t c = 0; c < startChildren.size(); ++c) startChildren[c] = t.FirstChild[0] + c;

  std::string buffer = prefix;
  std::vector<TFrame> stack;
  stack.push_back(TFrame{startChildren.data(), startChildren.data() + startChildren.size(), buffer.size()});
  TNumberText text;
  while (!stack.empty()) {
    TFrame& frame = stack.back();
    if (frame.Current != 0) {
      const TRuleNode& node = *t.Nodes[frame.Current];
      const TCopyInfo& info = *node.Data();
      if (!node.HasChildren()) {
        // A leaf's pieces all become names at once: the hot loop of large lists. Each name is
        // made at its full length, so that its buffer is exactly as long as the name (appending
        // would round it up or double it): the list's memory is mostly these buffers.
        const std::string_view base(buffer.data(), frame.PrefixLength);
        const bool dropEmpty = !keep.EmptyNames && base.empty();
        ForEachPiece(info, [&](std::string_view piece) {
          if (dropEmpty && piece.empty()) return;
          std::string& name = list.FileNames.emplace_back(base.size() + piece.size() + keep.Suffix.size(), '\0');
          char* out = std::copy(base.begin(), base.end(), name.data());
          out = std::copy(piece.begin(), piece.end(), out);
          std::copy(keep.Suffix.begin(), keep.Suffix.end(), out);
          Tick(keep.StillWorking, list.FileNames.size());
        });
        list.Work += frame.PieceCount;
        frame.Piece = frame.PieceCount;
      } else if (frame.Piece < frame.PieceCount) {
        buffer.resize(frame.PrefixLength);
        buffer.append(PieceAt(info, frame.Piece++, text));
        ++list.Work;
        const std::size_t* yielding = t.Yielding.data();
        const std::size_t current = frame.Current;  // `frame` dangles once the stack grows
        stack.push_back(TFrame{yielding + t.YieldingBegin[current], yielding + t.YieldingBegin[current + 1],
                               buffer.size()});
        // The group ends that the children without names would record all equal the count now.
        // After a child that makes names they repeat the end just recorded, and change nothing;
        // before the first one they close the group of the names made so far: one such end is kept.
        if (buffer.empty() && t.QuietFirst[current]) list.GroupEnds.push_back(list.FileNames.size());
        continue;
      }
      if (frame.PrefixLength == 0) list.GroupEnds.push_back(list.FileNames.size());
      frame.Current = 0;
    }
    if (frame.Next == frame.End) {
      stack.pop_back();
      continue;
    }
    const std::size_t child = *frame.Next++;
    // Below an empty prefix, a rule whose names are all empty makes nothing that is kept.
    const bool onlyEmpty = !keep.EmptyNames && frame.PrefixLength == 0 && t.NotEmpty[child] == 0;
    if (t.Names[child] == 0 || onlyEmpty) {
      ++list.Work;  // passed over
      if (frame.PrefixLength == 0) list.GroupEnds.push_back(list.FileNames.size());
      continue;
    }
    frame.Current = child;
    frame.Piece = 0;
    frame.PieceCount = PieceCount(*t.Nodes[child]->Data());
  }
}

}  // namespace

void AddNames(const TRuleNode& node, const std::string& prefix, TNameList& list) {
  TCountedTree counted = CountTree(node);
  Expand(counted, prefix, list, TKeep{});
}

void JoinGroups(std::vector<std::string>& names, const std::vector<std::size_t>& groupEnds,
                const TStillWorking& stillWorking) {
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
      Tick(&stillWorking, p);
    }
    start = std::max(start, end);
  }
}

void RemoveEmptyNames(std::vector<std::string>& names) {
  names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& s) { return s.empty(); }),
              names.end());
}

std::string ExtractFileExt(std::string_view path, TEncoding encoding) {
  const std::size_t at = LastDelimiter(".\\/:", path, encoding);
  if (at == std::string_view::npos || path[at] != '.') return {};
  return std::string(path.substr(at));
}

std::vector<std::string> MakeFileNames(const TRuleTree& tree, bool join, std::string_view sourcePath,
                                       TEncoding encoding, const TStillWorking& stillWorking) {
  TNameList list;
  TCountedTree counted = CountTree(tree.Root());
  const std::string ext = ExtractFileExt(sourcePath, encoding);
  if (!join) {
    // Without the join no name needs its position: empty names are never stored, and each name
    // is made with its extension, so that its buffer is made once and to size.
    const std::uint64_t expected = counted.NotEmpty[0];
    if (expected <= list.FileNames.max_size()) list.FileNames.reserve(static_cast<std::size_t>(expected));
    Expand(counted, std::string(), list, TKeep{false, ext, &stillWorking});
    return std::move(list.FileNames);
  }
  const std::uint64_t expected = counted.Names[0];
  if (expected <= list.FileNames.max_size()) list.FileNames.reserve(static_cast<std::size_t>(expected));
  Expand(counted, std::string(), list, TKeep{true, {}, &stillWorking});
  JoinGroups(list.FileNames, list.GroupEnds, stillWorking);
  RemoveEmptyNames(list.FileNames);
  // The positions of the empty names are not kept for the life of the list.
  list.FileNames.shrink_to_fit();
  if (!ext.empty()) {
    std::string full;
    for (std::size_t i = 0; i < list.FileNames.size(); ++i) {
      std::string& name = list.FileNames[i];
      Tick(&stillWorking, i);
      if (name.capacity() >= name.size() + ext.size()) {
        name.append(ext);
      } else {
        // Appending would double the buffer: a new one of the right size instead.
        full.assign(name).append(ext);
        name = std::string(full);
      }
    }
  }
  return std::move(list.FileNames);
}

TNameCount CountNames(const TRuleTree& tree) {
  const TCountedTree counted = CountTree(tree.Root());
  return {counted.Names[0], counted.NotEmpty[0]};
}

std::uint64_t NamesHeld(const TRuleTree& tree, bool join) {
  const TNameCount count = CountNames(tree);
  return join ? count.Made : count.NotEmpty;
}
