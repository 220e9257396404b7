#pragma once

#include <windows.h>

#include <exception>

#include "naming/generation.h"
#include "win32/owned_handle.h"

// Sets the open `file` for deletion as its last handle goes, read-only cleared first (a read-only
// file cannot be set so). True when it will go, also when the system had set it so already.
bool DiscardOpenFile(HANDLE file);

// The progress routine of one CopyFileExA call, and what it learns.
//
// The system calls the routine first when it has created the destination, with that file's
// handle: a duplicate of it is kept, the proof that this copy made the file. When the copy fails
// part-way, its part is removed through that duplicate, never by name, so a file that was there
// before, or that took the name since, cannot be touched. On Windows the system has removed the
// part already and this only confirms it; a platform that never calls the routine (Wine 8) leaves
// nothing to remove through, and then nothing is removed.
//
// Every chunk of a large copy calls `stillWorking`: the copy can take longer than the system
// waits before it calls a program that does not look at its messages hung.
class TCopyProgress {
 public:
  explicit TCopyProgress(const TStillWorking& stillWorking) : stillWorking_(stillWorking) {}
  TCopyProgress(const TCopyProgress&) = delete;
  TCopyProgress& operator=(const TCopyProgress&) = delete;

  // CopyFileExA's progress routine; `data` is the TCopyProgress.
  static DWORD CALLBACK Routine(LARGE_INTEGER totalSize, LARGE_INTEGER copied, LARGE_INTEGER streamSize,
                                LARGE_INTEGER streamCopied, DWORD stream, DWORD reason, HANDLE source,
                                HANDLE destination, LPVOID data);

  bool HoldsDestination() const { return IsOpen(destination_); }
  HANDLE Destination() const { return destination_.Get(); }
  // Lets the held destination go once the copy has succeeded: the system finishes the times of a
  // file written through a handle when the last handle of that opening closes, and this one is.
  void CloseDestination();
  // Sets the held destination for deletion, read-only cleared first. True when it will go (also
  // when the system had set it so already); false when nothing is held or the system refused.
  bool DiscardDestination();
  // A hook that threw cancelled the copy inside the system's call; its exception goes on from
  // here, once the copy has returned.
  void RethrowHookFailure();

 private:
  DWORD Progress(DWORD reason, HANDLE destination);

  const TStillWorking& stillWorking_;
  // A destination set for deletion goes when this, its last handle, closes.
  TKernelHandle destination_;
  std::exception_ptr hookFailure_;
};
