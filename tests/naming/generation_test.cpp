#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <random>

#include "naming/generation.h"
#include "tests/support/tree_builder.h"

namespace {

using Names = std::vector<std::string>;

struct TGenerationCase {
  const char* Name;
  std::vector<TRuleDraft> Rules;
  Names Plain;   // without the join
  Names Joined;  // with the join
};

// Source path without an extension, so the cases show the names as the rules make them.
const TGenerationCase kCases[] = {
    {"WorkedExample1", {Num(0, 2, {Alpha("a", "b")}), Fix("X")},
     {"0a", "0b", "1a", "1b", "2a", "2b", "X"}, {"0aX", "0b", "1a", "1b", "2a", "2b"}},
    {"WorkedExample2", {Num(1, 3), Alpha("a", "b")},
     {"1", "2", "3", "a", "b"}, {"1a", "2b", "3"}},
    {"LaterGroupLongerThanFirst", {Alpha("a", "b"), Num(1, 3)},
     {"a", "b", "1", "2", "3"}, {"a1", "b2", "3"}},
    {"NumbersAreNotPadded", {Num(8, 10)}, {"8", "9", "10"}, {"8", "9", "10"}},
    {"SingleNumber", {Num(5, 5)}, {"5"}, {"5"}},
    {"NegativeNumbers", {Num(-2, 1)}, {"-2", "-1", "0", "1"}, {"-2", "-1", "0", "1"}},
    {"TopOf32BitRangeStops", {Num(INT_MAX - 1, INT_MAX)},
     {"2147483646", "2147483647"}, {"2147483646", "2147483647"}},
    {"BottomOf32BitRange", {Num(INT_MIN, INT_MIN + 1)},
     {"-2147483648", "-2147483647"}, {"-2147483648", "-2147483647"}},
    {"LettersAcrossTheCaseBoundary", {Alpha("y", "B")}, {"y", "z", "A", "B"}, {"y", "z", "A", "B"}},
    {"RuleWithChildrenOnlyPrefixes", {Num(1, 2, {Fix("X")})}, {"1X", "2X"}, {"1X", "2X"}},
    {"EmptyLineBelowPrefixGivesPrefix", {Num(1, 2, {Any({"x", ""})})},
     {"1x", "1", "2x", "2"}, {"1x", "1", "2x", "2"}},
    {"EmptyTopLevelNameIsDropped", {Any({"", "b"}), Num(1, 1)}, {"b", "1"}, {"1", "b"}},
    {"ListWithoutLinesHidesItsSubtree", {Any({}, {Num(1, 3)}), Fix("k")}, {"k"}, {"k"}},
    {"DuplicatesStay", {Fix("A"), Fix("A")}, {"A", "A"}, {"AA"}},
    {"EmptyFixedStringWithChildren", {Fix("", {Num(1, 2), Fix("X")})}, {"1", "2", "X"}, {"1X", "2"}},
    // Empty pieces at two depths: every call below them has an empty prefix and records groups.
    {"EmptyPiecesAtSeveralDepths", {Fix("", {Any({"", "q"}, {Num(1, 2)})})},
     {"1", "2", "q1", "q2"}, {"1q1", "2q2"}},
    {"OnlyEmptyNames", {Fix(""), Any({"", ""})}, {}, {}},
    {"NoRules", {}, {}, {}},
    {"ReversedRangesYieldNothing", {Num(3, 1), Alpha("b", "a"), Fix("k")}, {"k"}, {"k"}},
    // Validation refuses these; generation must still stay inside the letter table.
    {"LettersOutsideTheTableYieldNothing",
     {Alpha("a", "\x82\xa0"), Alpha("", "b"), Alpha("ab", "c"), Fix("k")}, {"k"}, {"k"}},
};

void PrintTo(const TGenerationCase& c, std::ostream* os) { *os << c.Name; }

class GenerationTest : public testing::TestWithParam<TGenerationCase> {};

TEST_P(GenerationTest, MakesTheNamesInOrderInBothModes) {
  TRuleTree tree;
  Build(tree, GetParam().Rules);
  EXPECT_EQ(MakeFileNames(tree, false, "C:\\src\\noext", TEncoding::ShiftJis), GetParam().Plain);
  EXPECT_EQ(MakeFileNames(tree, true, "C:\\src\\noext", TEncoding::ShiftJis), GetParam().Joined);
}

INSTANTIATE_TEST_SUITE_P(Cases, GenerationTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TGenerationCase>& info) {
                           return std::string(info.param.Name);
                         });

