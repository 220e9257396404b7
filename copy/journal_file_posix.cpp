#include "copy/journal_file_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "posix/held_file.h"

namespace {

// The run's hold: a write lock on the whole file, of the open file rather than of the process, so
// that nothing but the end of the process (or of the handle) drops it. A reader asks for it
// without taking it; undo takes a lock of the other kind (flock), which the run's does not meet.
struct flock WholeFile(short type) {
  struct flock lock{};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return lock;
}

}  // namespace

TPosixJournalFile::TPosixJournalFile(const std::string& path) : name_(path), path_(path) { Create(); }

TPosixJournalFile::TPosixJournalFile(int folder, const std::string& name, const std::string& path)
    : folder_(fcntl(folder, F_DUPFD_CLOEXEC, 0)), name_(name), path_(path) {
  if (!IsOpen(folder_)) throw std::runtime_error("cannot create the journal " + path + ": " + std::strerror(errno));
  Create();
}

void TPosixJournalFile::Create() {
  file_.Reset(openat(Folder(), name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!IsOpen(file_)) {
    const int error = errno;
    const std::string problem = "cannot create the journal " + path_ + ": " + std::strerror(error);
    if (error == EEXIST) throw TJournalPathTaken(problem);
    throw std::runtime_error(problem);
  }
  struct flock lock = WholeFile(F_WRLCK);
  if (fcntl(file_.Get(), F_OFD_SETLK, &lock) != 0) {
    const std::string problem = "cannot hold the journal " + path_ + " for the run: " + std::strerror(errno);
    Discard();
    throw std::runtime_error(problem);
  }
}

void TPosixJournalFile::Append(const std::string& line) {
  for (std::size_t done = 0; done < line.size();) {
    const ssize_t put = write(file_.Get(), line.data() + done, line.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) throw std::runtime_error("cannot write the journal " + path_ + ": " + std::strerror(errno));
    done += static_cast<std::size_t>(put);
  }
}

void TPosixJournalFile::Discard() {
  // Made by this handle with O_EXCL, and held open all along: the name is removed only while it
  // is still that file.
  RemoveIfHeld(Folder(), name_, file_.Get());
}

std::string TrustProblem(const struct stat& st, const std::string& consequence) {
  if (st.st_uid != geteuid() && st.st_uid != 0) {
    return "it belongs to another user (" + std::to_string(st.st_uid) + "), who could have " + consequence;
  }
  if (st.st_mode & (S_IWGRP | S_IWOTH)) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    return std::string("other users may write it (mode ") + mode + "), and could have " + consequence;
  }
  return {};
}

std::string JournalTrustProblem(int file) {
  struct stat st;
  if (fstat(file, &st) != 0) return std::strerror(errno);
  return TrustProblem(st, "written any path in it");
}

namespace {

class TPosixJournalReader : public IJournalOnDisk {
 public:
  TPosixJournalReader(TFileDescriptor file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}

  std::uint64_t Size() override {
    struct stat st;
    if (fstat(file_.Get(), &st) != 0) throw std::runtime_error("cannot read " + path_ + ": " + std::strerror(errno));
    return static_cast<std::uint64_t>(st.st_size);
  }

  std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    std::size_t done = 0;
    while (done < size) {
      const ssize_t got = pread(file_.Get(), buffer + done, size - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) throw std::runtime_error("cannot read " + path_ + ": " + std::strerror(errno));
      if (got == 0) break;
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

  TJournalHolder RunHolder() override {
    // Any lock that a read lock would meet is a write lock, which only a run takes.
    struct flock lock = WholeFile(F_RDLCK);
    if (fcntl(file_.Get(), F_OFD_GETLK, &lock) != 0) {
      throw std::runtime_error("cannot tell whether the run of " + path_ + " is still going: " + std::strerror(errno));
    }
    return lock.l_type == F_UNLCK ? TJournalHolder::Nobody : TJournalHolder::Run;
  }

  TJournalHolder HoldForUndo() override {
    if (flock(file_.Get(), LOCK_EX | LOCK_NB) == 0) return TJournalHolder::Nobody;
    if (errno == EWOULDBLOCK) return TJournalHolder::Undo;
    throw std::runtime_error("cannot hold " + path_ + " for this undo: " + std::strerror(errno));
  }

 private:
  TFileDescriptor file_;
  std::string path_;
};

}  // namespace

std::unique_ptr<IJournalOnDisk> OpenTrustedJournalAt(int folder, const std::string& name, const std::string& path,
                                                     std::string& problem) {
  TFileDescriptor file(openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC));
  if (!IsOpen(file)) {
    problem = "cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  if (const std::string trust = JournalTrustProblem(file.Get()); !trust.empty()) {
    problem = "will not undo " + path + ": " + trust;
    return nullptr;
  }
  return std::make_unique<TPosixJournalReader>(std::move(file), path);
}

std::unique_ptr<IJournalOnDisk> OpenTrustedJournal(const std::string& path, std::string& problem) {
  return OpenTrustedJournalAt(AT_FDCWD, path, path, problem);
}
