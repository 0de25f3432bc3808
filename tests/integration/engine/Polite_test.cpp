// A polite crawl by trawlonix-cli: robots.txt, pacing, cookies, patterns and
// size limits, judged by what the scripted test server saw.
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "CrawlFixture.h"
#include "model/sidecar.h"
#include "polite/ProjectChoices.h"

namespace trawlonix::test {
namespace {

class Polite : public CrawlFixture {
 protected:
  qint64 logStart_ = 0;
  // The paths the server was asked for, in order.
  std::vector<std::string> Paths() {
    std::vector<std::string> out;
    for (const auto& r : server_.requests())
      out.push_back(r.path.toStdString());
    return out;
  }
  bool Asked(const std::string& path) { return !server_.requestsFor(path.c_str()).isEmpty(); }
  // Forgets the requests so far (the request log keeps growing).
  bool ClearServer() {
    logStart_ = QFileInfo(server_.logPath()).size();
    return server_.clear();
  }
  // Arrival times (seconds) of the requests for pages since ClearServer,
  // robots.txt left out.
  std::vector<double> PageTimes() {
    std::vector<double> out;
    QFile log(server_.logPath());
    if (!log.open(QIODevice::ReadOnly) || !log.seek(logStart_)) return out;
    for (const QByteArray& line : log.readAll().split('\n')) {
      const QJsonObject o = QJsonDocument::fromJson(line).object();
      if (!o.isEmpty() && o.value("path").toString() != "/robots.txt")
        out.push_back(o.value("time").toDouble());
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  // A start page linking to every other page of `pages`.
  void WriteLinkedSite(const std::vector<std::string>& pages) {
    std::string start;
    for (const auto& p : pages)
      start += "<A HREF=\"" + p + "\">x</A>";
    std::map<std::string, std::string> files{{"index.html", start}};
    for (const auto& p : pages)
      files[p] = "page " + p;
    WriteSite(files);
  }
  // A fresh mirror of the site's index.html into <tmp>/mirror.
  CliResult Mirror(const std::vector<std::string>& extra) {
    QDir(QString::fromStdString(Path("mirror"))).removeRecursively();
    std::vector<std::string> args = {"mirror", Base() + "index.html", Path("mirror")};
    args.insert(args.end(), extra.begin(), extra.end());
    return Cli(args);
  }
  // The run's log file in the mirror directory.
  std::string Log() {
    const QDir dir(QString::fromStdString(Path("mirror")));
    for (const QString& f : dir.entryList({"*.log"}, QDir::Files))
      return Read(dir.filePath(f).toStdString());
    return "<no log>";
  }
};

TEST_F(Polite, RobotsTxtIsAskedOnceAndObeyed) {
  const std::string big = "User-agent: *\nDisallow: /private/\n" + std::string(1100000, '#');
  const struct {
    const char* name;
    std::string robots;  // script answer for /robots.txt
    std::vector<std::string> extra;
    bool privateFetched;
    bool okFetched;
  } cases[] = {
      {"rules",
       R"({"body": "User-agent: Other\nDisallow: /\n\nUser-agent: *\nDisallow: /private/\nAllow: /private/ok*.html$\n"})",
       {},
       false,
       true},
      {"agent group",
       R"({"body": "User-agent: *\nDisallow: /\n\nUser-agent: trawlonix\nDisallow: /private/n\n"})",
       {},
       false,
       true},
      {"missing", R"({"status": 404})", {}, true, true},
      {"server error",
       R"({"status": 503, "body": "User-agent: *\nDisallow: /\n"})",
       {},
       true,
       true},
      {"garbage", R"({"body_base64": "AAEC/f7/DQoNCkRpc2FsbG93"})", {}, true, true},
      {"slow",
       R"({"header_delay_ms": 4000, "body": "User-agent: *\nDisallow: /\n"})",
       {},
       true,
       true},
      {"huge",
       QJsonDocument(QJsonObject{{"body", QString::fromStdString(big)}}).toJson().toStdString(),
       {},
       true,
       true},
      {"ignored",
       R"({"body": "User-agent: *\nDisallow: /private/\n"})",
       {"--ignore-robots"},
       true,
       true},
  };
  WriteSettings("TimeOut=1\n");
  WriteLinkedSite({"public.html", "private/no.html", "private/ok.html"});
  ASSERT_TRUE(StartServer());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(server_.clear());
    ASSERT_TRUE(server_.addScript("/robots.txt", QByteArray::fromStdString(c.robots)));
    const CliResult r = Mirror(c.extra);
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    const auto paths = Paths();
    const bool ignored = !c.extra.empty();
    EXPECT_EQ(std::count(paths.begin(), paths.end(), "/robots.txt"), ignored ? 0 : 1);
    ASSERT_FALSE(paths.empty());
    EXPECT_EQ(paths.front() == "/robots.txt", !ignored);
    EXPECT_TRUE(Asked("/public.html"));
    EXPECT_EQ(Asked("/private/no.html"), c.privateFetched);
    EXPECT_EQ(Asked("/private/ok.html"), c.okFetched);
    EXPECT_EQ(Count(Log(), "robots.txt 不允许获取 " + Base() + "private/no.html"),
              c.privateFetched ? 0 : 1)
        << Log();
  }
}

TEST_F(Polite, StartPageIsFetchedDespiteRobotsTxt) {
  WriteLinkedSite({"other.html"});
  ASSERT_TRUE(StartServer(R"({"/robots.txt": {"body": "User-agent: *\nDisallow: /\n"}})"));
  const CliResult r = Mirror({});
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_EQ(Paths(), (std::vector<std::string>{"/robots.txt", "/index.html"}));
  EXPECT_NE(Log().find("robots.txt 不允许获取起始页面"), std::string::npos) << Log();
}

TEST_F(Polite, PacingKeepsGapsAndTheCapPerServer) {
  WriteLinkedSite({"a.html", "b.html", "c.html", "d.html", "e.html"});
  const struct {
    const char* name;
    std::string robots;
    std::vector<std::string> extra;
    double gap;  // least gap between page requests
    int cap;     // at most this many pages in flight (each answer takes 400 ms)
  } cases[] = {
      {"wait", "{\"status\": 404}", {"--wait", "0.3", "--random-wait"}, 0.15, 0},
      {"crawl-delay", R"({"body": "User-agent: *\nCrawl-delay: 0.5\n"})", {}, 0.5, 0},
      {"per-server cap", "{\"status\": 404}", {"--max-per-server", "2", "-t", "8"}, 0, 2},
  };
  ASSERT_TRUE(StartServer(R"({"/*": {"header_delay_ms": 400}, "/index.html": {}})"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(ClearServer());
    ASSERT_TRUE(server_.addScript("/robots.txt", QByteArray::fromStdString(c.robots)));
    const CliResult r = Mirror(c.extra);
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    const auto times = PageTimes();
    ASSERT_EQ(times.size(), 6u);
    // The server stamps arrivals; a new connection may reach it a moment
    // later than a kept one, hence the small allowance.
    for (std::size_t i = 1; i < times.size() && c.gap > 0; ++i)
      EXPECT_GE(times[i] - times[i - 1], c.gap - 0.05) << i;
    // The start page comes alone; the pages it links to then race.
    for (std::size_t i = 1; c.cap > 0 && i + c.cap < times.size(); ++i)
      EXPECT_GE(times[i + c.cap] - times[i], 0.35) << i;
  }
}

TEST_F(Polite, BandwidthCapSpreadsTheRequests) {
  std::map<std::string, std::string> files{{"index.html", ""}};
  for (const char* name : {"a.bin", "b.bin", "c.bin", "d.bin"}) {
    files["index.html"] += std::string("<A HREF=\"") + name + "\">x</A>";
    files[name] = std::string(20000, 'x');
  }
  WriteSite(files);
  ASSERT_TRUE(StartServer(R"({"/robots.txt": {"status": 404}})"));
  const CliResult r = Mirror({"--limit-rate", "20k"});
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  const auto times = PageTimes();
  ASSERT_EQ(times.size(), 5u);
  // The last file may start only once the three before it (60,000 bytes)
  // would have arrived at 20 KB/s.
  EXPECT_GE(times.back() - times.front(), 2.8);
}

TEST_F(Polite, CookiesGoBackToTheirOwnHostOnly) {
  WriteLinkedSite({"a.html", "b.html"});
  ASSERT_TRUE(StartServer(R"({"/index.html": {"headers": [["Set-Cookie", "sid=abc; Path=/"],
      ["Set-Cookie", "far=1; Domain=127.0.0.2"]], "body_file": "index.html"}})"));
  const std::string jar = Path("in.txt");
  Write(jar,
        "# Netscape HTTP Cookie File\n"
        "127.0.0.1\tFALSE\t/\tFALSE\t4102444800\tlogin\tyes\n"
        "127.0.0.2\tFALSE\t/\tFALSE\t4102444800\tother\tno\n");
  const CliResult r = Mirror({"--load-cookies", jar, "--save-cookies", Path("out.txt")});
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_EQ(server_.requestsFor("/index.html")[0].header("Cookie"), "login=yes");
  for (const char* page : {"/a.html", "/b.html"})
    EXPECT_EQ(server_.requestsFor(page)[0].header("Cookie"), "login=yes; sid=abc") << page;
  const std::string saved = Read(Path("out.txt"));
  EXPECT_NE(saved.find("\tsid\tabc"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("far"), std::string::npos) << saved;
}

TEST_F(Polite, PatternsAndSizeLimitsChooseTheFiles) {
  WriteSite({
      {"index.html",
       "<A HREF=\"a.html\">a</A><IMG SRC=\"p.gif\"><A HREF=\"d.pdf\">d</A>"
       "<A HREF=\"sub/s.html\">s</A><A HREF=\"big.bin\">b</A>"},
      {"a.html", "<A HREF=\"e.pdf\">e</A>"},
      {"p.gif", "GIF89a"},
      {"d.pdf", "%PDF"},
      {"e.pdf", "%PDF"},
      {"sub/s.html", "sub"},
      {"big.bin", std::string(20000, 'x')},
  });
  const struct {
    const char* name;
    std::vector<std::string> extra;
    std::vector<std::string> want;  // requested besides robots.txt and index.html
  } cases[] = {
      {"reject name", {"-R", "*.gif,bin"}, {"/a.html", "/d.pdf", "/sub/s.html", "/e.pdf"}},
      {"accept name", {"-A", "pdf"}, {"/a.html", "/d.pdf", "/sub/s.html", "/e.pdf"}},
      {"reject url",
       {"--reject-url", "*/sub/*", "--reject-url", "*.pdf"},
       {"/a.html", "/p.gif", "/big.bin"}},
      {"accept url", {"--accept-url", "*/a.html"}, {"/a.html"}},
  };
  ASSERT_TRUE(StartServer());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(server_.clear());
    const CliResult r = Mirror(c.extra);
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    auto paths = Paths();
    paths.erase(std::remove_if(
                    paths.begin(), paths.end(),
                    [](const std::string& p) { return p == "/robots.txt" || p == "/index.html"; }),
                paths.end());
    auto want = c.want;
    std::sort(paths.begin(), paths.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(paths, want);
  }
}

TEST_F(Polite, LimitsEndTheRunWithTheirOwnReason) {
  WriteSite({{"index.html", "<A HREF=\"big.bin\">b</A><A HREF=\"a.html\">a</A>"},
             {"big.bin", std::string(20000, 'x')},
             {"a.html", "<A HREF=\"c.html\">c</A>"},
             {"c.html", "c"}});
  ASSERT_TRUE(StartServer());
  const std::string host = Path("mirror/127.0.0.1/");
  CliResult r = Mirror({"--max-file-size", "10k", "-t", "1"});
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_NE(Log().find("超过最大文件大小"), std::string::npos) << Log();
  EXPECT_FALSE(QFile::exists(QString::fromStdString(host + "big.bin")));
  EXPECT_EQ(Read(host + "c.html"), "c");

  ASSERT_TRUE(server_.clear());
  r = Mirror({"--quota", "1", "-t", "1"});
  EXPECT_EQ(r.code, 5) << r.out << r.err;
  EXPECT_NE(r.out.find("运行因为达到下载限额而结束"), std::string::npos) << r.out;
  EXPECT_EQ(Paths(), (std::vector<std::string>{"/robots.txt", "/index.html"}));
}

TEST_F(Polite, ChoicesLiveBesideTheProjectAndWarnAboutUselessLists) {
  WriteLinkedSite({"a.html", "p.gif"});
  ASSERT_TRUE(StartServer());
  const std::string project = Path("p.txp");
  CliResult r = Cli({"new", Base() + "index.html", "--dir", Path("mirror"), "-o", project,
                     "--ignore-robots", "-R", "*.gif", "-x", Base() + "a.html"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("负面列表中的 " + Base() + "a.html 没有作用"), std::string::npos) << r.err;
  TSidecar sidecar;
  ASSERT_TRUE(LoadSidecar(Path("p.txs"), sidecar).ok);
  const TProjectChoices stored = LoadChoices(sidecar.Extras);
  EXPECT_FALSE(stored.ObeyRobots);
  EXPECT_EQ(stored.Patterns.RejectName, std::vector<std::string>{"*.gif"});

  r = Cli({"run", project, "--user-agent", "Polite Bot/1"});
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_EQ(Paths(), (std::vector<std::string>{"/index.html", "/a.html"}));
  EXPECT_EQ(server_.requestsFor("/a.html")[0].header("User-Agent"), "Polite Bot/1");
  ASSERT_TRUE(LoadSidecar(Path("p.txs"), sidecar).ok);
  EXPECT_EQ(LoadChoices(sidecar.Extras), stored);
}

}  // namespace
}  // namespace trawlonix::test
