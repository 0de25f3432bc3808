// Crawls run in-process through the shared run control, as the desktop
// window drives them.
#include <QEventLoop>
#include <QTimer>

#include "../../unit/judge/FakeHost.h"
#include "CrawlFixture.h"
#include "engine/RunControl.h"

namespace trawlonix::test {
namespace {

class EngineRun : public CrawlFixture {
 protected:
  void SetUp() override {
    CrawlFixture::SetUp();
    ResetDefinition(def_);
    def_.ProjectName = "p";
    def_.LocalPath = Path("mirror");
  }
  // Starts a run and waits for its end; `during` runs once the run started.
  bool Run(std::optional<CrawlHost::StartChoice> choice = std::nullopt, int timeoutMs = 30000,
           const std::function<void(TRunControl&)>& during = {}) {
    TRunControl control(host_, def_, spider_, redirects_, options_);
    control.TimeoutMsForTests = timeoutMs_;
    QEventLoop loop;
    bool ended = false;
    control.OnRunEnded = [&](bool interrupted) {
      ended = true;
      interrupted_ = interrupted;
      loop.quit();
    };
    if (!control.Start(choice)) return false;
    if (during) during(control);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!ended) loop.exec();
    totals_ = control.Totals();
    return ended;
  }

  FakeHost host_;
  TrawlonixDefinition def_;
  TSpiderList spider_;
  TCGIRedirectList redirects_;
  TOptions options_;
  TCounters totals_;
  bool interrupted_ = false;
  int timeoutMs_ = 0;
};

TEST_F(EngineRun, TimeOutIsRetriedAndOneSlotWorksAlone) {
  WriteSite({{"index.html", "<A HREF=\"slow.html\">s</A><A HREF=\"a.html\">a</A>"},
             {"slow.html", "late"},
             {"a.html", "a"}});
  ASSERT_TRUE(StartServer(R"({"/slow.html": [{"header_delay_ms": 1500}, {}]})"));
  def_.StartingUrl = Base();
  options_.MaxThreads = 1;
  timeoutMs_ = 300;
  ASSERT_TRUE(Run());
  EXPECT_FALSE(interrupted_);
  EXPECT_EQ(host_.resultStatus, "已结束");
  EXPECT_TRUE(host_.Logged("[0] 已中断，有错误: 499 连接被客户暂停。"));
  EXPECT_EQ(Read(Path("mirror/127.0.0.1/slow.html")), "late");
  for (const auto& line : host_.log)
    EXPECT_EQ(line.rfind("[1]", 0), std::string::npos) << line;
  // With one slot the requests never overlap (robots.txt first).
  const auto reqs = server_.requests();
  EXPECT_EQ(reqs.size(), 5);
  EXPECT_EQ(totals_[TCounters::kReceived], 3);
  EXPECT_EQ(totals_[TCounters::kQueued], 3);
}

TEST_F(EngineRun, UnreachableStartEndsFinishedAfterItsAttempts) {
  const quint16 port = testsupport::freeLocalPort();
  def_.StartingUrl = "http://127.0.0.1:" + std::to_string(port) + "/";
  options_.RetryAll = true;
  options_.ErrorCount = 2;
  ASSERT_TRUE(Run());
  EXPECT_EQ(host_.resultStatus, "已结束 (起始页面不能被获取)");
  ASSERT_EQ(spider_.Count(), 1);
  EXPECT_FALSE(spider_[0].Fetched);
  EXPECT_EQ(spider_[0].Failures, 3);
  // A start page that used up its attempts is listed as broken (and stays
  // pending for a later run).
  ASSERT_EQ(host_.results.Rows(TResultLists::kBroken).size(), 1u);
  EXPECT_EQ(host_.results.Rows(TResultLists::kBroken)[0].Text, def_.StartingUrl);
}

TEST_F(EngineRun, StopLeavesAbortedEntriesPendingAndContinueFinishes) {
  std::map<std::string, std::string> files;
  std::string index;
  for (int i = 0; i < 20; ++i) {
    index += "<A HREF=\"p" + std::to_string(i) + ".html\">x</A>";
    files["p" + std::to_string(i) + ".html"] = "page";
  }
  files["index.html"] = index;
  WriteSite(files);
  ASSERT_TRUE(StartServer(R"({"*": {"header_delay_ms": 100}})"));
  def_.StartingUrl = Base();
  options_.MaxThreads = 4;
  ASSERT_TRUE(Run(std::nullopt, 30000, [&](TRunControl& c) {
    QTimer::singleShot(350, [&c] {
      c.Stop();
      c.Stop();  // a second stop adds nothing
    });
  }));
  EXPECT_TRUE(interrupted_);
  EXPECT_EQ(host_.resultStatus, "被中断");
  EXPECT_EQ(host_.CountLogged("正在中断过程..."), 1);
  EXPECT_EQ(host_.log.back(), "所有过程被中断");
  int fetched = 0;
  for (int i = 0; i < spider_.Count(); ++i) {
    EXPECT_FALSE(spider_[i].InProgress);
    EXPECT_EQ(spider_[i].Failures, 0);
    fetched += spider_[i].Fetched;
  }
  ASSERT_LT(fetched, 21);
  // The resume question offers to continue, and continuing completes it.
  host_.choice = CrawlHost::StartChoice::Continue;
  ASSERT_TRUE(Run());
  EXPECT_TRUE(host_.lastCanContinue);
  EXPECT_FALSE(interrupted_);
  for (int i = 0; i < spider_.Count(); ++i)
    EXPECT_TRUE(spider_[i].Fetched);
  EXPECT_EQ(spider_.Count(), 21);
  // Complete now: continue is not offered.
  host_.choice = CrawlHost::StartChoice::Cancel;
  EXPECT_FALSE(Run());
  EXPECT_FALSE(host_.lastCanContinue);
}

TEST_F(EngineRun, LinkStructureTreeUnderReferrers) {
  WriteSite({{"index.html", "<A HREF=\"a.html\">a</A>"},
             {"a.html", "<A HREF=\"b.html\">b</A>"},
             {"b.html", "b"}});
  ASSERT_TRUE(StartServer());
  def_.StartingUrl = Base();
  options_.ShowLinkStructure = true;
  ASSERT_TRUE(Run());
  ASSERT_EQ(spider_.Count(), 3);
  // Links of the start page form the top level; b.html hangs under a.html.
  EXPECT_EQ(host_.linkItems.at(spider_[1].LinkItem).parent, 0);
  EXPECT_EQ(host_.linkItems.at(spider_[2].LinkItem).parent, spider_[1].LinkItem);
  EXPECT_EQ(host_.loaded.size(), 3u);
  EXPECT_EQ(host_.dirItems.at(spider_[2].DirItem), Base() + "b.html");
}

TEST_F(EngineRun, GeneratedSiteServedByNginxBrowsesOffline) {
  if (!testsupport::NginxServer::available()) GTEST_SKIP() << "nginx not installed";
  QProcess gen;
  gen.start("python3", {TX_SOURCE_DIR "/tools/sitegen.py", "--out", Site(""), "--pages", "120",
                        "--per-dir", "30", "--links", "10", "--images", "3"});
  ASSERT_TRUE(gen.waitForFinished(60000));
  ASSERT_EQ(gen.exitCode(), 0);
  QFile::setPermissions(QString::fromStdString(dir_.path().toStdString()),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                            QFileDevice::ReadOther | QFileDevice::ExeOther);
  testsupport::NginxServer nginx;
  ASSERT_TRUE(nginx.start(Site(""))) << nginx.errorString().toStdString();
  def_.StartingUrl = nginx.baseUrl().toStdString();
  ASSERT_TRUE(Run());
  const auto stored = Tree(Path("mirror/127.0.0.1"));
  const auto site = Tree(Path("site"));
  EXPECT_EQ(stored.size(), site.size());
  QProcess check;
  check.start("python3", {TX_SOURCE_DIR "/tools/sitegen_checklinks.py",
                          QString::fromStdString(Path("mirror")), "--list"});
  ASSERT_TRUE(check.waitForFinished(60000));
  EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();
  // Binary files byte for byte.
  EXPECT_EQ(stored.at("d000/img00.png"), site.at("d000/img00.png"));
}

}  // namespace
}  // namespace trawlonix::test
