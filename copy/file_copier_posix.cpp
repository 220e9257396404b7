#include "copy/file_copier_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

// An owned file descriptor.
class TFd {
 public:
  explicit TFd(int fd) : fd_(fd) {}
  ~TFd() {
    if (fd_ >= 0) close(fd_);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return fd_; }
  // Closes now, reporting what close says: on some file systems a write error shows only here.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

TFileIdentity IdentityOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
          static_cast<std::uint64_t>(st.st_size),
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

TCopyOutcome Failure(int error) { return {TCopyResult::Failed, std::strerror(error)}; }

// Copies the whole of `from` (from its start, whatever its handle's offset) into `to`, a clone
// where the file system can make one, up to the size `source` gives without one more call that
// would only find its end. errno set on failure.
bool CopyContent(int from, const struct stat& source, int to) {
  off_t at = 0;
  for (;;) {
    if (source.st_size > 0 && at >= source.st_size) return true;
    const ssize_t copied = copy_file_range(from, &at, to, nullptr, std::size_t{1} << 30, 0);
    if (copied > 0) continue;
    if (copied == 0) return true;
    // Across file systems on older kernels, or where the call is missing: plain reads and writes
    // from where it stopped.
    if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) return false;
    break;
  }
  std::vector<char> block(std::size_t{1} << 17);
  for (;;) {
    const ssize_t got = pread(from, block.data(), block.size(), at);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    at += got;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = write(to, block.data() + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return false;
      done += put;
    }
  }
}

// Content, permission bits (unless `modeSet`) and times of the source; the identity of the result
// in `file`.
bool Fill(int from, const struct stat& source, int to, bool modeSet, TFileIdentity& file) {
  const struct timespec times[2] = {source.st_atim, source.st_mtim};
  struct stat result;
  if (!CopyContent(from, source, to) || (!modeSet && fchmod(to, source.st_mode & 0777) != 0) ||
      futimens(to, times) != 0 || fstat(to, &result) != 0) {
    return false;
  }
  file = IdentityOf(result);
  return true;
}

bool SameFile(const struct stat& st, const TFileIdentity& file) {
  return static_cast<std::uint64_t>(st.st_dev) == file.Volume && static_cast<std::uint64_t>(st.st_ino) == file.Index;
}

// Removes the part this copy created as `name` in `folder`, if the name still holds it.
void RemovePart(int folder, const std::string& name, const TFileIdentity& file) {
  struct stat st;
  if (fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(st, file)) {
    unlinkat(folder, name.c_str(), 0);
  }
}

}  // namespace

TFolderHandle::~TFolderHandle() {
  if (fd_ >= 0) close(fd_);
}

int TFolderHandle::Of(const std::string& path, std::string& name) {
  const std::size_t slash = path.rfind('/');
  name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t length = slash == std::string::npos ? 0 : slash == 0 ? 1 : slash;
  if (fd_ >= 0 && path.compare(0, length, folder_) == 0 && folder_.size() == length) return fd_;
  if (fd_ >= 0) close(fd_);
  folder_ = slash == std::string::npos ? std::string() : path.substr(0, length);
  fd_ = open(folder_.empty() ? "." : folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  return fd_;
}

TPosixFileCopier::TPosixFileCopier(ICopyWitness* witness, TWay way)
    : witness_(witness), unnamedFirst_(way != TWay::AtItsName), umask_(umask(0)), linkHandle_(way == TWay::Unnamed) {
  umask(umask_);  // only read: umask has no call that reads without setting
}

TPosixFileCopier::~TPosixFileCopier() {
  if (sourceFd_ >= 0) close(sourceFd_);
}

int TPosixFileCopier::OpenSource(const std::string& source) {
  if (sourceFd_ >= 0 && source == sourcePath_) return sourceFd_;
  if (sourceFd_ >= 0) close(sourceFd_);
  sourceFd_ = open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);  // a pipe must not hold the run
  sourcePath_ = source;
  return sourceFd_;
}

