#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "naming/generation.h"
#include "tests/naming/tree_builder.h"

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
  EXPECT_EQ(MakeFileNames(tree, false, "C:\\src\\noext"), GetParam().Plain);
  EXPECT_EQ(MakeFileNames(tree, true, "C:\\src\\noext"), GetParam().Joined);
}

INSTANTIATE_TEST_SUITE_P(Cases, GenerationTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TGenerationCase>& info) {
                           return std::string(info.param.Name);
                         });

TEST(GenerationTest, AppendsTheSourceExtensionToEveryName) {
  TRuleTree tree;
  Build(tree, {Num(0, 2, {Alpha("a", "b")}), Fix("X")});
  EXPECT_EQ(MakeFileNames(tree, false, "C:\\work\\report.txt"),
            (Names{"0a.txt", "0b.txt", "1a.txt", "1b.txt", "2a.txt", "2b.txt", "X.txt"}));
  EXPECT_EQ(MakeFileNames(tree, true, "C:\\work\\report.txt"),
            (Names{"0aX.txt", "0b.txt", "1a.txt", "1b.txt", "2a.txt", "2b.txt"}));
}

TEST(GenerationTest, ExtensionIsAddedAfterEmptyNamesAreDropped) {
  TRuleTree tree;
  Build(tree, {Any({"", "b", ""})});
  EXPECT_EQ(MakeFileNames(tree, false, "x.dat"), Names{"b.dat"});
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
  EXPECT_EQ(ExtractFileExt(GetParam().Path), GetParam().Ext) << GetParam().Path;
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
    ASSERT_EQ(CountNames(tree), list.FileNames.size()) << "round " << round;
  }
}

TEST(CountNamesTest, CountsHugeTreesWithoutMakingThem) {
  TRuleTree tree;
  Build(tree, {Num(0, 999, {Num(0, 999, {Num(0, 999)})})});
  EXPECT_EQ(CountNames(tree), 1000000000u);

  TRuleTree wide;
  Build(wide, {Num(INT_MIN, INT_MAX, {Num(INT_MIN, INT_MAX, {Num(INT_MIN, INT_MAX)})})});
  EXPECT_EQ(CountNames(wide), UINT64_MAX);  // saturates instead of wrapping
}

TEST(GenerationTest, MillionNameTreeStartsWithUnpaddedNumbers) {
  TRuleTree tree;
  Build(tree, {Num(0, 999, {Num(0, 999)})});
  const Names names = MakeFileNames(tree, false, "report.txt");
  ASSERT_EQ(names.size(), 1000000u);
  EXPECT_EQ(names[0], "00.txt");
  EXPECT_EQ(names[1], "01.txt");
  EXPECT_EQ(names[2], "02.txt");
  EXPECT_EQ(names.back(), "999999.txt");
  // 1 then 11 and 11 then 1 make the same name; both stay.
  EXPECT_EQ(std::count(names.begin(), names.end(), "111.txt"), 2);
}

}  // namespace
