#pragma once

#include <windows.h>

#include <string>

#include "copy/file_identity.h"
#include "naming/mbcs.h"

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

// How the system reads a name given to its calls: Shift-JIS under the Japanese code page (932),
// else as text none of whose characters of several bytes holds an ASCII byte, which UTF-8 (the
// command line's code page where the system honours its manifest) and every code page of single
// bytes are.
TEncoding SystemNameEncoding();

// The identity the system's answers for one file make. A time of 0, which the system gives for a
// time it does not keep, stays 0.
TFileIdentity IdentityFrom(DWORD volumeSerial, const LARGE_INTEGER& index, const FILE_STANDARD_INFO& standard,
                           const FILE_BASIC_INFO& basic);

// Whether the file system named so (as GetVolumeInformation gives it) numbers a file by its place
// in its folder, so that the next file made at that place gets the same number, and keeps no
// change time: FAT, FAT32 and exFAT.
bool FileNumbersArePlaces(const std::wstring& fileSystemName);

// The name of the file system that holds the open `file`, as GetVolumeInformationByHandleW gives
// it; empty when the system cannot say.
std::wstring FileSystemName(HANDLE file);

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