int TPosixFileCopier::Name(int file, int folder, const std::string& name) {
  if (linkHandle_) {
    if (linkat(file, "", folder, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
    // Linking a handle itself takes a privilege most users lack; they link its /proc entry.
    if (errno != ENOENT && errno != EPERM) return -1;
    linkHandle_ = false;
  }
  const std::string self = "/proc/self/fd/" + std::to_string(file);
  return linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW);
}

TCopyOutcome TPosixFileCopier::Copy(const std::string& source, const std::string& destination) {
  const int from = OpenSource(source);
  struct stat sourceState;
  if (from < 0 || fstat(from, &sourceState) != 0) return {TCopyResult::SourceUnreadable, std::strerror(errno)};
  // A device or a pipe would never end, or hold the run, or give each copy something else.
  if (!S_ISREG(sourceState.st_mode)) {
    return {TCopyResult::SourceUnreadable, S_ISDIR(sourceState.st_mode) ? std::strerror(EISDIR) : "not a file"};
  }
  std::string name;
  const int folder = folder_.Of(destination, name);
  if (folder < 0) return Failure(errno);
  // A name that exists is told at once, not after a whole copy that linkat then refuses; linkat
  // still refuses a name that appears in between.
  struct stat existing;
  if (fstatat(folder, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) return {TCopyResult::Exists, {}};

  if (unnamedFirst_) {
    // Nobody can open an unnamed file, so it may have the source's bits from the start; the umask
    // may take some away, and then they are set after all.
    const mode_t mode = sourceState.st_mode & 0777;
    TFd to(openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (to.Get() >= 0) {
      TFileIdentity file;
      if (!Fill(from, sourceState, to.Get(), (mode & ~umask_) == mode, file)) return Failure(errno);
      if (witness_) witness_->Created(destination, file);
      if (Name(to.Get(), folder, name) != 0) {
        return errno == EEXIST ? TCopyOutcome{TCopyResult::Exists, {}} : Failure(errno);
      }
      return {};
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return Failure(errno);
  }

  if (witness_) witness_->Creating(destination);
  TFd to(openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (to.Get() < 0) return errno == EEXIST ? TCopyOutcome{TCopyResult::Exists, {}} : Failure(errno);
  struct stat created;
  if (fstat(to.Get(), &created) != 0) return Failure(errno);  // nothing proves the name is ours
  TFileIdentity file = IdentityOf(created);
  try {
    if (witness_) witness_->Opened(destination, file);
  } catch (...) {
    RemovePart(folder, name, file);
    throw;
  }
  if (!Fill(from, sourceState, to.Get(), false, file) || !to.Close()) {
    const int error = errno;
    RemovePart(folder, name, file);
    return Failure(error);
  }
  if (witness_) witness_->Created(destination, file);
  return {};
}

TFileState TPosixFileRemover::Inspect(const std::string& path) {
  std::string name;
  const int folder = folder_.Of(path, name);
  struct stat st;
  if (folder < 0 || fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return {};
  return {true, S_ISREG(st.st_mode), IdentityOf(st)};
}

bool TPosixFileRemover::RemoveIfSame(const std::string& path, const TFileIdentity& file, bool complete,
                                     std::string& problem) {
  std::string name;
  const int folder = folder_.Of(path, name);
  struct stat st;
  if (folder < 0 || fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !SameFile(st, file) ||
      (complete && (IdentityOf(st).Size != file.Size || IdentityOf(st).Time != file.Time))) {
    problem = "changed while undo looked at it";
    return false;
  }
  if (unlinkat(folder, name.c_str(), 0) != 0) {
    problem = std::strerror(errno);
    return false;
  }
  return true;
}

TPosixJournalFile::TPosixJournalFile(const std::string& path)
    : path_(path), fd_(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0666)) {
  if (fd_ < 0) throw std::runtime_error("cannot create the journal " + path + ": " + std::strerror(errno));
}

TPosixJournalFile::~TPosixJournalFile() { close(fd_); }

void TPosixJournalFile::Append(const std::string& line) {
  for (std::size_t done = 0; done < line.size();) {
    const ssize_t put = write(fd_, line.data() + done, line.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) throw std::runtime_error("cannot write the journal " + path_ + ": " + std::strerror(errno));
    done += static_cast<std::size_t>(put);
  }
}
