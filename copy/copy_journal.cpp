#include "copy/copy_journal.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "naming/mbcs.h"
#include "naming/text_codes.h"

const std::string kJournalHeader = "tandelo-cli journal 3";

namespace {

// The same entries without the end line: read as they are, their count taken line by line.
constexpr std::string_view kPreviousHeader = "tandelo-cli journal 2";

}  // namespace

bool operator==(const TFileIdentity& a, const TFileIdentity& b) {
  return a.Volume == b.Volume && a.Index == b.Index && a.Size == b.Size && a.Time == b.Time && a.Birth == b.Birth &&
         a.Change == b.Change;
}

namespace {

constexpr char kNone[] = "-";

std::string EscapePath(const std::string& path) {
  if (path.empty()) return kNone;
  // "-" alone stands for no name, so a name that is only "-" is written escaped.
  return PercentEscaped(path, [&](unsigned char byte) {
    return byte <= 0x20 || byte == 0x7F || byte == '%' || (byte == '-' && path.size() == 1);
  });
}

bool UnescapePath(std::string_view text, std::string& path) {
  path.clear();
  if (text == kNone) return true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      path.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexDigitValue(text[i + 1]);
    const int low = HexDigitValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    path.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return !path.empty();
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at < line.size();) {
    const std::size_t end = std::min(line.find(' ', at), line.size());
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

template <typename T>
bool ToNumber(std::string_view word, T& value) {
  const auto [stop, status] = std::from_chars(word.data(), word.data() + word.size(), value);
  return status == std::errc() && stop == word.data() + word.size();
}

std::string Fields(const TFileIdentity& file) {
  return std::to_string(file.Volume) + " " + std::to_string(file.Index) + " " + std::to_string(file.Size) + " " +
         std::to_string(file.Time) + " " + std::to_string(file.Birth) + " " + std::to_string(file.Change);
}

bool ReadFields(const std::vector<std::string_view>& words, std::size_t from, TFileIdentity& file) {
  return words.size() == from + 6 && ToNumber(words[from], file.Volume) && ToNumber(words[from + 1], file.Index) &&
         ToNumber(words[from + 2], file.Size) && ToNumber(words[from + 3], file.Time) &&
         ToNumber(words[from + 4], file.Birth) && ToNumber(words[from + 5], file.Change);
}

// Why `name` could lead out of the folder or to the folder itself; empty when it stays within.
// With '\\' as the separator "/" separates too and a drive's colon is refused, as the system
// reads such names; no byte of a character of several bytes is a separator.
std::string NameProblem(const std::string& name, const TNameForm& form) {
  if (name.empty()) return "an empty name";
  const char separator = form.Separator;
  const bool windows = separator == '\\';
  std::string problem;
  std::size_t partStart = 0;
  const auto endPart = [&](std::size_t end) {
    const std::string_view part = std::string_view(name).substr(partStart, end - partStart);
    if (part.empty() || part == "." || part == "..") problem = "a name that leaves the folder";
    partStart = end + 1;
    return problem.empty();
  };
  const auto visit = [&](std::size_t i) {
    const char c = name[i];
    if (c == separator || (windows && c == '/')) return endPart(i);
    if (windows && c == ':') {
      problem = "a name on a drive";
      return false;
    }
    return true;
  };
  if (windows) {
    ForEachSingleByte(name, form.Encoding, visit);
  } else {
    for (std::size_t i = 0; i < name.size() && visit(i);) ++i;
  }
  if (problem.empty()) endPart(name.size());
  return problem;
}

bool IsEntryKind(std::string_view kind) {
  return kind == "creating" || kind == "opened" || kind == "created" || kind == "named" || kind == "failed";
}

}  // namespace

bool ReadEndLine(std::string_view line, std::uint64_t& copies) {
  const std::vector<std::string_view> words = Words(line);
  return words.size() == 2 && words[0] == "end" && ToNumber(words[1], copies);
}

bool TCopyCount::Line(std::string_view line) {
  if (line.empty()) return true;
  // Only the attempt and the kind, without taking the line apart: a killed run of millions of
  // names is counted this way.
  const std::size_t kindStart = line.find(' ');
  const std::size_t kindEnd = kindStart == std::string_view::npos ? kindStart : line.find(' ', kindStart + 1);
  if (kindEnd == std::string_view::npos) return false;
  const std::string_view kind = line.substr(kindStart + 1, kindEnd - kindStart - 1);
  std::uint64_t attempt = 0;
  if (!ToNumber(line.substr(0, kindStart), attempt) || !IsEntryKind(kind)) return false;
  if (attempt != attempt_) {
    if (namedNow_) ++copies_;
    attempt_ = attempt;
  }
  namedNow_ = kind == "named";
  return true;
}

TCopyJournal::TCopyJournal(IJournalFile& file, const std::string& folder, const TFileIdentity& folderIdentity,
                           const TNameForm& names)
    : file_(file), names_(names) {
  // One write: a kill leaves the journal empty or with both lines.
  try {
    file_.Append(kJournalHeader + "\nfolder " + EscapePath(folder) + " " + std::to_string(folderIdentity.Volume) +
                 " " + std::to_string(folderIdentity.Index) + " " + std::to_string(folderIdentity.Birth) + "\n");
  } catch (...) {
    file_.Discard();
    throw;
  }
}

void TCopyJournal::Begin() {
  ++attempt_;
  attemptWritten_ = false;
  attemptCreated_ = false;
  attemptNamed_ = false;
}

void TCopyJournal::Flush() {
  if (ended_) return;
  ended_ = true;
  heldBack_.append("end ").append(std::to_string(copies_)).append("\n");
  WriteHeldBack();
}

void TCopyJournal::WriteHeldBack() {
  if (heldBack_.empty()) return;
  std::string lines;
  lines.swap(heldBack_);  // lines that could not be written are not tried again
  file_.Append(lines);
}

const std::string& TCopyJournal::Within(const std::string& name) const {
  if (name.empty()) return name;
  if (const std::string why = NameProblem(name, names_); !why.empty()) {
    throw std::logic_error("a copy outside the journal's folder: " + name);
  }
  return name;
}

void TCopyJournal::Write(std::string_view kind, const std::string& destination, const std::string& temporary,
                         const TFileIdentity* file) {
  std::string line = std::to_string(attempt_);
  line.append(" ").append(kind).append(" ").append(EscapePath(Within(destination)));
  line.append(" ").append(EscapePath(Within(temporary)));
  if (file) line.append(" ").append(Fields(*file));
  heldBack_.append(line).append("\n");
  attemptWritten_ = true;
  if (kind == "named" && !attemptNamed_) {
    attemptNamed_ = true;
    ++copies_;
  }
  // Held back only where the "created" line's birth time can prove the file if a kill takes the
  // "named" one: without it, a file killed as it was named would be kept as unproven.
  if (kind == "named" && attemptCreated_) return;
  attemptCreated_ = kind == "created" && file && file->Birth != 0;
  WriteHeldBack();
}

void TCopyJournal::Creating(const std::string& destination, const std::string& temporary) {
  Write("creating", destination, temporary, nullptr);
}

void TCopyJournal::Opened(const std::string& destination, const std::string& temporary, const TFileIdentity& file) {
  Write("opened", destination, temporary, &file);
}

void TCopyJournal::Created(const std::string& destination, const std::string& temporary, const TFileIdentity& file) {
  Write("created", destination, temporary, &file);
}

void TCopyJournal::Named(const std::string& destination, const TFileIdentity& file) {
  Write("named", destination, {}, &file);
}

void TCopyJournal::Failed(const std::string& destination) {
  if (!attemptWritten_) return;
  if (attemptNamed_) --copies_;
  attemptNamed_ = false;
  Write("failed", destination, {}, nullptr);
}

TCopyOutcome TJournalingCopier::Copy(const std::string& name) {
  journal_.Begin();
  TCopyOutcome outcome = target_.Copy(name);
  if (outcome.Result != TCopyResult::Copied) journal_.Failed(name);
  return outcome;
}

bool ReadJournal(std::string_view text, const TNameForm& names, TJournal& journal, std::string& problem) {
  journal = {};
  std::vector<TUndoItem>& items = journal.Items;
  SkipByteOrderMark(text);
  // The attempt each item came from, to find the item a later line of the same attempt updates.
  std::vector<std::uint64_t> attempts;
  std::size_t lineNumber = 0;
  bool ended = false;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) break;  // torn by a kill: the entry never finished
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string_view> words = Words(line);
    const auto bad = [&](const std::string& what = "is not a journal entry") {
      problem = "line " + std::to_string(lineNumber) + " " + what;
      return false;
    };
    if (lineNumber == 1) {
      if (line == kJournalHeader || line == kPreviousHeader) continue;
      if (line.rfind("tandelo-cli journal ", 0) == 0) {
        problem = "a journal of another version of tandelo-cli (\"" + std::string(line) +
                  "\"), which this one cannot prove";
      } else {
        problem = "not a journal of tandelo-cli copy (its first line is not \"" + kJournalHeader + "\")";
      }
      return false;
    }
    if (lineNumber == 2) {
      TFileIdentity& folder = journal.FolderIdentity;
      if (words.size() != 5 || words[0] != "folder" || !UnescapePath(words[1], journal.Folder) ||
          journal.Folder.empty() || !ToNumber(words[2], folder.Volume) || !ToNumber(words[3], folder.Index) ||
          !ToNumber(words[4], folder.Birth)) {
        return bad("does not name the run's folder");
      }
      continue;
    }
    if (line.empty()) continue;
    if (ended) return bad("follows the end of the run");
    std::uint64_t copies = 0;
    if (ReadEndLine(line, copies)) {
      ended = true;
      continue;
    }
    std::uint64_t attempt = 0;
    TUndoItem item;
    if (words.size() < 4 || !ToNumber(words[0], attempt) || !UnescapePath(words[2], item.Name) ||
        !UnescapePath(words[3], item.Temporary)) {
      return bad();
    }
    for (const std::string* name : {&item.Name, &item.Temporary}) {
      if (name == &item.Temporary && name->empty()) continue;
      if (const std::string why = NameProblem(*name, names); !why.empty()) return bad("holds " + why);
    }
    const std::string_view kind = words[1];
    const bool atItsName = item.Temporary.empty();
    if (kind == "creating" && words.size() == 4) {
      item.Stage = TUndoItem::Creating;
    } else if (kind == "opened" && !atItsName && ReadFields(words, 4, item.File)) {
      item.Stage = TUndoItem::Opened;
    } else if (kind == "created" && ReadFields(words, 4, item.File)) {
      item.Stage = TUndoItem::Created;
    } else if (kind == "named" && atItsName && ReadFields(words, 4, item.File)) {
      item.Stage = TUndoItem::Named;
    } else if (kind == "failed" && words.size() == 4 && atItsName) {
      if (!attempts.empty() && attempts.back() == attempt && items.back().Name == item.Name) {
        attempts.pop_back();
        items.pop_back();
      }
      continue;
    } else {
      return bad();
    }
    // A later line of an attempt says more than the earlier ones about the same file; the
    // temporary name, once given, stays with the attempt.
    if (!attempts.empty() && attempts.back() == attempt && items.back().Name == item.Name) {
      if (item.Temporary.empty()) item.Temporary = items.back().Temporary;
      items.back() = item;
    } else {
      attempts.push_back(attempt);
      items.push_back(item);
    }
  }
  // Killed before its first lines were written, the run copied nothing.
  return true;
}

