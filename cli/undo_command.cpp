#include "copy/copy_journal.h"
#include "copy/journal_summary.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/journal_store.h"
#include "cli/platform.h"

namespace {

const char* ResultName(TUndoResult result, bool dryRun) {
  switch (result) {
    case TUndoResult::Removed:
      return dryRun ? "would-remove" : "removed";
    case TUndoResult::Absent:
      return "absent";
    case TUndoResult::Kept:
      break;
  }
  return "kept";
}

}  // namespace

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
  if (!ReadWholeJournal(OpenJournalFile(journalPath, problem), text, problem)) {
    report.Say(problem);
    return kExitUsage;
  }
  TJournal journal;
  if (!ReadJournal(text, kPathSeparator, journal, problem)) {
    report.Say(journalPath + ": " + problem + "; nothing was removed");
    return kExitUsage;
  }
  const std::unique_ptr<IFileRemover> remover = MakeFileRemover();
  // Paths are printed as the journal holds them, the platform's own bytes; in JSON as UTF-8.
  TLineWriter out(stdout, kAsItIs);
  if (line.Null) out.SetLineEnd('\0');
  const auto path = [&](const std::string& name) { return journal.Folder + kPathSeparator + name; };
  const auto utf8 = [](const std::string& text) { return Utf8Of(text, PlatformEncoding()); };
  std::size_t counts[3] = {};  // by TUndoResult
  std::string folderProblem;
  const bool allRemoved = UndoCopies(journal, *remover, line.DryRun, [&](const TUndoReport& result) {
    ++counts[static_cast<int>(result.Result)];
    if (line.Json) {
      TJsonObject object;
      object.Text("path", utf8(path(result.Name))).Text("result", ResultName(result.Result, line.DryRun));
      if (!result.Reason.empty()) object.Text("reason", utf8(result.Reason));
      out.Line(object.Str());
      return;
    }
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
  if (line.Json) {
    TJsonObject summary;
    summary.Flag("dry_run", line.DryRun).Number("removed", counts[static_cast<int>(TUndoResult::Removed)]);
    summary.Number("absent", counts[static_cast<int>(TUndoResult::Absent)]);
    summary.Number("kept", counts[static_cast<int>(TUndoResult::Kept)]).Text("journal", utf8(journalPath));
    if (!folderProblem.empty()) summary.Text("problem", utf8(folderProblem));
    out.Line(TJsonObject().Object("summary", summary).Str());
  }
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
