#include "cli/rule_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// One rule's record as text, showing only the fields its kind reads.
std::string Describe(const TCopyInfo& info) {
  switch (info.Kind) {
    case ckNumber:
      return "number " + std::to_string(info.NumFrom) + " " + std::to_string(info.NumTo) +
             (info.NumWidth != 0 ? " width " + std::to_string(info.NumWidth) : "");
    case ckAlphabet:
      return "alphabet [" + info.ALFrom + "] [" + info.ALTo + "]";
    case ckFixString:
      return "fixed [" + info.FixString + "]";
    case ckAnyString: {
      std::string text = "any";
      for (const std::string& line : info.AnyStrings) text += " [" + line + "]";
      return text;
    }
  }
  return "?";
}

// The children of `node` as "A{B}C", each rule shown by its fixed text.
std::string Shape(const TRuleNode& node) {
  std::string text;
  for (std::size_t i = 0; i < node.ChildCount(); ++i) {
    const TRuleNode& child = node.Child(i);
    text += child.Data()->FixString;
    if (child.HasChildren()) text += "{" + Shape(child) + "}";
  }
  return text;
}

TEST(RuleFileTest, ReadsEachKindOfRule) {
  struct TCase {
    const char* text;
    const char* expected;
  };
  const TCase cases[] = {
      {"number -2147483648 2147483647", "number -2147483648 2147483647"},
      {"number   7    -3  ", "number 7 -3"},
      {"number 007 -1000", "number 7 -1000 width 5"},  // pads to the longer bound, sign included
      {"alphabet \"a\" \"Z\"", "alphabet [a] [Z]"},
      // The reader leaves letters to validation, which reports them in the program's own words.
      {"alphabet \"\" \"ab\"", "alphabet [] [ab]"},
      {"fixed \"a  b # c\"", "fixed [a  b # c]"},
      {"fixed \"\\\"\\\\\"", "fixed [\"\\]"},
      {"fixed \"\\x95\\x5C\\x5c\\x41\"", "fixed [表\\A]"},
      // Raw Shift-JIS: the second byte of 表 and ソ is the byte of "\" and starts no escape.
      {"fixed \"表ソ\"", "fixed [表ソ]"},
      {"any", "any"},
      {"any \"\" \"x\" \"\"", "any [] [x] []"},
      // A comment after the rule, as in the README's example; a "#" in quotes is text.
      {"number 0 2            # every number from 0 to 2", "number 0 2"},
      {"any \"x\" \"\" \"y\"        # each string", "any [x] [] [y]"},
      {"fixed \"a # b\" #c \"d\"", "fixed [a # b]"},
      {"any #", "any"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.text);
    TRuleTree tree;
    TRuleFileError error;
    ASSERT_TRUE(ParseRuleFile(c.text, TEncoding::ShiftJis, tree, error)) << error.Message;
    ASSERT_EQ(tree.Root().ChildCount(), 1u);
    EXPECT_EQ(Describe(*tree.Root().Child(0).Data()), c.expected);
  }
}

TEST(RuleFileTest, NestsByIndentationAndSkipsCommentsAndBlankLines) {
  struct TCase {
    const char* name;
    const char* text;
    const char* shape;
  };
  const TCase cases[] = {
      {"empty file", "", ""},
      {"siblings", "fixed \"A\"\nfixed \"B\"\n", "AB"},
      {"back out several levels", "fixed \"A\"\n  fixed \"B\"\n    fixed \"C\"\nfixed \"D\"", "A{B{C}}D"},
      {"back out one level", "fixed \"A\"\n  fixed \"B\"\n    fixed \"C\"\n  fixed \"D\"\n", "A{B{C}D}"},
      {"comments and blank lines at any indentation",
       "# head\n\n   \n\t\nfixed \"A\"\n       # odd indentation in a comment\n\t# tab too\n  fixed \"B\"\n", "A{B}"},
      {"CRLF", "# c\r\n\r\nfixed \"A\"\r\n  fixed \"B\"\r\nfixed \"C\"\r\n", "A{B}C"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TRuleTree tree;
    TRuleFileError error;
    ASSERT_TRUE(ParseRuleFile(c.text, TEncoding::ShiftJis, tree, error)) << error.Line << ": " << error.Message;
    EXPECT_EQ(Shape(tree.Root()), c.shape);
  }
}

TEST(RuleFileTest, ReportsTheLineOfTheFirstMalformedRule) {
  struct TCase {
    const char* name;
    std::string_view text;
    std::size_t line;
  };
  const TCase cases[] = {
      {"unknown keyword", "numbers 1 2", 1},
      {"keyword in quotes", "\"fixed\" \"a\"", 1},
      {"line counted past comments and blanks", "# c\n\n  # c\nfixed \"a\"\nnumber 1\n", 5},
      {"line counted in a CRLF file", "fixed \"a\"\r\n\r\nbogus\r\n", 3},
      {"too few arguments", "alphabet \"a\"", 1},
      {"too many arguments", "fixed \"a\" \"b\"", 1},
      {"unquoted string", "alphabet a b", 1},
      {"quoted number", "number \"1\" 2", 1},
      {"not a number", "number 1 x", 1},
      {"trailing garbage after digits", "number 1 2x", 1},
      {"plus sign", "number +1 2", 1},
      {"comment glued to a number", "number 1 2#c", 1},
      {"above the 32-bit range", "number 0 2147483648", 1},
      {"below the 32-bit range", "number -2147483649 0", 1},
      {"unknown escape", "fixed \"\\n\"", 1},
      {"short hex escape", "fixed \"\\x4\"", 1},
      {"non-hex escape", "fixed \"\\xG0\"", 1},
      {"unterminated", "fixed \"abc", 1},
      {"escaped closing quote", "fixed \"abc\\\"", 1},
      {"backslash at the end of the line", "fixed \"abc\\", 1},
      {"lead byte at the end of the line", "fixed \"\x95", 1},
      {"strings not separated", "any \"a\"\"b\"", 1},
      // A NUL would end the name for the system, and split it in two in a list apart by NULs.
      {"a NUL escaped", "fixed \"a\"\nany \"b\" \"c\\x00d\"", 2},
      {"a NUL as it is", std::string_view("any \"c\0d\"", 9), 1},
      {"odd indentation", "fixed \"a\"\n   fixed \"b\"", 2},
      {"tab indentation", "fixed \"a\"\n\tfixed \"b\"", 2},
      {"tab after spaces", "fixed \"a\"\n  \tfixed \"b\"", 2},
      {"first rule indented", "# c\n  fixed \"a\"", 2},
      {"two levels deeper", "fixed \"a\"\n  fixed \"b\"\n      fixed \"c\"", 3},
      {"two levels deeper after backing out", "fixed \"a\"\n  fixed \"b\"\nfixed \"c\"\n    fixed \"d\"", 4},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TRuleTree tree;
    TRuleFileError error;
    EXPECT_FALSE(ParseRuleFile(c.text, TEncoding::ShiftJis, tree, error));
    EXPECT_EQ(error.Line, c.line);
    EXPECT_FALSE(error.Message.empty());
  }
}

}  // namespace
