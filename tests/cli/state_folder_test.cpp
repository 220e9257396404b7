// The state folder, its marks and the holds on journals, on the real system: Linux natively,
// Windows under Wine (where a file's access list is its Unix mode: an entry letting everyone write
// shows as such, and one denying the user anything is not kept).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "cli/journal_store.h"
#include "cli/platform.h"

#ifdef _WIN32
#include <windows.h>

#include "tests/support/access_win32.h"
#include "tests/support/temp_folder_win32.h"
#else
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/descriptors_posix.h"
#endif

namespace {

#ifdef _WIN32
class TScratch {
 public:
  std::string operator/(const std::string& name) const { return folder_ / name; }

 private:
  TTempFolder folder_;
};

void MakeFolderAt(const std::string& path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)); }

void LetOthersWrite(const std::string& path) { LetEveryoneWrite(path); }

// The state folder of runs started from here on, below `base`.
std::string UseStateFolderBelow(const std::string& base) {
  SetEnvironmentVariableA("LOCALAPPDATA", base.c_str());
  return base + "\\Tandelo\\journals";
}
#else
class TScratch {
 public:
  TScratch() {
    char pattern[] = "/tmp/state-folder-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TScratch() { std::system(("rm -rf " + path_).c_str()); }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void MakeFolderAt(const std::string& path) { ASSERT_EQ(mkdir(path.c_str(), 0700), 0); }

void LetOthersWrite(const std::string& path) {
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  ASSERT_EQ(chmod(path.c_str(), S_ISDIR(st.st_mode) ? 0777 : 0666), 0);
}

std::string UseStateFolderBelow(const std::string& base) {
  setenv("XDG_STATE_HOME", base.c_str(), 1);
  return base + "/tandelo-cli";
}
#endif

std::unique_ptr<IStateFolder> Open(const std::string& path, bool make, std::string& problem) {
  bool absent = false;
  return OpenStateFolder(path, make, absent, problem);
}

TEST(StateFolderTest, OnlyAFolderNoOtherUserMayWriteIsUsed) {
  TScratch scratch;
  const std::string path = scratch / "state";
  std::string problem;
  bool absent = false;
  EXPECT_EQ(OpenStateFolder(path, false, absent, problem), nullptr);
  EXPECT_TRUE(absent) << problem;
  ASSERT_NE(Open(path, true, problem), nullptr) << problem;
  EXPECT_NE(Open(path, false, problem), nullptr) << problem;
  LetOthersWrite(path);
  EXPECT_EQ(OpenStateFolder(path, false, absent, problem), nullptr);
  EXPECT_FALSE(absent);
  EXPECT_EQ(problem.rfind("will not use the folder of journals " + path + ": other users may write it", 0), 0u)
      << problem;
  EXPECT_EQ(Open(path, true, problem), nullptr) << "made, it is used all the same";
}

#ifndef _WIN32
// The state folder closes every descriptor it opened: listings, marks, journals and itself.
TEST(StateFolderTest, ClosesWhatItOpened) {
  TScratch scratch;
  const std::string path = scratch / "state";
  const std::size_t before = OpenDescriptors();
  {
    std::string problem;
    const auto folder = Open(path, true, problem);
    ASSERT_NE(folder, nullptr) << problem;
    const auto held = folder->Hold(false);
    folder->CreateJournal("1")->Append("line\n");
    std::vector<std::string> names;
    EXPECT_TRUE(folder->Names(names, problem) && folder->MakeMark("1.undone", problem) &&
                folder->MakeMark("1.undone", problem) && folder->OpenJournal("1", problem)) << problem;
    EXPECT_EQ(Open(scratch / "none", false, problem), nullptr);
  }
  EXPECT_EQ(OpenDescriptors(), before);
}
#endif

TEST(StateFolderTest, AMarkIsTrustedOnlyAsAFileOfTheUsersOwn) {
  TScratch scratch;
  std::string problem;
  const std::unique_ptr<IStateFolder> state = Open(scratch / "state", true, problem);
  ASSERT_NE(state, nullptr) << problem;
  EXPECT_EQ(state->Mark("a.undone", problem), TMark::Absent);
  EXPECT_TRUE(state->MakeMark("a.undone", problem)) << problem;
  EXPECT_EQ(state->Mark("a.undone", problem), TMark::Trusted) << problem;
  EXPECT_TRUE(state->MakeMark("a.undone", problem)) << "one of the user's is there already";
  LetOthersWrite(scratch / "state" + kPathSeparator + "a.undone");
  EXPECT_EQ(state->Mark("a.undone", problem), TMark::Untrusted);
  EXPECT_NE(problem.find("other users may write it"), std::string::npos) << problem;
  problem.clear();
  EXPECT_FALSE(state->MakeMark("a.undone", problem));
  EXPECT_NE(problem, "");
  MakeFolderAt(scratch / "state" + kPathSeparator + "b.undone");
  EXPECT_EQ(state->Mark("b.undone", problem), TMark::Untrusted);
  EXPECT_NE(problem.find(": it is not a file"), std::string::npos) << problem;
  EXPECT_FALSE(state->MakeMark("b.undone", problem));
}

// Two holders in one process meet as two processes would: each handle holds for itself.
TEST(JournalHoldTest, ARunHoldsItsJournalAndOneUndoAtATimeHoldsIt) {
  TScratch scratch;
  std::string problem;
  const std::unique_ptr<IStateFolder> state = Open(scratch / "state", true, problem);
  ASSERT_NE(state, nullptr) << problem;
  std::unique_ptr<IJournalFile> run = state->CreateJournal("j");
  run->Append("a line\n");
  const std::unique_ptr<IJournalOnDisk> looking = state->OpenJournal("j", problem);
  ASSERT_NE(looking, nullptr) << problem;
  EXPECT_EQ(looking->RunHolder(), TJournalHolder::Run);
  run.reset();
  EXPECT_EQ(looking->RunHolder(), TJournalHolder::Nobody);

  std::unique_ptr<IJournalOnDisk> first = state->OpenJournal("j", problem);
  const std::unique_ptr<IJournalOnDisk> second = state->OpenJournal("j", problem);
  ASSERT_TRUE(first && second) << problem;
  EXPECT_EQ(first->HoldForUndo(), TJournalHolder::Nobody);
  EXPECT_EQ(second->HoldForUndo(), TJournalHolder::Undo);
  EXPECT_EQ(looking->RunHolder(), TJournalHolder::Nobody) << "an undo is not a run";
  first.reset();
  EXPECT_EQ(second->HoldForUndo(), TJournalHolder::Nobody);
}

class UndoChoiceTest : public ::testing::Test {
 protected:
  UndoChoiceTest() : state_(UseStateFolderBelow(scratch_ / "base")) {}

  // A run's journal in the state folder, still held by its run.
  std::unique_ptr<IJournalFile> Run(std::string& path) {
    std::unique_ptr<IJournalFile> journal = OpenRunJournal(std::nullopt, path);
    journal->Append("tandelo-cli journal 3\n");
    return journal;
  }

  TScratch scratch_;
  std::string state_;
};

TEST_F(UndoChoiceTest, ARunStillCopyingOrBeingUndoneIsLeftAlone) {
  std::string path;
  std::unique_ptr<IJournalFile> going = Run(path);
  TRunToUndo run;
  std::string problem;
  EXPECT_FALSE(HoldRunToUndo(std::nullopt, run, problem));
  EXPECT_EQ(problem, "the run of " + path + " is still copying; nothing was removed (undo it once it has ended)");
  EXPECT_FALSE(HoldRunToUndo(path, run, problem));
  going.reset();
  ASSERT_TRUE(HoldRunToUndo(std::nullopt, run, problem)) << problem;
  EXPECT_EQ(run.Path, path);
  TRunToUndo second;
  EXPECT_FALSE(HoldRunToUndo(path, second, problem));
  EXPECT_EQ(problem, "another undo of " + path + " is under way; nothing was removed");
}

// Another's mark beside the newest run would have undo --last take an older one.
TEST_F(UndoChoiceTest, AMarkThatIsNotTheUsersStopsUndoLast) {
  std::string older, newer;
  Run(older);
  Run(newer);
  const std::string mark = newer.substr(0, newer.size() - 8) + ".undone";
  TRunToUndo run;
  std::string problem;
  ASSERT_TRUE(HoldRunToUndo(std::nullopt, run, problem)) << problem;
  EXPECT_EQ(run.Path, newer);
  EXPECT_EQ(MarkUndone(run), "");
  run = {};
  ASSERT_TRUE(HoldRunToUndo(std::nullopt, run, problem)) << problem;
  EXPECT_EQ(run.Path, older);
  run = {};
  LetOthersWrite(mark);
  EXPECT_FALSE(HoldRunToUndo(std::nullopt, run, problem));
  EXPECT_EQ(problem.rfind("will not trust the mark " + mark + ": other users may write it", 0), 0u) << problem;
  EXPECT_FALSE(HoldRunToUndo(newer, run, problem)) << "nor is the run itself undone with it";
}

// A run makes its journal and holds it while it holds the folder alone, and undo looks whether a
// run holds a journal only while it shares the folder: so it never takes a journal just made, not
// yet held, for that of a run that has ended. Each waits for the other.
TEST_F(UndoChoiceTest, ARunStartingAndAnUndoLookingWaitForEachOther) {
  std::string path;
  Run(path);
  std::string problem;
  const std::unique_ptr<IStateFolder> state = Open(state_, false, problem);
  ASSERT_NE(state, nullptr) << problem;
  const auto waitsFor = [](std::shared_ptr<void> hold, const std::function<void()>& action) {
    std::atomic<bool> done{false};
    std::thread other([&] {
      action();
      done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const bool waited = !done;
    hold.reset();
    other.join();
    return waited;
  };
  TRunToUndo run;
  EXPECT_TRUE(waitsFor(state->Hold(true), [&] { HoldRunToUndo(path, run, problem); })) << "undo did not wait";
  EXPECT_TRUE(run.Journal) << problem;
  run = {};
  std::string next;
  std::unique_ptr<IJournalFile> started;
  EXPECT_TRUE(waitsFor(state->Hold(false), [&] { started = OpenRunJournal(std::nullopt, next); }))
      << "the run did not wait";
  EXPECT_TRUE(started);
}

// Said, whatever keeps the mark from being made: here a folder put at its name while undo works.
TEST_F(UndoChoiceTest, AMarkThatCannotBeMadeIsSaid) {
  std::string path;
  Run(path);
  TRunToUndo run;
  std::string problem;
  ASSERT_TRUE(HoldRunToUndo(std::nullopt, run, problem)) << problem;
  const std::string mark = path.substr(0, path.size() - 8) + ".undone";
  MakeFolderAt(mark);
  EXPECT_EQ(MarkUndone(run), "could not mark the run undone, so undo --last will take it again: will not trust the mark " +
                                 mark + ": it is not a file");
  run = {};
  std::string outside = scratch_ / "outside.journal";
  OpenRunJournal(outside, outside)->Append("tandelo-cli journal 3\n");
  ASSERT_TRUE(HoldRunToUndo(outside, run, problem)) << problem;
  EXPECT_EQ(MarkUndone(run), "") << "a journal outside the state folder is never marked";
}

}  // namespace
