#pragma once

#include <cstddef>
#include <string_view>

// Double-byte awareness for ANSI text (Shift-JIS on the target). Everything that must tell a
// separator byte from the second byte of a character goes through here: in Shift-JIS the second
// byte of a character such as 表 (0x95 0x5C) is the byte of "\".

// True when `c` starts a double-byte character in the ANSI code page. On Windows the system
// decides; elsewhere the Shift-JIS lead-byte ranges 0x81-0x9F and 0xE0-0xFC apply.
bool IsLeadByte(unsigned char c);

// True when `c` can be the second byte of a Shift-JIS character (0x40-0x7E, 0x80-0xFC). A lead
// byte before any other byte (a NUL, ".", "/") makes no character: the system would read the two
// bytes otherwise than we do.
inline bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// The bytes of the character that starts at `at`: 2 for a lead byte with a byte after it, else 1.
inline std::size_t CharLength(std::string_view text, std::size_t at) {
  return IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

// The start of the character that holds byte `at` (`at` itself where a character starts, and past
// the text's end). Double-byte text can only be read forwards: this walks from the text's start.
inline std::size_t CharStart(std::string_view text, std::size_t at) {
  if (at >= text.size()) return at;
  std::size_t start = 0;
  for (std::size_t next = 0; next <= at; next += CharLength(text, next)) start = next;
  return start;
}

// Calls `visit(position)` for each single-byte character of `text` in order, passing over both
// bytes of every double-byte character, until `visit` returns false. False when it stopped early.
template <typename Visit>
bool ForEachSingleByte(std::string_view text, Visit&& visit) {
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (CharLength(text, i) == 1 && !visit(i)) return false;
  }
  return true;
}

// The position of the last character of `text` that is one of `delimiters` (single-byte
// characters), skipping second bytes of double-byte characters; npos when there is none.
std::size_t LastDelimiter(std::string_view delimiters, std::string_view text);
