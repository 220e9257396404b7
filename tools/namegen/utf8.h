#pragma once

#include <string>
#include <string_view>

// Shift-JIS (code page 932) text as UTF-8, for reading on a terminal. Bytes that are not
// Shift-JIS come out as a replacement character rather than being dropped. Throws
// std::runtime_error when the system has no converter for code page 932.
std::string ShiftJisToUtf8(std::string_view text);
