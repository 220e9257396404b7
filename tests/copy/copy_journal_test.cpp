#include "copy/journal_writer.h"
#include "copy/undo.h"
#include "copy/journal_reader.h"
#include "copy/journal_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>

#include "tests/support/identity_fields.h"
#include "tests/support/name_forms.h"

namespace {

class TMemoryJournal : public IJournalFile {
 public:
  void Append(const std::string& line) override {
    if (FailAt-- == 0) throw std::runtime_error("disk full");
    Text += line;
  }
  void Discard() override { Discarded = true; }
  std::string Text;
  int FailAt = -1;
  bool Discarded = false;
};

const TFileIdentity kFolder{1, 2, 0, 0, 3, 0};

TJournal Read(const std::string& text, const TNameForm& names = kLinuxNames) {
  TJournal journal;
  std::string problem;
  EXPECT_TRUE(ReadJournal(text, names, journal, problem)) << problem;
  return journal;
}

TEST(CopyJournalTest, NamesWithinTheFolderComeBackAsWritten) {
  TMemoryJournal file;
  TCopyJournal journal(file, "/o u%t", kFolder, kLinuxNames);
  journal.Begin();
  journal.Named("a b%20\t.txt", {1, 2, 3, -4, 5, 6});
  journal.Begin();
  journal.Created("-", "sub/-", {1, 3, 3, 4, 5, 6});
  const TJournal read = Read(file.Text);
  EXPECT_EQ(read.Folder, "/o u%t");
  EXPECT_EQ(read.FolderIdentity.Birth, 3);
  ASSERT_EQ(read.Items.size(), 2u);
  EXPECT_EQ(read.Items[0].Name, "a b%20\t.txt");
  EXPECT_EQ(read.Items[0].File, (TFileIdentity{1, 2, 3, -4, 5, 6}));
  EXPECT_EQ(read.Items[1].Name, "-");
  EXPECT_EQ(read.Items[1].Temporary, "sub/-");
  EXPECT_THROW(journal.Creating("../a", {}), std::logic_error);
}

TEST(CopyJournalTest, AFailedAttemptCancelsOnlyItsOwnLines) {
  TMemoryJournal file;
  TCopyJournal journal(file, "f", kFolder, kWindowsNames);
  // The same name twice: the first copy made it, the second was refused after its "created".
  journal.Begin();
  journal.Named("a", {1, 10, 5, 7, 0, 8});
  journal.Begin();
  journal.Created("a", {}, {1, 11, 5, 7, 0, 9});
  journal.Failed("a");
  journal.Begin();
  journal.Creating("b", "t1");
  journal.Opened("b", "t1", {1, 12, 0, 0, 0, 0});
  // A kill tore the last line.
  file.Text += "4 creating c";
  const TJournal read = Read(file.Text, kWindowsNames);
  ASSERT_EQ(read.Items.size(), 2u);
  EXPECT_EQ(read.Items[0].File.Index, 10u);
  EXPECT_EQ(read.Items[1].Stage, TUndoItem::Opened);
  EXPECT_EQ(read.Items[1].Temporary, "t1");
}

// Every line is written before the call returns, but the "named" line of a copy already recorded
// as "created" with a birth time, which goes out with the next line: without one (Windows) nothing
// would prove the copy if a kill took the line.
TEST(CopyJournalTest, OnlyTheNamedLineOfARecordedCopyWaitsForTheNextLine) {
  TMemoryJournal file;
  TCopyJournal journal(file, "/f", kFolder, kLinuxNames);
  const auto lines = [&] { return std::count(file.Text.begin(), file.Text.end(), '\n'); };
  journal.Begin();
  journal.Creating("a", {});
  journal.Named("a", {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(lines(), 4);
  journal.Begin();
  journal.Created("b", {}, {1, 3, 3, 4, 5, 6});
  journal.Named("b", {1, 3, 3, 4, 5, 7});
  EXPECT_EQ(lines(), 5);
  journal.Begin();
  journal.Created("c", {}, {1, 4, 3, 4, 5, 6});
  EXPECT_EQ(lines(), 7);
  journal.Begin();
  journal.Created("d", "t", {1, 5, 3, 4, 0, 6});
  journal.Named("d", {1, 5, 3, 4, 0, 7});
  EXPECT_EQ(lines(), 9);
  journal.Flush();
  EXPECT_EQ(Read(file.Text).Items.at(1).Stage, TUndoItem::Named);
}

// The end line counts the attempts that ended named, whatever failed after its "named" or before
// it; it is written once, and the reader takes it as the last line only.
TEST(CopyJournalTest, TheEndLineCountsTheCopiesTheJournalRecords) {
  TMemoryJournal file;
  TCopyJournal journal(file, "/f", kFolder, kLinuxNames);
  journal.Begin();
  journal.Created("a", {}, {1, 2, 3, 4, 5, 6});
  journal.Named("a", {1, 2, 3, 4, 5, 7});
  journal.Begin();
  journal.Named("b", {1, 3, 3, 4, 5, 6});
  journal.Failed("b");
  journal.Begin();
  journal.Creating("c", {});
  journal.Failed("c");
  journal.Begin();
  journal.Failed("d");
  journal.Flush();
  journal.Flush();
  const std::string end = "\nend 1\n";
  EXPECT_EQ(file.Text.substr(file.Text.size() - end.size()), end);
  EXPECT_EQ(file.Text.find(end), file.Text.size() - end.size());
  EXPECT_EQ(Read(file.Text).Items.size(), 1u);

  TJournal read;
  std::string problem;
  EXPECT_FALSE(ReadJournal(file.Text + "5 creating e -\n", kLinuxNames, read, problem));
  EXPECT_NE(problem.find("follows the end"), std::string::npos) << problem;
  // A journal of the version before, which has no end line, is read as it is.
  EXPECT_EQ(Read("tandelo-cli journal 2\nfolder /f 1 2 3\n1 named a - 1 2 3 4 5 6\n").Items.size(), 1u);
}

// A journal that cannot be started is discarded; one killed before its first lines were written
// is that of a run that copied nothing.
TEST(CopyJournalTest, AJournalThatCannotBeStartedIsDiscardedAndAnEmptyOneUndoesNothing) {
  TMemoryJournal file;
  file.FailAt = 0;
  EXPECT_THROW(TCopyJournal(file, "/f", kFolder, kLinuxNames), std::runtime_error);
  EXPECT_TRUE(file.Discarded);
  for (const std::string text : {"", "tandelo-cli jour"}) EXPECT_TRUE(Read(text).Items.empty());
}

// A line could name anything: a journal whose names leave the folder is refused whole.
TEST(CopyJournalTest, RefusesWhatIsNotAJournalAndNamesOutsideTheFolder) {
  const std::string start = kJournalHeader + "\nfolder /f 1 2 3\n";
  const struct {
    std::string text;
    TNameForm names;
  } refused[] = {
      {"number 1 2\n", kLinuxNames},
      {"tandelo-cli journal 1\n1 created a 1 2 3 4\n", kLinuxNames},
      {kJournalHeader + "\n1 creating a -\n", kLinuxNames},
      {start + "1 named a - 1 2 x 4 5 6\n", kLinuxNames},
      {start + "1 named ../x - 1 2 3 4 5 6\n", kLinuxNames},
      {start + "1 named /etc/passwd - 1 2 3 4 5 6\n", kLinuxNames},
      {start + "1 named sub/../../x - 1 2 3 4 5 6\n", kLinuxNames},
      {start + "1 named sub//x - 1 2 3 4 5 6\n", kLinuxNames},
      {start + "1 created a ../t 1 2 3 4 5 6\n", kLinuxNames},
      {start + "1 named sub\\..\\..\\x - 1 2 3 4 5 6\n", kWindowsNames},
      {start + "1 named sub/../../x - 1 2 3 4 5 6\n", kWindowsNames},
      {start + "1 named c:x - 1 2 3 4 5 6\n", kWindowsNames},
      {start + "1 named \\\\server\\x - 1 2 3 4 5 6\n", kWindowsNames},
      // Under the code page of UTF-8 no byte of あ hides the separator after it, as 0x82 would in
      // Shift-JIS.
      {start + u8"1 named あ\\..\\..\\x - 1 2 3 4 5 6\n", TNameForm{TEncoding::Utf8, '\\'}},
  };
  for (const auto& c : refused) {
    TJournal journal;
    std::string problem;
    EXPECT_FALSE(ReadJournal(c.text, c.names, journal, problem)) << c.text;
    EXPECT_FALSE(problem.empty());
  }
  // On Linux "\" and ":" are plain bytes of a name; the second byte of 表 is not a separator.
  EXPECT_EQ(Read(start + "1 named ..\\c:x - 1 2 3 4 5 6\n").Items.at(0).Name, "..\\c:x");
  EXPECT_EQ(Read(start + "1 named \x95\\.. - 1 2 3 4 5 6\n", kWindowsNames).Items.at(0).Name, "\x95\\..");
}

// Files in a folder, as a remover sees them: removes only what is still exactly what undo saw.
class TFakeFiles : public IFileRemover {
 public:
  TFolderState OpenFolder(const std::string&, const TFileIdentity& identity) override {
    EXPECT_EQ(identity, kFolder);
    return Folder;
  }
  TFileState Inspect(const std::string& name) override {
    const auto found = Files.find(name);
    if (found == Files.end()) return {};
    TFileState state{true, true, found->second};
    if (ChangeAfterLook) Files[name].Change += 1;
    return state;
  }
  bool RemoveIfSame(const std::string& name, const TFileIdentity& seen, std::string& problem) override {
    const auto found = Files.find(name);
    if (found == Files.end() || found->second != seen) {
      problem = "changed";
      return false;
    }
    Files.erase(found);
    return true;
  }
  TFolderState Folder = TFolderState::Same;
  std::map<std::string, TFileIdentity> Files;
  bool ChangeAfterLook = false;
};

struct TUndone {
  bool All;
  std::vector<TUndoReport> Reports;
  std::string FolderProblem;
};

TUndone Undo(const std::vector<TUndoItem>& items, TFakeFiles& files, bool dryRun = false) {
  TUndone result;
  const TJournal journal{"/f", kFolder, items};
  result.All = UndoCopies(journal, files, dryRun, [&](const TUndoReport& r) { result.Reports.push_back(r); },
                          result.FolderProblem);
  return result;
}

// What a new file at the same place cannot share is its birth and change times: a number, a size
// and a write time copied from the source prove nothing.
TEST(UndoCopiesTest, RemovesOnlyWhatIsProvenAndUnchanged) {
  const TFileIdentity made{1, 10, 5, 7, 100, 200};
  const std::int64_t slack = kNamingSlack;
  struct TCase {
    const char* what;
    TUndoItem item;
    std::map<std::string, TFileIdentity> files;
    TUndoResult expected;
    const char* acted;  // the name reported
  };
  const TCase cases[] = {
      {"named, unchanged", {TUndoItem::Named, "x", "", made}, {{"x", made}}, TUndoResult::Removed, "x"},
      {"named, gone already", {TUndoItem::Named, "x", "", made}, {}, TUndoResult::Absent, "x"},
      {"a new file at the freed number, with the source's size and time",
       {TUndoItem::Named, "x", "", made}, {{"x", {1, 10, 5, 7, 300, 300}}}, TUndoResult::Kept, "x"},
      {"the same number without birth times", {TUndoItem::Named, "x", "", {1, 10, 5, 7, 0, 200}},
       {{"x", {1, 10, 5, 7, 0, 300}}}, TUndoResult::Kept, "x"},
      {"edited in place, its write time put back", {TUndoItem::Named, "x", "", made},
       {{"x", {1, 10, 5, 7, 100, 201}}}, TUndoResult::Kept, "x"},
      {"same number, other volume", {TUndoItem::Named, "x", "", made}, {{"x", {2, 10, 5, 7, 100, 200}}},
       TUndoResult::Kept, "x"},
      {"no change time to prove it", {TUndoItem::Named, "x", "", {1, 10, 5, 7, 100, 0}},
       {{"x", {1, 10, 5, 7, 100, 0}}}, TUndoResult::Kept, "x"},
      {"killed as it was named", {TUndoItem::Created, "x", "", made}, {{"x", {1, 10, 5, 7, 100, 200 + slack}}},
       TUndoResult::Removed, "x"},
      {"killed as it was named, changed later", {TUndoItem::Created, "x", "", made},
       {{"x", {1, 10, 5, 7, 100, 201 + slack}}}, TUndoResult::Kept, "x"},
      {"killed as it was named, no birth time", {TUndoItem::Created, "x", "", {1, 10, 5, 7, 0, 200}},
       {{"x", {1, 10, 5, 7, 0, 201}}}, TUndoResult::Kept, "x"},
      {"killed as it was named, another birth", {TUndoItem::Created, "x", "", made},
       {{"x", {1, 10, 5, 7, 101, 201}}}, TUndoResult::Kept, "x"},
      {"killed while copying at its name", {TUndoItem::Creating, "x", "", {}}, {{"x", made}}, TUndoResult::Kept, "x"},
      {"an empty temporary", {TUndoItem::Creating, "x", "t", {}}, {{"t", {1, 11, 0, 0, 0, 1}}, {"x", made}},
       TUndoResult::Removed, "t"},
      {"a temporary with content before its identity", {TUndoItem::Creating, "x", "t", {}},
       {{"t", {1, 11, 3, 0, 0, 1}}}, TUndoResult::Kept, "t"},
      {"a part at the temporary", {TUndoItem::Opened, "x", "t", {1, 11, 0, 0, 100, 1}},
       {{"t", {1, 11, 3, 4, 100, 9}}}, TUndoResult::Removed, "t"},
      {"another file at the temporary", {TUndoItem::Opened, "x", "t", {1, 11, 0, 0, 100, 1}},
       {{"t", {1, 12, 3, 4, 100, 9}}, {"x", made}}, TUndoResult::Kept, "t"},
      {"a part gone, the name someone else's", {TUndoItem::Opened, "x", "t", {1, 11, 0, 0, 100, 1}},
       {{"x", made}}, TUndoResult::Absent, "x"},
      {"complete at the temporary", {TUndoItem::Created, "x", "t", made}, {{"t", made}}, TUndoResult::Removed, "t"},
      {"complete at the temporary, changed", {TUndoItem::Created, "x", "t", made},
       {{"t", {1, 10, 5, 7, 100, 201}}}, TUndoResult::Kept, "t"},
      {"renamed as the run was killed", {TUndoItem::Created, "x", "t", made},
       {{"x", {1, 10, 5, 7, 100, 201}}}, TUndoResult::Removed, "x"},
  };
  for (const TCase& c : cases) {
    for (const bool dryRun : {false, true}) {
      TFakeFiles files;
      files.Files = c.files;
      const TUndone undone = Undo({c.item}, files, dryRun);
      ASSERT_EQ(undone.Reports.size(), 1u) << c.what;
      EXPECT_EQ(undone.Reports[0].Result, c.expected) << c.what;
      EXPECT_EQ(undone.Reports[0].Name, c.acted) << c.what;
      EXPECT_EQ(undone.All, c.expected != TUndoResult::Kept) << c.what;
      // Exactly the name reported as removed is gone, and only outside a dry run.
      std::map<std::string, TFileIdentity> left = c.files;
      if (c.expected == TUndoResult::Removed && !dryRun) left.erase(c.acted);
      EXPECT_EQ(files.Files, left) << c.what << (dryRun ? " (dry run)" : "");
    }
  }
}

// Each field counts alone: a file that differs from what the run recorded in one field only,
// earlier or later (past the naming's slack), is kept at every stage that proves it by that field.
// A part still being written at its temporary name is proven by what identifies it alone.
TEST(UndoCopiesTest, EachFieldOfTheProofAloneKeepsAFile) {
  const TFileIdentity made{1, 10, 5, 7, 100, 200};
  const struct {
    const char* what;
    TUndoItem item;
    const char* at;  // where the file is
  } stages[] = {
      {"named", {TUndoItem::Named, "x", "", made}, "x"},
      {"killed as it was named", {TUndoItem::Created, "x", "", made}, "x"},
      {"complete at the temporary", {TUndoItem::Created, "x", "t", made}, "t"},
      {"part-written at the temporary", {TUndoItem::Opened, "x", "t", made}, "t"},
  };
  for (const auto& stage : stages) {
    for (const TIdentityField& field : kIdentityFields) {
      for (const std::int64_t by : {std::int64_t{0}, std::int64_t{-1}, kNamingSlack + 1}) {
        TFakeFiles files;
        TFileIdentity now = made;
        field.Shift(now, by);
        files.Files[stage.at] = now;
        const bool proven = by == 0 || (stage.item.Stage == TUndoItem::Opened && !field.Identifies);
        const TUndone undone = Undo({stage.item}, files);
        const std::string what = std::string(stage.what) + ", " + field.Name + " " + std::to_string(by);
        ASSERT_EQ(undone.Reports.size(), 1u) << what;
        EXPECT_EQ(undone.Reports[0].Result, proven ? TUndoResult::Removed : TUndoResult::Kept) << what;
        EXPECT_EQ(files.Files.count(stage.at), proven ? 0u : 1u) << what;
      }
    }
  }
}

TEST(UndoCopiesTest, AFolderThatIsNotTheRunsIsLeftWhole) {
  const TFileIdentity made{1, 10, 5, 7, 100, 200};
  for (const TFolderState state : {TFolderState::Missing, TFolderState::Other}) {
    TFakeFiles files;
    files.Folder = state;
    files.Files["x"] = made;
    const TUndone undone = Undo({{TUndoItem::Named, "x", "", made}}, files);
    EXPECT_FALSE(undone.All);
    EXPECT_TRUE(undone.Reports.empty());
    EXPECT_NE(undone.FolderProblem.find("/f "), std::string::npos) << undone.FolderProblem;
    EXPECT_EQ(files.Files.size(), 1u);
  }
  // Where a file's number is its place in the folder, nothing proves a file: all is kept.
  TFakeFiles files;
  files.Folder = TFolderState::NoLastingIdentity;
  files.Files["x"] = made;
  const TUndone undone = Undo({{TUndoItem::Named, "x", "", made}}, files);
  EXPECT_FALSE(undone.All);
  ASSERT_EQ(undone.Reports.size(), 1u);
  EXPECT_EQ(undone.Reports[0].Result, TUndoResult::Kept);
  EXPECT_EQ(files.Files.size(), 1u);
}

// A file that changes between undo's look and its removal is kept.
TEST(UndoCopiesTest, AChangeAfterTheLookKeepsTheFile) {
  const TFileIdentity made{1, 10, 5, 7, 100, 200};
  TFakeFiles files;
  files.Files["x"] = made;
  files.ChangeAfterLook = true;
  const TUndone undone = Undo({{TUndoItem::Named, "x", "", made}}, files);
  ASSERT_EQ(undone.Reports.size(), 1u);
  EXPECT_EQ(undone.Reports[0].Result, TUndoResult::Kept);
  EXPECT_EQ(files.Files.count("x"), 1u);
}

}  // namespace