namespace {

const char kNotTheRunsFile[] = "not the file the run made (it was replaced, or was there before)";
const char kChanged[] = "changed since the run made it";

bool SameFile(const TFileIdentity& now, const TFileIdentity& made) {
  return now.Volume == made.Volume && now.Index == made.Index && (made.Birth == 0 || now.Birth == made.Birth);
}

// What undo does with one attempt: the name to act on, and either a reason to keep what is there
// or the state it was proven in.
struct TVerdict {
  TUndoResult Result = TUndoResult::Absent;
  std::string Name;
  std::string Reason;
  TFileIdentity Seen;
};

TVerdict Keep(const std::string& name, std::string reason) {
  return {TUndoResult::Kept, name, std::move(reason), {}};
}

TVerdict Remove(const std::string& name, const TFileState& state, std::string reason = {}) {
  return {TUndoResult::Removed, name, std::move(reason), state.File};
}

// A file at the temporary name: the copy had not been given its name yet.
TVerdict JudgeTemporary(const TUndoItem& item, const TFileState& state) {
  const std::string& name = item.Temporary;
  if (!state.RegularFile) return Keep(name, kNotTheRunsFile);
  switch (item.Stage) {
    case TUndoItem::Creating:
      // Announced before it was made, under a name no one else uses; killed before the journal
      // held its identity, it can only be empty, and an empty file holds nothing to lose.
      if (state.File.Size == 0) return Remove(name, state, "an empty temporary file of a stopped run");
      return Keep(name, "the run was stopped while making this temporary file, and it is not empty");
    case TUndoItem::Opened:
      if (!SameFile(state.File, item.File)) return Keep(name, kNotTheRunsFile);
      return Remove(name, state, "part-written when the run was stopped");
    default:
      if (state.File != item.File) return Keep(name, SameFile(state.File, item.File) ? kChanged : kNotTheRunsFile);
      return Remove(name, state, "a complete copy not yet named when the run was stopped");
  }
}

// A file at the destination's name.
TVerdict JudgeNamed(const TUndoItem& item, const TFileState& state) {
  const std::string& name = item.Name;
  const TFileIdentity& made = item.File;
  const TFileIdentity& now = state.File;
  if (item.Stage == TUndoItem::Creating) {
    return Keep(name, "the run was stopped while making this name; nothing proves that it made this file");
  }
  if (!state.RegularFile || !SameFile(now, made)) return Keep(name, kNotTheRunsFile);
  if (item.Stage == TUndoItem::Named) {
    if (made.Change == 0) return Keep(name, "the system gave no change time to prove it unchanged");
    if (now != made) return Keep(name, kChanged);
    return Remove(name, state);
  }
  // Killed between naming the file and recording it: only its birth time can prove it, and its
  // change time moved once, by the naming.
  if (made.Birth == 0) {
    return Keep(name,
                "the run was stopped as it named this file, and without a birth time nothing proves it is the run's");
  }
  if (now.Size != made.Size || now.Time != made.Time || now.Change < made.Change ||
      now.Change - made.Change > kNamingSlack) {
    return Keep(name, kChanged);
  }
  return Remove(name, state, "named as the run was stopped");
}

// What undo does with one attempt: usually one verdict, two when a copy was stopped between
// being linked to its name and losing its temporary name.
std::vector<TVerdict> Judge(const TUndoItem& item, IFileRemover& remover) {
  // Where the copy was made under a temporary name and not yet named, that name is where it is.
  if (!item.Temporary.empty() && item.Stage != TUndoItem::Named) {
    const TFileState temporary = remover.Inspect(item.Temporary);
    if (item.Stage != TUndoItem::Created) {
      if (temporary.Exists) return {JudgeTemporary(item, temporary)};
      return {{TUndoResult::Absent, item.Name, {}, {}}};
    }
    const TFileState named = remover.Inspect(item.Name);
    if (temporary.Exists && named.Exists && named.File.Volume == temporary.File.Volume &&
        named.File.Index == temporary.File.Index) {
      // Linking changed the change time of both names, and removing either would change it
      // again under the other: both are kept.
      const std::string why = "the run was stopped while this copy had two names; both are kept";
      return {Keep(item.Name, why), Keep(item.Temporary, why)};
    }
    if (temporary.Exists) return {JudgeTemporary(item, temporary)};
    if (!named.Exists) return {{TUndoResult::Absent, item.Name, {}, {}}};
    return {JudgeNamed(item, named)};
  }
  const TFileState state = remover.Inspect(item.Name);
  if (!state.Exists) return {{TUndoResult::Absent, item.Name, {}, {}}};
  return {JudgeNamed(item, state)};
}

}  // namespace

