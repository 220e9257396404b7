#pragma once

#include <windows.h>

#include <string>

#include "copy/undo.h"
#include "copy/file_identity_win32.h"
#include "win32/owned_handle.h"

// Removes files for undo, within one folder held open: each name is opened beneath the folder's
// handle, not by the folder's path, so the folder renamed or replaced meanwhile is never left; a
// sub-folder part is reached as the run reached it and must resolve beneath the folder (one that
// is a link or junction leading out of it is not followed). The file's identity is compared, and
// the very file that handle holds is set for deletion, so a file that took the name in between is
// never the one removed. The file must resolve to the name it was opened by: a link at the name
// is kept, and so is what it leads to.
//
// Inspect keeps the handle it looked through for the removal of the same name that usually
// follows, so each file is opened once and the file removed is the very one looked at; the
// sub-folder of the last name is kept while the next name is in the same sub-folder.
class TWin32FileRemover : public IFileRemover {
 public:
  // `fileSystemName` names the file system an open folder is on (empty when the system cannot
  // say); a test gives another in its place.
  explicit TWin32FileRemover(std::wstring (*fileSystemName)(HANDLE folder) = FileSystemName)
      : fileSystemName_(fileSystemName) {}

  TFolderState OpenFolder(const std::string& path, const TFileIdentity& identity) override;
  TFileState Inspect(const std::string& name) override;
  bool RemoveIfSame(const std::string& name, const TFileIdentity& seen, std::string& problem) override;

 private:
  enum class TPlace { Beneath, Outside, Unknown };
  // The open folder that holds `name` in `folder` and the last part of `name` in `leaf`, as the
  // system names the file it creates; Beneath unless its sub-folder is not there or resolves
  // outside the folder, or the system cannot say where it resolves.
  TPlace FolderOf(const std::string& name, std::string& leaf, HANDLE& folder);
  bool AtItsName(HANDLE file, HANDLE folder, const std::string& leaf) const;
  TFileState StateOf(HANDLE file, const std::string& name);
  void Hold(TKernelHandle file, const std::string& name);
  void CloseSub();
  void Close();

  std::wstring (*fileSystemName_)(HANDLE folder);
  TIdentityReader identities_;
  TKernelHandle folder_;
  std::string folderPath_;    // as the journal names it
  std::wstring folderFinal_;  // as the system resolves it, with a separator at its end
  TKernelHandle sub_;  // the sub-folder subName_ within the folder
  std::string subName_;
  std::wstring subFinal_;  // as the system resolves it, with a separator at its end
  TPlace subPlace_ = TPlace::Outside;
  TKernelHandle held_;  // opened by Inspect for removal, with heldName_
  std::string heldName_;
};
