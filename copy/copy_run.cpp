#include "copy/copy_run.h"

#include "copy/file_name_check.h"
#include "naming/mbcs.h"
#include "naming/generation.h"

const std::string kPromptCaption = "注意";
const std::string kCopyDoneMessage = "ファイルのコピーが完了しました";
const std::string kCopyStoppedMessage = "複製を中止しました";

namespace {

const std::string kExistsText = "はすでに存在します。";
const std::string kNotCreatedText = "を作成できませんでした。";
const std::string kNotReadText = "を読み込めませんでした。";
const std::string kContinueQuestion =
    "複製を続行しますか？(「はい」を選択した場合、現在のファイルをスキップして、次以降のファイルを複製します。"
    "「いいえ」を選択した場合は、複製を中止します。)";

}  // namespace

std::string FailureText(const std::string& source, const std::string& destination, const TCopyOutcome& outcome) {
  // Only a destination that exists is called so, and a source that cannot be read is named
  // itself: the user then looks at the file that is at fault, not at the name being made.
  if (outcome.Result == TCopyResult::Exists) return destination + kExistsText;
  if (outcome.Result == TCopyResult::SourceUnreadable) return source + kNotReadText + outcome.Reason;
  return destination + kNotCreatedText + outcome.Reason;
}

std::string FailurePrompt(const std::string& source, const std::string& destination, const TCopyOutcome& outcome) {
  return FailureText(source, destination, outcome) + kContinueQuestion;
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

std::string ShownDestination(const std::string& folder, const std::string& name, char separator,
                             TEncoding encoding) {
  return folder + separator + WithSeparators(name, separator, encoding);
}

bool CopyFiles(const std::string& source, const std::string& folder, const std::vector<std::string>& names,
               TCopyServices& services) {
  const std::size_t count = names.size();
  const char separator = services.PathSeparator;
  const TEncoding encoding = services.Encoding;
  const auto stopRequested = [&] { return services.StopRequested && *services.StopRequested; };
  for (std::size_t i = 0; i < count; ++i) {
    if (stopRequested()) return false;
    std::string problem = FileNameProblem(names[i], encoding);
    const TCopyOutcome outcome = problem.empty() ? services.Copier.Copy(source, WithSeparators(names[i], separator, encoding))
                                                 : TCopyOutcome{TCopyResult::Failed, std::move(problem)};
    if (services.StillWorking) services.StillWorking();
    if (services.NameDone) services.NameDone(i, outcome);
    if (outcome.Result == TCopyResult::Copied) continue;
    const std::string destination = ShownDestination(folder, names[i], separator, encoding);
    const int answer =
        services.Prompt.Ask(FailurePrompt(source, destination, outcome), kPromptCaption, kPromptYesNo);
    if (stopRequested()) return false;
    // Only a clear Yes skips: Escape (Cancel) or a box that could not be shown means stop.
    if (answer != kAnswerYes) {
      services.Messages.ShowMessage(kCopyStoppedMessage);
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

void RunCopy(const TRuleTree& tree, bool join, const std::string& source, const std::string& folder,
             std::vector<std::string>& fileNames, TCopyServices& services) {
  if (!PrepareFileNames(tree, join, source, services.Encoding, fileNames, services.Messages, services.StillWorking)) {
    return;
  }
  if (CopyFiles(source, folder, fileNames, services)) services.Messages.ShowMessage(kCopyDoneMessage);
}
