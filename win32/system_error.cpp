#include "win32/system_error.h"

#include <windows.h>

#include "win32/owned_handle.h"

std::string SystemErrorText(unsigned long error) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  const TLocalMemory answer(buffer);
  std::string text = length ? std::string(buffer, length) : "エラー " + std::to_string(error);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}
