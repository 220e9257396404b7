#include "copy/file_copier_posix.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "posix/held_file.h"

namespace {

TCopyOutcome Failure(int error) { return {TCopyResult::Failed, std::strerror(error)}; }

const char kLeavesTheFolder[] = "フォルダの外へ出るリンクを通る名前は使えません。";

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
// in `file`. Only the permission bits travel: set-user-ID and set-group-ID on a copy nobody
// asked to run would hand the copier's rights to whoever runs it.
bool Fill(int from, const struct stat& source, int to, bool modeSet, TFileIdentity& file) {
  const struct timespec times[2] = {source.st_atim, source.st_mtim};
  if (!CopyContent(from, source, to) || (!modeSet && fchmod(to, source.st_mode & 0777) != 0) ||
      futimens(to, times) != 0) {
    return false;
  }
  return IdentityOf(to, file);
}

}  // namespace

TPosixFileCopier::TPosixFileCopier(std::string source, const std::string& folder, ICopyWitness* witness, TWay way)
    : sourcePath_(std::move(source)),
      witness_(witness),
      unnamedFirst_(way == TWay::Unnamed || way == TWay::UnnamedThroughProc),
      renameNoReplace_(way != TWay::TemporaryLinked),
      umask_(umask(0)),
      linkHandle_(way == TWay::Unnamed) {
  umask(umask_);  // only read: umask has no call that reads without setting
  if (!folder_.Open(folder)) {
    throw std::runtime_error("cannot open the folder " + folder + ": " + std::strerror(errno));
  }
  // Temporary names differ between runs and processes without a shared counter.
  if (getrandom(&nextTemporary_, sizeof nextTemporary_, 0) != sizeof nextTemporary_) {
    nextTemporary_ = static_cast<unsigned long long>(getpid()) << 32;
  }
}

TFileIdentity TPosixFileCopier::FolderIdentity() {
  TFileIdentity identity;
  if (!IdentityOf(folder_.Get(), identity)) {
    throw std::runtime_error(std::string("cannot identify the folder: ") + std::strerror(errno));
  }
  return identity;
}

