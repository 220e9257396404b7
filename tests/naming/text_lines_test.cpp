#include <gtest/gtest.h>

#include "naming/text_lines.h"

namespace {

TEST(SplitLinesTest, SplitsOnlyAtTypedLineBreaks) {
  const struct {
    const char* Text;
    std::vector<std::string> Lines;
  } cases[] = {
      {"", {}},
      {"x", {"x"}},
      {"x\r\n", {"x"}},                       // a final line break makes no empty entry
      {"x\r\n\r\ny\r\n", {"x", "", "y"}},     // empty lines before the last stay
      {"\r\n", {""}},
      {"\r\n\r\n", {"", ""}},
      {"a\nb", {"a", "b"}},                   // a lone LF, as pasting may bring
      {"表\r\nソ", {"表", "ソ"}},              // second bytes 0x5C are no breaks
      {"a very long line that the memo wraps on the screen", {"a very long line that the memo wraps on the screen"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitLines(c.Text), c.Lines) << c.Text;
}

TEST(JoinLinesTest, BreaksBetweenOrAfterEachLine) {
  const struct {
    std::vector<std::string> Lines;
    const char* Between;
    const char* AfterEach;
  } cases[] = {
      {{}, "", ""},
      {{""}, "", "\r\n"},
      {{"a", ""}, "a\r\n", "a\r\n\r\n"},
      {{"a", "表"}, "a\r\n表", "a\r\n表\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(JoinLines(c.Lines, TLineBreaks::Between), c.Between) << c.Lines.size() << " lines";
    EXPECT_EQ(JoinLines(c.Lines, TLineBreaks::AfterEach), c.AfterEach) << c.Lines.size() << " lines";
  }
}

TEST(SplitLinesTest, JoinLinesRoundTrips) {
  for (const std::vector<std::string>& lines : std::vector<std::vector<std::string>>{
           {}, {""}, {"", ""}, {"x", "", "y"}, {"a", ""}}) {
    EXPECT_EQ(SplitLines(JoinLines(lines, TLineBreaks::AfterEach)), lines);
  }
}

}  // namespace
