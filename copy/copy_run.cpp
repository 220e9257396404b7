#include "copy/copy_run.h"

#include "copy/file_name_check.h"
#include "naming/mbcs.h"
#include "naming/generation.h"

const std::string kPromptCaption = "注意";
const std::string kCopyDoneMessage = "ファイルのコピーが完了しました";
const std::string kCopyStoppedMessage = "複製を中止しました";
const std::string kContinueQuestion =
    "複製を続行しますか？(「はい」を選択した場合、現在のファイルをスキップして、次以降のファイルを複製します。"
    "「いいえ」を選択した場合は、複製を中止します。)";

namespace {

const std::string kExistsText = "はすでに存在します。";
const std::string kNotCreatedText = "を作成できませんでした。";
const std::string kNotReadText = "を読み込めませんでした。";

}  // namespace

bool IsAboutSource(const TCopyOutcome& outcome) { return outcome.Result == TCopyResult::SourceUnreadable; }

std::string FailureWords(const TCopyOutcome& outcome) {
  if (outcome.Result == TCopyResult::Exists) return kExistsText;
  if (outcome.Result == TCopyResult::SourceUnreadable) return kNotReadText + outcome.Reason;
  return kNotCreatedText + outcome.Reason;
}

std::string FailurePrompt(const std::string& source, const std::string& destination, const TCopyOutcome& outcome) {
  return (IsAboutSource(outcome) ? source : destination) + FailureWords(outcome) + kContinueQuestion;
}

std::string WithSeparators(std::string name, char separator, TEncoding encoding) {
  if (separator != '\\') {
    ForEachSingleByte(name, encoding, [&](std::size_t at) {
      if (name[at] == '\\') name[at] = separator;
      return true;
    });
  }
  return name;
}

std::string ShownDestination(const std::string& folder, const std::string& name, const TNameForm& form) {
  return folder + form.Separator + WithSeparators(name, form.Separator, form.Encoding);
}

bool CopyFiles(const std::vector<std::string>& names, const TNameForm& form, ICopyTarget& target,
               ICopyFront& front, IMessageSink& messages) {
  const std::size_t count = names.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (front.StopRequested()) return false;
    std::string problem = FileNameProblem(names[i], form.Encoding);
    const TCopyOutcome outcome = problem.empty()
                                     ? target.Copy(WithSeparators(names[i], form.Separator, form.Encoding))
                                     : TCopyOutcome{TCopyResult::Failed, std::move(problem)};
    front.StillWorking();
    front.NameDone(i, outcome);
    if (outcome.Result == TCopyResult::Copied) continue;
    const TFailureAnswer answer = front.NotCopied(i, outcome);
    if (front.StopRequested()) return false;
    if (answer == TFailureAnswer::Stop) {
      messages.ShowMessage(kCopyStoppedMessage);
      return false;
    }
  }
  return true;
}

namespace {

// 1234567 as "1,234,567".
std::string Grouped(std::uint64_t value) {
  std::string digits = std::to_string(value);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::string TooManyNamesText(std::uint64_t count) {
  const std::string counted = count == UINT64_MAX ? Grouped(count) + "件以上" : Grouped(count) + "件";
  return "作成されるファイル名が多すぎます（" + counted + "）。一度に扱えるファイル名は" + Grouped(kMaxFileNames) +
         "件までです";
}

}  // namespace

bool PrepareFileNames(const TRuleTree& tree, bool join, const std::string& source, TEncoding encoding,
                      std::vector<std::string>& fileNames, IMessageSink& messages,
                      const TStillWorking& stillWorking) {
  if (!CheckCopyInfo(tree, messages)) return false;
  const std::uint64_t count = NamesHeld(tree, join);
  // Freeing millions of names takes a while too: name by name, saying so now and then.
  while (!fileNames.empty()) {
    fileNames.pop_back();
    if (fileNames.size() % kStillWorkingEvery == 0 && stillWorking) stillWorking();
  }
  std::vector<std::string>().swap(fileNames);
  if (count > kMaxFileNames) {
    messages.ShowMessage(TooManyNamesText(count));
    return false;
  }
  fileNames = MakeFileNames(tree, join, source, encoding, stillWorking);
  return true;
}

void RunCopy(const TRuleTree& tree, bool join, const std::string& source, std::vector<std::string>& fileNames,
             ICopyTarget& target, ICopyFront& front, IMessageSink& messages) {
  if (!PrepareFileNames(tree, join, source, TEncoding::ShiftJis, fileNames, messages, [&] { front.StillWorking(); })) {
    return;
  }
  if (CopyFiles(fileNames, TNameForm{}, target, front, messages)) messages.ShowMessage(kCopyDoneMessage);
}
