#include "cli/journal_store.h"

#include <gtest/gtest.h>

#include "cli/platform.h"

namespace {

// 2026-12-08 11:27:09.258 UTC.
constexpr std::int64_t kInstant = 1796729229258;

TEST(JournalStoreTest, NamesSayTheRunsNumberAndWhenItBeganInUtc) {
  EXPECT_EQ(JournalName(1, kInstant), "000001-20261208-112709-258.journal");
  EXPECT_EQ(JournalName(1234567, 0), "1234567-19700101-000000-000.journal");
  // Past 2038, where a 32-bit time_t ends, and on a leap day.
  EXPECT_EQ(JournalName(42, 2214172799999), "000042-20400229-235959-999.journal");
}

std::vector<std::string> Order(const std::vector<std::string>& names) {
  std::vector<std::string> order;
  for (const TStoredRun& run : RunsAmong("state", names)) {
    order.push_back(run.Path.substr(6) + (run.Marked ? " marked" : ""));
  }
  return order;
}

// The number orders the runs, whatever the clock said when each began (here stepped back an hour
// and then a day); a run named before runs were numbered is older than every numbered one, and
// such runs go by their times, those of one millisecond by their "-N" (10 after 9, none first).
TEST(JournalStoreTest, RunsGoNewestFirstByTheirNumbersThenTheUnnumberedByTime) {
  const std::vector<std::string> names = {
      JournalName(2, kInstant - 3600000), JournalName(1, kInstant), JournalName(3, kInstant - 86400000),
      JournalName(10, kInstant - 90000000), "000002-20261208-102709-258.undone", "20301231-235959-999.journal",
      "20261208-112709-258.journal", "20261208-112709-258-9.journal", "20261208-112709-258-10.journal",
      "20261208-112709-258-9.undone"};
  EXPECT_EQ(Order(names), (std::vector<std::string>{
                              "000010-20261207-102709-258.journal", "000003-20261207-112709-258.journal",
                              "000002-20261208-102709-258.journal marked", "000001-20261208-112709-258.journal",
                              "20301231-235959-999.journal", "20261208-112709-258-10.journal",
                              "20261208-112709-258-9.journal marked", "20261208-112709-258.journal"}));
}

// One name for each run: anything else in the folder is not one.
TEST(JournalStoreTest, OnlyARunsOwnNameIsARun) {
  EXPECT_EQ(Order({"notes.txt", "2026.journal", "000001-20261208-112709-258.journal.undone",
                   "0000001-20261208-112709-258.journal", "00001-20261208-112709-258.journal",
                   "000000-20261208-112709-258.journal", "000001-20261208-112709-25.journal",
                   "00000a-20261208-112709-258.journal", "000001-20261208x112709-258.journal",
                   "20261208-112709-258-01.journal", "20261208-112709-258-.journal", "20261208x112709-258.journal",
                   "20261208-112709-258.journals", "000001-20261208-112709-258-1.journal"}),
            std::vector<std::string>{});
  EXPECT_EQ(Order({"1000000-20261208-112709-258.journal", "999999-20261208-112709-258.journal"}),
            (std::vector<std::string>{"1000000-20261208-112709-258.journal", "999999-20261208-112709-258.journal"}));
}

// A number is never given twice while its journal or its mark is there: a new run at the number
// of a journal removed by hand would read as undone by the mark left behind.
TEST(JournalStoreTest, TheNextNumberFollowsEveryJournalAndMark) {
  EXPECT_EQ(NextRunNumber({}), 1u);
  EXPECT_EQ(NextRunNumber({"20301231-235959-999.journal", "notes.txt", "20301231-235959-999.undone"}), 1u);
  EXPECT_EQ(NextRunNumber({JournalName(7, kInstant), JournalName(3, kInstant + 1)}), 8u);
  EXPECT_EQ(NextRunNumber({JournalName(7, kInstant), "000012-20261208-112709-258.undone"}), 13u);
}

// The zone is the machine's: the form is fixed, and the offset takes the time back to UTC.
TEST(JournalStoreTest, TheTimeShownIsLocalWithItsOffset) {
  for (const char* stamp : {"20261208-112709-258", "20400229-235959-999"}) {
    TStoredRun run;
    run.Stamp = stamp;
    const std::string shown = LocalTimeOf(run);
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
