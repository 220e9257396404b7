#pragma once

#include <cstddef>
#include <string>

#include "copy/copy_run.h"

// What became of the names of a run, for the line that ends it (and its JSON object).
struct TTally {
  enum class TEnd { Finished, StoppedAtName, StoppedByFailure };

  std::size_t Names = 0;
  std::size_t Copied = 0;
  std::size_t NotCopied = 0;  // each asked about, skipped or refused; the last one may have stopped the run
  std::size_t Done = 0;       // names the run came to, in order

  // "100 names: 5 copied, 2 skipped, 1 not copied and the run stopped there, 92 not tried".
  std::string Line(bool dryRun, TEnd end) const;
  // The same as {"summary":{...}}; `journal` (UTF-8) is left out when empty.
  std::string Json(bool dryRun, TEnd end, const std::string& journal) const;

 private:
  // The name the answer "no" (or --on-failure stop) came at was not skipped: it ended the run.
  bool StoppedAt(TEnd end) const { return end == TEnd::StoppedAtName && NotCopied > 0; }
};

// One name of a copy or a dry run as a JSON object: the name and its path (both UTF-8), what became
// of it (copied, would-copy, exists, refused, source-unreadable) and why.
std::string NameJson(const std::string& name, const std::string& path, const TCopyOutcome& outcome, bool dryRun);
