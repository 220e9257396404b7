#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"

// What the shells' completions read from the command line's tables alike.

// The options offered once `command` is on the line: its own and those that stand alone, in the
// order of the table.
std::vector<const TOption*> OfferedWith(TCommand command);

// The options that cannot be given on one line with `option`: those it excludes and those that
// exclude it.
std::vector<const TOption*> Conflicting(const TOption& option);

// A help text cut to its first clause (before the first ";", ":" or " (") on one line, for a
// shell's one-line description: "the file to copy; every name ends with..." is "the file to copy".
std::string Summary(std::string_view help);
