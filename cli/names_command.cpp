#include "copy/copy_run.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/rule_input.h"

int RunNamesCommand(const TCommandLine& line, TReporter& report) {
  const TEncoding encoding = report.Encoding();
  TRuleTree tree;
  if (!ReadRules(line.Operand, line.Encoding, tree, report)) return kExitUsage;
  std::vector<std::string> names;
  if (!PrepareFileNames(tree, line.Join, PathText(line.Source.value_or(""), encoding), encoding, names, report)) {
    return kExitUsage;
  }
  TLineWriter out(stdout, line.Json ? TEncoding::Utf8 : encoding);
  if (line.Null) out.SetLineEnd('\0');
  for (const std::string& name : names) {
    out.Line(line.Json ? TJsonObject().Text("name", Utf8Of(name, encoding)).Str() : name);
  }
  out.Flush();
  return kExitDone;
}
