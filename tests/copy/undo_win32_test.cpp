// The journal of a run and its undo on real folders: the identity the system gives a file, the
// journal file and the trust in it, and undo through the real remover.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <winioctl.h>

#include <map>
#include <regex>

#include "copy/copy_progress_win32.h"
#include "copy/file_copier_win32.h"
#include "copy/file_identity_win32.h"
#include "copy/file_remover_win32.h"
#include "copy/journal_file_win32.h"
#include "copy/journal_format.h"
#include "copy/journal_summary.h"
#include "tests/support/access_win32.h"
#include "tests/support/undo_on_disk_win32.h"
#include "tests/support/temp_folder_win32.h"

namespace {

// The number whole (on NTFS the high bits are the record's sequence number), times from 100 ns
// steps since 1601 to nanoseconds since 1970, and 0 for a time the system does not keep.
TEST(FileIdentityTest, TheSystemsAnswersMakeTheWholeIdentity) {
  LARGE_INTEGER index;
  index.QuadPart = 0x0005000000012345;
  FILE_STANDARD_INFO standard{};
  standard.EndOfFile.QuadPart = 0x100000001;
  FILE_BASIC_INFO basic{};
  basic.CreationTime.QuadPart = 116444736000000000 + 7;
  basic.LastWriteTime.QuadPart = 116444736000000000 - 3;
  basic.ChangeTime.QuadPart = 134000000000000000;
  EXPECT_EQ(Fields(IdentityFrom(0xCAFE, index, standard, basic)),
            "51966 1407374883627845 4294967297 -300 0 1755526400000000000");
  basic.ChangeTime.QuadPart = 0;
  EXPECT_EQ(Fields(IdentityFrom(0xCAFE, index, standard, basic)), "51966 1407374883627845 4294967297 -300 0 0");
  EXPECT_TRUE(FileNumbersArePlaces(L"FAT") && FileNumbersArePlaces(L"fat32") && FileNumbersArePlaces(L"exFAT"));
  EXPECT_FALSE(FileNumbersArePlaces(L"NTFS") || FileNumbersArePlaces(L"ReFS"));
}

// The identity of a copy is read once the routine's handle is closed, and only of the file that
// handle held: here the routine's file was moved away and another put at its name.
TEST(FileIdentityTest, ACopyIsRecordedOnlyWhenItsNameHoldsTheFileTheRoutineWasGiven) {
  TTempFolder folder;
  for (const bool replaced : {false, true}) {
    const std::string name = folder / (replaced ? "replaced" : "kept");
    const TStillWorking none;
    TCopyProgress progress(none);
    const HANDLE made = CreateFileA(name.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW, 0, nullptr);
    const LARGE_INTEGER zero{};
    TCopyProgress::Routine(zero, zero, zero, zero, 1, CALLBACK_STREAM_SWITCH, nullptr, made, &progress);
    CloseHandle(made);
    if (replaced) {
      ASSERT_TRUE(MoveFileA(name.c_str(), (name + ".moved").c_str()));
      PutFile(name, "");
    }
    TIdentityReader reader;
    TFileIdentity file;
    EXPECT_EQ(CopiedIdentity(progress, name, reader, file), !replaced) << name;
    EXPECT_FALSE(progress.HoldsDestination());
    if (!replaced) {
      EXPECT_EQ(file, IdentityAt(name));
    }
  }
}

TEST(JournalFileTest, NeverOpensAnExistingFileAndDiscardsItsOwn) {
  TTempFolder folder;
  const std::string before("someone's\0file\r\n", 16);
  PutFile(folder / "taken", before);
  EXPECT_THROW(TWin32JournalFile(folder / "taken"), std::runtime_error);
  EXPECT_EQ(FileContent(folder / "taken"), before);
  {
    TWin32JournalFile journal(folder / "j");
    journal.Append("a line\n");
    journal.Discard();
  }
  EXPECT_EQ(ListFolder(folder.Path()), "taken");
}

// What another user may have written could name any file: only this user, SYSTEM and the
// Administrators may own or write the journal. %U stands for this user.
TEST(JournalFileTest, OnlyAJournalNoOtherUserMayWriteIsTrusted) {
  const std::string me = "S-1-5-21-1-2-3-1001";
  const std::pair<const char*, bool> cases[] = {
      {"O:%UD:(A;;FA;;;SY)(A;;FA;;;%U)(A;;FA;;;BA)(A;;FA;;;CO)(A;;0x1200a9;;;WD)", true},
      {"O:BAD:(A;;FA;;;%U)", true},
      {"O:%UD:", true},
      {"O:%UD:(A;OIIO;FA;;;WD)(D;;FA;;;BU)", true},  // for what a folder makes; a denial
      {"O:S-1-5-21-1-2-3-1002D:(A;;FA;;;%U)", false},
      {"O:%UD:(A;;0x4;;;BU)", false},  // append
      {"O:%UD:(A;;SD;;;AU)", false},   // delete
      {"O:%UD:(A;;WDWO;;;WD)", false},
      {"O:%UD:(A;;GW;;;S-1-5-21-1-2-3-1002)", false},
  };
  PSID user = nullptr;
  ASSERT_TRUE(ConvertStringSidToSidA(me.c_str(), &user));
  for (const auto& [pattern, trusted] : cases) {
    std::string text = pattern;
    for (std::size_t at; (at = text.find("%U")) != std::string::npos;) text.replace(at, 2, me);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(text.c_str(), SDDL_REVISION_1, &descriptor,
                                                                     nullptr)) << text;
    EXPECT_EQ(SecurityTrustProblem(descriptor, user).empty(), trusted) << text;
    LocalFree(descriptor);
  }
  // No access list at all lets everyone do everything. (Wine reads "D:NO_ACCESS_CONTROL" as an
  // empty list, which lets nobody do anything.)
  SECURITY_DESCRIPTOR open;
  ASSERT_TRUE(InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION) &&
              SetSecurityDescriptorOwner(&open, user, FALSE) && SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE));
  EXPECT_NE(SecurityTrustProblem(&open, user), "");
  LocalFree(user);
}

