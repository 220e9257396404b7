#include "copy/undo.h"
#include "copy/journal_reader.h"
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

using TCounts = std::size_t[3];  // by TUndoResult

// What an undo whose output was lost had done, where it can still be read: the file whose line
// could not be written is counted.
void Stopped(const TCommandLine& line, const TRunToUndo& run, const TCounts& counts, const std::string& why,
             TReporter& report) {
  const auto count = [&](TUndoResult result) { return std::to_string(counts[static_cast<int>(result)]); };
  std::string done = "nothing removed";
  if (!line.DryRun) {
    done = count(TUndoResult::Removed) + " removed, " + count(TUndoResult::Absent) + " absent, " +
           count(TUndoResult::Kept) + " kept" + (run.State ? "; the run is not marked undone" : "");
  }
  report.Say("undo stopped, " + why + ": " + done + "; journal: " + PathText(run.Path, report.Encoding()));
}

}  // namespace

int RunUndoCommand(const TCommandLine& line, TReporter& report) {
  TRunToUndo run;
  std::string problem;
  if (!HoldRunToUndo(line.Last ? std::nullopt : std::optional<std::string>(line.Operand), run, problem)) {
    report.Say(PathText(problem, report.Encoding()));
    return kExitUsage;
  }
  if (line.Last) report.Say("journal: " + PathText(run.Path, report.Encoding()));
  std::string text;
  TJournal journal;
  if (!ReadWholeJournal(*run.Journal, text, problem)) {
    report.Say(PathText(problem, report.Encoding()));
    return kExitUsage;
  }
  if (!ReadJournal(text, PlatformNames(), journal, problem)) {
    report.Say(PathText(run.Path + ": " + problem + "; nothing was removed", report.Encoding()));
    return kExitUsage;
  }
  const std::unique_ptr<IFileRemover> remover = MakeFileRemover();
  // Paths are printed as the journal holds them, the platform's own bytes, shown in the run's text;
  // in JSON as UTF-8. Reasons are the program's words. Each line goes out as its file is done, so
  // that output that cannot be written stops the undo there; a dry run, which touches nothing,
  // writes in blocks.
  const TEncoding encoding = report.Encoding();
  TLineWriter out(stdout, line.Json ? TEncoding::Utf8 : encoding);
  if (!line.DryRun) out.SetEachLineAtOnce();
  if (line.Null) out.SetLineEnd('\0');
  const auto fullPath = [&](const std::string& name) { return journal.Folder + kPathSeparator + name; };
  const auto path = [&](const std::string& name) { return PathText(fullPath(name), encoding); };
  const auto words = [&](const std::string& text) { return ProgramWords(text, encoding); };
  TCounts counts = {};
  std::string folderProblem;
  bool allRemoved = false;
  try {
    allRemoved = UndoCopies(journal, *remover, line.DryRun, [&](const TUndoReport& result) {
      ++counts[static_cast<int>(result.Result)];
      if (line.Json) {
        TJsonObject object;
        object.Text("path", PathUtf8(fullPath(result.Name))).Text("result", ResultName(result.Result, line.DryRun));
        if (!result.Reason.empty()) object.Text("reason", Utf8Of(result.Reason, TEncoding::ShiftJis));
        out.Line(object.Str());
        return;
      }
      switch (result.Result) {
        case TUndoResult::Removed:
          out.Line((line.DryRun ? "would remove " : "removed ") + path(result.Name) +
                   (result.Reason.empty() ? "" : " (" + words(result.Reason) + ")"));
          break;
        case TUndoResult::Absent:
          out.Line("absent " + path(result.Name));
          break;
        case TUndoResult::Kept:
          out.Line("kept " + path(result.Name) + ": " + words(result.Reason));
          break;
      }
    }, folderProblem);
    if (line.Json) {
      TJsonObject summary;
      summary.Flag("dry_run", line.DryRun).Number("removed", counts[static_cast<int>(TUndoResult::Removed)]);
      summary.Number("absent", counts[static_cast<int>(TUndoResult::Absent)]);
      summary.Number("kept", counts[static_cast<int>(TUndoResult::Kept)]).Text("journal", PathUtf8(run.Path));
      if (!folderProblem.empty()) summary.Text("problem", PathUtf8(folderProblem));
      out.Line(TJsonObject().Object("summary", summary).Str());
    }
    out.Flush();
  } catch (const TOutputClosed&) {
    Stopped(line, run, counts, "standard output closed", report);
    return kExitOutputClosed;
  } catch (const TOutputFailed& e) {
    report.Say(e.what());
    Stopped(line, run, counts, "its output could not be written", report);
    return line.DryRun ? kExitUsage : kExitStopped;
  }
  if (!folderProblem.empty()) report.Say(PathText(folderProblem, encoding));
  // Undone once every file was judged; a folder that is not the run's leaves the run to undo
  // when it is back, not to be passed over for an older one.
  if (!line.DryRun && folderProblem.empty()) {
    if (const std::string markProblem = MarkUndone(run); !markProblem.empty()) {
      report.Say(PathText(markProblem, encoding));
      return kExitSomeLeft;
    }
  }
  return allRemoved ? kExitDone : kExitSomeLeft;
}
