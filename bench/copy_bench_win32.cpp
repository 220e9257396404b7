// Times the copy run against a bare loop of CopyFileA calls over the same names, in one program
// run: many small copies, where the run's own work per name shows, and a few large ones, where a
// progress routine called per chunk would. Each measurement copies into a fresh empty folder,
// since copies slow down as a folder fills; the two are alternated so both see the same machine.
// Prints the medians of the times and of the paired ratios: copies here vary by a tenth from one
// repetition to the next.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/take_turns.h"
#include "copy/file_copier_win32.h"
#include "naming/generation.h"

namespace {

using TClock = std::chrono::steady_clock;

class TNeverAsked : public ICopyFront, public IMessageSink {
 public:
  void NameDone(std::size_t, const TCopyOutcome&) override {}
  TFailureAnswer NotCopied(std::size_t index, const TCopyOutcome&) override {
    std::fprintf(stderr, "unexpected question at name %u\n", static_cast<unsigned>(index));
    return TFailureAnswer::Stop;
  }
  bool StopRequested() override { return false; }
  void ShowMessage(const std::string&) override {}
};

std::string MakeFolder(const std::string& base, const std::string& name) {
  const std::string path = base + "\\" + name;
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

void RemoveFolder(const std::string& path, const std::vector<std::string>& names) {
  for (const std::string& name : names) DeleteFileA((path + "\\" + name).c_str());
  RemoveDirectoryA(path.c_str());
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct TTimes {
  double Run;
  double Bare;
  double Ratio;  // median over the repetitions of run / bare, each pair measured back to back
};

TTimes Measure(const std::string& base, const std::string& source, int count, int repetitions) {
  TRuleTree tree;
  TRuleNode& prefix = tree.AddRule(tree.Root());
  prefix.Data()->Kind = ckFixString;
  prefix.Data()->FixString = "copy";
  TRuleNode& numbers = tree.AddRule(prefix);
  numbers.Data()->NumFrom = 1;
  numbers.Data()->NumTo = count;
  const std::vector<std::string> names = MakeFileNames(tree, false, source, TEncoding::ShiftJis);

  std::vector<double> run, bare;
  for (int r = 0; r < repetitions; ++r) {
    const std::string runFolder = MakeFolder(base, "run" + std::to_string(count) + "-" + std::to_string(r));
    const std::string bareFolder = MakeFolder(base, "bare" + std::to_string(count) + "-" + std::to_string(r));
    std::vector<std::string> destinations;
    for (const std::string& name : names) destinations.push_back(bareFolder + "\\" + name);

    const auto timeRun = [&] {
      TWin32FileCopier copier(source, runFolder);
      TNeverAsked quiet;
      std::vector<std::string> fileNames;
      const auto start = TClock::now();
      RunCopy(tree, false, source, fileNames, copier, quiet, quiet);
      run.push_back(std::chrono::duration<double, std::milli>(TClock::now() - start).count());
    };
    const auto timeBare = [&] {
      const auto start = TClock::now();
      for (const std::string& destination : destinations) {
        if (!CopyFileA(source.c_str(), destination.c_str(), TRUE)) std::fprintf(stderr, "bare copy failed\n");
      }
      bare.push_back(std::chrono::duration<double, std::milli>(TClock::now() - start).count());
    };
    TakeTurns(r, timeRun, timeBare);
    RemoveFolder(runFolder, names);
    RemoveFolder(bareFolder, names);
  }
  std::vector<double> ratios;
  for (std::size_t i = 0; i < run.size(); ++i) ratios.push_back(run[i] / bare[i]);
  return {Median(run), Median(bare), Median(ratios)};
}

// A file of `size` bytes that no file system stores as holes.
std::string MakeSource(const std::string& path, std::size_t size) {
  std::string block(1 << 20, '\0');
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>('a' + i % 23);
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  for (std::size_t done = 0; done < size;) {
    const DWORD part = static_cast<DWORD>(std::min(block.size(), size - done));
    DWORD written = 0;
    if (!WriteFile(file, block.data(), part, &written, nullptr) || written == 0) break;
    done += written;
  }
  CloseHandle(file);
  return path;
}

}  // namespace

int main() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string base = MakeFolder(temp, "tandelo-copy-bench-" + std::to_string(GetCurrentProcessId()));
  struct TCase {
    const char* Size;
    std::size_t Bytes;
    int Copies;
    int Repetitions;
  };
  const TCase cases[] = {{"1 KiB", 1 << 10, 2000, 11}, {"200 MiB", std::size_t{200} << 20, 5, 5}};
  std::printf("%-8s %-8s %12s %12s %14s\n", "size", "copies", "run (ms)", "bare (ms)", "run / bare");
  for (const TCase& c : cases) {
    const std::string source = MakeSource(base + "\\source.txt", c.Bytes);
    const TTimes t = Measure(base, source, c.Copies, c.Repetitions);
    std::printf("%-8s %-8d %12.1f %12.1f %14.3f\n", c.Size, c.Copies, t.Run, t.Bare, t.Ratio);
    DeleteFileA(source.c_str());
  }
  RemoveDirectoryA(base.c_str());
  return 0;
}
