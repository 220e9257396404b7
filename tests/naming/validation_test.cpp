#include <gtest/gtest.h>

#include <climits>

#include "naming/validation.h"
#include "tests/support/tree_builder.h"
#include "tests/support/recording_messages.h"

namespace {

const std::string kNumber = "連番情報に不正な値が設定されています";
const std::string kMissing = "アルファベット情報に値が設定されていません";
const std::string kInvalid = "アルファベット情報に不正な値が設定されています";

struct TValidationCase {
  const char* Name;
  std::vector<TRuleDraft> Rules;
  std::vector<std::string> Messages;  // in the order shown; none means the tree passes
};

const TValidationCase kCases[] = {
    {"RootAlone", {}, {}},
    {"EqualNumbersPass", {Num(5, 5)}, {}},
    {"ReversedNumbers", {Num(5, 4)}, {kNumber}},
    {"NumbersCompareSigned", {Num(-1, 0), Num(INT_MIN, INT_MAX), Num(0, -1)}, {kNumber}},
    {"SameLetterPasses", {Alpha("a", "a")}, {}},
    {"LetterRangeAcrossTheCaseBoundaryPasses", {Alpha("z", "A")}, {}},
    {"UpperToLowerIsReversed", {Alpha("A", "z")}, {kInvalid}},
    {"OnlyFromLetter", {Alpha("a", "")}, {kMissing}},
    {"OnlyToLetter", {Alpha("", "b")}, {kMissing}},
    {"NoLetters", {Alpha("", "")}, {kMissing}},
    {"LetterOutsideTheTable", {Alpha("a", "\x82\xa0"), Alpha("1", "b"), Alpha("ab", "c")},
     {kInvalid, kInvalid, kInvalid}},
    {"EmptyFixedStringAndListWithoutLinesPass", {Fix(""), Any({})}, {}},
    {"OneMessagePerBadRuleInPreOrder", {Alpha("b", "a", {Num(2, 1)}), Num(9, 8)},
     {kInvalid, kNumber, kNumber}},
    {"DeepRuleIsChecked", {Fix("a", {Fix("b", {Fix("c", {Fix("d", {Alpha("", "")})})})})}, {kMissing}},
};

void PrintTo(const TValidationCase& c, std::ostream* os) { *os << c.Name; }

class ValidationTest : public testing::TestWithParam<TValidationCase> {};

TEST_P(ValidationTest, ReportsEachBadRuleOnceAndChangesNothing) {
  TRuleTree tree;
  Build(tree, GetParam().Rules);
  const std::size_t count = tree.Count();
  TRecordingMessages sink;
  EXPECT_EQ(CheckCopyInfo(tree, sink), GetParam().Messages.empty());
  EXPECT_EQ(sink.Messages, GetParam().Messages);
  EXPECT_EQ(tree.Count(), count);
}

INSTANTIATE_TEST_SUITE_P(Cases, ValidationTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TValidationCase>& info) {
                           return std::string(info.param.Name);
                         });

TEST(ValidationTest, ChecksOnlyTheFieldsOfTheRulesKind) {
  TRuleTree tree;
  TRuleNode& node = tree.AddRule(tree.Root());
  node.Data()->NumFrom = 9;  // a stale reversed range left from before the kind changed
  node.Data()->NumTo = 1;
  node.Data()->Kind = ckFixString;
  TRecordingMessages sink;
  EXPECT_TRUE(CheckCopyInfo(tree, sink));
  node.Data()->Kind = ckNumber;
  EXPECT_FALSE(CheckCopyInfo(tree, sink));
}

}  // namespace
