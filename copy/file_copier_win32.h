#pragma once

#include <string>

#include "copy/copy_run.h"

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
class TWin32FileCopier : public IFileCopier {
 public:
  // `stillWorking`, when given, is called after every chunk of a copy, on the copying thread, by
  // a platform that reports a copy's progress.
  explicit TWin32FileCopier(TStillWorking stillWorking = {});

  TCopyOutcome Copy(const std::string& source, const std::string& destination) override;

 private:
  TStillWorking stillWorking_;
};

// The system's description of an error code (FormatMessageA), without line breaks at the end.
std::string SystemErrorText(unsigned long error);
