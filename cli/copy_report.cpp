#include "cli/copy_report.h"

#include "cli/json.h"

std::string TTally::Line(bool dryRun, TEnd end) const {
  std::string text = std::to_string(Names) + (Names == 1 ? " name: " : " names: ");
  if (dryRun) return text + std::to_string(Copied) + " would be copied, " + std::to_string(NotCopied) + " would not";
  const bool at = StoppedAt(end);
  text += std::to_string(Copied) + " copied, " + std::to_string(NotCopied - (at ? 1 : 0)) + " skipped";
  if (end == TEnd::Finished) return text;
  if (at) text += ", 1 not copied and the run stopped there";
  return text + ", " + std::to_string(Names - Done) + " not tried";
}

std::string TTally::Json(bool dryRun, TEnd end, const std::string& journal) const {
  TJsonObject summary;
  summary.Flag("dry_run", dryRun).Number("names", Names).Number("copied", Copied);
  if (dryRun) {
    summary.Number("not_copied", NotCopied);
  } else {
    const bool at = StoppedAt(end);
    summary.Number("skipped", NotCopied - (at ? 1 : 0)).Flag("stopped", end != TEnd::Finished);
    summary.Flag("stopped_at_name", at).Number("not_tried", Names - Done);
  }
  if (!journal.empty()) summary.Text("journal", journal);
  return TJsonObject().Object("summary", summary).Str();
}

std::string NameJson(const std::string& name, const std::string& path, const TCopyOutcome& outcome, bool dryRun) {
  const char* result = "refused";
  switch (outcome.Result) {
    case TCopyResult::Copied:
      result = dryRun ? "would-copy" : "copied";
      break;
    case TCopyResult::Exists:
      result = "exists";
      break;
    case TCopyResult::SourceUnreadable:
      result = "source-unreadable";
      break;
    case TCopyResult::Failed:
      break;
  }
  TJsonObject object;
  object.Text("name", name).Text("path", path);
  object.Text("result", result);
  if (!outcome.Reason.empty()) object.Text("reason", Utf8Of(outcome.Reason, TEncoding::ShiftJis));
  return object.Str();
}
