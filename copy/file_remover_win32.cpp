#include "copy/file_remover_win32.h"

#include <winternl.h>

#include <utility>

#include "copy/file_name_check.h"
#include "naming/mbcs.h"
#include "win32/owned_handle.h"
#include "win32/system_error.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// `name` as the system reads ANSI text; empty when it is not such text.
std::wstring Wide(const std::string& name) {
  std::wstring wide(name.size(), L'\0');
  const int length = name.empty() ? 0
                                  : MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(),
                                                        static_cast<int>(name.size()), wide.data(),
                                                        static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(length));
  return wide;
}

// Opens `name` relative to the open `folder`, as openat does, never by the folder's path: a folder
// renamed or replaced meanwhile changes nothing. Every "\" or "/" of `name` separates; a link or
// junction in a part before the last is followed (where it leads is the caller's to check), and
// the last part is opened itself unless `followFinalLink`. None, with the system's error set, when
// it cannot be opened.
TKernelHandle OpenRelative(HANDLE folder, const std::string& name, DWORD access, bool followFinalLink) {
  std::wstring wide = Wide(name);
  if (wide.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return TKernelHandle();
  }
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  const auto bytes = static_cast<USHORT>(2 * wide.size());
  UNICODE_STRING text{bytes, bytes, wide.data()};
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK status{};
  HANDLE file = INVALID_HANDLE_VALUE;
  const ULONG options = FILE_SYNCHRONOUS_IO_NONALERT | (followFinalLink ? 0 : FILE_OPEN_REPARSE_POINT);
  const NTSTATUS result = NtCreateFile(&file, access | SYNCHRONIZE, &attributes, &status, nullptr, 0, kShareAll,
                                       FILE_OPEN, options, nullptr, 0);
  if (result != 0) {
    SetLastError(RtlNtStatusToDosError(result));
    return TKernelHandle();
  }
  return TKernelHandle(file);
}

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

constexpr DWORD kRemovalAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
constexpr DWORD kNotAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

// The path of an open file as the system resolves it, every link and junction on the way
// followed; empty when the system cannot say.
std::wstring FinalPath(HANDLE file) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return {};
    const bool fits = length < path.size();
    path.resize(length);  // too small, `length` counts the terminating null as well
    if (fits) return path;
  }
}

// Only the attributes: times of 0 are left as they are.
bool SetAttributes(HANDLE file, DWORD attributes) {
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
}

}  // namespace

void TWin32FileRemover::Hold(TKernelHandle file, const std::string& name) {
  held_ = std::move(file);
  heldName_ = name;
}

void TWin32FileRemover::CloseSub() {
  sub_.Reset();
  subName_.clear();
  subFinal_.clear();
}

void TWin32FileRemover::Close() {
  Hold(TKernelHandle(), {});
  CloseSub();
  folder_.Reset();
}

TFolderState TWin32FileRemover::OpenFolder(const std::string& path, const TFileIdentity& identity) {
  Close();
  folderPath_ = path;
  folder_.Reset(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!IsOpen(folder_)) return TFolderState::Missing;
  TFileIdentity now;
  DWORD attributes = 0;
  if (!identities_.Read(folder_.Get(), path, now, &attributes) || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      now.Volume != identity.Volume || now.Index != identity.Index ||
      (identity.Birth != 0 && now.Birth != identity.Birth)) {
    return TFolderState::Other;
  }
  // A sub-folder is reached through links and junctions as the run reached it, and then checked to
  // resolve beneath this.
  folderFinal_ = FinalPath(folder_.Get());
  if (!folderFinal_.empty() && folderFinal_.back() != L'\\') folderFinal_ += L'\\';
  const std::wstring fileSystem = fileSystemName_(folder_.Get());
  return fileSystem.empty() || FileNumbersArePlaces(fileSystem) ? TFolderState::NoLastingIdentity : TFolderState::Same;
}

TWin32FileRemover::TPlace TWin32FileRemover::FolderOf(const std::string& name, std::string& leaf, HANDLE& folder) {
  const std::size_t separator = LastDelimiter("\\/", name, SystemNameEncoding());
  if (separator == std::string::npos) {
    leaf = NameAsCreated(name);
    folder = folder_.Get();
    return TPlace::Beneath;
  }
  leaf = NameAsCreated(name.substr(separator + 1));
  const std::string sub = name.substr(0, separator);
  if (!IsOpen(sub_) || sub != subName_) {
    CloseSub();
    subName_ = sub;
    sub_ = OpenRelative(folder_.Get(), sub, FILE_READ_ATTRIBUTES, true);
    subFinal_ = IsOpen(sub_) ? FinalPath(sub_.Get()) : std::wstring();
    if (!IsOpen(sub_)) {
      subPlace_ = TPlace::Outside;  // not there: nothing of the folder's is at the name
    } else if (subFinal_.empty() || folderFinal_.empty()) {
      subPlace_ = TPlace::Unknown;
    } else {
      const bool beneath =
          subFinal_.size() > folderFinal_.size() && subFinal_.compare(0, folderFinal_.size(), folderFinal_) == 0;
      subPlace_ = beneath ? TPlace::Beneath : TPlace::Outside;
      subFinal_ += L'\\';
    }
  }
  folder = sub_.Get();
  return subPlace_;
}

