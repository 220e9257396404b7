#pragma once

#include <string>

#include "copy/file_identity.h"
#include "posix/owned_handle.h"

// A folder held open, and the sub-folders below it reached through it: every name is looked up
// beneath the folder's handle, never through a link out of it or "..", so a run and its undo
// reach only what is inside the folder they were given, whatever happens to its path meanwhile.
// The sub-folder of the last name is kept while the next name is in the same sub-folder.
class TFolderHandle {
 public:
  // Opens the folder at `path` (following links in the path itself); false with errno set.
  bool Open(const std::string& path);
  int Get() const { return root_.Get(); }
  // The handle of the folder that holds `name` ("/"-separated, within the folder) and the last
  // part of `name` in `leaf`; -1 with errno set when it cannot be reached beneath the folder.
  int Of(const std::string& name, std::string& leaf);

 private:
  void CloseSub();

  TFileDescriptor root_;
  std::string sub_;  // the sub-folder `subFolder_` holds, within the folder
  TFileDescriptor subFolder_;
};

// The identity of a file by its handle, or of `name` within `folder` without following a final
// link (statx: the birth time where the file system keeps one). False with errno set.
bool IdentityOf(int file, TFileIdentity& identity);
bool IdentityOf(int folder, const std::string& name, TFileIdentity& identity, bool& regular);

// The type of the file system that holds the open `file`, as statfs gives it (f_type); 0 when the
// system cannot say.
long FileSystemType(int file);

// The identity of the folder at `path` (links on the way followed). False with errno set.
bool ReadFolderIdentity(const std::string& path, TFileIdentity& identity);
