// A received document from the fetch result on: the entry's marks, retries
// and broken links, the reader chosen by content type and extension, its log
// lines, the stored copy and what happens when it cannot be written.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>

#include "WorkerFixture.h"

namespace trawlonix::test {
namespace {

std::string ReadAll(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll().toStdString();
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
  EXPECT_EQ(f.host.totals[TCounters::kQueued], 2);  // the two links found
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
  // Decoded, the path climbs out of the mirror.
  DocFixture f("http://h/a/%2e%2e/%2e%2e/%2e%2e/escape.html");
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

// A guess taken from script code that fails is logged, but it is no broken
// link of the site.
TEST(FetchResult, FailedGuessIsLoggedNotListedAsBroken) {
  DocFixture f("http://h/");
  f.Make();
  f.Link("x.gif");
  f.spider.GetEntry(1)->Guessed = true;
  f.Receive(1, 404, "text/html", "");
  EXPECT_TRUE(f.spider[1].Broken);
  EXPECT_TRUE(f.host.Logged("[3] 已中断，有错误: 404 Reason"));
  EXPECT_TRUE(f.host.results.Rows(TResultLists::kBroken).empty());
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
  // Not recorded as fetched, and not tried again in this run: the next run
  // fetches it again.
  EXPECT_FALSE(f.spider[0].Fetched);
  EXPECT_EQ(f.spider.NextToFetch(), 1);
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

struct StoreFixture : WorkerFixture {
  QTemporaryDir dir;
  StoreFixture() : WorkerFixture("http://h/a/") {
    setup.LocalDir = dir.path().toStdString() + "/";
    setup.Definition.LimitLinked = lmUnlimited;
    setup.Definition.LimitHtDocs = lmUnlimited;
  }
  // Receives `body` for the entry of `link` (entered first) and returns the
  // slot's log lines, without the success line.
  std::vector<std::string> Receive(const std::string& link, const std::string& type,
                                   const std::string& body) {
    Link(link);
    const std::int32_t index = spider.Count() - 1;
    host.log.clear();
    TTrawlonixThread::FetchResult r;
    r.Status = 200;
    r.Reason = "OK";
    r.ContentType = type;
    r.Data = body;
    spider.SetInProgress(index, true);
    worker->HandleResult(5, index, true, r);
    worker->Flush();
    std::vector<std::string> lines;
    for (const auto& l : host.log)
      if (l != "[5] 成功。" && l.rfind("     >", 0) != 0) lines.push_back(l);
    return lines;
  }
  std::string Local(const std::string& rel) { return setup.LocalDir + rel; }
};

const std::vector<std::string> kHtml = {"[5] 启动标签解析器...", "[5] 保存文件",
                                        "[5] 标签解析器完成。"};
const std::vector<std::string> kScript = {"[5] 启动 JavaScript 解析器...", "[5] 保存文件",
                                          "[5] JavaScript 解析器完成。"};
const std::vector<std::string> kStyle = {"[5] 启动 CSS 解析器...", "[5] 保存文件",
                                         "[5] CSS 解析器完成。"};
const std::vector<std::string> kOther = {"[5] 不是文本或者 html 文档。", "[5] 保存文件"};
const std::vector<std::string> kClass = {"[5] 启动 JAVA(tm)-VM 类解析器...", "[5] 保存文件",
                                         "[5] JAVA(tm)-VM 类解析器完成。"};
const std::vector<std::string> kFlash = {"[5] 启动 Macromedia(C) FLASH(tm) 解析器...",
                                         "[5] 保存文件",
                                         "[5] Macromedia(C) FLASH(tm) 解析器完成。"};
const std::vector<std::string> kFlashBroken = {
    "[5] 启动 Macromedia(C) FLASH(tm) 解析器...",
    "[5] ！！错误！！ FLASH(tm)-解析器失败: 未料到的文件结尾", "[5] 保存文件",
    "[5] Macromedia(C) FLASH(tm) 解析器完成。"};

TEST(Dispatch, HandlerByContentTypeAndExtension) {
  struct Case {
    const char* link;
    const char* type;
    const std::vector<std::string>* lines;
    std::string body = "ab";
  } cases[] = {
      {"p.html", "text/html", &kHtml},
      {"p2.html", "  TEXT/HTML; charset=x", &kHtml},  // lower-cased, trimmed, first 9
      {"p3.txt", "text/htmlfoo", &kHtml},             // only 9 characters compared
      {"p4.html", "text/plain", &kOther},             // the extension alone is no HTML
      {"p5.html", "text/htm", &kOther},
      {"b.HTC", "text/plain", &kHtml},
      {"s.js", "application/javascript", &kScript},
      {"s2.JS", "text/plain", &kScript},
      {"c.css", "text/css", &kStyle},
      {"x.class", "application/java", &kClass},  // the class parser reports by messages only
      {"m.swf", "application/x-shockwave-flash", &kFlash},  // no movie: a message only
      {"m2.swf", "application/x-shockwave-flash", &kFlashBroken,
       std::string("FWS\x05\x0d\0\0\0\0\0\x0c\x01\0", 13)},  // ends before its End tag
      {"i.gif", "image/gif", &kOther},
      {"s3.js", "text/html", &kHtml},  // the HTML content type wins
  };
  for (const auto& c : cases) {
    StoreFixture f;
    f.Make();
    EXPECT_EQ(f.Receive(c.link, c.type, c.body), *c.lines) << c.link << " " << c.type;
  }
}

TEST(Dispatch, BinaryContentStoredByteForByte) {
  StoreFixture f;
  f.Make();
  const std::string body("\x89PNG\r\n\x1a\n\0\xff<a href=x>", 19);
  f.Receive("i.gif", "image/gif", body);
  f.Receive("x.class", "application/java", body);
  f.Receive("m.swf", "application/x-shockwave-flash", body);
  EXPECT_EQ(ReadAll(f.Local("h/a/i.gif")), body);
  EXPECT_EQ(ReadAll(f.Local("h/a/x.class")), body);
  EXPECT_EQ(ReadAll(f.Local("h/a/m.swf")), body);
  EXPECT_EQ(f.spider.Count(), 4);  // nothing found in them
}

// Strings in a script file resolve against the page that included it, are
// listed with that page as first occurrence and rewritten relative to it.
TEST(Dispatch, ScriptFileStringsBelongToTheIncludingPage) {
  StoreFixture f;
  f.setup.Definition.actColOpt = coAllLinks;
  f.Make();
  f.Link("sub/page.html");
  f.current = 1;
  f.Receive("/lib/s.js", "application/javascript", "go('pic/p.html');");
  ASSERT_EQ(f.spider.Count(), 4);
  EXPECT_EQ(ComposeURL(f.spider[3].URL), "http://h/a/sub/pic/p.html");
  EXPECT_EQ(f.spider[3].Referrer, 2);  // the script's own entry
  EXPECT_EQ(ReadAll(f.Local("h/lib/s.js")), "go('pic/p.html');");
  const auto& rows = f.host.results.Rows(TResultLists::kLinks);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.back().Text, "http://h/a/sub/pic/p.html");
  EXPECT_EQ(rows.back().FirstOccurrence, "http://h/a/sub/page.html");
}

// The copy cannot be written: file size limit below the document's size.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit lim = old_;
    lim.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &lim) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit old_{};
  void (*old_handler_)(int) = nullptr;
  bool ok_ = false;
};

TEST(Dispatch, WriteFailureLinesPerHandler) {
  const std::string body(64, 'x');
  struct Case {
    const char* link;
    const char* type;
    const char* start;
    const char* error;
    bool saved;  // the "保存文件" line still follows
  } cases[] = {
      {"p.html", "text/html", "[5] 启动标签解析器...", "！错误: 不能写入到文件 ", true},
      {"s.js", "text/plain", "[5] 启动 JavaScript 解析器...", "！错误: 不能写入到文件 ", true},
      {"c.css", "text/plain", "[5] 启动 CSS 解析器...", "！错误: 不能写入到文件 ", true},
      {"x.class", "text/plain", "[5] 启动 JAVA(tm)-VM 类解析器...", "！错误: 不能写入到文件 ",
       false},
      {"m.swf", "text/plain", "[5] 启动 Macromedia(C) FLASH(tm) 解析器...", "！错误: 不能创建文件 ",
       false},
      {"i.gif", "image/gif", "[5] 不是文本或者 html 文档。", "！错误: 不能写入到文件 ", false},
  };
  for (const auto& c : cases) {
    StoreFixture f;
    f.Make();
    std::vector<std::string> lines;
    {
      FileSizeLimit limit(8);
      ASSERT_TRUE(limit.ok());
      lines = f.Receive(c.link, c.type, body);
    }
    ASSERT_FALSE(lines.empty()) << c.link;
    EXPECT_EQ(lines.front(), c.start) << c.link;
    const std::string error = c.error + f.Local(std::string("h/a/") + c.link);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), error), 1) << c.link;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "[5] 保存文件"), c.saved ? 1 : 0) << c.link;
    // A new file that could not be written is not left half written.
    EXPECT_EQ(ReadAll(f.Local(std::string("h/a/") + c.link)), "<missing>") << c.link;
  }
}

}  // namespace
}  // namespace trawlonix::test
