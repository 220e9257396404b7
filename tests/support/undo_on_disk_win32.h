#pragma once

// What the tests of undo on real folders share: the identity of a file worked out apart from the
// reader, Unix commands under Wine, and copies made through the journal as tandelo-cli makes them.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "copy/file_copier_win32.h"
#include "copy/file_identity_win32.h"
#include "copy/file_remover_win32.h"
#include "copy/journal_file_win32.h"
#include "tests/support/name_forms.h"
#include "tests/support/temp_folder_win32.h"

inline std::string Fields(const TFileIdentity& f) {
  return std::to_string(f.Volume) + " " + std::to_string(f.Index) + " " + std::to_string(f.Size) + " " +
         std::to_string(f.Time) + " " + std::to_string(f.Birth) + " " + std::to_string(f.Change);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The identity of the file at `path` as the system gives it, worked out apart from the reader.
inline TFileIdentity IdentityAt(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
  BY_HANDLE_FILE_INFORMATION information{};
  FILE_BASIC_INFO basic{};
  EXPECT_TRUE(GetFileInformationByHandle(file, &information) &&
              GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) << path;
  CloseHandle(file);
  const auto since1970 = [](const LARGE_INTEGER& time) { return (time.QuadPart - 116444736000000000) * 100; };
  TFileIdentity identity;
  identity.Volume = information.dwVolumeSerialNumber;
  identity.Index = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
  identity.Size = (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
  identity.Time = since1970(basic.LastWriteTime);
  identity.Change = since1970(basic.ChangeTime);
  return identity;
}

// Runs a command of the Unix system under Wine in `folder`; false where there is none. Wine may
// report it ended a moment before its work shows.
inline bool RunUnix(std::string command, const std::string& folder, const std::string& shows, bool exists) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  const std::string program = "Z:\\bin\\" + command.substr(0, command.find(' '));
  if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &process)) {
    return false;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int i = 0; i < 100 && FileExists(shows) != exists; ++i) Sleep(20);
  return true;
}

class UndoOnDiskTest : public testing::Test {
 protected:
  void SetUp() override {
    PutFile(source_, "the source");
    PutFile(readOnlySource_, "read-only source");
    ASSERT_TRUE(SetFileAttributesA(readOnlySource_.c_str(), FILE_ATTRIBUTE_READONLY));
    MakeFolder(folder_);
  }

  // Copies through the journal as tandelo-cli copy does, under temporary names; a name starting
  // with "ro" from the read-only source.
  void Copy(const std::vector<std::string>& names) {
    TWin32JournalFile file(journal_);
    TFileIdentity folder;
    ASSERT_TRUE(ReadFolderIdentity(folder_, folder));
    TCopyJournal journal(file, folder_, folder, kWindowsNames);
    constexpr auto kWay = TWin32FileCopier::TWay::TemporaryName;
    TWin32FileCopier fromSource(source_, folder_, {}, &journal, kWay);
    TWin32FileCopier fromReadOnly(readOnlySource_, folder_, {}, &journal, kWay);
    TJournalingCopier copier(fromSource, journal);
    TJournalingCopier readOnlyCopier(fromReadOnly, journal);
    for (const std::string& name : names) (name.rfind("ro", 0) == 0 ? readOnlyCopier : copier).Copy(name);
  }

  std::string JournalText() {
    std::string text, problem;
    EXPECT_TRUE(ReadWholeJournal(OpenTrustedJournal(journal_, problem), text, problem)) << problem;
    return text;
  }

  TJournal Journal() {
    TJournal journal;
    std::string problem;
    EXPECT_TRUE(ReadJournal(JournalText(), kWindowsNames, journal, problem)) << problem;
    return journal;
  }

  // Undoes the run; the file system the folder is on as `fileSystemName` names it.
  void Undo(bool dryRun = false, std::wstring (*fileSystemName)(HANDLE) = FileSystemName) {
    TWin32FileRemover remover(fileSystemName);
    UndoCopies(Journal(), remover, dryRun, [&](const TUndoReport& r) {
      results_[r.Name] = r.Result;
      reasons_[r.Name] = r.Reason;
    }, folderProblem_);
  }

  void OpenFolder(TWin32FileRemover& remover) {
    TFileIdentity folder;
    ASSERT_TRUE(ReadFolderIdentity(folder_, folder));
    ASSERT_EQ(remover.OpenFolder(folder_, folder), TFolderState::Same);
  }

  TTempFolder base_;
  const std::string source_ = base_ / "source.dat", readOnlySource_ = base_ / "ro.dat";
  const std::string folder_ = base_ / "out", journal_ = base_ / "journal";
  std::map<std::string, TUndoResult> results_;
  std::map<std::string, std::string> reasons_;
  std::string folderProblem_;
};

