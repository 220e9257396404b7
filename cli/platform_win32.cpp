#include <windows.h>
#include <io.h>

#include "copy/file_copier_win32.h"
#include "win32/owned_handle.h"
#include "win32/system_error.h"
#include "copy/file_identity_win32.h"
#include "copy/file_remover_win32.h"
#include "copy/journal_file_win32.h"
#include "cli/platform.h"

const char kPathSeparator = '\\';

TNameForm PlatformNames() { return {SystemNameEncoding(), kPathSeparator}; }

std::unique_ptr<IRunTarget> MakeRunTarget(const std::string& source, const std::string& folder) {
  // No name ever holds a part: each copy is made under a temporary name and renamed when complete.
  auto target = std::make_unique<TWin32FileCopier>(source, folder, TStillWorking{}, nullptr,
                                                   TWin32FileCopier::TWay::TemporaryName);
  target->FolderIdentity();  // the folder must be there, as it must where Linux opens it
  return target;
}

std::unique_ptr<IFileRemover> MakeFileRemover() { return std::make_unique<TWin32FileRemover>(); }

std::unique_ptr<IJournalFile> MakeJournalFile(const std::string& path) {
  return std::make_unique<TWin32JournalFile>(path);
}

bool FolderIdentity(const std::string& path, TFileIdentity& identity, std::string& problem) {
  if (ReadFolderIdentity(path, identity)) return true;
  problem = SystemErrorText(GetLastError());
  return false;
}

std::unique_ptr<IJournalOnDisk> OpenJournalFile(const std::string& path, std::string& problem) {
  return OpenTrustedJournal(path, problem);
}

std::string AbsolutePath(const std::string& path, std::string& problem) {
  const DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  std::string result(size, '\0');
  const DWORD length = size ? GetFullPathNameA(path.c_str(), size, result.data(), nullptr) : 0;
  if (length == 0 || length >= size) {
    problem = SystemErrorText(GetLastError());
    return {};
  }
  result.resize(length);
  return result;
}

std::unique_ptr<ICopyLook> MakeCopyLook(const std::string& folder) {
  return std::make_unique<TCopyLook<TWin32FileCopier>>(folder);
}

std::string SourceProblem(const std::string& path) {
  const TKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!IsOpen(file)) return SystemErrorText(GetLastError());
  BY_HANDLE_FILE_INFORMATION information{};
  const bool disk = GetFileType(file.Get()) == FILE_TYPE_DISK;
  const bool folder = disk && GetFileInformationByHandle(file.Get(), &information) &&
                      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  if (folder) return kIsAFolder;
  return disk ? std::string() : kNotAFile;
}

std::string FolderProblem(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return SystemErrorText(GetLastError());
  return attributes & FILE_ATTRIBUTE_DIRECTORY ? std::string() : SystemErrorText(ERROR_DIRECTORY);
}

bool IsTerminal(int fd) { return _isatty(fd) != 0; }

int LocalOffsetMinutes(std::int64_t seconds) {
  // In the 100 ns steps of a FILETIME, from 1601; the system's own conversion, with the rules of
  // summer time for the year.
  const auto ticks = static_cast<std::uint64_t>(seconds + 11644473600) * 10000000;
  const FILETIME utcFile{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc;
  SYSTEMTIME local;
  FILETIME localFile;
  if (!FileTimeToSystemTime(&utcFile, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) ||
      !SystemTimeToFileTime(&local, &localFile)) {
    return 0;
  }
  const std::uint64_t localTicks = (std::uint64_t{localFile.dwHighDateTime} << 32) | localFile.dwLowDateTime;
  return static_cast<int>((static_cast<std::int64_t>(localTicks - ticks)) / 600000000);
}

void PrepareStandardStreams() {}
