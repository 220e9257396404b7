#pragma once

#include <windows.h>

#include <string>

// Options of SelectDirectory, or-ed together.
enum : unsigned {
  sdAllowCreate = 1,    // the name field may name a folder that does not exist yet
  sdPerformCreate = 2,  // such a folder is to be made after OK: the caller's business
  sdPrompt = 4,         // with sdAllowCreate, OK on a missing folder asks first
};

// Controls of the chooser, for the tests that drive it; OK and Cancel are IDOK and IDCANCEL.
enum : int {
  fcNameEdit = 101,
  fcFolderList,
  fcFileList,
  fcDriveList,
  fcNetwork,
  fcHelp,
};

// The modal folder chooser. It starts in `directory` when that is an existing folder, else in
// the process's current folder. Its folder list moves by changing the process's current folder,
// which stays where the list left it, after OK and after Cancel alike, so a relative path typed
// into the name field is taken relative to the folder shown. True with the name field's text,
// as typed, in `directory` when the user confirms; false and `directory` untouched on Cancel.
// The "Help" button is shown only for a non-zero `helpContext`. What fails in one of its handlers
// is reported in the error box over the chooser, which goes on; a chooser that cannot be built
// is not shown, and the failure is thrown to the caller.
bool SelectDirectory(HWND owner, std::string& directory, unsigned options, unsigned helpContext);
