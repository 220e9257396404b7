#pragma once

#include <string>

#include "copy/journal_writer.h"
#include "copy/copy_run.h"
#include "copy/file_identity_posix.h"
#include "posix/owned_handle.h"

// The file copy on Linux, into one folder given at the start: every name is reached beneath it,
// never through a link that leads out of it. Names and paths are the platform's bytes; the
// witness hears names within the folder.
//
// The copy is made unnamed in the destination's folder (O_TMPFILE), filled with
// copy_file_range (a clone where the file system can; plain reads and writes where it cannot),
// given the source's permission bits (without set-user-ID, set-group-ID and sticky, as cp drops
// them) and its access and modification times, and only then named with linkat, which refuses a
// name that exists. A copy that fails at any point leaves nothing: the unnamed file goes with its
// handle. The witness hears "created" before the name is made and "named" after.
//
// Where the file system has no unnamed files the copy is made under a temporary name of its own
// in the same folder (O_EXCL, a random name announced to the witness before it is made), filled
// the same way and renamed with RENAME_NOREPLACE, which refuses a name that exists (or, where the
// file system refuses that flag, linked to the name and unlinked from the temporary one). No
// partial or empty file ever carries a copy's name. A copy that fails removes its temporary file,
// and only while the temporary name holds the very file its handle holds.
//
// The source is opened once and read through the same handle while the copies name the same
// source, so one run copies one file even if another program replaces it midway.
class TPosixFileCopier : public IRunTarget {
 public:
  // How a copy gets its name. Unnamed: linked by its handle where the kernel lets this process
  // (Linux 6.10 on, or with CAP_DAC_READ_SEARCH), else through its /proc entry. The others go
  // straight to a later way, as elsewhere: UnnamedThroughProc as a user on an older kernel,
  // Temporary as on a file system without O_TMPFILE, TemporaryLinked as on one that also refuses
  // RENAME_NOREPLACE.
  enum class TWay { Unnamed, UnnamedThroughProc, Temporary, TemporaryLinked };
  // Copies `source` into `folder`, which it opens; throws std::runtime_error when it cannot.
  TPosixFileCopier(std::string source, const std::string& folder, ICopyWitness* witness = nullptr,
                   TWay way = TWay::Unnamed);

  TCopyOutcome Copy(const std::string& name) override;
  TFileIdentity FolderIdentity() override;
  void Witness(ICopyWitness& witness) override { witness_ = &witness; }
  // What a copy to `name` would meet before it makes anything, touching nothing: a name that
  // exists, a name it cannot reach or a folder this process may not add a file to (Failed, with
  // the reason Copy would give), or nothing. `landing`, when given, gets where the file would
  // land, the same for two names that would make one file: the device and number of the folder
  // the name reaches (through links within the folder) and the name there.
  TCopyOutcome Look(const std::string& name, std::string* landing = nullptr);

 private:
  // The handle of the source, opened at the first copy; -1 with errno set when it cannot be opened.
  int OpenSource();
  // Names the unnamed file `file` as `name` in `folder` (linkat: fails with EEXIST on a name that
  // exists). -1 with errno set on failure.
  int Name(int file, int folder, const std::string& name);
  // The folder that holds `name` and its last part; -1 with `outcome` set when it cannot be
  // reached beneath the run's folder or the name exists.
  int Reach(const std::string& name, std::string& leaf, TCopyOutcome& outcome);
  TCopyOutcome CopyUnderTemporaryName(int from, const struct stat& source, int folder, const std::string& leaf,
                                      const std::string& name);

  std::string sourcePath_;
  ICopyWitness* witness_;
  bool unnamedFirst_;
  bool renameNoReplace_;
  unsigned umask_;     // the process's, read once
  bool linkHandle_;    // linkat may take the handle itself (AT_EMPTY_PATH)
  TFileDescriptor source_;
  TFolderHandle folder_;
  unsigned long long nextTemporary_;
};
