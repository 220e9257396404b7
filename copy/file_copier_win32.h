#pragma once

#include <memory>
#include <string>

#include "copy/copy_run.h"

// The file copy of a run, by hand rather than with CopyFileA, so that the copier knows for a
// fact which file it made.
//
// The destination is created with CREATE_NEW and no sharing, so nothing is ever replaced and no
// one else opens it while it is written. When anything fails after that (a full disk, a lost
// share, a source that stops being readable), the half-written file is removed through that same
// handle: read-only cleared and delete-on-close set on the handle, never by name. A file that was
// there before is never opened for writing, so it can never be removed, whatever error a copy
// ends with. The platform copy gives no such proof: whether a failed CopyFileA made the file it
// leaves behind can only be guessed from its error, and the notice of a created destination that
// CopyFileExA can give (its progress routine) is never sent by Wine.
//
// Like the platform copy, the copy carries the source's last-write time and its read-only, hidden
// and system attributes; the attributes are set last, so a failure never leaves a read-only part.
class TWin32FileCopier : public IFileCopier {
 public:
  // `stillWorking`, when given, is called after every chunk of a copy, on the copying thread: a
  // copy of a large file can take longer than the system waits before it calls a program that
  // does not look at its messages hung.
  explicit TWin32FileCopier(TStillWorking stillWorking = {});
  ~TWin32FileCopier() override;
  TWin32FileCopier(const TWin32FileCopier&) = delete;
  TWin32FileCopier& operator=(const TWin32FileCopier&) = delete;

  TCopyOutcome Copy(const std::string& source, const std::string& destination) override;

 private:
  std::unique_ptr<char[]> buffer_;  // allocated on the first copy, kept for the rest of the run
  TStillWorking stillWorking_;
};

// The system's description of an error code (FormatMessageA), without line breaks at the end.
std::string SystemErrorText(unsigned long error);
