#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "copy/copy_journal.h"

// The journals of runs kept in the user's state folder (StateFolder in cli/platform.h), one file a
// run, named by the instant the run began in UTC: "YYYYMMDD-HHMMSS-mmm.journal", with "-N" before
// ".journal" for the N-th other run begun in the same millisecond. UTC, so that the names sort in
// the order the runs began whatever the time zone or summer time does. A run undone has an empty
// file beside its journal, named as the journal with ".undone" for ".journal": undo makes it only
// once it has gone through the run's files, so a kill before leaves the run to be undone again,
// and undo never writes to the journal.

struct TStoredRun {
  std::string Path;       // of the journal
  std::string Stamp;      // "YYYYMMDD-HHMMSS-mmm", UTC
  unsigned Sequence = 0;  // N of "-N"
  bool Undone = false;
};

// The journal of a copy: `given` (--journal FILE), or else a new file in the state folder, which is
// made with the folders missing above it. Sets `path`. A file at the name is never opened. Throws
// std::runtime_error, with the reason, when the journal cannot be created.
std::unique_ptr<IJournalFile> OpenRunJournal(const std::optional<std::string>& given, std::string& path);

// The journal's name of the `sequence`-th run begun in the millisecond `millis` (since 1970, UTC).
std::string JournalName(std::int64_t millis, unsigned sequence);

// The runs among the names in the state folder `folder`, newest first; other names are not runs.
std::vector<TStoredRun> RunsAmong(const std::string& folder, const std::vector<std::string>& names);
// The runs in the state folder, newest first, and the folder. False with `problem` set when it
// cannot be found or read; a folder not made yet holds no runs.
bool StoredRuns(std::string& folder, std::vector<TStoredRun>& runs, std::string& problem);
// The journal of the newest run not yet undone; false with `problem` set when there is none.
bool LastRunToUndo(std::string& journal, std::string& problem);

// Marks the run of `journal` undone when the journal is one of the state folder's (no other is
// listed, and a mark beside it would be a file in the user's own folder). Empty, or why the mark
// could not be made.
std::string MarkUndone(const std::string& journal);

// When the run began, in local time with its offset from UTC: "2026-12-08T20:05:12.123+09:00".
std::string LocalTimeOf(const TStoredRun& run);
