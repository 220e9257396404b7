#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "copy/copy_journal.h"
#include "copy/copy_run.h"
#include "copy/journal_summary.h"

// What the command needs of the platform; paths are the platform's bytes.
extern const char kPathSeparator;

// The copier into `folder`, given names within it separated by kPathSeparator; throws
// std::runtime_error when the folder cannot be opened.
std::unique_ptr<IFileCopier> MakeFileCopier(const std::string& folder, ICopyWitness* witness);
std::unique_ptr<IFileRemover> MakeFileRemover();
std::unique_ptr<IJournalFile> MakeJournalFile(const std::string& path);  // throws std::runtime_error
// The identity of the folder at `path` as the journal records it; false with `problem` set.
bool FolderIdentity(const std::string& path, TFileIdentity& identity, std::string& problem);
// The journal at `path` opened for reading through one handle, and only when no other user may
// have written it (it then could name any file); null with `problem` set.
std::unique_ptr<IJournalReader> OpenJournalFile(const std::string& path, std::string& problem);

// The folder the journals of runs go in when the command line names none, from the environment
// (not made here): Linux $XDG_STATE_HOME/tandelo-cli, or ~/.local/state/tandelo-cli where that
// is unset or not a full path; Windows %LOCALAPPDATA%\Tandelo\journals, or below the system's
// local application data folder where the variable is unset. Empty with `problem` set when the
// system cannot say.
std::string StateFolder(std::string& problem);
// Makes the folder `path` and the ones missing above it, for this user alone (0700 on Linux, as
// state folders are; on Windows they take the access list of the user's own folder above). False
// with `problem` set (the reason, and on Linux the level that could not be made).
bool MakeStateFolder(const std::string& path, std::string& problem);
// The names in `folder`, "." and ".." left out; none for a folder that is not there. False with
// `problem` set when it cannot be read.
bool FolderNames(const std::string& folder, std::vector<std::string>& names, std::string& problem);
// Makes an empty file at `path` unless something is there already (which is left as it is).
// False with `problem` set when neither.
bool MakeMark(const std::string& path, std::string& problem);

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
  explicit TCopyLook(const std::string& folder) : copier_(folder) {}
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
