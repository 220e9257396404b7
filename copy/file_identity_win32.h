#pragma once

#include <windows.h>

#include <string>

#include "copy/copy_journal.h"

// Reads the identity of open files: volume serial number, file index, size and last-write time.
//
// The volume's serial number is asked of the system once per folder and kept: that answer costs
// more than the copy of a small file (about 0.2 ms under Wine, where the index, size and time
// together cost a microsecond), and a folder stays on its volume while a run or an undo lasts.
class TIdentityReader {
 public:
  // The identity of `file`, opened at `path`. False when the system cannot say.
  bool Read(HANDLE file, const std::string& path, TFileIdentity& identity);

 private:
  bool known_ = false;
  std::string folder_;  // the folder whose volume serial number is known
  std::uint64_t serial_ = 0;
};

// Removes files for undo through a handle: the file is opened, its identity compared, and the
// very file that handle holds is set for deletion, so a file that took the name in between is
// never the one removed.
//
// Inspect keeps the handle it looked through for the removal of the same path that usually
// follows, so each file is opened once and the file removed is the very one looked at.
class TWin32FileRemover : public IFileRemover {
 public:
  TWin32FileRemover() = default;
  ~TWin32FileRemover() override;
  TWin32FileRemover(const TWin32FileRemover&) = delete;
  TWin32FileRemover& operator=(const TWin32FileRemover&) = delete;

  TFileState Inspect(const std::string& path) override;
  bool RemoveIfSame(const std::string& path, const TFileIdentity& file, bool complete, std::string& problem) override;

 private:
  TFileState StateOf(HANDLE file, const std::string& path);
  void Hold(HANDLE file, const std::string& path);

  TIdentityReader identities_;
  HANDLE held_ = INVALID_HANDLE_VALUE;  // opened by Inspect for removal, with heldPath_
  std::string heldPath_;
};

// A journal file created for this run only (CREATE_NEW), each line written with its own
// WriteFile, so that it is the system's before the copy goes on and survives the process.
class TWin32JournalFile : public IJournalFile {
 public:
  explicit TWin32JournalFile(const std::string& path);  // throws std::runtime_error
  ~TWin32JournalFile() override;
  TWin32JournalFile(const TWin32JournalFile&) = delete;
  TWin32JournalFile& operator=(const TWin32JournalFile&) = delete;
  void Append(const std::string& line) override;

 private:
  std::string path_;
  HANDLE file_;
};