TEST(GenerationTest, AppendsTheSourceExtensionToEveryName) {
  TRuleTree tree;
  Build(tree, {Num(0, 2, {Alpha("a", "b")}), Fix("X")});
  EXPECT_EQ(MakeFileNames(tree, false, "C:\\work\\report.txt", TEncoding::ShiftJis),
            (Names{"0a.txt", "0b.txt", "1a.txt", "1b.txt", "2a.txt", "2b.txt", "X.txt"}));
  EXPECT_EQ(MakeFileNames(tree, true, "C:\\work\\report.txt", TEncoding::ShiftJis),
            (Names{"0aX.txt", "0b.txt", "1a.txt", "1b.txt", "2a.txt", "2b.txt"}));
}

TEST(GenerationTest, ExtensionIsAddedAfterEmptyNamesAreDropped) {
  TRuleTree tree;
  Build(tree, {Any({"", "b", ""})});
  EXPECT_EQ(MakeFileNames(tree, false, "x.dat", TEncoding::ShiftJis), Names{"b.dat"});
}

TEST(GenerationTest, RecordsGroupEndsAfterEachChildWithAnEmptyPrefix) {
  TRuleTree tree;
  Build(tree, {Fix("", {Num(1, 2), Fix("X")})});
  TNameList list;
  AddNames(tree.Root(), "", list);
  EXPECT_EQ(list.FileNames, (Names{"1", "2", "X"}));
  EXPECT_EQ(list.GroupEnds, (std::vector<std::size_t>{2, 3, 3}));
}

TEST(GenerationTest, OneGroupEndPerTopLevelRuleWithoutEmptyPieces) {
  TRuleTree tree;
  Build(tree, {Num(0, 2, {Alpha("a", "b")}), Fix("X"), Any({}), Num(1, 3)});
  TNameList list;
  AddNames(tree.Root(), "", list);
  EXPECT_EQ(list.GroupEnds, (std::vector<std::size_t>{6, 7, 7, 10}));
}

TEST(GenerationTest, JoinKeepsTheLengthAndLeavesUnreachedEntriesEmpty) {
  Names names{"a", "b", "c", "1", "x", "y"};
  JoinGroups(names, {3, 4, 4, 6});
  EXPECT_EQ(names, (Names{"a1x", "by", "c", "", "", ""}));
}

// The join as a fresh list: entry k is the k-th name of each group in group order.
Names JoinIntoNewList(const Names& names, const std::vector<std::size_t>& ends) {
  Names joined(names.size());
  std::size_t start = 0;
  for (std::size_t end : ends) {
    for (std::size_t p = start; p < end; ++p) joined[p - start] += names[p];
    start = end;
  }
  return joined;
}

TEST(GenerationTest, JoinInPlaceMatchesTheJoinIntoANewList) {
  std::mt19937 rng(7);
  for (int round = 0; round < 500; ++round) {
    Names names(rng() % 12);
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = std::string(rng() % 2, 'a') + std::to_string(i);
    std::vector<std::size_t> ends;
    std::size_t end = 0;
    while (end < names.size()) {
      end = std::min(names.size(), end + rng() % 5);  // empty groups included
      ends.push_back(end);
    }
    if (ends.empty()) continue;
    Names joined = names;
    JoinGroups(joined, ends);
    ASSERT_EQ(joined, JoinIntoNewList(names, ends)) << "round " << round;
  }
}

struct TExtensionCase {
  const char* Path;
  const char* Ext;
};

// Hex, since test listings cannot carry the path's "\" and Shift-JIS bytes.
void PrintTo(const TExtensionCase& c, std::ostream* os) {
  for (const char* p = c.Path; *p; ++p) *os << std::hex << (static_cast<unsigned>(*p) & 0xFF) << ' ';
}

