#pragma once

#include <memory>
#include <string>

#include "copy/copy_journal.h"
#include "copy/journal_summary.h"

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

// Opens the journal at `path` for reading, through one handle, and only when no other user may
// have written it (it then could name any file). Null with `problem` set ("will not undo PATH: ..."
// for a journal not to be trusted).
std::unique_ptr<IJournalReader> OpenTrustedJournal(const std::string& path, std::string& problem);
// Why the open journal `file` cannot be trusted to name what undo removes (another user owns it,
// or others may write it), in words; empty when only this user (or the administrator) may write it.
std::string JournalTrustProblem(int file);
