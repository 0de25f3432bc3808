// A crawl host that records what the engine asked of it, and a link judge
// whose batches it receives directly.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/CrawlHost.h"
#include "engine/HostBatch.h"
#include "engine/LinkJudge.h"
#include "engine/ResultLists.h"

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

// A link judge on a start URL with its own lists; its batch goes straight to
// the fake host.
struct JudgeFixture {
  FakeHost host;
  TSpiderList spider;
  TCGIRedirectList redirects;
  HostBatch batch;
  TJudgeSetup setup;
  std::unique_ptr<TLinkJudge> judge;

  explicit JudgeFixture(const std::string& startUrl = "http://h/a/b/x.html") {
    setup.SpiderList = &spider;
    setup.RedirectList = &redirects;
    setup.Definition.StartingUrl = startUrl;
    setup.Definition.actCollect = true;
    setup.LocalDir = "/nonexistent-mirror/";
    // The settings' built-in hypertext extensions.
    setup.HypertextExtensions = {"html", "htm",  "shtml", "phtml", "php",
                                 "php3", "php4", "cgi",   "pl",    "asp"};
  }
  // Creates the judge, enters the start URL as entry 0 and makes it the
  // current document.
  TLinkJudge& Make() {
    judge = std::make_unique<TLinkJudge>(setup, batch);
    judge->AddStartEntry();
    Flush();
    judge->BeginDocument(0);
    host.log.clear();
    return *judge;
  }
  // A new judge with the current `setup` on the same lists, at entry 0.
  TLinkJudge& Remake() {
    judge = std::make_unique<TLinkJudge>(setup, batch);
    judge->BeginDocument(0);
    return *judge;
  }
  // The current document, now at `level`.
  void AtLevel(std::int32_t level) {
    TJudgeDocument d = judge->Document();
    d.Level = level;
    judge->BeginDocument(d);
  }
  // Runs the batch against the host, as the worker's flush does.
  void Flush() {
    ++host.batches;
    ExecuteBatch(host, batch, nullptr, host.totals);
    ApplyItemHandles(batch, spider);
    batch.Clear();
  }
  // Judges one HTML link and returns the text the parser would write.
  std::string Link(const std::string& text, TLinkKind kind = lkHyperlink) {
    std::string t = text;
    judge->JudgeLink(t, kind);
    Flush();
    return t;
  }
};

}  // namespace trawlonix::test
