#include "copy/copy_journal.h"

#include <algorithm>
#include <charconv>

const std::string kJournalHeader = "tandelo-cli journal 1";

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string EscapePath(const std::string& path) {
  std::string text;
  text.reserve(path.size());
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || byte == '%') {
      text.push_back('%');
      text.push_back(kHexDigits[byte >> 4]);
      text.push_back(kHexDigits[byte & 15]);
    } else {
      text.push_back(c);
    }
  }
  return text;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool UnescapePath(std::string_view text, std::string& path) {
  path.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      path.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    path.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return !path.empty();
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at < line.size();) {
    const std::size_t end = std::min(line.find(' ', at), line.size());
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

template <typename T>
bool ToNumber(std::string_view word, T& value) {
  const auto [stop, status] = std::from_chars(word.data(), word.data() + word.size(), value);
  return status == std::errc() && stop == word.data() + word.size();
}

}  // namespace

TCopyJournal::TCopyJournal(IJournalFile& file) : file_(file) { file_.Append(kJournalHeader + "\n"); }

void TCopyJournal::Begin() {
  ++attempt_;
  attemptWritten_ = false;
}

void TCopyJournal::Write(std::string_view kind, const std::string& destination, const std::string& fields) {
  std::string line = std::to_string(attempt_);
  line.append(" ").append(kind).append(" ").append(EscapePath(destination)).append(fields).append("\n");
  file_.Append(line);
  attemptWritten_ = true;
}

void TCopyJournal::Creating(const std::string& destination) { Write("creating", destination); }

void TCopyJournal::Opened(const std::string& destination, const TFileIdentity& file) {
  Write("opened", destination, " " + std::to_string(file.Volume) + " " + std::to_string(file.Index));
}

void TCopyJournal::Created(const std::string& destination, const TFileIdentity& file) {
  Write("created", destination,
        " " + std::to_string(file.Volume) + " " + std::to_string(file.Index) + " " + std::to_string(file.Size) +
            " " + std::to_string(file.Time));
}

void TCopyJournal::Failed(const std::string& destination) {
  if (attemptWritten_) Write("failed", destination);
}

TCopyOutcome TJournalingCopier::Copy(const std::string& source, const std::string& destination) {
  journal_.Begin();
  TCopyOutcome outcome = copier_.Copy(source, destination);
  if (outcome.Result != TCopyResult::Copied) journal_.Failed(destination);
  return outcome;
}

bool ReadJournal(std::string_view text, std::vector<TUndoItem>& items, std::string& problem) {
  items.clear();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  // The attempt each item came from, to find the item a later line of the same attempt updates.
  std::vector<std::uint64_t> attempts;
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) break;  // torn by a kill: the entry never finished
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lineNumber == 1) {
      if (line != kJournalHeader) {
        problem = "not a journal of tandelo-cli copy (its first line is not \"" + kJournalHeader + "\")";
        return false;
      }
      continue;
    }
    if (line.empty()) continue;
    const std::vector<std::string_view> words = Words(line);
    const auto bad = [&] {
      problem = "line " + std::to_string(lineNumber) + " is not a journal entry";
      return false;
    };
    std::uint64_t attempt = 0;
    std::string path;
    if (words.size() < 3 || !ToNumber(words[0], attempt) || !UnescapePath(words[2], path)) return bad();
    const std::string_view kind = words[1];
    TUndoItem item;
    item.Path = path;
    if (kind == "creating" && words.size() == 3) {
      item.Stage = TUndoItem::Creating;
    } else if (kind == "opened" && words.size() == 5 && ToNumber(words[3], item.File.Volume) &&
               ToNumber(words[4], item.File.Index)) {
      item.Stage = TUndoItem::Opened;
    } else if (kind == "created" && words.size() == 7 && ToNumber(words[3], item.File.Volume) &&
               ToNumber(words[4], item.File.Index) && ToNumber(words[5], item.File.Size) &&
               ToNumber(words[6], item.File.Time)) {
      item.Stage = TUndoItem::Created;
    } else if (kind == "failed" && words.size() == 3) {
      if (!attempts.empty() && attempts.back() == attempt && items.back().Path == path) {
        attempts.pop_back();
        items.pop_back();
      }
      continue;
    } else {
      return bad();
    }
    // A later line of an attempt says more than the earlier ones about the same file.
    if (!attempts.empty() && attempts.back() == attempt && items.back().Path == path) {
      items.back() = item;
    } else {
      attempts.push_back(attempt);
      items.push_back(item);
    }
  }
  return true;
}

bool UndoCopies(const std::vector<TUndoItem>& items, IFileRemover& remover, bool dryRun,
                const std::function<void(const TUndoReport&)>& report) {
  bool allRemoved = true;
  for (auto item = items.rbegin(); item != items.rend(); ++item) {
    TUndoReport result{TUndoResult::Kept, item->Path, {}};
    const TFileState state = remover.Inspect(item->Path);
    const bool sameFile = state.Exists && state.RegularFile && state.File.Volume == item->File.Volume &&
                          state.File.Index == item->File.Index;
    const bool complete = item->Stage == TUndoItem::Created;
    if (!state.Exists) {
      result.Result = TUndoResult::Absent;
    } else if (item->Stage == TUndoItem::Creating) {
      result.Reason = "the run was stopped while making this name; nothing proves that it made this file";
    } else if (!sameFile) {
      result.Reason = "not the file the run made (it was replaced, or was there before)";
    } else if (complete && (state.File.Size != item->File.Size || state.File.Time != item->File.Time)) {
      result.Reason = "changed since the run made it";
    } else {
      result.Result = TUndoResult::Removed;
      if (!complete) result.Reason = "part-written when the run was stopped";
      std::string problem;
      if (!dryRun && !remover.RemoveIfSame(item->Path, item->File, complete, problem)) {
        result.Result = TUndoResult::Kept;
        result.Reason = problem;
      }
    }
    if (result.Result == TUndoResult::Kept) allRemoved = false;
    report(result);
  }
  return allRemoved;
}
