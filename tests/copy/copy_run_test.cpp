#include <gtest/gtest.h>

#include "copy/copy_run.h"
#include "tests/copy/copy_fakes.h"
#include "tests/naming/tree_builder.h"

namespace {

const std::string kQuestion =
    "複製を続行しますか？(「はい」を選択した場合、現在のファイルをスキップして、次以降のファイルを複製します。"
    "「いいえ」を選択した場合は、複製を中止します。)";

// A folder in memory: copies fail for names already there, and for names listed as failing.
class TFakeCopier : public IFileCopier {
 public:
  TCopyOutcome Copy(const std::string& source, const std::string& destination) override {
    Attempts.push_back(destination);
    Sources.insert(source);
    if (Failing.count(destination)) return {TCopyResult::Failed, Failing[destination]};
    if (!Files.insert(destination).second) return {TCopyResult::Exists, {}};
    return {};
  }

  std::vector<std::string> Attempts;
  std::set<std::string> Sources;
  std::set<std::string> Files;
  std::map<std::string, std::string> Failing;
};

struct TRun {
  TFakeCopier Copier;
  TScriptedPrompt Prompt;
  TRecordingMessages Messages;
  TCopyServices Services{Copier, Prompt, Messages};

  explicit TRun(std::vector<int> answers = {}) : Prompt(std::move(answers)) {}
  bool Copy(const std::vector<std::string>& names, const std::string& folder = "C:\\out") {
    return CopyFiles("C:\\src\\a.txt", folder, names, Services);
  }
};

TEST(CopyFilesTest, CopiesEveryNameInOrderIntoTheFolder) {
  TRun run;
  EXPECT_TRUE(run.Copy({"1.txt", "2.txt", "表.txt"}));
  EXPECT_EQ(run.Copier.Attempts, (std::vector<std::string>{"C:\\out\\1.txt", "C:\\out\\2.txt", "C:\\out\\表.txt"}));
  EXPECT_EQ(run.Copier.Sources, std::set<std::string>{"C:\\src\\a.txt"});
  EXPECT_TRUE(run.Prompt.Questions.empty());
  EXPECT_TRUE(run.Messages.Messages.empty());  // the completion message is the caller's
}

TEST(CopyFilesTest, JoinsTheFolderAsTextWithoutNormalising) {
  TRun run;
  run.Copy({"x.txt", "sub\\y.txt"}, "D:\\");
  EXPECT_EQ(run.Copier.Attempts, (std::vector<std::string>{"D:\\\\x.txt", "D:\\\\sub\\y.txt"}));
}

TEST(CopyFilesTest, AnExistingNameGetsTheExistsPrompt) {
  TRun run;
  run.Copier.Files.insert("C:\\out\\b.txt");
  EXPECT_TRUE(run.Copy({"a.txt", "b.txt", "a.txt"}));
  ASSERT_EQ(run.Prompt.Questions.size(), 2u);  // the taken name, then the repeated one
  EXPECT_EQ(run.Prompt.Questions[0].Text, "C:\\out\\b.txtはすでに存在します。" + kQuestion);
  EXPECT_EQ(run.Prompt.Questions[0].Caption, "注意");
  EXPECT_EQ(run.Prompt.Questions[0].Flags, 4u);
  EXPECT_EQ(run.Prompt.Questions[1].Text, "C:\\out\\a.txtはすでに存在します。" + kQuestion);
}

TEST(CopyFilesTest, OtherFailuresSayWhatTheSystemSaid) {
  TRun run;
  run.Copier.Failing["C:\\out\\a.txt"] = "指定されたファイルが見つかりません。";
  EXPECT_TRUE(run.Copy({"a.txt"}));
  ASSERT_EQ(run.Prompt.Questions.size(), 1u);
  EXPECT_EQ(run.Prompt.Questions[0].Text,
            "C:\\out\\a.txtを作成できませんでした。指定されたファイルが見つかりません。" + kQuestion);
  EXPECT_EQ(run.Prompt.Questions[0].Caption, "注意");
  EXPECT_EQ(run.Prompt.Questions[0].Flags, 4u);
}

TEST(CopyFilesTest, NoStopsAtOnceAndLeavesTheRestUntried) {
  TRun run({kAnswerYes, kAnswerYes, kAnswerNo});
  const std::vector<std::string> names{"ok1", "f1", "f2", "ok2", "f3", "f4", "f5", "ok3"};
  for (const char* bad : {"f1", "f2", "f3", "f4", "f5"}) run.Copier.Failing[std::string("C:\\out\\") + bad] = "x";
  EXPECT_FALSE(run.Copy(names));
  EXPECT_EQ(run.Copier.Attempts.back(), "C:\\out\\f3");
  EXPECT_EQ(run.Copier.Files, (std::set<std::string>{"C:\\out\\ok1", "C:\\out\\ok2"}));
  EXPECT_EQ(run.Prompt.Questions.size(), 3u);
  EXPECT_EQ(run.Messages.Messages, std::vector<std::string>{"複製を中止しました"});
}

TEST(CopyFilesTest, AnyAnswerButNoSkipsTheName) {
  TRun run({kAnswerYes, 2 /* closed some other way */});
  run.Copier.Failing["C:\\out\\a"] = "x";
  run.Copier.Failing["C:\\out\\b"] = "x";
  EXPECT_TRUE(run.Copy({"a", "b", "c"}));
  EXPECT_EQ(run.Copier.Files, std::set<std::string>{"C:\\out\\c"});
}

struct TRunCopyCase {
  const char* Name;
  std::vector<TRuleDraft> Rules;
  std::vector<int> Answers;
  std::vector<std::string> Attempts;
  std::vector<std::string> Messages;
};

void PrintTo(const TRunCopyCase& c, std::ostream* os) { *os << c.Name; }

const TRunCopyCase kRunCases[] = {
    {"CopiesAndReportsCompletion", {Num(1, 2)}, {}, {"C:\\out\\1.txt", "C:\\out\\2.txt"},
     {"ファイルのコピーが完了しました"}},
    {"EmptyListStillCompletes", {Any({""})}, {}, {}, {"ファイルのコピーが完了しました"}},
    {"YesToEveryFailureStillCompletes", {Fix("a"), Fix("a"), Fix("a")}, {kAnswerYes, kAnswerYes},
     {"C:\\out\\a.txt", "C:\\out\\a.txt", "C:\\out\\a.txt"}, {"ファイルのコピーが完了しました"}},
    {"NoEndsWithoutCompletion", {Fix("a"), Fix("a"), Fix("b")}, {kAnswerNo},
     {"C:\\out\\a.txt", "C:\\out\\a.txt"}, {"複製を中止しました"}},
    {"BadRulesCopyNothing", {Num(2, 1), Alpha("", "b")}, {}, {},
     {"連番情報に不正な値が設定されています", "アルファベット情報に値が設定されていません"}},
};

class RunCopyTest : public testing::TestWithParam<TRunCopyCase> {};

TEST_P(RunCopyTest, ValidatesGeneratesCopiesAndReports) {
  TRuleTree tree;
  Build(tree, GetParam().Rules);
  TRun run(GetParam().Answers);
  std::vector<std::string> fileNames{"left", "from", "before"};
  RunCopy(tree, false, "C:\\src\\a.txt", "C:\\out", fileNames, run.Services);
  EXPECT_EQ(run.Copier.Attempts, GetParam().Attempts);
  EXPECT_EQ(run.Messages.Messages, GetParam().Messages);
  if (GetParam().Attempts.empty() && GetParam().Messages.size() == 2) {
    EXPECT_EQ(fileNames, (std::vector<std::string>{"left", "from", "before"}));  // validation failed
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, RunCopyTest, testing::ValuesIn(kRunCases),
                         [](const testing::TestParamInfo<TRunCopyCase>& info) { return std::string(info.param.Name); });

TEST(RunCopyTest, KeepsTheGeneratedListAndUsesTheJoin) {
  TRuleTree tree;
  Build(tree, {Num(1, 2), Alpha("a", "b")});
  TRun run;
  std::vector<std::string> fileNames;
  RunCopy(tree, true, "C:\\src\\a.txt", "C:\\out", fileNames, run.Services);
  EXPECT_EQ(fileNames, (std::vector<std::string>{"1a.txt", "2b.txt"}));
  EXPECT_EQ(run.Copier.Attempts, (std::vector<std::string>{"C:\\out\\1a.txt", "C:\\out\\2b.txt"}));
}

// A prompt during which the window was asked to close: whatever the answer, nothing more is copied
// and nothing more is said.
class TClosingPrompt : public ICopyPrompt {
 public:
  explicit TClosingPrompt(bool& stop, int answer) : stop_(stop), answer_(answer) {}
  int Ask(const std::string&, const std::string&, unsigned) override {
    stop_ = true;
    return answer_;
  }

 private:
  bool& stop_;
  int answer_;
};

TEST(RunCopyTest, AStopRequestDuringAPromptEndsTheRunSilently) {
  for (const int answer : {kAnswerYes, kAnswerNo}) {
    TRuleTree tree;
    Build(tree, {Fix("a"), Fix("a"), Fix("b")});
    bool stop = false;
    TFakeCopier copier;
    TClosingPrompt prompt(stop, answer);
    TRecordingMessages messages;
    TCopyServices services{copier, prompt, messages, &stop};
    std::vector<std::string> fileNames;
    RunCopy(tree, false, "C:\\src\\a.txt", "C:\\out", fileNames, services);
    EXPECT_EQ(copier.Attempts, (std::vector<std::string>{"C:\\out\\a.txt", "C:\\out\\a.txt"})) << answer;
    EXPECT_TRUE(messages.Messages.empty()) << answer;
  }
}

}  // namespace

namespace {

TEST(PrepareFileNamesTest, RefusesAListThatCannotBeHeldWithoutMakingIt) {
  TRuleTree tree;
  Build(tree, {Num(0, 999, {Num(0, 999, {Num(0, 999)})})});  // a thousand million names
  TRun run;
  std::vector<std::string> fileNames{"from", "before"};
  try {
    RunCopy(tree, false, "C:\\src\\a.txt", "C:\\out", fileNames, run.Services);
    FAIL() << "no error";
  } catch (const TTooManyNames& error) {
    EXPECT_EQ(std::string(error.what()),
              "作成されるファイル名が多すぎます（1,000,000,000件）。一度に扱えるファイル名は5,000,000件までです");
  }
  EXPECT_TRUE(fileNames.empty());
  EXPECT_TRUE(run.Copier.Attempts.empty());
  EXPECT_TRUE(run.Messages.Messages.empty());
}

TEST(PrepareFileNamesTest, TakesAListAtTheLimit) {
  TRuleTree tree;
  Build(tree, {Num(1, 5, {Num(0, 999999)})});  // exactly 5,000,000
  TRecordingMessages messages;
  std::vector<std::string> fileNames;
  EXPECT_TRUE(PrepareFileNames(tree, false, "a.txt", fileNames, messages));
  EXPECT_EQ(fileNames.size(), 5000000u);
}

TEST(PrepareFileNamesTest, ValidationComesBeforeTheCount) {
  TRuleTree tree;
  Build(tree, {Num(0, 999, {Num(0, 999, {Num(0, 999)})}), Num(2, 1)});
  TRecordingMessages messages;
  std::vector<std::string> fileNames{"kept"};
  EXPECT_FALSE(PrepareFileNames(tree, false, "a.txt", fileNames, messages));
  EXPECT_EQ(fileNames, std::vector<std::string>{"kept"});
  EXPECT_EQ(messages.Messages, std::vector<std::string>{"連番情報に不正な値が設定されています"});
}

}  // namespace
