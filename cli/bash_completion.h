#pragma once

#include <string>

// The bash completion of tandelo-cli, made from the tables of its command line: the commands,
// the options that apply to the command given (the ones that stand alone with every command),
// an option's choices, and file or folder names where the option or operand names one. It needs
// bash alone, not the bash-completion package's helpers.
std::string MakeBashCompletion();
