#pragma once

#include "cli/command_line.h"
#include "cli/output.h"

constexpr int kExitDone = 0;
constexpr int kExitSomeLeft = 1;  // names skipped (copy), files kept (undo)
constexpr int kExitUsage = 2;     // a usage or rule-file error: nothing touched
constexpr int kExitStopped = 3;

// `encoding` is the one for rule files and printed text.
int RunNamesCommand(const TCommandLine& line, TEncoding encoding, TReporter& report);
int RunCopyCommand(const TCommandLine& line, TEncoding encoding, TReporter& report);
int RunUndoCommand(const TCommandLine& line, TReporter& report);
int RunHistoryCommand(TReporter& report);

// The encoding of file names and of the paths on the command line: the ANSI code page on Windows
// whatever the text's encoding, since the system's calls take it; the text's own on Linux.
TEncoding FileNameEncoding(TEncoding encoding);
// A path as the engine holds it (Shift-JIS), for the extension and for messages.
std::string EnginePath(const std::string& path, TEncoding encoding);
