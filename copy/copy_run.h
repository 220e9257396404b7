#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "naming/generation.h"
#include "naming/rule_tree.h"
#include "naming/validation.h"

// What one file copy did. A copy never replaces a file: a destination that exists is a failure of
// its own kind, and so is a source that cannot be read, since the prompt then names the source.
enum class TCopyResult { Copied, Exists, SourceUnreadable, Failed };

struct TCopyOutcome {
  TCopyResult Result = TCopyResult::Copied;
  // For SourceUnreadable and Failed: why, as the system says it (without line breaks at the end)
  // or as the name check says it.
  std::string Reason;
};

// Copies one file into the folder it was made for, failing when the destination exists, and
// removes nothing it did not create in the same call. `name` is the destination within that
// folder, its sub-folders separated as the platform separates them. A copy that fails part-way
// removes what it wrote where it can prove that file its own; where it cannot (the system's copy
// under Wine 8, which never hands over the file it made), a part may stay, and the outcome's
// reason says so.
class IFileCopier {
 public:
  virtual ~IFileCopier() = default;
  virtual TCopyOutcome Copy(const std::string& source, const std::string& name) = 0;
};

// A question in a message box modal to the whole program; returns the button pressed.
class ICopyPrompt {
 public:
  virtual ~ICopyPrompt() = default;
  virtual int Ask(const std::string& text, const std::string& caption, unsigned flags) = 0;
};

constexpr unsigned kPromptYesNo = 4;  // Yes and No, no icon, Yes the default
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;  // any answer but Yes stops the run like No (Escape gives Cancel, 2)

extern const std::string kPromptCaption;    // "注意"
extern const std::string kCopyDoneMessage;  // "ファイルのコピーが完了しました"
extern const std::string kCopyStoppedMessage;  // "複製を中止しました"

// Everything outside the program that a run talks to.
struct TCopyServices {
  IFileCopier& Copier;
  ICopyPrompt& Prompt;
  IMessageSink& Messages;
  // Set by the window while a run is under way when it is asked to close. The run reads it before
  // every copy and after every prompt, and when it is set stops at once and says nothing more.
  const bool* StopRequested = nullptr;
  // Called now and then while the names are freed and made, and after every name of the copies:
  // the window answers it by showing the system that the program is alive.
  TStillWorking StillWorking = {};
  // Called after every name with its position in the list and what became of it, before any
  // prompt: a name refused by FileNameProblem comes as Failed with the check's reason.
  std::function<void(std::size_t index, const TCopyOutcome& outcome)> NameDone = {};
  // What separates a folder from a name within it where paths are shown to the user and handed
  // to the copier: "\" on Windows, "/" for the command line on Linux.
  char PathSeparator = '\\';
  // What the names' text is in: Shift-JIS for the window.
  TEncoding Encoding = TEncoding::ShiftJis;
};

// The path of `name` in `folder` as the user is shown it: joined as text, nothing trimmed (a
// folder ending in the separator gives two in a row), each "\" of the Shift-JIS name written as
// `separator`.
std::string ShownDestination(const std::string& folder, const std::string& name, char separator,
                             TEncoding encoding);
// `name`, text in `encoding`, with each of its "\" (never a byte of a character of several)
// written as `separator`.
std::string WithSeparators(std::string name, char separator, TEncoding encoding);

// What went wrong with the copy of `source` to `destination`, as the prompt says it before its
// question.
std::string FailureText(const std::string& source, const std::string& destination, const TCopyOutcome& outcome);

// The prompt for a failed copy of `source` to `destination`.
std::string FailurePrompt(const std::string& source, const std::string& destination, const TCopyOutcome& outcome);

// Copies `source` to every name in `folder`, in order, prompting on each failure:
// Yes skips the name, any other answer stops the run ("複製を中止しました"). A name that is not a
// plain file name in the folder (FileNameProblem) is a failure without a copy. False when the run
// was stopped, by the user or by a stop request.
bool CopyFiles(const std::string& source, const std::string& folder, const std::vector<std::string>& names,
               TCopyServices& services);

// What both run buttons do first: validate (false when a rule is bad, `fileNames` untouched), then
// count the names that generation would hold at once without making them and refuse more than
// kMaxFileNames (false, `fileNames` left empty, a plain message giving the count and the limit),
// then rebuild `fileNames`, in `encoding` as the rules and `source` are. The previous list is freed
// before the new one is made, so the two are never held together.
bool PrepareFileNames(const TRuleTree& tree, bool join, const std::string& source, TEncoding encoding,
                      std::vector<std::string>& fileNames, IMessageSink& messages,
                      const TStillWorking& stillWorking = {});

// The whole run of the "実行" button: prepare the names (nothing more when that fails), copy, and
// report completion unless the user stopped the run.
void RunCopy(const TRuleTree& tree, bool join, const std::string& source, const std::string& folder,
             std::vector<std::string>& fileNames, TCopyServices& services);
