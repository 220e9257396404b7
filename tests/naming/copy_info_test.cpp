#include <gtest/gtest.h>

#include <tuple>

#include "naming/copy_info.h"

namespace {

TEST(AlphabetIndexTest, FindsLettersLowerCaseFirst) {
  const struct {
    const char* Letter;
    int Index;
  } cases[] = {{"a", 0}, {"z", 25}, {"A", 26}, {"Z", 51}, {"m", 12}, {"M", 38},
               {"", -1}, {"ab", -1}, {"1", -1}, {" a", -1}, {"\x82\x60", -1}};
  for (const auto& c : cases) EXPECT_EQ(AlphabetIndex(c.Letter), c.Index) << '"' << c.Letter << '"';
  // A letter followed by a NUL byte is two characters, not "a".
  EXPECT_EQ(AlphabetIndex(std::string_view("a\0", 2)), -1);
}

TEST(AlphabetTableTest, IsTheRoundTripOfAlphabetIndex) {
  for (int i = 0; i < kAlphabetSize; ++i) EXPECT_EQ(AlphabetIndex(AlphabetTable[i]), i);
}

TEST(CopyInfoTest, FreshRecordIsAnEmptyNumberRangeFromZeroToZero) {
  const TCopyInfo info;
  EXPECT_EQ(info.Kind, ckNumber);
  EXPECT_EQ(info.NumFrom, 0);
  EXPECT_EQ(info.NumTo, 0);
  EXPECT_TRUE(info.ALFrom.empty());
  EXPECT_TRUE(info.ALTo.empty());
  EXPECT_TRUE(info.FixString.empty());
  EXPECT_TRUE(info.AnyStrings.empty());
  EXPECT_EQ(sizeof(TCopyKind), 1u);
}

// A record copied by hand (the tree copies rules this way) keeps every field, the width included.
TEST(CopyInfoTest, ACopyKeepsEveryField) {
  TCopyInfo info;
  info.Kind = ckAnyString;
  info.NumFrom = -5;
  info.NumTo = 3;
  info.NumWidth = 3;
  info.ALFrom = "a";
  info.ALTo = "c";
  info.FixString = "x";
  info.AnyStrings = {"p", "q"};
  const TCopyInfo copy(info);
  EXPECT_EQ(std::tie(copy.Kind, copy.NumFrom, copy.NumTo, copy.NumWidth, copy.ALFrom, copy.ALTo, copy.FixString,
                     copy.AnyStrings),
            std::tie(info.Kind, info.NumFrom, info.NumTo, info.NumWidth, info.ALFrom, info.ALTo, info.FixString,
                     info.AnyStrings));
}

TEST(CopyInfoTest, KindNamesAreTheKindListEntriesInCodeOrder) {
  EXPECT_EQ(KindName(ckNumber), "連番");
  EXPECT_EQ(KindName(ckAlphabet), "アルファベット");
  EXPECT_EQ(KindName(ckFixString), "固定文字列");
  EXPECT_EQ(KindName(ckAnyString), "任意文字列");
  EXPECT_EQ(KindName(static_cast<TCopyKind>(4)), "");
  // Shift-JIS bytes, whatever the source file's encoding.
  EXPECT_EQ(KindName(ckNumber), "\x98\x41\x94\xd4");
}

}  // namespace
