#include "preview/name_layout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/mini_font.h"

namespace {

std::vector<std::string> LinesOf(const TNameLayout& layout, std::size_t name) {
  std::vector<std::string> lines;
  for (std::size_t line = 0; line < layout.LineCount(name); ++line) {
    const auto [first, end] = layout.LineBytes({name, line});
    lines.emplace_back(layout.Name(name).substr(first, end - first));
  }
  return lines;
}

struct TWrapCase {
  const char* Case;
  std::string Name;
  int Width;
  std::vector<std::string> Lines;
};

void PrintTo(const TWrapCase& wrap, std::ostream* out) { *out << wrap.Case; }

class NameWrap : public testing::TestWithParam<TWrapCase> {};

TEST_P(NameWrap, BreaksLikeTheEditControl) {
  const std::vector<std::string> names = {GetParam().Name};
  TNameLayout layout(names, MiniFontAdvance, kMiniFontWidest);
  layout.SetWidth(GetParam().Width);
  EXPECT_EQ(LinesOf(layout, 0), GetParam().Lines);
}

// The second byte of 表 and ソ is 0x5C, of 能 0x5C too: they must never be cut from their first.
INSTANTIATE_TEST_SUITE_P(
    Names, NameWrap,
    testing::Values(TWrapCase{"Fits", "copy1.txt", 200, {"copy1.txt"}},
                    TWrapCase{"FitsExactly", "abcd", 40, {"abcd"}},
                    TWrapCase{"Empty", "", 40, {""}},
                    TWrapCase{"OneLongWord", "abcdefghjk", 40, {"abcd", "efgh", "jk"}},
                    TWrapCase{"NarrowLetters", "iiiiiiiiiiab", 40, {"iiiiiiiiii", "ab"}},
                    TWrapCase{"AtTheLastSpace", "ab cd ef", 40, {"ab ", "cd ", "ef"}},
                    TWrapCase{"ASpaceHangsPastTheEdge", "ab cd ef", 50, {"ab cd ", "ef"}},
                    TWrapCase{"SpacesHangTogether", "ab    cd", 30, {"ab    ", "cd"}},
                    TWrapCase{"DoubleByte", "表示ソフト能力", 50, {"表示", "ソフ", "ト能", "力"}},
                    TWrapCase{"MixedWidths", "a表bc示", 30, {"a表", "bc", "示"}},
                    TWrapCase{"NarrowerThanOneCharacter", "a表", 5, {"a", "表"}},
                    // Each double-byte character is a word: lines break beside them, not only at spaces.
                    TWrapCase{"JapaneseFollowsWords", "ab ab 表示表示", 100, {"ab ab 表示", "表示"}},
                    TWrapCase{"LettersBetweenJapaneseStayWhole", "xx表xx表", 50, {"xx表", "xx表"}},
                    TWrapCase{"OnlyAWordWiderThanTheLineBreaksInside", "表abcdefg", 40, {"表", "abcd", "efg"}}),
    [](const testing::TestParamInfo<TWrapCase>& info) { return std::string(info.param.Case); });

// Ctrl+Right and Ctrl+Left stop where lines may break: after a run of letters and its spaces, and
// beside each double-byte character, also one that directly follows letters. A double-click picks
// the word between two such stops.
TEST(NameWords, CtrlArrowsAndDoubleClicksStopBesideEachJapaneseCharacter) {
  // 表 at byte 3, 示 at 5, c at 7, e at 11; in the second name 表 at 2, 示 at 4.
  const std::vector<std::string> names = {"ab 表示cd  e", "ab表示", "z"};
  TNameLayout layout(names, MiniFontAdvance, kMiniFontWidest);
  const std::vector<TTextPos> stops = {{0, 0}, {0, 3}, {0, 5}, {0, 7}, {0, 11}, {0, 12},
                                       {1, 0}, {1, 2}, {1, 4}, {1, 6}, {2, 0}};
  for (std::size_t i = 0; i + 1 < stops.size(); ++i) {
    EXPECT_EQ(layout.NextWord(stops[i]), stops[i + 1]) << "right from stop " << i;
    EXPECT_EQ(layout.PrevWord(stops[i + 1]), stops[i]) << "left from stop " << i + 1;
  }
  const struct {
    TTextPos Click, From, To;
  } words[] = {{{0, 1}, {0, 0}, {0, 3}}, {{0, 8}, {0, 7}, {0, 11}}, {{1, 1}, {1, 0}, {1, 2}}, {{1, 2}, {1, 2}, {1, 4}}};
  for (const auto& w : words) {
    EXPECT_EQ(layout.WordAt(w.Click), std::make_pair(w.From, w.To)) << w.Click.Name << ":" << w.Click.Byte;
  }
}

}  // namespace
