#include "cli/man_page.h"

#include <algorithm>

#include "cli/command_line.h"
#include "cli/rule_file.h"

namespace {

// One line of text as roff prints it: a backslash, a hyphen and a quote as typed (a plain hyphen
// may print as a dash and a plain quote as a curly one, which a reader cannot paste into a shell),
// and a leading dot kept as text rather than read as a request.
std::string Roff(std::string_view text) {
  std::string line;
  for (const char c : text) {
    if (c == '\\') {
      line += "\\e";
    } else if (c == '-') {
      line += "\\-";
    } else if (c == '\'') {
      line += "\\(aq";
    } else {
      line += c;
    }
  }
  return !line.empty() && line[0] == '.' ? "\\&" + line : line;
}

std::string Bold(std::string_view text) { return "\\fB" + Roff(text) + "\\fR"; }
std::string Italic(std::string_view text) { return "\\fI" + Roff(text) + "\\fR"; }

// Help text whose "\n" marks where --help breaks it: one line, for roff to fill.
std::string Filled(std::string_view help) {
  std::string text(help);
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return Roff(text);
}

std::string Tagged(const std::string& tag, std::string_view help) { return ".TP\n" + tag + "\n" + Filled(help) + "\n"; }

std::string SynopsisWord(const TSynopsisWord& word) {
  std::string text = word.Name.empty() ? "" : Bold(word.Name);
  // An unbreakable space: an option and its value stay on one line.
  if (!text.empty() && (!word.Choices.empty() || !word.Placeholder.empty())) text += "\\ ";
  for (std::size_t i = 0; i < word.Choices.size(); ++i) text += (i > 0 ? "|" : "") + Bold(word.Choices[i]);
  if (!word.Placeholder.empty()) text += Italic(word.Placeholder);
  return word.Optional ? "[" + text + "]" : text;
}

// Each line of `text` as roff prints it, `indent` columns of each left out.
std::string Lines(std::string_view text, std::size_t indent = 0) {
  std::string roff;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    roff += Roff(text.substr(std::min(indent, end), end - std::min(indent, end))) + "\n";
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return roff;
}

// Paragraphs apart by blank lines; one whose lines start with two spaces is shown as it is.
std::string Paragraphs(std::string_view text) {
  std::string roff;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find("\n\n"), text.size());
    const std::string_view paragraph = text.substr(0, end);
    text.remove_prefix(std::min(end + 2, text.size()));
    if (paragraph.substr(0, 2) == "  ") {
      roff += ".PP\n.RS 4\n.nf\n" + Lines(paragraph, 2) + ".fi\n.RE\n";
    } else {
      roff += ".PP\n" + Lines(paragraph);
    }
  }
  return roff;
}

const char kDescription[] =
    "makes file names from the rules of a rule file and copies one file into a folder once under\n"
    "each name, never over an existing file. A copy can record a journal, from which undo later\n"
    "removes exactly the files that copy made and that nobody changed since. Every message\n"
    "starts with \"tandelo-cli:\".\n";

// Lines that start with two spaces run as they stand in a shell, one after the other, in a folder
// with report.txt: the install test runs them so.
const char kExamples[] =
    "Rule files to start from come with the command, in /usr/share/doc/tandelo-cli/examples/\n"
    "(share/doc/tandelo-cli/examples/ under the prefix of an install from source); the comments at\n"
    "the top of each say what names it makes. Take one that makes fifty numbered names:\n"
    "\n"
    "  cp /usr/share/doc/tandelo-cli/examples/rounds.rules .\n"
    "\n"
    "The names it makes for a source file, one a line:\n"
    "\n"
    "  tandelo-cli names --source report.txt rounds.rules\n"
    "\n"
    "A folder for the copies, and what a copy would do with each name, touching nothing:\n"
    "\n"
    "  mkdir out\n"
    "  tandelo-cli copy -n --source report.txt --into out rounds.rules\n"
    "\n"
    "The copy itself, which keeps a journal in the state folder (see FILES); then its undo, which\n"
    "removes the copies that are still as the copy made them and leaves every other file; then the\n"
    "list of runs, where that run now shows as undone:\n"
    "\n"
    "  tandelo-cli copy --source report.txt --into out rounds.rules\n"
    "  tandelo-cli undo --last\n"
    "  tandelo-cli history\n";

}  // namespace

std::string MakeManPage(std::string_view version) {
  std::string page = ".\\\" Made by the build from the tables of tandelo-cli's command line.\n";
  page += ".TH TANDELO\\-CLI 1 \"\" \"tandelo\\-cli " + Roff(version) + "\" \"User Commands\"\n";
  // Neither hyphenated nor stretched: each word as --help prints it, and searchable.
  page += ".nh\n.ad l\n";
  page += ".SH NAME\ntandelo\\-cli \\- copy a file under many names made from rules\n";
  page += ".SH SYNOPSIS\n";
  for (const TCommandRow& command : kCommands) {
    page += ".B tandelo\\-cli " + Roff(command.Name) + "\n";
    for (const TSynopsisWord& word : Synopsis(command)) page += SynopsisWord(word) + "\n";
    page += ".br\n";
  }
  page += ".B tandelo\\-cli\n";
  std::string alone;
  for (const TOption& option : kOptions) {
    if (option.Commands.empty()) alone += (alone.empty() ? "" : " | ") + Bold(option.Name);
  }
  page += alone + "\n";
  page += ".SH DESCRIPTION\n.B tandelo\\-cli\n";
  page += Lines(kDescription);
  for (const TCommandRow& command : kCommands) page += Tagged(Bold(command.Name), command.Help);
  page += ".SH \"RULE FILES\"\n" + Paragraphs(RuleFileFormat());
  page += ".SH OPTIONS\n";
  for (const TOption& option : kOptions) {
    std::string tag = option.Short ? Bold(std::string{'-', option.Short}) + ", " : "";
    tag += Bold(option.Name) + (option.Value.empty() ? "" : " " + Italic(option.Value));
    page += Tagged(tag, option.Help);
  }
  page += ".SH \"EXIT STATUS\"\n";
  for (const TExitGroup& group : ExitGroups()) {
    page += ".SS \"" + Roff(group.Commands) + "\"\n";
    for (const TExitStatus* status : group.Statuses) page += Tagged(Bold(std::to_string(status->Code)), status->Meaning);
  }
  page += ".SH FILES\n";
  for (const TFileRow& file : kFiles) page += Tagged(Roff(file.Path), file.Meaning);
  page += ".SH EXAMPLES\n" + Paragraphs(kExamples);
  return page;
}