// Wine opens what a Unix symbolic link at the name leads to even when asked for the link itself:
// the file must resolve to the very name it was opened by. Windows opens the link, which is no
// regular file; where the system cannot say where the folder resolves, that is all there is.
bool TWin32FileRemover::AtItsName(HANDLE file, HANDLE folder, const std::string& leaf) const {
  const std::wstring& within = folder == folder_.Get() ? folderFinal_ : subFinal_;
  if (within.empty()) return true;
  const std::wstring path = FinalPath(file), name = within + Wide(leaf);
  return name.size() > within.size() &&
         CompareStringOrdinal(path.c_str(), static_cast<int>(path.size()), name.c_str(), static_cast<int>(name.size()),
                              TRUE) == CSTR_EQUAL;
}

TFileState TWin32FileRemover::StateOf(HANDLE file, const std::string& name) {
  TFileState state{true, false, {}};
  DWORD attributes = 0;
  state.RegularFile = identities_.Read(file, folderPath_ + "\\" + name, state.File, &attributes) &&
                      !(attributes & kNotAFile);
  return state;
}

// The handle that looked is kept for the removal that usually follows: the file removed is then
// the very file that was looked at, and it is opened once.
TFileState TWin32FileRemover::Inspect(const std::string& name) {
  Hold(TKernelHandle(), {});
  std::string leaf;
  HANDLE folder = INVALID_HANDLE_VALUE;
  switch (FolderOf(name, leaf, folder)) {
    case TPlace::Outside:
      return {};  // its sub-folder is not there, or leads out of the folder
    case TPlace::Unknown:
      return {true, false, {}};  // kept and listed: nothing shows that it is in the folder
    case TPlace::Beneath:
      break;
  }
  Hold(OpenRelative(folder, leaf, kRemovalAccess, false), name);
  if (!IsOpen(held_)) {
    if (Missing(GetLastError())) return {};
    // There, but not to be opened for removal: look with fewer rights.
    const TKernelHandle look(OpenRelative(folder, leaf, FILE_READ_ATTRIBUTES, false));
    if (!IsOpen(look)) return Missing(GetLastError()) ? TFileState{} : TFileState{true, false, {}};
    return StateOf(look.Get(), name);
  }
  TFileState state = StateOf(held_.Get(), name);
  state.RegularFile = state.RegularFile && AtItsName(held_.Get(), folder, leaf);
  if (!state.RegularFile) Hold(TKernelHandle(), {});
  return state;
}

bool TWin32FileRemover::RemoveIfSame(const std::string& name, const TFileIdentity& seen, std::string& problem) {
  if (name != heldName_ || !IsOpen(held_)) {
    Hold(TKernelHandle(), {});
    std::string leaf;
    HANDLE folder = INVALID_HANDLE_VALUE;
    if (FolderOf(name, leaf, folder) != TPlace::Beneath) {
      problem = "it cannot be reached within the folder";
      return false;
    }
    Hold(OpenRelative(folder, leaf, kRemovalAccess, false), name);
    if (!IsOpen(held_)) {
      problem = SystemErrorText(GetLastError());
      return false;
    }
    if (!AtItsName(held_.Get(), folder, leaf)) {
      Hold(TKernelHandle(), {});
      problem = "a link at its name leads elsewhere";
      return false;
    }
  }
  // The handle goes with this call, whatever it does.
  const TKernelHandle handle(std::move(held_));
  heldName_.clear();
  TFileIdentity now;
  DWORD attributes = 0;
  if (!identities_.Read(handle.Get(), folderPath_ + "\\" + name, now, &attributes) || now != seen) {
    problem = "changed while undo looked at it";
    return false;
  }
  // A read-only copy (of a read-only source) cannot be set for deletion while it is read-only.
  // Clearing the flag sets the change time, so it comes after the comparison, and the flag is put
  // back when the file stays.
  const bool readOnly = attributes & FILE_ATTRIBUTE_READONLY;
  if (readOnly) SetAttributes(handle.Get(), attributes & ~FILE_ATTRIBUTE_READONLY);
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  if (!SetFileInformationByHandle(handle.Get(), FileDispositionInfo, &disposition, sizeof disposition)) {
    const DWORD error = GetLastError();
    if (readOnly) SetAttributes(handle.Get(), attributes);
    problem = SystemErrorText(error);
    return false;
  }
  return true;
}
