// Undo's remover on real folders: what it compares, what it never follows, and which folders it
// takes as the run's.
#include "copy/journal_writer.h"
#include "copy/undo.h"
#include "copy/journal_reader.h"
#include "copy/file_copier_posix.h"
#include "copy/file_identity_posix.h"
#include "copy/file_remover_posix.h"
#include "tests/support/identity_fields.h"
#include "tests/support/descriptors_posix.h"
#include "tests/support/scratch_folder_posix.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include "tests/support/name_forms.h"
#include <unistd.h>
#include <linux/magic.h>
#include <sys/statfs.h>

#include <map>

namespace {

TEST(PosixFileRemoverTest, RemovesOnlyWhatIsStillTheFileSeenInTheRunsFolder) {
  TScratch scratch;
  TFileIdentity folder;
  TFolderHandle handle;
  ASSERT_TRUE(handle.Open(scratch.Out) && IdentityOf(handle.Get(), folder));
  std::ofstream(scratch.Out + "/a") << "a";
  std::ofstream(scratch.Folder + "/secret") << "s";
  symlink(scratch.Folder.c_str(), (scratch.Out + "/up").c_str());

  TPosixFileRemover remover;
  ASSERT_EQ(remover.OpenFolder(scratch.Out, folder), TFolderState::Same);
  TFileState a = remover.Inspect("a");
  ASSERT_TRUE(a.Exists && a.RegularFile);
  EXPECT_FALSE(remover.Inspect("up/secret").Exists);  // not through a link out of the folder
  std::string problem;
  EXPECT_FALSE(remover.RemoveIfSame("up/secret", remover.Inspect("up/secret").File, problem));
  TFileIdentity older = a.File;
  older.Change -= 1;
  EXPECT_FALSE(remover.RemoveIfSame("a", older, problem));
  EXPECT_TRUE(Exists(scratch.Out + "/a"));
  EXPECT_TRUE(remover.RemoveIfSame("a", a.File, problem)) << problem;
  EXPECT_FALSE(Exists(scratch.Out + "/a"));
  EXPECT_TRUE(Exists(scratch.Folder + "/secret"));

  // The folder moved away, and another made at its path: neither is the run's folder there.
  rename(scratch.Out.c_str(), (scratch.Folder + "/moved").c_str());
  EXPECT_EQ(TPosixFileRemover().OpenFolder(scratch.Out, folder), TFolderState::Missing);
  mkdir(scratch.Out.c_str(), 0755);
  EXPECT_EQ(TPosixFileRemover().OpenFolder(scratch.Out, folder), TFolderState::Other);
  TFileIdentity unborn = folder;  // as recorded where the file system keeps no birth time
  unborn.Birth = 0;
  EXPECT_EQ(TPosixFileRemover().OpenFolder(scratch.Out, unborn), TFolderState::Other);
  EXPECT_EQ(TPosixFileRemover().OpenFolder(scratch.Folder + "/moved", folder), TFolderState::Same);
}

// What the reader records is what the system says, and the remover compares again, on what it
// removes, every field of it: a file that differs from what undo saw in any one field stays. A
// folder that differs in what identifies it is not the run's.
TEST(PosixFileRemoverTest, EachRecordedFieldAloneKeepsAFileAndRefusesAFolder) {
  TScratch scratch;
  const std::string a = scratch.Out + "/a";
  std::ofstream(a) << "a";
  const struct timespec times[2] = {{1000, 5}, {2000, 7}};  // a write time of its own, apart from the change time
  utimensat(AT_FDCWD, a.c_str(), times, 0);
  TFileIdentity folder;
  ASSERT_TRUE(ReadFolderIdentity(scratch.Out, folder));
  TPosixFileRemover remover;
  ASSERT_EQ(remover.OpenFolder(scratch.Out, folder), TFolderState::Same);
  const TFileIdentity seen = remover.Inspect("a").File;
  struct stat st;
  ASSERT_EQ(stat(a.c_str(), &st), 0);
  const auto nanoseconds = [](const timespec& t) { return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec; };
  EXPECT_EQ(seen.Volume, st.st_dev);
  EXPECT_EQ(seen.Index, st.st_ino);
  EXPECT_EQ(seen.Size, 1u);
  EXPECT_EQ(seen.Time, 2000000000007);
  EXPECT_EQ(seen.Change, nanoseconds(st.st_ctim));
  EXPECT_TRUE(seen.Birth > 0 && seen.Birth <= seen.Change);  // ext4 and tmpfs keep one

  ExpectEveryFieldAloneCounts(remover, "a", seen, scratch.Out, folder, [&] { return Exists(a); });
}

// Undo's remover closes each file and sub-folder it opened once it is done with it, and its folder
// at its end, whatever it found at each name.
TEST(PosixFileRemoverTest, ClosesWhatItOpened) {
  TScratch scratch;
  mkdir((scratch.Out + "/sub").c_str(), 0755);
  std::ofstream(scratch.Out + "/a") << "a";
  std::ofstream(scratch.Out + "/sub/b") << "b";
  symlink(scratch.Folder.c_str(), (scratch.Out + "/up").c_str());
  TFileIdentity folder;
  ASSERT_TRUE(ReadFolderIdentity(scratch.Out, folder));
  const std::size_t before = OpenDescriptors();
  {
    TPosixFileRemover remover;
    ASSERT_EQ(remover.OpenFolder(scratch.Out, folder), TFolderState::Same);
    ASSERT_EQ(remover.OpenFolder(scratch.Out, folder), TFolderState::Same);
    std::string problem;
    for (const char* name : {"a", "sub/b", "up/source.bin", "none/c", "sub/none"}) {
      remover.RemoveIfSame(name, remover.Inspect(name).File, problem);
    }
    EXPECT_FALSE(Exists(scratch.Out + "/sub/b"));
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

class TMemoryJournal : public IJournalFile {
 public:
  void Append(const std::string& line) override { Text += line; }
  void Discard() override {}
  std::string Text;
};

// Copies made through the journal as tandelo-cli copy makes them, and their undo.
class PosixUndoTest : public testing::Test {
 protected:
  void Copy(const std::vector<std::string>& names) {
    TFileIdentity folder;
    ASSERT_TRUE(ReadFolderIdentity(scratch_.Out, folder));
    TCopyJournal journal(file_, scratch_.Out, folder, kLinuxNames);
    TPosixFileCopier platform(scratch_.Source, scratch_.Out, &journal);
    TJournalingCopier copier(platform, journal);
    for (const std::string& name : names) ASSERT_EQ(copier.Copy(name).Result, TCopyResult::Copied);
    journal.Flush();
  }

  // The identity the journal recorded for `name`.
  TFileIdentity Recorded(const std::string& name) {
    TJournal journal;
    std::string problem;
    EXPECT_TRUE(ReadJournal(file_.Text, kLinuxNames, journal, problem)) << problem;
    for (const TUndoItem& item : journal.Items) {
      if (item.Name == name) return item.File;
    }
    ADD_FAILURE() << name << " is not in the journal";
    return {};
  }

  // Undoes the run; the type of the folder's file system as `fileSystemType` tells it.
  void Undo(long (*fileSystemType)(int) = FileSystemType) {
    TJournal journal;
    std::string problem;
    ASSERT_TRUE(ReadJournal(file_.Text, kLinuxNames, journal, problem)) << problem;
    TPosixFileRemover remover(fileSystemType);
    reports_.clear();
    folderProblem_.clear();
    UndoCopies(journal, remover, false, [&](const TUndoReport& r) { reports_[r.Name] = r; }, folderProblem_);
  }

  // A file of the user's at `path`, with the source's content and times.
  void PutUsersFile(const std::string& path) {
    std::ofstream(path) << ReadFile(scratch_.Source);
    const struct timespec times[2] = {{1000, 5}, {2000, 7}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
  }

  std::string Out(const std::string& name) const { return scratch_.Out + "/" + name; }
  std::string Beside(const std::string& name) const { return scratch_.Folder + "/" + name; }

  TScratch scratch_;
  TMemoryJournal file_;
  std::map<std::string, TUndoReport> reports_;
  std::string folderProblem_;
};

bool IsLink(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A link put at a copy's name is the user's: undo keeps it and what it leads to, even the run's
// own file, unchanged, moved out of the folder with its sub-folder. A hard link at a copy's name
// is another file, or the copy changed by the link.
TEST_F(PosixUndoTest, ALinkAtACopysNameIsKeptWithWhatItLeadsTo) {
  mkdir(Out("sub").c_str(), 0755);
  Copy({"sub/a", "b", "c", "d"});
  ASSERT_EQ(rename(Out("sub").c_str(), Beside("away").c_str()), 0);
  mkdir(Out("sub").c_str(), 0755);
  ASSERT_EQ(symlink(Beside("away/a").c_str(), Out("sub/a").c_str()), 0);
  TFileIdentity moved;
  bool regular = false;
  ASSERT_TRUE(IdentityOf(AT_FDCWD, Beside("away/a"), moved, regular));
  ASSERT_EQ(moved, Recorded("sub/a"));  // followed, the link would pass every check

  PutUsersFile(Beside("mine"));
  ASSERT_EQ(unlink(Out("b").c_str()) | symlink(Beside("mine").c_str(), Out("b").c_str()), 0);
  ASSERT_EQ(unlink(Out("c").c_str()) | link(Beside("mine").c_str(), Out("c").c_str()), 0);
  ASSERT_EQ(link(Out("d").c_str(), Beside("second name of d").c_str()), 0);
  Undo();
  for (const char* name : {"sub/a", "b", "c", "d"}) EXPECT_EQ(reports_.at(name).Result, TUndoResult::Kept) << name;
  EXPECT_TRUE(IsLink(Out("sub/a")) && IsLink(Out("b")));
  EXPECT_EQ(ReadFile(Out("sub/a")) + ReadFile(Out("b")) + ReadFile(Out("c")) + ReadFile(Out("d")),
            "contentcontentcontentcontent");
  EXPECT_EQ(Entries(Beside("away")), std::vector<std::string>{"a"});
}

// Removes the folder at `path` with all in it and makes it again, at its number where the file
// system gives it again: ext4 usually does at once; a folder made at another number is moved
// aside to `aside` and another made, a few times. True when the number is the same.
bool MakeAgain(const std::string& path, const std::string& aside) {
  struct stat before, after;
  if (stat(path.c_str(), &before) != 0 || std::system(("rm -r " + path).c_str()) != 0) return false;
  for (int i = 0; mkdir(path.c_str(), 0755) == 0 && stat(path.c_str(), &after) == 0; ++i) {
    if (after.st_ino == before.st_ino) return true;
    if (i == 5 || rename(path.c_str(), (aside + std::to_string(i)).c_str()) != 0) return false;
  }
  return false;
}

// A folder removed and made again at its number is told from the run's by its birth time. The
// journal names no sub-folder: what is made again there is proven file by file.
TEST_F(PosixUndoTest, AFolderMadeAgainAtItsNumberIsNotTheRuns) {
  mkdir(Out("sub").c_str(), 0755);
  Copy({"a", "sub/b"});
  const bool subAtItsNumber = MakeAgain(Out("sub"), Beside("aside"));
  PutUsersFile(Out("sub/b"));
  Undo();
  EXPECT_EQ(reports_.at("sub/b").Result, TUndoResult::Kept);
  EXPECT_EQ(reports_.at("a").Result, TUndoResult::Removed);
  EXPECT_EQ(ReadFile(Out("sub/b")), "content");

  file_.Text.clear();
  Copy({"a"});
  const bool atItsNumber = MakeAgain(scratch_.Out, Beside("aside out "));
  PutUsersFile(Out("a"));
  Undo();
  EXPECT_NE(folderProblem_.find("is not the folder the run copied into"), std::string::npos) << folderProblem_;
  EXPECT_TRUE(reports_.empty());
  EXPECT_EQ(ReadFile(Out("a")), "content");
  if (!atItsNumber || !subAtItsNumber) GTEST_SKIP() << "this file system gave a folder made again another number";
}

long Fat(int) { return MSDOS_SUPER_MAGIC; }
long Exfat(int) { return 0x2011BAB0; }

// Where a file's number is its place in its folder, nothing proves a file the run's: undo keeps
// every one and says why. The type is the system's answer for the folder otherwise.
TEST_F(PosixUndoTest, OnFatOrExfatEveryFileIsKeptAndSaidSo) {
  Copy({"a", "b"});
  for (const auto type : {Fat, Exfat}) {
    Undo(type);
    ASSERT_EQ(reports_.size(), 2u);
    for (const auto& [name, report] : reports_) {
      EXPECT_EQ(report.Result, TUndoResult::Kept) << name;
      EXPECT_EQ(report.Reason, "this file system cannot tell the run's file from another put at its place later");
    }
    EXPECT_EQ(Entries(scratch_.Out), (std::vector<std::string>{"a", "b"}));
  }
  struct statfs system;
  TFolderHandle folder;
  ASSERT_TRUE(statfs(scratch_.Out.c_str(), &system) == 0 && folder.Open(scratch_.Out));
  EXPECT_EQ(FileSystemType(folder.Get()), system.f_type);
  Undo();
  EXPECT_TRUE(Entries(scratch_.Out).empty());
}

class TTextJournal : public IJournalFile {
 public:
  void Append(const std::string& line) override { Text += line; }
  void Discard() override {}
  std::string Text;
};

// Killed between linking a copy to its name and unlinking its temporary name (where the file
// system refuses RENAME_NOREPLACE), the copy has two names, and linking changed its change time
// under both: undo keeps both and says why, rather than remove one and change the other again.
TEST(PosixFileRemoverTest, ACopyKilledWithTwoNamesKeepsBoth) {
  TScratch scratch;
  TFileIdentity folder;
  ASSERT_TRUE(ReadFolderIdentity(scratch.Out, folder));
  TTextJournal text;
  TCopyJournal journal(text, scratch.Out, folder, kLinuxNames);
  journal.Begin();
  journal.Creating("x", ".t");
  const int file = open((scratch.Out + "/.t").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  ASSERT_GE(file, 0);
  TFileIdentity made;
  ASSERT_TRUE(IdentityOf(file, made));
  journal.Opened("x", ".t", made);
  ASSERT_EQ(write(file, "content", 7), 7);
  ASSERT_TRUE(IdentityOf(file, made));
  close(file);
  journal.Created("x", ".t", made);
  ASSERT_EQ(link((scratch.Out + "/.t").c_str(), (scratch.Out + "/x").c_str()), 0);

  TJournal read;
  std::string problem;
  ASSERT_TRUE(ReadJournal(text.Text, kLinuxNames, read, problem)) << problem;
  TPosixFileRemover remover;
  std::vector<std::string> reports;
  UndoCopies(read, remover, false, [&](const TUndoReport& r) {
    reports.push_back((r.Result == TUndoResult::Kept ? "kept " : "not kept ") + r.Name + ": " + r.Reason);
  }, problem);
  const std::string why = ": the run was stopped while this copy had two names; both are kept";
  EXPECT_EQ(reports, (std::vector<std::string>{"kept x" + why, "kept .t" + why}));
  EXPECT_EQ(ReadFile(scratch.Out + "/x"), "content");
  EXPECT_EQ(ReadFile(scratch.Out + "/.t"), "content");
}

}  // namespace
