// A crawl worker driven on the test's thread, without starting it: received
// documents are handed to it as finished fetches.
#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <memory>
#include <string>

#include "../judge/FakeHost.h"
#include "engine/TrawlonixThread.h"

namespace trawlonix::test {

// Executes batches directly (the test thread is the host's thread).
class DirectSink : public TCrawlSink {
 public:
  explicit DirectSink(FakeHost& host) : host_(host) {}
  QObject* Context() override { return &ctx_; }
  void ExecuteBatch(HostBatch& batch) override {
    ++host_.batches;
    trawlonix::ExecuteBatch(host_, batch, nullptr, host_.totals);
  }
  void CrawlDone() override { done = true; }
  bool done = false;

 private:
  FakeHost& host_;
  QObject ctx_;
};

struct WorkerFixture {
  FakeHost host;
  DirectSink sink{host};
  TSpiderList spider;
  TCGIRedirectList redirects;
  TTrawlonixThread::Setup setup;
  std::unique_ptr<TTrawlonixThread> worker;
  std::int32_t current = 0;  // the document new links are found in

  explicit WorkerFixture(const std::string& startUrl = "http://h/a/b/x.html") {
    setup.SpiderList = &spider;
    setup.RedirectList = &redirects;
    setup.Definition.StartingUrl = startUrl;
    setup.Definition.actCollect = true;
    setup.LocalDir = "/nonexistent-mirror/";
  }
  // Creates the worker with the start URL as entry 0.
  TTrawlonixThread& Make() {
    worker = std::make_unique<TTrawlonixThread>(setup, &sink);
    TURL start;
    ParseURL(setup.Definition.StartingUrl, setup.Definition.StrictUrl, start);
    spider.AddURL(start, -10, 0);
    return *worker;
  }
  // Enters `text`, found in document `current`, as a new entry.
  void Link(const std::string& text) {
    const AGetEntry* from = spider.GetEntry(current);
    TURL parsed;
    ASSERT_TRUE(from && ParseURL(NormalizeLink(text), false, parsed)) << text;
    TURL u = ResolveURL(from->URL, parsed);
    if (u.Path.empty()) u.Path = "/";
    spider.AddURL(u, current, from->Level + 1);
  }
};

}  // namespace trawlonix::test
