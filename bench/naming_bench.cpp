// Generation against plain baselines in the same run. Prints each benchmark's median and then the
// ratios that matter: generation against two nested loops, and how the join and the removal of
// empty names grow with ten times the names.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <map>
#include <string>
#include <vector>

#include "naming/generation.h"

namespace {

// The scaling benchmarks compare one million names with ten million. One million fit in a large
// last-level cache and ten million do not, so each timed step starts with the caches filled with
// other data: both sizes then read their lists from memory, and the ratio shows the algorithm.
void EvictCaches() {
  static std::vector<unsigned char> other(std::size_t{768} << 20);
  static unsigned char value = 0;
  std::memset(other.data(), ++value, other.size());
  benchmark::ClobberMemory();
}

// number 0 999 above number 0 999.
void BuildMillionTree(TRuleTree& tree) {
  TRuleNode& outer = tree.AddRule(tree.Root());
  outer.Data()->NumTo = 999;
  TRuleNode& inner = tree.AddRule(outer);
  inner.Data()->NumTo = 999;
}

void BM_MillionNames(benchmark::State& state) {
  TRuleTree tree;
  BuildMillionTree(tree);
  for (auto _ : state) {
    std::vector<std::string> names = MakeFileNames(tree, false, "C:\\work\\report.txt", TEncoding::ShiftJis);
    benchmark::DoNotOptimize(names.data());
  }
}
BENCHMARK(BM_MillionNames)->Unit(benchmark::kMillisecond);

// The same million strings from two plain nested loops over pre-made number texts.
void BM_MillionNamesBaseline(benchmark::State& state) {
  std::vector<std::string> texts;
  for (int i = 0; i < 1000; ++i) texts.push_back(std::to_string(i));
  const std::string ext = ".txt";
  for (auto _ : state) {
    std::vector<std::string> names;
    names.reserve(texts.size() * texts.size());
    for (const std::string& a : texts) {
      for (const std::string& b : texts) names.push_back(a + b + ext);
    }
    benchmark::DoNotOptimize(names.data());
  }
}
BENCHMARK(BM_MillionNamesBaseline)->Unit(benchmark::kMillisecond);

// Times `step` alone on a fresh copy of the tree's unjoined names, read from cold caches.
template <typename Step>
void TimeStep(benchmark::State& state, const TRuleTree& tree, Step step) {
  TNameList list;
  AddNames(tree.Root(), std::string(), list);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::string> names = list.FileNames;
    EvictCaches();
    state.ResumeTiming();
    step(names, list.GroupEnds);
    benchmark::DoNotOptimize(names.data());
    state.PauseTiming();
    names = {};  // freeing the copy is not the step's work
    state.ResumeTiming();
  }
  state.counters["names"] = static_cast<double>(list.FileNames.size());
}

// The join over `rules` top-level rules of 1,000 names each.
void BM_Join(benchmark::State& state) {
  TRuleTree tree;
  for (int64_t r = 0; r < state.range(0); ++r) tree.AddRule(tree.Root()).Data()->NumTo = 999;
  TimeStep(state, tree, [](std::vector<std::string>& names, const std::vector<std::size_t>& ends) { JoinGroups(names, ends); });
}
BENCHMARK(BM_Join)->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

// A tree whose names are all empty: `lines` empty lines under a rule of 1,000 empty pieces.
void BuildEmptyTree(TRuleTree& tree, int64_t lines) {
  TRuleNode& outer = tree.AddRule(tree.Root());
  outer.Data()->Kind = ckAnyString;
  outer.Data()->AnyStrings.assign(1000, std::string());
  TRuleNode& inner = tree.AddRule(outer);
  inner.Data()->Kind = ckAnyString;
  inner.Data()->AnyStrings.assign(static_cast<std::size_t>(lines), std::string());
}

void BM_RemoveEmptyNames(benchmark::State& state) {
  TRuleTree tree;
  BuildEmptyTree(tree, state.range(0));
  TimeStep(state, tree, [](std::vector<std::string>& names, const std::vector<std::size_t>&) {
    RemoveEmptyNames(names);
  });
}
BENCHMARK(BM_RemoveEmptyNames)->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

// The whole generation of the all-empty tree, with and without the join.
void BM_AllEmptyTree(benchmark::State& state) {
  TRuleTree tree;
  BuildEmptyTree(tree, state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    EvictCaches();
    state.ResumeTiming();
    std::vector<std::string> names = MakeFileNames(tree, state.range(1) != 0, "report.txt", TEncoding::ShiftJis);
    benchmark::DoNotOptimize(names.data());
  }
}
BENCHMARK(BM_AllEmptyTree)->Args({1000, 0})->Args({10000, 0})->Args({1000, 1})->Args({10000, 1})
    ->Iterations(3)->Unit(benchmark::kMillisecond);

// Keeps the median of each benchmark so the ratios can be printed after the table.
class TMedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        // Keyed by function and arguments only, without "/iterations:N".
        const std::string& args = run.run_name.args;
        Medians[run.run_name.function_name + (args.empty() ? "" : "/" + args)] = run.GetAdjustedRealTime();
      }
    }
  }
  std::map<std::string, double> Medians;
};

void PrintRatio(const TMedianReporter& reporter, const char* what, const std::string& a,
                const std::string& b, double limit) {
  const auto x = reporter.Medians.find(a), y = reporter.Medians.find(b);
  if (x == reporter.Medians.end() || y == reporter.Medians.end()) return;
  const double ratio = x->second / y->second;
  std::printf("%-44s %6.2f  (at most %.1f: %s)\n", what, ratio, limit, ratio <= limit ? "met" : "NOT MET");
}

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // glibc maps blocks above 32 MiB afresh on every allocation, so a ten times larger list would
  // pay page faults that the smaller one, served from reused heap, does not. Keep both on the heap
  // so the ratios compare the algorithms.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, -1);
#endif
  // Medians of several repetitions: the machines are shared and noisy.
  std::vector<char*> args(argv, argv + argc);
  std::string reps = "--benchmark_repetitions=7";
  std::string aggregates = "--benchmark_report_aggregates_only=true";
  args.insert(args.begin() + 1, {reps.data(), aggregates.data()});
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  TMedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nMedian ratios:\n");
  PrintRatio(reporter, "million names / nested-loop baseline", "BM_MillionNames",
             "BM_MillionNamesBaseline", 1.5);
  PrintRatio(reporter, "join: 10x names / 1x names", "BM_Join/10000", "BM_Join/1000", 12);
  PrintRatio(reporter, "empty-name removal: 10x / 1x", "BM_RemoveEmptyNames/10000",
             "BM_RemoveEmptyNames/1000", 12);
  PrintRatio(reporter, "all-empty generation: 10x / 1x", "BM_AllEmptyTree/10000/0",
             "BM_AllEmptyTree/1000/0", 12);
  PrintRatio(reporter, "all-empty generation with join: 10x / 1x", "BM_AllEmptyTree/10000/1",
             "BM_AllEmptyTree/1000/1", 12);
  benchmark::Shutdown();
  return 0;
}
