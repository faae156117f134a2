// The search health bookkeeping of one pass over 200 searches: the file read, the pass folded
// in and the file written in one step, with and without putting it on the disk.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/search_health_file.h"
#include "common/search_health_update.h"

namespace {

constexpr char kFile[] = "bench_searchhealth.txt";

// A pass of searches with long descriptions and addresses, a mix of every kind of outcome.
std::vector<SearchPassResult> Pass(int searches, int round) {
  std::vector<SearchPassResult> pass;
  for (int i = 0; i < searches; ++i) {
    SearchPassResult result;
    result.search.description = "Antique brass ship compass, boxed, search number " + std::to_string(i);
    result.search.address = "http://search.rure.com/search/search.dll?MfcISAPICommand=GetResult&query=compass+" +
                            std::to_string(i) + "&ebaytag1=ebayreg&SortProperty=MetaEndSort";
    const int kind = (i + round) % 4;
    result.outcome.kind = kind < 2 ? OutcomeKind::Items : kind == 2 ? OutcomeKind::None : OutcomeKind::Failed;
    result.outcome.items = 50;
    result.outcome.cause = FailureCause::Status;
    result.outcome.status = 500;
    pass.push_back(result);
  }
  return pass;
}

// As the poller does it after a pass: read, update, write the whole file in one step.
void ReadUpdateWrite(benchmark::State& state) {
  const int searches = static_cast<int>(state.range(0));
  std::remove(kFile);
  SaveSearchHealth(kFile, UpdateSearchHealth({}, Pass(searches, 0), "12/06/26 10:00:00").records);
  int round = 1;
  for (auto _ : state) {
    std::vector<SearchHealth> previous;
    if (LoadSearchHealth(kFile, &previous) != HealthFileRead::Read) state.SkipWithError("file not read");
    const HealthUpdate update = UpdateSearchHealth(previous, Pass(searches, round++), "12/06/26 10:00:00");
    if (!SaveSearchHealth(kFile, update.records)) state.SkipWithError("file not written");
  }
}

// The same without the files: the text read, updated and formatted.
void InMemory(benchmark::State& state) {
  const int searches = static_cast<int>(state.range(0));
  std::string bytes = FormatHealthFile(UpdateSearchHealth({}, Pass(searches, 0), "12/06/26 10:00:00").records);
  int round = 1;
  for (auto _ : state) {
    std::vector<SearchHealth> previous;
    if (!ParseHealthFile(bytes, &previous)) state.SkipWithError("file not read");
    bytes = FormatHealthFile(UpdateSearchHealth(previous, Pass(searches, round++), "12/06/26 10:00:00").records);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long>(bytes.size()));
}

BENCHMARK(ReadUpdateWrite)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(InMemory)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(kFile);
  return 0;
}