// A link "sub" in `folder` to the folder "away" beside it while it lives: a junction, which any
// Windows user may make; Wine makes none, but follows a Unix symbolic link (and removing that
// through Wine would remove its target).
class TFolderLink {
 public:
  explicit TFolderLink(const std::string& folder) : folder_(folder) {
    MakeFolder(folder + "\\sub");
    struct {
      DWORD Tag = IO_REPARSE_TAG_MOUNT_POINT;
      WORD Length, Reserved = 0, NameAt = 0, NameLength, ShownAt, ShownLength = 0;
      wchar_t Names[2 * MAX_PATH] = {};
    } junction;
    const std::string target = "\\??\\" + folder.substr(0, folder.rfind('\\')) + "\\away";
    const int length = MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, junction.Names, MAX_PATH);
    junction.NameLength = static_cast<WORD>(2 * length - 2);
    junction.ShownAt = static_cast<WORD>(2 * length);
    junction.Length = static_cast<WORD>(8 + junction.ShownAt + 2);
    const HANDLE sub = CreateFileA((folder + "\\sub").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    DWORD returned = 0;
    junction_ = DeviceIoControl(sub, FSCTL_SET_REPARSE_POINT, &junction, 8 + junction.Length, nullptr, 0, &returned,
                                nullptr);
    CloseHandle(sub);
    if (!junction_ && RemoveDirectoryA((folder + "\\sub").c_str())) {
      RunUnix("ln -s ../away sub", folder, folder + "\\sub", true);
    }
  }
  ~TFolderLink() {
    const std::string sub = folder_ + "\\sub";
    if (!junction_ || !RemoveDirectoryA(sub.c_str())) RunUnix("rm sub", folder_, sub, false);
  }

 private:
  std::string folder_;
  bool junction_ = false;
};

