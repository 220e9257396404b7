#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "copy/copy_run.h"
#include "copy/file_identity.h"

// Reading a run's journal back (its lines: copy/journal_format.h), as undo reads it: each attempt
// that may have left a file, and how far its journal got.

// One attempt that may have left a file: how far its journal got, with the identity its last
// line recorded. Names are within the folder.
struct TUndoItem {
  enum TStage { Creating, Opened, Created, Named };
  TStage Stage = Creating;
  std::string Name;
  std::string Temporary;  // empty when the copy was made at its name
  TFileIdentity File;
};

struct TJournal {
  std::string Folder;
  TFileIdentity FolderIdentity;
  std::vector<TUndoItem> Items;  // in journal order
};

// Reads a journal whose names are in the form `names` gives ('\\' also takes "/", as the system
// does). False with `problem` set when the text is not a journal, a finished line is malformed, or
// a name could reach outside the folder (absolute, "." or "..", an empty part, a drive), with the
// line number.
bool ReadJournal(std::string_view text, const TNameForm& names, TJournal& journal, std::string& problem);
