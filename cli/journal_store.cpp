#include "cli/journal_store.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <stdexcept>
#include <string_view>

#include "cli/platform.h"
#include "naming/mbcs.h"

namespace {

constexpr std::string_view kJournalEnd = ".journal";
constexpr std::string_view kUndoneEnd = ".undone";
constexpr std::size_t kStampLength = 19;  // "YYYYMMDD-HHMMSS-mmm"
// Runs begun in one millisecond are few; a name taken this often means something else is wrong.
constexpr unsigned kMostInOneInstant = 1000;
constexpr char kOtherwise[] = " (--journal FILE or --no-journal choose otherwise)";

// The stamp and sequence of a journal's name; false for a name that is not a journal's.
bool ReadJournalName(std::string_view name, std::string& stamp, unsigned& sequence) {
  if (name.size() < kStampLength + kJournalEnd.size() ||
      name.substr(name.size() - kJournalEnd.size()) != kJournalEnd) {
    return false;
  }
  name.remove_suffix(kJournalEnd.size());
  for (std::size_t i = 0; i < kStampLength; ++i) {
    const bool dash = i == 8 || i == 15;
    if (dash ? name[i] != '-' : name[i] < '0' || name[i] > '9') return false;
  }
  stamp = name.substr(0, kStampLength);
  name.remove_prefix(kStampLength);
  sequence = 0;
  if (name.empty()) return true;
  // "-N" from 1, without leading zeros: one name for each run.
  if (name.size() < 2 || name[0] != '-' || name[1] == '0') return false;
  const auto [stop, status] = std::from_chars(name.data() + 1, name.data() + name.size(), sequence);
  return status == std::errc() && stop == name.data() + name.size();
}

// Where the last name of a full path starts, found as the system finds it.
std::size_t NameStart(const std::string& path) {
  const std::size_t separator = kPathSeparator == '\\' ? LastDelimiter("\\/", path) : path.rfind('/');
  return separator == std::string::npos ? 0 : separator + 1;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar, and back. Done here, not
// through time_t, which is 32 bits wide on 32-bit Windows and ends in 2038.
std::int64_t DaysSince1970(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

struct TDateTime {
  std::int64_t Year;
  unsigned Month, Day, Hour, Minute, Second;
};

TDateTime DateTimeOf(std::int64_t seconds) {
  const std::int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
  const auto time = static_cast<unsigned>(seconds - days * 86400);
  const std::int64_t shifted = days + 719468;
  const std::int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
  const auto dayOfEra = static_cast<unsigned>(shifted - era * 146097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned monthFromMarch = (5 * dayOfYear + 2) / 153;
  const unsigned month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  return {yearOfEra + era * 400 + (month <= 2), month, dayOfYear - (153 * monthFromMarch + 2) / 5 + 1,
          time / 3600, time / 60 % 60, time % 60};
}

}  // namespace

std::string JournalName(std::int64_t millis, unsigned sequence) {
  const TDateTime utc = DateTimeOf(millis / 1000);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04lld%02u%02u-%02u%02u%02u-%03u", static_cast<long long>(utc.Year), utc.Month,
                utc.Day, utc.Hour, utc.Minute, utc.Second, static_cast<unsigned>(millis % 1000));
  return stamp + (sequence == 0 ? std::string() : "-" + std::to_string(sequence)) + std::string(kJournalEnd);
}

std::unique_ptr<IJournalFile> OpenRunJournal(const std::optional<std::string>& given, std::string& path) {
  if (given) {
    path = *given;
    return MakeJournalFile(path);
  }
  std::string problem;
  const std::string folder = StateFolder(problem);
  if (folder.empty()) throw std::runtime_error("cannot find the folder for journals: " + problem + kOtherwise);
  if (!MakeStateFolder(folder, problem)) {
    throw std::runtime_error("cannot make the folder for journals " + folder + ": " + problem + kOtherwise);
  }
  const std::int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
  for (unsigned sequence = 0;; ++sequence) {
    path = folder + kPathSeparator + JournalName(now, sequence);
    try {
      return MakeJournalFile(path);
    } catch (const TJournalPathTaken&) {
      if (sequence == kMostInOneInstant) throw;
    }
  }
}

std::vector<TStoredRun> RunsAmong(const std::string& folder, const std::vector<std::string>& names) {
  const std::set<std::string> present(names.begin(), names.end());
  std::vector<TStoredRun> runs;
  for (const std::string& name : names) {
    TStoredRun run;
    if (!ReadJournalName(name, run.Stamp, run.Sequence)) continue;
    const std::string stem = name.substr(0, name.size() - kJournalEnd.size());
    run.Undone = present.count(stem + std::string(kUndoneEnd)) > 0;
    run.Path = folder + kPathSeparator + name;
    runs.push_back(std::move(run));
  }
  std::sort(runs.begin(), runs.end(), [](const TStoredRun& a, const TStoredRun& b) {
    return a.Stamp != b.Stamp ? a.Stamp > b.Stamp : a.Sequence > b.Sequence;
  });
  return runs;
}

bool StoredRuns(std::string& folder, std::vector<TStoredRun>& runs, std::string& problem) {
  folder = StateFolder(problem);
  if (folder.empty()) {
    problem = "cannot find the folder of journals: " + problem;
    return false;
  }
  std::vector<std::string> names;
  if (!FolderNames(folder, names, problem)) {
    problem = "cannot read the folder of journals " + folder + ": " + problem;
    return false;
  }
  runs = RunsAmong(folder, names);
  return true;
}

bool LastRunToUndo(std::string& journal, std::string& problem) {
  std::string folder;
  std::vector<TStoredRun> runs;
  if (!StoredRuns(folder, runs, problem)) return false;
  const auto last = std::find_if(runs.begin(), runs.end(), [](const TStoredRun& run) { return !run.Undone; });
  if (last == runs.end()) {
    problem = "no run left to undo in " + folder;
    return false;
  }
  journal = last->Path;
  return true;
}

std::string MarkUndone(const std::string& journal) {
  std::string problem;
  const std::string full = AbsolutePath(journal, problem);
  const std::string state = StateFolder(problem);
  const std::size_t nameStart = NameStart(full);
  std::string stamp;
  unsigned sequence = 0;
  TFileIdentity here;
  TFileIdentity stateIdentity;
  if (full.empty() || state.empty() || nameStart < 2 || !ReadJournalName(full.substr(nameStart), stamp, sequence) ||
      !FolderIdentity(full.substr(0, nameStart - 1), here, problem) ||
      !FolderIdentity(state, stateIdentity, problem) || here.Volume != stateIdentity.Volume ||
      here.Index != stateIdentity.Index) {
    return {};
  }
  const std::string mark = full.substr(0, full.size() - kJournalEnd.size()) + std::string(kUndoneEnd);
  if (MakeMark(mark, problem)) return {};
  return "cannot mark the run undone with " + mark + ": " + problem;
}

std::string LocalTimeOf(const TStoredRun& run) {
  const auto field = [&](std::size_t at, std::size_t length) {
    return static_cast<unsigned>(std::stoul(run.Stamp.substr(at, length)));
  };
  const std::int64_t seconds = DaysSince1970(field(0, 4), field(4, 2), field(6, 2)) * 86400 +
                               field(9, 2) * 3600 + field(11, 2) * 60 + field(13, 2);
  const int offset = LocalOffsetMinutes(seconds);
  const TDateTime local = DateTimeOf(seconds + offset * 60);
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02u:%02u:%02u.%03u%c%02d:%02d",
                static_cast<long long>(local.Year), local.Month, local.Day, local.Hour, local.Minute, local.Second,
                field(16, 3), offset < 0 ? '-' : '+', std::abs(offset) / 60, std::abs(offset) % 60);
  return text;
}
