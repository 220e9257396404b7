#include "copy/copy_journal.h"
#include "cli/commands.h"
#include "cli/journal_store.h"
#include "cli/platform.h"

int RunUndoCommand(const TCommandLine& line, TReporter& report) {
  std::string journalPath = line.Operand;
  std::string text;
  std::string problem;
  if (line.Last) {
    // A journal that cannot be read stops undo here, rather than let it pass to an older run.
    if (!LastRunToUndo(journalPath, problem)) {
      report.Say(problem);
      return kExitUsage;
    }
    report.Say("journal: " + journalPath);
  }
  if (!ReadJournalFile(journalPath, text, problem)) {
    report.Say(problem);
    return kExitUsage;
  }
  TJournal journal;
  if (!ReadJournal(text, kPathSeparator, journal, problem)) {
    report.Say(journalPath + ": " + problem + "; nothing was removed");
    return kExitUsage;
  }
  const std::unique_ptr<IFileRemover> remover = MakeFileRemover();
  // Paths are printed as the journal holds them, the platform's own bytes.
  TLineWriter out(stdout, TEncoding::ShiftJis);
  const auto path = [&](const std::string& name) { return journal.Folder + kPathSeparator + name; };
  std::string folderProblem;
  const bool allRemoved = UndoCopies(journal, *remover, line.DryRun, [&](const TUndoReport& result) {
    switch (result.Result) {
      case TUndoResult::Removed:
        out.Line((line.DryRun ? "would remove " : "removed ") + path(result.Name) +
                 (result.Reason.empty() ? "" : " (" + result.Reason + ")"));
        break;
      case TUndoResult::Absent:
        out.Line("absent " + path(result.Name));
        break;
      case TUndoResult::Kept:
        out.Line("kept " + path(result.Name) + ": " + result.Reason);
        break;
    }
  }, folderProblem);
  out.Flush();
  if (!folderProblem.empty()) report.Say(folderProblem);
  // Undone once every file was judged; a folder that is not the run's leaves the run to undo
  // when it is back, not to be passed over for an older one.
  if (!line.DryRun && folderProblem.empty()) {
    if (const std::string markProblem = MarkUndone(journalPath); !markProblem.empty()) {
      report.Say(markProblem);
      return kExitSomeLeft;
    }
  }
  return allRemoved ? kExitDone : kExitSomeLeft;
}
