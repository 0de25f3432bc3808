// Checking collected links with HEAD requests against the test server, as
// the desktop window and trawlonix-cli drive it through TLinkCheck.
#include <algorithm>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "../../unit/judge/FakeHost.h"
#include "CrawlFixture.h"
#include "engine/LinkCheck.h"
#include "net/WSocket.h"

namespace trawlonix::test {
namespace {

// A host whose collected links are plain rows.
class CheckHost : public FakeHost {
 public:
  std::vector<TResultRow> rows;
  std::vector<std::pair<int, int>> progress;
  int checkDone = 0;

  int CollectedLinkCount() override { return static_cast<int>(rows.size()); }
  std::string CollectedLinkUrl(int row) override { return At(row).Text; }
  bool CollectedLinkSelected(int row) override { return At(row).Selected; }
  void SetCollectedLinkResult(int row, const std::string& text) override {
    At(row).TestResult = text;
  }
  void SetCollectedLinkSelected(int row, bool selected) override { At(row).Selected = selected; }
  void DeleteCollectedLink(int row) override {
    At(row);
    rows.erase(rows.begin() + row);
  }
  void CheckProgress(int done, int toCheck) override { progress.emplace_back(done, toCheck); }
  void CheckDone() override { ++checkDone; }

  TResultRow& At(int row) {
    EXPECT_TRUE(row >= 0 && row < static_cast<int>(rows.size())) << "row " << row;
    static TResultRow none;
    return row >= 0 && row < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(row)]
                                                           : none;
  }
  void Add(const std::string& url, bool selected = false) {
    rows.push_back({url, "<\?\?\?>", "http://127.0.0.1/", "- 未检查 -", selected});
  }
  // "URL=result" per row, "*" after a selected one.
  std::vector<std::string> Snapshot(const std::string& base) const {
    std::vector<std::string> out;
    for (const auto& r : rows) {
      std::string url = r.Text.rfind(base, 0) == 0 ? r.Text.substr(base.size()) : r.Text;
      out.push_back(url + "=" + r.TestResult + (r.Selected ? "*" : ""));
    }
    return out;
  }
};

class LinkCheckTest : public CrawlFixture {
 protected:
  bool RunCheck(bool onlySelected, int mode, const std::function<void(TLinkCheck&)>& during = {}) {
    TLinkCheck check(host_, options_);
    check.TimeoutMsForTests = 2000;
    QEventLoop loop;
    bool ended = false;
    check.OnFinished = [&](bool aborted) {
      ended = true;
      aborted_ = aborted;
      loop.quit();
    };
    toCheck_ = check.CountToCheck(onlySelected);
    if (!check.Start(onlySelected, mode)) return false;
    EXPECT_FALSE(check.Start(onlySelected, mode));  // one check at a time
    if (during) during(check);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (!ended) loop.exec();
    done_ = check.Done();
    return ended;
  }
  std::vector<std::string> HeadPaths() {
    std::vector<std::string> out;
    for (const auto& r : server_.requests()) {
      EXPECT_EQ(r.method, "HEAD");
      out.push_back(r.path.toStdString());
    }
    return out;
  }

  // The rows' URLs in the order their HEAD lines were logged, that is the
  // order the checks were started (the server may see them in another).
  std::vector<std::string> HeadLogged() {
    std::vector<std::string> out;
    const std::string head = " HEAD " + Base();
    for (const auto& l : host_.log) {
      const std::size_t at = l.find(head);
      if (at == std::string::npos) continue;
      const std::size_t from = at + head.size();
      out.push_back(l.substr(from, l.find(' ', from) - from));
    }
    return out;
  }

