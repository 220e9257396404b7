#include "cli/journal_store.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string_view>

#include "cli/platform.h"

namespace {

constexpr std::string_view kJournalEnd = ".journal";
constexpr std::string_view kMarkEnd = ".undone";
constexpr std::size_t kStampLength = 19;  // "YYYYMMDD-HHMMSS-mmm"
constexpr std::size_t kNumberWidth = 6;

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsStamp(std::string_view text) {
  if (text.size() != kStampLength) return false;
  for (std::size_t i = 0; i < kStampLength; ++i) {
    const bool dash = i == 8 || i == 15;
    if (dash ? text[i] != '-' : text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

template <typename T>
bool ToNumber(std::string_view text, T& value) {
  const auto [stop, status] = std::from_chars(text.data(), text.data() + text.size(), value);
  return status == std::errc() && stop == text.data() + text.size();
}

// A run's stem (a journal's or a mark's name without its ending): "NNNNNN-STAMP", the number at
// least six digits wide and without a zero before a seventh; or, named before runs were numbered,
// "STAMP" or "STAMP-N" (N from 1, without leading zeros). One name for each run; false for a
// stem that is not a run's.
bool ReadStem(std::string_view stem, TStoredRun& run) {
  run.Number = 0;
  run.SameInstant = 0;
  const std::size_t dash = stem.find('-');
  if (dash != std::string_view::npos && dash >= kNumberWidth && IsStamp(stem.substr(dash + 1))) {
    const std::string_view number = stem.substr(0, dash);
    if (!AllDigits(number) || (number.size() > kNumberWidth && number[0] == '0')) return false;
    run.Stamp = stem.substr(dash + 1);
    return ToNumber(number, run.Number) && run.Number > 0;
  }
  if (stem.size() < kStampLength || !IsStamp(stem.substr(0, kStampLength))) return false;
  run.Stamp = stem.substr(0, kStampLength);
  stem.remove_prefix(kStampLength);
  if (stem.empty()) return true;
  return stem.size() >= 2 && stem[0] == '-' && stem[1] != '0' && ToNumber(stem.substr(1), run.SameInstant);
}

// The stem of a name with `end`; empty when it has another end.
std::string_view StemOf(std::string_view name, std::string_view end) {
  if (name.size() <= end.size() || name.substr(name.size() - end.size()) != end) return {};
  return name.substr(0, name.size() - end.size());
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

std::string JournalName(std::uint64_t number, std::int64_t millis) {
  const TDateTime utc = DateTimeOf(millis / 1000);
  char name[96];
  std::snprintf(name, sizeof name, "%0*llu-%04lld%02u%02u-%02u%02u%02u-%03u", static_cast<int>(kNumberWidth),
                static_cast<unsigned long long>(number), static_cast<long long>(utc.Year), utc.Month, utc.Day,
                utc.Hour, utc.Minute, utc.Second, static_cast<unsigned>(millis % 1000));
  return name + std::string(kJournalEnd);
}

std::vector<TStoredRun> RunsAmong(const std::string& folder, const std::vector<std::string>& names) {
  const std::set<std::string> present(names.begin(), names.end());
  std::vector<TStoredRun> runs;
  for (const std::string& name : names) {
    TStoredRun run;
    const std::string_view stem = StemOf(name, kJournalEnd);
    if (stem.empty() || !ReadStem(stem, run)) continue;
    run.Name = name;
    run.Path = folder + kPathSeparator + name;
    run.MarkName = std::string(stem) + std::string(kMarkEnd);
    run.Marked = present.count(run.MarkName) > 0;
    runs.push_back(std::move(run));
  }
  // Numbered runs by their numbers, before them the others by their times.
  std::sort(runs.begin(), runs.end(), [](const TStoredRun& a, const TStoredRun& b) {
    if (a.Number != b.Number) return a.Number > b.Number;
    if (a.Stamp != b.Stamp) return a.Stamp > b.Stamp;
    return a.SameInstant > b.SameInstant;
  });
  return runs;
}

std::uint64_t NextRunNumber(const std::vector<std::string>& names) {
  // A mark counts too: a journal removed by hand leaves its number taken while its mark stays,
  // and a new run under that number would be read as undone.
  std::uint64_t last = 0;
  for (const std::string& name : names) {
    TStoredRun run;
    for (const std::string_view end : {kJournalEnd, kMarkEnd}) {
      const std::string_view stem = StemOf(name, end);
      if (!stem.empty() && ReadStem(stem, run)) last = std::max(last, run.Number);
    }
  }
  return last + 1;
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
