#include "preview/name_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "naming/mbcs.h"
#include "tests/support/mini_font.h"

namespace {

// Every display line and every offset of the text, against a walk over all of them, for names
// over several blocks at 40 pixels a line: empty ones, ones that wrap onto three lines and
// double-byte ones whose second byte is "\".
TEST(NameText, NumbersEveryLineAndPlaceAsTheJoinedTextHasThem) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < 3 * TNameText::kBlock + 17; ++i) {
    const std::string number = std::to_string(i);
    names.push_back(i % 7 == 0 ? "" : i % 5 == 0 ? "abcdefghjk" + number : i % 3 == 0 ? "表" + number : number);
  }
  TNameLayout layout(names, MiniFontAdvance, kMiniFontWidest);
  layout.SetWidth(40);
  const TNameText text(layout);

  std::vector<std::size_t> placeOf;  // the offset each offset stands for: a character's start
  std::size_t number = 0, offset = 0;
  for (std::size_t name = 0; name < names.size(); ++name) {
    for (std::size_t at = 0; at < names[name].size(); at += CharLength(names[name], at)) {
      placeOf.insert(placeOf.end(), CharLength(names[name], at), offset + at);
    }
    placeOf.insert(placeOf.end(), 2, offset + names[name].size());  // the name's end, and inside its break
    for (std::size_t line = 0; line < layout.LineCount(name); ++line, ++number) {
      const TDisplayLine display{name, line};
      ASSERT_EQ(text.LineNumbered(number), display) << number;
      ASSERT_EQ(text.NumberOf(display), number);
      const std::size_t start = offset + layout.LineBytes(display).first;
      ASSERT_EQ(text.LineStart(display), start) << number;
      ASSERT_EQ(text.LineNumberAt(start), number);
    }
    offset += names[name].size() + 2;
  }
  ASSERT_EQ(text.Length(), offset - 2);
  EXPECT_EQ(text.LineCount(), number);
  EXPECT_EQ(text.LineNumbered(number), std::nullopt);
  for (std::size_t at = 0; at < offset - 2; ++at) ASSERT_EQ(text.OffsetOf(text.PosAt(at)), placeOf[at]) << at;
  EXPECT_EQ(text.PosAt(offset), layout.End());

  layout.SetWidth(1000);
  EXPECT_EQ(text.LineCount(), names.size()) << "a new width counts the lines again";
  const std::vector<std::string> fewer = {"a", "表"};
  layout.SetNames(fewer);
  EXPECT_EQ(text.Length(), 5u) << "a new list sums its sizes again";
  EXPECT_EQ(text.LineCount(), 2u);
}

// What is cut to fit a buffer never ends in half a character.
TEST(NameText, TextCutToABufferKeepsDoubleByteCharactersWhole) {
  const std::vector<std::string> names = {"a表", "示"};
  const TNameLayout layout(names, MiniFontAdvance, kMiniFontWidest);
  char out[8];
  EXPECT_EQ(layout.CopyText({}, layout.End(), out, 2), 1u);
  EXPECT_EQ(layout.CopyText({}, layout.End(), out, 3), 3u);
  EXPECT_EQ(layout.CopyText({}, layout.End(), out, 6), 5u) << "the break, not the half of 示";
  EXPECT_EQ(layout.CopyText({}, layout.End(), out, 7), 7u);
}

}  // namespace
