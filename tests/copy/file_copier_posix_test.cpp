#include "copy/file_copier_posix.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Records what it hears and whether the destination had a name at that moment.
class TRecordingWitness : public ICopyWitness {
 public:
  void Creating(const std::string& d) override { Heard += "creating" + Named(d); }
  void Opened(const std::string& d, const TFileIdentity&) override {
    Heard += "opened" + Named(d);
    if (ThrowAtOpened) throw std::runtime_error("journal full");
  }
  void Created(const std::string& d, const TFileIdentity& file) override {
    Heard += "created" + Named(d);
    Made = file;
  }
  static std::string Named(const std::string& d) { return access(d.c_str(), F_OK) == 0 ? "(named) " : " "; }
  std::string Heard;
  TFileIdentity Made;
  bool ThrowAtOpened = false;
};

class PosixFileCopierTest : public ::testing::TestWithParam<TPosixFileCopier::TWay> {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/copier-XXXXXX";
    folder_ = mkdtemp(pattern);
    source_ = folder_ + "/source.bin";
    std::ofstream(source_) << "content";
    chmod(source_.c_str(), 0640);
    const struct timespec times[2] = {{1000, 5}, {2000, 7}};
    utimensat(AT_FDCWD, source_.c_str(), times, 0);
  }
  void TearDown() override { std::system(("rm -rf " + folder_).c_str()); }
  std::string folder_;
  std::string source_;
};

TEST_P(PosixFileCopierTest, CopiesContentModeAndTimesAndNamesOnlyAComplete) {
  TRecordingWitness witness;
  TPosixFileCopier copier(&witness, GetParam());
  const std::string destination = folder_ + "/copy.bin";
  ASSERT_EQ(copier.Copy(source_, destination).Result, TCopyResult::Copied);
  EXPECT_EQ(ReadFile(destination), "content");
  struct stat st;
  ASSERT_EQ(stat(destination.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 2000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 7);
  EXPECT_EQ(witness.Made.Index, st.st_ino);
  // Unnamed first: the journal hears of the file before any name holds it.
  const bool unnamed = GetParam() != TPosixFileCopier::TWay::AtItsName;
  EXPECT_EQ(witness.Heard, unnamed ? "created " : "creating opened(named) created(named) ");
}

// The bits the umask would take (here those of others) are the source's all the same.
TEST_P(PosixFileCopierTest, KeepsModeBitsTheUmaskWouldTake) {
  const mode_t saved = umask(027);
  TPosixFileCopier copier(nullptr, GetParam());
  std::vector<mode_t> made;
  for (const mode_t mode : {0600u, 0757u}) {
    chmod(source_.c_str(), mode);
    const std::string destination = folder_ + "/mode" + std::to_string(mode);
    struct stat st{};
    if (copier.Copy(source_, destination).Result == TCopyResult::Copied) stat(destination.c_str(), &st);
    made.push_back(st.st_mode & 07777);
  }
  umask(saved);
  EXPECT_EQ(made, (std::vector<mode_t>{0600, 0757}));
}

TEST_P(PosixFileCopierTest, NeverTouchesAFileThatExists) {
  TRecordingWitness witness;
  TPosixFileCopier copier(&witness, GetParam());
  const std::string destination = folder_ + "/mine.txt";
  std::ofstream(destination) << "mine";
  EXPECT_EQ(copier.Copy(source_, destination).Result, TCopyResult::Exists);
  EXPECT_EQ(ReadFile(destination), "mine");
  EXPECT_EQ(copier.Copy(folder_ + "/missing", folder_ + "/x").Result, TCopyResult::SourceUnreadable);
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
  TPosixFileCopier copier(nullptr, GetParam());
  std::vector<std::string> copies;
  for (const std::string& source : {source_, elsewhere}) {
    for (const char* copy : {"/one", "/two"}) {
      const std::string destination = folder_ + copy + std::to_string(copies.size());
      copier.Copy(source, destination);
      copies.push_back(ReadFile(destination));
    }
  }
  unlink(elsewhere.c_str());
  EXPECT_EQ(copies, std::vector<std::string>(4, "content"));
}

TEST(PosixFileCopierFallbackTest, AJournalThatFailsLeavesNoPart) {
  char pattern[] = "/tmp/copier-XXXXXX";
  const std::string folder = mkdtemp(pattern);
  std::ofstream(folder + "/s") << "x";
  TRecordingWitness witness;
  witness.ThrowAtOpened = true;
  TPosixFileCopier copier(&witness, TPosixFileCopier::TWay::AtItsName);
  EXPECT_THROW(copier.Copy(folder + "/s", folder + "/d"), std::runtime_error);
  EXPECT_NE(access((folder + "/d").c_str(), F_OK), 0);
  std::system(("rm -rf " + folder).c_str());
}

std::string WayName(const ::testing::TestParamInfo<TPosixFileCopier::TWay>& way) {
  static const char* const kNames[] = {"Unnamed", "UnnamedThroughProc", "AtItsName"};
  return kNames[static_cast<int>(way.param)];
}

INSTANTIATE_TEST_SUITE_P(Ways, PosixFileCopierTest,
                         ::testing::Values(TPosixFileCopier::TWay::Unnamed, TPosixFileCopier::TWay::UnnamedThroughProc,
                                           TPosixFileCopier::TWay::AtItsName),
                         WayName);

}  // namespace
