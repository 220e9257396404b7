#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "cli/text_encoding.h"

namespace {

constexpr UINT kShiftJis = 932;

UINT CodePageOf(TEncoding encoding) { return encoding == TEncoding::Utf8 ? CP_UTF8 : kShiftJis; }

// The system's code page when it is one of the run's encodings.
bool SystemIs(TEncoding encoding) { return GetACP() == CodePageOf(encoding); }

// `text` in code page `from` as UTF-16; false when a byte starts no character of it.
// Callers pass a block of lines, a path or a message, far below the 2 GiB an int can count.
bool ToWide(UINT from, std::string_view text, std::wstring& wide) {
  wide.clear();
  if (text.empty()) return true;
  const int size = static_cast<int>(text.size());
  const int wideSize = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (wideSize == 0) return false;
  wide.assign(static_cast<std::size_t>(wideSize), L'\0');
  return MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), wideSize) == wideSize;
}

// UTF-16 `wide` in code page `to`; false when a character has no counterpart there. Best-fit
// mapping, which would turn a character the code page lacks into a look-alike ("é" into "e", "¥"
// into the byte of "\"), is never taken.
bool FromWide(UINT to, const std::wstring& wide, std::string& result) {
  result.clear();
  if (wide.empty()) return true;
  BOOL usedDefault = FALSE;
  const DWORD flags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL* const usedDefaultPtr = to == CP_UTF8 ? nullptr : &usedDefault;
  const int size = static_cast<int>(wide.size());
  const int outSize = WideCharToMultiByte(to, flags, wide.data(), size, nullptr, 0, nullptr, usedDefaultPtr);
  if (outSize == 0) return false;
  result.assign(static_cast<std::size_t>(outSize), '\0');
  WideCharToMultiByte(to, flags, wide.data(), size, result.data(), outSize, nullptr, usedDefaultPtr);
  return !usedDefault;
}

bool Between(UINT to, UINT from, std::string_view text, std::string& result) {
  if (!IsValidCodePage(kShiftJis)) throw std::runtime_error("code page 932 is not installed");
  std::wstring wide;
  return ToWide(from, text, wide) && FromWide(to, wide, result);
}

}  // namespace

TEncoding DefaultEncoding() { return GetACP() == kShiftJis ? TEncoding::ShiftJis : TEncoding::Utf8; }

bool Utf8ToShiftJis(std::string_view text, std::string& result) { return Between(kShiftJis, CP_UTF8, text, result); }

bool ShiftJisToUtf8(std::string_view text, std::string& result) { return Between(CP_UTF8, kShiftJis, text, result); }

std::string PathText(const std::string& path, TEncoding encoding) {
  if (SystemIs(encoding)) return path;
  std::wstring wide;
  std::string utf8;
  // What the system gave in its code page is always a character of it.
  ToWide(CP_ACP, path, wide);
  FromWide(CP_UTF8, wide, utf8);
  return Shown(utf8, TEncoding::Utf8, encoding);
}

std::string PathUtf8(const std::string& path) { return PathText(path, TEncoding::Utf8); }

bool SystemName(const std::string& name, TEncoding encoding, std::string& result, std::string& problem) {
  if (SystemIs(encoding)) {
    result = name;
    return true;
  }
  std::wstring wide;
  if (ToWide(CodePageOf(encoding), name, wide) && FromWide(CP_ACP, wide, result)) return true;
  // The first character the system's code page lacks, as the run's text shows it.
  for (std::size_t at = 0; at < name.size();) {
    const std::size_t length = CharLength(name, at, encoding);
    if (!ToWide(CodePageOf(encoding), name.substr(at, length), wide) || !FromWide(CP_ACP, wide, result)) {
      // Named by its code point, so that the reason is ASCII, whatever text it is shown in.
      std::string character;
      FromWide(CP_UTF8, wide, character);
      problem = CodePointName(character) + " cannot be held in the system's code page " + std::to_string(GetACP());
      return false;
    }
    at += length;
  }
  problem = "the name cannot be held in code page " + std::to_string(GetACP());
  return false;
}

TConsoleWrite WriteToConsole(std::FILE* file, std::string_view text, TEncoding encoding) {
  const HANDLE console = GetStdHandle(file == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if ((file != stdout && file != stderr) || !GetConsoleMode(console, &mode)) return TConsoleWrite::NotAConsole;
  std::fflush(file);
  // A byte that starts no character is shown as U+FFFD rather than lose the line.
  const int size = static_cast<int>(text.size());
  std::wstring wide(text.size(), L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CodePageOf(encoding), 0, text.data(), size, wide.data(), static_cast<int>(wide.size()))));
  for (std::size_t done = 0; done < wide.size();) {
    DWORD written = 0;
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 16384));
    // Never half of a character beyond 16 bits at the end of a chunk.
    if (done + chunk < wide.size() && IS_HIGH_SURROGATE(wide[done + chunk - 1])) --chunk;
    if (!WriteConsoleW(console, wide.data() + done, chunk, &written, nullptr) || written == 0) {
      return TConsoleWrite::Failed;
    }
    done += written;
  }
  return TConsoleWrite::Written;
}