  CheckHost host_;
  TOptions options_;
  bool aborted_ = false;
  int toCheck_ = 0;
  int done_ = 0;
};

TEST_F(LinkCheckTest, AllRowsFromTheLastWithTheCrawlsAgentAndNothingElse) {
  WriteSite({{"a.html", "a"}, {"b.html", "b"}, {"c.html", "c"}});
  ASSERT_TRUE(StartServer());
  options_.MaxThreads = 1;  // one at a time shows the order
  for (const char* f : {"a.html", "b.html", "c.html"})
    host_.Add(Base() + f);
  ASSERT_TRUE(RunCheck(false, lcm_FillOnly));
  EXPECT_FALSE(aborted_);
  EXPECT_EQ(toCheck_, 3);
  EXPECT_EQ(done_, 3);
  EXPECT_EQ(host_.checkDone, 1);
  EXPECT_EQ(HeadPaths(), (std::vector<std::string>{"/c.html", "/b.html", "/a.html"}));
  EXPECT_EQ(host_.progress, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
  EXPECT_EQ(host_.Snapshot(Base()),
            (std::vector<std::string>{"a.html=通过", "b.html=通过", "c.html=通过"}));
  EXPECT_EQ(host_.log.front(), "[0] HEAD " + Base() + "c.html USER-AGENT Morvek Trawlonix 2.7 b6");
  EXPECT_EQ(host_.CountLogged("[0] 通过"), 3);
  for (const auto& r : server_.requests()) {
    EXPECT_EQ(r.header("User-Agent"), "Morvek Trawlonix 2.7 b6");
    EXPECT_FALSE(r.hasHeader("Referer"));
    EXPECT_FALSE(r.hasHeader("Authorization"));
    EXPECT_FALSE(r.hasHeader("If-Modified-Since"));
  }
}

TEST_F(LinkCheckTest, OnlySelectedRowsWhateverTheNumberOfSlots) {
  WriteSite({{"0", ""}, {"1", ""}, {"2", ""}, {"3", ""}, {"4", ""}, {"5", ""}});
  ASSERT_TRUE(StartServer());
  // With one slot the last selected row is reached by a report whose
  // follow-up finds only unselected rows: the check must still end.
  for (int slotCount : {10, 1}) {
    SCOPED_TRACE(slotCount);
    options_.MaxThreads = slotCount;
    host_ = CheckHost();
    server_.clear();
    for (int i = 0; i < 6; ++i)
      host_.Add(Base() + std::to_string(i), i == 1 || i == 4);
    ASSERT_TRUE(RunCheck(true, lcm_FillOnly));
    EXPECT_EQ(toCheck_, 2);
    EXPECT_EQ(host_.progress.back(), std::make_pair(2, 2));
    EXPECT_EQ(HeadLogged(), (std::vector<std::string>{"4", "1"}));
    std::vector<std::string> asked = HeadPaths();
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{"/1", "/4"}));
    EXPECT_EQ(host_.Snapshot(Base()),
              (std::vector<std::string>{"0=- 未检查 -", "1=通过*", "2=- 未检查 -", "3=- 未检查 -",
                                        "4=通过*", "5=- 未检查 -"}));
  }
}

