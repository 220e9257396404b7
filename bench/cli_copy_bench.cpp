// Times tandelo-cli's copy with the journal on (the copy run, the journal and the platform's
// copier) against a bare loop of the platform's copy over the same names (Linux: open(O_EXCL) and
// copy_file_range; Windows: the look, CopyFileA to a temporary name and MoveFileExA, as the
// command copies), and undo of those copies (reading the
// journal, checking and removing each file) against a bare loop of unlink or DeleteFileA, in one
// program run, alternated, each into a fresh folder. Prints the medians and the median ratios.
//
// The file system's own work dominates at this size (a journal commit or a writeback can stall
// either side for a second, and new files cost more just after many were freed), so all copies
// come before all removals, on Linux every timed part starts after sync(), the two sides take
// turns going first, and the bare removal goes in undo's order, the last copy first. The same
// holds between runs: on ext4 a run started within half a minute of the last one's removals
// measures the file system, not the copy. Last, the share of such a run that the progress line
// on a terminal would take.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "bench/take_turns.h"
#include "copy/undo.h"
#include "copy/journal_reader.h"
#include "cli/copy_target.h"
#include "cli/platform.h"
#include "cli/progress.h"

#ifdef _WIN32
#include <windows.h>

#include "copy/file_identity_win32.h"
#include "copy/file_remover_win32.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "copy/file_remover_posix.h"
#endif

namespace {

using TClock = std::chrono::steady_clock;
constexpr int kCopies = 10000;
constexpr int kRepetitions = 7;

class TQuiet : public ICopyFront, public IMessageSink {
 public:
  void NameDone(std::size_t, const TCopyOutcome&) override {}
  TFailureAnswer NotCopied(std::size_t, const TCopyOutcome&) override { return TFailureAnswer::Stop; }
  bool StopRequested() override { return false; }
  void ShowMessage(const std::string&) override {}
};

double Seconds(TClock::time_point start) { return std::chrono::duration<double>(TClock::now() - start).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

#ifdef _WIN32
const char kSeparator = '\\';
const char kBareCopy[] = "GetFileAttributesA, CopyFileA to a temporary name, MoveFileExA";
const char kBareRemove[] = "DeleteFileA";
using TRemover = TWin32FileRemover;

std::string MakeBase() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string base =
      std::string(temp) + "cli-bench-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
  CreateDirectoryA(base.c_str(), nullptr);
  return base;
}
void MakeFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }
void RemoveFolder(const std::string& path) { RemoveDirectoryA(path.c_str()); }
void RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }
void Settle() {}

