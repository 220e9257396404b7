#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "copy/copy_run.h"
#include "copy/file_identity.h"

// Writing a run's journal (its lines: copy/journal_format.h) as the copies are made, so that a run
// killed at any instant (kill -9) leaves every line it finished: each line is handed to the system
// before the copy goes on.
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

// Thrown by a journal file's maker when something is at its path already: it is never opened.
struct TJournalPathTaken : std::runtime_error {
  using std::runtime_error::runtime_error;
};

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

// The copy of a run's source into its folder as a platform makes it: the folder is opened once,
// when the target is made, and what identifies it is read from that very handle, so that a
// journal records the folder the copies go into.
class IRunTarget : public ICopyTarget {
 public:
  // Throws std::runtime_error when the system cannot say.
  virtual TFileIdentity FolderIdentity() = 0;
  // Tells `witness` of each copy from now on, as it is made.
  virtual void Witness(ICopyWitness& witness) = 0;
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
