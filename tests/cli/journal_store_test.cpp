#include "cli/journal_store.h"

#include <gtest/gtest.h>

#include "cli/platform.h"

namespace {

// 2026-12-08 11:27:09.258 UTC.
constexpr std::int64_t kInstant = 1796729229258;

TEST(JournalStoreTest, NamesSayWhenTheRunBeganInUtc) {
  EXPECT_EQ(JournalName(kInstant, 0), "20261208-112709-258.journal");
  EXPECT_EQ(JournalName(kInstant, 12), "20261208-112709-258-12.journal");
  EXPECT_EQ(JournalName(0, 0), "19700101-000000-000.journal");
  // Past 2038, where a 32-bit time_t ends, and on a leap day.
  EXPECT_EQ(JournalName(2214172799999, 0), "20400229-235959-999.journal");
}

// Newest first, runs of one millisecond by their number (10 after 9, the first before "-1"), an
// undone mark read beside its own journal only, and what is not a journal's name passed over.
TEST(JournalStoreTest, RunsAreTheJournalsNewestFirstWithTheirMarks) {
  const std::vector<std::string> names = {
      JournalName(kInstant, 0), JournalName(kInstant, 9), JournalName(kInstant, 10),
      JournalName(kInstant - 1, 0), JournalName(kInstant + 1000, 0), "20261208-112709-258-9.undone",
      "20261208-112709-258.journal.undone", "19700101-000000-000.undone", "notes.txt", "2026.journal",
      "20261208-112709-258-01.journal", "20261208-112709-258-.journal", "20261208x112709-258.journal",
      "20261208-112709-258.journals"};
  const std::vector<TStoredRun> runs = RunsAmong("state", names);
  std::vector<std::string> order;
  for (const TStoredRun& run : runs) order.push_back(run.Path.substr(6) + (run.Undone ? " undone" : ""));
  EXPECT_EQ(order, (std::vector<std::string>{"20261208-112710-258.journal", "20261208-112709-258-10.journal",
                                             "20261208-112709-258-9.journal undone", "20261208-112709-258.journal",
                                             "20261208-112709-257.journal"}));
  EXPECT_EQ(runs.at(0).Path, std::string("state") + kPathSeparator + "20261208-112710-258.journal");
}

// The zone is the machine's: the form is fixed, and the offset takes the time back to UTC.
TEST(JournalStoreTest, TheTimeShownIsLocalWithItsOffset) {
  for (const char* stamp : {"20261208-112709-258", "20400229-235959-999"}) {
    const std::string shown = LocalTimeOf({"", stamp, 0, false});
    ASSERT_EQ(shown.size(), 29u) << shown;
    EXPECT_EQ(shown.substr(19, 4), std::string(".") + (stamp + 16)) << shown;
    const int sign = shown[23] == '-' ? -1 : 1;
    const int offset = sign * (std::stoi(shown.substr(24, 2)) * 60 + std::stoi(shown.substr(27, 2)));
    const int minutes = std::stoi(shown.substr(11, 2)) * 60 + std::stoi(shown.substr(14, 2));
    const int utc = std::stoi(std::string(stamp + 9, 2)) * 60 + std::stoi(std::string(stamp + 11, 2));
    EXPECT_EQ(((minutes - offset) % 1440 + 1440) % 1440, utc) << shown;
  }
}

}  // namespace