// Each step of a copy is in the journal before the next: the temporary name before it is made,
// its number before a byte is written, the whole file before the rename, the file at its name
// after it, written at once (no birth time here would prove a copy killed before its line). A
// name that exists is seen before anything is made or written.
TEST_F(UndoOnDiskTest, TheJournalHoldsEachCopyAsMadeAndEachNameThatWasNot) {
  PutFile(folder_ + "\\taken.dat", "mine");
  Copy({"a.dat", "taken.dat"});
  const std::string text = JournalText();
  const std::string lines = text.substr(text.find("\n1 ") + 1);
  const TFileIdentity made = IdentityAt(folder_ + "\\a.dat");
  const std::string file = std::to_string(made.Volume) + " " + std::to_string(made.Index) + " ";
  const std::regex expected("1 creating a\\.dat (\\.tandelo-[0-9a-f]{16}\\.part)\n"
                            "1 opened a\\.dat \\1 " + file + "0 [0-9]+ 0 [0-9]+\n"
                            "1 created a\\.dat \\1 " + file + "10 [0-9]+ 0 [0-9]+\n"
                            "1 named a\\.dat - " + Fields(made) + "\n");
  EXPECT_TRUE(std::regex_match(lines, expected)) << lines;
  EXPECT_EQ(ListFolder(folder_), "a.dat taken.dat");
}

// The name a copy gets is the name the system makes of it: "b." is "b", which undo finds.
TEST_F(UndoOnDiskTest, ACopyToANameEndingInADotIsUndoneWhereItLanded) {
  Copy({"b.", "c "});
  EXPECT_EQ(ListFolder(folder_), "b c");
  Undo();
  EXPECT_EQ(ListFolder(folder_), "");
  EXPECT_EQ(results_, (std::map<std::string, TUndoResult>{{"b.", TUndoResult::Removed},
                                                         {"c ", TUndoResult::Removed}}));
}

// A copy replaced by another copy of the source (the same size and write time, and under Wine
// the same number) and one edited in place with its write time put back are kept; the unchanged
// ones go, the read-only one too.
TEST_F(UndoOnDiskTest, RemovesTheUnchangedCopiesOnly) {
  Copy({"a.dat", "replaced.dat", "edited.dat", "ro.dat"});
  const std::string replaced = folder_ + "\\replaced.dat", edited = folder_ + "\\edited.dat";
  ASSERT_TRUE(DeleteFileA(replaced.c_str()) && CopyFileA(source_.c_str(), replaced.c_str(), TRUE));
  const HANDLE file = CreateFileA(edited.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                  0, nullptr);
  FILETIME written;
  DWORD done = 0;
  ASSERT_TRUE(GetFileTime(file, nullptr, nullptr, &written) && WriteFile(file, "T", 1, &done, nullptr));
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
  CloseHandle(file);
  Undo();
  EXPECT_EQ(ListFolder(folder_), "edited.dat replaced.dat");
  EXPECT_EQ(FileContent(edited), "The source");
  EXPECT_EQ(results_.at("a.dat"), TUndoResult::Removed);
  EXPECT_EQ(results_.at("ro.dat"), TUndoResult::Removed);
}

TEST_F(UndoOnDiskTest, ADryRunRemovesNothing) {
  Copy({"a.dat", "ro.dat"});
  Undo(true);
  EXPECT_EQ(ListFolder(folder_), "a.dat ro.dat");
  EXPECT_EQ(results_, (std::map<std::string, TUndoResult>{{"a.dat", TUndoResult::Removed},
                                                         {"ro.dat", TUndoResult::Removed}}));
}

