#include "copy/file_identity_win32.h"

#include <stdexcept>

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

bool IdentityOfHandle(HANDLE file, TFileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return false;
  identity.Volume = info.dwVolumeSerialNumber;
  identity.Index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  identity.Size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  identity.Time = static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                            info.ftLastWriteTime.dwLowDateTime);
  return true;
}

TFileState TWin32FileRemover::Inspect(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return {};
  TFileState state{true, !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)), {}};
  const THandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.Valid() || !IdentityOfHandle(file.Get(), state.File)) state.RegularFile = false;
  return state;
}

bool TWin32FileRemover::RemoveIfSame(const std::string& path, const TFileIdentity& file, bool complete,
                                     std::string& problem) {
  const THandle handle(CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  TFileIdentity now;
  if (!handle.Valid()) {
    problem = SystemErrorText(GetLastError());
    return false;
  }
  if (!IdentityOfHandle(handle.Get(), now) || now.Volume != file.Volume || now.Index != file.Index ||
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
