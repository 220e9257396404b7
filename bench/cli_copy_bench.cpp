// Times tandelo-cli's copy with the journal on (the copy run, the journal and the Linux copier)
// against a bare loop of open(O_EXCL) and copy_file_range over the same names, and undo of those
// copies (reading the journal, checking and removing each file) against a bare loop of unlink, in
// one program run, alternated, each into a fresh folder. Prints the medians and the median ratios.
//
// The file system's own work dominates at this size (a journal commit or a writeback can stall
// either side for a second), so every timed part starts after sync(), the copy loops take turns
// going first, and the bare removal goes in undo's order, the last copy first.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "copy/copy_journal.h"
#include "copy/file_copier_posix.h"

namespace {

using TClock = std::chrono::steady_clock;
constexpr int kCopies = 10000;
constexpr int kRepetitions = 7;

class TQuiet : public ICopyPrompt, public IMessageSink {
 public:
  int Ask(const std::string&, const std::string&, unsigned) override { return kAnswerNo; }
  void ShowMessage(const std::string&) override {}
};

double Seconds(TClock::time_point start) { return std::chrono::duration<double>(TClock::now() - start).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The platform copier takes "/" paths; the run joins with "\", which the command's edge turns into
// "/" — here a copier does the same.
class TSlashCopier : public IFileCopier {
 public:
  explicit TSlashCopier(IFileCopier& copier) : copier_(copier) {}
  TCopyOutcome Copy(const std::string& source, const std::string& destination) override {
    std::string path = destination;
    std::replace(path.begin(), path.end(), '\\', '/');
    return copier_.Copy(source, path);
  }

 private:
  IFileCopier& copier_;
};


}  // namespace

int main() {
  char pattern[] = "/tmp/cli-bench-XXXXXX";
  const std::string base = mkdtemp(pattern);
  const std::string source = base + "/source.bin";
  std::ofstream(source) << std::string(1024, 'x');
  std::vector<std::string> names;
  for (int i = 0; i < kCopies; ++i) names.push_back("copy" + std::to_string(i) + ".bin");

  std::vector<double> run, bare, undo, unlinkTimes, copyRatios, undoRatios;
  for (int r = 0; r < kRepetitions; ++r) {
    const std::string runFolder = base + "/run" + std::to_string(r);
    const std::string bareFolder = base + "/bare" + std::to_string(r);
    mkdir(runFolder.c_str(), 0755);
    mkdir(bareFolder.c_str(), 0755);
    const std::string journalPath = runFolder + ".journal";

    const auto timeRun = [&] {
      sync();  // each side starts with nothing of the other's waiting to be written back
      const TClock::time_point start = TClock::now();
      TPosixJournalFile file(journalPath);
      TCopyJournal journal(file);
      TPosixFileCopier platform(&journal);
      TJournalingCopier journaling(platform, journal);
      TSlashCopier copier(journaling);
      TQuiet quiet;
      TCopyServices services{copier, quiet, quiet};
      CopyFiles(source, runFolder, names, services);
      run.push_back(Seconds(start));
    };
    const auto timeBare = [&] {
      sync();
      const TClock::time_point start = TClock::now();
      for (const std::string& name : names) {
        const int from = open(source.c_str(), O_RDONLY | O_CLOEXEC);
        const int to = open((bareFolder + "/" + name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        copy_file_range(from, nullptr, to, nullptr, 1 << 20, 0);
        close(to);
        close(from);
      }
      bare.push_back(Seconds(start));
    };
    // Whichever goes second could still meet the first one's pages being written back: take turns.
    if (r % 2 == 0) {
      timeRun();
      timeBare();
    } else {
      timeBare();
      timeRun();
    }
    copyRatios.push_back(run.back() / bare.back());

    sync();
    TClock::time_point start = TClock::now();
    {
      std::ifstream in(journalPath, std::ios::binary);
      std::string text(static_cast<std::size_t>(in.seekg(0, std::ios::end).tellg()), '\0');
      in.seekg(0).read(text.data(), static_cast<std::streamsize>(text.size()));
      std::vector<TUndoItem> items;
      std::string problem;
      ReadJournal(text, items, problem);
      TPosixFileRemover remover;
      if (!UndoCopies(items, remover, false, [](const TUndoReport&) {})) std::fputs("undo kept files\n", stderr);
    }
    undo.push_back(Seconds(start));

    sync();
    start = TClock::now();
    // In undo's order, the last copy first: a folder's entries go faster in the order they came.
    for (auto name = names.rbegin(); name != names.rend(); ++name) unlink((bareFolder + "/" + *name).c_str());
    unlinkTimes.push_back(Seconds(start));
    undoRatios.push_back(undo.back() / unlinkTimes.back());
    rmdir(runFolder.c_str());
    rmdir(bareFolder.c_str());
    unlink(journalPath.c_str());
  }
  std::printf("%d copies of 1 KiB, journal on: %.3f s median, bare open(O_EXCL)+copy_file_range %.3f s; "
              "median ratio %.3f (target at most 1.1)\n",
              kCopies, Median(run), Median(bare), Median(copyRatios));
  std::printf("undo of %d copies: %.3f s median, bare unlink %.3f s; median ratio %.3f (target at most 1.2)\n",
              kCopies, Median(undo), Median(unlinkTimes), Median(undoRatios));
  unlink(source.c_str());
  rmdir(base.c_str());
}
