#include "copy/file_copier_win32.h"

#include <windows.h>

std::string SystemErrorText(unsigned long error) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length ? std::string(buffer, length) : "エラー " + std::to_string(error);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

TWin32FileCopier::~TWin32FileCopier() { ReleaseSource(); }

void TWin32FileCopier::ReleaseSource() {
  if (held_) CloseHandle(held_);
  held_ = nullptr;
  heldPath_.clear();
}

bool TWin32FileCopier::HoldSource(const std::string& source) {
  if (held_ && heldPath_ == source) return true;
  ReleaseSource();
  // Shared for reading and writing like CopyFileA's own open, but not for deleting.
  const HANDLE file = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  held_ = file;
  heldPath_ = source;
  return true;
}

TCopyOutcome TWin32FileCopier::Copy(const std::string& source, const std::string& destination) {
  const bool sourceHeld = HoldSource(source);
  if (CopyFileA(source.c_str(), destination.c_str(), TRUE)) return {};
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return {TCopyResult::Exists, {}};
  if (sourceHeld && !DeleteFileA(destination.c_str()) && GetLastError() == ERROR_ACCESS_DENIED) {
    // The copy takes the source's attributes: a part of a read-only source is read-only too.
    const DWORD attributes = GetFileAttributesA(destination.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      SetFileAttributesA(destination.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
      DeleteFileA(destination.c_str());
    }
  }
  return {TCopyResult::Failed, SystemErrorText(error)};
}
