#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "copy/file_name_check.h"
#include "naming/generation.h"
#include "naming/mbcs.h"
#include "naming/rule_tree.h"
#include "naming/validation.h"

// The copy run, in its own terms: what became of each name, and whether to skip a name that was
// not copied or stop. Each front end words these for its people (the window's box, the command
// line's lines and question); the run itself shows only the program's plain messages.

// What one file copy did. A copy never replaces a file: a destination that exists is a failure of
// its own kind, and so is a source that cannot be read, since the source is then at fault.
enum class TCopyResult { Copied, Exists, SourceUnreadable, Failed };

struct TCopyOutcome {
  TCopyResult Result = TCopyResult::Copied;
  // For SourceUnreadable and Failed: why, in the program's words (Shift-JIS, as every message of
  // the program): the system's description of the error (without line breaks at the end) or the
  // name check's sentence. Never a path or a name, which are in the run's own text.
  std::string Reason;
};

// The copy of one run's source into its folder, both given when it is made: it is asked only for
// each name, the destination within that folder, its sub-folders separated as the platform
// separates them. It fails when the destination exists, and removes nothing it did not create in
// the same call. A copy that fails part-way removes what it wrote where it can prove that file its
// own; where it cannot (the system's copy under Wine 8, which never hands over the file it made),
// a part may stay, and the outcome's reason says so.
class ICopyTarget {
 public:
  virtual ~ICopyTarget() = default;
  virtual TCopyOutcome Copy(const std::string& name) = 0;
};

enum class TFailureAnswer { Skip, Stop };

// The front end of a run: told what became of each name, asked about each name not copied.
class ICopyFront {
 public:
  virtual ~ICopyFront() = default;
  // After every name, with its position in the list and what became of it, before any question:
  // a name refused by FileNameProblem comes as Failed with the check's reason.
  virtual void NameDone(std::size_t index, const TCopyOutcome& outcome) = 0;
  // For a name that was not copied: skip it and go on, or stop the run.
  virtual TFailureAnswer NotCopied(std::size_t index, const TCopyOutcome& outcome) = 0;
  // The one way to stop a run from outside (the window closing, the command interrupted): read
  // before every copy and after every question; true ends the run at once, saying nothing more.
  virtual bool StopRequested() = 0;
  // Called now and then while the names are freed and made, and after every name: the window
  // answers it by showing the system that the program is alive.
  virtual void StillWorking() {}
};

extern const std::string kPromptCaption;       // "注意"
extern const std::string kCopyDoneMessage;     // "ファイルのコピーが完了しました"
extern const std::string kCopyStoppedMessage;  // "複製を中止しました"
extern const std::string kContinueQuestion;    // "複製を続行しますか？(「はい」を選択した場合、..."

// `name`, text in `encoding`, with each of its "\" (never a byte of a character of several)
// written as `separator`.
std::string WithSeparators(std::string name, char separator, TEncoding encoding);

// The path of `name` in `folder` as the user is shown it: joined as text, nothing trimmed (a
// folder ending in the separator gives two in a row), each "\" of the name written as the form's
// separator.
std::string ShownDestination(const std::string& folder, const std::string& name, const TNameForm& form);

// What the program says of a name not copied, after the path it is about: the source's for
// SourceUnreadable (the user then looks at the file at fault, not at the name being made), the
// destination's for the others. "はすでに存在します。" for a file that exists, else
// "を作成できませんでした。" or "を読み込めませんでした。" and the reason.
bool IsAboutSource(const TCopyOutcome& outcome);
std::string FailureWords(const TCopyOutcome& outcome);

// The window's question for a name not copied: the path it is about, FailureWords and the
// question whether to go on (Yes skips the name, No stops the run).
std::string FailurePrompt(const std::string& source, const std::string& destination, const TCopyOutcome& outcome);

// Copies to every name, in order, through `target`, telling `front` what became of each and asking
// it about each that was not copied: Skip goes on, Stop ends the run ("複製を中止しました"). A name
// that is not a plain file name in the folder (FileNameProblem) is a failure without a copy. False
// when the run was stopped, by the front's answer or by its stop request.
bool CopyFiles(const std::vector<std::string>& names, const TNameForm& form, ICopyTarget& target,
               ICopyFront& front, IMessageSink& messages);

// What both run buttons do first: validate (false when a rule is bad, `fileNames` untouched), then
// count the names that generation would hold at once without making them and refuse more than
// kMaxFileNames (false, `fileNames` left empty, a plain message giving the count and the limit),
// then rebuild `fileNames`, in `encoding` as the rules and `source` are. The previous list is freed
// before the new one is made, so the two are never held together.
bool PrepareFileNames(const TRuleTree& tree, bool join, const std::string& source, TEncoding encoding,
                      std::vector<std::string>& fileNames, IMessageSink& messages,
                      const TStillWorking& stillWorking = {});

// The whole run of the "実行" button: prepare the names (nothing more when that fails), copy, and
// report completion unless the run was stopped.
void RunCopy(const TRuleTree& tree, bool join, const std::string& source, std::vector<std::string>& fileNames,
             ICopyTarget& target, ICopyFront& front, IMessageSink& messages);
