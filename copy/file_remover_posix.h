#pragma once

#include <string>

#include "copy/undo.h"
#include "copy/file_identity_posix.h"

// Removes files for undo: looks at a name within the run's folder, and removes it only while it
// is still exactly the file looked at (statx just before unlinkat). Between that look and the
// removal another program could still put a different file at the name; Linux offers no removal
// by handle, and the window is that of any rm.
//
// A folder on FAT or exFAT is never taken as lasting (see TFolderState): both number a file by
// its place in the folder and keep no change time.
class TPosixFileRemover : public IFileRemover {
 public:
  // `fileSystemType` tells the type of the file system an open folder is on (statfs's f_type, 0
  // when the system cannot say); a test gives another in its place.
  explicit TPosixFileRemover(long (*fileSystemType)(int folder) = FileSystemType) : fileSystemType_(fileSystemType) {}

  TFolderState OpenFolder(const std::string& path, const TFileIdentity& identity) override;
  TFileState Inspect(const std::string& name) override;
  bool RemoveIfSame(const std::string& name, const TFileIdentity& seen, std::string& problem) override;

 private:
  long (*fileSystemType_)(int folder);
  TFolderHandle folder_;
};
