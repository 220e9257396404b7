#pragma once

#include "cli/command_line.h"
#include "cli/output.h"


// Each command works in the reporter's encoding, the run's text.
int RunNamesCommand(const TCommandLine& line, TReporter& report);
int RunCopyCommand(const TCommandLine& line, TReporter& report);
int RunUndoCommand(const TCommandLine& line, TReporter& report);
int RunHistoryCommand(TReporter& report);