class ExtensionTest : public testing::TestWithParam<TExtensionCase> {};

TEST_P(ExtensionTest, TakesTheTextFromTheLastDotOfTheFileName) {
  EXPECT_EQ(ExtractFileExt(GetParam().Path, TEncoding::ShiftJis), GetParam().Ext) << GetParam().Path;
}

// 表 is 0x95 0x5C in Shift-JIS: its second byte is the byte of "\".
INSTANTIATE_TEST_SUITE_P(Paths, ExtensionTest, testing::Values(
    TExtensionCase{"C:\\work\\report.txt", ".txt"},
    TExtensionCase{"archive.tar.gz", ".gz"},
    TExtensionCase{"C:\\data.old\\readme", ""},
    TExtensionCase{"C:\\home\\.profile", ".profile"},
    TExtensionCase{"C:\\name.", "."},
    TExtensionCase{"a.b表", ".b表"},
    TExtensionCase{"C:\\表\\x.表", ".表"},
    TExtensionCase{"C:\\dir.x\\表", ""},
    TExtensionCase{"C:name", ""},
    TExtensionCase{"C:\\dir.d\\", ""},
    TExtensionCase{"", ""},
    TExtensionCase{"a.b\x95", ".b\x95"}));

// The same bytes read as UTF-8 and as Shift-JIS: in UTF-8 no byte of a character of several is a
// separator or a dot, while Shift-JIS reads the last byte of あ (0x82) and the "." after it as one
// character. "/" ends a folder's name in both.
TEST(ExtensionTest, IsFoundInTheEncodingTheTextIsIn) {
  EXPECT_EQ(ExtractFileExt(u8"あ.txt", TEncoding::Utf8), ".txt");
  EXPECT_EQ(ExtractFileExt(u8"あ.txt", TEncoding::ShiftJis), "");
  EXPECT_EQ(ExtractFileExt(u8"/home/me/報告.old/データ", TEncoding::Utf8), "");
  EXPECT_EQ(ExtractFileExt(u8"C:\\資料\\caf\u00e9.tar.gz", TEncoding::Utf8), ".gz");
  for (const TEncoding encoding : {TEncoding::ShiftJis, TEncoding::Utf8}) {
    EXPECT_EQ(ExtractFileExt("/home/me/dir.x/file", encoding), "");
    EXPECT_EQ(ExtractFileExt("dir/.profile", encoding), ".profile");
  }
}

TEST(CountNamesTest, CountsWhatExpansionMakesBeforeEmptyNamesAreDropped) {
  // Random trees of every kind, empty pieces and childless lists included.
  std::mt19937 rng(20261207);
  for (int round = 0; round < 200; ++round) {
    TRuleTree tree;
    std::vector<TRuleNode*> nodes{&tree.Root()};
    const int rules = 1 + static_cast<int>(rng() % 8);
    for (int r = 0; r < rules; ++r) {
      TRuleNode& node = tree.AddRule(*nodes[rng() % nodes.size()]);
      TCopyInfo& info = *node.Data();
      switch (rng() % 4) {
        case 0: info.NumFrom = static_cast<int>(rng() % 4) - 1; info.NumTo = static_cast<int>(rng() % 4); break;
        case 1: info.Kind = ckAlphabet; info.ALFrom = AlphabetTable[rng() % 3]; info.ALTo = AlphabetTable[rng() % 3]; break;
        case 2: info.Kind = ckFixString; info.FixString = rng() % 2 ? "f" : ""; break;
        default: info.Kind = ckAnyString; info.AnyStrings.assign(rng() % 3, rng() % 2 ? "s" : ""); break;
      }
      nodes.push_back(&node);
    }
    TNameList list;
    AddNames(tree.Root(), "", list);
    ASSERT_EQ(CountNames(tree).Made, list.FileNames.size()) << "round " << round;
    ASSERT_EQ(CountNames(tree).NotEmpty, list.FileNames.size() - std::count(list.FileNames.begin(), list.FileNames.end(), ""))
        << "round " << round;
  }
}

