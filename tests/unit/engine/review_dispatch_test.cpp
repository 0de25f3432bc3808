// Content dispatch by file type and content type: the handler chosen, its log
// lines (parser messages left aside), the stored copy, the failure lines when the copy cannot be
// written, and the page that script strings resolve against.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>

#include "FakeHost.h"

namespace trawlonix::test {
namespace {

std::string ReadFile(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll().toStdString();
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

TEST(ReviewDispatch, HandlerByContentTypeAndExtension) {
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

TEST(ReviewDispatch, BinaryContentStoredByteForByte) {
  StoreFixture f;
  f.Make();
  const std::string body("\x89PNG\r\n\x1a\n\0\xff<a href=x>", 19);
  f.Receive("i.gif", "image/gif", body);
  f.Receive("x.class", "application/java", body);
  f.Receive("m.swf", "application/x-shockwave-flash", body);
  EXPECT_EQ(ReadFile(f.Local("h/a/i.gif")), body);
  EXPECT_EQ(ReadFile(f.Local("h/a/x.class")), body);
  EXPECT_EQ(ReadFile(f.Local("h/a/m.swf")), body);
  EXPECT_EQ(f.spider.Count(), 4);  // nothing found in them
}

// Strings in a script file resolve against the page that included it, are
// listed with that page as first occurrence and rewritten relative to it.
TEST(ReviewDispatch, ScriptFileStringsBelongToTheIncludingPage) {
  StoreFixture f;
  f.setup.Definition.actColOpt = coAllLinks;
  f.Make();
  f.Link("sub/page.html");
  f.worker->SetDocument(1);
  f.Receive("/lib/s.js", "application/javascript", "go('pic/p.html');");
  ASSERT_EQ(f.spider.Count(), 4);
  EXPECT_EQ(ComposeURL(f.spider[3].URL), "http://h/a/sub/pic/p.html");
  EXPECT_EQ(f.spider[3].Referrer, 2);  // the script's own entry
  EXPECT_EQ(ReadFile(f.Local("h/lib/s.js")), "go('pic/p.html');");
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

TEST(ReviewDispatch, WriteFailureLinesPerHandler) {
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
    EXPECT_EQ(ReadFile(f.Local(std::string("h/a/") + c.link)), "<missing>") << c.link;
  }
}

}  // namespace
}  // namespace trawlonix::test
