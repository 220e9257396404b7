#pragma once

#include <string>

// The fish completion of tandelo-cli (vendor_completions.d/tandelo-cli.fish), made from the tables
// of its command line: the commands with their help, the options that apply to the command given
// (with their short forms and help, the ones that stand alone, and never one that the line already
// holds or that cannot go with it), an option's choices, and files or folders where an option or
// operand names one, and only there.
std::string MakeFishCompletion();
