// The runs of the state folder as a copy starts one, undo takes one and a listing shows them.
#include <chrono>
#include <stdexcept>

#include "cli/journal_store.h"
#include "naming/mbcs.h"

namespace {

constexpr char kOtherwise[] = " (--journal FILE or --no-journal choose otherwise)";
// Runs are numbered while the folder is held: a name taken is something else put there.
constexpr unsigned kMostTaken = 1000;

// Where the last name of a full path starts, found as the system finds it.
std::size_t NameStart(const std::string& path) {
  const std::size_t separator =
      kPathSeparator == '\\' ? LastDelimiter("\\/", path, PlatformNames().Encoding) : path.rfind('/');
  return separator == std::string::npos ? 0 : separator + 1;
}

// The state folder at `path`, or null with `problem` set; `absent` when it is not there and not
// made.
std::unique_ptr<IStateFolder> StateFolder(bool make, bool& absent, std::string& path, std::string& problem) {
  absent = false;
  path = StateFolderPath(problem);
  if (path.empty()) {
    problem = "cannot find the folder of journals: " + problem;
    return nullptr;
  }
  return OpenStateFolder(path, make, absent, problem);
}

// Holds `journal` for an undo, once no other undo does and its run is over. False with `problem`.
bool HoldForUndo(IJournalOnDisk& journal, const std::string& path, IStateFolder* state, std::string& problem) {
  if (journal.HoldForUndo() == TJournalHolder::Undo) {
    problem = "another undo of " + path + " is under way; nothing was removed";
    return false;
  }
  // A run of the state folder makes its journal and holds it while it holds the folder alone:
  // once this holds the folder too, a run still going holds its journal.
  const std::shared_ptr<void> folder = state ? state->Hold(false) : nullptr;
  if (journal.RunHolder() == TJournalHolder::Run) {
    problem = "the run of " + path + " is still copying; nothing was removed (undo it once it has ended)";
    return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<IJournalFile> OpenRunJournal(const std::optional<std::string>& given, std::string& path) {
  if (given) {
    path = *given;
    return MakeJournalFile(path);
  }
  bool absent = false;
  std::string folder;
  std::string problem;
  const std::unique_ptr<IStateFolder> state = StateFolder(true, absent, folder, problem);
  if (!state) throw std::runtime_error(problem + kOtherwise);
  const std::shared_ptr<void> alone = state->Hold(true);
  std::vector<std::string> names;
  if (!state->Names(names, problem)) throw std::runtime_error(problem + kOtherwise);
  const std::int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
  for (std::uint64_t number = NextRunNumber(names);; ++number) {
    const std::string name = JournalName(number, now);
    path = state->Path() + kPathSeparator + name;
    try {
      return state->CreateJournal(name);
    } catch (const TJournalPathTaken& e) {
      if (number >= NextRunNumber(names) + kMostTaken) throw std::runtime_error(e.what() + std::string(kOtherwise));
    } catch (const std::runtime_error& e) {
      throw std::runtime_error(e.what() + std::string(kOtherwise));
    }
  }
}

bool HoldRunToUndo(const std::optional<std::string>& given, TRunToUndo& run, std::string& problem) {
  run = {};
  bool absent = false;
  std::string statePath;
  if (!given) {
    run.State = StateFolder(false, absent, statePath, problem);
    if (!run.State) {
      if (absent) problem = "no run left to undo in " + statePath;
      return false;
    }
    std::vector<std::string> names;
    {
      const std::shared_ptr<void> held = run.State->Hold(false);
      if (!run.State->Names(names, problem)) return false;
    }
    for (const TStoredRun& stored : RunsAmong(statePath, names)) {
      // A mark passed over must be this user's: another's would steer undo to an older run.
      if (stored.Marked) {
        const TMark mark = run.State->Mark(stored.MarkName, problem);
        if (mark == TMark::Untrusted) return false;
        if (mark == TMark::Trusted) continue;
      }
      run.Path = stored.Path;
      run.MarkName = stored.MarkName;
      run.Journal = run.State->OpenJournal(stored.Name, problem);
      // A journal that cannot be read stops undo here, rather than let it pass to an older run.
      return run.Journal && HoldForUndo(*run.Journal, run.Path, run.State.get(), problem);
    }
    problem = "no run left to undo in " + statePath;
    return false;
  }
  run.Path = *given;
  run.Journal = OpenJournalFile(run.Path, problem);
  if (!run.Journal) return false;
  // The state folder's run when the folder holding it is the state folder, whatever path leads
  // there; the state folder must then be trusted, and so must the run's mark.
  std::string why;
  const std::string full = AbsolutePath(run.Path, why);
  if (full.empty()) {
    problem = "cannot find the full path of " + run.Path + ": " + why;
    return false;
  }
  const std::size_t nameStart = NameStart(full);
  const std::vector<TStoredRun> named = RunsAmong({}, {full.substr(nameStart)});
  statePath = StateFolderPath(why);
  TFileIdentity here;
  TFileIdentity state;
  if (!named.empty() && nameStart > 1 && !statePath.empty() &&
      FolderIdentity(full.substr(0, nameStart - 1), here, why) && FolderIdentity(statePath, state, why) &&
      here.Volume == state.Volume && here.Index == state.Index) {
    run.State = OpenStateFolder(statePath, false, absent, problem);
    if (!run.State) return false;
    if (!run.State->IsFolder(full.substr(0, nameStart - 1))) {
      problem = "the folder of journals " + statePath + " was replaced while undo looked at it; nothing was removed";
      return false;
    }
    run.MarkName = named.front().MarkName;
    if (run.State->Mark(run.MarkName, problem) == TMark::Untrusted) return false;
  }
  return HoldForUndo(*run.Journal, run.Path, run.State.get(), problem);
}

std::string MarkUndone(TRunToUndo& run) {
  if (!run.State) return {};
  std::string problem;
  if (run.State->MakeMark(run.MarkName, problem)) return {};
  return "could not mark the run undone, so undo --last will take it again: " + problem;
}

bool ListRuns(std::string& folder, const std::function<void(const TListedRun&)>& listed, std::string& problem) {
  bool absent = false;
  const std::unique_ptr<IStateFolder> state = StateFolder(false, absent, folder, problem);
  if (!state) return absent;
  std::vector<std::string> names;
  std::vector<TListedRun> entries;
  {
    // Which runs are going, asked while sharing the folder: a run that has just made its journal
    // holds it by then.
    const std::shared_ptr<void> held = state->Hold(false);
    if (!state->Names(names, problem)) return false;
    for (const TStoredRun& run : RunsAmong(folder, names)) {
      TListedRun entry;
      entry.Run = run;
      try {
        const std::unique_ptr<IJournalOnDisk> journal = state->OpenJournal(run.Name, entry.Problem);
        if (journal && journal->RunHolder() == TJournalHolder::Run) entry.State = TListedRun::Running;
      } catch (const std::runtime_error& e) {
        entry.Problem = e.what();
      }
      entries.push_back(std::move(entry));
    }
  }
  for (TListedRun& entry : entries) {
    const TStoredRun& run = entry.Run;
    try {
      const std::unique_ptr<IJournalOnDisk> journal =
          entry.Problem.empty() ? state->OpenJournal(run.Name, entry.Problem) : nullptr;
      // Opening words its problem with the path; reading does not.
      if (journal && !SummarizeJournal(*journal, PlatformNames(), entry.Summary, entry.Problem)) {
        entry.Problem = run.Path + ": " + entry.Problem;
      }
      if (entry.Problem.empty() && entry.State != TListedRun::Running && run.Marked &&
          state->Mark(run.MarkName, entry.Problem) == TMark::Trusted) {
        entry.State = TListedRun::Undone;
      }
    } catch (const std::runtime_error& e) {
      entry.Problem = e.what();
    }
    if (!entry.Problem.empty()) entry.State = TListedRun::Unreadable;
    listed(entry);
  }
  return true;
}
