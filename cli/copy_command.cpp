#include <cstdio>
#include <iostream>
#include <set>
#include <stdexcept>

#include "copy/copy_journal.h"
#include "cli/commands.h"
#include "cli/copy_report.h"
#include "cli/json.h"
#include "cli/journal_store.h"
#include "cli/platform.h"
#include "cli/progress.h"
#include "cli/rule_input.h"

namespace {

// Between the engine and the platform: the run hands over names in Shift-JIS, the copier below
// gets the platform's source and names.
class TEdgeCopier : public IFileCopier {
 public:
  TEdgeCopier(IFileCopier& copier, std::string source, TEncoding fileNames)
      : copier_(copier), source_(std::move(source)), fileNames_(fileNames) {}

  TCopyOutcome Copy(const std::string&, const std::string& name) override {
    if (fileNames_ != TEncoding::Utf8) return copier_.Copy(source_, name);
    std::string converted;
    if (!ShiftJisToUtf8(name, converted)) return {TCopyResult::Failed, "名前をUTF-8のファイル名にできません。"};
    return copier_.Copy(source_, converted);
  }

 private:
  IFileCopier& copier_;
  std::string source_;
  TEncoding fileNames_;
};

// Says what a copy would do: what the copier meets at each name, and a name whose file an earlier
// name of the run would have made, known by where it lands, not by its spelling ("sub/x" and
// "link/x" through a link to sub; on Windows "a.txt", "A.TXT" and "a.txt.").
class TDryRunCopier : public IFileCopier {
 public:
  explicit TDryRunCopier(std::unique_ptr<ICopyLook> look) : look_(std::move(look)) {}
  TCopyOutcome Copy(const std::string&, const std::string& name) override {
    std::string landing;
    TCopyOutcome outcome = look_->Look(name, landing);
    if (outcome.Result == TCopyResult::Copied && !made_.insert(std::move(landing)).second) {
      outcome = {TCopyResult::Exists, {}};
    }
    return outcome;
  }

 private:
  std::unique_ptr<ICopyLook> look_;
  std::set<std::string> made_;
};

class TCommandPrompt : public ICopyPrompt {
 public:
  TCommandPrompt(TOnFailure mode, TEncoding encoding, TProgress& progress)
      : mode_(mode), encoding_(encoding), progress_(progress) {}

  // Skip once the user has answered "a".
  TOnFailure Mode() const { return mode_; }

  int Ask(const std::string& text, const std::string&, unsigned) override {
    if (mode_ == TOnFailure::Skip) return kAnswerYes;
    if (mode_ == TOnFailure::Stop) return kAnswerNo;
    progress_.Clear();
    const std::string question = Shown("tandelo-cli: " + text + "\n[y: はい / n: いいえ / a: 以降すべてはい] ", encoding_);
    std::fwrite(question.data(), 1, question.size(), stderr);
    std::fflush(stderr);
    // The time the user takes to answer is not the copy's: rate and time left leave it out.
    const TProgress::TClock::time_point asked = TProgress::TClock::now();
    std::string answer;
    const bool answered = static_cast<bool>(std::getline(std::cin, answer));
    progress_.LeaveOut(TProgress::TClock::now() - asked);
    // An answer from a file or a pipe is not echoed: end the question's line as a terminal would.
    if (!IsTerminal(0)) std::fputc('\n', stderr);
    // No answer (the end of the input) stops: going on unasked could make what the user refused.
    if (!answered) return kAnswerNo;
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    if (answer == "a" || answer == "A" || answer == "all") {
      mode_ = TOnFailure::Skip;  // every later name that cannot be copied is skipped and listed
      return kAnswerYes;
    }
    return answer == "y" || answer == "Y" || answer == "yes" ? kAnswerYes : kAnswerNo;
  }

 private:
  TOnFailure mode_;
  TEncoding encoding_;
  TProgress& progress_;
};

// Nothing is touched before this: the rules read and valid, the source readable, the folder
// there, the names made.
bool CheckInputs(const TCommandLine& line, TRuleTree& tree, TReporter& report) {
  if (!ReadRules(line.Operand, line.Encoding, tree, report)) return false;
  if (const std::string sourceProblem = SourceProblem(*line.Source); !sourceProblem.empty()) {
    report.Say("cannot copy from " + *line.Source + ": " + sourceProblem);
    return false;
  }
  if (const std::string folderProblem = FolderProblem(*line.Into); !folderProblem.empty()) {
    report.Say("cannot copy into " + *line.Into + ": " + folderProblem);
    return false;
  }
  return true;
}

}  // namespace

