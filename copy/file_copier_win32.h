#pragma once

#include <string>

#include "copy/copy_journal.h"
#include "copy/copy_run.h"
#include "copy/file_identity_win32.h"
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
class TWin32FileCopier : public IFileCopier {
 public:
  // Copies into `folder`: a destination is the folder, "\" and the name, joined as text with
  // nothing trimmed. `stillWorking`, when given, is called after every chunk of a copy, on the
  // copying thread, by a platform that reports a copy's progress. The witness hears names within
  // the folder.
  explicit TWin32FileCopier(std::string folder, TStillWorking stillWorking = {}, ICopyWitness* witness = nullptr);

  TCopyOutcome Copy(const std::string& source, const std::string& name) override;
  // What a copy to `name` would meet before it makes anything, touching nothing: a name that
  // exists, a folder on its way that is not there (Failed, with the reason Copy would give), or
  // nothing.
  TCopyOutcome Look(const std::string& name) const;

 private:
  std::string PathOf(const std::string& name) const;

  std::string folder_;
  TStillWorking stillWorking_;
  ICopyWitness* witness_;
  TIdentityReader identities_;  // for the witness
};

class TCopyProgress;

// The identity of the copy the system has just made at `destination`, as above. False when it
// cannot be read, or the handle the routine held was another file's.
bool CopiedIdentity(TCopyProgress& progress, const std::string& destination, TIdentityReader& identities,
                    TFileIdentity& file);
