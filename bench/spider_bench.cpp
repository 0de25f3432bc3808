// A whole run on the spider list: admit N distinct URLs, then hand each out
// with NextToFetch and mark it fetched. Should grow about linearly in N.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <limits>

#include <memory>
#include <string>
#include <vector>

#include "model/SpiderList.h"

namespace {

using trawlonix::TSpiderList;
using trawlonix::TURL;

std::vector<TURL> MakeUrls(std::int64_t n) {
  std::vector<TURL> urls(static_cast<std::size_t>(n));
  for (std::int64_t i = 0; i < n; ++i) {
    TURL& u = urls[static_cast<std::size_t>(i)];
    u.Protocol = "http";
    u.Host = "127.0.0." + std::to_string(1 + i % 3);
    u.Path = "/section" + std::to_string(i % 97) + "/sub" + std::to_string(i % 13) + "/";
    u.FileName = "page" + std::to_string(i) + ".html";
    u.Ext = "html";
  }
  return urls;
}

void BM_AddThenDrain(benchmark::State& state) {
  const std::vector<TURL> urls = MakeUrls(state.range(0));
  for (auto _ : state) {
    auto list = std::make_unique<TSpiderList>();
    for (const TURL& u : urls)
      benchmark::DoNotOptimize(list->AddURL(u, 0, 1));
    // Every tenth URL is found again and refused through the index.
    for (std::size_t i = 0; i < urls.size(); i += 10)
      benchmark::DoNotOptimize(list->AddURL(urls[i], 0, 1));
    std::int64_t drained = 0;
    for (std::int32_t i; (i = list->NextToFetch()) >= 0;) {
      list->SetInProgress(i, true);
      list->MarkFetched(i);
      ++drained;
    }
    if (drained != state.range(0)) state.SkipWithError("not every entry was handed out");
    // Freeing the list belongs to closing a project, not to the run.
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_AddThenDrain)
    ->Arg(100'000)
    ->Arg(300'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Keep freed memory in the process: otherwise every 1,000,000 iteration
  // maps its ~400 MB afresh (some 140,000 page faults) while the smaller
  // sizes reuse what the previous iteration freed, and the comparison would
  // measure the kernel instead of the list.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
