#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "copy/copy_run.h"

// A journal of the copies one run made, and the undo that reads it.
//
// The journal is text, one entry per line, each line handed to the system before the copy goes
// on, so a run killed at any instant (kill -9) leaves every line it finished. The first line is
// kJournalHeader, the second names the run's folder and identifies it (both written at once, so a
// journal killed before them is empty: a run that copied nothing):
//
//   folder PATH VOLUME INDEX BIRTH
//
// Every entry then starts with the number of its attempt (one attempt per name the run tried to
// copy) and its kind. NAME is the destination within the folder and TEMP the temporary name the
// copy is made under ("-" for none), both in the platform's bytes with bytes from 0x00 to 0x20,
// 0x7F and "%" written as %HH:
//
//   N creating NAME TEMP                   the copy may create TEMP (or NAME) from now on
//   N opened NAME TEMP FILE...             TEMP is this copy's own file, still being written
//   N created NAME TEMP FILE...            this copy's file, complete, not yet given NAME
//   N named NAME - FILE...                 this copy's file at NAME, as it is once named
//   N failed NAME -                        the attempt made nothing: its earlier lines count for nothing
//
// A run that ends (done, stopped, or with names skipped) writes a last line, so that a listing of
// runs learns the count from the journal's end instead of reading it whole:
//
//   end COPIES                             the run is over; COPIES attempts ended "named"
//
// FILE is VOLUME INDEX SIZE TIME BIRTH CHANGE, read from the handle that made the file: the
// volume and the file's number on it, its size, its last-write time, its birth time and the last
// change of its content or metadata (times in nanoseconds since 1970; 0 where the system does
// not say). A torn last line (no line end) is ignored. A journal of the previous version
// (kJournalHeader with 2) is the same but has no end line.
//
// What proves that a file is the run's and unchanged is what a file made later at the same place
// cannot share: the change time, which every write, rename, link, chmod or time-setting call sets
// to the moment of the call and nothing sets back, and the birth time. The number of a file
// (an inode) is handed out again as soon as it is freed, and a copy's last-write time is its
// source's, so those alone prove nothing.
//
// What a kill leaves, by where it strikes, and what undo makes of it:
// - A copier that makes the file unnamed and names it only once complete (Linux O_TMPFILE and
//   linkat) writes "created" before it names the file and "named" after: killed before
//   "created", nothing has a name; between the two, the file has its name and a change time a
//   moment after the one recorded (naming sets it): undo removes it when its birth time proves
//   it is the run's, its size and write time are as recorded and its change time is within
//   kNamingSlack of the recorded one, and keeps it otherwise; after "named", undo removes it when
//   everything recorded is as it is now.
// - A copier that makes the file under a temporary name and renames it once complete (the
//   fallback where the file system has no unnamed files) writes "creating" before the temporary
//   is made, "opened" once it holds it, then "created" and "named" around the rename: undo
//   removes an empty file at the temporary name, a part proven by its number (and birth), and
//   treats the named file as above.
//   The command line on Windows copies the same way (a rename that never replaces), but the system
//   gives no birth time there: killed between the rename and its "named" line, which is written
//   at once, the copy is kept as unproven and listed.
// - A copier that only learns the identity after the copy (the system's copy on Windows, which the
//   window makes) writes "creating" before and "named" after: killed in between, the file being
//   copied (complete or part-written) is kept as unproven and listed.
extern const std::string kJournalHeader;

// The count of an end line ("end COPIES"); false for any other line.
bool ReadEndLine(std::string_view line, std::uint64_t& copies);

// Counts the copies a journal records, line by line, for a journal that has no end line (its run
// was killed): the attempts whose last line is "named". Lines are given whole, without their line
// end, from the third line on.
class TCopyCount {
 public:
  // False for a line that is not an entry.
  bool Line(std::string_view line);
  std::uint64_t Copies() const { return copies_ + (namedNow_ ? 1 : 0); }

 private:
  std::uint64_t copies_ = 0;  // of the attempts before the current one
  std::uint64_t attempt_ = 0;
  bool namedNow_ = false;  // the current attempt's last line is "named"
};

// Thrown by a journal file's maker when something is at its path already: it is never opened.
struct TJournalPathTaken : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Naming a file sets its change time to the moment of the call, a moment after the change time
// "created" recorded: the journal's line is written in between, and the process may wait for the
// processor or the disk there. A file killed in that window is removed only when its birth time
// proves it the run's and its change time is within this of the recorded one: a change made to
// it in the same second as the kill, with its size and write time put back, would go unseen.
constexpr std::int64_t kNamingSlack = 1000000000;  // 1 s in nanoseconds

