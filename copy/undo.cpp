#include "copy/undo.h"

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