// The expansion written the plain recursive way, walking every piece: names and group ends as
// generation made them before rules without names were skipped.
void ReferenceExpansion(const TRuleNode& node, const std::string& prefix, TNameList& list) {
  for (std::size_t i = 0; i < node.ChildCount(); ++i) {
    const TRuleNode& child = node.Child(i);
    const TCopyInfo& info = *child.Data();
    std::vector<std::string> pieces;
    char text[32];
    switch (info.Kind) {
      case ckNumber:
        for (long long v = info.NumFrom; v <= info.NumTo; ++v)
          pieces.emplace_back(text, std::snprintf(text, sizeof text, "%0*lld", static_cast<int>(info.NumWidth), v));
        break;
      case ckAlphabet: {
        const int from = AlphabetIndex(info.ALFrom), to = AlphabetIndex(info.ALTo);
        if (from >= 0 && to >= 0) pieces.assign(AlphabetTable + from, AlphabetTable + std::max(from, to + 1));
        break;
      }
      case ckFixString: pieces.push_back(info.FixString); break;
      case ckAnyString: pieces = info.AnyStrings; break;
    }
    for (const std::string& piece : pieces) {
      if (child.HasChildren()) {
        ReferenceExpansion(child, prefix + piece, list);
      } else {
        list.FileNames.push_back(prefix + piece);
      }
    }
    if (prefix.empty()) list.GroupEnds.push_back(list.FileNames.size());
  }
}

// A random small tree in which many rules make nothing: lists without lines, letters outside the
// table, reversed ranges, and rules whose every child makes nothing. Returns its depth in rules.
std::size_t BuildRandomTree(TRuleTree& tree, std::mt19937& rng) {
  static const char* const kLetters[] = {"a", "b", "c", "z", "A", "", "ab", "\x82\xa0"};
  std::vector<std::pair<TRuleNode*, std::size_t>> nodes{{&tree.Root(), 0}};
  std::size_t depth = 0;
  const int rules = 1 + static_cast<int>(rng() % 10);
  for (int r = 0; r < rules; ++r) {
    // Favour the latest nodes, so that trees grow deep as well as wide.
    const std::size_t pick = nodes.size() - 1 - std::min<std::size_t>(rng() % 4, nodes.size() - 1);
    const std::size_t level = nodes[pick].second + 1;
    TRuleNode& node = tree.AddRule(*nodes[pick].first);
    TCopyInfo& info = *node.Data();
    switch (rng() % 4) {
      case 0: info.NumFrom = static_cast<int>(rng() % 3) - 1; info.NumTo = static_cast<int>(rng() % 4) - 1;
              info.NumWidth = rng() % 2 ? 0 : rng() % 20; break;  // padded too, also far beyond the digits
      case 1: info.Kind = ckAlphabet; info.ALFrom = kLetters[rng() % 8]; info.ALTo = kLetters[rng() % 8]; break;
      case 2: info.Kind = ckFixString; info.FixString = rng() % 2 ? "f" : ""; break;
      default:
        info.Kind = ckAnyString;
        for (std::size_t n = rng() % 3; n > 0; --n) info.AnyStrings.push_back(rng() % 2 ? "s" : "");
        break;
    }
    nodes.emplace_back(&node, level);
    depth = std::max(depth, level);
  }
  return depth;
}

