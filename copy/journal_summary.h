#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "copy/copy_run.h"

// What a listing of runs shows of a journal, read from its two ends: the folder from its first
// lines, the count from its end line. Only a journal without an end line (its run was killed) is
// read whole, to count its copies.

// A journal open for reading. Both calls throw std::runtime_error when the system fails.
class IJournalReader {
 public:
  virtual ~IJournalReader() = default;
  virtual std::uint64_t Size() = 0;
  // Reads up to `size` bytes at `offset`; fewer only at the end of the file.
  virtual std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) = 0;
};

// Who holds a journal on disk besides its reader: its run, for as long as it copies, or an undo,
// for as long as it works. Both hold it by a lock the system drops when their process ends, so a
// killed run or undo holds nothing.
enum class TJournalHolder { Nobody, Run, Undo };

// A journal file as undo and a listing of runs open it.
class IJournalOnDisk : public IJournalReader {
 public:
  // Whether its run holds it now (Run or Nobody). Throws std::runtime_error when the system fails.
  virtual TJournalHolder RunHolder() = 0;
  // Holds it for this undo until the reader is destroyed: Nobody when it now does, Undo when
  // another undo holds it. Throws std::runtime_error when the system fails.
  virtual TJournalHolder HoldForUndo() = 0;
};

struct TJournalSummary {
  std::string Folder;       // empty for a run killed before the journal's first lines
  std::uint64_t Copies = 0;
  bool Ended = false;       // the count is the end line's; otherwise counted line by line
};

// False with `problem` set when the journal is not one (its first lines, as ReadJournal reads
// them with `names`), or a line counted is not an entry.
bool SummarizeJournal(IJournalReader& journal, const TNameForm& names, TJournalSummary& summary,
                      std::string& problem);

// Reads the whole of `journal`, as undo reads it; false with `problem` set when there is none (its
// opening set `problem`) or the system fails.
bool ReadWholeJournal(const std::unique_ptr<IJournalReader>& journal, std::string& text, std::string& problem);
bool ReadWholeJournal(IJournalReader& journal, std::string& text, std::string& problem);
