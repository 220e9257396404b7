#include <cstdio>
#include <iostream>
#include <stdexcept>

#include "copy/journal_writer.h"
#include "cli/commands.h"
#include "cli/copy_report.h"
#include "cli/copy_target.h"
#include "cli/json.h"
#include "cli/journal_store.h"
#include "cli/platform.h"
#include "cli/progress.h"
#include "cli/rule_input.h"

namespace {

// What the user and the scripts see of a run: a line or a JSON object for each name as it is
// done, the question for a name not copied, and the tally for the last line.
class TCommandFront : public ICopyFront {
 public:
  TCommandFront(const TCommandLine& line, const std::vector<std::string>& names, TOnFailure mode, TProgress& progress,
                TLineWriter& out, TReporter& report)
      : line_(line), names_(names), mode_(mode), progress_(progress), out_(out), report_(report),
        form_{report.Encoding(), kPathSeparator} {
    Tally.Names = names.size();
  }

  TTally Tally;

  void NameDone(std::size_t index, const TCopyOutcome& outcome) override {
    progress_.Update(index + 1);
    // Counted before its line is written: a line that cannot be written stops the run, whose last
    // line then counts this name as done.
    Tally.Done = index + 1;
    ++(outcome.Result == TCopyResult::Copied ? Tally.Copied : Tally.NotCopied);
    const std::string& name = names_[index];
    const TEncoding encoding = form_.Encoding;
    if (line_.Json) {
      // The path on disk: the name as the system holds it (on Linux its bytes, whatever the run's
      // text), as UTF-8.
      const std::string shown = WithSeparators(name, kPathSeparator, encoding);
      std::string system;
      std::string problem;
      const std::string path = PathUtf8(*line_.Into) + kPathSeparator +
                               (SystemName(shown, encoding, system, problem) ? PathUtf8(system) : Utf8Of(shown, encoding));
      out_.Line(NameJson(Utf8Of(name, encoding), path, outcome, line_.DryRun));
    } else if (line_.DryRun) {
      if (outcome.Result == TCopyResult::Copied) {
        out_.Line("would copy: " + name);
      } else if (outcome.Result == TCopyResult::Exists) {
        out_.Line("exists: " + name);
      } else {
        out_.Line("refused: " + name + ": " + ProgramWords(outcome.Reason, encoding));
      }
    }
    if (outcome.Result == TCopyResult::Copied || line_.DryRun) return;
    // Asked about it, the user sees it in the question; otherwise each name that is not copied
    // is listed.
    if (mode_ == TOnFailure::Ask) return;
    progress_.Clear();
    report_.Say(Failure(index, outcome));
  }

  TFailureAnswer NotCopied(std::size_t index, const TCopyOutcome& outcome) override {
    if (mode_ == TOnFailure::Skip) return TFailureAnswer::Skip;
    if (mode_ == TOnFailure::Stop) return TFailureAnswer::Stop;
    progress_.Clear();
    report_.Ask(Failure(index, outcome) + ProgramWords(kContinueQuestion + kAnswers, form_.Encoding));
    // The time the user takes to answer is not the copy's: rate and time left leave it out.
    const TProgress::TClock::time_point asked = TProgress::TClock::now();
    std::string answer;
    const bool answered = static_cast<bool>(std::getline(std::cin, answer));
    progress_.LeaveOut(TProgress::TClock::now() - asked);
    // An answer from a file or a pipe is not echoed: end the question's line as a terminal would.
    if (!IsTerminal(0)) std::fputc('\n', stderr);
    // No answer (the end of the input) stops: going on unasked could make what the user refused.
    if (!answered) return TFailureAnswer::Stop;
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    if (answer == "a" || answer == "A" || answer == "all") {
      mode_ = TOnFailure::Skip;  // every later name that cannot be copied is skipped and listed
      return TFailureAnswer::Skip;
    }
    return answer == "y" || answer == "Y" || answer == "yes" ? TFailureAnswer::Skip : TFailureAnswer::Stop;
  }

  bool StopRequested() override { return false; }

 private:
  // What went wrong with the name, in the run's text: the path it is about, as the user gave the
  // folder or the source, and the program's words.
  std::string Failure(std::size_t index, const TCopyOutcome& outcome) const {
    const std::string path = IsAboutSource(outcome)
                                 ? PathText(*line_.Source, form_.Encoding)
                                 : ShownDestination(PathText(*line_.Into, form_.Encoding), names_[index], form_);
    return path + ProgramWords(FailureWords(outcome), form_.Encoding);
  }

  static constexpr char kAnswers[] = "\n[y: はい / n: いいえ / a: 以降すべてはい] ";

