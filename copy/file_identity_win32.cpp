#include "copy/file_identity_win32.h"

#include <aclapi.h>
#include <sddl.h>
#include <winternl.h>

#include <stdexcept>
#include <utility>
#include <vector>

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
constexpr LONGLONG kUnixEpoch = 116444736000000000;  // 1970-01-01 in 100 ns steps since 1601

std::int64_t UnixNanoseconds(const LARGE_INTEGER& time) {
  return time.QuadPart == 0 ? 0 : (time.QuadPart - kUnixEpoch) * 100;
}

}  // namespace

TFileIdentity IdentityFrom(DWORD volumeSerial, const LARGE_INTEGER& index, const FILE_STANDARD_INFO& standard,
                           const FILE_BASIC_INFO& basic) {
  TFileIdentity identity;
  identity.Volume = volumeSerial;
  identity.Index = static_cast<std::uint64_t>(index.QuadPart);
  identity.Size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
  identity.Time = UnixNanoseconds(basic.LastWriteTime);
  identity.Change = UnixNanoseconds(basic.ChangeTime);
  return identity;
}

bool FileNumbersArePlaces(const std::wstring& fileSystemName) {
  for (const wchar_t* fat : {L"FAT", L"FAT32", L"exFAT"}) {
    if (CompareStringOrdinal(fileSystemName.c_str(), -1, fat, -1, TRUE) == CSTR_EQUAL) return true;
  }
  return false;
}

