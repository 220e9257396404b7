#include "copy/copy_run.h"

#include "naming/generation.h"

const std::string kPromptCaption = "注意";
const std::string kCopyDoneMessage = "ファイルのコピーが完了しました";
const std::string kCopyStoppedMessage = "複製を中止しました";

namespace {

const std::string kExistsText = "はすでに存在します。";
const std::string kNotCreatedText = "を作成できませんでした。";
const std::string kContinueQuestion =
    "複製を続行しますか？(「はい」を選択した場合、現在のファイルをスキップして、次以降のファイルを複製します。"
    "「いいえ」を選択した場合は、複製を中止します。)";

}  // namespace

std::string FailurePrompt(const std::string& destination, const TCopyOutcome& outcome) {
  // Only a destination that exists is called so; any other failure says what the system said,
  // so a missing source or folder is not mistaken for a name that is taken.
  if (outcome.Result == TCopyResult::Exists) return destination + kExistsText + kContinueQuestion;
  return destination + kNotCreatedText + outcome.Reason + kContinueQuestion;
}

bool CopyFiles(const std::string& source, const std::string& folder, const std::vector<std::string>& names,
               TCopyServices& services) {
  const std::size_t count = names.size();
  std::string destination;
  for (std::size_t i = 0; i < count; ++i) {
    // Joined as text, nothing trimmed: a folder ending in "\" gives two separators in a row.
    destination.assign(folder).append("\\").append(names[i]);
    const TCopyOutcome outcome = services.Copier.Copy(source, destination);
    if (outcome.Result == TCopyResult::Copied) continue;
    if (services.Prompt.Ask(FailurePrompt(destination, outcome), kPromptCaption, kPromptYesNo) == kAnswerNo) {
      services.Messages.ShowMessage(kCopyStoppedMessage);
      return false;
    }
  }
  return true;
}

void RunCopy(const TRuleTree& tree, bool join, const std::string& source, const std::string& folder,
             std::vector<std::string>& fileNames, TCopyServices& services) {
  if (!CheckCopyInfo(tree, services.Messages)) return;
  fileNames = MakeFileNames(tree, join, source);
  if (CopyFiles(source, folder, fileNames, services)) services.Messages.ShowMessage(kCopyDoneMessage);
}
