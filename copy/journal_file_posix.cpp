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
  if (fd_ < 0) throw std::runtime_error("cannot create the journal " + path + ": " + std::strerror(errno));
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

bool ReadTrustedJournal(const std::string& path, std::string& text, std::string& problem) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    problem = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  if (const std::string trust = JournalTrustProblem(fd); !trust.empty()) {
    close(fd);
    problem = "will not undo " + path + ": " + trust;
    return false;
  }
  text.clear();
  char block[1 << 16];
  for (;;) {
    const ssize_t got = read(fd, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      const int error = errno;
      close(fd);
      if (got == 0) return true;
      problem = "cannot read " + path + ": " + std::strerror(error);
      return false;
    }
    text.append(block, static_cast<std::size_t>(got));
  }
}