bool TIdentityReader::Read(HANDLE file, const std::string& path, TFileIdentity& identity, DWORD* attributes) {
  const std::size_t separator = LastDelimiter("\\/", path);
  const std::string folder = separator == std::string::npos ? std::string() : path.substr(0, separator);
  if (!known_ || folder != folder_) {
    DWORD serial = 0;
    if (!GetVolumeInformationByHandleW(file, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return false;
    folder_ = folder;
    serial_ = serial;
    known_ = true;
  }
  // The file's number as the system keeps it, all 64 bits (what GetFileInformationByHandle splits
  // into nFileIndexHigh and nFileIndexLow).
  IO_STATUS_BLOCK status{};
  LARGE_INTEGER index{};
  constexpr auto kFileInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
  const NTSTATUS result = NtQueryInformationFile(file, &status, &index, sizeof index, kFileInternalInformation);
  if (result != 0) {
    SetLastError(RtlNtStatusToDosError(result));
    return false;
  }
  FILE_STANDARD_INFO standard;
  FILE_BASIC_INFO basic;
  if (!GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) ||
      !GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
    return false;
  }
  identity = IdentityFrom(static_cast<DWORD>(serial_), index, standard, basic);
  if (attributes) *attributes = basic.FileAttributes;
  return true;
}

bool ReadFolderIdentity(const std::string& path, TFileIdentity& identity) {
  const THandle folder(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  TIdentityReader identities;
  return folder.Valid() && identities.Read(folder.Get(), path, identity);
}

namespace {

// Opens `name` relative to the open `folder`, as openat does, never by the folder's path: a folder
// renamed or replaced meanwhile changes nothing. Every "\" or "/" of `name` separates; a link or
// junction in a part before the last is followed (where it leads is the caller's to check), and
// the last part is opened itself unless `followFinalLink`. INVALID_HANDLE_VALUE with the system's
// error set when it cannot be opened.
HANDLE OpenRelative(HANDLE folder, const std::string& name, DWORD access, bool followFinalLink) {
  std::wstring wide(name.size(), L'\0');
  const int length = name.empty() ? 0
                                  : MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(),
                                                        static_cast<int>(name.size()), wide.data(),
                                                        static_cast<int>(wide.size()));
  if (length == 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  wide.resize(static_cast<std::size_t>(length));
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  UNICODE_STRING text{static_cast<USHORT>(2 * length), static_cast<USHORT>(2 * length), wide.data()};
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK status{};
  HANDLE file = INVALID_HANDLE_VALUE;
  const ULONG options = FILE_SYNCHRONOUS_IO_NONALERT | (followFinalLink ? 0 : FILE_OPEN_REPARSE_POINT);
  const NTSTATUS result = NtCreateFile(&file, access | SYNCHRONIZE, &attributes, &status, nullptr, 0, kShareAll,
                                       FILE_OPEN, options, nullptr, 0);
  if (result != 0) {
    SetLastError(RtlNtStatusToDosError(result));
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

// The last part of a name as the system's path rules make it: they drop trailing dots and spaces,
// so the copy to "a." made "a". (No second byte of a double-byte character is a dot or a space.)
std::string AsCreated(std::string leaf) {
  while (!leaf.empty() && (leaf.back() == '.' || leaf.back() == ' ')) leaf.pop_back();
  return leaf;
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

TWin32FileRemover::~TWin32FileRemover() { Close(); }

void TWin32FileRemover::Hold(HANDLE file, const std::string& name) {
  if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
  held_ = file;
  heldName_ = name;
}

void TWin32FileRemover::CloseSub() {
  if (sub_ != INVALID_HANDLE_VALUE) CloseHandle(sub_);
  sub_ = INVALID_HANDLE_VALUE;
  subName_.clear();
}

void TWin32FileRemover::Close() {
  Hold(INVALID_HANDLE_VALUE, {});
  CloseSub();
  if (folder_ != INVALID_HANDLE_VALUE) CloseHandle(folder_);
  folder_ = INVALID_HANDLE_VALUE;
}

TFolderState TWin32FileRemover::OpenFolder(const std::string& path, const TFileIdentity& identity) {
  Close();
  folderPath_ = path;
  folder_ = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder_ == INVALID_HANDLE_VALUE) return TFolderState::Missing;
  TFileIdentity now;
  DWORD attributes = 0;
  if (!identities_.Read(folder_, path, now, &attributes) || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      now.Volume != identity.Volume || now.Index != identity.Index ||
      (identity.Birth != 0 && now.Birth != identity.Birth)) {
    return TFolderState::Other;
  }
  // A sub-folder is reached through links and junctions as the run reached it, and then checked to
  // resolve beneath this.
  folderFinal_ = FinalPath(folder_);
  if (!folderFinal_.empty() && folderFinal_.back() != L'\\') folderFinal_ += L'\\';
  wchar_t fileSystem[MAX_PATH + 1];
  if (!GetVolumeInformationByHandleW(folder_, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1) ||
      FileNumbersArePlaces(fileSystem)) {
    return TFolderState::NoLastingIdentity;
  }
  return TFolderState::Same;
}

TWin32FileRemover::TPlace TWin32FileRemover::FolderOf(const std::string& name, std::string& leaf, HANDLE& folder) {
  const std::size_t separator = LastDelimiter("\\/", name);
  if (separator == std::string::npos) {
    leaf = AsCreated(name);
    folder = folder_;
    return TPlace::Beneath;
  }
  leaf = AsCreated(name.substr(separator + 1));
  const std::string sub = name.substr(0, separator);
  if (sub_ == INVALID_HANDLE_VALUE || sub != subName_) {
    CloseSub();
    subName_ = sub;
    sub_ = OpenRelative(folder_, sub, FILE_READ_ATTRIBUTES, true);
    const std::wstring path = sub_ == INVALID_HANDLE_VALUE ? std::wstring() : FinalPath(sub_);
    if (sub_ == INVALID_HANDLE_VALUE) {
      subPlace_ = TPlace::Outside;  // not there: nothing of the folder's is at the name
    } else if (path.empty() || folderFinal_.empty()) {
      subPlace_ = TPlace::Unknown;
    } else {
      const bool beneath = path.size() > folderFinal_.size() && path.compare(0, folderFinal_.size(), folderFinal_) == 0;
      subPlace_ = beneath ? TPlace::Beneath : TPlace::Outside;
    }
  }
  folder = sub_;
  return subPlace_;
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
  Hold(INVALID_HANDLE_VALUE, {});
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
  if (held_ == INVALID_HANDLE_VALUE) {
    if (Missing(GetLastError())) return {};
    // There, but not to be opened for removal: look with fewer rights.
    const THandle look(OpenRelative(folder, leaf, FILE_READ_ATTRIBUTES, false));
    if (!look.Valid()) return Missing(GetLastError()) ? TFileState{} : TFileState{true, false, {}};
    return StateOf(look.Get(), name);
  }
  const TFileState state = StateOf(held_, name);
  if (!state.RegularFile) Hold(INVALID_HANDLE_VALUE, {});
  return state;
}

bool TWin32FileRemover::RemoveIfSame(const std::string& name, const TFileIdentity& seen, std::string& problem) {
  if (name != heldName_ || held_ == INVALID_HANDLE_VALUE) {
    Hold(INVALID_HANDLE_VALUE, {});
    std::string leaf;
    HANDLE folder = INVALID_HANDLE_VALUE;
    if (FolderOf(name, leaf, folder) != TPlace::Beneath) {
      problem = "it cannot be reached within the folder";
      return false;
    }
    Hold(OpenRelative(folder, leaf, kRemovalAccess, false), name);
    if (held_ == INVALID_HANDLE_VALUE) {
      problem = SystemErrorText(GetLastError());
      return false;
    }
  }
  // The handle goes with this call, whatever it does.
  const THandle handle(std::exchange(held_, INVALID_HANDLE_VALUE));
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

TWin32JournalFile::TWin32JournalFile(const std::string& path)
    : path_(path),
      file_(CreateFileA(path.c_str(), FILE_APPEND_DATA | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {
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

void TWin32JournalFile::Discard() {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  SetFileInformationByHandle(file_, FileDispositionInfo, &disposition, sizeof disposition);
}

namespace {

// Rights over a file that would let their holder put other paths in a journal, or another file
// in its place.
constexpr ACCESS_MASK kWriteRights =
    FILE_WRITE_DATA | FILE_APPEND_DATA | WRITE_DAC | WRITE_OWNER | DELETE | GENERIC_WRITE | GENERIC_ALL;

std::string SidText(PSID sid) {
  char* text = nullptr;
  if (!ConvertSidToStringSidA(sid, &text)) return "an unreadable account";
  std::string result(text);
  LocalFree(text);
  return result;
}

bool TrustedOwner(PSID sid, PSID user) {
  return EqualSid(sid, user) || IsWellKnownSid(sid, WinLocalSystemSid) ||
         IsWellKnownSid(sid, WinBuiltinAdministratorsSid);
}

}  // namespace

std::string SecurityTrustProblem(PSECURITY_DESCRIPTOR descriptor, PSID user) {
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || !owner) {
    return "it has no owner, and anyone could have written any path in it";
  }
  if (!TrustedOwner(owner, user)) {
    return "it belongs to another user (" + SidText(owner) + "), who could have written any path in it";
  }
  BOOL present = FALSE;
  PACL list = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted)) {
    return "its permissions cannot be read: " + SystemErrorText(GetLastError());
  }
  if (!present || !list) return "it has no access list, so anyone may write it, and could have written any path in it";
  for (DWORD i = 0; i < list->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(list, i, &entry)) return "its permissions cannot be read: " + SystemErrorText(GetLastError());
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    if (header->AceFlags & INHERIT_ONLY_ACE) continue;  // only for what is made in a folder
    ACCESS_MASK rights = 0;
    PSID who = nullptr;
    switch (header->AceType) {
      case ACCESS_ALLOWED_ACE_TYPE:
      case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: {
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        rights = allowed->Mask;
        who = &allowed->SidStart;
        break;
      }
      case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
      case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
        // Not made for files; whoever it names, writing it grants is not trusted.
        rights = static_cast<const ACCESS_ALLOWED_OBJECT_ACE*>(entry)->Mask;
        break;
      default:
        continue;  // a denial or an audit only takes rights away
    }
    if (!(rights & kWriteRights)) continue;
    if (who && (TrustedOwner(who, user) || IsWellKnownSid(who, WinCreatorOwnerSid))) continue;
    return "other users may write it (its access list lets " + (who ? SidText(who) : std::string("an object entry")) +
           " write it), and could have written any path in it";
  }
  return {};
}

namespace {

std::string JournalTrustProblem(HANDLE file) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error = GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, nullptr, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) return "its owner and permissions cannot be read: " + SystemErrorText(error);
  std::string problem;
  HANDLE token = nullptr;
  DWORD size = 0;
  std::vector<BYTE> user;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user.resize(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size)) user.clear();
    CloseHandle(token);
  }
  if (user.empty()) {
    problem = "this program's user cannot be read: " + SystemErrorText(GetLastError());
  } else {
    problem = SecurityTrustProblem(descriptor, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
  }
  LocalFree(descriptor);
  return problem;
}

}  // namespace

bool ReadTrustedJournal(const std::string& path, std::string& text, std::string& problem) {
  // Shared for reading only: nothing changes the journal between its check and its last byte.
  const THandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.Valid()) {
    problem = "cannot open " + path + ": " + SystemErrorText(GetLastError());
    return false;
  }
  if (const std::string trust = JournalTrustProblem(file.Get()); !trust.empty()) {
    problem = "will not undo " + path + ": " + trust;
    return false;
  }
  text.clear();
  std::string block(1 << 16, '\0');
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr)) {
      problem = "cannot read " + path + ": " + SystemErrorText(GetLastError());
      return false;
    }
    if (got == 0) return true;
    text.append(block, 0, got);
  }
}
