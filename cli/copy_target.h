#pragma once

#include <memory>
#include <string>

#include "copy/copy_run.h"
#include "copy/journal_writer.h"
#include "naming/mbcs.h"

// A copy run's target as the command line makes it, the same for the command and its benchmark:
// the platform's copy of the source into the folder, which is opened once; a journal of it, when
// one is given, recording the identity read from that very handle before any copy; and each name
// handed to the system in its code page (converted exactly, or refused, where that is not the
// run's). A dry run's target only looks at what each copy would meet.
class TCommandTarget : public ICopyTarget {
 public:
  // Throws std::runtime_error, having discarded the journal, when the folder cannot be opened or
  // the journal cannot be started.
  TCommandTarget(const std::string& source, const std::string& folder, TEncoding encoding,
                 std::unique_ptr<IJournalFile> journal);
  // A dry run's. Throws std::runtime_error when the folder cannot be opened.
  TCommandTarget(const std::string& folder, TEncoding encoding);
  ~TCommandTarget() override;

  TCopyOutcome Copy(const std::string& name) override;
  bool Journaled() const { return journal_ != nullptr; }
  // Ends the journal once the run is over, on every way it ends (see TCopyJournal::Flush); nothing
  // without one. Throws std::runtime_error.
  void EndJournal();

 private:
  class TDryRun;

  TEncoding encoding_;
  std::unique_ptr<IRunTarget> platform_;
  std::unique_ptr<ICopyTarget> dryRun_;
  std::unique_ptr<IJournalFile> file_;
  std::unique_ptr<TCopyJournal> journal_;
  std::unique_ptr<TJournalingCopier> journaling_;
};
