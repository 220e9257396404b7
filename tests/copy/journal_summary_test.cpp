#include "copy/journal_summary.h"

#include <gtest/gtest.h>

#include "tests/support/name_forms.h"

#include <algorithm>
#include <cstring>

#include "copy/journal_writer.h"
#include "copy/journal_format.h"

namespace {

class TMemoryJournal : public IJournalFile {
 public:
  void Append(const std::string& line) override { Text += line; }
  void Discard() override {}
  std::string Text;
};

// A journal in memory that counts the bytes read from it.
class TMemoryReader : public IJournalReader {
 public:
  explicit TMemoryReader(std::string text) : text_(std::move(text)) {}
  std::uint64_t Size() override { return text_.size(); }
  std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    const std::size_t got = offset >= text_.size() ? 0 : std::min<std::size_t>(size, text_.size() - offset);
    std::memcpy(buffer, text_.data() + offset, got);
    Read += got;
    return got;
  }
  std::uint64_t Read = 0;

 private:
  std::string text_;
};

// A run of `copies` copies, every third name refused after its "creating" line. Long enough to
// cross the blocks the count is read in.
std::string RunJournal(int copies, bool ended) {
  TMemoryJournal file;
  TCopyJournal journal(file, "/the folder", {1, 2, 0, 0, 3, 0}, kLinuxNames);
  for (int i = 0, made = 0; made < copies; ++i) {
    const std::string name = "name-" + std::to_string(i) + ".txt";
    journal.Begin();
    journal.Creating(name, {});
    if (i % 3 == 2) {
      journal.Failed(name);
      continue;
    }
    journal.Named(name, {1, 10u + i, 3, 4, 5, 6});
    ++made;
  }
  if (ended) journal.Flush();
  return file.Text;
}

TJournalSummary Summary(TMemoryReader& reader) {
  TJournalSummary summary;
  std::string problem;
  EXPECT_TRUE(SummarizeJournal(reader, kLinuxNames, summary, problem)) << problem;
  return summary;
}

// An ended run's count comes from its end line, its folder from its start: the rest is not read.
TEST(JournalSummaryTest, AnEndedRunIsReadAtItsEndsOnly) {
  TMemoryReader reader(RunJournal(30000, true));
  const TJournalSummary summary = Summary(reader);
  EXPECT_TRUE(summary.Ended);
  EXPECT_EQ(summary.Copies, 30000u);
  EXPECT_EQ(summary.Folder, "/the folder");
  EXPECT_LT(reader.Read, 70000u);
  EXPECT_GT(reader.Size(), 2000000u);
}

// A run killed has no end line: its copies are counted through, across the blocks read, a torn
// last line and a copy whose "named" line never came left out.
TEST(JournalSummaryTest, AKilledRunIsCountedLineByLine) {
  for (const std::string& cut : {std::string(), std::string("99999 creating name-99999.tx"),
                                 std::string("99999 created name-99999.txt - 1 5 3 4 5 6\n")}) {
    TMemoryReader reader(RunJournal(30000, false) + cut);
    const TJournalSummary summary = Summary(reader);
    EXPECT_FALSE(summary.Ended);
    EXPECT_EQ(summary.Copies, 30000u) << cut;
  }
  // Killed before its first lines, or before its first copy.
  for (const std::string& text : {std::string(), kJournalHeader + "\nfolder /f 1 2 3\n"}) {
    TMemoryReader reader(text);
    EXPECT_EQ(Summary(reader).Copies, 0u);
  }
}

TEST(JournalSummaryTest, WhatIsNotAJournalIsSaidSo) {
  const std::string start = kJournalHeader + "\nfolder /f 1 2 3\n";
  for (const std::string& text : {std::string("#!/bin/sh\nrm -rf /\n"), kJournalHeader + "\nfolder\n",
                                  start + "1 named a - 1 2 3 4 5 6\nend\n", start + std::string(70000, 'x') + "\n"}) {
    TMemoryReader reader(text);
    TJournalSummary summary;
    std::string problem;
    EXPECT_FALSE(SummarizeJournal(reader, kLinuxNames, summary, problem)) << text.substr(0, 60);
    EXPECT_FALSE(problem.empty());
  }
}

}  // namespace
