#include "copy/journal_summary.h"

#include <algorithm>
#include <stdexcept>

#include "copy/journal_reader.h"
#include "copy/journal_format.h"

namespace {

// Enough for the header and a folder's line of the longest path, escaped.
constexpr std::size_t kHeadBytes = 1 << 16;
// Enough for an end line and the line end before it.
constexpr std::size_t kTailBytes = 64;
constexpr std::size_t kBlockBytes = 1 << 20;

std::string ReadPart(IJournalReader& journal, std::uint64_t offset, std::size_t size) {
  std::string text(size, '\0');
  text.resize(journal.ReadAt(offset, text.data(), size));
  return text;
}

// The copies of a journal without an end line, block by block: a line cut by a block's end is
// carried into the next, and a last line without a line end (torn by a kill) is left out.
bool CountCopies(IJournalReader& journal, std::uint64_t from, std::uint64_t& copies, std::string& problem) {
  TCopyCount count;
  std::uint64_t lineNumber = 2;  // counting starts after the header and the folder's line
  std::string carried;
  std::string block(kBlockBytes, '\0');
  for (std::uint64_t offset = from;;) {
    const std::size_t got = journal.ReadAt(offset, block.data(), block.size());
    if (got == 0) break;
    offset += got;
    carried.append(block, 0, got);
    std::size_t start = 0;
    for (std::size_t end; (end = carried.find('\n', start)) != std::string::npos; start = end + 1) {
      std::string_view line(carried.data() + start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ++lineNumber;
      if (!count.Line(line)) {
        problem = "line " + std::to_string(lineNumber) + " is not a journal entry";
        return false;
      }
    }
    carried.erase(0, start);
  }
  copies = count.Copies();
  return true;
}

}  // namespace

bool SummarizeJournal(IJournalReader& journal, const TNameForm& names, TJournalSummary& summary,
                      std::string& problem) {
  summary = {};
  const std::uint64_t size = journal.Size();
  std::string head = ReadPart(journal, 0, static_cast<std::size_t>(std::min<std::uint64_t>(size, kHeadBytes)));
  std::size_t headEnd = head.find('\n');
  if (headEnd != std::string::npos) headEnd = head.find('\n', headEnd + 1);
  if (headEnd == std::string::npos && head.size() == kHeadBytes) {
    problem = "its first lines are too long for a journal's";
    return false;
  }
  // The header and the folder's line, checked as undo checks them.
  head.resize(headEnd == std::string::npos ? head.size() : headEnd + 1);
  TJournal start;
  if (!ReadJournal(head, names, start, problem)) return false;
  summary.Folder = start.Folder;

  const std::uint64_t tailStart = size - std::min<std::uint64_t>(size, kTailBytes);
  const std::string tail = ReadPart(journal, tailStart, static_cast<std::size_t>(size - tailStart));
  if (!tail.empty() && tail.back() == '\n') {
    std::string_view last(tail.data(), tail.size() - 1);
    if (!last.empty() && last.back() == '\r') last.remove_suffix(1);
    const std::size_t lineStart = last.rfind('\n');
    // A line that starts before the tail is longer than any end line.
    if ((lineStart != std::string_view::npos || tailStart == 0) &&
        ReadEndLine(last.substr(lineStart == std::string_view::npos ? 0 : lineStart + 1), summary.Copies)) {
      summary.Ended = true;
      return true;
    }
  }
  return summary.Folder.empty() || CountCopies(journal, head.size(), summary.Copies, problem);
}

bool ReadWholeJournal(const std::unique_ptr<IJournalReader>& journal, std::string& text, std::string& problem) {
  return journal && ReadWholeJournal(*journal, text, problem);
}

bool ReadWholeJournal(IJournalReader& journal, std::string& text, std::string& problem) {
  text.clear();
  std::string block(kBlockBytes, '\0');
  try {
    while (const std::size_t got = journal.ReadAt(text.size(), block.data(), block.size())) {
      text.append(block, 0, got);
    }
  } catch (const std::runtime_error& e) {
    problem = e.what();
    return false;
  }
  return true;
}
