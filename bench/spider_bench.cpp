// A whole run on the spider list: admit N distinct URLs, then hand each out
// with NextToFetch and mark it fetched. Should grow about linearly in N.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "model/SpiderList.h"

namespace {

using trawlonix::TSpiderList;
using trawlonix::TURL;

// Builds URL number i into `u`, reusing its buffers. The URLs are made on
// the fly rather than read from a prepared array: an array of a million URLs
// is itself some 300 MB, and streaming it would be measured along with the
// list.
class UrlMaker {
 public:
  UrlMaker() {
    for (int d = 0; d < 97 * 13; ++d)
      paths_.push_back("/section" + std::to_string(d % 97) + "/sub" + std::to_string(d % 13) + "/");
    url_.Protocol = "http";
    url_.Ext = "html";
  }
  const TURL& Make(std::int64_t i) {
    static const char* const kHosts[] = {"127.0.0.1", "127.0.0.2", "127.0.0.3"};
    url_.Host = kHosts[i % 3];
    url_.Path = paths_[static_cast<std::size_t>(i % static_cast<std::int64_t>(paths_.size()))];
    char name[32];
    std::snprintf(name, sizeof name, "page%lld.html", static_cast<long long>(i));
    url_.FileName = name;
    return url_;
  }

 private:
  std::vector<std::string> paths_;
  TURL url_;
};

void BM_AddThenDrain(benchmark::State& state) {
  const std::int64_t n = state.range(0);
  UrlMaker maker;
  for (auto _ : state) {
    auto list = std::make_unique<TSpiderList>();
    for (std::int64_t i = 0; i < n; ++i)
      benchmark::DoNotOptimize(list->AddURL(maker.Make(i), 0, 1));
    std::int64_t drained = 0;
    for (std::int32_t i; (i = list->NextToFetch()) >= 0;) {
      list->SetInProgress(i, true);
      list->MarkFetched(i);
      ++drained;
    }
    if (drained != n) state.SkipWithError("not every entry was handed out");
    // Freeing the list belongs to closing a project, not to the run.
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK(BM_AddThenDrain)
    ->Arg(100'000)
    ->Arg(300'000)
    ->Arg(1'000'000)
    // Several passes of every size, so that the first pass's page faults do
    // not dominate the 1,000,000 case, which would otherwise run just once.
    ->MinTime(2.0)
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
