#pragma once

#include <memory>
#include <string>

#include "copy/copy_journal.h"
#include "copy/copy_run.h"

// What the command needs of the platform; paths are the platform's bytes.
extern const char kPathSeparator;

// The copier into `folder`, given names within it separated by kPathSeparator; throws
// std::runtime_error when the folder cannot be opened.
std::unique_ptr<IFileCopier> MakeFileCopier(const std::string& folder, ICopyWitness* witness);
std::unique_ptr<IFileRemover> MakeFileRemover();
std::unique_ptr<IJournalFile> MakeJournalFile(const std::string& path);  // throws std::runtime_error
// The identity of the folder at `path` as the journal records it; false with `problem` set.
bool FolderIdentity(const std::string& path, TFileIdentity& identity, std::string& problem);
// Reads the journal at `path` through one handle, and only when no other user may have written
// it (it then could name any file); false with `problem` set.
bool ReadJournalFile(const std::string& path, std::string& text, std::string& problem);

// `path` from the root, so that a journal works from any folder; empty with `problem` set when
// the system cannot say.
std::string AbsolutePath(const std::string& path, std::string& problem);
// Says what a copy into `folder` would meet, copying nothing and touching nothing (for
// --dry-run): a name that exists, one the copier could not reach, or none. Throws
// std::runtime_error when the folder cannot be opened.
std::unique_ptr<IFileCopier> MakeLookingCopier(const std::string& folder);

// The platform copier's own look at each name, so that a dry run reaches names as the run does.
template <typename TPlatformCopier>
class TLookingCopier : public IFileCopier {
 public:
  explicit TLookingCopier(const std::string& folder) : copier_(folder) {}
  TCopyOutcome Copy(const std::string&, const std::string& name) override { return copier_.Look(name); }

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
// Standard input and output as bytes, and a closed pipe reported as an error rather than a signal.
void PrepareStandardStreams();
