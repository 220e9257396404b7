#include "copy/file_copier_posix.h"
#include "copy/file_identity_posix.h"
#include "copy/journal_file_posix.h"
#include "tests/support/descriptors_posix.h"
#include "tests/support/scratch_folder_posix.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

// Records what it hears and whether the destination had a name at that moment; a hook may act at
// any step, as another program racing the copy would, and is given the paths of what it hears of.
class TRecordingWitness : public ICopyWitness {
 public:
  explicit TRecordingWitness(std::string folder) : folder_(std::move(folder)) {}
  void Creating(const std::string& d, const std::string& t) override { Hear("creating", d, t); }
  void Opened(const std::string& d, const std::string& t, const TFileIdentity&) override { Hear("opened", d, t); }
  void Created(const std::string& d, const std::string& t, const TFileIdentity& file) override {
    Made = file;
    Hear("created", d, t);
  }
  void Named(const std::string& d, const TFileIdentity& file) override {
    Made = file;
    Hear("named", d, {});
  }
  void Hear(const std::string& what, const std::string& name, const std::string& temporaryName) {
    const std::string d = folder_ + "/" + name;
    const std::string t = temporaryName.empty() ? "" : folder_ + "/" + temporaryName;
    Heard += what + (Exists(d) ? "(named) " : " ");
    if (!t.empty()) Temporary = t;
    if (Hook) Hook(what, d, t);
  }
  std::string Heard;
  std::string Temporary;
  TFileIdentity Made;
  std::function<void(const std::string&, const std::string&, const std::string&)> Hook;

 private:
  std::string folder_;
};

using TWay = TPosixFileCopier::TWay;

class PosixFileCopierTest : public ::testing::TestWithParam<TWay> {
 protected:
  bool Temporary() const { return GetParam() == TWay::Temporary || GetParam() == TWay::TemporaryLinked; }
  TScratch scratch_;
};

