#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "copy/journal_writer.h"
#include "copy/undo.h"
#include "copy/copy_run.h"
#include "copy/journal_summary.h"

// What the command needs of the platform; paths are the platform's bytes.
extern const char kPathSeparator;
// How the system reads the names of files: kPathSeparator, and the encoding of its calls' text
// (Windows: its code page's; Linux separates at every "/" byte, whatever the text).
TNameForm PlatformNames();

// The platform's copy of `source` into `folder`, given names within it separated by
// kPathSeparator; throws std::runtime_error when the folder cannot be opened.
std::unique_ptr<IRunTarget> MakeRunTarget(const std::string& source, const std::string& folder);
std::unique_ptr<IFileRemover> MakeFileRemover();
// A new journal at `path`, held by its run until it is destroyed; throws std::runtime_error.
std::unique_ptr<IJournalFile> MakeJournalFile(const std::string& path);
// The identity of the folder at `path` as the journal records it; false with `problem` set.
bool FolderIdentity(const std::string& path, TFileIdentity& identity, std::string& problem);
// The journal at `path` opened for reading through one handle, and only when no other user may
// have written it (it then could name any file); null with `problem` set.
std::unique_ptr<IJournalOnDisk> OpenJournalFile(const std::string& path, std::string& problem);

// The folder the journals of runs go in when the command line names none, from the environment:
// Linux $XDG_STATE_HOME/tandelo-cli, or ~/.local/state/tandelo-cli where that is unset or not a
// full path; Windows %LOCALAPPDATA%\Tandelo\journals, or below the system's local application
// data folder where the variable is unset. Empty with `problem` set when the system cannot say.
std::string StateFolderPath(std::string& problem);

// What a mark beside a journal is.
enum class TMark { Absent, Trusted, Untrusted };

// The state folder, held open: every name in it is reached through this handle, and it is trusted
// (only this user, or the administrator, may write it), so nobody else can have put a journal or a
// mark in it, or take one away.
class IStateFolder {
 public:
  virtual ~IStateFolder() = default;
  virtual const std::string& Path() const = 0;
  // Holds the folder until the result is destroyed, waiting for it: a run starting its journal
  // (`starting`) holds it alone, so that it is never seen made and not yet held by its run;
  // others share it. Throws std::runtime_error.
  virtual std::shared_ptr<void> Hold(bool starting) = 0;
  // The names in the folder, "." and ".." left out. False with `problem` set.
  virtual bool Names(std::vector<std::string>& names, std::string& problem) = 0;
  // A new journal at `name`, held by its run until it is destroyed. Throws TJournalPathTaken
  // when something is at the name, std::runtime_error when it cannot be made.
  virtual std::unique_ptr<IJournalFile> CreateJournal(const std::string& name) = 0;
  // The journal at `name`, as OpenJournalFile opens one.
  virtual std::unique_ptr<IJournalOnDisk> OpenJournal(const std::string& name, std::string& problem) = 0;
  // The mark at `name`: Trusted only for a file of this user's that no one else may write;
  // Untrusted with `problem` saying why (another's, others may write it, not a file, or it
  // cannot be read).
  virtual TMark Mark(const std::string& name, std::string& problem) = 0;
  // Makes the mark at `name` (an empty file) unless a trusted one is there. False with `problem`
  // set when neither ("cannot make the mark PATH: ...", or why what is there is not trusted).
  virtual bool MakeMark(const std::string& name, std::string& problem) = 0;
  // Whether the folder at `path` is this one.
  virtual bool IsFolder(const std::string& path) = 0;
};

// Opens the state folder at `path`, after making it and the folders missing above it when `make`
// (for this user alone: 0700 on Linux, as state folders are; on Windows they take the access list
// of the user's own folder above). Null with `problem` set when it cannot be made or opened, is
// not there (`absent` then set), or is not to be trusted ("will not trust the folder of journals
// PATH: other users may write it (mode 0777), and could have put runs and marks in it").
std::unique_ptr<IStateFolder> OpenStateFolder(const std::string& path, bool make, bool& absent, std::string& problem);

// `path` from the root, so that a journal works from any folder; empty with `problem` set when
// the system cannot say.
std::string AbsolutePath(const std::string& path, std::string& problem);
// What a copy into one folder would meet at each name, copying nothing and touching nothing (for
// --dry-run): a name that exists, one the copier could not reach or add a file at, or none; and in
// `landing` where its file would land, the same for two names that would make one file (through
// a link, or spelt otherwise where the system reads them as one).
class ICopyLook {
 public:
  virtual ~ICopyLook() = default;
  virtual TCopyOutcome Look(const std::string& name, std::string& landing) = 0;
};

// The look of the platform's own copier into `folder`, so that a dry run reaches names as the run
// does. Throws std::runtime_error when the folder cannot be opened.
std::unique_ptr<ICopyLook> MakeCopyLook(const std::string& folder);

template <typename TPlatformCopier>
class TCopyLook : public ICopyLook {
 public:
  explicit TCopyLook(const std::string& folder) : copier_(std::string(), folder) {}
  TCopyOutcome Look(const std::string& name, std::string& landing) override { return copier_.Look(name, &landing); }

 private:
  TPlatformCopier copier_;
};
// Why `path` cannot be copied from (it cannot be opened for reading, or it is a folder, a device
// or a pipe, which would hold the run or never end); empty when it can. Never waits on a pipe.
std::string SourceProblem(const std::string& path);
inline constexpr char kIsAFolder[] = "it is a folder";
inline constexpr char kNotAFile[] = "it is not a file but a device or a pipe";
// Why `path` is not a folder to copy into; empty when it is one.
std::string FolderProblem(const std::string& path);
bool IsTerminal(int fd);
// How far local time is from UTC at `seconds` since 1970, in minutes (0 when the system cannot say).
int LocalOffsetMinutes(std::int64_t seconds);
// Standard input and output as bytes, and a closed pipe reported as an error rather than a signal.
void PrepareStandardStreams();
