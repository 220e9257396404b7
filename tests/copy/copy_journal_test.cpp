#include "copy/copy_journal.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class TMemoryJournal : public IJournalFile {
 public:
  void Append(const std::string& line) override { Text += line; }
  std::string Text;
};

std::vector<TUndoItem> Read(const std::string& text) {
  std::vector<TUndoItem> items;
  std::string problem;
  EXPECT_TRUE(ReadJournal(text, items, problem)) << problem;
  return items;
}

TEST(CopyJournalTest, PathsWithSpacesAndPercentsComeBackAsWritten) {
  TMemoryJournal file;
  TCopyJournal journal(file);
  journal.Begin();
  journal.Created("out/a b%20\t.txt", {1, 2, 3, -4});
  const std::vector<TUndoItem> items = Read(file.Text);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].Path, "out/a b%20\t.txt");
  EXPECT_EQ(items[0].File.Time, -4);
}

TEST(CopyJournalTest, AFailedAttemptCancelsOnlyItsOwnLines) {
  TMemoryJournal file;
  TCopyJournal journal(file);
  // The same name twice: the first copy made it, the second was refused after its "created".
  journal.Begin();
  journal.Created("a", {1, 10, 5, 7});
  journal.Begin();
  journal.Created("a", {1, 11, 5, 7});
  journal.Failed("a");
  journal.Begin();
  journal.Creating("b");
  journal.Opened("b", {1, 12, 0, 0});
  // A kill tore the last line.
  file.Text += "4 creating c";
  const std::vector<TUndoItem> items = Read(file.Text);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].File.Index, 10u);
  EXPECT_EQ(items[1].Stage, TUndoItem::Opened);
  EXPECT_EQ(items[1].Path, "b");
}

TEST(CopyJournalTest, RefusesWhatIsNotAJournal) {
  std::vector<TUndoItem> items;
  std::string problem;
  EXPECT_FALSE(ReadJournal("number 1 2\n", items, problem));
  EXPECT_FALSE(ReadJournal(kJournalHeader + "\n1 created a 1 2 x 4\n", items, problem));
  EXPECT_EQ(problem, "line 2 is not a journal entry");
}

class TFakeFiles : public IFileRemover {
 public:
  TFileState Inspect(const std::string& path) override {
    const auto found = Files.find(path);
    return found == Files.end() ? TFileState{} : TFileState{true, true, found->second};
  }
  bool RemoveIfSame(const std::string& path, const TFileIdentity&, bool, std::string&) override {
    Files.erase(path);
    return true;
  }
  std::map<std::string, TFileIdentity> Files;
};

TEST(UndoCopiesTest, RemovesOnlyWhatIsProvenAndUnchanged) {
  struct TCase {
    const char* what;
    TUndoItem::TStage stage;
    bool present;
    TFileIdentity now;
    TUndoResult expected;
  };
  const TFileIdentity made{1, 10, 5, 7};
  const TCase cases[] = {
      {"unchanged", TUndoItem::Created, true, made, TUndoResult::Removed},
      {"gone already", TUndoItem::Created, false, made, TUndoResult::Absent},
      {"another file at the name", TUndoItem::Created, true, {1, 99, 5, 7}, TUndoResult::Kept},
      {"same inode, other volume", TUndoItem::Created, true, {2, 10, 5, 7}, TUndoResult::Kept},
      {"grown since", TUndoItem::Created, true, {1, 10, 6, 7}, TUndoResult::Kept},
      {"touched since", TUndoItem::Created, true, {1, 10, 5, 8}, TUndoResult::Kept},
      {"part-written by a killed run", TUndoItem::Opened, true, {1, 10, 2, 9}, TUndoResult::Removed},
      {"killed before its identity", TUndoItem::Creating, true, made, TUndoResult::Kept},
  };
  for (const TCase& c : cases) {
    TFakeFiles files;
    if (c.present) files.Files["x"] = c.now;
    TUndoItem item{c.stage, "x", made};
    std::vector<TUndoReport> reports;
    const bool all = UndoCopies({item}, files, false, [&](const TUndoReport& r) { reports.push_back(r); });
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].Result, c.expected) << c.what;
    EXPECT_EQ(all, c.expected != TUndoResult::Kept) << c.what;
    EXPECT_EQ(files.Files.count("x") == 1, c.present && c.expected == TUndoResult::Kept) << c.what;
  }
}

}  // namespace
