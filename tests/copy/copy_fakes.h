#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "copy/copy_run.h"
#include "tests/support/recording_messages.h"

// Answers prompts from a script (Yes once the script runs out) and records every question.
class TScriptedPrompt : public ICopyPrompt {
 public:
  struct TQuestion {
    std::string Text;
    std::string Caption;
    unsigned Flags;
  };

  explicit TScriptedPrompt(std::vector<int> answers = {}) : answers_(std::move(answers)) {}

  int Ask(const std::string& text, const std::string& caption, unsigned flags) override {
    Questions.push_back({text, caption, flags});
    return Questions.size() <= answers_.size() ? answers_[Questions.size() - 1] : kAnswerYes;
  }

  std::vector<TQuestion> Questions;

 private:
  std::vector<int> answers_;
};
