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

// By TListedRun::TState.
constexpr const char* kStateNames[] = {"-", "running", "undone", "unreadable"};

}  // namespace

int RunHistoryCommand(TReporter& report) {
  const TEncoding encoding = report.Encoding();
  TLineWriter out(stdout, encoding);
  const auto field = [&](const std::string& path) { return Field(PathText(path, encoding)); };
  bool allRead = true;
  std::string folder;
  std::string problem;
  const bool listed = ListRuns(folder, [&](const TListedRun& run) {
    std::string line = LocalTimeOf(run.Run) + "\t" + kStateNames[run.State] + "\t";
    if (run.State == TListedRun::Unreadable) {
      // The journal or its mark says nothing that can be trusted: listed as such, and the reason given.
      out.Flush();
      report.Say(PathText(run.Problem, encoding));
      allRead = false;
      line += "?\t?";
    } else {
      line += std::to_string(run.Summary.Copies) + "\t" + (run.Summary.Folder.empty() ? "-" : field(run.Summary.Folder));
    }
    out.Line(line + "\t" + field(run.Run.Path));
  }, problem);
  out.Flush();
  if (!listed) {
    report.Say(PathText(problem, encoding));
    return kExitUsage;
  }
  return allRead ? kExitDone : kExitSomeLeft;
}
