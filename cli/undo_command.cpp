#include "copy/copy_journal.h"
#include "cli/commands.h"
#include "cli/platform.h"

int RunUndoCommand(const TCommandLine& line, TReporter& report) {
  std::string text;
  std::string problem;
  if (!ReadJournalFile(line.Operand, text, problem)) {
    report.Say(problem);
    return kExitUsage;
  }
  TJournal journal;
  if (!ReadJournal(text, kPathSeparator, journal, problem)) {
    report.Say(line.Operand + ": " + problem + "; nothing was removed");
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
  return allRemoved ? kExitDone : kExitSomeLeft;
}
