#include "copy/file_identity_win32.h"

#include <winternl.h>

#include "naming/mbcs.h"
#include "win32/owned_handle.h"

namespace {

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

std::wstring FileSystemName(HANDLE file) {
  wchar_t name[MAX_PATH + 1];
  return GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH + 1) ? name : L"";
}

TEncoding SystemNameEncoding() { return GetACP() == 932 ? TEncoding::ShiftJis : TEncoding::Utf8; }

bool TIdentityReader::Read(HANDLE file, const std::string& path, TFileIdentity& identity, DWORD* attributes) {
  const std::size_t separator = LastDelimiter("\\/", path, SystemNameEncoding());
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
  const TKernelHandle folder(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  TIdentityReader identities;
  return IsOpen(folder) && identities.Read(folder.Get(), path, identity);
}
