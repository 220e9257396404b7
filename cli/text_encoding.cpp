#include "cli/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "naming/mbcs.h"
#include "naming/text_codes.h"

namespace {

// Bytes of the character of well-formed Shift-JIS at `at`: 1, 2, or 0 where none starts.
std::size_t ShiftJisLength(std::string_view text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF)) return 1;
  if (!IsLeadByte(byte)) return 0;
  return at + 1 < text.size() && IsTrailByte(static_cast<unsigned char>(text[at + 1])) ? 2 : 0;
}

// The first character of well-formed `text` that the platform's conversion refuses, line by line
// and then character by character: one conversion of the whole when it all converts.
std::size_t FirstUnassigned(std::string_view text) {
  std::string converted;
  if (ShiftJisToUtf8(text, converted)) return std::string_view::npos;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    if (!ShiftJisToUtf8(text.substr(start, end - start), converted)) {
      for (std::size_t at = start; at < end; at += ShiftJisLength(text, at)) {
        if (!ShiftJisToUtf8(text.substr(at, ShiftJisLength(text, at)), converted)) return at;
      }
    }
    start = end + 1;
  }
  return std::string_view::npos;
}

void AppendUtf8(char32_t code, std::string& result) {
  if (code < 0x80) {
    result.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    result.push_back(static_cast<char>(0xC0 | (code >> 6)));
    result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    result.push_back(static_cast<char>(0xE0 | (code >> 12)));
    result.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    result.push_back(static_cast<char>(0xF0 | (code >> 18)));
    result.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    result.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// The code point of the well-formed UTF-8 character `c`.
char32_t CodeOf(std::string_view c) {
  const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(c[i])); };
  if (c.size() == 1) return byte(0);
  char32_t code = byte(0) & (0x7F >> c.size());
  for (std::size_t i = 1; i < c.size(); ++i) code = code << 6 | (byte(i) & 0x3F);
  return code;
}

void AppendEscape(std::string& result, char kind, std::uint32_t value, int digits) {
  result.push_back('\\');
  result.push_back(kind);
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) result.push_back(HexDigit(static_cast<int>(value >> shift)));
}

}  // namespace

std::string Utf8Of(std::string_view text, TEncoding encoding) {
  std::string result;
  if (Convert(text, encoding, TEncoding::Utf8, result)) return result;
  result.clear();
  std::string converted;
  for (std::size_t at = 0; at < text.size(); at += CharLength(text, at, encoding)) {
    const std::string_view c = text.substr(at, CharLength(text, at, encoding));
    result += Convert(c, encoding, TEncoding::Utf8, converted) ? converted : std::string(c);
  }
  return result;
}

std::string CodePointName(std::string_view character) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(CodeOf(character)));
  return text;
}

bool Convert(std::string_view text, TEncoding from, TEncoding to, std::string& result) {
  if (from == to) {
    result.assign(text);
    return true;
  }
  return from == TEncoding::Utf8 ? Utf8ToShiftJis(text, result) : ShiftJisToUtf8(text, result);
}

std::string Shown(std::string_view text, TEncoding from, TEncoding to) {
  std::string result;
  if (Convert(text, from, to, result)) return result;
  // Character by character, only for text that does not convert whole.
  result.clear();
  std::string converted;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = from == TEncoding::Utf8 ? Utf8SequenceLength(text, at) : ShiftJisLength(text, at);
    if (length == 0) {
      AppendEscape(result, 'x', static_cast<unsigned char>(text[at]), 2);
      ++at;
      continue;
    }
    const std::string_view c = text.substr(at, length);
    if (Convert(c, from, to, converted)) {
      result += converted;
    } else if (from == TEncoding::Utf8) {
      const char32_t code = CodeOf(c);
      AppendEscape(result, code > 0xFFFF ? 'U' : 'u', code, code > 0xFFFF ? 8 : 4);
    } else {
      for (const char byte : c) AppendEscape(result, 'x', static_cast<unsigned char>(byte), 2);
    }
    at += length;
  }
  return result;
}

std::size_t FirstNonShiftJis(std::string_view text) {
  std::size_t at = 0;
  for (std::size_t length; at < text.size() && (length = ShiftJisLength(text, at)) != 0;) at += length;
  // An unassigned pair before the first byte that starts no character comes first.
  return std::min(FirstUnassigned(text.substr(0, at)), at == text.size() ? std::string_view::npos : at);
}

std::size_t CharacterCount(std::string_view text, std::size_t at, TEncoding encoding) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < at && i < text.size(); ++count) {
    const std::size_t length = encoding == TEncoding::Utf8 ? Utf8SequenceLength(text, i) : ShiftJisLength(text, i);
    i += length == 0 ? 1 : length;
  }
  return count;
}

TByteOrderMark ByteOrderMarkOf(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") return TByteOrderMark::Utf8;
  if (text.substr(0, 2) == "\xFF\xFE") return TByteOrderMark::Utf16LittleEndian;
  if (text.substr(0, 2) == "\xFE\xFF") return TByteOrderMark::Utf16BigEndian;
  return TByteOrderMark::None;
}

bool Utf16ToUtf8(std::string_view text, bool bigEndian, std::string& result, std::size_t& badAt) {
  result.clear();
  result.reserve(text.size() / 2 * 3);
  const auto unit = [&](std::size_t at) -> char32_t {
    const auto first = static_cast<unsigned char>(text[at]);
    const auto second = static_cast<unsigned char>(text[at + 1]);
    return bigEndian ? (first << 8) | second : (second << 8) | first;
  };
  std::size_t at = 0;
  for (; at + 1 < text.size(); at += 2) {
    char32_t code = unit(at);
    if (code >= 0xDC00 && code <= 0xDFFF) break;  // the second half of a pair, alone
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (at + 3 >= text.size()) break;
      const char32_t low = unit(at + 2);
      if (low < 0xDC00 || low > 0xDFFF) break;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      at += 2;
    }
    AppendUtf8(code, result);
  }
  badAt = at;
  return at == text.size();
}
