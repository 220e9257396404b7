// The state folder on Linux: a folder handle that every name is reached beneath, its lock a flock
// on the folder.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "copy/journal_file_posix.h"
#include "posix/owned_handle.h"
#include "cli/platform.h"

namespace {

// Makes `path` and each level missing above it, 0700 as state folders are. False with `problem`
// set: the reason, after the level that could not be made when it is not the last.
bool MakeLevels(const std::string& path, std::string& problem) {
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string level = path.substr(0, end);
    if (level.back() != '/' && mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) {
      problem = (level == path ? "" : level + ": ") + std::strerror(errno);
      return false;
    }
    if (end == std::string::npos) return true;
  }
}

class TPosixStateFolder : public IStateFolder {
 public:
  TPosixStateFolder(TFileDescriptor folder, std::string path) : folder_(std::move(folder)), path_(std::move(path)) {}

  const std::string& Path() const override { return path_; }

  std::shared_ptr<void> Hold(bool starting) override {
    // Through the folder opened anew for the lock alone, whose closing (or the end of the
    // process) gives the lock back.
    auto lock = std::make_shared<TFileDescriptor>(openat(folder_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    bool held = IsOpen(*lock);
    while (held && flock(lock->Get(), starting ? LOCK_EX : LOCK_SH) != 0) held = errno == EINTR;
    if (!held) throw std::runtime_error("cannot hold the folder of journals " + path_ + ": " + std::strerror(errno));
    return lock;
  }

  bool Names(std::vector<std::string>& names, std::string& problem) override {
    names.clear();
    // A handle of the listing's own: reading moves it.
    TFileDescriptor listed(openat(folder_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const TFolderListing listing(IsOpen(listed) ? fdopendir(listed.Get()) : nullptr);
    if (!IsOpen(listing)) {
      problem = "cannot read the folder of journals " + path_ + ": " + std::strerror(errno);
      return false;
    }
    listed.Release();  // the listing's now, closed with it
    errno = 0;
    while (const dirent* entry = readdir(listing.Get())) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    const int error = errno;
    if (error == 0) return true;
    problem = "cannot read the folder of journals " + path_ + ": " + std::strerror(error);
    return false;
  }

  std::unique_ptr<IJournalFile> CreateJournal(const std::string& name) override {
    return std::make_unique<TPosixJournalFile>(folder_.Get(), name, At(name));
  }

  std::unique_ptr<IJournalOnDisk> OpenJournal(const std::string& name, std::string& problem) override {
    return OpenTrustedJournalAt(folder_.Get(), name, At(name), problem);
  }

  TMark Mark(const std::string& name, std::string& problem) override {
    struct stat st;
    if (fstatat(folder_.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) return TMark::Absent;
      problem = "cannot read the mark " + At(name) + ": " + std::strerror(errno);
      return TMark::Untrusted;
    }
    std::string why = S_ISREG(st.st_mode) ? TrustProblem(st, "marked the run undone") : "it is not a file";
    if (why.empty()) return TMark::Trusted;
    problem = "will not trust the mark " + At(name) + ": " + why;
    return TMark::Untrusted;
  }

  bool MakeMark(const std::string& name, std::string& problem) override {
    const TFileDescriptor mark(
        openat(folder_.Get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (IsOpen(mark)) return true;
    if (errno != EEXIST) {
      problem = "cannot make the mark " + At(name) + ": " + std::strerror(errno);
      return false;
    }
    return Mark(name, problem) == TMark::Trusted;
  }

  bool IsFolder(const std::string& path) override {
    struct stat held;
    struct stat there;
    return fstat(folder_.Get(), &held) == 0 && stat(path.c_str(), &there) == 0 && held.st_dev == there.st_dev &&
           held.st_ino == there.st_ino;
  }

 private:
  std::string At(const std::string& name) const { return path_ + "/" + name; }

  TFileDescriptor folder_;
  std::string path_;
};

}  // namespace

std::string StateFolderPath(std::string& problem) {
  // A relative XDG_STATE_HOME is ignored, as other programs that keep state there ignore it.
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return std::string(state) + "/tandelo-cli";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/state/tandelo-cli";
  problem = "neither XDG_STATE_HOME nor HOME is set to a full path";
  return {};
}

std::unique_ptr<IStateFolder> OpenStateFolder(const std::string& path, bool make, bool& absent, std::string& problem) {
  absent = false;
  if (make && !MakeLevels(path, problem)) {
    problem = "cannot make the folder for journals " + path + ": " + problem;
    return nullptr;
  }
  TFileDescriptor folder(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!IsOpen(folder)) {
    absent = errno == ENOENT;
    problem = "cannot open the folder of journals " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  struct stat st;
  const std::string why = fstat(folder.Get(), &st) != 0 ? std::strerror(errno)
                                                        : TrustProblem(st, "put runs and marks of their own in it");
  if (!why.empty()) {
    problem = "will not use the folder of journals " + path + ": " + why;
    return nullptr;
  }
  return std::make_unique<TPosixStateFolder>(std::move(folder), path);
}
