#include <windows.h>

#include <stdexcept>

#include "tools/namegen/utf8.h"

std::string ShiftJisToUtf8(std::string_view text) {
  constexpr UINT kShiftJis = 932;
  if (!IsValidCodePage(kShiftJis)) throw std::runtime_error("code page 932 is not installed");
  if (text.empty()) return {};
  // Callers pass a block of lines or one message, far below the 2 GiB an int can count.
  const int size = static_cast<int>(text.size());
  const int wideSize = MultiByteToWideChar(kShiftJis, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
  MultiByteToWideChar(kShiftJis, 0, text.data(), size, wide.data(), wideSize);
  const int utf8Size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(utf8Size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, result.data(), utf8Size, nullptr, nullptr);
  return result;
}
