#pragma once

#include <string>

#include "naming/rule_tree.h"
#include "cli/text_encoding.h"

// Reads all of `path` ("-": standard input). False with `problem` naming the file and the reason.
bool ReadWholeFile(const std::string& path, std::string& text, std::string& problem);

// Reads the rule file `path` in `encoding` into `tree`: UTF-8 is converted to the engine's
// Shift-JIS line by line (a byte-order mark at the start is skipped), and a character that
// Shift-JIS cannot hold is refused with the file and line. False with `problem` set
// ("FILE:LINE: what is wrong", or why the file cannot be read).
bool ReadRules(const std::string& path, TEncoding encoding, TRuleTree& tree, std::string& problem);