  const TCommandLine& line_;
  const std::vector<std::string>& names_;
  TOnFailure mode_;
  TProgress& progress_;
  TLineWriter& out_;
  TReporter& report_;
  TNameForm form_;
};

// Nothing is touched before this: the rules read and valid, the source readable, the folder
// there, the names made.
bool CheckInputs(const TCommandLine& line, TRuleTree& tree, TReporter& report) {
  if (!ReadRules(line.Operand, line.Encoding, tree, report)) return false;
  if (const std::string sourceProblem = SourceProblem(*line.Source); !sourceProblem.empty()) {
    report.Say(PathText("cannot copy from " + *line.Source + ": " + sourceProblem, report.Encoding()));
    return false;
  }
  if (const std::string folderProblem = FolderProblem(*line.Into); !folderProblem.empty()) {
    report.Say(PathText("cannot copy into " + *line.Into + ": " + folderProblem, report.Encoding()));
    return false;
  }
  return true;
}

}  // namespace

int RunCopyCommand(const TCommandLine& line, TReporter& report) {
  const TEncoding encoding = report.Encoding();
  const auto shown = [&](const std::string& text) { return PathText(text, encoding); };
  TRuleTree tree;
  if (!CheckInputs(line, tree, report)) return kExitUsage;
  std::vector<std::string> names;
  if (!PrepareFileNames(tree, line.Join, shown(*line.Source), encoding, names, report)) return kExitUsage;

  // The journal names every file by a path from the root, so undo works from anywhere.
  std::string problem;
  const std::string folder = AbsolutePath(*line.Into, problem);
  const std::string source = AbsolutePath(*line.Source, problem);
  if (folder.empty() || source.empty()) {
    report.Say(shown("cannot find the full path of " + (folder.empty() ? *line.Into : *line.Source) + ": " + problem));
    return kExitUsage;
  }
  // The journal is started before any copy, or nothing is copied and no journal is left.
  std::string journalPath;
  std::unique_ptr<TCommandTarget> target;
  try {
    if (line.DryRun) {
      target = std::make_unique<TCommandTarget>(folder, encoding);
    } else {
      target = std::make_unique<TCommandTarget>(source, folder, encoding,
                                                line.NoJournal ? nullptr : OpenRunJournal(line.Journal, journalPath));
    }
  } catch (const std::runtime_error& e) {
    report.Say(shown(e.what()));
    return kExitUsage;
  }
  const std::string journalNote = target->Journaled() ? "; journal: " + shown(journalPath) : "";

  TOnFailure mode = line.OnFailure;
  if (mode == TOnFailure::Default) mode = IsTerminal(0) ? TOnFailure::Ask : TOnFailure::Stop;
  if (line.DryRun) mode = TOnFailure::Skip;
  TProgress progress(stderr, names.size(), !line.Quiet && !line.DryRun && IsTerminal(2));
  TLineWriter out(stdout, line.Json ? TEncoding::Utf8 : encoding);
  // Each name's line goes out as the name is done: output that cannot be written stops the run
  // there. A dry run, which touches nothing, writes in blocks.
  if (!line.DryRun) out.SetEachLineAtOnce();
  if (line.Null) out.SetLineEnd('\0');
  TCommandFront front(line, names, mode, progress, out, report);
  // The last line, also with --quiet: what became of the names, and where undo finds them; with
  // --json also the last object on standard output.
  const auto summarize = [&](TTally::TEnd end) {
    report.Say(front.Tally.Line(line.DryRun, end) + journalNote);
    if (!line.Json) return;
    out.Line(front.Tally.Json(line.DryRun, end, target->Journaled() ? PathUtf8(journalPath) : std::string()));
    out.Flush();
  };
  // The journal's last lines, on every way the run ends: without them the last copy keeps only
  // the proof of its "created" line. After a failure already told, a journal that cannot be
  // written is not told again.
  const auto endJournal = [&](bool tell) {
    try {
      target->EndJournal();
    } catch (const std::runtime_error& e) {
      if (tell) report.Say(shown(e.what()));  // the last copy is recorded all the same, only less closely
    }
  };
  bool finished = false;
  try {
    finished = CopyFiles(names, TNameForm{encoding, kPathSeparator}, *target, front, report);
  } catch (const TOutputClosed&) {
    // Stopped at once; the last line, with the journal for undo, where it can still be read.
    progress.Clear();
    endJournal(true);
    if (!line.DryRun) report.Say(front.Tally.Line(false, TTally::TEnd::StoppedByFailure) + journalNote);
    return kExitOutputClosed;
  } catch (const TOutputFailed& e) {
    progress.Clear();
    endJournal(true);
    report.Say(e.what());
    if (line.DryRun) return kExitUsage;  // which touched nothing
    report.Say(front.Tally.Line(false, TTally::TEnd::StoppedByFailure) + journalNote);
    return kExitStopped;
  } catch (const std::exception& e) {
    progress.Clear();
    endJournal(false);
    report.Say(shown(e.what()));
    report.ShowMessage(kCopyStoppedMessage);
    summarize(TTally::TEnd::StoppedByFailure);
    return kExitStopped;
  }
  progress.Clear();
  endJournal(true);
  out.Flush();
  if (finished && !line.DryRun) report.ShowMessage(kCopyDoneMessage);
  summarize(finished ? TTally::TEnd::Finished : TTally::TEnd::StoppedAtName);
  if (!finished) return kExitStopped;
  return front.Tally.NotCopied == 0 ? kExitDone : kExitSomeLeft;
}
