#pragma once

#include <string>

#include "copy/copy_journal.h"
#include "copy/copy_run.h"

// The file copy on Linux. Paths are the platform's bytes, "/" separated.
//
// The copy is made unnamed in the destination's folder (O_TMPFILE), filled with
// copy_file_range (a clone where the file system can; plain reads and writes where it cannot),
// given the source's permission bits (without set-user-ID and set-group-ID, as cp drops them) and
// its access and modification times, and only then named with linkat, which refuses a name that
// exists. A copy that fails at any point leaves nothing: the unnamed file goes with its handle.
// The witness hears "created" before the name is made.
//
// Where the file system has no unnamed files the copy is created at its name with O_EXCL
// instead; a copy that fails then is removed by name, but only while the name still holds the
// very file this copy opened (same device and inode). The witness hears "creating" before the
// name is made and "opened" as soon as the file is held, then "created" once it is complete.
class TPosixFileCopier : public IFileCopier {
 public:
  // `unnamedFirst` false goes straight to the O_EXCL way, as on a file system without O_TMPFILE.
  explicit TPosixFileCopier(ICopyWitness* witness = nullptr, bool unnamedFirst = true);

  TCopyOutcome Copy(const std::string& source, const std::string& destination) override;

 private:
  // Names the unnamed file `file` at `destination` (linkat: fails with EEXIST on a name that
  // exists). -1 with errno set on failure.
  int Name(int file, const std::string& destination);

  ICopyWitness* witness_;
  bool unnamedFirst_;
  unsigned umask_;         // the process's, read once
  bool linkHandle_ = true;  // linkat may take the handle itself (AT_EMPTY_PATH)
};

// Removes files for undo, comparing device and inode (and size and time) just before unlinking.
// Both look the name up in a handle of its folder, kept while the next path is in the same
// folder: the folder cannot be swapped in between, and each call walks one name instead of the
// whole path. Between the look and the removal another program could still put a different file
// at the name; Linux offers no removal by inode, and the window is that of any rm.
class TPosixFileRemover : public IFileRemover {
 public:
  TPosixFileRemover() = default;
  ~TPosixFileRemover() override;
  TPosixFileRemover(const TPosixFileRemover&) = delete;
  TPosixFileRemover& operator=(const TPosixFileRemover&) = delete;

  TFileState Inspect(const std::string& path) override;
  bool RemoveIfSame(const std::string& path, const TFileIdentity& file, bool complete, std::string& problem) override;

 private:
  // The folder's handle for `path` (-1 when it cannot be opened) and the name within it.
  int FolderOf(const std::string& path, std::string& name);

  std::string folder_;
  int folderFd_ = -1;
};

// A journal file created for this run only (O_EXCL: an existing file is never appended to or
// replaced), each line written with its own write(2). A line written is in the kernel, so it
// survives the process being killed; it is not synced to the disk, which only a power failure
// would need.
class TPosixJournalFile : public IJournalFile {
 public:
  explicit TPosixJournalFile(const std::string& path);  // throws std::runtime_error
  ~TPosixJournalFile() override;
  TPosixJournalFile(const TPosixJournalFile&) = delete;
  TPosixJournalFile& operator=(const TPosixJournalFile&) = delete;
  void Append(const std::string& line) override;

 private:
  std::string path_;
  int fd_;
};