int RunCopyCommand(const TCommandLine& line, TEncoding encoding, TReporter& report) {
  TRuleTree tree;
  if (!CheckInputs(line, tree, report)) return kExitUsage;
  const std::string engineSource = EnginePath(*line.Source, encoding);
  const std::string engineFolder = EnginePath(*line.Into, encoding);
  std::vector<std::string> names;
  if (!PrepareFileNames(tree, line.Join, engineSource, TEncoding::ShiftJis, names, report)) return kExitUsage;

  // The journal names every file by a path from the root, so undo works from anywhere.
  std::string problem;
  const std::string folder = AbsolutePath(*line.Into, problem);
  const std::string source = AbsolutePath(*line.Source, problem);
  if (folder.empty() || source.empty()) {
    report.Say("cannot find the full path of " + (folder.empty() ? *line.Into : *line.Source) + ": " + problem);
    return kExitUsage;
  }
  // The journal is started before any copy, or nothing is copied and no journal is left.
  std::unique_ptr<IJournalFile> journalFile;
  std::string journalPath;
  std::unique_ptr<TCopyJournal> journal;
  std::unique_ptr<IFileCopier> platformCopier;
  try {
    if (!line.NoJournal && !line.DryRun) {
      TFileIdentity folderIdentity;
      if (!FolderIdentity(folder, folderIdentity, problem)) {
        report.Say("cannot copy into " + *line.Into + ": " + problem);
        return kExitUsage;
      }
      journalFile = OpenRunJournal(line.Journal, journalPath);
      journal = std::make_unique<TCopyJournal>(*journalFile, folder, folderIdentity, kPathSeparator);
    }
    platformCopier = line.DryRun ? std::make_unique<TDryRunCopier>(MakeCopyLook(folder))
                                 : MakeFileCopier(folder, journal.get());
  } catch (const std::runtime_error& e) {
    if (journal) journalFile->Discard();
    report.Say(e.what());
    return kExitUsage;
  }
  std::unique_ptr<TJournalingCopier> journaling;
  if (journal) journaling = std::make_unique<TJournalingCopier>(*platformCopier, *journal);
  IFileCopier& copier = journaling ? *journaling : *platformCopier;
  TEdgeCopier edge(copier, source, FileNameEncoding(encoding));
  const std::string journalNote = journal ? "; journal: " + journalPath : "";

  TOnFailure mode = line.OnFailure;
  if (mode == TOnFailure::Default) mode = IsTerminal(0) ? TOnFailure::Ask : TOnFailure::Stop;
  if (line.DryRun) mode = TOnFailure::Skip;
  TProgress progress(stderr, names.size(), !line.Quiet && !line.DryRun && IsTerminal(2));
  TCommandPrompt prompt(mode, encoding, progress);
  TLineWriter out(stdout, line.Json ? kAsItIs : encoding);
  // Each name's line goes out as the name is done: output that cannot be written stops the run
  // there. A dry run, which touches nothing, writes in blocks.
  if (!line.DryRun) out.SetEachLineAtOnce();
  if (line.Null) out.SetLineEnd('\0');
  TTally tally;
  tally.Names = names.size();
  TCopyServices services{edge, prompt, report};
  services.PathSeparator = kPathSeparator;
  services.NameDone = [&](std::size_t index, const TCopyOutcome& outcome) {
    progress.Update(index + 1);
    // Counted before its line is written: a line that cannot be written stops the run, whose last
    // line then counts this name as done.
    tally.Done = index + 1;
    ++(outcome.Result == TCopyResult::Copied ? tally.Copied : tally.NotCopied);
    if (line.Json) {
      out.Line(NameJson(names[index], ShownDestination(engineFolder, names[index], kPathSeparator, TEncoding::ShiftJis), outcome,
                        line.DryRun));
    } else if (line.DryRun) {
      const std::string& name = names[index];
      if (outcome.Result == TCopyResult::Copied) {
        out.Line("would copy: " + name);
      } else if (outcome.Result == TCopyResult::Exists) {
        out.Line("exists: " + name);
      } else {
        out.Line("refused: " + name + ": " + outcome.Reason);
      }
    }
    if (outcome.Result == TCopyResult::Copied || line.DryRun) return;
    // Asked about it, the user sees it in the question; otherwise each name that is not copied
    // is listed.
    if (prompt.Mode() == TOnFailure::Ask) return;
    progress.Clear();
    const std::string shown = ShownDestination(engineFolder, names[index], kPathSeparator, TEncoding::ShiftJis);
    report.ShowMessage(FailureText(engineSource, shown, outcome));
  };
  // The last line, also with --quiet: what became of the names, and where undo finds them; with
  // --json also the last object on standard output.
  const auto summarize = [&](TTally::TEnd end) {
    report.Say(tally.Line(line.DryRun, end) + journalNote);
    if (!line.Json) return;
    out.Line(tally.Json(line.DryRun, end, journal ? Utf8Of(journalPath, FileNameEncoding(encoding)) : std::string()));
    out.Flush();
  };
  // The journal's last lines, on every way the run ends: without them the last copy keeps only
  // the proof of its "created" line. After a failure already told, a journal that cannot be
  // written is not told again.
  const auto endJournal = [&](bool tell) {
    try {
      if (journal) journal->Flush();
    } catch (const std::runtime_error& e) {
      if (tell) report.Say(e.what());  // the last copy is recorded all the same, only less closely
    }
  };
  bool finished = false;
  try {
    finished = CopyFiles(engineSource, engineFolder, names, services);
  } catch (const TOutputClosed&) {
    // Stopped at once; the last line, with the journal for undo, where it can still be read.
    progress.Clear();
    endJournal(true);
    if (!line.DryRun) report.Say(tally.Line(false, TTally::TEnd::StoppedByFailure) + journalNote);
    return kOutputClosedStatus;
  } catch (const TOutputFailed& e) {
    progress.Clear();
    endJournal(true);
    report.Say(e.what());
    if (line.DryRun) return kExitUsage;  // which touched nothing
    report.Say(tally.Line(false, TTally::TEnd::StoppedByFailure) + journalNote);
    return kExitStopped;
  } catch (const std::exception& e) {
    progress.Clear();
    endJournal(false);
    report.Say(e.what());
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
  return tally.NotCopied == 0 ? kExitDone : kExitSomeLeft;
}
