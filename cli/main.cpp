#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "tandelo_version.h"
#include "cli/commands.h"
#include "cli/platform.h"
#include "cli/rule_file.h"

namespace {

// The last thing the command says, on its way out: where even standard error fails, nothing more
// can be said.
void SayLast(TReporter& report, const std::string& text) {
  try {
    report.Say(text);
  } catch (...) {
  }
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Names are bytes: no CR added before each LF, and a rule file on standard input is read whole.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  PrepareStandardStreams();
  TCommandLine line;
  std::string problem;
  const bool usable = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), line, problem);
  const TEncoding encoding = line.Encoding.value_or(DefaultEncoding());
  TReporter report(encoding);
  try {
    if (!usable) {
      report.Say(problem + " (tandelo-cli --help shows the usage)");
      return kExitUsage;
    }
    if (line.Help || line.Version || line.Command == TCommand::Help) {
      // The version as the build wrote it, from project(VERSION); help's one topic, the rule file.
      const std::string text = line.Help      ? kUsage
                               : line.Version ? std::string("tandelo-cli " TANDELO_VERSION_TEXT "\n")
                                              : RuleFileFormat();
      TLineWriter(stdout, encoding).Now(text);
      return kExitDone;
    }
    switch (line.Command) {
      case TCommand::Names:
        return RunNamesCommand(line, report);
      case TCommand::Copy:
        return RunCopyCommand(line, report);
      case TCommand::Undo:
        return RunUndoCommand(line, report);
      case TCommand::History:
        return RunHistoryCommand(report);
      case TCommand::Help:
      case TCommand::None:
        break;
    }
  } catch (const TOutputClosed&) {
    return kExitOutputClosed;
  } catch (const std::bad_alloc&) {
    SayLast(report, "out of memory");
  } catch (const std::exception& e) {
    SayLast(report, PathText(e.what(), encoding));
  }
  // A copy or an undo was under way, and was stopped; a command that touches nothing failed as
  // one that could not start.
  return (line.Command == TCommand::Copy || line.Command == TCommand::Undo) && !line.DryRun ? kExitStopped
                                                                                            : kExitUsage;
}
