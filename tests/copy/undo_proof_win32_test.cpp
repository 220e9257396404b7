// What undo's proof rests on, on real folders: every field the system records, links at a copy's
// name, and the file systems whose numbers are places.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "copy/file_identity_win32.h"
#include "copy/file_remover_win32.h"
#include "tests/support/identity_fields.h"
#include "tests/support/temp_folder_win32.h"
#include "tests/support/undo_on_disk_win32.h"

namespace {

// The remover compares again, on the handle it removes with, every field the system records (no
// birth: see file_identity_win32.h): a file that differs from what undo saw in any one of them
// stays. A folder that differs in its volume or number is not the run's.
TEST_F(UndoOnDiskTest, EachRecordedFieldAloneKeepsAFileAndRefusesAFolder) {
  Copy({"a.dat"});
  const std::string a = folder_ + "\\a.dat";
  TWin32FileRemover remover;
  OpenFolder(remover);
  const TFileIdentity seen = remover.Inspect("a.dat").File;
  ASSERT_EQ(seen, IdentityAt(a));
  TFileIdentity folder;
  ASSERT_TRUE(ReadFolderIdentity(folder_, folder));
  // Windows records no birth.
  ExpectEveryFieldAloneCounts(remover, "a.dat", seen, folder_, folder, [&] { return FileExists(a); },
                              [](const TIdentityField& field) { return std::string(field.Name) != "birth"; });
}

// Symbolic links made for a test, each at `link` to `target` (relative to the link's folder,
// "/"-separated): the system's own where it makes one (Windows, with the right to); else a Unix
// one, which Wine follows even where asked for the link itself. (Wine's CreateSymbolicLink makes
// nothing and says it did.) A Unix link goes with the Unix command: Wine would remove its target.
class TSymbolicLinks {
 public:
  ~TSymbolicLinks() {
    for (const std::string& link : unix_) {
      const std::size_t slash = link.rfind('\\');
      RunUnix("rm " + link.substr(slash + 1), link.substr(0, slash), link, false);
    }
  }
  // False when no link can be made.
  bool Make(const std::string& link, const std::string& target) {
    std::string windowsTarget = target;
    for (char& c : windowsTarget) c = c == '/' ? '\\' : c;
    CreateSymbolicLinkA(link.c_str(), windowsTarget.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    if (FileExists(link)) return true;
    const std::size_t slash = link.rfind('\\');
    if (!RunUnix("ln -s " + target + " " + link.substr(slash + 1), link.substr(0, slash), link, true)) return false;
    unix_.push_back(link);
    return true;
  }

 private:
  std::vector<std::string> unix_;
};

// A link put at a copy's name is the user's: undo keeps it and what it leads to, even the run's
// own file, unchanged, moved out of the folder with its sub-folder. A hard link at a copy's name
// is another file, or the copy changed by the link. Only on Windows, where the user may make links
// of the system's own, can this show a remover that follows one: Wine makes none, and follows a
// Unix link whatever it is asked. (Nor does Wine make a junction: the test of a sub-folder that
// is one is in undo_win32_test.cpp.)
TEST_F(UndoOnDiskTest, ALinkAtACopysNameIsKeptWithWhatItLeadsTo) {
  MakeFolder(folder_ + "\\sub");
  Copy({"sub\\a.dat", "b.dat", "c.dat", "d.dat"});
  const std::string away = base_ / "away", mine = base_ / "mine.dat";
  ASSERT_TRUE(MoveFileA((folder_ + "\\sub").c_str(), away.c_str()));
  MakeFolder(folder_ + "\\sub");
  PutFile(mine, "mine");
  TSymbolicLinks links;
  ASSERT_TRUE(links.Make(folder_ + "\\sub\\a.dat", "../../away/a.dat") && DeleteFileA((folder_ + "\\b.dat").c_str()) &&
              links.Make(folder_ + "\\b.dat", "../mine.dat"));
  ASSERT_EQ(IdentityAt(away + "\\a.dat"), Journal().Items.at(0).File);  // followed, it would pass every check
  ASSERT_TRUE(DeleteFileA((folder_ + "\\c.dat").c_str()) &&
              CreateHardLinkA((folder_ + "\\c.dat").c_str(), mine.c_str(), nullptr) &&
              CreateHardLinkA((base_ / "second.dat").c_str(), (folder_ + "\\d.dat").c_str(), nullptr));
  Undo();
  for (const char* name : {"sub\\a.dat", "b.dat", "c.dat", "d.dat"}) {
    EXPECT_EQ(results_.at(name), TUndoResult::Kept) << name;
  }
  EXPECT_EQ(FileContent(away + "\\a.dat") + FileContent(folder_ + "\\sub\\a.dat"), "the sourcethe source");
  EXPECT_EQ(FileContent(mine) + FileContent(folder_ + "\\b.dat") + FileContent(folder_ + "\\c.dat"), "minemine" "mine");
  EXPECT_EQ(FileContent(folder_ + "\\d.dat") + FileContent(base_ / "second.dat"), "the sourcethe source");
}

// Where a file's number is its place in its folder (or the system cannot name the file system),
// nothing proves a file the run's: undo keeps every one and says why. The name is the system's
// answer for the folder otherwise.
TEST_F(UndoOnDiskTest, OnFatOrExfatEveryFileIsKeptAndSaidSo) {
  Copy({"a.dat", "b.dat"});
  static std::wstring name;
  for (const wchar_t* fileSystem : {L"FAT", L"FAT32", L"exFAT", L""}) {
    name = fileSystem;
    results_.clear();
    Undo(false, [](HANDLE) { return name; });
    ASSERT_EQ(results_.size(), 2u);
    for (const auto& [file, result] : results_) {
      EXPECT_EQ(result, TUndoResult::Kept) << file;
      EXPECT_EQ(reasons_.at(file), "this file system cannot tell the run's file from another put at its place later");
    }
    EXPECT_EQ(ListFolder(folder_), "a.dat b.dat");
  }
  const HANDLE folder = CreateFileA(folder_.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  wchar_t system[MAX_PATH + 1] = L"";
  EXPECT_TRUE(GetVolumeInformationByHandleW(folder, nullptr, 0, nullptr, nullptr, nullptr, system, MAX_PATH + 1));
  EXPECT_EQ(FileSystemName(folder), system);
  CloseHandle(folder);
  Undo();
  EXPECT_EQ(ListFolder(folder_), "");
}

}  // namespace