bool UndoCopies(const TJournal& journal, IFileRemover& remover, bool dryRun,
                const std::function<void(const TUndoReport&)>& report, std::string& folderProblem) {
  if (journal.Items.empty()) return true;
  const TFolderState folder = remover.OpenFolder(journal.Folder, journal.FolderIdentity);
  if (folder == TFolderState::Missing || folder == TFolderState::Other) {
    folderProblem = journal.Folder + (folder == TFolderState::Missing
                                          ? " is not there any more (moved, renamed or removed since the run)"
                                          : " is not the folder the run copied into (it was moved or replaced since)");
    folderProblem += "; nothing was removed";
    return false;
  }
  bool allRemoved = true;
  for (auto item = journal.Items.rbegin(); item != journal.Items.rend(); ++item) {
    for (TVerdict& verdict : Judge(*item, remover)) {
      if (folder == TFolderState::NoLastingIdentity && verdict.Result == TUndoResult::Removed) {
        // File numbers there are places in the folder, given again to the next file made there,
        // and nothing records a change: a user's file at the place would pass every check.
        verdict = Keep(verdict.Name, "this file system cannot tell the run's file from another put at its place later");
      }
      if (verdict.Result == TUndoResult::Removed && !dryRun) {
        std::string problem;
        if (!remover.RemoveIfSame(verdict.Name, verdict.Seen, problem)) verdict = Keep(verdict.Name, problem);
      }
      if (verdict.Result == TUndoResult::Kept) allRemoved = false;
      report({verdict.Result, verdict.Name, verdict.Reason});
    }
  }
  return allRemoved;
}
