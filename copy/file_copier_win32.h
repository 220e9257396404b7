#pragma once

#include <string>
#include <vector>

#include "copy/journal_writer.h"
#include "copy/copy_run.h"
#include "copy/file_identity_win32.h"
#include "win32/owned_handle.h"
#include "win32/system_error.h"

// The file copy of a run: the system's own copy (CopyFileExA), failing when the destination
// exists, so nothing is ever replaced, and whatever of the source travels with its content
// (times, attributes, other streams such as the mark of a downloaded file, sparse or compressed
// layout, a copy the volume or server makes itself) is the system's to decide.
//
// What a copy that fails part-way leaves is removed only through the handle the system hands
// the progress routine when it creates the destination (TCopyProgress), never by name. A
// platform that never calls the routine may leave a part: it is not removed, and the reason
// says that one may be left.
//
// The outcome comes from the system's error after the call: a destination that exists, a
// source that cannot be read (opened again only after a failure, to tell it from a destination
// that cannot be written), or another failure with the system's description of it.
//
// A witness hears "creating" before the system's copy and "named" after it, with the identity of
// the file at the destination read by name once the copy is done. Where the progress routine was
// handed the handle the system created the file with, that handle is closed first (the system
// finishes the file's change time as the last handle of the writing goes) and the file at the name
// must have its number; otherwise the file is read at once: the copy refused an existing name, so
// the file there is the one it made unless another program replaced it in between. A file whose
// identity cannot be read goes unrecorded, and undo keeps it.
//
// The command line takes another way (TWay::TemporaryName), so that no name ever holds a part: the
// copy is made under a temporary name of its own in the destination's folder
// (".tandelo-XXXXXXXXXXXXXXXX.part", created new, never opened when it exists), through the handle
// that created it, from one handle on the source kept for the run (one run copies one file even
// if another program replaces it midway): its content, its last-write time and its attributes
// (read-only, hidden, system, archive, not indexed; other streams do not travel). Only then is it
// given its name, with a rename that never replaces (MoveFileEx without MOVEFILE_REPLACE_EXISTING).
// The witness hears "creating" before the temporary file is made, "opened" with its identity
// before a byte is written, "created" once it is complete (read after the writing handle closed,
// which finishes its times), and "named" at once after the rename, with the times the rename gave
// it read from a handle that holds it. A name then seen to hold another file (one put at the
// temporary name meanwhile) fails the copy. A copy that fails removes its own file through the
// handle that holds it, never by name.
class TWin32FileCopier : public IRunTarget {
 public:
  enum class TWay { SystemCopy, TemporaryName };

  // Copies `source` into `folder`: a destination is the folder, "\" and the name, joined as text
  // with nothing trimmed. `stillWorking`, when given, is called after every chunk of a copy, on the
  // copying thread, by a platform that reports a copy's progress. The witness hears names within
  // the folder.
  TWin32FileCopier(std::string source, std::string folder, TStillWorking stillWorking = {},
                   ICopyWitness* witness = nullptr, TWay way = TWay::SystemCopy);

  TCopyOutcome Copy(const std::string& name) override;
  TFileIdentity FolderIdentity() override;
  void Witness(ICopyWitness& witness) override { witness_ = &witness; }
  // What a copy to `name` would meet before it makes anything, touching nothing: a name that
  // exists, a folder on its way that is not there or that this user may not add a file to
  // (Failed, with the reason Copy would give), or nothing. `landing`, when given, gets where the
  // file would land, the same for two names that would make one file: the volume and number of
  // the folder the name reaches (through any link or junction), and the name there as the system
  // makes it, trailing dots and spaces dropped, in one case as the system matches names.
  TCopyOutcome Look(const std::string& name, std::string* landing = nullptr);

 private:
  std::string PathOf(const std::string& name) const;
  TCopyOutcome CopyUnderTemporaryName(const std::string& name);
  // The handle on the source, opened at the first copy and kept for the run; INVALID_HANDLE_VALUE
  // with the system's error set when it cannot be opened.
  HANDLE OpenSource();

  std::string sourcePath_;
  std::string folder_;
  // Held while the run lasts, for what identifies the folder (the copies go by path, as the system
  // copies); opened with every sharing, so that nothing the user does with the folder is refused.
  TKernelHandle folderHandle_;
  TStillWorking stillWorking_;
  ICopyWitness* witness_;
  TWay way_;
  TIdentityReader identities_;  // for the witness
  TIdentityReader folders_;     // for the look's landings
  TKernelHandle source_;
  std::vector<char> block_;  // what is read of the source and written, one block at a time
  unsigned long long nextTemporary_;
};

class TCopyProgress;

// The identity of the copy the system has just made at `destination`, as above. False when it
// cannot be read, or the handle the routine held was another file's.
bool CopiedIdentity(TCopyProgress& progress, const std::string& destination, TIdentityReader& identities,
                    TFileIdentity& file);
