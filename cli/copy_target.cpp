#include "cli/copy_target.h"

#include <set>
#include <stdexcept>

#include "cli/platform.h"
#include "cli/text_encoding.h"

// Says what a copy would do: what the copier meets at each name, and a name whose file an earlier
// name of the run would have made, known by where it lands, not by its spelling ("sub/x" and
// "link/x" through a link to sub; on Windows "a.txt", "A.TXT" and "a.txt.").
class TCommandTarget::TDryRun : public ICopyTarget {
 public:
  explicit TDryRun(std::unique_ptr<ICopyLook> look) : look_(std::move(look)) {}
  TCopyOutcome Copy(const std::string& name) override {
    std::string landing;
    TCopyOutcome outcome = look_->Look(name, landing);
    if (outcome.Result == TCopyResult::Copied && !made_.insert(std::move(landing)).second) {
      outcome = {TCopyResult::Exists, {}};
    }
    return outcome;
  }

 private:
  std::unique_ptr<ICopyLook> look_;
  std::set<std::string> made_;
};

TCommandTarget::TCommandTarget(const std::string& source, const std::string& folder, TEncoding encoding,
                               std::unique_ptr<IJournalFile> journal)
    : encoding_(encoding), file_(std::move(journal)) {
  try {
    platform_ = MakeRunTarget(source, folder);
    if (!file_) return;
    journal_ = std::make_unique<TCopyJournal>(*file_, folder, platform_->FolderIdentity(), PlatformNames());
  } catch (...) {
    // No journal is left of a run that could not start.
    if (file_) file_->Discard();
    throw;
  }
  platform_->Witness(*journal_);
  journaling_ = std::make_unique<TJournalingCopier>(*platform_, *journal_);
}

TCommandTarget::TCommandTarget(const std::string& folder, TEncoding encoding)
    : encoding_(encoding), dryRun_(std::make_unique<TDryRun>(MakeCopyLook(folder))) {}

TCommandTarget::~TCommandTarget() = default;

TCopyOutcome TCommandTarget::Copy(const std::string& name) {
  std::string system;
  std::string problem;
  if (!SystemName(name, encoding_, system, problem)) return {TCopyResult::Failed, problem};
  if (dryRun_) return dryRun_->Copy(system);
  return journaling_ ? journaling_->Copy(system) : platform_->Copy(system);
}

void TCommandTarget::EndJournal() {
  if (journal_) journal_->Flush();
}
