// Measures PROPERTY_GET, with the record copy it returns, against two standard lookups over the
// same labels: std::lower_bound over a sorted std::vector<std::string> (returning a copy of the
// found label) and std::map<std::string, std::string>::find (returning a copy of the value).
// Two stores as the viewer has them: 1,300 board cells labelled "x,y" and 5 textures, each
// probed with labels it holds (hits) and labels it does not (misses). Then the growth of a store:
// importing a property text of 25k, 50k and 100k records in shuffled label order, and the word
// digest of a text holding one run of 25k, 50k and 100k blanks, both as maze-property runs them
// (no window, every pause answered). Prints Google Benchmark's table, then ns per lookup side by
// side with the ratios, and ms per import and digest with the ratio of each doubling.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Support/Property Core.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "tools/cli.h"

namespace {

constexpr size_t kQueries = 4096;  // labels probed in turn, a power of two

constexpr char kUsage[] =
    "usage: property-bench [--benchmark_... options of Google Benchmark]\n"
    "Times PROPERTY_GET against std::lower_bound and std::map::find on a board store of 1,300\n"
    "cells and a texture store of 5, with labels found and not found; prints Google Benchmark's\n"
    "table, then ns per lookup side by side with the ratios.\n"
    "Google Benchmark's own options apply, for example:\n"
    "  --benchmark_filter=REGEX        run only the cases whose name matches (cells-hits/...)\n"
    "  --benchmark_repetitions=N       repeat each case N times; the summary takes the median\n"
    "  --benchmark_min_time=SECONDS    least time spent on each case\n"
    "  --benchmark_format=console|json|csv\n"
    "  --benchmark_list_tests          list the cases and end\n"
    "  --help                          this text (--version: the program's version)\n";

// One store with the same records in the two standard containers, and the labels to probe.
struct Fixture {
  std::string name;
  PROPERTY_STORE store;
  std::vector<std::string> sorted;
  std::map<std::string, std::string> map;
  std::vector<std::string> hits, misses;

