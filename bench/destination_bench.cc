// Benchmarks of the destination hand-over: the whole raw call for each
// example, its two parts (the UTF-16 to code-page conversion and ParseText),
// the field conversions, the copy-out, and the debug log with its file open.
//
// Each benchmark also reports the heap allocations per call (operator new,
// counted by the test allocation hooks linked in); the instruction-count
// probe (call_probe.cc) counts malloc as well.
//
// The custom main prints, after the usual console output, a table of ns
// per call and allocations per call, and for each example the ratio of the
// whole raw call to its code-page conversion alone, both from this run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "destination/destination_list_plan.h"
#include "destination/message_file_plan.h"
#include "destination/protocol_fields.h"
#include "diag/dbg_log.h"
#include "examples.h"
#include "platform/platform.h"
#include "support/alloc_hooks.h"
#include "vexa/vexa.h"

namespace {

using vexa::bench::Example;

const Example& GuideExample() {
  static const Example example = vexa::bench::GuideMessageExample();
  return example;
}

const Example& ListExample() {
  static const Example example = vexa::bench::DestinationList511Example();
  return example;
}

void ReportAllocations(benchmark::State& state, const vexa::test::AllocationCounter& counter) {
  state.counters["allocs/call"] = benchmark::Counter(
      static_cast<double>(counter.count()), benchmark::Counter::kAvgIterations);
}

// The code-page form of an example, as the raw call converts it.
std::string Converted(const Example& example) {
  char buffer[512];
  const int bytes = vexa::platform::WideToCodePage(
      vexa::platform::AnsiCodePage(), reinterpret_cast<const char16_t*>(example.text.data()),
      static_cast<int>(example.text.size()), buffer, 511);
  return std::string(buffer, bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
}

void BM_RawCall(benchmark::State& state, const Example* which) {
  const Example& example = *which;
  if (vexa::bench::SelectPlan(example.plan) != 0 ||
      PTT_Parse_Raw_Protocol(example.units(), example.length_bytes()) != 0) {
    state.SkipWithError("the example does not parse");
    return;
  }
  vexa::test::AllocationCounter counter;
  for (auto _ : state) {
    benchmark::DoNotOptimize(PTT_Parse_Raw_Protocol(example.units(), example.length_bytes()));
  }
  ReportAllocations(state, counter);
}

void BM_CodePageConversion(benchmark::State& state, const Example* which) {
  const Example& example = *which;
  const unsigned code_page = vexa::platform::AnsiCodePage();
  const auto* units = reinterpret_cast<const char16_t*>(example.text.data());
  const int count = static_cast<int>(example.text.size());
  char buffer[512];
  if (vexa::platform::WideToCodePage(code_page, units, count, buffer, 511) <= 0) {
    state.SkipWithError("the example does not convert");
    return;
  }
  vexa::test::AllocationCounter counter;
  for (auto _ : state) {
    benchmark::DoNotOptimize(vexa::platform::WideToCodePage(code_page, units, count, buffer, 511));
    benchmark::ClobberMemory();
  }
  ReportAllocations(state, counter);
}

// ParseText splits its text in place, so every call starts from a fresh
// copy of the converted text (a 512-byte copy, included in the time).
template <class Plan>
void BM_ParseText(benchmark::State& state, const Example* which) {
  const std::string text = Converted(*which);
  Plan plan;
  char buffer[512];
  DestinationPacket packet;
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  if (plan.ParseText(buffer, static_cast<int>(text.size()), &packet) != 0) {
    state.SkipWithError("the example does not parse");
    return;
  }
  vexa::test::AllocationCounter counter;
  for (auto _ : state) {
    std::memcpy(buffer, text.data(), text.size() + 1);
    benchmark::DoNotOptimize(plan.ParseText(buffer, static_cast<int>(text.size()), &packet));
    benchmark::ClobberMemory();
  }
  ReportAllocations(state, counter);
}

void BM_DecimalDegreesToUnits(benchmark::State& state) {
  const char* field = "116.397128";
  vexa::test::AllocationCounter counter;
  for (auto _ : state) {
    benchmark::DoNotOptimize(field);
    benchmark::DoNotOptimize(vexa::destination::DecimalDegreesToUnits(field));
  }
  ReportAllocations(state, counter);
}

void BM_DegreesMinutesToUnits(benchmark::State& state, int width) {
  const char* field = width == 2 ? "3954.5000" : "11623.2000";
  vexa::test::AllocationCounter counter;
  for (auto _ : state) {
    benchmark::DoNotOptimize(field);
    benchmark::DoNotOptimize(vexa::destination::DegreesMinutesToUnits(field, width));
  }
  ReportAllocations(state, counter);
}

void BM_RouteModeFromWord(benchmark::State& state) {
  const char* field = "\xBE\xAD\xBC\xC3";  // the last of the four words
  vexa::test::AllocationCounter counter;
  for (auto _ : state) {
    benchmark::DoNotOptimize(field);
    benchmark::DoNotOptimize(vexa::destination::RouteModeFromWord(field));
  }
  ReportAllocations(state, counter);
}

void BM_RouteModeFromDigit(benchmark::State& state) {
  char digit = '4';
  vexa::test::AllocationCounter counter;
  for (auto _ : state) {
    benchmark::DoNotOptimize(digit);
    benchmark::DoNotOptimize(vexa::destination::RouteModeFromDigit(digit));
  }
  ReportAllocations(state, counter);
}

void BM_GetDataPacket(benchmark::State& state) {
  DestinationPacket packet;
  if (PTT_Get_DataPacket(&packet) != 0) {
    state.SkipWithError("PTT_Get_DataPacket failed");
    return;
  }
  vexa::test::AllocationCounter counter;
  for (auto _ : state) {
    benchmark::DoNotOptimize(PTT_Get_DataPacket(&packet));
    benchmark::ClobberMemory();
  }
  ReportAllocations(state, counter);
}

// A short message per call, as a diagnostic would write one; the file is
// opened by the call before the loop, and the throttled flush (with its
// commit to the medium) runs inside the loop as it falls due.
void BM_DbgLogOpenFile(benchmark::State& state) {
  vexa::DbgLog("benchmark start\n");
  int i = 0;
  vexa::test::AllocationCounter counter;
  for (auto _ : state) {
    vexa::DbgLog("raw message %d parsed: %d points\n", ++i, 5);
  }
  ReportAllocations(state, counter);
}

// Registered under plain names: the example is an argument of the
// registration, not a benchmark argument that would show in the name.
void RegisterAll() {
  for (const Example* example : {&GuideExample(), &ListExample()}) {
    const std::string name = example->name;
    const bool guide = example->plan == 1;
    benchmark::RegisterBenchmark(("raw_call/" + name).c_str(), BM_RawCall, example);
    benchmark::RegisterBenchmark(("code_page_conversion/" + name).c_str(),
                                 BM_CodePageConversion, example);
    if (guide) {
      benchmark::RegisterBenchmark(("parse_text/" + name).c_str(),
                                   BM_ParseText<vexa::destination::MessageFilePlan>, example);
    } else {
      benchmark::RegisterBenchmark(("parse_text/" + name).c_str(),
                                   BM_ParseText<vexa::destination::DestinationListPlan>,
                                   example);
    }
  }
  benchmark::RegisterBenchmark("decimal_degrees_to_units", BM_DecimalDegreesToUnits);
  benchmark::RegisterBenchmark("degrees_minutes_to_units/latitude", BM_DegreesMinutesToUnits, 2);
  benchmark::RegisterBenchmark("degrees_minutes_to_units/longitude", BM_DegreesMinutesToUnits,
                               3);
  benchmark::RegisterBenchmark("route_mode_from_word", BM_RouteModeFromWord);
  benchmark::RegisterBenchmark("route_mode_from_digit", BM_RouteModeFromDigit);
  benchmark::RegisterBenchmark("get_data_packet", BM_GetDataPacket);
  benchmark::RegisterBenchmark("dbg_log/open_file", BM_DbgLogOpenFile);
}

// Keeps every run so that the summary can relate them.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  struct Result {
    double ns;
    double allocs;
  };

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      // CPU time: on a shared machine it moves less with load than the
      // wall clock, and these calls neither sleep nor wait.
      Result result{run.GetAdjustedCPUTime(), -1};
      auto allocs = run.counters.find("allocs/call");
      if (allocs != run.counters.end()) result.allocs = allocs->second.value;
      names_.push_back(run.benchmark_name());
      results_[run.benchmark_name()] = result;
    }
  }

  void PrintSummary() const {
    std::printf("\n| benchmark | ns per call (CPU) | heap allocations per call |\n");
    std::printf("|---|---:|---:|\n");
    for (const std::string& name : names_) {
      const Result& r = results_.at(name);
      std::printf("| `%s` | %.1f | %.2f |\n", name.c_str(), r.ns, r.allocs);
    }
    std::printf("\n| example | raw call ns | conversion alone ns | ratio |\n");
    std::printf("|---|---:|---:|---:|\n");
    for (const char* example : {"guide_message", "destination_list_511"}) {
      auto whole = results_.find(std::string("raw_call/") + example);
      auto part = results_.find(std::string("code_page_conversion/") + example);
      if (whole == results_.end() || part == results_.end() || part->second.ns <= 0) continue;
      std::printf("| %s | %.1f | %.1f | %.2f |\n", example, whole->second.ns, part->second.ns,
                  whole->second.ns / part->second.ns);
    }
  }

 private:
  std::vector<std::string> names_;
  std::map<std::string, Result> results_;
};

}  // namespace

int main(int argc, char** argv) {
  // A fresh data directory: no destination file for PTT_Init to take over,
  // and a place for the debug log.
  char directory[] = "/tmp/vexa-bench-XXXXXX";
  if (mkdtemp(directory) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  setenv("VEXA_DATA_DIR", directory, 1);

  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSummary();
  benchmark::Shutdown();

  std::string log = std::string(directory) + "/VexaDbgLog.txt";
  std::remove(log.c_str());
  // The log file is still open until unload; the directory goes with the
  // next boot's /tmp clean-up if removing it now fails.
  std::remove(directory);
  return 0;
}
