#include <gtest/gtest.h>

#include "naming/mbcs.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
// Everything else in these tests assumes the Japanese ANSI code page.
TEST(CodePageTest, IsShiftJis) { EXPECT_EQ(GetACP(), 932u); }
#endif

TEST(LeadByteTest, MatchesTheShiftJisRanges) {
  for (int c = 0; c < 256; ++c) {
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    EXPECT_EQ(IsLeadByte(static_cast<unsigned char>(c)), lead) << std::hex << c;
  }
}

TEST(LastDelimiterTest, SkipsSecondBytesOfDoubleByteCharacters) {
  const struct {
    const char* Text;
    std::size_t Found;
  } cases[] = {
      {"C:\\dir\\file", 6},
      {"C:\\表", 2},        // 0x95 0x5C: the trailing "\" byte belongs to the character
      {"表\\", 2},
      {"ソ\\x", 2},         // ソ is 0x83 0x5C
      {"ｱ\\", 1},           // half-width katakana is a single byte
      {"abc", std::string_view::npos},
      {"", std::string_view::npos},
      {"\x95", std::string_view::npos},  // a lead byte cut off at the end stands alone
  };
  for (const auto& c : cases) EXPECT_EQ(LastDelimiter("\\", c.Text), c.Found) << c.Text;
  EXPECT_EQ(LastDelimiter(".\\:", "C:\\a.b\\c"), 6u);
  EXPECT_EQ(LastDelimiter(".\\:", "a.b表"), 1u);
  EXPECT_EQ(LastDelimiter(".\\:", "C:x"), 1u);
}

}  // namespace
