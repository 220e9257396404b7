#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "naming/generation.h"
#include "naming/validation.h"
#include "tests/support/recording_messages.h"

namespace {

// Rules nest to any depth. A walk that recursed once per level overflowed the 2 MB stack of the
// 32-bit build at about 12,000 levels; this runs in both builds.
TEST(DeepTreeTest, HundredThousandLevelsAreCountedGeneratedCheckedAndFreed) {
  constexpr std::size_t kLevels = 100000;
  const long before = TCopyInfo::LiveCount();
  {
    TRuleTree tree;
    TRuleNode* node = &tree.Root();
    for (std::size_t i = 0; i < kLevels; ++i) node = &tree.AddRule(*node);  // each "0" to "0"
    node->Data()->NumTo = 1;
    ASSERT_EQ(tree.Count(), kLevels + 1);

    EXPECT_EQ(CountNames(tree).Made, 2u);
    const std::string zeros(kLevels - 1, '0');
    const std::vector<std::string> expected{zeros + "0.txt", zeros + "1.txt"};
    EXPECT_EQ(MakeFileNames(tree, false, "report.txt", TEncoding::ShiftJis), expected);
    EXPECT_EQ(MakeFileNames(tree, true, "report.txt", TEncoding::ShiftJis), expected);

    TRecordingMessages sink;
    EXPECT_TRUE(CheckCopyInfo(tree, sink));
    EXPECT_TRUE(sink.Messages.empty());
    node->Data()->NumFrom = 2;  // the deepest rule alone is wrong
    EXPECT_FALSE(CheckCopyInfo(tree, sink));
    EXPECT_EQ(sink.Messages, std::vector<std::string>{kNumberInvalidMessage});
    EXPECT_EQ(tree.AbsoluteIndex(*node), kLevels);
    EXPECT_EQ(CountNames(tree).Made, 0u);
  }
  EXPECT_EQ(TCopyInfo::LiveCount(), before);
}

}  // namespace
