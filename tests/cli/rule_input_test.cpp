#include "cli/rule_input.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

// What decides a rule file's encoding when none is asked for: only well-formed UTF-8 passes, so
// Shift-JIS text (whose bytes are rarely valid UTF-8) is read as Shift-JIS.
TEST(IsUtf8Test, AcceptsWellFormedTextOnly) {
  for (const char* text : {"", "number 1 3", "\xE7\xAC\xAC", "\xC2\xA9 \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF"}) {
    EXPECT_TRUE(IsUtf8(text)) << text;
  }
  const char* const bad[] = {
      "\x91\xE6 1",        // Shift-JIS
      "\xB1",              // a half-width katakana of Shift-JIS, alone
      "\x80",              // a continuation byte with no lead
      "\xC0\x80",          // an overlong NUL
      "\xE0\x80\xAF",      // an overlong "/"
      "\xED\xA0\x80",      // a surrogate
      "\xF4\x90\x80\x80",  // past U+10FFFF
      "\xE7\xAC",          // cut short at the end
      "\xE7\x41\xAC",      // cut short by an ASCII byte
  };
  for (const char* text : bad) EXPECT_FALSE(IsUtf8(text)) << text;
}

}  // namespace

namespace {

// A rule file's text as read for a run in `run` (Shift-JIS unless said), or "LINE: what is wrong".
std::string Read(std::string text, std::optional<TEncoding> forced = std::nullopt,
                 TEncoding run = TEncoding::ShiftJis) {
  TRuleFileError error;
  if (!ToRunText(text, forced, run, error)) return std::to_string(error.Line) + ": " + error.Message;
  return text;
}

// `utf8` (ASCII and characters of three bytes) as UTF-16 with its byte-order mark.
std::string Utf16(std::string_view utf8, bool bigEndian) {
  std::string text = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (std::size_t at = 0; at < utf8.size();) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[at + i]); };
    char16_t unit = byte(0);
    std::size_t length = 1;
    if (byte(0) >= 0xE0) {
      unit = static_cast<char16_t>(((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F));
      length = 3;
    }
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    text += bigEndian ? std::string{high, low} : std::string{low, high};
    at += length;
  }
  return text;
}

// What decides a rule file's encoding, and every way its text can be refused: at the line and the
// character where it goes wrong, never read silently as the other encoding.
TEST(RuleTextTest, ReadsEachEncodingAndRefusesTextOfNone) {
  const std::string nippo = "\x93\xFA\x95\xF1";  // 日報 in Shift-JIS
  struct TCase {
    const char* what;
    std::string text;
    std::optional<TEncoding> forced;
    std::string expected;
  };
  const TCase cases[] = {
      {"valid in both encodings stays UTF-8", u8"fixed \"日報\"\n", {}, "fixed \"" + nippo + "\"\n"},
      {"Shift-JIS, not UTF-8", "fixed \"" + nippo + "\"\r\n", {}, "fixed \"" + nippo + "\"\r\n"},
      {"half-width katakana that make a UTF-8 pair by chance", "fixed \"\xC3\xBD\xC4\"\n", {},
       "fixed \"\xC3\xBD\xC4\"\n"},
      // Read as Shift-JIS, this was fixed "譌･蝣ｱ" without a word.
      {"UTF-8 with a stray byte that Shift-JIS takes", u8"# メモ\xB1\nfixed \"日報\"\n", {},
       "1: byte 0xB1 in column 5 is not UTF-8, though the file's other text is (--encoding shift-jis reads it as "
       "Shift-JIS)"},
      {"a byte of neither", "fixed \"" + nippo + "\"\nfixed \"a\x80\"\n", {},
       "2: byte 0x80 in column 9 is not Shift-JIS, and the file is not UTF-8 either"},
      {"a pair Shift-JIS leaves unassigned", "fixed \"" + nippo + "\x85\x40\"\n", {},
       "1: byte 0x85 in column 10 is not Shift-JIS, and the file is not UTF-8 either"},
      {"a UTF-8 mark decides", u8"\uFEFFfixed \"日報\"\n", {}, "fixed \"" + nippo + "\"\n"},
      // Without its mark this would read as Shift-JIS ("a\x93b" is a pair of it).
      {"a UTF-8 mark, then a bad byte", u8"\uFEFF# a\nfixed \"a\x93" "b\"\n", {},
       "2: byte 0x93 in column 9 is not UTF-8"},
      {"UTF-16 little-endian with its mark", Utf16(u8"fixed \"日報\"\r\n", false), {}, "fixed \"" + nippo + "\"\r\n"},
      {"UTF-16 big-endian with its mark", Utf16(u8"fixed \"日報\"\n", true), {}, "fixed \"" + nippo + "\"\n"},
      {"UTF-16, half a character", Utf16(u8"a\nfixed", false) + "\x3D\xD8" + Utf16(u8"x", false).substr(2), {},
       "2: in column 6, half a UTF-16 character without its other half"},
      {"UTF-16, an odd byte at the end", Utf16(u8"fixed", false) + "x", {},
       "1: the UTF-16 text ends in half a character"},
      {"UTF-16 without its mark", Utf16(u8"fixed", false).substr(2), {},
       "1: byte 0x00 in column 2 is a NUL, which no rule file holds (UTF-16 must start with its byte-order mark)"},
      {"forced Shift-JIS reads valid UTF-8 as Shift-JIS", u8"fixed \"日報\"\n", TEncoding::ShiftJis,
       u8"fixed \"日報\"\n"},
      {"forced Shift-JIS takes no UTF-8 mark", u8"\uFEFFfixed \"a\"\n", TEncoding::ShiftJis,
       "1: byte 0xEF in column 1 is not Shift-JIS"},
      {"forced UTF-8 refuses Shift-JIS", "fixed \"" + nippo + "\"\n", TEncoding::Utf8,
       "1: byte 0x93 in column 8 is not UTF-8"},
      {"forced UTF-8 skips its mark", u8"\uFEFFfixed \"日報\"\n", TEncoding::Utf8, "fixed \"" + nippo + "\"\n"},
      // The system's best fit would make é an "e" and ¥ the separator "\": another name, or a
      // sub-folder.
      {"a character Shift-JIS lacks", u8"fixed \"caf\u00E9\"\n", {}, "1: U+00E9 cannot be held in Shift-JIS"},
      {"the yen sign of Latin-1", u8"fixed \"a\u00A5b\"\n", {}, "1: U+00A5 cannot be held in Shift-JIS"},
  };
  for (const TCase& c : cases) EXPECT_EQ(Read(c.text, c.forced), c.expected) << c.what;
}

}  // namespace
