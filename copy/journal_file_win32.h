#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "copy/journal_writer.h"
#include "copy/journal_summary.h"
#include "win32/owned_handle.h"

// A journal file created for this run only (CREATE_NEW: an existing file is never appended to
// or replaced), each line written with its own WriteFile, so that it is the system's before the
// copy goes on and survives the process. Nobody else may write, rename or remove it while the
// run holds it, and the run holds it (a lock the system drops when the process ends) from its
// making until it is destroyed.
class TWin32JournalFile : public IJournalFile {
 public:
  explicit TWin32JournalFile(const std::string& path);  // throws std::runtime_error
  void Append(const std::string& line) override;
  // Sets the file this handle created for deletion; it goes when the handle closes.
  void Discard() override;

 private:
  std::string path_;
  TKernelHandle file_;
};

// Opens the journal at `path` through one handle, and only when no other user may have written
// it: its owner is this user, SYSTEM or the Administrators, and its access list lets nobody else
// write it, change its access list or owner, or remove it. Null with `problem` set ("will not undo
// PATH: ..." for a journal not to be trusted). A journal whose run is still going opens too (the
// run writes on), and says so (RunHolder).
std::unique_ptr<IJournalOnDisk> OpenTrustedJournal(const std::string& path, std::string& problem);
// Why a file or folder with this security descriptor may hold what someone other than `user` put
// there, in words ending with what they could have done: "it belongs to another user (SID), who
// could have " + `consequence`, "other users may write it (...), and could have " + `consequence`;
// empty when only the user, SYSTEM or the Administrators may write it.
std::string SecurityTrustProblem(PSECURITY_DESCRIPTOR descriptor, PSID user,
                                 const std::string& consequence = "written any path in it");
// The same for the file or folder open as `handle`, for this program's user.
std::string HandleTrustProblem(HANDLE handle, const std::string& consequence);