TEST_P(PosixFileCopierTest, CopiesContentModeAndTimesAndNamesOnlyAComplete) {
  TRecordingWitness witness(scratch_.Out);
  TPosixFileCopier copier(scratch_.Source, scratch_.Out, &witness, GetParam());
  const std::string destination = scratch_.Out + "/copy.bin";
  ASSERT_EQ(copier.Copy("copy.bin").Result, TCopyResult::Copied);
  EXPECT_EQ(ReadFile(destination), "content");
  struct stat st;
  ASSERT_EQ(stat(destination.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 2000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 7);
  // The journal hears of the file before any name holds it, and what it records last is the
  // file as it is named, change time included.
  EXPECT_EQ(witness.Heard, Temporary() ? "creating opened created named(named) " : "created named(named) ");
  TFileIdentity now;
  bool regular = false;
  ASSERT_TRUE(IdentityOf(AT_FDCWD, destination, now, regular));
  EXPECT_EQ(witness.Made, now);
  EXPECT_NE(now.Birth, 0);  // ext4 and tmpfs keep one
  EXPECT_EQ(Entries(scratch_.Out), std::vector<std::string>{"copy.bin"});
}

// Only the permission bits travel: the bits that run a file with its owner's rights do not, and
// neither do those the umask would take away.
TEST_P(PosixFileCopierTest, CopiesThePermissionBitsOnly) {
  const mode_t saved = umask(027);
  TPosixFileCopier copier(scratch_.Source, scratch_.Out, nullptr, GetParam());
  std::vector<mode_t> made;
  for (const mode_t mode : {0600u, 0757u, 06755u, 01777u}) {
    chmod(scratch_.Source.c_str(), mode);
    const std::string name = "mode" + std::to_string(mode);
    const std::string destination = scratch_.Out + "/" + name;
    struct stat st{};
    if (copier.Copy(name).Result == TCopyResult::Copied) stat(destination.c_str(), &st);
    made.push_back(st.st_mode & 07777);
  }
  umask(saved);
  EXPECT_EQ(made, (std::vector<mode_t>{0600, 0757, 0755, 0777}));
}

TEST_P(PosixFileCopierTest, NeverTouchesAFileThatExists) {
  TPosixFileCopier copier(scratch_.Source, scratch_.Out, nullptr, GetParam());
  const std::string destination = scratch_.Out + "/mine.txt";
  std::ofstream(destination) << "mine";
  EXPECT_EQ(copier.Copy("mine.txt").Result, TCopyResult::Exists);
  EXPECT_EQ(ReadFile(destination), "mine");
  TPosixFileCopier missing(scratch_.Folder + "/missing", scratch_.Out, nullptr, GetParam());
  EXPECT_EQ(missing.Copy("x").Result, TCopyResult::SourceUnreadable);
  EXPECT_EQ(Entries(scratch_.Out), std::vector<std::string>{"mine.txt"});
}

// Another program puts a file at the name after the early look and before the copy is named.
TEST_P(PosixFileCopierTest, AFileThatTakesTheNameMidwayIsNeverReplaced) {
  TRecordingWitness witness(scratch_.Out);
  const std::string destination = scratch_.Out + "/x";
  witness.Hook = [&](const std::string& what, const std::string&, const std::string&) {
    if (what == "created") std::ofstream(destination) << "theirs";
  };
  TPosixFileCopier copier(scratch_.Source, scratch_.Out, &witness, GetParam());
  EXPECT_EQ(copier.Copy("x").Result, TCopyResult::Exists);
  EXPECT_EQ(ReadFile(destination), "theirs");
  EXPECT_EQ(Entries(scratch_.Out), std::vector<std::string>{"x"});  // no temporary left
}

// The source's handle is kept between copies, so each copy must read it from its start: through
// copy_file_range, and through plain reads where it refuses (from another file system).
TEST_P(PosixFileCopierTest, EveryCopyThroughTheKeptSourceHandleIsWhole) {
  char pattern[] = "/dev/shm/copier-source-XXXXXX";
  const int made = mkstemp(pattern);
  ASSERT_GE(made, 0);
  close(made);
  const std::string elsewhere = pattern;
  std::ofstream(elsewhere) << "content";
  std::vector<std::string> copies;
  for (const std::string& source : {scratch_.Source, elsewhere}) {
    TPosixFileCopier copier(source, scratch_.Out, nullptr, GetParam());
    for (const char* copy : {"one", "two"}) {
      const std::string name = copy + std::to_string(copies.size());
      copier.Copy(name);
      copies.push_back(ReadFile(scratch_.Out + "/" + name));
    }
  }
  unlink(elsewhere.c_str());
  EXPECT_EQ(copies, std::vector<std::string>(4, "content"));
}

// Sub-folders are reached beneath the run's folder only, each through its own handle.
TEST_P(PosixFileCopierTest, NamesReachSubFoldersInsideTheFolderOnly) {
  for (const char* sub : {"/ab", "/cd", "/ab/ef"}) mkdir((scratch_.Out + sub).c_str(), 0755);
  const std::string outside = scratch_.Folder + "/outside";
  mkdir(outside.c_str(), 0755);
  symlink(outside.c_str(), (scratch_.Out + "/away").c_str());
  TPosixFileCopier copier(scratch_.Source, scratch_.Out, nullptr, GetParam());
  for (const char* name : {"ab/x", "cd/x", "ab/ef/x", "ab/y"}) {
    EXPECT_EQ(copier.Copy(name).Result, TCopyResult::Copied) << name;
  }
  EXPECT_EQ(Entries(scratch_.Out + "/ab"), (std::vector<std::string>{"ef", "x", "y"}));
  EXPECT_EQ(Entries(scratch_.Out + "/cd"), std::vector<std::string>{"x"});
  // Looking first says what the copy then does, and touches nothing.
  for (const std::string name : {"away/x", "ab/../../x", "ab/x", "cd/new"}) {
    const std::vector<std::string> before = Entries(scratch_.Out + "/cd");
    const TCopyOutcome looked = copier.Look(name);
    EXPECT_EQ(Entries(scratch_.Out + "/cd"), before);
    const TCopyOutcome copied = copier.Copy(name);
    EXPECT_EQ(looked.Result, copied.Result) << name;
    EXPECT_EQ(looked.Reason, copied.Reason) << name;
  }
  EXPECT_EQ(copier.Look("away/x").Reason, "フォルダの外へ出るリンクを通る名前は使えません。");
  EXPECT_EQ(copier.Copy(scratch_.Folder + "/x").Result, TCopyResult::Failed);  // from the root
  EXPECT_TRUE(Entries(outside).empty());
  EXPECT_FALSE(Exists(scratch_.Folder + "/x"));
}

std::string WayName(const ::testing::TestParamInfo<TWay>& way) {
  static const char* const kNames[] = {"Unnamed", "UnnamedThroughProc", "Temporary", "TemporaryLinked"};
  return kNames[static_cast<int>(way.param)];
}

// Every way a copy ends (copied, refused, failed or thrown out of by its witness) closes what it
// opened: a run of a million names holds no more descriptors at its end than after its first.
TEST_P(PosixFileCopierTest, EveryCopyClosesWhatItOpened) {
  mkdir((scratch_.Out + "/sub").c_str(), 0755);
  symlink(scratch_.Folder.c_str(), (scratch_.Out + "/up").c_str());
  const std::size_t before = OpenDescriptors();
  {
    TRecordingWitness witness(scratch_.Out);
    TPosixFileCopier copier(scratch_.Source, scratch_.Out, &witness, GetParam());
    ASSERT_EQ(copier.Copy("sub/first").Result, TCopyResult::Copied);
    const std::size_t running = OpenDescriptors();
    for (const char* name : {"a", "sub/b", "a", "up/c", "none/d", "sub/e", "sub/../f"}) copier.Copy(name);
    witness.Hook = [](const std::string& what, const std::string&, const std::string&) {
      if (what == "created") throw std::runtime_error("journal full");
    };
    EXPECT_THROW(copier.Copy("sub/g"), std::runtime_error);
    EXPECT_EQ(OpenDescriptors(), running);
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

INSTANTIATE_TEST_SUITE_P(Ways, PosixFileCopierTest,
                         ::testing::Values(TWay::Unnamed, TWay::UnnamedThroughProc, TWay::Temporary,
                                           TWay::TemporaryLinked),
                         WayName);

// The temporary name is the copier's only while it holds the file it made there.
TEST(PosixTemporaryCopyTest, FilesOfOthersAtTheTemporaryNameAreLeftAlone) {
  TScratch scratch;
  TRecordingWitness witness(scratch.Out);
  std::string taken;
  witness.Hook = [&](const std::string& what, const std::string&, const std::string& temporary) {
    // Someone takes the first temporary name just before it is made: it must not be opened.
    if (what == "creating" && taken.empty()) std::ofstream(taken = temporary) << "theirs";
  };
  TPosixFileCopier copier(scratch.Source, scratch.Out, &witness, TWay::Temporary);
  ASSERT_EQ(copier.Copy("x").Result, TCopyResult::Copied);
  EXPECT_EQ(ReadFile(taken), "theirs");
  EXPECT_EQ(ReadFile(scratch.Out + "/x"), "content");

  // The journal fails once the part exists, and by then another file holds its name: only the
  // copier's own file may go, and it is not at the name any more.
  witness.Hook = [&](const std::string& what, const std::string&, const std::string& temporary) {
    if (what != "opened") return;
    rename(temporary.c_str(), (scratch.Out + "/moved").c_str());
    std::ofstream(temporary) << "theirs too";
    taken = temporary;
    throw std::runtime_error("journal full");
  };
  EXPECT_THROW(copier.Copy("y"), std::runtime_error);
  EXPECT_EQ(ReadFile(taken), "theirs too");
  EXPECT_FALSE(Exists(scratch.Out + "/y"));

  // A journal that fails once the copy is complete leaves no temporary behind.
  witness.Hook = [&](const std::string& what, const std::string&, const std::string&) {
    if (what == "created") throw std::runtime_error("journal full");
  };
  const std::vector<std::string> before = Entries(scratch.Out);
  EXPECT_THROW(copier.Copy("z"), std::runtime_error);
  EXPECT_EQ(Entries(scratch.Out), before);
}

TEST(PosixJournalFileTest, NeverWritesOverAFileAndDiscardsOnlyItsOwn) {
  TScratch scratch;
  const std::string path = scratch.Folder + "/journal";
  std::ofstream(path) << "mine";
  EXPECT_THROW(TPosixJournalFile{path}, std::runtime_error);
  EXPECT_EQ(ReadFile(path), "mine");
  unlink(path.c_str());

  {
    TPosixJournalFile journal(path);
    journal.Append("line\n");
    journal.Discard();
    EXPECT_FALSE(Exists(path));
  }
  {
    TPosixJournalFile journal(path);
    unlink(path.c_str());
    std::ofstream(path) << "another";
    journal.Discard();
    EXPECT_EQ(ReadFile(path), "another");
  }
}

// A journal made, refused, discarded and read closes every descriptor it opened.
TEST(PosixJournalFileTest, ClosesWhatItOpened) {
  TScratch scratch;
  const std::size_t before = OpenDescriptors();
  {
    TFolderHandle folder;
    ASSERT_TRUE(folder.Open(scratch.Folder));
    TPosixJournalFile(folder.Get(), "journal", "journal").Append("line\n");
    EXPECT_THROW(TPosixJournalFile(folder.Get(), "journal", "journal"), TJournalPathTaken);
    TPosixJournalFile(folder.Get(), "discarded", "discarded").Discard();
    std::string problem;
    EXPECT_NE(OpenTrustedJournalAt(folder.Get(), "journal", "journal", problem), nullptr) << problem;
    chmod((scratch.Folder + "/journal").c_str(), 0666);
    EXPECT_EQ(OpenTrustedJournalAt(folder.Get(), "journal", "journal", problem), nullptr);
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST(PosixJournalFileTest, AJournalOthersMayWriteIsNotTrusted) {
  TScratch scratch;
  const std::string path = scratch.Folder + "/journal";
  const mode_t saved = umask(0);
  { TPosixJournalFile journal(path); }
  umask(saved);
  const auto problem = [&] {
    const int fd = open(path.c_str(), O_RDONLY);
    const std::string text = JournalTrustProblem(fd);
    close(fd);
    return text;
  };
  EXPECT_EQ(problem(), "");  // made writable by its owner only, whatever the umask
  chmod(path.c_str(), 0664);
  EXPECT_NE(problem().find("0664"), std::string::npos);
  chmod(path.c_str(), 0646);
  EXPECT_NE(problem(), "");
  chmod(path.c_str(), 0644);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    EXPECT_NE(problem().find("another user"), std::string::npos);
  }
}

}  // namespace
