#include <stdexcept>

#include "copy/journal_summary.h"
#include "cli/commands.h"
#include "cli/journal_store.h"
#include "cli/platform.h"
#include "naming/text_codes.h"

namespace {

// A path as one field of a line: control characters and "%" as %HH, so that no path breaks the
// line or its tabs and every path can be read back.
std::string Field(const std::string& path) {
  return PercentEscaped(path, [](unsigned char byte) { return byte < 0x20 || byte == 0x7F || byte == '%'; });
}

}  // namespace

int RunHistoryCommand(TReporter& report) {
  std::string folder;
  std::vector<TStoredRun> runs;
  std::string problem;
  if (!StoredRuns(folder, runs, problem)) {
    report.Say(problem);
    return kExitUsage;
  }
  // Paths are printed as the system gave them, the platform's own bytes.
  TLineWriter out(stdout, TEncoding::ShiftJis);
  bool allRead = true;
  for (const TStoredRun& run : runs) {
    problem.clear();
    TJournalSummary summary;
    bool read = false;
    try {
      // Opening words its problem with the path; reading does not.
      const std::unique_ptr<IJournalReader> journal = OpenJournalFile(run.Path, problem);
      if (journal && !SummarizeJournal(*journal, kPathSeparator, summary, problem)) problem = run.Path + ": " + problem;
      read = journal && problem.empty();
    } catch (const std::runtime_error& e) {
      problem = e.what();
    }
    std::string line = LocalTimeOf(run) + "\t";
    if (read) {
      line += std::string(run.Undone ? "undone" : "-") + "\t" + std::to_string(summary.Copies) + "\t" +
              (summary.Folder.empty() ? "-" : Field(summary.Folder));
    } else {
      // The journal says nothing that can be trusted: listed as such, and the reason given.
      out.Flush();
      report.Say(problem);
      allRead = false;
      line += "unreadable\t?\t?";
    }
    out.Line(line + "\t" + Field(run.Path));
  }
  out.Flush();
  return allRead ? kExitDone : kExitSomeLeft;
}
