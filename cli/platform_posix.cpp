#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "copy/file_copier_posix.h"
#include "copy/file_identity_posix.h"
#include "copy/file_remover_posix.h"
#include "copy/journal_file_posix.h"
#include "posix/owned_handle.h"
#include "cli/platform.h"

const char kPathSeparator = '/';

TNameForm PlatformNames() { return {TEncoding::Utf8, kPathSeparator}; }

std::unique_ptr<IRunTarget> MakeRunTarget(const std::string& source, const std::string& folder) {
  return std::make_unique<TPosixFileCopier>(source, folder);
}

std::unique_ptr<IFileRemover> MakeFileRemover() { return std::make_unique<TPosixFileRemover>(); }

std::unique_ptr<IJournalFile> MakeJournalFile(const std::string& path) {
  return std::make_unique<TPosixJournalFile>(path);
}

bool FolderIdentity(const std::string& path, TFileIdentity& identity, std::string& problem) {
  if (ReadFolderIdentity(path, identity)) return true;
  problem = std::strerror(errno);
  return false;
}

std::unique_ptr<IJournalOnDisk> OpenJournalFile(const std::string& path, std::string& problem) {
  return OpenTrustedJournal(path, problem);
}

std::string AbsolutePath(const std::string& path, std::string& problem) {
  const TSystemMemory<char> resolved(realpath(path.c_str(), nullptr));
  if (!IsOpen(resolved)) {
    problem = std::strerror(errno);
    return {};
  }
  return resolved.Get();
}

std::unique_ptr<ICopyLook> MakeCopyLook(const std::string& folder) {
  return std::make_unique<TCopyLook<TPosixFileCopier>>(folder);
}

std::string SourceProblem(const std::string& path) {
  const TFileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat st;
  if (!IsOpen(file) || fstat(file.Get(), &st) != 0) return std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return kIsAFolder;
  return S_ISREG(st.st_mode) ? std::string() : kNotAFile;
}

std::string FolderProblem(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return std::strerror(errno);
  return S_ISDIR(st.st_mode) ? std::string() : std::strerror(ENOTDIR);
}

bool IsTerminal(int fd) { return isatty(fd) == 1; }

int LocalOffsetMinutes(std::int64_t seconds) {
  const auto at = static_cast<std::time_t>(seconds);
  std::tm local{};
  return localtime_r(&at, &local) ? static_cast<int>(local.tm_gmtoff / 60) : 0;
}

void PrepareStandardStreams() { std::signal(SIGPIPE, SIG_IGN); }