TEST(GenerationWorkTest, WorkStaysWithinNamesTimesDepthAndNamesMatchTheReference) {
  std::mt19937 rng(20270109);
  int withYieldlessRules = 0;
  for (int round = 0; round < 2000; ++round) {
    TRuleTree tree;
    const std::size_t depth = BuildRandomTree(tree, rng);
    TNameList reference;
    ReferenceExpansion(tree.Root(), "", reference);
    TNameList list;
    AddNames(tree.Root(), "", list);
    ASSERT_EQ(list.FileNames, reference.FileNames) << "round " << round;
    const std::uint64_t rules = tree.Count() - 1;
    ASSERT_LE(list.Work, list.FileNames.size() * depth + rules) << "round " << round;
    ASSERT_EQ(CountNames(tree).Made, list.FileNames.size()) << "round " << round;
    // Group ends may differ only by repeats of the end before them: empty groups, which leave
    // the join as it was.
    auto dropRepeats = [](std::vector<std::size_t> ends) {
      ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
      return ends;
    };
    ASSERT_EQ(dropRepeats(list.GroupEnds), dropRepeats(reference.GroupEnds)) << "round " << round;
    Names joined = list.FileNames, joinedReference = reference.FileNames;
    JoinGroups(joined, list.GroupEnds);
    JoinGroups(joinedReference, reference.GroupEnds);
    ASSERT_EQ(joined, joinedReference) << "round " << round;
    // The whole generation, which stores no empty name without the join and gives each name its
    // extension as it is made: the reference's names, empty ones dropped, then the extension.
    const auto finished = [](Names names) {
      RemoveEmptyNames(names);
      for (std::string& name : names) name += ".txt";
      return names;
    };
    ASSERT_EQ(MakeFileNames(tree, false, "a.txt", TEncoding::ShiftJis), finished(reference.FileNames)) << "round " << round;
    ASSERT_EQ(MakeFileNames(tree, true, "a.txt", TEncoding::ShiftJis), finished(joinedReference)) << "round " << round;
    ASSERT_EQ(NamesHeld(tree, false), finished(reference.FileNames).size()) << "round " << round;
    ASSERT_EQ(NamesHeld(tree, true), reference.FileNames.size()) << "round " << round;
    if (reference.FileNames.size() < rules) ++withYieldlessRules;
  }
  EXPECT_GT(withYieldlessRules, 200);  // the trees do exercise rules that make nothing
}

struct TYieldlessCase {
  const char* Name;
  std::vector<TRuleDraft> Rules;
  std::size_t NameCount;
  std::size_t Depth;
};

// Before rules without names were skipped, every case below built a prefix for each piece above
// the rule that makes nothing: up to four billion of them, for no name at all.
const TYieldlessCase kYieldlessCases[] = {
    {"NewListUnderThreeThousandNumberRanges",
     {Num(0, 999, {Num(0, 999, {Num(0, 999, {Any({})})})})}, 0, 4},
    {"NewListUnderTheWhole32BitRange", {Num(INT_MIN, INT_MAX, {Any({})})}, 0, 2},
    {"LetterOutsideTheTable", {Num(INT_MIN, INT_MAX, {Alpha("a", "\x82\xa0")})}, 0, 2},
    {"ReversedRange", {Num(INT_MIN, INT_MAX, {Fix("", {Num(2, 1)})})}, 0, 3},
    {"EveryChildMakesNothing", {Num(INT_MIN, INT_MAX, {Any({}), Fix("", {Any({})})}), Fix("k")}, 1, 3},
    {"BesideARuleThatMakesNames", {Num(0, 9999, {Num(0, 9, {Any({})}), Fix("x")})}, 10000, 3},
};

void PrintTo(const TYieldlessCase& c, std::ostream* os) { *os << c.Name; }

class YieldlessRuleTest : public testing::TestWithParam<TYieldlessCase> {};

TEST_P(YieldlessRuleTest, RulesThatMakeNoNamesAreNotWalked) {
  TRuleTree tree;
  Build(tree, GetParam().Rules);
  TNameList list;
  AddNames(tree.Root(), "", list);
  EXPECT_EQ(list.FileNames.size(), GetParam().NameCount);
  EXPECT_EQ(CountNames(tree).Made, list.FileNames.size());
  EXPECT_LE(list.Work, list.FileNames.size() * GetParam().Depth + (tree.Count() - 1));
}

INSTANTIATE_TEST_SUITE_P(Cases, YieldlessRuleTest, testing::ValuesIn(kYieldlessCases),
                         [](const testing::TestParamInfo<TYieldlessCase>& info) {
                           return std::string(info.param.Name);
                         });

TEST(CountNamesTest, CountsHugeTreesWithoutMakingThem) {
  TRuleTree tree;
  Build(tree, {Num(0, 999, {Num(0, 999, {Num(0, 999)})})});
  EXPECT_EQ(CountNames(tree).Made, 1000000000u);
  EXPECT_EQ(CountNames(tree).NotEmpty, 1000000000u);

  TRuleTree wide;
  Build(wide, {Num(INT_MIN, INT_MAX, {Num(INT_MIN, INT_MAX, {Num(INT_MIN, INT_MAX)})})});
  EXPECT_EQ(CountNames(wide).Made, UINT64_MAX);  // saturates instead of wrapping
  EXPECT_EQ(CountNames(wide).NotEmpty, UINT64_MAX);
}

