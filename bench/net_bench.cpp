// Requests per second of the fetch slot against nginx on 127.0.0.1 serving a
// 10 KB file: one slot fetching in a loop, and ten slots sharing one thread's
// event loop as the crawl worker runs them.
#include <benchmark/benchmark.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <vector>

#include "TestServer.h"
#include "net/HttpObject.h"

namespace {

using trawlonix::THTTPObject;
using trawlonix::testsupport::NginxServer;

QTemporaryDir* gDir = nullptr;
NginxServer* gNginx = nullptr;
std::string gUrl;

bool StartNginx() {
  if (gNginx) return true;
  if (!NginxServer::available()) return false;
  gDir = new QTemporaryDir;
  QFile f(gDir->filePath("file10k.bin"));
  if (!f.open(QIODevice::WriteOnly)) return false;
  f.write(QByteArray(10240, 'x'));
  f.close();
  gNginx = new NginxServer;
  if (!gNginx->start(gDir->path(), QString(), 600)) return false;
  gUrl = "http://127.0.0.1:" + std::to_string(gNginx->port()) + "/file10k.bin";
  return true;
}

// Runs `total` fetches with `slotCount` slots in this thread's event loop.
bool RunFetches(int slotCount, int total) {
  QEventLoop loop;
  std::vector<std::unique_ptr<THTTPObject>> objs;
  int started = 0;
  int finished = 0;
  bool ok = true;
  for (int i = 0; i < slotCount; ++i) {
    auto o = std::make_unique<THTTPObject>();
    o->SetThreadID(i);
    o->SetURL(gUrl);
    o->SetTimeoutTime(10);
    THTTPObject* raw = o.get();
    o->OnTransferResults = [&, raw](int, bool success) {
      ok = ok && success && raw->StatusCode() == 200 && raw->DataSize() == 10240;
      ++finished;
      if (started < total) {
        ++started;
        raw->InitiateProcess();
      } else if (finished == total) {
        loop.quit();
      }
    };
    objs.push_back(std::move(o));
  }
  for (auto& o : objs) {
    if (started == total) break;
    ++started;
    o->InitiateProcess();
  }
  QTimer::singleShot(60000, &loop, [&] {
    ok = false;
    loop.quit();
  });
  loop.exec();
  return ok && finished == total;
}

void BM_FetchSlots(benchmark::State& state) {
  if (!StartNginx()) {
    state.SkipWithError("nginx not available");
    return;
  }
  const int slotCount = static_cast<int>(state.range(0));
  const int perIteration = 100;
  for (auto _ : state) {
    if (!RunFetches(slotCount, perIteration)) {
      state.SkipWithError("a fetch failed");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * perIteration);
  state.counters["req_per_s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * perIteration), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FetchSlots)->Arg(1)->Arg(10)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  delete gNginx;
  delete gDir;
  return 0;
}
