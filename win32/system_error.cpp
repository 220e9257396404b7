#include "win32/system_error.h"

#include <windows.h>

#include <cstdio>

#include "win32/owned_handle.h"

std::string SystemErrorText(unsigned long error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const TLocalMemory owned(buffer);
  if (length == 0) {
    // No words of the system's: the code, as the system writes codes.
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", error);
    return code;
  }
  // In the code page of the program's words whatever the process's own is: under a system code page
  // of UTF-8 (the command line's) the description must not come out as other bytes than the rest.
  const int size = WideCharToMultiByte(kProgramCodePage, 0, buffer, static_cast<int>(length), nullptr, 0, nullptr,
                                       nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(kProgramCodePage, 0, buffer, static_cast<int>(length), text.data(), size, nullptr, nullptr);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}
