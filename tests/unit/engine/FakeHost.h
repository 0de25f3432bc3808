// A crawl host that records what the engine asked of it, and a worker set up
// for driving its operations directly on the test's thread.
#pragma once

#include <QObject>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/CrawlHost.h"
#include "engine/HostBatch.h"
#include "engine/ResultLists.h"
#include "engine/TrawlonixThread.h"

namespace trawlonix::test {

class FakeHost : public CrawlHost {
 public:
  std::vector<std::string> log;
  TCounters totals;
  TResultLists results;
  struct LinkItem {
    TItemHandle parent;
    std::string text;
    int icon = -1;
  };
  std::map<TItemHandle, LinkItem> linkItems;
  std::map<TItemHandle, std::string> dirItems;  // composed URL
  std::vector<TItemHandle> loaded;
  TItemHandle next = 100;
  int batches = 0;

  void AppendLog(const std::string& line) override { log.push_back(line); }
  void CountersChanged(const TCounters&, const TCounters& t) override { totals = t; }
  TItemHandle AddDirItem(const TURL& url) override {
    dirItems[next] = ComposeURL(url);
    return next++;
  }
  void MarkDirItemLoaded(TItemHandle item) override { loaded.push_back(item); }
  TItemHandle AddLinkItem(TItemHandle parent, const std::string& text) override {
    linkItems[next] = {parent, text, -1};
    return next++;
  }
  void SetLinkItemIcon(TItemHandle item, int icon) override { linkItems[item].icon = icon; }
  bool OfferCollectedLink(const std::string& url, const std::string& first) override {
    return results.OfferCollectedLink(url, first).has_value();
  }
  bool OfferEMail(const std::string& a, const std::string& first) override {
    return results.OfferEMail(a, first).has_value();
  }
  bool OfferBrokenLink(const std::string& url, const std::string& e,
                       const std::string& first) override {
    return results.OfferBrokenLink(url, e, first).has_value();
  }
  void SetLastRowReference(const std::string& text) override { results.SetLastRowReference(text); }
  void ForgetLastRow() override { results.ForgetLastRow(); }
  void SetSlotUrl(int, const std::string&) override {}
  void SetSlotInfo(int, const std::string&) override {}
  void SetSlotProgress(int, int) override {}
  StartChoice choice = StartChoice::Continue;
  bool lastCanContinue = false;
  StartChoice AskStartChoice(bool canContinue) override {
    lastCanContinue = canContinue;
    return choice;
  }
  void SetSlotCount(int) override {}
  void RunStateChanged(bool) override {}
  std::string resultStatus;
  void ShowResults(const std::string& status, const TCounters&) override { resultStatus = status; }
  bool AskSaveAfterInterrupt() override { return false; }
  bool SaveProject() override { return true; }

  bool Logged(const std::string& line) const {
    for (const auto& l : log)
      if (l == line) return true;
    return false;
  }
  int CountLogged(const std::string& line) const {
    int n = 0;
    for (const auto& l : log)
      n += l == line;
    return n;
  }
};

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

// A worker on a start URL with its own lists, for calling its operations.
struct WorkerFixture {
  FakeHost host;
  DirectSink sink{host};
  TSpiderList spider;
  TCGIRedirectList redirects;
  TTrawlonixThread::Setup setup;
  std::unique_ptr<TTrawlonixThread> worker;

  explicit WorkerFixture(const std::string& startUrl = "http://h/a/b/x.html") {
    setup.SpiderList = &spider;
    setup.RedirectList = &redirects;
    setup.Definition.StartingUrl = startUrl;
    setup.Definition.actCollect = true;
    setup.LocalDir = "/nonexistent-mirror/";
  }
  // Creates the worker, parses the start URL and makes the start URL entry 0
  // the current document.
  TTrawlonixThread& Make() {
    worker = std::make_unique<TTrawlonixThread>(setup, &sink);
    ParseURL(setup.Definition.StartingUrl, setup.Definition.StrictUrl, worker->StartURL);
    worker->AddEntry(worker->StartURL, -10, -1, 0);
    worker->Flush();
    worker->SetDocument(0);
    host.log.clear();
    return *worker;
  }
  // Judges one HTML link and returns the text the parser would write.
  std::string Link(const std::string& text, TLinkKind kind = lkHyperlink) {
    std::string t = text;
    worker->JudgeLink(t, kind);
    worker->Flush();
    return t;
  }
};

}  // namespace trawlonix::test
