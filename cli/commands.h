#pragma once

#include "cli/command_line.h"
#include "cli/output.h"

constexpr int kExitDone = 0;
constexpr int kExitSomeLeft = 1;  // names skipped (copy), files kept (undo)
constexpr int kExitUsage = 2;     // a usage or rule-file error: nothing touched
constexpr int kExitStopped = 3;

// Each command works in the reporter's encoding, the run's text.
int RunNamesCommand(const TCommandLine& line, TReporter& report);
int RunCopyCommand(const TCommandLine& line, TReporter& report);
int RunUndoCommand(const TCommandLine& line, TReporter& report);
int RunHistoryCommand(TReporter& report);
