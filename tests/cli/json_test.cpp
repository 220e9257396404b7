#include "cli/json.h"

#include <gtest/gtest.h>

namespace {

// Scripts read one object a line: nothing in a text may end the line or the string, and what is
// not UTF-8 must not make the whole line unreadable, nor be lost.
TEST(JsonTest, TextsStayOnTheirLineAndInTheirString) {
  EXPECT_EQ(JsonQuoted("a\nb\r\tc"), "\"a\\nb\\r\\tc\"");
  EXPECT_EQ(JsonQuoted("say \"x\\y\""), "\"say \\\"x\\\\y\\\"\"");
  EXPECT_EQ(JsonQuoted(std::string("a\0b\x1F", 4)), "\"a\\u0000b\\u001F\"");
  EXPECT_EQ(JsonQuoted("\xE7\xAC\xAC"), "\"\xE7\xAC\xAC\"");           // kept as it is
  // Bytes that are not UTF-8 (a file's name on Linux may hold any) each as U+DC00 plus the byte:
  // a script that reads names so (Python's surrogateescape) gets the very bytes back.
  EXPECT_EQ(JsonQuoted("x\x91\xE6y"), "\"x\\uDC91\\uDCE6y\"");
  EXPECT_EQ(TJsonObject().Text("name", "1.txt").Number("n", 3).Flag("ok", false).Str(),
            "{\"name\":\"1.txt\",\"n\":3,\"ok\":false}");
}

}  // namespace
