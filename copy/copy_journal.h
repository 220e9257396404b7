#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "copy/copy_run.h"

// A journal of the copies one run made, and the undo that reads it.
//
// The journal is text, one entry per line, each line handed to the system before the copy goes
// on, so a run killed at any instant (kill -9) leaves every line it finished. The first line is
// kJournalHeader; every entry starts with the number of its attempt (one attempt per name the run
// tried to copy) and its kind, then the destination path in the platform's bytes with bytes from
// 0x00 to 0x20, 0x7F and "%" written as %HH:
//
//   N creating PATH                       the copy may create PATH under its name from now on
//   N opened PATH VOLUME INDEX            PATH is this copy's own file, still being written
//   N created PATH VOLUME INDEX SIZE TIME this copy's file, complete
//   N failed PATH                         the attempt made nothing: its earlier lines count for nothing
//
// VOLUME and INDEX identify the file on its volume (Linux: device and inode; Windows: volume
// serial number and file index), read from the handle that made it; SIZE and TIME are its size
// and last-write time once complete. A torn last line (no line end) is ignored.
//
// What a kill leaves, by where it strikes, and what undo makes of it:
// - A copier that makes the file unnamed and names it only once complete (Linux O_TMPFILE and
//   linkat) writes "created" before it names the file and no "creating": killed before that
//   line, nothing has a name; after it, undo finds the file by its identity (or finds the name
//   absent or someone else's, and leaves it).
// - A copier that creates the file at its name (the O_EXCL fallback) writes "creating" before the
//   name is made and "opened" once it holds the new file: killed in between, an empty file may
//   carry the name and undo keeps it as unproven, saying so; after "opened", undo removes the
//   part, proven by its identity.
// - A copier that only learns the identity after the copy (the system's copy on Windows) writes
//   "creating" before and "created" after: killed in between, the file being copied (complete
//   or part-written) is kept as unproven and listed.
extern const std::string kJournalHeader;

// What identifies one file on its volume and, once a copy completed it, its size and last-write
// time (Linux: nanoseconds since 1970; Windows: FILETIME).
struct TFileIdentity {
  std::uint64_t Volume = 0;
  std::uint64_t Index = 0;
  std::uint64_t Size = 0;
  std::int64_t Time = 0;
};

// Told by a platform copier what it is making, as it makes it. Each call writes through before it
// returns and throws when it cannot: a copy must not go on unrecorded.
class ICopyWitness {
 public:
  virtual ~ICopyWitness() = default;
  virtual void Creating(const std::string& destination) = 0;
  virtual void Opened(const std::string& destination, const TFileIdentity& file) = 0;
  virtual void Created(const std::string& destination, const TFileIdentity& file) = 0;
};

// Where journal lines go: Append writes one line (with its line end) and hands it to the system
// before it returns; throws std::runtime_error when it cannot.
class IJournalFile {
 public:
  virtual ~IJournalFile() = default;
  virtual void Append(const std::string& line) = 0;
};

class TCopyJournal : public ICopyWitness {
 public:
  explicit TCopyJournal(IJournalFile& file);  // writes the header

  void Creating(const std::string& destination) override;
  void Opened(const std::string& destination, const TFileIdentity& file) override;
  void Created(const std::string& destination, const TFileIdentity& file) override;

  // Starts the next attempt; Failed ends it as having made nothing (a line only when the attempt
  // wrote one).
  void Begin();
  void Failed(const std::string& destination);

 private:
  void Write(std::string_view kind, const std::string& destination, const std::string& fields = {});

  IJournalFile& file_;
  std::uint64_t attempt_ = 0;
  bool attemptWritten_ = false;
};

// Journals every copy of another copier: each call is an attempt of its own, and a copy that does
// not succeed is marked failed.
class TJournalingCopier : public IFileCopier {
 public:
  TJournalingCopier(IFileCopier& copier, TCopyJournal& journal) : copier_(copier), journal_(journal) {}
  TCopyOutcome Copy(const std::string& source, const std::string& destination) override;

 private:
  IFileCopier& copier_;
  TCopyJournal& journal_;
};

// One attempt that may have left a file: how far its journal got.
struct TUndoItem {
  enum TStage { Creating, Opened, Created };
  TStage Stage = Creating;
  std::string Path;
  TFileIdentity File;
};

// The attempts of a journal that may have left a file, in journal order. False with `problem`
// set when the text is not a journal or a finished line is malformed (with its line number).
bool ReadJournal(std::string_view text, std::vector<TUndoItem>& items, std::string& problem);

// What is at a path now, as the platform sees it without following a final link.
struct TFileState {
  bool Exists = false;
  bool RegularFile = false;
  TFileIdentity File;
};

class IFileRemover {
 public:
  virtual ~IFileRemover() = default;
  virtual TFileState Inspect(const std::string& path) = 0;
  // Removes `path` if it is still the file `file` identifies (volume and index; size and time as
  // well when `complete`). False with `problem` set when it is not or cannot be removed.
  virtual bool RemoveIfSame(const std::string& path, const TFileIdentity& file, bool complete,
                            std::string& problem) = 0;
};

enum class TUndoResult { Removed, Absent, Kept };

struct TUndoReport {
  TUndoResult Result;
  std::string Path;
  std::string Reason;  // why it was kept, or what kind of file was removed
};

// Undoes the attempts, the last first: removes each file the journal proves this run made and
// that is unchanged; with `dryRun` only says what it would do. Calls `report` once per item.
// True when nothing was kept.
bool UndoCopies(const std::vector<TUndoItem>& items, IFileRemover& remover, bool dryRun,
                const std::function<void(const TUndoReport&)>& report);
