#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "naming/mbcs.h"

// The text at the program's edges (rule files, what it prints, file names on Linux) against the
// engine's Shift-JIS (code page 932). The encodings are TEncoding's.

// Windows: its ANSI code page, Shift-JIS for this program; elsewhere UTF-8.
TEncoding PlatformEncoding();

// Exact conversions: false when a character has no counterpart (or the input is not valid in its
// encoding). Throw std::runtime_error when the system has no converter.
bool Utf8ToShiftJis(std::string_view text, std::string& result);
bool ShiftJisToUtf8(std::string_view text, std::string& result);

// For reading only: what does not convert becomes "?".
std::string ShiftJisToUtf8Shown(std::string_view text);
std::string Utf8ToShiftJisShown(std::string_view text);
