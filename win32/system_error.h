#pragma once

#include <string>

// The code page the program's own words are written in (its string literals are compiled to it).
constexpr unsigned kProgramCodePage = 932;

// The system's description of an error code, in the user's language, in the program's code page
// (a character it lacks as the system's default character), without line breaks at the end.
std::string SystemErrorText(unsigned long error);
