#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "copy/file_identity.h"
#include "copy/journal_reader.h"

// Undo's judgement: which files a journal proves its run made and are unchanged, the only ones it
// removes, through a platform's remover that compares again on the handle it removes with.
//
// What proves that a file is the run's and unchanged is what a file made later at the same place
// cannot share: the change time, which every write, rename, link, chmod or time-setting call sets
// to the moment of the call and nothing sets back, and the birth time. The number of a file
// (an inode) is handed out again as soon as it is freed, and a copy's last-write time is its
// source's, so those alone prove nothing.
//

// Naming a file sets its change time to the moment of the call, a moment after the change time
// "created" recorded: the journal's line is written in between, and the process may wait for the
// processor or the disk there. A file killed in that window is removed only when its birth time
// proves it the run's and its change time is within this of the recorded one: a change made to
// it in the same second as the kill, with its size and write time put back, would go unseen.
constexpr std::int64_t kNamingSlack = 1000000000;  // 1 s in nanoseconds

// What is at a name in the folder now, as the platform sees it without following a final link.
struct TFileState {
  bool Exists = false;
  bool RegularFile = false;
  TFileIdentity File;
};

// How the folder a journal names stands now.
enum class TFolderState {
  Same,               // the very folder the run copied into
  Missing,            // nothing at its path (or it cannot be opened)
  Other,              // another folder, or something else, at its path
  NoLastingIdentity,  // the folder, on a file system that cannot tell a file from a later one
};

class IFileRemover {
 public:
  virtual ~IFileRemover() = default;
  // Opens the folder at `path` for the calls below and compares it with `identity` (volume, index,
  // and birth where it was recorded).
  virtual TFolderState OpenFolder(const std::string& path, const TFileIdentity& identity) = 0;
  // What is at `name` within the folder; sub-folders are never left through a link or "..".
  virtual TFileState Inspect(const std::string& name) = 0;
  // Removes `name` if it is still exactly the file `seen` describes (every field). False with
  // `problem` set when it is not, or cannot be removed.
  virtual bool RemoveIfSame(const std::string& name, const TFileIdentity& seen, std::string& problem) = 0;
};

enum class TUndoResult { Removed, Absent, Kept };

struct TUndoReport {
  TUndoResult Result;
  std::string Name;    // within the folder: the temporary name when that is what was found
  std::string Reason;  // why it was kept, or what kind of file was removed
};

// Undoes the attempts, the last first: removes each file the journal proves this run made and
// that is unchanged; with `dryRun` only says what it would do. Calls `report` once per item, or
// not at all when the folder is not the run's: then `folderProblem` says why and nothing is
// touched. True when nothing was kept.
bool UndoCopies(const TJournal& journal, IFileRemover& remover, bool dryRun,
                const std::function<void(const TUndoReport&)>& report, std::string& folderProblem);
