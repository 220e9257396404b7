#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The text at the program's edges (rule files, what it prints, file names on Linux) against the
// engine's Shift-JIS (code page 932).
enum class TEncoding { ShiftJis, Utf8 };

// Windows: its ANSI code page, Shift-JIS for this program; elsewhere UTF-8.
TEncoding PlatformEncoding();

// Exact conversions: false when a character has no counterpart (or the input is not valid in its
// encoding). Throw std::runtime_error when the system has no converter.
bool Utf8ToShiftJis(std::string_view text, std::string& result);
bool ShiftJisToUtf8(std::string_view text, std::string& result);

// For reading only: what does not convert becomes "?".
std::string ShiftJisToUtf8Shown(std::string_view text);
std::string Utf8ToShiftJisShown(std::string_view text);

// The length of the well-formed UTF-8 sequence at `at` (1 for an ASCII byte), or 0 where none
// starts: a stray continuation byte, a sequence cut short, longer than needed, for a surrogate or
// beyond U+10FFFF.
inline std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  // The range of the second byte narrows for the leads whose full range would allow an overlong
  // form, a surrogate or a code point past U+10FFFF.
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - at < length || byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

// True when all of `text` is well-formed UTF-8.
inline bool IsUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}
