#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "FakeHost.h"

namespace trawlonix::test {
namespace {

std::string ReadAll(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll().toStdString();
}

TEST(ScanScriptCode, RewritesCandidatesInsideTheirOwnQuotes) {
  WorkerFixture f("http://h/a/");
  f.setup.Definition.LimitHtDocs = lmThisServer;
  f.Make();
  struct Case {
    const char* code;
    const char* out;
  } cases[] = {
      {"go('/b/p.html')", "go('../b/p.html')"},
      {"go(\"/b/p.html\")", "go(\"../b/p.html\")"},
      {"go('a b.html')", "go('a b.html')"},                    // blank: no candidate
      {"x='.hidden.js'", "x='.hidden.js'"},                    // single leading dot
      {"x='name.'", "x='name.'"},                              // trailing dot
      {"x='../up.html'", "x='../up.html'"},                    // ".." is a candidate
      {"x='noext/'", "x='noext/'"},                            // no extension: dropped
      {"open('unterminated.html", "open('unterminated.html"},  // written back as is
      {"y=\"f(x).js\"", "y=\"f(x).js\""},
  };
  for (const auto& c : cases) {
    std::string code = c.code;
    f.worker->ScanScriptCode(code);
    EXPECT_EQ(code, c.out) << c.code;
  }
  f.worker->Flush();
  // "../up.html" from /a/ names /up.html, on this server: admitted.
  bool haveUp = false;
  for (int i = 0; i < f.spider.Count(); ++i)
    haveUp |= ComposeURL(f.spider[i].URL) == "http://h/up.html";
  EXPECT_TRUE(haveUp);
}

TEST(ScanScriptCode, NoRewriteWithoutScriptLinkChanging) {
  WorkerFixture f("http://h/a/");
  f.setup.Definition.ChgJScriptLink = false;
  f.Make();
  std::string code = "go('/a/p.html')";
  f.worker->ScanScriptCode(code);
  EXPECT_EQ(code, "go('/a/p.html')");
  f.worker->Flush();
  EXPECT_EQ(f.spider.Count(), 2);  // still admitted and fetched
}

TEST(JudgeClassLink, SkipsSystemClassesAndIgnoresLimits) {
  WorkerFixture f("http://h/a/");
  f.setup.Definition.LimitEmbeded = lmNeverDownload;
  f.setup.Definition.LimitLinked = lmNeverDownload;
  f.Make();
  f.worker->CurrentURL.Path = "/a/applet/";
  f.worker->JudgeClassLink("java/lang/Object");
  f.worker->JudgeClassLink("javax/swing/JPanel");
  f.worker->JudgeClassLink("com/x/Helper");
  f.worker->Flush();
  ASSERT_EQ(f.spider.Count(), 2);
  EXPECT_EQ(ComposeURL(f.spider[1].URL), "http://h/a/applet/com/x/Helper.class");
}

TEST(JudgeFlashLink, CandidatesByProtocol) {
  WorkerFixture f("http://h/a/");
  f.setup.Definition.LimitHtDocs = lmThisServer;
  f.Make();
  f.worker->JudgeFlashLink("next.html");
  f.worker->JudgeFlashLink("mailto:a@b.org");
  f.worker->JudgeFlashLink("javascript:go('s.html')");
  f.worker->JudgeFlashLink("with blank.html");
  f.worker->JudgeFlashLink("x");
  f.worker->Flush();
  std::vector<std::string> urls;
  for (int i = 1; i < f.spider.Count(); ++i)
    urls.push_back(ComposeURL(f.spider[i].URL));
  EXPECT_EQ(urls, (std::vector<std::string>{"http://h/a/next.html", "http://h/a/s.html"}));
  EXPECT_EQ(f.host.results.Rows(TResultLists::kEMails).size(), 1u);
}

// A received document handled from the fetch result on: saving, dispatch,
// log lines.
struct DocFixture : WorkerFixture {
  QTemporaryDir dir;
  explicit DocFixture(const std::string& start) : WorkerFixture(start) {
    setup.LocalDir = dir.path().toStdString() + "/";
  }
  void Receive(std::int32_t index, int status, const std::string& type, const std::string& body,
               bool success = true) {
    TTrawlonixThread::FetchResult r;
    r.Status = status;
    r.Reason = status == 200 ? "OK" : "Reason";
    r.ContentType = type;
    r.Data = body;
    spider.SetInProgress(index, true);
    worker->HandleResult(3, index, success, r);
    worker->Flush();
  }
  std::string Local(const std::string& rel) { return setup.LocalDir + rel; }
};

// Words of the code that merely hold a dot are no file names: only names of
// a known file type are fetched, and such a guess that fails is no broken
// link of the site.
TEST(ScanScriptCode, OnlyKnownFileTypesAreGuessedAndFailedGuessesAreNotBroken) {
  DocFixture f("http://h/a/");
  f.Make();
  std::string code =
      "f('1.2em','div.body','3.6.1','defaultView.getComputedStyle',"
      "'api/x.config.ConfigItem.rst','img/x.gif','b.html')";
  f.worker->ScanScriptCode(code);
  f.worker->Flush();
  ASSERT_EQ(f.spider.Count(), 3);
  EXPECT_EQ(ComposeURL(f.spider[1].URL), "http://h/a/img/x.gif");
  EXPECT_EQ(ComposeURL(f.spider[2].URL), "http://h/a/b.html");
  f.Receive(2, 404, "text/html", "");
  EXPECT_TRUE(f.spider[2].Broken);
  EXPECT_TRUE(f.host.Logged("[3] 已中断，有错误: 404 Reason"));
  EXPECT_TRUE(f.host.results.Rows(TResultLists::kBroken).empty());
  // A guess that a page links to as well is the site's own link.
  f.Link("img/x.gif", lkImage);
  f.Receive(1, 404, "image/gif", "");
  const auto& rows = f.host.results.Rows(TResultLists::kBroken);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Text, "http://h/a/img/x.gif");
}

TEST(Dispatch, HtmlPageStoredRewrittenWithLogLines) {
  DocFixture f("http://h/a/");
  f.Make();
  f.Receive(0, 200, "text/html; charset=utf-8",
            "<A HREF=\"/a/b/p.html\">P</A><IMG SRC=\"http://h/i.gif\">");
  EXPECT_EQ(ReadAll(f.Local("h/a/index.html")), "<A HREF=\"b/p.html\">P</A><IMG SRC=\"../i.gif\">");
  const std::vector<std::string> want = {
      "[3] 成功。",
      "[3] 启动标签解析器...",
      "     => ++ 添加新的链接: http://h/a/b/p.html",
      "     => ++ 添加新的链接: http://h/i.gif",
      "[3] 保存文件",
      "[3] 标签解析器完成。",
  };
  EXPECT_EQ(f.host.log, want);
  EXPECT_TRUE(f.spider[0].Fetched);
  // The shortcut to the start page.
  EXPECT_EQ(ReadAll(f.Local("Trawlonix 从 h 浏览.url")),
            "[InternetShortcut]\nURL=" + f.Local("h/a/index.html") + "\n");
  EXPECT_EQ(f.host.totals[TCounters::kReceived], 1);
  EXPECT_EQ(f.host.totals[TCounters::kQueued], 3);
}

TEST(Dispatch, OtherContentStoredByteForByte) {
  DocFixture f("http://h/pic.gif");
  f.Make();
  const std::string gif("GIF89a\0\x01\x02", 9);
  f.Receive(0, 200, "image/gif", gif);
  EXPECT_EQ(ReadAll(f.Local("h/pic.gif")), gif);
  EXPECT_TRUE(f.host.Logged("[3] 不是文本或者 html 文档。"));
  EXPECT_TRUE(f.host.Logged("[3] 保存文件"));
}

TEST(Dispatch, StyleSheetReferencesResolveAgainstTheSheet) {
  DocFixture f("http://h/page.html");
  f.Make();
  f.Receive(0, 200, "text/html",
            "<LINK REL=stylesheet HREF=\"css/s.css\"><SCRIPT SRC=\"js/m.js\"></SCRIPT>");
  ASSERT_EQ(f.spider.Count(), 3);
  f.Receive(1, 200, "text/css", "a { background: url(img/bg.gif) }");
  EXPECT_EQ(ComposeURL(f.spider[3].URL), "http://h/css/img/bg.gif");
  EXPECT_EQ(ReadAll(f.Local("h/css/s.css")), "a { background: url(img/bg.gif) }");
  // Script strings name files relative to the page that includes the script.
  f.Receive(2, 200, "application/javascript", "var p = 'pics/a.gif';");
  EXPECT_EQ(ComposeURL(f.spider[4].URL), "http://h/pics/a.gif");
  EXPECT_TRUE(f.host.Logged("[3] 启动 CSS 解析器..."));
  EXPECT_TRUE(f.host.Logged("[3] JavaScript 解析器完成。"));
}

TEST(Dispatch, RefusedLocalNameIsLoggedAndTheDocumentStillParsed) {
  DocFixture f("http://h/a/..%2F..%2Fescape.html");
  f.Make();
  f.Receive(0, 200, "text/html", "<A HREF=\"next.html\">n</A>");
  bool refused = false;
  for (const auto& l : f.host.log)
    refused |= l.rfind("！错误: 文件 ", 0) == 0 && l.find(" 不能被创建！") != std::string::npos;
  EXPECT_TRUE(refused);
  EXPECT_EQ(f.spider.Count(), 2);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(f.Local("escape.html"))));
  EXPECT_FALSE(f.host.Logged("[3] 保存文件"));
}

