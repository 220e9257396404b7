#include <dirent.h>
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
#include "cli/platform.h"

const char kPathSeparator = '/';

std::unique_ptr<IFileCopier> MakeFileCopier(const std::string& folder, ICopyWitness* witness) {
  return std::make_unique<TPosixFileCopier>(folder, witness);
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

std::unique_ptr<IJournalReader> OpenJournalFile(const std::string& path, std::string& problem) {
  return OpenTrustedJournal(path, problem);
}

std::string StateFolder(std::string& problem) {
  // A relative XDG_STATE_HOME is ignored, as other programs that keep state there ignore it.
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return std::string(state) + "/tandelo-cli";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/state/tandelo-cli";
  problem = "neither XDG_STATE_HOME nor HOME is set to a full path";
  return {};
}

bool MakeStateFolder(const std::string& path, std::string& problem) {
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string level = path.substr(0, end);
    if (level.back() != '/' && mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) {
      problem = (level == path ? "" : level + ": ") + std::strerror(errno);
      return false;
    }
    if (end == std::string::npos) break;
  }
  problem = FolderProblem(path);
  return problem.empty();
}

bool FolderNames(const std::string& folder, std::vector<std::string>& names, std::string& problem) {
  names.clear();
  DIR* listing = opendir(folder.c_str());
  if (!listing) {
    if (errno == ENOENT) return true;
    problem = std::strerror(errno);
    return false;
  }
  errno = 0;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  const int error = errno;
  closedir(listing);
  if (error == 0) return true;
  problem = std::strerror(error);
  return false;
}

bool MakeMark(const std::string& path, std::string& problem) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd >= 0) close(fd);
  if (fd >= 0 || errno == EEXIST) return true;
  problem = std::strerror(errno);
  return false;
}

std::string AbsolutePath(const std::string& path, std::string& problem) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) {
    problem = std::strerror(errno);
    return {};
  }
  std::string result(resolved);
  std::free(resolved);
  return result;
}

std::unique_ptr<ICopyLook> MakeCopyLook(const std::string& folder) {
  return std::make_unique<TCopyLook<TPosixFileCopier>>(folder);
}

std::string SourceProblem(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st;
  const bool known = fd >= 0 && fstat(fd, &st) == 0;
  const int error = errno;
  if (fd >= 0) close(fd);
  if (!known) return std::strerror(error);
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
