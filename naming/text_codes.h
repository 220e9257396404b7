#pragma once

#include <string>
#include <string_view>

// Small codes of text files that the rule files and the journal both read.

// The value of a hexadecimal digit, in either case; -1 for any other character.
inline int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The digit of a value from 0 to 15, as written: upper case.
inline char HexDigit(int value) { return "0123456789ABCDEF"[value & 15]; }

// `text` with each byte for which `escaped(byte)` holds written as "%HH", so that a path can be one
// word or one field of a line and still be read back.
template <typename Escaped>
std::string PercentEscaped(std::string_view text, Escaped&& escaped) {
  std::string result;
  result.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (escaped(byte)) {
      result.push_back('%');
      result.push_back(HexDigit(byte >> 4));
      result.push_back(HexDigit(byte));
    } else {
      result.push_back(c);
    }
  }
  return result;
}

// Takes a UTF-8 byte-order mark off the start of `text`, which editors on Windows put there;
// true when there was one.
inline bool SkipByteOrderMark(std::string_view& text) {
  if (text.substr(0, 3) != "\xEF\xBB\xBF") return false;
  text.remove_prefix(3);
  return true;
}
