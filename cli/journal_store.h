#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "copy/journal_writer.h"
#include "copy/journal_summary.h"
#include "cli/platform.h"

// The journals of runs kept in the user's state folder (IStateFolder in cli/platform.h), one file
// a run, named by the run's number and the instant it began in UTC:
// "NNNNNN-YYYYMMDD-HHMMSS-mmm.journal". The number is one more than any other in the folder,
// chosen while the run holds the folder alone, so the runs' order is the order they began
// whatever the clock did meanwhile (stepped back, or another zone); the time is only shown.
// Journals named before runs were numbered ("YYYYMMDD-HHMMSS-mmm.journal", "-N" before
// ".journal" for the N-th other run of the same millisecond) still count as runs, older than
// every numbered one and in the order of their times among themselves.
//
// A run undone has an empty file beside its journal, named as the journal with ".undone" for
// ".journal": undo makes it only once it has gone through the run's files, so a kill before
// leaves the run to be undone again, and undo never writes to the journal. The folder, each
// journal and each mark are trusted only when they are the user's own and no one else may write
// them; otherwise undo and the listing refuse, and say why.

struct TStoredRun {
  std::string Name;             // of the journal, in the state folder
  std::string Path;             // of the journal
  std::string Stamp;            // "YYYYMMDD-HHMMSS-mmm", UTC
  std::uint64_t Number = 0;     // 0 for a journal named before runs were numbered
  unsigned SameInstant = 0;     // N of such a journal's "-N"
  bool Marked = false;          // something is at the name of its mark
  std::string MarkName;
};

// The journal's name of the run numbered `number`, begun at `millis` (since 1970, UTC).
std::string JournalName(std::uint64_t number, std::int64_t millis);
// The runs among the names in the state folder `folder`, newest first; other names are not runs.
std::vector<TStoredRun> RunsAmong(const std::string& folder, const std::vector<std::string>& names);
// The number of the next run among the names: one more than that of any journal or mark.
std::uint64_t NextRunNumber(const std::vector<std::string>& names);

// The journal of a copy: `given` (--journal FILE), or else a new file in the state folder, which
// is made with the folders missing above it. Sets `path`. A file at the name is never opened; the
// run holds the journal until it is destroyed. Throws std::runtime_error, with the reason, when
// the journal cannot be created or the state folder is not to be trusted.
std::unique_ptr<IJournalFile> OpenRunJournal(const std::optional<std::string>& given, std::string& path);

// The run an undo works on, held for it from HoldRunToUndo on until this is destroyed.
struct TRunToUndo {
  std::string Path;                        // of the journal
  std::unique_ptr<IJournalOnDisk> Journal;
  std::unique_ptr<IStateFolder> State;     // when the run is one of the state folder's
  std::string MarkName;                    // its mark's, in State
};
// Finds the journal (`given`, or else the newest run of the state folder not yet undone) and holds
// it for this undo. False with `problem` set, having removed nothing, when there is none, it
// cannot be read or trusted, another undo holds it or its run is still copying; or when the run is
// the state folder's and the folder or a mark it would pass over is not to be trusted.
bool HoldRunToUndo(const std::optional<std::string>& given, TRunToUndo& run, std::string& problem);
// Marks a run of the state folder undone (nothing for another). Empty, or why it could not be.
std::string MarkUndone(TRunToUndo& run);

// One run as a listing shows it.
struct TListedRun {
  TStoredRun Run;
  enum TState { NotUndone, Running, Undone, Unreadable } State = NotUndone;
  TJournalSummary Summary;
  std::string Problem;  // why it is Unreadable
};
// The runs of the state folder, newest first, each read: false with `problem` set when the folder
// cannot be found, read or trusted; a folder not made yet holds no runs. `listed` is called once
// a run, in order.
bool ListRuns(std::string& folder, const std::function<void(const TListedRun&)>& listed, std::string& problem);

// When the run began, in local time with its offset from UTC: "2026-12-08T20:05:12.123+09:00".
std::string LocalTimeOf(const TStoredRun& run);
