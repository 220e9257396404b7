#include "cli/text_encoding.h"

#include <gtest/gtest.h>

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