TEST(FetchResult, FailuresRetriedOrBroken) {
  struct Case {
    int status;
    bool retryAll;
    bool broken;
  } cases[] = {{404, false, true},  {500, false, true},  {503, false, false}, {499, false, false},
               {408, false, false}, {504, false, false}, {404, true, false}};
  for (const auto& c : cases) {
    DocFixture f("http://h/");
    f.setup.Options.RetryAll = c.retryAll;
    f.Make();
    f.Link("x.html");
    f.Receive(1, c.status, "text/html", "");
    EXPECT_EQ(f.spider[1].Broken, c.broken) << c.status;
    EXPECT_EQ(f.spider[1].Failures, c.broken ? 0 : 1) << c.status;
    EXPECT_TRUE(f.host.Logged("[3] 已中断，有错误: " + std::to_string(c.status) + " Reason"));
    const auto& rows = f.host.results.Rows(TResultLists::kBroken);
    ASSERT_EQ(rows.size(), c.broken ? 1u : 0u);
    if (c.broken) {
      EXPECT_EQ(rows[0].Text, "http://h/x.html");
      EXPECT_EQ(rows[0].Reference, std::to_string(c.status) + " Reason");
      EXPECT_EQ(rows[0].FirstOccurrence, "http://h/");
    }
  }
}

