#pragma once

#include <string>

#include "copy/copy_journal.h"
#include "copy/copy_run.h"

// A folder held open, and the sub-folders below it reached through it: every name is looked up
// beneath the folder's handle, never through a link out of it or "..", so a run and its undo
// reach only what is inside the folder they were given, whatever happens to its path meanwhile.
// The sub-folder of the last name is kept while the next name is in the same sub-folder.
class TFolderHandle {
 public:
  TFolderHandle() = default;
  ~TFolderHandle();
  TFolderHandle(const TFolderHandle&) = delete;
  TFolderHandle& operator=(const TFolderHandle&) = delete;
  // Opens the folder at `path` (following links in the path itself); false with errno set.
  bool Open(const std::string& path);
  int Get() const { return root_; }
  // The handle of the folder that holds `name` ("/"-separated, within the folder) and the last
  // part of `name` in `leaf`; -1 with errno set when it cannot be reached beneath the folder.
  int Of(const std::string& name, std::string& leaf);

 private:
  void CloseSub();

  int root_ = -1;
  std::string sub_;  // the sub-folder `subFd_` holds, within the folder
  int subFd_ = -1;
};

// The identity of a file by its handle, or of `name` within `folder` without following a final
// link (statx: the birth time where the file system keeps one). False with errno set.
bool IdentityOf(int file, TFileIdentity& identity);
bool IdentityOf(int folder, const std::string& name, TFileIdentity& identity, bool& regular);

// The file copy on Linux, into one folder given at the start: destinations are that folder, "/"
// and a name within it. Paths are the platform's bytes.
//
// The copy is made unnamed in the destination's folder (O_TMPFILE), filled with
// copy_file_range (a clone where the file system can; plain reads and writes where it cannot),
// given the source's permission bits (without set-user-ID, set-group-ID and sticky, as cp drops
// them) and its access and modification times, and only then named with linkat, which refuses a
// name that exists. A copy that fails at any point leaves nothing: the unnamed file goes with its
// handle. The witness hears "created" before the name is made and "named" after.
//
// Where the file system has no unnamed files the copy is made under a temporary name of its own
// in the same folder (O_EXCL, a random name announced to the witness before it is made), filled
// the same way and renamed with RENAME_NOREPLACE, which refuses a name that exists (or, where the
// file system refuses that flag, linked to the name and unlinked from the temporary one). No
// partial or empty file ever carries a copy's name. A copy that fails removes its temporary file,
// and only while the temporary name holds the very file its handle holds.
//
// The source is opened once and read through the same handle while the copies name the same
// source, so one run copies one file even if another program replaces it midway.
class TPosixFileCopier : public IFileCopier {
 public:
  // How a copy gets its name. Unnamed: linked by its handle where the kernel lets this process
  // (Linux 6.10 on, or with CAP_DAC_READ_SEARCH), else through its /proc entry. The others go
  // straight to a later way, as elsewhere: UnnamedThroughProc as a user on an older kernel,
  // Temporary as on a file system without O_TMPFILE, TemporaryLinked as on one that also refuses
  // RENAME_NOREPLACE.
  enum class TWay { Unnamed, UnnamedThroughProc, Temporary, TemporaryLinked };
  // Opens `folder`; throws std::runtime_error when it cannot.
  explicit TPosixFileCopier(const std::string& folder, ICopyWitness* witness = nullptr, TWay way = TWay::Unnamed);
  ~TPosixFileCopier() override;
  TPosixFileCopier(const TPosixFileCopier&) = delete;
  TPosixFileCopier& operator=(const TPosixFileCopier&) = delete;

  // The identity of the folder, as the journal records it.
  TFileIdentity FolderIdentity() const;
  TCopyOutcome Copy(const std::string& source, const std::string& destination) override;
  // What a copy to `destination` would meet before it makes anything, touching nothing: a name
  // that exists, a name it cannot reach (Failed, with the reason Copy would give), or nothing.
  TCopyOutcome Look(const std::string& destination);

 private:
  // The handle of `source`, opened at its first copy; -1 with errno set when it cannot be opened.
  int OpenSource(const std::string& source);
  // Names the unnamed file `file` as `name` in `folder` (linkat: fails with EEXIST on a name that
  // exists). -1 with errno set on failure.
  int Name(int file, int folder, const std::string& name);
  // The folder that holds `destination` and its last part; -1 with `outcome` set when it cannot
  // be reached beneath the run's folder or the name exists.
  int Reach(const std::string& destination, std::string& leaf, TCopyOutcome& outcome);
  TCopyOutcome CopyUnderTemporaryName(int from, const struct stat& source, int folder, const std::string& leaf,
                                      const std::string& destination);

  std::string folderPath_;
  ICopyWitness* witness_;
  bool unnamedFirst_;
  bool renameNoReplace_;
  unsigned umask_;     // the process's, read once
  bool linkHandle_;    // linkat may take the handle itself (AT_EMPTY_PATH)
  std::string sourcePath_;
  int sourceFd_ = -1;
  TFolderHandle folder_;
  unsigned long long nextTemporary_;
};

// Removes files for undo: looks at a name within the run's folder, and removes it only while it
// is still exactly the file looked at (statx just before unlinkat). Between that look and the
// removal another program could still put a different file at the name; Linux offers no removal
// by handle, and the window is that of any rm.
class TPosixFileRemover : public IFileRemover {
 public:
  TFolderState OpenFolder(const std::string& path, const TFileIdentity& identity) override;
  TFileState Inspect(const std::string& name) override;
  bool RemoveIfSame(const std::string& name, const TFileIdentity& seen, std::string& problem) override;

 private:
  TFolderHandle folder_;
};

// A journal file created for this run only (O_EXCL: an existing file is never appended to or
// replaced), writable by its owner alone, each line written with its own write(2). A line
// written is in the kernel, so it survives the process being killed; it is not synced to the
// disk, which only a power failure would need.
class TPosixJournalFile : public IJournalFile {
 public:
  explicit TPosixJournalFile(const std::string& path);  // throws std::runtime_error
  ~TPosixJournalFile() override;
  TPosixJournalFile(const TPosixJournalFile&) = delete;
  TPosixJournalFile& operator=(const TPosixJournalFile&) = delete;
  void Append(const std::string& line) override;
  void Discard() override;

 private:
  std::string path_;
  int fd_;
};

// Why the open journal `file` cannot be trusted to name what undo removes (another user owns it,
// or others may write it), in words; empty when only this user (or the administrator) may write it.
std::string JournalTrustProblem(int file);