// Each rule a list of two empty lines, nested `levels` deep: 2^levels names, all empty.
TRuleDraft EmptyLines(int levels) {
  TRuleDraft draft = Any({"", ""});
  for (int i = 1; i < levels; ++i) draft = Any({"", ""}, {draft});
  return draft;
}

struct THeldCase {
  const char* Name;
  std::vector<TRuleDraft> Rules;
  std::uint64_t Plain;   // held without the join
  std::uint64_t Joined;  // held with the join
  std::size_t Made;      // names that MakeFileNames returns without the join
};

const THeldCase kHeldCases[] = {
    // Two groups of three, joined into three: the join holds all six until it is done.
    {"JoinHoldsEveryPosition", {Num(1, 3), Num(4, 6)}, 6, 6, 6},
    {"EmptyNamesAreNotHeldWithoutTheJoin", {Any({"", "a", ""}, {Any({"", "b"})})}, 4, 6, 4},
    // A thousand million million empty names: without the join nothing of them is held, and the
    // walk never goes below the rules that make only them.
    {"OnlyEmptyBelowAnEmptyPrefix", {EmptyLines(60), Fix("k")}, 1, (std::uint64_t{1} << 60) + 1, 1},
    {"SaturatedCountOfEmptyNames", {EmptyLines(70), Fix("k")}, 1, UINT64_MAX, 1},
};

void PrintTo(const THeldCase& c, std::ostream* os) { *os << c.Name; }

class NamesHeldTest : public testing::TestWithParam<THeldCase> {};

TEST_P(NamesHeldTest, CountsTheNamesHeldAtThePeakOfEachMode) {
  TRuleTree tree;
  Build(tree, GetParam().Rules);
  EXPECT_EQ(NamesHeld(tree, false), GetParam().Plain);
  EXPECT_EQ(NamesHeld(tree, true), GetParam().Joined);
  EXPECT_EQ(MakeFileNames(tree, false, "", TEncoding::ShiftJis).size(), GetParam().Made);
}

INSTANTIATE_TEST_SUITE_P(Cases, NamesHeldTest, testing::ValuesIn(kHeldCases),
                         [](const testing::TestParamInfo<THeldCase>& info) { return std::string(info.param.Name); });

// A program that generates on its window's thread answers these calls by showing the system it
// is alive: they come all through a long generation, in both modes (the join's own pass included).
TEST(GenerationTest, SaysItIsStillWorkingAllThroughALongGeneration) {
  TRuleTree tree;
  Build(tree, {Num(0, 299999), Num(0, 299999)});
  for (const bool join : {false, true}) {
    std::size_t calls = 0;
    const Names names = MakeFileNames(tree, join, "a.txt", TEncoding::ShiftJis, [&] { ++calls; });
    ASSERT_EQ(names.size(), join ? 300000u : 600000u);
    // Without the join 600,000 names are made; with it as many, then the second group's 300,000
    // joined onto the first, then 300,000 extensions appended.
    EXPECT_GE(calls, (join ? 1200000u : 600000u) / kStillWorkingEvery) << join;
  }
}

TEST(GenerationTest, MillionNameTreeStartsWithUnpaddedNumbers) {
  TRuleTree tree;
  Build(tree, {Num(0, 999, {Num(0, 999)})});
  const Names names = MakeFileNames(tree, false, "report.txt", TEncoding::ShiftJis);
  ASSERT_EQ(names.size(), 1000000u);
  EXPECT_EQ(names[0], "00.txt");
  EXPECT_EQ(names[1], "01.txt");
  EXPECT_EQ(names[2], "02.txt");
  EXPECT_EQ(names.back(), "999999.txt");
  // 1 then 11 and 11 then 1 make the same name; both stay.
  EXPECT_EQ(std::count(names.begin(), names.end(), "111.txt"), 2);
}

}  // namespace
