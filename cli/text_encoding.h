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

// The offset of the first byte of `text` that starts no well-formed UTF-8 sequence; npos when
// all of it is well-formed.
inline std::size_t FirstNonUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, at);
    if (length == 0) return at;
    at += length;
  }
  return std::string_view::npos;
}

// The offset of the first byte of `text` that starts no Shift-JIS character (code page 932) the
// system knows; npos when there is none. A byte that is no character in any Shift-JIS (0x80, 0xA0,
// 0xFD-0xFF) or a first byte without a second is found here alike on every platform; a pair the
// code page leaves unassigned, by the platform's strict conversion.
std::size_t FirstNonShiftJis(std::string_view text);

// Characters (not bytes) from the start of `text` to `at`, a character start, in that encoding.
std::size_t CharacterCount(std::string_view text, std::size_t at, TEncoding encoding);

// The byte-order marks a text file may start with.
enum class TByteOrderMark { None, Utf8, Utf16LittleEndian, Utf16BigEndian };
TByteOrderMark ByteOrderMarkOf(std::string_view text);

// UTF-16 text, its byte-order mark taken off, as UTF-8. False with `badAt` the offset of the first
// unit that is not a character (a surrogate without its other half, or an odd byte at the end);
// `result` then holds what came before it.
bool Utf16ToUtf8(std::string_view text, bool bigEndian, std::string& result, std::size_t& badAt);
