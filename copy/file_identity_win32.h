#pragma once

#include <windows.h>

#include <string>

#include "copy/copy_journal.h"

// The identity of open files, as the journal records it: the volume's serial number, the file's
// number on it, its size, and its last-write, creation and change times in nanoseconds since 1970.
//
// The number is the whole 64-bit file reference: on NTFS its high 16 bits are the sequence number
// of the file's record, which grows each time the record is given to a new file, so a file made
// later in a freed record does not share it. The change time is set by the file system at every
// write, rename or change of attributes or times, and a copy does not take its source's.
//
// The creation time is not recorded (Birth is 0): it proves nothing these two do not. On NTFS a
// file made within seconds at the name of a removed one inherits that one's creation time, and
// any program may set it; Wine on a Unix file system gives the last-write time for it, which
// moves with every write, and a folder's with every file made in it.

// The identity the system's answers for one file make. A time of 0, which the system gives for a
// time it does not keep, stays 0.
TFileIdentity IdentityFrom(DWORD volumeSerial, const LARGE_INTEGER& index, const FILE_STANDARD_INFO& standard,
                           const FILE_BASIC_INFO& basic);

// Whether the file system named so (as GetVolumeInformation gives it) numbers a file by its place
// in its folder, so that the next file made at that place gets the same number, and keeps no
// change time: FAT, FAT32 and exFAT.
bool FileNumbersArePlaces(const std::wstring& fileSystemName);

// Reads the identity of open files.
//
// The volume's serial number is asked of the system once per folder and kept: that answer costs
// more than the copy of a small file (about 0.2 ms under Wine, where the rest together costs a
// microsecond), and a folder stays on its volume while a run or an undo lasts.
class TIdentityReader {
 public:
  // The identity of `file`, opened at `path`, and its attributes where asked. False when the
  // system cannot say.
  bool Read(HANDLE file, const std::string& path, TFileIdentity& identity, DWORD* attributes = nullptr);

 private:
  bool known_ = false;
  std::string folder_;  // the folder whose volume serial number is known
  std::uint64_t serial_ = 0;
};

// The identity of the folder at `path` (links on the way followed). False with the system's
// error set.
bool ReadFolderIdentity(const std::string& path, TFileIdentity& identity);

// Removes files for undo, within one folder held open: each name is opened beneath the folder's
// handle, not by the folder's path, so the folder renamed or replaced meanwhile is never left; a
// sub-folder part is reached as the run reached it and must resolve beneath the folder (one that
// is a link or junction leading out of it is not followed). The file's identity is compared, and
// the very file that handle holds is set for deletion, so a file that took the name in between is
// never the one removed.
//
// Inspect keeps the handle it looked through for the removal of the same name that usually
// follows, so each file is opened once and the file removed is the very one looked at; the
// sub-folder of the last name is kept while the next name is in the same sub-folder.
class TWin32FileRemover : public IFileRemover {
 public:
  TWin32FileRemover() = default;
  ~TWin32FileRemover() override;
  TWin32FileRemover(const TWin32FileRemover&) = delete;
  TWin32FileRemover& operator=(const TWin32FileRemover&) = delete;

  TFolderState OpenFolder(const std::string& path, const TFileIdentity& identity) override;
  TFileState Inspect(const std::string& name) override;
  bool RemoveIfSame(const std::string& name, const TFileIdentity& seen, std::string& problem) override;

 private:
  enum class TPlace { Beneath, Outside, Unknown };
  // The open folder that holds `name` in `folder` and the last part of `name` in `leaf`, as the
  // system names the file it creates; Beneath unless its sub-folder is not there or resolves
  // outside the folder, or the system cannot say where it resolves.
  TPlace FolderOf(const std::string& name, std::string& leaf, HANDLE& folder);
  TFileState StateOf(HANDLE file, const std::string& name);
  void Hold(HANDLE file, const std::string& name);
  void CloseSub();
  void Close();

  TIdentityReader identities_;
  HANDLE folder_ = INVALID_HANDLE_VALUE;
  std::string folderPath_;    // as the journal names it
  std::wstring folderFinal_;  // as the system resolves it, with a separator at its end
  HANDLE sub_ = INVALID_HANDLE_VALUE;  // the sub-folder subName_ within the folder
  std::string subName_;
  TPlace subPlace_ = TPlace::Outside;
  HANDLE held_ = INVALID_HANDLE_VALUE;  // opened by Inspect for removal, with heldName_
  std::string heldName_;
};

// A journal file created for this run only (CREATE_NEW: an existing file is never appended to
// or replaced), each line written with its own WriteFile, so that it is the system's before the
// copy goes on and survives the process. Nobody else may write, rename or remove it while the
// run holds it.
class TWin32JournalFile : public IJournalFile {
 public:
  explicit TWin32JournalFile(const std::string& path);  // throws std::runtime_error
  ~TWin32JournalFile() override;
  TWin32JournalFile(const TWin32JournalFile&) = delete;
  TWin32JournalFile& operator=(const TWin32JournalFile&) = delete;
  void Append(const std::string& line) override;
  // Sets the file this handle created for deletion; it goes when the handle closes.
  void Discard() override;

 private:
  std::string path_;
  HANDLE file_;
};

// Reads the journal at `path` through one handle, shared for reading only, and only when no
// other user may have written it: its owner is this user, SYSTEM or the Administrators, and its
// access list lets nobody else write it, change its access list or owner, or remove it. False with
// `problem` set ("will not undo PATH: ..." for a journal not to be trusted).
bool ReadTrustedJournal(const std::string& path, std::string& text, std::string& problem);
// Why a file with this security descriptor cannot be trusted by `user`, in words; empty when it
// can, as above.
std::string SecurityTrustProblem(PSECURITY_DESCRIPTOR descriptor, PSID user);
