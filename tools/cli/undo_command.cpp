#include "copy/copy_journal.h"
#include "tools/cli/commands.h"
#include "tools/cli/platform.h"
#include "tools/cli/rule_input.h"

int RunUndoCommand(const TCommandLine& line, TReporter& report) {
  std::string text;
  std::string problem;
  if (!ReadWholeFile(line.Operand, text, problem)) {
    report.Say(problem);
    return kExitUsage;
  }
  std::vector<TUndoItem> items;
  if (!ReadJournal(text, items, problem)) {
    report.Say(line.Operand + ": " + problem);
    return kExitUsage;
  }
  const std::unique_ptr<IFileRemover> remover = MakeFileRemover();
  // Paths are printed as the journal holds them, the platform's own bytes.
  TLineWriter out(stdout, TEncoding::ShiftJis);
  const bool allRemoved = UndoCopies(items, *remover, line.DryRun, [&](const TUndoReport& result) {
    switch (result.Result) {
      case TUndoResult::Removed:
        out.Line((line.DryRun ? "would remove " : "removed ") + result.Path +
                 (result.Reason.empty() ? "" : " (" + result.Reason + ")"));
        break;
      case TUndoResult::Absent:
        out.Line("absent " + result.Path);
        break;
      case TUndoResult::Kept:
        out.Line("kept " + result.Path + ": " + result.Reason);
        break;
    }
  });
  out.Flush();
  return allRemoved ? kExitDone : kExitSomeLeft;
}
