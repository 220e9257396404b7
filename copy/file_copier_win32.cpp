#include "copy/file_copier_win32.h"

#include <windows.h>

#include <utility>

namespace {

// Large enough that a big source takes few system calls, small enough to allocate once per run.
constexpr DWORD kBufferSize = 1 << 20;

constexpr DWORD kCarriedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

const std::string kPartLeftText = "途中まで書き込んだファイルを削除できませんでした。";

// One open file handle, closed once.
class TFileHandle {
 public:
  explicit TFileHandle(HANDLE handle) : handle_(handle) {}
  ~TFileHandle() {
    if (*this) CloseHandle(handle_);
  }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;

  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Removes the file that `created` was opened on when it was created. Through the handle only: a
// name may by now lead to another file.
bool Discard(HANDLE created) {
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;  // a read-only file cannot be set for deletion
  SetFileInformationByHandle(created, FileBasicInfo, &basic, sizeof basic);
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  return SetFileInformationByHandle(created, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// Copies the rest of `in` to `out`, calling `stillWorking` (if set) after every chunk. On failure
// says which side failed and why.
bool CopyContent(HANDLE in, HANDLE out, char* buffer, const TStillWorking& stillWorking,
                 TCopyResult& failure, DWORD& error) {
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(in, buffer, kBufferSize, &got, nullptr)) {
      failure = TCopyResult::SourceUnreadable;
      error = GetLastError();
      return false;
    }
    if (got == 0) return true;
    for (DWORD done = 0; done < got;) {
      DWORD put = 0;
      if (!WriteFile(out, buffer + done, got - done, &put, nullptr)) {
        error = GetLastError();
        return false;
      }
      if (put == 0) {  // a write that makes no progress would loop for ever
        error = ERROR_DISK_FULL;
        return false;
      }
      done += put;
    }
    if (stillWorking) stillWorking();
  }
}

}  // namespace

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

TWin32FileCopier::TWin32FileCopier(TStillWorking stillWorking) : stillWorking_(std::move(stillWorking)) {}
TWin32FileCopier::~TWin32FileCopier() = default;

TCopyOutcome TWin32FileCopier::Copy(const std::string& source, const std::string& destination) {
  // Shared for reading and writing, as the platform copy opens it, and opened anew for every copy:
  // a source that goes away between two copies is reported as such, and keeps no one from
  // deleting or renaming it between runs.
  const TFileHandle in(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  // Only the times and attributes: GetFileInformationByHandle also asks for the volume, which
  // costs more than the whole copy of a small file under Wine.
  FILE_BASIC_INFO basic;
  if (!in || !GetFileInformationByHandleEx(in.Get(), FileBasicInfo, &basic, sizeof basic)) {
    return {TCopyResult::SourceUnreadable, SystemErrorText(GetLastError())};
  }

  const TFileHandle out(CreateFileA(destination.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!out) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return {TCopyResult::Exists, {}};
    return {TCopyResult::Failed, SystemErrorText(error)};
  }

  // From here on the destination is this call's own file.
  if (!buffer_) buffer_.reset(new char[kBufferSize]);
  TCopyResult failure = TCopyResult::Failed;
  DWORD error = 0;
  bool copied = CopyContent(in.Get(), out.Get(), buffer_.get(), stillWorking_, failure, error);
  if (copied) {
    // Zero leaves a time as the system set it: the copy is created now and read now.
    basic.CreationTime.QuadPart = 0;
    basic.LastAccessTime.QuadPart = 0;
    basic.ChangeTime.QuadPart = 0;
    // A new file is one to back up, whatever the source's archive flag says.
    basic.FileAttributes = (basic.FileAttributes & kCarriedAttributes) | FILE_ATTRIBUTE_ARCHIVE;
    copied = SetFileInformationByHandle(out.Get(), FileBasicInfo, &basic, sizeof basic) != 0;
    if (!copied) error = GetLastError();
  }
  if (copied) return {};
  std::string reason = SystemErrorText(error);
  if (!Discard(out.Get())) reason += kPartLeftText;
  return {failure, reason};
}