TEST_F(UndoOnDiskTest, AFolderMovedOrReplacedSinceTheRunIsLeftAlone) {
  Copy({"a.dat"});
  ASSERT_TRUE(MoveFileA(folder_.c_str(), (base_ / "moved").c_str()));
  Undo();
  EXPECT_NE(folderProblem_.find("is not there any more"), std::string::npos) << folderProblem_;
  MakeFolder(folder_);
  ASSERT_TRUE(CopyFileA(source_.c_str(), (folder_ + "\\a.dat").c_str(), TRUE));
  Undo();
  EXPECT_NE(folderProblem_.find("is not the folder the run copied into"), std::string::npos) << folderProblem_;
  EXPECT_TRUE(results_.empty());
  EXPECT_EQ(ListFolder(folder_) + " " + ListFolder(base_ / "moved"), "a.dat a.dat");
}

// Written between the look and the removal, the file stays.
TEST_F(UndoOnDiskTest, AFileChangedAfterItWasLookedAtStays) {
  Copy({"a.dat"});
  TWin32FileRemover remover;
  OpenFolder(remover);
  const TFileState state = remover.Inspect("a.dat");
  ASSERT_TRUE(state.RegularFile);
  const HANDLE file = CreateFileA((folder_ + "\\a.dat").c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                  0, nullptr);
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(file, "T", 1, &done, nullptr));
  CloseHandle(file);
  std::string problem;
  EXPECT_FALSE(remover.RemoveIfSame("a.dat", state.File, problem));
  EXPECT_EQ(FileContent(folder_ + "\\a.dat"), "The source");
}

// The folder renamed and another made at its path while undo holds it: names are looked up in
// the run's folder, never in the newcomer. (Windows then removes the run's file in the renamed
// folder; Wine 8 removes a file set for deletion only where the name it was opened by still leads
// to it, so the file stays.)
TEST_F(UndoOnDiskTest, AFolderReplacedWhileUndoHoldsItIsNotLeft) {
  Copy({"a.dat"});
  TWin32FileRemover remover;
  OpenFolder(remover);
  ASSERT_TRUE(MoveFileA(folder_.c_str(), (base_ / "moved").c_str()));
  MakeFolder(folder_);
  PutFile(folder_ + "\\a.dat", "newcomer");
  const TFileState state = remover.Inspect("a.dat");
  EXPECT_EQ(state.File, IdentityAt(base_ / "moved\\a.dat"));
  std::string problem;
  remover.RemoveIfSame("a.dat", state.File, problem);
  EXPECT_EQ(FileContent(folder_ + "\\a.dat"), "newcomer");
}

// The run's file, unchanged, moved out with its sub-folder, and a link left in the sub-folder's
// place: the file is no longer in the folder.
TEST_F(UndoOnDiskTest, NeverFollowsASubFolderLinkOutOfTheFolder) {
  MakeFolder(folder_ + "\\sub");
  Copy({"sub\\a.dat"});
  ASSERT_TRUE(MoveFileA((folder_ + "\\sub").c_str(), (base_ / "away").c_str()));
  const TFolderLink link(folder_);
  ASSERT_TRUE(FileExists(folder_ + "\\sub\\a.dat"));
  Undo();
  EXPECT_NE(results_.at("sub\\a.dat"), TUndoResult::Removed);
  TWin32FileRemover remover;  // removing without looking first
  OpenFolder(remover);
  std::string problem;
  EXPECT_FALSE(remover.RemoveIfSame("sub\\a.dat", IdentityAt(base_ / "away\\a.dat"), problem));
  EXPECT_EQ(ListFolder(base_ / "away"), "a.dat");
}

TEST_F(UndoOnDiskTest, AJournalOthersMayWriteIsRefused) {
  Copy({"a.dat"});
  std::string text, problem;
  EXPECT_TRUE(ReadWholeJournal(OpenTrustedJournal(journal_, problem), text, problem)) << problem;
  EXPECT_EQ(text.rfind(kJournalHeader + "\n", 0), 0u);
  LetEveryoneWrite(journal_);
  EXPECT_FALSE(ReadWholeJournal(OpenTrustedJournal(journal_, problem), text, problem));
  EXPECT_EQ(problem.rfind("will not undo " + journal_ + ": other users may write it", 0), 0u) << problem;
}

}  // namespace
