#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "app/message_box_win32.h"

// Answers the main window's dialogs from scripts and records everything it was shown.
class TFakeDialogs : public IDialogs {
 public:
  void ShowMessage(const std::string& text) override {
    Messages.push_back(text);
    if (RealBoxes) TPlainMessage(Owner).ShowMessage(text);
  }
  int Ask(const std::string& text, const std::string& caption, unsigned flags) override {
    Prompts.push_back(text);
    PromptBoxes.push_back({caption, flags});
    int answer = IDYES;
    if (RealBoxes) {
      answer = TCopyPrompt(Owner).Ask(text, caption, flags);
    } else if (!Answers.empty()) {
      answer = Answers.front();
      Answers.pop_front();
    }
    if (Answered) Answered(answer);
    return answer;
  }
  bool OpenFile(const std::string& initialDir, std::string& fileName) override {
    OpenFileStarts.push_back(initialDir);
    return Next(Files, fileName);
  }
  bool ChooseFolder(std::string& folder) override { return Next(Folders, folder); }
  void ShowError(const std::string& text) override { Errors.push_back(text); }
  void ShowPreview(const std::vector<std::string>& names) override { Previews.push_back(names); }

  // Messages and prompts in the program's real boxes, which a test answers with a
  // TMessageBoxWatcher; otherwise each prompt takes the next of Answers, or "はい" at once.
  bool RealBoxes = false;
  std::deque<int> Answers;
  // The window the real boxes stand over; none: they disable every window of the thread.
  HWND Owner = nullptr;
  // Called with each prompt's answer as the prompt returns.
  std::function<void(int answer)> Answered;

  // The next answer of each picker; nullopt stands for Cancel.
  std::deque<std::optional<std::string>> Files, Folders;

  std::vector<std::string> Messages, Prompts, Errors, OpenFileStarts;
  std::vector<std::pair<std::string, unsigned>> PromptBoxes;  // each prompt's caption and buttons
  std::vector<std::vector<std::string>> Previews;

 private:
  static bool Next(std::deque<std::optional<std::string>>& answers, std::string& result) {
    if (answers.empty()) return false;
    const std::optional<std::string> answer = answers.front();
    answers.pop_front();
    if (answer) result = *answer;
    return answer.has_value();
  }
};
