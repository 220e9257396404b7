#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "copy/copy_run.h"
#include "tests/support/recording_messages.h"

// A front end that answers from a script (Skip once the script runs out) and records each question
// as the window words it: the path it is about, joined as the window joins it, and the program's
// words.
class TScriptedFront : public ICopyFront {
 public:
  struct TQuestion {
    std::string Text;
    std::size_t Index;
  };

  explicit TScriptedFront(std::vector<TFailureAnswer> answers = {}) : answers_(std::move(answers)) {}

  void NameDone(std::size_t index, const TCopyOutcome& outcome) override { Done.emplace_back(index, outcome.Result); }
  TFailureAnswer NotCopied(std::size_t index, const TCopyOutcome& outcome) override {
    const std::string destination = Names ? ShownDestination(Folder, (*Names)[index], Form) : std::string();
    Questions.push_back({FailurePrompt(Source, destination, outcome), index});
    if (OnQuestion) OnQuestion();
    return Questions.size() <= answers_.size() ? answers_[Questions.size() - 1] : TFailureAnswer::Skip;
  }
  bool StopRequested() override { return Stop; }
  void StillWorking() override {
    if (OnStillWorking) OnStillWorking();
  }

  // What the window would show the run with.
  std::string Source = "C:\\src\\a.txt";
  std::string Folder = "C:\\out";
  const std::vector<std::string>* Names = nullptr;
  TNameForm Form;

  std::vector<std::pair<std::size_t, TCopyResult>> Done;
  std::vector<TQuestion> Questions;
  bool Stop = false;
  std::function<void()> OnQuestion;
  std::function<void()> OnStillWorking;

 private:
  std::vector<TFailureAnswer> answers_;
};
