#include "app/folder_levels.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// Folders that exist, folders that cannot be made, and every creation tried, in order.
class TFakeFolders : public IFolderSystem {
 public:
  TFakeFolders(std::set<std::string> existing, std::set<std::string> failing)
      : existing_(std::move(existing)), failing_(std::move(failing)) {}

  bool IsFolder(const std::string& path) override { return existing_.count(path) > 0; }
  bool CreateFolder(const std::string& path) override {
    Created.push_back(path);
    if (failing_.count(path)) return false;
    existing_.insert(path);
    return true;
  }

  std::vector<std::string> Created;

 private:
  std::set<std::string> existing_;
  std::set<std::string> failing_;
};

struct TForceCase {
  const char* Name;
  std::string Path;
  std::set<std::string> Existing;
  std::set<std::string> Failing;
  bool Result;
  std::vector<std::string> Created;  // every creation tried, top down
};

// The second bytes of 表 and ソ are 0x5C, the byte of "\".
const TForceCase kForceCases[] = {
    {"MissingLevelsTopDown", "C:\\a\\b\\c", {"C:\\a"}, {}, true, {"C:\\a\\b", "C:\\a\\b\\c"}},
    {"AllLevelsBelowTheRoot", "C:\\a\\b", {}, {}, true, {"C:\\a", "C:\\a\\b"}},
    {"ExistingFolderNeedsNothing", "C:\\a\\b", {"C:\\a\\b"}, {}, true, {}},
    {"DriveRoot", "C:\\", {}, {}, true, {}},
    {"Drive", "C:", {}, {}, true, {}},
    {"DriveRelativeName", "C:ab", {}, {}, true, {"C:ab"}},
    {"OneByte", "x", {}, {}, true, {}},
    {"OneDoubleByteCharacter", "表", {}, {}, true, {}},
    {"OneDoubleByteCharacterAndSeparator", "表\\", {}, {}, true, {}},
    {"TrailingSeparatorRemovedOnce", "C:\\a\\", {}, {}, true, {"C:\\a"}},
    // Only one separator goes: what is left ends in one and so is its own parent.
    {"DoubledTrailingSeparator", "C:\\a\\\\", {}, {}, true, {}},
    {"SecondBytesAsLevels", "C:\\表\\ソ\\x", {}, {}, true, {"C:\\表", "C:\\表\\ソ", "C:\\表\\ソ\\x"}},
    {"SecondByteAtTheEnd", "C:\\x\\ソ", {"C:\\x"}, {}, true, {"C:\\x\\ソ"}},
    {"SecondByteThenSeparator", "C:\\x\\表\\", {"C:\\x"}, {}, true, {"C:\\x\\表"}},
    {"BareRelativeName", "abc", {}, {}, false, {}},
    {"RelativeLevels", "abc\\def", {"abc"}, {}, true, {"abc\\def"}},
    {"MissingRelativeTop", "abc\\def", {}, {}, false, {}},
    {"Empty", "", {}, {}, false, {}},
    {"FailingMiddleLevel", "C:\\a\\b\\c\\d", {}, {"C:\\a\\b"}, false, {"C:\\a", "C:\\a\\b"}},
    {"FailingLastLevel", "C:\\a\\b", {"C:\\a"}, {"C:\\a\\b"}, false, {"C:\\a\\b"}},
    {"ShareBelowExistingShare", "\\\\server\\share\\x", {"\\\\server\\share"}, {}, true,
     {"\\\\server\\share\\x"}},
    {"ShareEndsAtTheLeadingSeparators", "\\\\server\\share\\x", {}, {}, true,
     {"\\\\server", "\\\\server\\share", "\\\\server\\share\\x"}},
};

void PrintTo(const TForceCase& c, std::ostream* os) { *os << c.Name; }

class ForceDirectoriesTest : public testing::TestWithParam<TForceCase> {};

TEST_P(ForceDirectoriesTest, CreatesTheMissingLevelsTopDown) {
  const TForceCase& c = GetParam();
  TFakeFolders folders(c.Existing, c.Failing);
  EXPECT_EQ(ForceDirectories(c.Path, folders), c.Result);
  EXPECT_EQ(folders.Created, c.Created);
}

INSTANTIATE_TEST_SUITE_P(Paths, ForceDirectoriesTest, testing::ValuesIn(kForceCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(PathLevelsTest, GivesEveryFolderFromTheRootDown) {
  const struct {
    std::string Path;
    std::vector<std::string> Levels;
  } cases[] = {
      {"C:\\", {"C:\\"}},
      {"C:\\a", {"C:\\", "C:\\a"}},
      {"C:\\a\\b", {"C:\\", "C:\\a", "C:\\a\\b"}},
      {"C:\\a\\b\\", {"C:\\", "C:\\a", "C:\\a\\b"}},
      {"C:\\表\\ソ", {"C:\\", "C:\\表", "C:\\表\\ソ"}},
      {"C:\\表ソ\\x", {"C:\\", "C:\\表ソ", "C:\\表ソ\\x"}},
      {"\\\\server\\share\\", {"\\\\server\\share\\"}},
      {"\\\\server\\share\\x\\y", {"\\\\server\\share\\", "\\\\server\\share\\x", "\\\\server\\share\\x\\y"}},
  };
  for (const auto& c : cases) EXPECT_EQ(PathLevels(c.Path), c.Levels) << c.Path;
}

TEST(AppendNameTest, AddsASeparatorOnlyWhereNoneEndsTheFolder) {
  EXPECT_EQ(AppendName("C:\\", "a"), "C:\\a");
  EXPECT_EQ(AppendName("C:\\a", "b"), "C:\\a\\b");
  EXPECT_EQ(AppendName("C:\\表", "b"), "C:\\表\\b");
  EXPECT_EQ(AppendName("C:\\表\\", "ソ"), "C:\\表\\ソ");
}

}  // namespace