  void Add(const std::string& label, const std::string& value) {
    PROPERTY_DATABASE_SET(store, label, value);
    sorted.push_back(label);
    map[label] = value;
  }
  void Finish() { std::sort(sorted.begin(), sorted.end()); }
};

// Picks `count` labels from `pool` over and over in a fixed random order.
std::vector<std::string> Queries(const std::vector<std::string>& pool, std::mt19937& random) {
  std::vector<std::string> queries;
  std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
  while (queries.size() < kQueries) queries.push_back(pool[pick(random)]);
  return queries;
}

void MakeCells(Fixture& f, std::mt19937& random) {
  f.name = "cells";
  std::vector<std::string> cells;
  for (int x = 0; x < 64; ++x)
    for (int y = 0; y < 64; ++y) cells.push_back(std::to_string(x) + "," + std::to_string(y));
  std::shuffle(cells.begin(), cells.end(), random);
  const char* textures[] = {"brick", "metal", "moss", "stone"};
  for (size_t i = 0; i < 1300; ++i) f.Add(cells[i], textures[i % 4]);
  f.Finish();
  f.hits = Queries(std::vector<std::string>(cells.begin(), cells.begin() + 1300), random);
  f.misses = Queries(std::vector<std::string>(cells.begin() + 1300, cells.end()), random);
}

void MakeTextures(Fixture& f, std::mt19937& random) {
  f.name = "textures";
  const std::vector<std::string> labels = {"brick", "metal", "moss", "stone", "wood"};
  for (const std::string& label : labels) {
    platform::IMAGE* image = platform::ImageCreate(64, 64);
    f.Add(label, rt::StrAddress(image));
    int32_t where = 0;
    f.store[PROPERTY_BINARY_FIND(f.store, label, where)].IMAGE = image;
  }
  f.Finish();
  f.hits = Queries(labels, random);
  f.misses = Queries({"", "glass", "bricks", "Moss", "zinc"}, random);
}

// Every method must agree with the others on every probe before anything is timed.
bool Agree(const Fixture& f) {
  for (const auto* queries : {&f.hits, &f.misses}) {
    const bool want = queries == &f.hits;
    for (const std::string& label : *queries) {
      const bool in_store = !PROPERTY_GET(f.store, label).LABEL.empty();
      const bool in_vector = std::binary_search(f.sorted.begin(), f.sorted.end(), label);
      const bool in_map = f.map.count(label) == 1;
      if (in_store != want || in_vector != want || in_map != want) {
        std::fprintf(stderr, "%s: lookups disagree on \"%s\"\n", f.name.c_str(), label.c_str());
        return false;
      }
    }
  }
  return true;
}

void PropertyGet(benchmark::State& state, const Fixture* f, const std::vector<std::string>* q) {
  size_t i = 0;
  for (auto _ : state) {
    PROPERTY_DB_TYPE record = PROPERTY_GET(f->store, (*q)[i++ & (kQueries - 1)]);
    benchmark::DoNotOptimize(record);
  }
}

void LowerBound(benchmark::State& state, const Fixture* f, const std::vector<std::string>* q) {
  size_t i = 0;
  for (auto _ : state) {
    const std::string& label = (*q)[i++ & (kQueries - 1)];
    const auto it = std::lower_bound(f->sorted.begin(), f->sorted.end(), label);
    std::string found = it != f->sorted.end() && *it == label ? *it : std::string();
    benchmark::DoNotOptimize(found);
  }
}

void MapFind(benchmark::State& state, const Fixture* f, const std::vector<std::string>* q) {
  size_t i = 0;
  for (auto _ : state) {
    const auto it = f->map.find((*q)[i++ & (kQueries - 1)]);
    std::string found = it != f->map.end() ? it->second : std::string();
    benchmark::DoNotOptimize(found);
  }
}

// A property text of `count` records "r<number>=v", in shuffled order.
std::string ShuffledText(int64_t count) {
  std::vector<int64_t> numbers(static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) numbers[static_cast<size_t>(i)] = i;
  std::shuffle(numbers.begin(), numbers.end(), std::mt19937(17));
  std::string text;
  for (const int64_t n : numbers)
    text.append(text.empty() ? "" : "\r\n").append("r" + std::to_string(n) + "=v");
  return text;
}

// Times `consume` (an operation that takes over its text) on a fresh copy of `text` in each
// iteration, the copy untimed; the store must end with `records` records.
template <class Consume>
void TimeConsuming(benchmark::State& state, const std::string& text, int64_t records,
                   Consume consume) {
  PROPERTY_STORE store;
  for (auto _ : state) {
    state.PauseTiming();
    std::string buffer = text;
    state.ResumeTiming();
    consume(store, buffer);
  }
  if (store.Count() != records) state.SkipWithError("records lost");
  PROPERTY_ERASE(store);
}

void Import(benchmark::State& state) {
  TimeConsuming(state, ShuffledText(state.range(0)), state.range(0), PROPERTY_DATABASE_IMPORT);
}

void Digest(benchmark::State& state) {
  const std::string text = "a" + std::string(static_cast<size_t>(state.range(0)), ' ') + "b\r\nc";
  TimeConsuming(state, text, state.range(0) + 3, PROPERTY_DIGEST_WORD);
}

// The sizes of the growth benchmarks, each double the one before.
const int64_t kSizes[] = {25000, 50000, 100000};

const char* const kMethods[] = {"PROPERTY_GET", "lower_bound", "map::find"};

// Keeps the ns per lookup of every run, by "case/method", for the summary table; with
// repetitions, their median.
class Collector : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> ns;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (!run.error_occurred && (run.run_type == Run::RT_Iteration || median))
        ns[run.run_name.str()] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

// The ms per run of the growth benchmarks with the ratio of each doubling, for those that ran
// at every size.
void PrintGrowth(const std::map<std::string, double>& ns) {
  bool header = false;
  for (const char* name : {"import", "digest"}) {
    std::vector<double> ms;
    for (const int64_t size : kSizes) {
      const auto it = ns.find(std::string(name) + "/" + std::to_string(size));
      if (it != ns.end()) ms.push_back(it->second);
    }
    if (ms.size() != std::size(kSizes)) continue;
    if (!header) {
      std::printf("\n%-16s", "ms per run");
      for (const int64_t size : kSizes)
        std::printf(" %11lldk", static_cast<long long>(size / 1000));
      std::printf("   ratio of each doubling\n");
      header = true;
    }
    std::printf("%-16s", name);
    for (const double run : ms) std::printf(" %12.1f", run);
    for (size_t i = 1; i < ms.size(); ++i) std::printf(" %6.2f", ms[i] / ms[i - 1]);
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  cli::AnswerHelpAndVersion(argc, argv, "property-bench", kUsage);
  std::mt19937 random(20240611);
  Fixture fixtures[2];
  MakeCells(fixtures[0], random);
  MakeTextures(fixtures[1], random);
  std::vector<std::string> cases;
  for (const Fixture& f : fixtures) {
    if (!Agree(f)) return 1;
    for (const auto* queries : {&f.hits, &f.misses}) {
      const std::string name = f.name + "-" + (queries == &f.hits ? "hits" : "misses");
      cases.push_back(name);
      benchmark::RegisterBenchmark((name + "/" + kMethods[0]).c_str(), PropertyGet, &f, queries)
          ->Unit(benchmark::kNanosecond);
      benchmark::RegisterBenchmark((name + "/" + kMethods[1]).c_str(), LowerBound, &f, queries)
          ->Unit(benchmark::kNanosecond);
      benchmark::RegisterBenchmark((name + "/" + kMethods[2]).c_str(), MapFind, &f, queries)
          ->Unit(benchmark::kNanosecond);
    }
  }
  using Growth = void (*)(benchmark::State&);
  for (const auto& [name, run] :
       {std::pair<const char*, Growth>{"import", Import}, {"digest", Digest}}) {
    benchmark::internal::Benchmark* growth = benchmark::RegisterBenchmark(name, run);
    for (const int64_t size : kSizes) growth->Arg(size);
    growth->Unit(benchmark::kMillisecond);
  }
  platform::headless::SetAutoAnswer(" ");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();

  std::printf("\n%-16s %14s %14s %14s %12s %12s\n", "ns per lookup", kMethods[0], kMethods[1],
              kMethods[2], "GET/lower", "GET/map");
  for (const std::string& c : cases) {
    double ns[3] = {0, 0, 0};
    for (int m = 0; m < 3; ++m) {
      const auto it = collector.ns.find(c + "/" + kMethods[m]);
      if (it != collector.ns.end()) ns[m] = it->second;
    }
    if (ns[0] == 0 || ns[1] == 0 || ns[2] == 0) continue;  // filtered out
    std::printf("%-16s %14.2f %14.2f %14.2f %12.2f %12.2f\n", c.c_str(), ns[0], ns[1], ns[2],
                ns[0] / ns[1], ns[0] / ns[2]);
  }
  PrintGrowth(collector.ns);
  for (Fixture& f : fixtures) PROPERTY_ERASE(f.store);
  return 0;
}
