#include "copy/journal_writer.h"

#include "copy/file_name_check.h"
#include "copy/journal_format.h"

TCopyJournal::TCopyJournal(IJournalFile& file, const std::string& folder, const TFileIdentity& folderIdentity,
                           const TNameForm& names)
    : file_(file), names_(names) {
  // One write: a kill leaves the journal empty or with both lines.
  try {
    file_.Append(kJournalHeader + "\nfolder " + JournalWord(folder) + " " + std::to_string(folderIdentity.Volume) +
                 " " + std::to_string(folderIdentity.Index) + " " + std::to_string(folderIdentity.Birth) + "\n");
  } catch (...) {
    file_.Discard();
    throw;
  }
}

void TCopyJournal::Begin() {
  ++attempt_;
  attemptWritten_ = false;
  attemptCreated_ = false;
  attemptNamed_ = false;
}

void TCopyJournal::Flush() {
  if (ended_) return;
  ended_ = true;
  heldBack_.append("end ").append(std::to_string(copies_)).append("\n");
  WriteHeldBack();
}

void TCopyJournal::WriteHeldBack() {
  if (heldBack_.empty()) return;
  std::string lines;
  lines.swap(heldBack_);  // lines that could not be written are not tried again
  file_.Append(lines);
}

const std::string& TCopyJournal::Within(const std::string& name) const {
  if (name.empty()) return name;
  if (const std::string why = OutsideTheFolder(name, names_); !why.empty()) {
    throw std::logic_error("a copy outside the journal's folder (" + why + "): " + name);
  }
  return name;
}

void TCopyJournal::Write(std::string_view kind, const std::string& destination, const std::string& temporary,
                         const TFileIdentity* file) {
  std::string line = std::to_string(attempt_);
  line.append(" ").append(kind).append(" ").append(JournalWord(Within(destination)));
  line.append(" ").append(JournalWord(Within(temporary)));
  if (file) line.append(" ").append(JournalFields(*file));
  heldBack_.append(line).append("\n");
  attemptWritten_ = true;
  if (kind == "named" && !attemptNamed_) {
    attemptNamed_ = true;
    ++copies_;
  }
  // Held back only where the "created" line's birth time can prove the file if a kill takes the
  // "named" one: without it, a file killed as it was named would be kept as unproven.
  if (kind == "named" && attemptCreated_) return;
  attemptCreated_ = kind == "created" && file && file->Birth != 0;
  WriteHeldBack();
}

void TCopyJournal::Creating(const std::string& destination, const std::string& temporary) {
  Write("creating", destination, temporary, nullptr);
}

void TCopyJournal::Opened(const std::string& destination, const std::string& temporary, const TFileIdentity& file) {
  Write("opened", destination, temporary, &file);
}

void TCopyJournal::Created(const std::string& destination, const std::string& temporary, const TFileIdentity& file) {
  Write("created", destination, temporary, &file);
}

void TCopyJournal::Named(const std::string& destination, const TFileIdentity& file) {
  Write("named", destination, {}, &file);
}

void TCopyJournal::Failed(const std::string& destination) {
  if (!attemptWritten_) return;
  if (attemptNamed_) --copies_;
  attemptNamed_ = false;
  Write("failed", destination, {}, nullptr);
}

TCopyOutcome TJournalingCopier::Copy(const std::string& name) {
  journal_.Begin();
  TCopyOutcome outcome = target_.Copy(name);
  if (outcome.Result != TCopyResult::Copied) journal_.Failed(name);
  return outcome;
}
