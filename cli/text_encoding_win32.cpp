#include <windows.h>

#include <stdexcept>

#include "cli/text_encoding.h"

namespace {

constexpr UINT kShiftJis = 932;

// Callers pass a block of lines, a path or a message, far below the 2 GiB an int can count.
bool Convert(UINT to, UINT from, std::string_view text, std::string& result, bool replace) {
  if (!IsValidCodePage(kShiftJis)) throw std::runtime_error("code page 932 is not installed");
  result.clear();
  if (text.empty()) return true;
  const int size = static_cast<int>(text.size());
  const DWORD strictIn = replace ? 0 : MB_ERR_INVALID_CHARS;
  const int wideSize = MultiByteToWideChar(from, strictIn, text.data(), size, nullptr, 0);
  if (wideSize == 0) return false;
  std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
  MultiByteToWideChar(from, strictIn, text.data(), size, wide.data(), wideSize);
  // Best-fit mapping would turn a character Shift-JIS lacks into a look-alike silently.
  BOOL usedDefault = FALSE;
  const DWORD strictOut = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL* const usedDefaultPtr = to == CP_UTF8 ? nullptr : &usedDefault;
  const int outSize = WideCharToMultiByte(to, strictOut, wide.data(), wideSize, nullptr, 0, nullptr, usedDefaultPtr);
  result.assign(static_cast<std::size_t>(outSize), '\0');
  WideCharToMultiByte(to, strictOut, wide.data(), wideSize, result.data(), outSize, nullptr, usedDefaultPtr);
  if (!replace && to == CP_UTF8 && result.find("\xEF\xBF\xBD") != std::string::npos) return false;
  return !usedDefault;
}

}  // namespace

TEncoding PlatformEncoding() { return TEncoding::ShiftJis; }

bool Utf8ToShiftJis(std::string_view text, std::string& result) { return Convert(kShiftJis, CP_UTF8, text, result, false); }

bool ShiftJisToUtf8(std::string_view text, std::string& result) { return Convert(CP_UTF8, kShiftJis, text, result, false); }

std::string ShiftJisToUtf8Shown(std::string_view text) {
  std::string result;
  Convert(CP_UTF8, kShiftJis, text, result, true);
  return result;
}

std::string Utf8ToShiftJisShown(std::string_view text) {
  std::string result;
  Convert(kShiftJis, CP_UTF8, text, result, true);
  return result;
}
