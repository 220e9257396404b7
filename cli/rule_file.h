#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "naming/mbcs.h"
#include "naming/rule_tree.h"

// Where a rule file is malformed: the line (counted from 1) and what is wrong with it.
struct TRuleFileError {
  std::size_t Line = 0;
  std::string Message;
};

// Reads rule-file text and appends its rules below the root of `tree`.
//
// One rule per line, two spaces of indentation per level, each rule at most one level deeper than
// the rule before it. Lines whose first non-blank character is "#" and blank lines are skipped, and
// a "#" that starts a word after a rule (outside quotes) begins a comment to the end of the line;
// a CR before the LF is dropped. The rules:
//   number FROM TO            32-bit signed decimals; a bound with a leading zero ("01", "-05")
//                             pads every number to the longer bound as written (NumWidth)
//   alphabet "FROM" "TO"      letters are left for validation to judge
//   fixed "TEXT"
//   any "LINE" ...            zero or more strings, empty ones included
// Quoted strings take \" \\ and \xHH, but not a NUL, escaped or not: no name holds one, and it would
// split a name in two where names are listed apart by NULs. A \xHH is a byte of Shift-JIS, in a
// text in UTF-8 too, where each stretch of them becomes the characters it writes (a stretch that
// is no Shift-JIS text is refused). Every other byte stands for itself. `text` is in `encoding`.
//
// On a malformed line returns false with `error` filled; the rules before that line stay in the tree.
// `ruleLines`, when given, gets the line of each rule read, in the order of the file, which is the
// tree's pre-order.
bool ParseRuleFile(std::string_view text, TEncoding encoding, TRuleTree& tree, TRuleFileError& error,
                   std::vector<std::size_t>* ruleLines = nullptr);

// The format of a rule file, for people (help rules and the manual page): paragraphs apart by
// blank lines, each line within 100 columns; a paragraph whose lines start with two spaces is
// shown as it is (the kinds of rule, an example), the others may be filled anew.
std::string RuleFileFormat();
