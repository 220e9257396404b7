#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "copy/file_identity.h"

// The journal of the copies one run made, as text: what its writer writes and its readers read.
//
// The journal is text, one entry per line, each line handed to the system before the copy goes
// on, so a run killed at any instant (kill -9) leaves every line it finished. The first line is
// kJournalHeader, the second names the run's folder and identifies it (both written at once, so a
// journal killed before them is empty: a run that copied nothing):
//
//   folder PATH VOLUME INDEX BIRTH
//
// Every entry then starts with the number of its attempt (one attempt per name the run tried to
// copy) and its kind. NAME is the destination within the folder and TEMP the temporary name the
// copy is made under ("-" for none), both in the platform's bytes with bytes from 0x00 to 0x20,
// 0x7F and "%" written as %HH:
//
//   N creating NAME TEMP                   the copy may create TEMP (or NAME) from now on
//   N opened NAME TEMP FILE...             TEMP is this copy's own file, still being written
//   N created NAME TEMP FILE...            this copy's file, complete, not yet given NAME
//   N named NAME - FILE...                 this copy's file at NAME, as it is once named
//   N failed NAME -                        the attempt made nothing: its earlier lines count for nothing
//
// A run that ends (done, stopped, or with names skipped) writes a last line, so that a listing of
// runs learns the count from the journal's end instead of reading it whole:
//
//   end COPIES                             the run is over; COPIES attempts ended "named"
//
// FILE is VOLUME INDEX SIZE TIME BIRTH CHANGE, read from the handle that made the file: the
// volume and the file's number on it, its size, its last-write time, its birth time and the last
// change of its content or metadata (times in nanoseconds since 1970; 0 where the system does
// not say). A torn last line (no line end) is ignored. A journal of the previous version
// (kJournalHeader with 2) is the same but has no end line.
//
extern const std::string kJournalHeader;
// The header of the previous version, whose journals are read as they are.
extern const std::string_view kPreviousJournalHeader;

// A path as one word of a line ("-" for none), and back: false for a word that is none.
std::string JournalWord(const std::string& path);
bool ReadJournalWord(std::string_view word, std::string& path);
// The words of a line, apart by spaces.
std::vector<std::string_view> JournalWords(std::string_view line);
// A whole decimal word; false for anything else.
bool ReadJournalNumber(std::string_view word, std::uint64_t& value);
bool ReadJournalNumber(std::string_view word, std::int64_t& value);
// FILE: the six fields of a file's identity as words, and back from `words` at `from`, which must
// be the last six.
std::string JournalFields(const TFileIdentity& file);
bool ReadJournalFields(const std::vector<std::string_view>& words, std::size_t from, TFileIdentity& file);
// Whether `kind` is one of the kinds of entry.
bool IsJournalEntryKind(std::string_view kind);

// The count of an end line ("end COPIES"); false for any other line.
bool ReadEndLine(std::string_view line, std::uint64_t& copies);

// Counts the copies a journal records, line by line, for a journal that has no end line (its run
// was killed): the attempts whose last line is "named". Lines are given whole, without their line
// end, from the third line on.
class TCopyCount {
 public:
  // False for a line that is not an entry.
  bool Line(std::string_view line);
  std::uint64_t Copies() const { return copies_ + (namedNow_ ? 1 : 0); }

 private:
  std::uint64_t copies_ = 0;  // of the attempts before the current one
  std::uint64_t attempt_ = 0;
  bool namedNow_ = false;  // the current attempt's last line is "named"
};
