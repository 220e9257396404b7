#include <gtest/gtest.h>

#include "naming/rule_tree.h"
#include "tests/support/tree_builder.h"

namespace {

TEST(RuleTreeTest, StartsWithTheRootAlone) {
  TRuleTree tree;
  EXPECT_EQ(tree.Count(), 1u);
  EXPECT_TRUE(tree.Root().IsRoot());
  EXPECT_EQ(tree.Root().Data(), nullptr);
  EXPECT_EQ(tree.Root().Text(), "全複製情報");
  EXPECT_EQ(tree.NodeAt(0), &tree.Root());
}

TEST(RuleTreeTest, NewRuleIsAZeroToZeroNumberRuleAppendedLast) {
  TRuleTree tree;
  TRuleNode& first = tree.AddRule(tree.Root());
  first.Data()->Kind = ckFixString;
  TRuleNode& second = tree.AddRule(tree.Root());
  ASSERT_EQ(tree.Root().ChildCount(), 2u);
  EXPECT_EQ(&tree.Root().Child(0), &first);
  EXPECT_EQ(&tree.Root().Child(1), &second);
  EXPECT_EQ(second.Parent(), &tree.Root());
  EXPECT_EQ(second.Text(), "連番");
  EXPECT_EQ(second.Data()->Kind, ckNumber);
  EXPECT_EQ(second.Data()->NumFrom, 0);
  EXPECT_EQ(second.Data()->NumTo, 0);

  TRuleNode& nested = tree.AddRule(first);
  EXPECT_EQ(nested.Parent(), &first);
  EXPECT_EQ(first.ChildCount(), 1u);
  EXPECT_EQ(tree.Count(), 4u);
}

TEST(RuleTreeTest, TextFollowsTheKind) {
  TRuleTree tree;
  TRuleNode& node = tree.AddRule(tree.Root());
  node.Data()->Kind = ckAnyString;
  EXPECT_EQ(node.Text(), "任意文字列");
}

TEST(RuleTreeTest, AbsoluteIndexIsPreOrder) {
  // Root, A with child B, then C: indexes 0, 1, 2, 3.
  TRuleTree tree;
  TRuleNode& a = tree.AddRule(tree.Root());
  TRuleNode& c = tree.AddRule(tree.Root());
  TRuleNode& b = tree.AddRule(a);  // added last, still before C in pre-order
  const TRuleNode* expected[] = {&tree.Root(), &a, &b, &c};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(tree.NodeAt(i), expected[i]) << i;
    EXPECT_EQ(tree.AbsoluteIndex(*expected[i]), i);
  }
  EXPECT_EQ(tree.NodeAt(4), nullptr);
}

TEST(RuleTreeTest, DeletingANodeFreesItsWholeSubtree) {
  const long before = TCopyInfo::LiveCount();
  {
    TRuleTree tree;
    Build(tree, {Num(1, 2, {Any({"x", "y"}, {Fix("a"), Alpha("a", "b")}), Num(3, 4)}), Fix("keep")});
    EXPECT_EQ(TCopyInfo::LiveCount(), before + 6);
    ASSERT_TRUE(tree.Delete(tree.Root().Child(0)));
    EXPECT_EQ(TCopyInfo::LiveCount(), before + 1);
    EXPECT_EQ(tree.Count(), 2u);
    ASSERT_EQ(tree.Root().ChildCount(), 1u);
    EXPECT_EQ(tree.Root().Child(0).Data()->FixString, "keep");
    EXPECT_EQ(tree.NodeAt(1), &tree.Root().Child(0));
  }
  EXPECT_EQ(TCopyInfo::LiveCount(), before);  // the tree frees the rest with itself
}

TEST(RuleTreeTest, DeletingAMiddleSiblingKeepsTheOthersInOrder) {
  TRuleTree tree;
  Build(tree, {Fix("a"), Fix("b"), Fix("c")});
  ASSERT_TRUE(tree.Delete(tree.Root().Child(1)));
  ASSERT_EQ(tree.Root().ChildCount(), 2u);
  EXPECT_EQ(tree.Root().Child(0).Data()->FixString, "a");
  EXPECT_EQ(tree.Root().Child(1).Data()->FixString, "c");
}

TEST(RuleTreeTest, TheRootCannotBeDeleted) {
  TRuleTree tree;
  Build(tree, {Fix("a", {Fix("b")})});
  EXPECT_FALSE(tree.Delete(tree.Root()));
  EXPECT_EQ(tree.Count(), 3u);
  EXPECT_EQ(tree.Root().ChildCount(), 1u);
}

TEST(RuleTreeTest, AVeryDeepTreeIsFreedWithoutExhaustingTheStack) {
  const long before = TCopyInfo::LiveCount();
  {
    TRuleTree tree;
    TRuleNode* node = &tree.Root();
    for (int i = 0; i < 200000; ++i) node = &tree.AddRule(*node);
    EXPECT_EQ(tree.Count(), 200001u);
    tree.Delete(tree.Root().Child(0).Child(0));
    EXPECT_EQ(tree.Count(), 2u);
    node = &tree.Root().Child(0);
    for (int i = 0; i < 200000; ++i) node = &tree.AddRule(*node);  // freed with the tree
  }
  EXPECT_EQ(TCopyInfo::LiveCount(), before);
}

}  // namespace