// Six rows checked at once; bad ones answer 404 at staggered times so that
// deletions happen while checks of later rows are still in flight.
TEST_F(LinkCheckTest, ResultModesMarkOrDeleteTheirOwnRows) {
  ASSERT_TRUE(StartServer(R"({
    "/bad0": {"status": 404, "header_delay_ms": 0},
    "/good1": {"header_delay_ms": 500, "body": "x"},
    "/bad2": {"status": 404, "header_delay_ms": 150},
    "/bad3": {"status": 404, "header_delay_ms": 300},
    "/good4": {"header_delay_ms": 50, "body": "x"},
    "/bad5": {"status": 404, "header_delay_ms": 400}})"));
  const std::string bad = "=坏的: 404 Not Found";
  struct Case {
    int mode;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {lcm_FillOnly,
       {"bad0" + bad + "*", "good1=通过*", "bad2" + bad, "bad3" + bad, "good4=通过", "bad5" + bad}},
      {lcm_MarkGood,
       {"bad0" + bad, "good1=通过*", "bad2" + bad, "bad3" + bad, "good4=通过*", "bad5" + bad}},
      {lcm_DeleteGood, {"bad0" + bad + "*", "bad2" + bad, "bad3" + bad, "bad5" + bad}},
      {lcm_MarkBad,
       {"bad0" + bad + "*", "good1=通过", "bad2" + bad + "*", "bad3" + bad + "*", "good4=通过",
        "bad5" + bad + "*"}},
      {lcm_DeleteBad, {"good1=通过*", "good4=通过"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    host_ = CheckHost();
    for (const char* p : {"bad0", "good1", "bad2", "bad3", "good4", "bad5"})
      host_.Add(Base() + p, std::string(p) == "bad0" || std::string(p) == "good1");
    ASSERT_TRUE(RunCheck(false, c.mode));
    EXPECT_EQ(done_, 6);
    EXPECT_EQ(host_.Snapshot(Base()), c.expected);
  }
}

TEST_F(LinkCheckTest, BadAnswersAndFailuresGiveStatusAndReason) {
  ASSERT_TRUE(StartServer(R"({"/m": {"status": 405}, "/r": {"status": 302,
      "headers": {"Location": "/elsewhere"}}, "/e": {"status": 500, "reason": "Kaputt"}})"));
  const std::string closed =
      "http://127.0.0.1:" + std::to_string(testsupport::freeLocalPort()) + "/x";
  for (const char* p : {"m", "r", "e"})
    host_.Add(Base() + p);
  host_.Add(closed);
  options_.MaxThreads = 1;
  ASSERT_TRUE(RunCheck(false, lcm_FillOnly));
  ASSERT_EQ(host_.rows.size(), 4u);
  EXPECT_EQ(host_.rows[0].TestResult, "坏的: 405 Method Not Allowed");
  EXPECT_TRUE(host_.Logged("[0] 坏的: 405 Method Not Allowed"));
  EXPECT_EQ(host_.rows[1].TestResult, "通过");  // a relocation is an answer below 400
  EXPECT_EQ(host_.rows[2].TestResult, "坏的: 500 Kaputt");
  EXPECT_EQ(host_.rows[3].TestResult.rfind("坏的: 404 ", 0), 0u) << host_.rows[3].TestResult;
}

TEST_F(LinkCheckTest, ThroughTheProxyInAbsoluteForm) {
  testsupport::TestServer::Options o;
  o.script = R"({"/p": {"body": "x"}})";
  o.extraArgs = {"--proxy"};
  ASSERT_TRUE(server_.start(o));
  options_.UseProxy = true;
  options_.ProxyServer = "127.0.0.1";
  options_.ProxyPort = server_.port();
  host_.Add("http://127.0.0.7:81/p");
  ASSERT_TRUE(RunCheck(false, lcm_FillOnly));
  EXPECT_EQ(host_.rows[0].TestResult, "通过");
  const auto reqs = server_.requests();
  ASSERT_EQ(reqs.size(), 1);
  EXPECT_EQ(reqs[0].method, "HEAD");
  EXPECT_EQ(reqs[0].target, "http://127.0.0.7:81/p");
}

TEST_F(LinkCheckTest, CancelLogsOnceAndLeavesUncheckedRows) {
  ASSERT_TRUE(StartServer(R"({"*": {"header_delay_ms": 5000}})"));
  options_.MaxThreads = 2;
  for (int i = 0; i < 4; ++i)
    host_.Add(Base() + std::to_string(i));
  QElapsedTimer t;
  t.start();
  ASSERT_TRUE(RunCheck(false, lcm_DeleteBad, [](TLinkCheck& c) {
    QTimer::singleShot(300, [&c] {
      c.Stop();
      c.Stop();
    });
  }));
  EXPECT_LT(t.elapsed(), 4000);
  EXPECT_TRUE(aborted_);
  EXPECT_EQ(done_, 0);
  EXPECT_EQ(host_.checkDone, 1);
  EXPECT_EQ(host_.CountLogged("正在中断过程..."), 1);
  EXPECT_EQ(host_.log.back(), "所有过程被中断");
  EXPECT_EQ(host_.rows.size(), 4u);
  for (const auto& r : host_.rows)
    EXPECT_EQ(r.TestResult, "- 未检查 -");
}

TEST_F(LinkCheckTest, AbortWithoutLogLinesAndAnEmptyList) {
  // The desktop's progress window logs the cancel itself and calls AbortAll.
  ASSERT_TRUE(StartServer(R"({"*": {"header_delay_ms": 5000}})"));
  host_.Add(Base() + "x");
  ASSERT_TRUE(RunCheck(false, lcm_FillOnly, [](TLinkCheck& c) { c.AbortAll(); }));
  EXPECT_TRUE(aborted_);
  EXPECT_EQ(host_.CountLogged("正在中断过程..."), 0);
  EXPECT_EQ(host_.CountLogged("所有过程被中断"), 0);
  // Nothing to check still ends, and reports its end after Start returned.
  host_ = CheckHost();
  ASSERT_TRUE(RunCheck(false, lcm_FillOnly));
  EXPECT_FALSE(aborted_);
  EXPECT_EQ(host_.checkDone, 1);
  EXPECT_TRUE(host_.progress.empty());
  TLinkCheck check(host_, options_);
  EXPECT_FALSE(check.Start(false, 5));
  EXPECT_FALSE(check.Start(false, -1));
}

TEST(LinkCheckText, Progress) {
  EXPECT_EQ(LinkCheckProgressText(2, 7), "2 个链接（总共 7 个需要检查）已经处理完了。");
}

// Rows that are not web addresses are never looked up nor requested; they
// get their own result and are neither marked nor deleted as bad.
TEST_F(LinkCheckTest, RowsThatAreNotWebAddressesAreNeverRequested) {
  struct FailingResolver : THostResolver {
    int Start(const std::string& host, QObject*, Done, std::uint16_t& error) override {
      ADD_FAILURE() << "looked up " << host;
      error = 11001;
      return 0;
    }
    void Cancel(int) override {}
  };
  SetDefaultResolver(std::make_shared<FailingResolver>());
  ASSERT_TRUE(StartServer());
  for (const char* url : {"mailto://info@demo.invalid/", "mailto:info@demo.invalid",
                          "ftp://files.invalid/x", "news:comp.invalid"})
    host_.Add(url, true);
  host_.Add(Base() + "missing");
  ASSERT_TRUE(RunCheck(false, lcm_DeleteBad));
  SetDefaultResolver(nullptr);
  EXPECT_EQ(done_, 5);
  ASSERT_EQ(host_.rows.size(), 4u);
  for (const auto& r : host_.rows) {
    EXPECT_EQ(r.TestResult, kNotAWebAddress) << r.Text;
    EXPECT_TRUE(r.Selected) << r.Text;
  }
  EXPECT_EQ(HeadPaths(), std::vector<std::string>{"/missing"});
}

}  // namespace
}  // namespace trawlonix::test
