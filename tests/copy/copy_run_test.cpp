#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "copy/copy_run.h"
#include "copy/file_name_check.h"
#include "tests/copy/copy_fakes.h"
#include "tests/support/tree_builder.h"

namespace {

const std::string kQuestion =
    "複製を続行しますか？(「はい」を選択した場合、現在のファイルをスキップして、次以降のファイルを複製します。"
    "「いいえ」を選択した場合は、複製を中止します。)";

// A folder in memory, "C:\\out" unless the run says otherwise: copies fail for names already
// there, and for names listed as failing. Destinations are joined as the Windows copier joins them.
class TFakeCopier : public ICopyTarget {
 public:
  TCopyOutcome Copy(const std::string& name) override {
    const std::string destination = Folder + "\\" + name;
    Attempts.push_back(destination);
    if (Failing.count(destination)) return {TCopyResult::Failed, Failing[destination]};
    if (!Files.insert(destination).second) return {TCopyResult::Exists, {}};
    return {};
  }

  std::string Folder = "C:\\out";
  std::vector<std::string> Attempts;
  std::set<std::string> Files;
  std::map<std::string, std::string> Failing;
};

struct TRun {
  TFakeCopier Copier;
  TScriptedFront Prompt;
  TRecordingMessages Messages;

  explicit TRun(std::vector<TFailureAnswer> answers = {}) : Prompt(std::move(answers)) {}
  bool Copy(const std::vector<std::string>& names, const std::string& folder = "C:\\out") {
    Copier.Folder = folder;
    Prompt.Folder = folder;
    Prompt.Names = &names;
    return CopyFiles(names, Prompt.Form, Copier, Prompt, Messages);
  }
  void RunCopy(const TRuleTree& tree, bool join, std::vector<std::string>& fileNames) {
    Prompt.Names = &fileNames;
    ::RunCopy(tree, join, "C:\\src\\a.txt", fileNames, Copier, Prompt, Messages);
  }
};

TEST(CopyFilesTest, CopiesEveryNameInOrderIntoTheFolder) {
  TRun run;
  EXPECT_TRUE(run.Copy({"1.txt", "2.txt", "表.txt"}));
  EXPECT_EQ(run.Copier.Attempts, (std::vector<std::string>{"C:\\out\\1.txt", "C:\\out\\2.txt", "C:\\out\\表.txt"}));
  EXPECT_TRUE(run.Prompt.Questions.empty());
  EXPECT_TRUE(run.Messages.Messages.empty());  // the completion message is the caller's
}

TEST(CopyFilesTest, ShowsTheFolderJoinedAsTextWithoutNormalising) {
  TRun run({TFailureAnswer::Skip});
  run.Copier.Files.insert("D:\\\\x.txt");
  run.Copy({"x.txt", "y.txt"}, "D:\\");
  ASSERT_EQ(run.Prompt.Questions.size(), 1u);
  EXPECT_EQ(run.Prompt.Questions[0].Text, "D:\\\\x.txtはすでに存在します。" + kQuestion);
}

// Where "/" separates (the command line on Linux), the copier and the prompt get it for each "\\"
// of a name, and never for the second byte of a character such as 表.
TEST(CopyFilesTest, WritesSubFolderSeparatorsAsThePlatformDoes) {
  TRun run({TFailureAnswer::Skip});
  run.Prompt.Form.Separator = '/';
  run.Copier.Failing["/out\\a/表/b/c"] = "x";
  run.Copy({"a\\表\\b\\c"}, "/out");
  EXPECT_EQ(run.Copier.Attempts, std::vector<std::string>{"/out\\a/表/b/c"});
  ASSERT_EQ(run.Prompt.Questions.size(), 1u);
  EXPECT_EQ(run.Prompt.Questions[0].Text, "/out/a/表/b/cを作成できませんでした。x" + kQuestion);
}

TEST(CopyFilesTest, AnExistingNameGetsTheExistsPrompt) {
  TRun run;
  run.Copier.Files.insert("C:\\out\\b.txt");
  EXPECT_TRUE(run.Copy({"a.txt", "b.txt", "a.txt"}));
  ASSERT_EQ(run.Prompt.Questions.size(), 2u);  // the taken name, then the repeated one
  EXPECT_EQ(run.Prompt.Questions[0].Text, "C:\\out\\b.txtはすでに存在します。" + kQuestion);
  EXPECT_EQ(run.Prompt.Questions[1].Text, "C:\\out\\a.txtはすでに存在します。" + kQuestion);
}

TEST(CopyFilesTest, OtherFailuresSayWhatTheSystemSaid) {
  TRun run;
  run.Copier.Failing["C:\\out\\a.txt"] = "指定されたファイルが見つかりません。";
  EXPECT_TRUE(run.Copy({"a.txt"}));
  ASSERT_EQ(run.Prompt.Questions.size(), 1u);
  EXPECT_EQ(run.Prompt.Questions[0].Text,
            "C:\\out\\a.txtを作成できませんでした。指定されたファイルが見つかりません。" + kQuestion);
}

TEST(CopyFilesTest, NoStopsAtOnceAndLeavesTheRestUntried) {
  TRun run({TFailureAnswer::Skip, TFailureAnswer::Skip, TFailureAnswer::Stop});
  const std::vector<std::string> names{"ok1", "f1", "f2", "ok2", "f3", "f4", "f5", "ok3"};
  for (const char* bad : {"f1", "f2", "f3", "f4", "f5"}) run.Copier.Failing[std::string("C:\\out\\") + bad] = "x";
  EXPECT_FALSE(run.Copy(names));
  EXPECT_EQ(run.Copier.Attempts.back(), "C:\\out\\f3");
  EXPECT_EQ(run.Copier.Files, (std::set<std::string>{"C:\\out\\ok1", "C:\\out\\ok2"}));
  EXPECT_EQ(run.Prompt.Questions.size(), 3u);
  EXPECT_EQ(run.Messages.Messages, std::vector<std::string>{"複製を中止しました"});
}

TEST(CopyFilesTest, AnUnreadableSourceIsNamedInThePrompt) {
  class TUnreadable : public ICopyTarget {
    TCopyOutcome Copy(const std::string&) override {
      return {TCopyResult::SourceUnreadable, "指定されたファイルが見つかりません。"};
    }
  } copier;
  TScriptedFront prompt;
  TRecordingMessages messages;
  const std::vector<std::string> names{"1.txt"};
  prompt.Names = &names;
  EXPECT_TRUE(CopyFiles(names, TNameForm{}, copier, prompt, messages));
  ASSERT_EQ(prompt.Questions.size(), 1u);
  EXPECT_EQ(prompt.Questions[0].Text,
            "C:\\src\\a.txtを読み込めませんでした。指定されたファイルが見つかりません。" + kQuestion);
}

struct TNameCase {
  std::string_view Name;  // a view, so that a NUL inside a name stays part of it
  const char* Problem;  // empty: a name the system may be given
};

// A name may reach into a sub-folder; each refused name is one the system would take for
// something else than a new file below the chosen folder.
const char kDevice[] = "は装置の名前のため、拡張子を付けてもファイル名やフォルダ名にできません。";
const char kEmptyPart[] = "ファイル名に空のフォルダ名（先頭や末尾の「\\」、続けて並んだ「\\」）は使えません。";
const char kFolderName[] = "はフォルダを表す名前のため、ファイル名に使えません。";
const TNameCase kNameCases[] = {
    {"表.txt", ""},  // 0x95 0x5C: the second byte is the byte of "\"
    {"ソ表\\.txt", ""},
    {"sub\\x.txt", ""},
    {"a/b", ""},
    {"a.", ""},  // the system drops the dot: then it meets "a"
    {"a ", ""},
    {"sub.\\x", ""},
    {"com10", ""},
    {"com0.txt", ""},
    {"auxiliary.txt", ""},
    {".txt", ""},
    {"nul", "「nul」"},
    {"NUL.txt", "「NUL」"},
    {"com1.tar.gz", "「com1」"},
    {"Con .txt", "「Con」"},
    {"conout$", "「conout$」"},
    {"sub\\lpt9", "「lpt9」"},
    {"aux\\x.txt", "「aux」"},
    {"sub\\nul.x\\y", "「nul」"},
    {"..", "「..」"},
    {".", "「.」"},
    {"..\\up.txt", "「..」"},
    {"sub/../up", "「..」"},
    {"sub\\.", "「.」"},
    {"\\x", "empty"},
    {"sub\\", "empty"},
    {"a\\\\b", "empty"},
    {"c:x", "ファイル名にドライブの区切り「:」は使えません。"},
    {"sub\\c:x", "ファイル名にドライブの区切り「:」は使えません。"},
    {"a?b", "ファイル名に「?」は使えません。"},
    {"sub\\a|b", "ファイル名に「|」は使えません。"},
    {"a*b", "ファイル名に「*」は使えません。"},
    {"a<b", "ファイル名に「<」は使えません。"},
    {"sub\\a>b", "ファイル名に「>」は使えません。"},
    {"a\"b", "ファイル名に「\"」は使えません。"},
    {"a\tb", "ファイル名に制御文字は使えません。"},
    // A lead byte needs a second byte after it: not a NUL, which would cut the name, nor a "." nor the end.
    {std::string_view("a\x81\0b", 4), "ファイル名に制御文字は使えません。"},
    {"a\x81.txt", "ファイル名に制御文字は使えません。"},
    {"a\x81", "ファイル名に制御文字は使えません。"},
    // DEL is no second byte: the system would read the lead byte alone, as a character it lacks.
    {"a\x81\x7F" "b", "ファイル名に制御文字は使えません。"},
    {"\x81\x7E\x81\x80", ""},  // × and ÷, on either side of it
    {"表示", ""},
    {"", "ファイル名が空です。"},
};

// The expected sentence: a device or folder name is quoted before its reason.
std::string Expected(const TNameCase& c) {
  const std::string problem = c.Problem;
  if (problem == "empty") return kEmptyPart;
  if (problem == "「.」" || problem == "「..」") return problem + kFolderName;
  if (problem.rfind("「", 0) == 0) return problem + kDevice;
  return problem;
}

TEST(FileNameProblemTest, RefusesWhatIsNotAPlainFileNameWithAClearReason) {
  for (const TNameCase& c : kNameCases) EXPECT_EQ(FileNameProblem(c.Name, TEncoding::ShiftJis), Expected(c)) << c.Name;
}

// A name in UTF-8 is checked as what it is: any character Unicode has is a file name's, and its
// bytes are never taken for a separator or a dot; a broken sequence is refused as a control
// character is. Read as Shift-JIS, the same bytes would hide the "/" in the lead byte 0x82.
TEST(FileNameProblemTest, ReadsAUtf8NameAsUtf8) {
  const std::string_view ok[] = {u8"caf\u00e9.txt", u8"\ub370\uc774\ud130/\U0001F600.txt", u8"第1回\\報告.txt", u8"ｱ.txt"};
  for (const std::string_view name : ok) EXPECT_EQ(FileNameProblem(name, TEncoding::Utf8), "") << name;
  EXPECT_EQ(FileNameProblem(u8"あ/../x", TEncoding::Utf8), "「..」" + std::string(kFolderName));
  EXPECT_EQ(FileNameProblem(u8"データ/nul.txt", TEncoding::Utf8), "「nul」" + std::string(kDevice));
  const std::string_view broken[] = {"caf\xC3", "\xE3\x81.txt", "\xC0\xAF", "a\xED\xA0\x80", "\xFF"};
  for (const std::string_view name : broken) {
    EXPECT_EQ(FileNameProblem(name, TEncoding::Utf8), "ファイル名に制御文字は使えません。") << name;
  }
}

TEST(CopyFilesTest, ARefusedNameGetsTheFailurePromptAndNeverReachesTheCopier) {
  TRun run({TFailureAnswer::Skip, TFailureAnswer::Stop});
  EXPECT_FALSE(run.Copy({"1.txt", "nul", "表.txt", "..\\up", "2.txt"}));
  EXPECT_EQ(run.Copier.Attempts, (std::vector<std::string>{"C:\\out\\1.txt", "C:\\out\\表.txt"}));
  ASSERT_EQ(run.Prompt.Questions.size(), 2u);
  EXPECT_EQ(run.Prompt.Questions[0].Text, "C:\\out\\nulを作成できませんでした。" + FileNameProblem("nul", TEncoding::ShiftJis) + kQuestion);
  EXPECT_EQ(run.Prompt.Questions[1].Text,
            "C:\\out\\..\\upを作成できませんでした。" + FileNameProblem("..\\up", TEncoding::ShiftJis) + kQuestion);
  EXPECT_EQ(run.Messages.Messages, std::vector<std::string>{"複製を中止しました"});
}

struct TRunCopyCase {
  const char* Name;
  std::vector<TRuleDraft> Rules;
  std::vector<TFailureAnswer> Answers;
  std::vector<std::string> Attempts;
  std::vector<std::string> Messages;
};

void PrintTo(const TRunCopyCase& c, std::ostream* os) { *os << c.Name; }

const TRunCopyCase kRunCases[] = {
    {"CopiesAndReportsCompletion", {Num(1, 2)}, {}, {"C:\\out\\1.txt", "C:\\out\\2.txt"},
     {"ファイルのコピーが完了しました"}},
    {"EmptyListStillCompletes", {Any({""})}, {}, {}, {"ファイルのコピーが完了しました"}},
    {"YesToEveryFailureStillCompletes", {Fix("a"), Fix("a"), Fix("a")}, {TFailureAnswer::Skip, TFailureAnswer::Skip},
     {"C:\\out\\a.txt", "C:\\out\\a.txt", "C:\\out\\a.txt"}, {"ファイルのコピーが完了しました"}},
    {"NoEndsWithoutCompletion", {Fix("a"), Fix("a"), Fix("b")}, {TFailureAnswer::Stop},
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
  run.RunCopy(tree, false, fileNames);
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
  run.RunCopy(tree, true, fileNames);
  EXPECT_EQ(fileNames, (std::vector<std::string>{"1a.txt", "2b.txt"}));
  EXPECT_EQ(run.Copier.Attempts, (std::vector<std::string>{"C:\\out\\1a.txt", "C:\\out\\2b.txt"}));
}

// A question during which the window was asked to close: whatever the answer, nothing more is
// copied and nothing more is said.
TEST(RunCopyTest, AStopRequestDuringAQuestionEndsTheRunSilently) {
  for (const TFailureAnswer answer : {TFailureAnswer::Skip, TFailureAnswer::Stop}) {
    TRuleTree tree;
    Build(tree, {Fix("a"), Fix("a"), Fix("b")});
    TRun run({answer});
    run.Prompt.OnQuestion = [&] { run.Prompt.Stop = true; };
    std::vector<std::string> fileNames;
    run.RunCopy(tree, false, fileNames);
    EXPECT_EQ(run.Copier.Attempts, (std::vector<std::string>{"C:\\out\\a.txt", "C:\\out\\a.txt"}));
    EXPECT_TRUE(run.Messages.Messages.empty());
  }
}

}  // namespace

namespace {

TEST(PrepareFileNamesTest, RefusesAListThatCannotBeHeldWithoutMakingIt) {
  TRuleTree tree;
  Build(tree, {Num(0, 999, {Num(0, 999, {Num(0, 999)})})});  // a thousand million names
  TRun run;
  std::vector<std::string> fileNames{"from", "before"};
  run.RunCopy(tree, false, fileNames);
  EXPECT_TRUE(fileNames.empty());
  EXPECT_TRUE(run.Copier.Attempts.empty());
  EXPECT_EQ(run.Messages.Messages, std::vector<std::string>{"作成されるファイル名が多すぎます（1,000,000,000件）。"
                                                            "一度に扱えるファイル名は10,000,000件までです"});
}

TEST(PrepareFileNamesTest, ACountTooLargeToCountIsSaidSo) {
  TRuleTree tree;
  Build(tree, {Num(INT_MIN, INT_MAX, {Num(INT_MIN, INT_MAX, {Num(INT_MIN, INT_MAX)})})});
  TRecordingMessages messages;
  std::vector<std::string> fileNames;
  EXPECT_FALSE(PrepareFileNames(tree, false, "a.txt", TEncoding::ShiftJis, fileNames, messages));
  EXPECT_EQ(messages.Messages, std::vector<std::string>{"作成されるファイル名が多すぎます（18,446,744,073,709,551,615件以上）。"
                                                        "一度に扱えるファイル名は10,000,000件までです"});
}

// Exactly the limit of names with text, and two empty names beside them: empty names are never
// held without the join, and the join holds every position until it is done.
TEST(PrepareFileNamesTest, TakesWhatIsHeldAtTheLimitAndRefusesOneMore) {
  static_assert(kMaxFileNames == 10'000'000);
  TRuleTree tree;
  Build(tree, {Num(1, 10, {Num(0, 999999)}), Any({"", ""})});
  TRecordingMessages messages;
  std::vector<std::string> fileNames{"before"};
  EXPECT_TRUE(PrepareFileNames(tree, false, "a.txt", TEncoding::ShiftJis, fileNames, messages));
  EXPECT_EQ(fileNames.size(), kMaxFileNames);
  EXPECT_FALSE(PrepareFileNames(tree, true, "a.txt", TEncoding::ShiftJis, fileNames, messages));
  EXPECT_EQ(messages.Messages, std::vector<std::string>{"作成されるファイル名が多すぎます（10,000,002件）。"
                                                        "一度に扱えるファイル名は10,000,000件までです"});
  EXPECT_TRUE(fileNames.empty());
}

// The window answers these calls by showing the system it is alive: they come while the last
// list is freed and after every name of the run, however the copy of that name went.
TEST(PrepareFileNamesTest, ARunSaysItIsStillWorkingWhileFreeingTheLastListAndAfterEveryName) {
  TRuleTree tree;
  Build(tree, {Any({"a", "b", "a", "c:"})});  // a copy, one that exists, one refused name
  TRun run({TFailureAnswer::Skip, TFailureAnswer::Skip});
  std::vector<std::string> fileNames(300000, "from the last run");
  std::vector<std::size_t> attemptsAtEachCall;
  run.Prompt.OnStillWorking = [&] { attemptsAtEachCall.push_back(run.Copier.Attempts.size()); };
  run.RunCopy(tree, false, fileNames);
  const auto beforeCopies = std::count(attemptsAtEachCall.begin(), attemptsAtEachCall.end(), 0u);
  EXPECT_GE(beforeCopies, static_cast<long>(300000 / kStillWorkingEvery));
  EXPECT_EQ(std::vector<std::size_t>(attemptsAtEachCall.begin() + beforeCopies, attemptsAtEachCall.end()),
            (std::vector<std::size_t>{1, 2, 3, 3}));
}

TEST(PrepareFileNamesTest, ValidationComesBeforeTheCount) {
  TRuleTree tree;
  Build(tree, {Num(0, 999, {Num(0, 999, {Num(0, 999)})}), Num(2, 1)});
  TRecordingMessages messages;
  std::vector<std::string> fileNames{"kept"};
  EXPECT_FALSE(PrepareFileNames(tree, false, "a.txt", TEncoding::ShiftJis, fileNames, messages));
  EXPECT_EQ(fileNames, std::vector<std::string>{"kept"});
  EXPECT_EQ(messages.Messages, std::vector<std::string>{"連番情報に不正な値が設定されています"});
}

}  // namespace
