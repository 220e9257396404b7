#include "copy/journal_file_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

TPosixJournalFile::TPosixJournalFile(const std::string& path)
    : path_(path), fd_(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644)) {
  if (fd_ >= 0) return;
  const int error = errno;
  const std::string problem = "cannot create the journal " + path + ": " + std::strerror(error);
  if (error == EEXIST) throw TJournalPathTaken(problem);
  throw std::runtime_error(problem);
}

TPosixJournalFile::~TPosixJournalFile() {
  if (fd_ >= 0) close(fd_);
}

void TPosixJournalFile::Append(const std::string& line) {
  for (std::size_t done = 0; done < line.size();) {
    const ssize_t put = write(fd_, line.data() + done, line.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) throw std::runtime_error("cannot write the journal " + path_ + ": " + std::strerror(errno));
    done += static_cast<std::size_t>(put);
  }
}

void TPosixJournalFile::Discard() {
  // Made by this handle with O_EXCL, and held open all along: the name is removed only while it
  // is still that file.
  struct stat held;
  struct stat named;
  if (fstat(fd_, &held) == 0 && lstat(path_.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
      held.st_ino == named.st_ino) {
    unlink(path_.c_str());
  }
}

std::string JournalTrustProblem(int file) {
  struct stat st;
  if (fstat(file, &st) != 0) return std::strerror(errno);
  if (st.st_uid != geteuid() && st.st_uid != 0) {
    return "it belongs to another user (" + std::to_string(st.st_uid) + "), who could have written any path in it";
  }
  if (st.st_mode & (S_IWGRP | S_IWOTH)) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    return std::string("other users may write it (mode ") + mode + "), and could have written any path in it";
  }
  return {};
}

namespace {

class TPosixJournalReader : public IJournalReader {
 public:
  TPosixJournalReader(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~TPosixJournalReader() override { close(fd_); }
  TPosixJournalReader(const TPosixJournalReader&) = delete;
  TPosixJournalReader& operator=(const TPosixJournalReader&) = delete;

  std::uint64_t Size() override {
    struct stat st;
    if (fstat(fd_, &st) != 0) throw std::runtime_error("cannot read " + path_ + ": " + std::strerror(errno));
    return static_cast<std::uint64_t>(st.st_size);
  }

  std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    std::size_t done = 0;
    while (done < size) {
      const ssize_t got = pread(fd_, buffer + done, size - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) throw std::runtime_error("cannot read " + path_ + ": " + std::strerror(errno));
      if (got == 0) break;
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

 private:
  int fd_;
  std::string path_;
};

}  // namespace

std::unique_ptr<IJournalReader> OpenTrustedJournal(const std::string& path, std::string& problem) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    problem = "cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  auto journal = std::make_unique<TPosixJournalReader>(fd, path);
  if (const std::string trust = JournalTrustProblem(fd); !trust.empty()) {
    problem = "will not undo " + path + ": " + trust;
    return nullptr;
  }
  return journal;
}
