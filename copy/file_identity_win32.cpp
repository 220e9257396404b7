#include "copy/file_identity_win32.h"

#include <winternl.h>

#include <stdexcept>

#include "naming/mbcs.h"

#include "copy/file_copier_win32.h"

namespace {

// An owned file handle.
class THandle {
 public:
  explicit THandle(HANDLE handle) : handle_(handle) {}
  ~THandle() {
    if (Valid()) CloseHandle(handle_);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

bool TIdentityReader::Read(HANDLE file, const std::string& path, TFileIdentity& identity) {
  const std::size_t separator = LastDelimiter("\\/", path);
  const std::string folder = separator == std::string::npos ? std::string() : path.substr(0, separator);
  if (!known_ || folder != folder_) {
    DWORD serial = 0;
    if (!GetVolumeInformationByHandleW(file, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return false;
    folder_ = folder;
    serial_ = serial;
    known_ = true;
  }
  // The file index as the system keeps it (the same number the by-handle information gives).
  IO_STATUS_BLOCK status{};
  LARGE_INTEGER index{};
  constexpr auto kFileInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
  FILE_STANDARD_INFO standard;
  FILE_BASIC_INFO basic;
  if (NtQueryInformationFile(file, &status, &index, sizeof index, kFileInternalInformation) != 0 ||
      !GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) ||
      !GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
    return false;
  }
  identity.Volume = serial_;
  identity.Index = static_cast<std::uint64_t>(index.QuadPart);
  identity.Size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
  identity.Time = basic.LastWriteTime.QuadPart;
  return true;
}

TWin32FileRemover::~TWin32FileRemover() { Hold(INVALID_HANDLE_VALUE, {}); }

void TWin32FileRemover::Hold(HANDLE file, const std::string& path) {
  if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
  held_ = file;
  heldPath_ = path;
}

namespace {

HANDLE OpenToLookAt(const std::string& path, DWORD access) {
  return CreateFileA(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

constexpr DWORD kRemovalAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

}  // namespace

TFileState TWin32FileRemover::StateOf(HANDLE file, const std::string& path) {
  FILE_BASIC_INFO basic;
  TFileState state{true, false, {}};
  if (GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
      !(basic.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    state.RegularFile = identities_.Read(file, path, state.File);
  }
  return state;
}

// The handle that looked is kept for the removal that usually follows: the file removed is then
// the very file that was looked at, and it is opened once.
TFileState TWin32FileRemover::Inspect(const std::string& path) {
  Hold(OpenToLookAt(path, kRemovalAccess), path);
  if (held_ != INVALID_HANDLE_VALUE) return StateOf(held_, path);
  if (Missing(GetLastError())) return {};
  // There, but not to be opened for removal: look with fewer rights.
  const THandle look(OpenToLookAt(path, FILE_READ_ATTRIBUTES));
  if (!look.Valid()) return Missing(GetLastError()) ? TFileState{} : TFileState{true, false, {}};
  return StateOf(look.Get(), path);
}

bool TWin32FileRemover::RemoveIfSame(const std::string& path, const TFileIdentity& file, bool complete,
                                     std::string& problem) {
  if (path != heldPath_ || held_ == INVALID_HANDLE_VALUE) {
    Hold(CreateFileA(path.c_str(), kRemovalAccess, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                     nullptr),
         path);
  }
  // The handle goes with this call, whatever it does.
  const THandle handle(held_);
  held_ = INVALID_HANDLE_VALUE;
  heldPath_.clear();
  TFileIdentity now;
  if (!handle.Valid()) {
    problem = SystemErrorText(GetLastError());
    return false;
  }
  if (!identities_.Read(handle.Get(), path, now) || now.Volume != file.Volume || now.Index != file.Index ||
      (complete && (now.Size != file.Size || now.Time != file.Time))) {
    problem = "changed while undo looked at it";
    return false;
  }
  // A read-only copy (of a read-only source) cannot be set for deletion until it is writable.
  FILE_BASIC_INFO basic{};
  if (GetFileInformationByHandleEx(handle.Get(), FileBasicInfo, &basic, sizeof basic) &&
      (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
    basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(handle.Get(), FileBasicInfo, &basic, sizeof basic);
  }
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  if (!SetFileInformationByHandle(handle.Get(), FileDispositionInfo, &disposition, sizeof disposition)) {
    problem = SystemErrorText(GetLastError());
    return false;
  }
  return true;
}

TWin32JournalFile::TWin32JournalFile(const std::string& path)
    : path_(path),
      file_(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                        nullptr)) {
  if (file_ == INVALID_HANDLE_VALUE) {
    throw std::runtime_error("cannot create the journal " + path + ": " + SystemErrorText(GetLastError()));
  }
}

TWin32JournalFile::~TWin32JournalFile() { CloseHandle(file_); }

void TWin32JournalFile::Append(const std::string& line) {
  DWORD written = 0;
  if (!WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) || written != line.size()) {
    throw std::runtime_error("cannot write the journal " + path_ + ": " + SystemErrorText(GetLastError()));
  }
}
