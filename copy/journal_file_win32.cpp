#include "copy/journal_file_win32.h"

#include <aclapi.h>
#include <sddl.h>

#include <stdexcept>
#include <vector>

#include "win32/owned_handle.h"
#include "win32/system_error.h"

namespace {

// The run's hold and an undo's, as locks on single bytes far past any journal's end, where they
// keep nobody from reading the journal: the run holds its byte alone, and so does an undo; a
// reader asks for the run's byte shared, which the run's hold refuses, and gives it back at once.
constexpr DWORD kLockHigh = 0x7FFFFFFF;
constexpr DWORD kRunByte = 0;
constexpr DWORD kUndoByte = 1;

bool LockByte(HANDLE file, DWORD byte, bool exclusive) {
  OVERLAPPED at{};
  at.Offset = byte;
  at.OffsetHigh = kLockHigh;
  return LockFileEx(file, (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

void UnlockByte(HANDLE file, DWORD byte) {
  OVERLAPPED at{};
  at.Offset = byte;
  at.OffsetHigh = kLockHigh;
  UnlockFileEx(file, 0, 1, 0, &at);
}

}  // namespace

TWin32JournalFile::TWin32JournalFile(const std::string& path)
    : path_(path),
      // Reading too, which the system asks of a handle that locks bytes (Wine does not).
      file_(CreateFileA(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | DELETE, FILE_SHARE_READ, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)) {
  if (!IsOpen(file_)) {
    const DWORD error = GetLastError();
    const std::string problem = "cannot create the journal " + path + ": " + SystemErrorText(error);
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) throw TJournalPathTaken(problem);
    throw std::runtime_error(problem);
  }
  if (!LockByte(file_.Get(), kRunByte, true)) {
    const std::string problem = "cannot hold the journal " + path + " for the run: " + SystemErrorText(GetLastError());
    Discard();
    throw std::runtime_error(problem);
  }
}

void TWin32JournalFile::Append(const std::string& line) {
  DWORD written = 0;
  if (!WriteFile(file_.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
      written != line.size()) {
    throw std::runtime_error("cannot write the journal " + path_ + ": " + SystemErrorText(GetLastError()));
  }
}

void TWin32JournalFile::Discard() {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  SetFileInformationByHandle(file_.Get(), FileDispositionInfo, &disposition, sizeof disposition);
}

namespace {

// Rights over a file, or over a folder (adding files or folders to it, removing what is in it),
// that would let their holder put other paths in a journal, or another file in its place.
constexpr ACCESS_MASK kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | WRITE_DAC |
                                     WRITE_OWNER | DELETE | GENERIC_WRITE | GENERIC_ALL;

std::string SidText(PSID sid) {
  char* text = nullptr;
  if (!ConvertSidToStringSidA(sid, &text)) return "an unreadable account";
  const TLocalMemory owned(text);
  return text;
}

bool TrustedOwner(PSID sid, PSID user) {
  return EqualSid(sid, user) || IsWellKnownSid(sid, WinLocalSystemSid) ||
         IsWellKnownSid(sid, WinBuiltinAdministratorsSid);
}

}  // namespace

std::string SecurityTrustProblem(PSECURITY_DESCRIPTOR descriptor, PSID user, const std::string& consequence) {
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || !owner) {
    return "it has no owner, and anyone could have " + consequence;
  }
  if (!TrustedOwner(owner, user)) {
    return "it belongs to another user (" + SidText(owner) + "), who could have " + consequence;
  }
  BOOL present = FALSE;
  PACL list = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted)) {
    return "its permissions cannot be read: " + SystemErrorText(GetLastError());
  }
  if (!present || !list) return "it has no access list, so anyone may write it, and could have " + consequence;
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
           " write it), and could have " + consequence;
  }
  return {};
}

std::string HandleTrustProblem(HANDLE file, const std::string& consequence) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error = GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, nullptr, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) return "its owner and permissions cannot be read: " + SystemErrorText(error);
  const TLocalMemory ownedDescriptor(descriptor);
  HANDLE opened = nullptr;
  DWORD size = 0;
  std::vector<BYTE> user;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) {
    const TKernelHandle token(opened);
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    user.resize(size);
    if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, user.data(), size, &size)) user.clear();
  }
  if (user.empty()) return "this program's user cannot be read: " + SystemErrorText(GetLastError());
  return SecurityTrustProblem(descriptor, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, consequence);
}

namespace {

class TWin32JournalReader : public IJournalOnDisk {
 public:
  TWin32JournalReader(TKernelHandle file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}

  std::uint64_t Size() override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.Get(), &size)) {
      throw std::runtime_error("cannot read " + path_ + ": " + SystemErrorText(GetLastError()));
    }
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    std::size_t done = 0;
    while (done < size) {
      // A handle opened without overlapped I/O reads at the offset given and waits for the bytes.
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(offset + done);
      at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
      DWORD got = 0;
      if (!ReadFile(file_.Get(), buffer + done, static_cast<DWORD>(size - done), &got, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) break;
        throw std::runtime_error("cannot read " + path_ + ": " + SystemErrorText(GetLastError()));
      }
      if (got == 0) break;
      done += got;
    }
    return done;
  }

  TJournalHolder RunHolder() override {
    if (LockByte(file_.Get(), kRunByte, false)) {
      UnlockByte(file_.Get(), kRunByte);
      return TJournalHolder::Nobody;
    }
    if (GetLastError() == ERROR_LOCK_VIOLATION) return TJournalHolder::Run;
    throw std::runtime_error("cannot tell whether the run of " + path_ + " is still going: " +
                             SystemErrorText(GetLastError()));
  }

  TJournalHolder HoldForUndo() override {
    if (LockByte(file_.Get(), kUndoByte, true)) return TJournalHolder::Nobody;
    if (GetLastError() == ERROR_LOCK_VIOLATION) return TJournalHolder::Undo;
    throw std::runtime_error("cannot hold " + path_ + " for this undo: " + SystemErrorText(GetLastError()));
  }

 private:
  TKernelHandle file_;
  std::string path_;
};

}  // namespace

std::unique_ptr<IJournalOnDisk> OpenTrustedJournal(const std::string& path, std::string& problem) {
  // Shared with a run that still writes it (and may discard it), which RunHolder then tells.
  TKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!IsOpen(file)) {
    problem = "cannot open " + path + ": " + SystemErrorText(GetLastError());
    return nullptr;
  }
  if (const std::string trust = HandleTrustProblem(file.Get(), "written any path in it"); !trust.empty()) {
    problem = "will not undo " + path + ": " + trust;
    return nullptr;
  }
  return std::make_unique<TWin32JournalReader>(std::move(file), path);
}
