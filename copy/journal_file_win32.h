#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "copy/copy_journal.h"
#include "copy/journal_summary.h"

// A journal file created for this run only (CREATE_NEW: an existing file is never appended to
// or replaced), each line written with its own WriteFile, so that it is the system's before the
// copy goes on and survives the process. Nobody else may write, rename or remove it while the
// run holds it.
class TWin32JournalFile : public IJournalFile {
 public:
  explicit TWin32JournalFile(const std::string& path);  // throws std::runtime_error
  ~TWin32JournalFile() override;
  TWin32JournalFile(const TWin32JournalFile&) = delete;
  TWin32JournalFile& operator=(const TWin32JournalFile&) = delete;
  void Append(const std::string& line) override;
  // Sets the file this handle created for deletion; it goes when the handle closes.
  void Discard() override;

 private:
  std::string path_;
  HANDLE file_;
};

// Opens the journal at `path` through one handle, shared for reading only (nothing changes it
// while it is read), and only when no other user may have written it: its owner is this user,
// SYSTEM or the Administrators, and its access list lets nobody else write it, change its access
// list or owner, or remove it. Null with `problem` set ("will not undo PATH: ..." for a journal
// not to be trusted). A journal whose run is still going is held for writing, and cannot be opened.
std::unique_ptr<IJournalReader> OpenTrustedJournal(const std::string& path, std::string& problem);
// Why a file with this security descriptor cannot be trusted by `user`, in words; empty when it
// can, as above.
std::string SecurityTrustProblem(PSECURITY_DESCRIPTOR descriptor, PSID user);