TEST(FetchResult, UpdateRunNotModifiedLeavesFileAndCountsChecked) {
  DocFixture f("http://h/");
  f.setup.UpdateMode = true;
  f.Make();
  QDir().mkpath(QString::fromStdString(f.Local("h")));
  {
    QFile old(QString::fromStdString(f.Local("h/index.html")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old copy");
  }
  f.Receive(0, 304, "", "");
  EXPECT_EQ(ReadAll(f.Local("h/index.html")), "old copy");
  EXPECT_TRUE(f.host.Logged("[3] 没有修改。"));
  EXPECT_EQ(f.host.totals[TCounters::kChecked], 1);
  EXPECT_EQ(f.host.totals[TCounters::kReceived], 0);
  f.Receive(0, 200, "text/html", "new copy");
  EXPECT_EQ(ReadAll(f.Local("h/index.html")), "new copy");
  EXPECT_EQ(QDir(QString::fromStdString(f.Local("h"))).entryList(QDir::Files),
            QStringList{"index.html"});
  EXPECT_EQ(f.host.totals[TCounters::kChecked], 2);
  EXPECT_EQ(f.host.totals[TCounters::kReceived], 1);
}

TEST(FetchResult, FileThatCannotBeCreatedIsLoggedAndCounted) {
  DocFixture f("http://h/taken.html");
  f.Make();
  QDir().mkpath(QString::fromStdString(f.Local("h/taken.html")));  // a directory of that name
  f.Receive(0, 200, "text/html", "<A HREF=\"n.html\">n</A>");
  EXPECT_TRUE(f.host.Logged("！错误: 文件 " + f.Local("h/taken.html") + " 不能被创建！"));
  EXPECT_EQ(f.spider.Count(), 2);  // still parsed
  EXPECT_TRUE(f.spider[0].Fetched);
  EXPECT_EQ(f.host.totals[TCounters::kReceived], 1);
  EXPECT_TRUE(QFileInfo(QString::fromStdString(f.Local("h/taken.html"))).isDir());
}

TEST(FetchResult, QueryAnswersNumberedAndRenamed) {
  DocFixture f("http://h/");
  f.setup.Definition.HTMLRenList->push_back("asp");
  f.Make();
  f.Link("x.asp");
  f.Link("x.asp?a=1");
  f.Receive(1, 200, "text/plain", "plain");
  f.Receive(2, 200, "text/plain", "query");
  EXPECT_EQ(ReadAll(f.Local("h/x.asp")), "plain");
  EXPECT_EQ(ReadAll(f.Local("h/x_0.asp.html")), "query");
}

TEST(WriteShortcut, NumbersTakenNamesAndGivesUpAfterAThousand) {
  QTemporaryDir dir;
  const std::string base = dir.path().toStdString() + "/s";
  ASSERT_TRUE(TTrawlonixThread::WriteShortcut(base, "/t"));
  ASSERT_TRUE(TTrawlonixThread::WriteShortcut(base, "/t"));
  EXPECT_EQ(ReadAll(base + " [1].url"), "[InternetShortcut]\nURL=/t\n");
  for (int n = 2; n <= 1000; ++n) {
    QFile f(QString::fromStdString(base + " [" + std::to_string(n) + "].url"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_FALSE(TTrawlonixThread::WriteShortcut(base, "/t"));
}

}  // namespace
}  // namespace trawlonix::test
