#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "copy/journal_writer.h"
#include "copy/journal_summary.h"
#include "posix/owned_handle.h"

// A journal file created for this run only (O_EXCL: an existing file is never appended to or
// replaced), writable by its owner alone, each line written with its own write(2). A line
// written is in the kernel, so it survives the process being killed; it is not synced to the
// disk, which only a power failure would need. The run holds it, by a lock on the whole file
// that the kernel drops when the process ends, from its making until it is destroyed.
class TPosixJournalFile : public IJournalFile {
 public:
  // At `path`; or as `name` in the folder held by `folder`, shown as `path`. Throws
  // TJournalPathTaken when something is at the name, std::runtime_error when the file cannot be
  // made or held.
  explicit TPosixJournalFile(const std::string& path);
  TPosixJournalFile(int folder, const std::string& name, const std::string& path);
  void Append(const std::string& line) override;
  void Discard() override;

 private:
  void Create();
  // The folder the name is in: ours, or the current folder.
  int Folder() const { return IsOpen(folder_) ? folder_.Get() : AT_FDCWD; }

  TFileDescriptor folder_;  // a handle of our own on the folder, or none for the current folder
  std::string name_;
  std::string path_;
  TFileDescriptor file_;
};

// Opens the journal at `path` (or `name` in the folder `folder`, shown as `path`) for reading,
// through one handle, and only when no other user may have written it (it then could name any
// file). Null with `problem` set ("will not undo PATH: ..." for a journal not to be trusted).
std::unique_ptr<IJournalOnDisk> OpenTrustedJournal(const std::string& path, std::string& problem);
std::unique_ptr<IJournalOnDisk> OpenTrustedJournalAt(int folder, const std::string& name, const std::string& path,
                                                     std::string& problem);
// Why a file or folder with the status `st` may hold what another user put there: another user
// owns it ("it belongs to another user (1001), who could have " + `consequence`), or others may
// write it ("other users may write it (mode 0777), and could have " + `consequence`). Empty when
// only this user (or the administrator) may write it.
std::string TrustProblem(const struct stat& st, const std::string& consequence);
// The same for the open journal `file`, whose writer could have written any path in it.
std::string JournalTrustProblem(int file);
