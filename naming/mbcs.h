#pragma once

#include <cstddef>
#include <string_view>

// Text in the encoding a run is told it is in. The window's text is always Shift-JIS (code page
// 932, which it asks the system for); the command line's is UTF-8 unless it is told otherwise.
// Everything that must tell a separator from part of a character goes through here: in Shift-JIS
// the second byte of a character such as 表 (0x95 0x5C) is the byte of "\", while in UTF-8 no byte
// of a character of several bytes is ever an ASCII byte.
enum class TEncoding { ShiftJis, Utf8 };

// True when `c` starts a double-byte character of Shift-JIS (0x81-0x9F, 0xE0-0xFC).
inline bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// True when `c` can be the second byte of a Shift-JIS character (0x40-0x7E, 0x80-0xFC). A lead
// byte before any other byte (a NUL, ".", "/") makes no character: the system would read the two
// bytes otherwise than we do.
inline bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

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

// The bytes of the character that starts at `at`: in Shift-JIS 2 for a lead byte with a byte after
// it, in UTF-8 the length of a well-formed sequence; 1 for anything else (an ASCII character, a
// byte that starts no character).
inline std::size_t CharLength(std::string_view text, std::size_t at, TEncoding encoding = TEncoding::ShiftJis) {
  if (encoding == TEncoding::Utf8) {
    const std::size_t length = Utf8SequenceLength(text, at);
    return length == 0 ? 1 : length;
  }
  return IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

// True when `text` is well-formed in `encoding`: in UTF-8 as IsUtf8; in Shift-JIS every lead byte
// is followed by a second byte. A name that is not would be read otherwise by the system, or cut.
bool IsWellFormed(std::string_view text, TEncoding encoding);

// The start of the character that holds byte `at` (`at` itself where a character starts, and past
// the text's end). Shift-JIS can only be read forwards: this walks from the text's start.
inline std::size_t CharStart(std::string_view text, std::size_t at, TEncoding encoding = TEncoding::ShiftJis) {
  if (at >= text.size()) return at;
  std::size_t start = 0;
  for (std::size_t next = 0; next <= at; next += CharLength(text, next, encoding)) start = next;
  return start;
}

// Calls `visit(position)` for each single-byte character of `text` in order, passing over every
// byte of each character of several, until `visit` returns false. False when it stopped early.
template <typename Visit>
bool ForEachSingleByte(std::string_view text, TEncoding encoding, Visit&& visit) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CharLength(text, i, encoding);
    if (length == 1 && !visit(i)) return false;
    i += length;
  }
  return true;
}

// The same for the window's text, which is Shift-JIS.
template <typename Visit>
bool ForEachSingleByte(std::string_view text, Visit&& visit) {
  return ForEachSingleByte(text, TEncoding::ShiftJis, visit);
}

// The position of the last character of `text` that is one of `delimiters` (single-byte
// characters), passing over the bytes of characters of several; npos when there is none.
std::size_t LastDelimiter(std::string_view delimiters, std::string_view text,
                          TEncoding encoding = TEncoding::ShiftJis);
