#pragma once

#include <string>

#include "copy/copy_journal.h"
#include "copy/copy_run.h"

// A handle of the folder the last path was in, kept while the next path is in the same folder:
// each call then walks one name instead of the whole path, and the folder cannot be swapped
// between a look at a name and what is done to it.
class TFolderHandle {
 public:
  TFolderHandle() = default;
  ~TFolderHandle();
  TFolderHandle(const TFolderHandle&) = delete;
  TFolderHandle& operator=(const TFolderHandle&) = delete;
  // The handle of the folder of `path` (-1 with errno set when it cannot be opened) and the name
  // within it.
  int Of(const std::string& path, std::string& name);

 private:
  std::string folder_;
  int fd_ = -1;
};

// The file copy on Linux. Paths are the platform's bytes, "/" separated.
//
// The copy is made unnamed in the destination's folder (O_TMPFILE), filled with
// copy_file_range (a clone where the file system can; plain reads and writes where it cannot),
// given the source's permission bits (without set-user-ID and set-group-ID, as cp drops them) and
// its access and modification times, and only then named with linkat, which refuses a name that
// exists. A copy that fails at any point leaves nothing: the unnamed file goes with its handle.
// The witness hears "created" before the name is made.
//
// The source is opened once and read through the same handle while the copies name the same
// source, so one run copies one file even if another program replaces it midway.
//
// Where the file system has no unnamed files the copy is created at its name with O_EXCL
// instead; a copy that fails then is removed by name, but only while the name still holds the
// very file this copy opened (same device and inode). The witness hears "creating" before the
// name is made and "opened" as soon as the file is held, then "created" once it is complete.
class TPosixFileCopier : public IFileCopier {
 public:
  // How a copy gets its name. Unnamed: linked by its handle where the kernel lets this process
  // (Linux 6.10 on, or with CAP_DAC_READ_SEARCH), else through its /proc entry. The others go
  // straight to a later way, as elsewhere: UnnamedThroughProc as a user on an older kernel,
  // AtItsName (O_EXCL) as on a file system without O_TMPFILE.
  enum class TWay { Unnamed, UnnamedThroughProc, AtItsName };
  explicit TPosixFileCopier(ICopyWitness* witness = nullptr, TWay way = TWay::Unnamed);
  ~TPosixFileCopier() override;
  TPosixFileCopier(const TPosixFileCopier&) = delete;
  TPosixFileCopier& operator=(const TPosixFileCopier&) = delete;

  TCopyOutcome Copy(const std::string& source, const std::string& destination) override;

 private:
  // The handle of `source`, opened at its first copy; -1 with errno set when it cannot be opened.
  int OpenSource(const std::string& source);
  // Names the unnamed file `file` as `name` in `folder` (linkat: fails with EEXIST on a name that
  // exists). -1 with errno set on failure.
  int Name(int file, int folder, const std::string& name);

  ICopyWitness* witness_;
  bool unnamedFirst_;
  unsigned umask_;         // the process's, read once
  bool linkHandle_;        // linkat may take the handle itself (AT_EMPTY_PATH)
  std::string sourcePath_;
  int sourceFd_ = -1;
  TFolderHandle folder_;
};

// Removes files for undo, comparing device and inode (and size and time) just before unlinking.
// Both look the name up in a handle of its folder. Between the look and the removal another
// program could still put a different file at the name; Linux offers no removal by inode, and the
// window is that of any rm.
class TPosixFileRemover : public IFileRemover {
 public:
  TFileState Inspect(const std::string& path) override;
  bool RemoveIfSame(const std::string& path, const TFileIdentity& file, bool complete, std::string& problem) override;

 private:
  TFolderHandle folder_;
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
