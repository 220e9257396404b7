#include "copy/copy_run.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/rule_input.h"

TEncoding FileNameEncoding(TEncoding encoding) {
  return PlatformEncoding() == TEncoding::ShiftJis ? TEncoding::ShiftJis : encoding;
}

std::string EnginePath(const std::string& path, TEncoding encoding) {
  return FileNameEncoding(encoding) == TEncoding::Utf8 ? Utf8ToShiftJisShown(path) : path;
}

int RunNamesCommand(const TCommandLine& line, TEncoding encoding, TReporter& report) {
  TRuleTree tree;
  if (!ReadRules(line.Operand, line.Encoding, tree, report)) return kExitUsage;
  std::vector<std::string> names;
  if (!PrepareFileNames(tree, line.Join, EnginePath(line.Source.value_or(""), encoding), TEncoding::ShiftJis, names,
                        report)) {
    return kExitUsage;
  }
  TLineWriter out(stdout, line.Json ? kAsItIs : encoding);
  if (line.Null) out.SetLineEnd('\0');
  for (const std::string& name : names) {
    out.Line(line.Json ? TJsonObject().Text("name", Utf8Of(name, TEncoding::ShiftJis)).Str() : name);
  }
  out.Flush();
  return kExitDone;
}
