#pragma once

#include <string>
#include <string_view>

// The manual page of tandelo-cli in man(7) markup, made from the tables of the command line and
// the rule file's format, so that it says what --help and help rules say, word for word: the
// synopsis, every command, option and exit status with its help, the rule format. The page has
// no date, so that the same sources make the same page whenever they are built.
std::string MakeManPage(std::string_view version);
