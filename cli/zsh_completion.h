#pragma once

#include <string>

// The zsh completion of tandelo-cli (the file _tandelo-cli of the completion system), made from
// the tables of its command line: the commands with their help, the options that apply to the
// command given (with their short forms, the ones that stand alone, and never one that the line
// already holds or that cannot go with it), an option's choices, and files or folders where an
// option or operand names one. Loaded from fpath by compinit, or sourced after it.
std::string MakeZshCompletion();
