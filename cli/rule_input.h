#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "naming/rule_tree.h"
#include "cli/rule_file.h"
#include "cli/output.h"
#include "cli/text_encoding.h"

// Reads all of `path` ("-": standard input). False with `problem` naming the file and the reason.
bool ReadWholeFile(const std::string& path, std::string& text, std::string& problem);

// The text of a rule file as read, made the run's text (in `run`) in place. Its encoding is `forced`
// when given (a UTF-8 byte-order mark is then skipped for UTF-8 only); otherwise a byte-order mark
// decides (UTF-8, UTF-16 little- or big-endian), then the text itself: valid UTF-8 is UTF-8 (text
// valid in both is far more often UTF-8 than Shift-JIS), and text that is not is Shift-JIS, unless
// it reads as UTF-8 with stray bytes in it (at least as many characters of Japanese text in UTF-8
// as bytes that start no UTF-8 character). False with `error` at the first fault: a byte that is
// not of the encoding so decided, or not of either; a NUL, which no text holds (UTF-16 without its
// mark); half a UTF-16 character; a character the run's Shift-JIS cannot hold. Columns count
// characters.
bool ToRunText(std::string& text, std::optional<TEncoding> forced, TEncoding run, TRuleFileError& error);

// Reads the rule file `path` into `tree` and checks every rule's values, its text read as
// ToRunText reads it, in the reporter's encoding. False once every problem has been reported, each as "FILE:LINE: what is
// wrong" (a rule whose values are bad, with the program's message), or why the file cannot be read.
bool ReadRules(const std::string& path, std::optional<TEncoding> forced, TRuleTree& tree, TReporter& report);