// What identifies one file and what shows whether it changed. Times in nanoseconds since 1970,
// 0 when the system does not say.
struct TFileIdentity {
  std::uint64_t Volume = 0;
  std::uint64_t Index = 0;
  std::uint64_t Size = 0;
  std::int64_t Time = 0;    // last write (a copy's is its source's)
  std::int64_t Birth = 0;   // creation, set by the system only
  std::int64_t Change = 0;  // last change of content or metadata, set by the system only
};

bool operator==(const TFileIdentity& a, const TFileIdentity& b);
inline bool operator!=(const TFileIdentity& a, const TFileIdentity& b) { return !(a == b); }

// Told by a platform copier what it is making, as it makes it: the name within the run's folder
// and the temporary name there (empty `temporary`: the copy is made at its name). Each call writes
// through before it returns and throws when it cannot: a copy must not go on unrecorded. The one
// exception is "named" after a "created" of the same copy with a birth time: the file is recorded
// already, and the line that makes its proof exact goes out with the next line written (one write
// a copy, not two); a kill before that leaves it to the proof of a file killed as it was named,
// which needs the birth time.
class ICopyWitness {
 public:
  virtual ~ICopyWitness() = default;
  virtual void Creating(const std::string& destination, const std::string& temporary) = 0;
  virtual void Opened(const std::string& destination, const std::string& temporary, const TFileIdentity& file) = 0;
  virtual void Created(const std::string& destination, const std::string& temporary, const TFileIdentity& file) = 0;
  virtual void Named(const std::string& destination, const TFileIdentity& file) = 0;
};

// Where journal lines go: Append writes one line (with its line end) and hands it to the system
// before it returns; throws std::runtime_error when it cannot. Discard removes the journal
// through the handle that created it (a journal that could not be started is not left behind).
class IJournalFile {
 public:
  virtual ~IJournalFile() = default;
  virtual void Append(const std::string& line) = 0;
  virtual void Discard() = 0;
};

class TCopyJournal : public ICopyWitness {
 public:
  // Writes the header and the folder's line; throws std::runtime_error when it cannot, after
  // discarding the file. `folder` is the run's folder in full; names within it are the platform's,
  // in the form `names` gives (their separator, and the encoding the system reads them in).
  TCopyJournal(IJournalFile& file, const std::string& folder, const TFileIdentity& folderIdentity,
               const TNameForm& names);

  void Creating(const std::string& destination, const std::string& temporary) override;
  void Opened(const std::string& destination, const std::string& temporary, const TFileIdentity& file) override;
  void Created(const std::string& destination, const std::string& temporary, const TFileIdentity& file) override;
  void Named(const std::string& destination, const TFileIdentity& file) override;

  // Starts the next attempt; Failed ends it as having made nothing (a line only when the attempt
  // wrote one).
  void Begin();
  void Failed(const std::string& destination);

  // Ends the journal once the run is over: writes the "named" line held back, if any (see
  // Named), without which the last copy keeps only the proof of its "created" line, and the end
  // line with the count of copies. Later calls write nothing. Throws std::runtime_error.
  void Flush();

 private:
  // `name`, checked as a reader of the journal checks it: throws std::logic_error for a name that
  // could lead out of the folder, which would make the whole journal unreadable.
  const std::string& Within(const std::string& name) const;
  void Write(std::string_view kind, const std::string& destination, const std::string& temporary,
             const TFileIdentity* file);
  void WriteHeldBack();

  IJournalFile& file_;
  TNameForm names_;
  std::uint64_t attempt_ = 0;
  bool attemptWritten_ = false;
  bool attemptCreated_ = false;  // a "created" line with a birth time is this attempt's last
  bool attemptNamed_ = false;    // and a "named" line
  std::uint64_t copies_ = 0;     // attempts whose last line is "named"
  bool ended_ = false;
  std::string heldBack_;         // lines to go out with the next write
};

// Journals every copy of another copier: each call is an attempt of its own, and a copy that does
// not succeed is marked failed.
class TJournalingCopier : public ICopyTarget {
 public:
  TJournalingCopier(ICopyTarget& target, TCopyJournal& journal) : target_(target), journal_(journal) {}
  TCopyOutcome Copy(const std::string& name) override;

 private:
  ICopyTarget& target_;
  TCopyJournal& journal_;
};

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
