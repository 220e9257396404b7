#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "naming/mbcs.h"

// The command's text at its edges. A run's text (its rules, the names it makes, what it prints) is
// in one encoding, UTF-8 unless it is told otherwise; paths are the platform's bytes, as the
// command line and the system give them, and only shown in the run's text. The program's own words
// are Shift-JIS, as they are compiled, and shown in the run's text where they are printed.

// The encoding a run's text is in when --encoding does not say: UTF-8, but Shift-JIS on a Windows
// that gives the command the Japanese code page (932) and not UTF-8 (Windows 10 before version
// 1903, whose system locale is Japanese), since the system's calls then take Shift-JIS.
TEncoding DefaultEncoding();

// Exact conversions: false when a character has no counterpart (or the input is not valid in its
// encoding). Throw std::runtime_error when the system has no converter.
bool Utf8ToShiftJis(std::string_view text, std::string& result);
bool ShiftJisToUtf8(std::string_view text, std::string& result);
// Either way, or as it is when `from` is `to`.
bool Convert(std::string_view text, TEncoding from, TEncoding to, std::string& result);

// `text` in `from` as a person reads it in `to`: converted where it can be; a character `to` lacks
// written as \uXXXX (\UXXXXXXXX beyond 16 bits), a byte that starts no character of `from` as
// \xHH, never replaced by a look-alike or a "?". As it is when `from` is `to`.
std::string Shown(std::string_view text, TEncoding from, TEncoding to);

// `text`, in `encoding`, as UTF-8 for a script to read (JSON); a byte that starts no character
// stays as it is, for the JSON writer to keep it as the byte it is.
std::string Utf8Of(std::string_view text, TEncoding encoding);

// One well-formed UTF-8 character by its code point: "U+00E9", "U+1F600".
std::string CodePointName(std::string_view character);

// A path as the platform gave it (or the command's words around such paths), shown in `encoding`:
// on Linux its bytes as they are; on Windows converted from the system's code page where that is
// not `encoding`'s, as Shown shows a text.
std::string PathText(const std::string& path, TEncoding encoding);
// A path as UTF-8 for JSON: on Linux its bytes (JsonQuoted escapes those that are not UTF-8); on
// Windows converted from the system's code page.
std::string PathUtf8(const std::string& path);
// A name in the run's text as the system's calls take it: on Linux its bytes; on Windows the same
// bytes where the system's code page is `encoding`'s, else converted exactly. False with `problem`
// ("U+B370 cannot be held in the system's code page 1252") when that code page cannot hold it.
bool SystemName(const std::string& name, TEncoding encoding, std::string& result, std::string& problem);

// A Windows console shows what is written to it through its Unicode interface, whatever its code
// page, and never a character cut in two between writes; a file or a pipe takes the bytes.
enum class TConsoleWrite { NotAConsole, Written, Failed };
// Writes `text`, in `encoding`, to `file` through the console's Unicode interface when `file` is
// a Windows console; NotAConsole, having written nothing, for a file, a pipe, or on Linux.
TConsoleWrite WriteToConsole(std::FILE* file, std::string_view text, TEncoding encoding);

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