int TPosixFileCopier::OpenSource() {
  // Without O_NONBLOCK a pipe would hold the run at its opening.
  if (!IsOpen(source_)) source_.Reset(open(sourcePath_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  return source_.Get();
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

TCopyOutcome TPosixFileCopier::Copy(const std::string& name) {
  const int from = OpenSource();
  struct stat sourceState;
  if (from < 0 || fstat(from, &sourceState) != 0) return {TCopyResult::SourceUnreadable, std::strerror(errno)};
  // A device or a pipe would never end, or hold the run, or give each copy something else.
  if (!S_ISREG(sourceState.st_mode)) {
    return {TCopyResult::SourceUnreadable, S_ISDIR(sourceState.st_mode) ? std::strerror(EISDIR) : "not a file"};
  }
  std::string leaf;
  TCopyOutcome outcome;
  const int folder = Reach(name, leaf, outcome);
  if (folder < 0) return outcome;

  if (unnamedFirst_) {
    // Nobody can open an unnamed file, so it may have the source's bits from the start; the umask
    // may take some away, and then they are set after all.
    const mode_t mode = sourceState.st_mode & 0777;
    const TFileDescriptor to(openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (IsOpen(to)) {
      TFileIdentity file;
      if (!Fill(from, sourceState, to.Get(), (mode & ~umask_) == mode, file)) return Failure(errno);
      if (witness_) witness_->Created(name, {}, file);
      if (Name(to.Get(), folder, leaf) != 0) {
        return errno == EEXIST ? TCopyOutcome{TCopyResult::Exists, {}} : Failure(errno);
      }
      // Naming changed the file's change time: the proof undo compares is the file as named.
      if (witness_ && IdentityOf(to.Get(), file)) witness_->Named(name, file);
      return {};
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return Failure(errno);
    unnamedFirst_ = false;  // the same file system answers the same for the rest of the run
  }
  return CopyUnderTemporaryName(from, sourceState, folder, leaf, name);
}

int TPosixFileCopier::Reach(const std::string& name, std::string& leaf, TCopyOutcome& outcome) {
  const int folder = folder_.Of(name, leaf);
  if (folder < 0) {
    // Resolution beneath the folder refuses a link that leads out of it (or names a path from
    // the root) with EXDEV, which the system would call a cross-device link.
    outcome = errno == EXDEV ? TCopyOutcome{TCopyResult::Failed, kLeavesTheFolder} : Failure(errno);
    return -1;
  }
  // A name that exists is told at once, not after a whole copy that the naming then refuses; the
  // naming still refuses a name that appears in between.
  struct stat existing;
  if (fstatat(folder, leaf.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    outcome = {TCopyResult::Exists, {}};
    return -1;
  }
  // Anything but "no such name" (a name too long for the file system, say) is what the copy would
  // meet when it names the file: told now, so that a look says what the copy does.
  if (errno != ENOENT) {
    outcome = Failure(errno);
    return -1;
  }
  return folder;
}

TCopyOutcome TPosixFileCopier::Look(const std::string& name, std::string* landing) {
  std::string leaf;
  TCopyOutcome outcome;
  const int folder = Reach(name, leaf, outcome);
  if (folder < 0) return outcome;
  // The right to add a file to the folder, asked of the system for this process as the copy's
  // creation would be (its user and groups, access lists, a file system mounted read-only).
  struct stat where;
  if (faccessat(folder, ".", W_OK | X_OK, AT_EACCESS) != 0 || fstat(folder, &where) != 0) return Failure(errno);
  if (landing) *landing = std::to_string(where.st_dev) + " " + std::to_string(where.st_ino) + " " + leaf;
  return {};
}

TCopyOutcome TPosixFileCopier::CopyUnderTemporaryName(int from, const struct stat& source, int folder,
                                                      const std::string& leaf, const std::string& name) {
  const std::string prefix = name.substr(0, name.size() - leaf.size());
  std::string temporary;
  TFileDescriptor to;
  // A name no other file has: an existing one is never opened, and another is tried.
  for (int attempt = 0; !IsOpen(to) && attempt < 16; ++attempt) {
    char temporaryName[40];
    std::snprintf(temporaryName, sizeof temporaryName, ".tandelo-%016llx.part", nextTemporary_++);
    temporary = temporaryName;
    if (witness_) witness_->Creating(name, prefix + temporary);
    to.Reset(openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!IsOpen(to) && errno != EEXIST) return Failure(errno);
  }
  if (!IsOpen(to)) return Failure(EEXIST);
  const std::string temporaryPath = prefix + temporary;
  try {
    TFileIdentity file;
    if (!IdentityOf(to.Get(), file)) {
      const int error = errno;
      RemoveIfHeld(folder, temporary, to.Get());
      return Failure(error);
    }
    if (witness_) witness_->Opened(name, temporaryPath, file);
    if (!Fill(from, source, to.Get(), false, file)) {
      const int error = errno;
      RemoveIfHeld(folder, temporary, to.Get());
      return Failure(error);
    }
    if (witness_) witness_->Created(name, temporaryPath, file);
  } catch (...) {
    RemoveIfHeld(folder, temporary, to.Get());
    throw;
  }
  int named = -1;
  if (renameNoReplace_) {
    named = renameat2(folder, temporary.c_str(), folder, leaf.c_str(), RENAME_NOREPLACE);
    if (named != 0 && errno == EINVAL) renameNoReplace_ = false;  // the file system does not take the flag
  }
  if (!renameNoReplace_) {
    // link refuses an existing name as well; the temporary name goes once the file has its own.
    named = linkat(folder, temporary.c_str(), folder, leaf.c_str(), 0);
    if (named == 0) RemoveIfHeld(folder, temporary, to.Get());
  }
  if (named != 0) {
    const int error = errno;
    RemoveIfHeld(folder, temporary, to.Get());
    return error == EEXIST ? TCopyOutcome{TCopyResult::Exists, {}} : Failure(error);
  }
  TFileIdentity file;
  if (witness_ && IdentityOf(to.Get(), file)) witness_->Named(name, file);
  return {};
}
