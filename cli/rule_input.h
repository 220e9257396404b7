#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "naming/rule_tree.h"
#include "cli/output.h"
#include "cli/text_encoding.h"

// Reads all of `path` ("-": standard input). False with `problem` naming the file and the reason.
bool ReadWholeFile(const std::string& path, std::string& text, std::string& problem);

// Reads the rule file `path` into `tree` and checks every rule's values. Its text is in `forced`
// when given; otherwise a UTF-8 byte-order mark or text that is valid UTF-8 makes it UTF-8, and
// anything else is Shift-JIS, on every platform. UTF-8 is converted to the engine's Shift-JIS line
// by line (a byte-order mark at the start is skipped), and a character that Shift-JIS cannot hold
// is refused with the file and line. False once every problem has been reported, each as
// "FILE:LINE: what is wrong" (a rule whose values are bad, with the program's message), or why
// the file cannot be read.
bool ReadRules(const std::string& path, std::optional<TEncoding> forced, TRuleTree& tree, TReporter& report);
