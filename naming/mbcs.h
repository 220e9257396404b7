#pragma once

#include <cstddef>
#include <string_view>

// Double-byte awareness for ANSI text (Shift-JIS on the target). Everything that must tell a
// separator byte from the second byte of a character goes through here: in Shift-JIS the second
// byte of a character such as 表 (0x95 0x5C) is the byte of "\".

// True when `c` starts a double-byte character in the ANSI code page. On Windows the system
// decides; elsewhere the Shift-JIS lead-byte ranges 0x81-0x9F and 0xE0-0xFC apply.
bool IsLeadByte(unsigned char c);

// Calls `visit(position)` for each single-byte character of `text` in order, passing over both
// bytes of every double-byte character, until `visit` returns false. False when it stopped early.
template <typename Visit>
bool ForEachSingleByte(std::string_view text, Visit&& visit) {
  for (std::size_t i = 0; i < text.size();) {
    if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      i += 2;
      continue;
    }
    if (!visit(i)) return false;
    ++i;
  }
  return true;
}

// The position of the last character of `text` that is one of `delimiters` (single-byte
// characters), skipping second bytes of double-byte characters; npos when there is none.
std::size_t LastDelimiter(std::string_view delimiters, std::string_view text);
