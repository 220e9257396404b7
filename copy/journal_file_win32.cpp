#include "copy/journal_file_win32.h"

#include <aclapi.h>
#include <sddl.h>

#include <stdexcept>
#include <vector>

#include "win32/owned_handle.h"
#include "win32/system_error.h"

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
  const TKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!IsOpen(file)) {
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
