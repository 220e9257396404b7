#pragma once

#include <windows.h>

#include <string>

#include "copy/copy_journal.h"

// The identity of the open file `file`: volume serial number, file index, size and last-write
// time. False when the system cannot say.
bool IdentityOfHandle(HANDLE file, TFileIdentity& identity);

// Removes files for undo through a handle: the file is opened, its identity compared, and the
// very file that handle holds is set for deletion, so a file that took the name in between is
// never the one removed.
class TWin32FileRemover : public IFileRemover {
 public:
  TFileState Inspect(const std::string& path) override;
  bool RemoveIfSame(const std::string& path, const TFileIdentity& file, bool complete, std::string& problem) override;
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