// The file system's part of the command line's way, without the journal or the proof: the look
// at the name, the copy under a temporary name and the rename that never replaces. Under Wine
// each of the three looks through the whole folder for a name that is not there, so this, not a
// lone CopyFileA, is the work the command must do.
void BareCopy(const std::string& source, const std::string& destination) {
  const std::string temporary = destination + ".part";
  if (GetFileAttributesA(destination.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  if (CopyFileA(source.c_str(), temporary.c_str(), TRUE)) MoveFileExA(temporary.c_str(), destination.c_str(), 0);
}
#else
const char kSeparator = '/';
const char kBareCopy[] = "open(O_EXCL)+copy_file_range";
const char kBareRemove[] = "unlink";
using TRemover = TPosixFileRemover;

std::string MakeBase() {
  char pattern[] = "/tmp/cli-bench-XXXXXX";
  return mkdtemp(pattern);
}
void MakeFolder(const std::string& path) { mkdir(path.c_str(), 0755); }
void RemoveFolder(const std::string& path) { rmdir(path.c_str()); }
void RemoveFile(const std::string& path) { unlink(path.c_str()); }
void Settle() { sync(); }  // nothing of the last part waits to be written back

void BareCopy(const std::string& source, const std::string& destination) {
  const int from = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  const int to = open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  copy_file_range(from, nullptr, to, nullptr, 1 << 20, 0);
  close(to);
  close(from);
}
#endif

}  // namespace

// The share of a run that the progress line takes, for a run whose copies take `perCopy` seconds
// each: a call per name, and at most ten redraws a second (each timed with the erasing that comes
// before a question, so the dearer kind). Written to the null device; a terminal takes the
// written bytes in its own process.
double ProgressShare(double perCopy) {
#ifdef _WIN32
  std::FILE* out = std::fopen("NUL", "w");
#else
  std::FILE* out = std::fopen("/dev/null", "w");
#endif
  TProgress progress(out, kCopies, true);
  constexpr int kCalls = 1000000;
  constexpr int kDraws = 1000;
  TClock::time_point start = TClock::now();
  for (int i = 0; i < kCalls; ++i) progress.Update(i % kCopies);
  const double perCall = Seconds(start) / kCalls;
  start = TClock::now();
  for (int i = 0; i < kDraws; ++i) {
    progress.Clear();
    progress.Update(i);
  }
  const double perDraw = Seconds(start) / kDraws;
  std::fclose(out);
  return perCall / perCopy + 10 * perDraw;
}

int Measure() {
  const std::string base = MakeBase();
  const std::string source = base + kSeparator + "source.bin";
  std::ofstream(source, std::ios::binary) << std::string(1024, 'x');
  std::vector<std::string> names;
  for (int i = 0; i < kCopies; ++i) names.push_back("copy" + std::to_string(i) + ".bin");

  std::vector<double> run, bare, undo, removal, copyRatios, undoRatios;
  const auto runFolder = [&](int r) { return base + kSeparator + "run" + std::to_string(r); };
  const auto bareFolder = [&](int r) { return base + kSeparator + "bare" + std::to_string(r); };
  const auto journalPath = [&](int r) { return runFolder(r) + ".journal"; };

  // Every copy first, every removal after: a file system that has just freed thousands of files
  // searches longer for each new one, which would charge one side for the other's removals.
  for (int r = 0; r < kRepetitions; ++r) {
    MakeFolder(runFolder(r));
    MakeFolder(bareFolder(r));
    const auto timeRun = [&] {
      Settle();
      const TClock::time_point start = TClock::now();
      // The command's own target: its platform copy, its journal, its names for the system.
      TCommandTarget target(source, runFolder(r), TEncoding::Utf8, MakeJournalFile(journalPath(r)));
      TQuiet quiet;
      CopyFiles(names, TNameForm{TEncoding::Utf8, kSeparator}, target, quiet, quiet);
      target.EndJournal();
      run.push_back(Seconds(start));
    };
    const auto timeBare = [&] {
      Settle();
      const TClock::time_point start = TClock::now();
      for (const std::string& name : names) BareCopy(source, bareFolder(r) + kSeparator + name);
      bare.push_back(Seconds(start));
    };
    TakeTurns(r, timeRun, timeBare);
    copyRatios.push_back(run.back() / bare.back());
  }

  for (int r = 0; r < kRepetitions; ++r) {
    const auto timeUndo = [&] {
      Settle();
      const TClock::time_point start = TClock::now();
      std::ifstream in(journalPath(r), std::ios::binary);
      std::string text(static_cast<std::size_t>(in.seekg(0, std::ios::end).tellg()), '\0');
      in.seekg(0).read(text.data(), static_cast<std::streamsize>(text.size()));
      TJournal journal;
      std::string problem;
      ReadJournal(text, TNameForm{TEncoding::Utf8, kSeparator}, journal, problem);
      TRemover remover;
      std::size_t kept = 0;
      UndoCopies(
          journal, remover, false, [&kept](const TUndoReport& report) { kept += report.Result == TUndoResult::Kept; },
          problem);
      if (kept > 0) std::fprintf(stderr, "undo kept %zu files\n", kept);
      undo.push_back(Seconds(start));
    };
    const auto timeRemoval = [&] {
      Settle();
      const TClock::time_point start = TClock::now();
      // In undo's order, the last copy first: a folder's entries go faster in the order they came.
      for (auto name = names.rbegin(); name != names.rend(); ++name) RemoveFile(bareFolder(r) + kSeparator + *name);
      removal.push_back(Seconds(start));
    };
    TakeTurns(r, timeUndo, timeRemoval);
    undoRatios.push_back(undo.back() / removal.back());
    RemoveFolder(runFolder(r));
    RemoveFolder(bareFolder(r));
    RemoveFile(journalPath(r));
  }
  std::printf("%d copies of 1 KiB, journal on: %.3f s median, bare %s %.3f s; median ratio %.3f (target at most 1.1)\n",
              kCopies, Median(run), kBareCopy, Median(bare), Median(copyRatios));
  std::printf("undo of %d copies: %.3f s median, bare %s %.3f s; median ratio %.3f (target at most 1.2)\n", kCopies,
              Median(undo), kBareRemove, Median(removal), Median(undoRatios));
  std::printf("the progress line would take %.3f %% of that copy run (target at most 2 %%)\n",
              100 * ProgressShare(Median(run) / kCopies));
  RemoveFile(source);
  RemoveFolder(base);
  return 0;
}

int main() {
  try {
    return Measure();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cli_copy_bench: %s\n", error.what());
    return 1;
  }
}
