// How many names the 32-bit program can hold: builds lists of 30-byte names (plus ".txt") with
// MakeFileNames, each size in a fresh process, and searches for the largest that still fits, with
// and without the join. After the names it runs the copy loop over all of them with a copier that
// copies nothing, to show what a run needs on top of the list. Built twice, with and without the
// large-address-aware flag, so that one run of scripts/bench shows what the flag is worth.
//
//   capacity_probe.exe                 the search: prints one line per mode
//   capacity_probe.exe plain|join N    one size: prints "ok SECONDS PEAK_MIB RUN_PEAK_MIB" or fails
//   capacity_probe.exe time N          how long N names take to make and to free
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "copy/copy_run.h"
#include "naming/generation.h"

namespace {

// Names of eight digits after a fixed text: every name has the same length at every size.
constexpr int kFirstNumber = 10'000'000;

void AddNumbered(TRuleTree& tree, const std::string& text, std::uint64_t count) {
  TRuleNode& fixed = tree.AddRule(tree.Root());
  fixed.Data()->Kind = ckFixString;
  fixed.Data()->FixString = text;
  TRuleNode& numbers = tree.AddRule(fixed);
  numbers.Data()->NumFrom = kFirstNumber;
  numbers.Data()->NumTo = kFirstNumber + static_cast<int>(count) - 1;
}

// `count` final names of 30 bytes. With the join, two groups of 15-byte names are joined
// position by position, so twice as many names are held until the join.
void MakeTree(TRuleTree& tree, bool join, std::uint64_t count) {
  if (join) {
    AddNumbered(tree, "aaaaaaa", count);
    AddNumbered(tree, "bbbbbbb", count);
  } else {
    AddNumbered(tree, std::string(22, 'a'), count);
  }
}

double PeakMib() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakPagefileUsage) / (1 << 20);
}

class TNoCopy : public ICopyTarget, public ICopyFront, public IMessageSink {
 public:
  TCopyOutcome Copy(const std::string&) override { return {}; }
  void NameDone(std::size_t, const TCopyOutcome&) override {}
  TFailureAnswer NotCopied(std::size_t, const TCopyOutcome&) override { return TFailureAnswer::Stop; }
  bool StopRequested() override { return false; }
  void ShowMessage(const std::string&) override {}
};

int MakeOne(bool join, std::uint64_t count) {
  try {
    TRuleTree tree;
    MakeTree(tree, join, count);
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> names = MakeFileNames(tree, join, "C:\\source.txt", TEncoding::ShiftJis);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (names.size() != count || names.back().size() != 34) {
      std::printf("wrong %u names\n", static_cast<unsigned>(names.size()));
      return 2;
    }
    const double peak = PeakMib();
    TNoCopy none;
    CopyFiles(names, TNameForm{}, none, none, none);
    std::printf("ok %.2f %.0f %.0f\n", seconds, peak, PeakMib());
    std::fflush(stdout);
    ExitProcess(0);  // freeing millions of names one by one tells nothing and takes long
  } catch (const std::bad_alloc&) {
    std::printf("out-of-memory\n");
    return 1;
  }
}

// How long the window's thread is busy with a list at the limit, without the join: the list
// made, and the previous list freed before the next one is made.
int TimeOne(std::uint64_t count) {
  TRuleTree tree;
  MakeTree(tree, false, count);
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::string> names = MakeFileNames(tree, false, "C:\\source.txt", TEncoding::ShiftJis);
  const auto made = std::chrono::steady_clock::now();
  std::vector<std::string>().swap(names);
  const auto freed = std::chrono::steady_clock::now();
  std::printf("%llu names made in %.2f s, freed in %.2f s\n", static_cast<unsigned long long>(count),
              std::chrono::duration<double>(made - start).count(),
              std::chrono::duration<double>(freed - made).count());
  return 0;
}

struct TResult {
  bool Fits = false;
  std::string Line;
};

// Runs this program on one size and reads what it prints.
TResult Probe(const char* mode, std::uint64_t count) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" " + mode + " " + std::to_string(count);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  CreatePipe(&readEnd, &writeEnd, &inherit, 0);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  TResult result;
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
    result.Line = "cannot start";
    return result;
  }
  CloseHandle(writeEnd);
  char buffer[256];
  DWORD got;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) result.Line.append(buffer, got);
  CloseHandle(readEnd);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  while (!result.Line.empty() && (result.Line.back() == '\n' || result.Line.back() == '\r')) result.Line.pop_back();
  result.Fits = code == 0 && result.Line.rfind("ok ", 0) == 0;
  if (!result.Fits && result.Line.empty()) result.Line = "exit " + std::to_string(code);
  return result;
}

// The largest count that fits, to within `step`, found by doubling and then halving the gap.
void Search(bool join, std::uint64_t step) {
  std::uint64_t fits = 0, fails = 0;
  TResult best;
  for (std::uint64_t count = 2'000'000; fails == 0; count *= 2) {
    const TResult r = Probe(join ? "join" : "plain", count);
    std::printf("  %s %9llu: %s\n", join ? "join " : "plain", static_cast<unsigned long long>(count), r.Line.c_str());
    std::fflush(stdout);
    if (r.Fits) {
      fits = count;
      best = r;
    } else {
      fails = count;
    }
    if (count >= 64'000'000) break;
  }
  while (fails != 0 && fails - fits > step) {
    const std::uint64_t middle = (fits + fails) / 2 / step * step;
    if (middle == fits) break;
    const TResult r = Probe(join ? "join" : "plain", middle);
    std::printf("  %s %9llu: %s\n", join ? "join " : "plain", static_cast<unsigned long long>(middle),
                r.Line.c_str());
    std::fflush(stdout);
    if (r.Fits) {
      fits = middle;
      best = r;
    } else {
      fails = middle;
    }
  }
  std::printf("%s: at most %llu names of 30 bytes fit (%s; seconds, peak MiB, peak MiB after the run loop)\n",
              join ? "join " : "plain", static_cast<unsigned long long>(fits), best.Line.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "time") == 0) return TimeOne(std::strtoull(argv[2], nullptr, 10));
  if (argc == 3) return MakeOne(std::strcmp(argv[1], "join") == 0, std::strtoull(argv[2], nullptr, 10));
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const auto* header = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      reinterpret_cast<const char*>(GetModuleHandleA(nullptr)) +
      reinterpret_cast<const IMAGE_DOS_HEADER*>(GetModuleHandleA(nullptr))->e_lfanew);
  std::printf("%s, %s\n", self,
              header->FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE ? "large-address-aware"
                                                                                : "2 GiB of address space");
  Search(false, 1'000'000);
  Search(true, 1'000'000);
  for (int i = 0; i < 3; ++i) std::printf("%s\n", Probe("time", kMaxFileNames).Line.c_str());
  return 0;
}
