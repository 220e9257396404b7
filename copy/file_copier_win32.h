#pragma once

#include <string>

#include "copy/copy_run.h"

// The file copy of a run: CopyFileA with fail-if-exists set, so nothing is ever replaced.
//
// CopyFileA can fail part-way (a full disk, a lost network share) and leave the first part of
// the file under the destination name; a name that looks copied but holds a truncated file is
// worse than no copy, so such a file is deleted. To know that the file is the failed call's own
// work and not a file that was there before, the copier keeps the source open for reading (and
// undeletable) from its first copy until it is destroyed: CopyFileA then always gets past opening
// the source, and a destination that existed before makes it fail with "exists", which deletes
// nothing. When the source cannot be opened nothing is ever deleted. Make one copier per run.
class TWin32FileCopier : public IFileCopier {
 public:
  TWin32FileCopier() = default;
  ~TWin32FileCopier() override;
  TWin32FileCopier(const TWin32FileCopier&) = delete;
  TWin32FileCopier& operator=(const TWin32FileCopier&) = delete;

  TCopyOutcome Copy(const std::string& source, const std::string& destination) override;

 private:
  bool HoldSource(const std::string& source);
  void ReleaseSource();

  std::string heldPath_;
  void* held_ = nullptr;  // HANDLE of the held source, or null
};

// The system's description of an error code (FormatMessageA), without line breaks at the end.
std::string SystemErrorText(unsigned long error);
