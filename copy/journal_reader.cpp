#include "copy/journal_reader.h"

#include "copy/file_name_check.h"
#include "copy/journal_format.h"
#include "naming/text_codes.h"

bool ReadJournal(std::string_view text, const TNameForm& names, TJournal& journal, std::string& problem) {
  journal = {};
  std::vector<TUndoItem>& items = journal.Items;
  SkipByteOrderMark(text);
  // The attempt each item came from, to find the item a later line of the same attempt updates.
  std::vector<std::uint64_t> attempts;
  std::size_t lineNumber = 0;
  bool ended = false;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) break;  // torn by a kill: the entry never finished
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string_view> words = JournalWords(line);
    const auto bad = [&](const std::string& what = "is not a journal entry") {
      problem = "line " + std::to_string(lineNumber) + " " + what;
      return false;
    };
    if (lineNumber == 1) {
      if (line == kJournalHeader || line == kPreviousJournalHeader) continue;
      if (line.rfind("tandelo-cli journal ", 0) == 0) {
        problem = "a journal of another version of tandelo-cli (\"" + std::string(line) +
                  "\"), which this one cannot prove";
      } else {
        problem = "not a journal of tandelo-cli copy (its first line is not \"" + kJournalHeader + "\")";
      }
      return false;
    }
    if (lineNumber == 2) {
      TFileIdentity& folder = journal.FolderIdentity;
      if (words.size() != 5 || words[0] != "folder" || !ReadJournalWord(words[1], journal.Folder) ||
          journal.Folder.empty() || !ReadJournalNumber(words[2], folder.Volume) || !ReadJournalNumber(words[3], folder.Index) ||
          !ReadJournalNumber(words[4], folder.Birth)) {
        return bad("does not name the run's folder");
      }
      continue;
    }
    if (line.empty()) continue;
    if (ended) return bad("follows the end of the run");
    std::uint64_t copies = 0;
    if (ReadEndLine(line, copies)) {
      ended = true;
      continue;
    }
    std::uint64_t attempt = 0;
    TUndoItem item;
    if (words.size() < 4 || !ReadJournalNumber(words[0], attempt) || !ReadJournalWord(words[2], item.Name) ||
        !ReadJournalWord(words[3], item.Temporary)) {
      return bad();
    }
    for (const std::string* name : {&item.Name, &item.Temporary}) {
      if (name == &item.Temporary && name->empty()) continue;
      if (const std::string why = OutsideTheFolder(*name, names); !why.empty()) return bad("holds " + why);
    }
    const std::string_view kind = words[1];
    const bool atItsName = item.Temporary.empty();
    if (kind == "creating" && words.size() == 4) {
      item.Stage = TUndoItem::Creating;
    } else if (kind == "opened" && !atItsName && ReadJournalFields(words, 4, item.File)) {
      item.Stage = TUndoItem::Opened;
    } else if (kind == "created" && ReadJournalFields(words, 4, item.File)) {
      item.Stage = TUndoItem::Created;
    } else if (kind == "named" && atItsName && ReadJournalFields(words, 4, item.File)) {
      item.Stage = TUndoItem::Named;
    } else if (kind == "failed" && words.size() == 4 && atItsName) {
      if (!attempts.empty() && attempts.back() == attempt && items.back().Name == item.Name) {
        attempts.pop_back();
        items.pop_back();
      }
      continue;
    } else {
      return bad();
    }
    // A later line of an attempt says more than the earlier ones about the same file; the
    // temporary name, once given, stays with the attempt.
    if (!attempts.empty() && attempts.back() == attempt && items.back().Name == item.Name) {
      if (item.Temporary.empty()) item.Temporary = items.back().Temporary;
      items.back() = item;
    } else {
      attempts.push_back(attempt);
      items.push_back(item);
    }
  }
  // Killed before its first lines were written, the run copied nothing.
  return true;
}
