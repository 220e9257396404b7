#include "editor/spin_value.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

struct TReadCase {
  const char* Text;
  int Value;
};

// What does not convert reads as the minimum; what converts is not clamped.
const TReadCase kReadCases[] = {
    {"0", 0}, {"7", 7}, {"007", 7}, {"999", 999}, {"1000", 1000}, {"+5", 5}, {"-5", -5}, {"-0", 0},
    {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
    // Nothing to convert.
    {"", 0}, {"+", 0}, {"-", 0}, {".", 0}, {"+-1", 0}, {"--1", 0}, {"1-", 0},
    // A fraction, letters, blanks, other notations, full-width digits.
    {"1.5", 0}, {"1,5", 0}, {"abc", 0}, {"12a", 0}, {" 1", 0}, {"1 ", 0}, {"0x1F", 0}, {"１", 0},
    // Beyond int.
    {"2147483648", 0}, {"-2147483649", 0}, {"99999999999999999999", 0},
};

class ReadSpinValueTest : public testing::TestWithParam<TReadCase> {};

TEST_P(ReadSpinValueTest, ReadsASignedDecimalOrTheMinimum) {
  EXPECT_EQ(ReadSpinValue(GetParam().Text), GetParam().Value) << '"' << GetParam().Text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadSpinValueTest, testing::ValuesIn(kReadCases));

struct TStepCase {
  int Value;
  int Delta;
  int Result;
};

// Stepping from the value read, then clamping: the ends hold, and what lies outside comes in.
const TStepCase kStepCases[] = {
    {0, 1, 1},    {5, -1, 4},      {998, 1, 999},     {999, 1, 999},       {0, -1, 0},     {-5, 1, 0},
    {-1, 1, 0},   {1000, -1, 999}, {1001, 1, 999},    {INT_MAX, 1, 999},   {INT_MIN, -1, 0},
};

class StepSpinValueTest : public testing::TestWithParam<TStepCase> {};

TEST_P(StepSpinValueTest, MovesThenClamps) {
  const TStepCase& c = GetParam();
  EXPECT_EQ(StepSpinValue(c.Value, c.Delta), c.Result) << c.Value << " by " << c.Delta;
}

INSTANTIATE_TEST_SUITE_P(Values, StepSpinValueTest, testing::ValuesIn(kStepCases));

TEST(ClampSpinValueTest, KeepsValuesInTheRange) {
  EXPECT_EQ(ClampSpinValue(INT_MIN), 0);
  EXPECT_EQ(ClampSpinValue(-1), 0);
  EXPECT_EQ(ClampSpinValue(0), 0);
  EXPECT_EQ(ClampSpinValue(500), 500);
  EXPECT_EQ(ClampSpinValue(999), 999);
  EXPECT_EQ(ClampSpinValue(1000), 999);
  EXPECT_EQ(ClampSpinValue(INT_MAX), 999);
}

struct TCharCase {
  const char* Name;
  char Char;
  char Separator;
  bool Accepted;
};

const TCharCase kCharCases[] = {
    {"Zero", '0', '.', true},
    {"Nine", '9', '.', true},
    {"Plus", '+', '.', true},
    {"Minus", '-', '.', true},
    {"FullStopAsSeparator", '.', '.', true},
    {"FullStopWhereCommaSeparates", '.', ',', false},
    {"CommaAsSeparator", ',', ',', true},
    {"CommaWhereFullStopSeparates", ',', '.', false},
    {"Backspace", '\b', '.', true},
    {"CtrlA", '\x01', '.', true},
    {"CtrlC", '\x03', '.', true},
    {"CtrlV", '\x16', '.', true},
    {"CtrlX", '\x18', '.', true},
    {"Escape", '\x1b', '.', true},
    {"CtrlEnter", '\n', '.', true},
    {"Enter", '\r', '.', false},
    {"Space", ' ', '.', false},
    {"Letter", 'a', '.', false},
    {"Exponent", 'e', '.', false},
    {"Slash", '/', '.', false},
    {"Colon", ':', '.', false},
    {"Delete", '\x7f', '.', false},
    {"LeadByte", '\x82', '.', false},
    {"HalfWidthKatakana", '\xb1', '.', false},
};

void PrintTo(const TCharCase& c, std::ostream* os) { *os << c.Name; }

class AcceptsSpinCharTest : public testing::TestWithParam<TCharCase> {};

TEST_P(AcceptsSpinCharTest, TakesNumberCharactersAndControlKeysButEnter) {
  const TCharCase& c = GetParam();
  EXPECT_EQ(AcceptsSpinChar(c.Char, c.Separator), c.Accepted);
}

INSTANTIATE_TEST_SUITE_P(Chars, AcceptsSpinCharTest, testing::ValuesIn(kCharCases),
                         [](const testing::TestParamInfo<TCharCase>& info) { return std::string(info.param.Name); });

}  // namespace
