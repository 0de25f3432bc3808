// Real crawls by trawlonix-cli against the scripted test server.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "CrawlFixture.h"
#include "model/sidecar.h"

namespace trawlonix::test {
namespace {

using Crawl = CrawlFixture;

TEST_F(Crawl, AdmissionAndRewritingOnPagesWrittenForThem) {
  WriteSite({
      {"a/start.html",
       "<A HREF=\"same.html#s\">same</A>"
       "<A HREF=\"sub/deeper.html\">below</A>"
       "<A HREF=\"/b/other.html\">other dir</A>"
       "<A HREF=\"http://127.0.0.2:9/far.html\">far</A>"
       "<A HREF=\"/a/\">dir</A>"
       "<IMG SRC=\"/img/pic.gif\">"
       "<A HREF=\"mailto:me@site.invalid\">mail</A>"},
      {"a/same.html", "<A HREF=\"start.html\">back</A>"},
      {"a/sub/deeper.html", "<A HREF=\"../start.html\">up</A>"},
      {"a/index.html", "dir page"},
      {"b/other.html", "never fetched"},
      {"img/pic.gif", std::string("GIF89a\0\1", 8)},
  });
  ASSERT_TRUE(StartServer());
  const std::string project = MakeProject(Base() + "a/start.html", [](TrawlonixDefinition& d) {
    d.actCollect = true;
    d.actColOpt = coUnprocessedLinks;
  });
  const CliResult r = Cli({"run", project});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  const std::string host = Path("mirror/127.0.0.1/");
  EXPECT_EQ(Read(host + "a/start.html"),
            "<A HREF=\"same.html#s\">same</A>"
            "<A HREF=\"sub/deeper.html\">below</A>"
            "<A HREF=\"" +
                Base() +
                "b/other.html\">other dir</A>"
                "<A HREF=\"http://127.0.0.2:9/far.html\">far</A>"
                "<A HREF=\"index.html\">dir</A>"
                "<IMG SRC=\"../img/pic.gif\">"
                "<A HREF=\"mailto:me@site.invalid\">mail</A>");
  EXPECT_EQ(Read(host + "a/sub/deeper.html"), "<A HREF=\"../start.html\">up</A>");
  EXPECT_EQ(Read(host + "a/index.html"), "dir page");
  EXPECT_EQ(Read(host + "img/pic.gif"), std::string("GIF89a\0\1", 8));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(host + "b/other.html")));
  EXPECT_TRUE(server_.requestsFor("/b/other.html").isEmpty());
  EXPECT_NE(r.out.find("状态: 已结束"), std::string::npos);
  EXPECT_NE(r.out.find("  me@site.invalid\t"), std::string::npos);
  EXPECT_NE(r.out.find("  " + Base() + "b/other.html\tother dir\t" + Base() + "a/start.html"),
            std::string::npos)
      << r.out;
  // Each page once, with the agent and the referring page.
  const auto reqs = server_.requestsFor("/a/same.html");
  ASSERT_EQ(reqs.size(), 1);
  EXPECT_EQ(reqs[0].header("User-Agent"), "Morvek Trawlonix 2.7 b6");
  EXPECT_EQ(reqs[0].header("Referer").toStdString(), Base() + "a/start.html");
}

TEST_F(Crawl, RelocationBrokenLinksAndRetries) {
  WriteSite({
      {"index.html",
       "<A HREF=\"moved.html\">m</A><A HREF=\"gone.html\">g</A><A HREF=\"busy.html\">b</A>"},
      {"new/target.html", "arrived"},
  });
  ASSERT_TRUE(StartServer(R"({
      "/moved.html": {"status": 302, "headers": {"Location": "/new/target.html"}, "body": ""},
      "/gone.html": {"status": 404},
      "/busy.html": {"status": 503}
  })"));
  WriteSettings("ErrorCount=2\n");
  const CliResult r = Cli({"run", MakeProject(Base())});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  const std::string host = Path("mirror/127.0.0.1/");
  // The relocation page is stored under the requested name, its link to the
  // new location rewritten, and the new location fetched.
  const std::string moved = Read(host + "moved.html");
  EXPECT_NE(moved.find("<A HREF=\"new/target.html\">"), std::string::npos) << moved;
  EXPECT_EQ(Read(host + "new/target.html"), "arrived");
  // 404: broken at once; 503: tried ErrorCount + 1 times, never broken.
  EXPECT_EQ(server_.requestsFor("/gone.html").size(), 1);
  EXPECT_EQ(server_.requestsFor("/busy.html").size(), 3);
  EXPECT_NE(r.out.find("错误链接: 1\n  " + Base() + "gone.html\t404 "), std::string::npos) << r.out;
  EXPECT_EQ(Count(r.out, "busy.html\t"), 0);
  // The project state written at the end.
  TrawlonixDefinition def;
  TSpiderList spider;
  TCGIRedirectList redirects;
  ASSERT_TRUE(OpenProject(Path("p.txp"), def, spider, redirects).ok);
  ASSERT_EQ(spider.Count(), 5);
  for (int i = 0; i < spider.Count(); ++i) {
    const std::string name = spider[i].URL.FileName;
    EXPECT_EQ(spider[i].Broken, name == "gone.html") << name;
    EXPECT_EQ(spider[i].Fetched, name != "gone.html" && name != "busy.html") << name;
  }
}

TEST_F(Crawl, ScriptStyleClassAndFlashLinksFollowedOnTheDemoSite) {
  ASSERT_TRUE(server_.start(QString::fromStdString(TX_SOURCE_DIR "/examples/demo-site")));
  const CliResult r = Cli({"mirror", Base(), Path("mirror"), "--threads", "3", "--verbose"});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  const std::string host = Path("mirror/127.0.0.1/");
  for (const char* f :
       {"css/site.css", "img/bg.gif", "docs/guide/guide.css", "docs/guide/img/note.gif",
        "js/menu.js", "img/banner.gif", "docs/guide/advanced/deep.html", "applet/Greeter.class",
        "applet/Helper.class", "media/movie.swf", "media/flash-page.html", "search_0.html",
        "search_1.html"}) {
    EXPECT_TRUE(QFile::exists(QString::fromStdString(host + f))) << f;
  }
  EXPECT_EQ(Read(host + "applet/Greeter.class"),
            Read(TX_SOURCE_DIR "/examples/demo-site/applet/Greeter.class"));
  EXPECT_EQ(server_.requestsFor("/missing.html").size(), 1);
  // The log file holds what standard output showed, and the shortcut names
  // the stored start page.
  const std::string log = Read(Path("mirror/127_0_0_1.log"));
  EXPECT_NE(log.find("[0] GET " + Base() + " REFER  USER-AGENT Morvek Trawlonix 2.7 b6\n"),
            std::string::npos);
  EXPECT_NE(log.find(" 启动 JAVA(tm)-VM 类解析器...\n"), std::string::npos);
  EXPECT_NE(r.out.find(log.substr(0, 200)), std::string::npos);
  EXPECT_EQ(Read(Path("mirror/Trawlonix 从 127.0.0.1 浏览.url")),
            "[InternetShortcut]\nURL=" + host + "index.html\n");
  EXPECT_TRUE(QFile::exists(QString::fromStdString(Path("mirror/127_0_0_1.txp"))));
}

TEST_F(Crawl, UpdateRunLeavesUnchangedFilesUntouched) {
  WriteSite({{"index.html", "<A HREF=\"dir/\">d</A><A HREF=\"q.html?x=1\">q</A>"},
             {"dir/index.html", "dir"},
             {"q.html", "query"}});
  ASSERT_TRUE(StartServer());
  const std::string project = MakeProject(Base());
  ASSERT_EQ(Cli({"run", project}).code, 0);
  const std::string host = Path("mirror/127.0.0.1/");
  struct stat before {};
  ASSERT_EQ(::stat((host + "dir/index.html").c_str(), &before), 0);
  QThread::msleep(1100);
  server_.clear();
  // A complete project defaults to an update run.
  const CliResult r = Cli({"run", project, "-v"});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_EQ(Count(r.out, "没有修改。"), 3) << r.out;
  EXPECT_NE(r.out.find("3 个文件被检查"), std::string::npos);
  auto reqs = server_.requests();
  // robots.txt first (unconditionally), then the stored pages.
  ASSERT_EQ(reqs.size(), 4);
  EXPECT_EQ(reqs.takeFirst().path, "/robots.txt");
  for (const auto& q : reqs) {
    // The stored copy's date, looked up under the saved name (index file,
    // numbered query answer), in GMT.
    EXPECT_TRUE(q.header("If-Modified-Since").endsWith(" GMT")) << q.target.toStdString();
  }
  struct stat after {};
  ASSERT_EQ(::stat((host + "dir/index.html").c_str(), &after), 0);
  EXPECT_EQ(before.st_mtime, after.st_mtime);
  EXPECT_EQ(Read(host + "q_0.html"), "query");
}

TEST_F(Crawl, StoppedBySigintThenContinuedEndsLikeAnUninterruptedRun) {
  std::map<std::string, std::string> files;
  std::string index;
  for (int i = 0; i < 30; ++i) {
    const std::string name = "p" + std::to_string(i) + ".html";
    index += "<A HREF=\"" + name + "\">" + name + "</A>";
    files[name] = "<A HREF=\"index.html\">home</A><IMG SRC=\"i" + std::to_string(i % 5) + ".gif\">";
  }
  for (int i = 0; i < 5; ++i)
    files["i" + std::to_string(i) + ".gif"] = "GIF" + std::to_string(i);
  files["index.html"] = index;
  WriteSite(files);
  ASSERT_TRUE(StartServer(R"({"*": {"header_delay_ms": 40}})"));
  WriteSettings("MaxThreads=2\n");

  // The uninterrupted run, into a directory of its own.
  const std::string full = MakeProject(Base(), [&](TrawlonixDefinition& d) {
    d.LocalPath = Path("full");
    d.ProjectName = "full";
  });
  QDir().mkpath(QString::fromStdString(Path("full")));
  ASSERT_EQ(Cli({"run", full, "--quiet"}).code, 0);

  const std::string project = MakeProject(Base());
  QProcess* p = StartCli({"run", project, "-v"});
  // Wait until some pages are stored, then stop the run.
  for (int i = 0; i < 200 && Tree(Path("mirror")).size() < 6; ++i)
    QThread::msleep(20);
  ::kill(static_cast<pid_t>(p->processId()), SIGINT);
  QThread::msleep(30);
  ::kill(static_cast<pid_t>(p->processId()), SIGINT);  // ignored until saved
  const CliResult stopped = Finish(p);
  ASSERT_EQ(stopped.code, 130) << stopped.out << stopped.err;
  EXPECT_EQ(Count(stopped.out, "正在中断过程...\n"), 1);
  EXPECT_NE(stopped.out.find("所有过程被中断\n"), std::string::npos);
  EXPECT_NE(stopped.out.find("状态: 被中断"), std::string::npos);
  EXPECT_LT(Tree(Path("mirror/127.0.0.1")).size(), 36u);

  const CliResult resumed = Cli({"run", project});
  ASSERT_EQ(resumed.code, 0) << resumed.out << resumed.err;
  EXPECT_EQ(Tree(Path("mirror/127.0.0.1")), Tree(Path("full/127.0.0.1")));

  TrawlonixDefinition d1, d2;
  TSpiderList s1, s2;
  TCGIRedirectList r1, r2;
  ASSERT_TRUE(OpenProject(project, d1, s1, r1).ok);
  ASSERT_TRUE(OpenProject(full, d2, s2, r2).ok);
  ASSERT_EQ(s1.Count(), s2.Count());
  std::map<std::string, std::tuple<bool, bool, int>> a, b;
  for (int i = 0; i < s1.Count(); ++i)
    a[ComposeURL(s1[i].URL)] = {s1[i].Fetched, s1[i].Broken, s1[i].Level};
  for (int i = 0; i < s2.Count(); ++i)
    b[ComposeURL(s2[i].URL)] = {s2[i].Fetched, s2[i].Broken, s2[i].Level};
  EXPECT_EQ(a, b);
}

// A port on 127.0.0.1 where nothing listens (bound, then closed again).
int ClosedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return ntohs(a.sin_port);
}

// The exit status and the summary name why a run fell short: a closed port
// or a server that never answers (the start page is listed as broken), a
// mirror where nothing can be written (the files stay pending, so that
// --continue fetches them again once there is room).
TEST_F(Crawl, ExitStatusTellsWhyARunFellShort) {
  WriteSite({{"index.html", "<A HREF=\"a.html\">a</A>"}, {"a.html", "a"}});
  ASSERT_TRUE(StartServer(R"({"/silent/*": {"header_delay_ms": 30000}})"));
  WriteSettings("TimeOut=1\nErrorCount=1\n");
  const std::string closed = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  const struct {
    std::string start;
    bool blockMirror;
    int code;
    const char* cause;
  } cases[] = {
      {closed, false, 4, "原因: 起始页面不能被获取。"},
      {Base() + "silent/", false, 4, "原因: 起始页面不能被获取。"},
      {Base(), false, 0, "状态: 已结束"},
      {Base(), true, 3, "原因: 2 个文件不能被写入。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    QDir(QString::fromStdString(Path("mirror"))).removeRecursively();
    QDir().mkpath(QString::fromStdString(Path("mirror")));
    QFile::remove(QString::fromStdString(Path("p.txs")));  // the lists of the case before
    // A file where the host's folder belongs: no copy can be created.
    if (c.blockMirror) Write(Path("mirror/127.0.0.1"), "in the way");
    const std::string project = MakeProject(c.start);
    const CliResult r = Cli({"run", project});
    EXPECT_EQ(r.code, c.code) << r.out << r.err;
    EXPECT_NE(r.out.find(c.cause), std::string::npos) << r.out;
    if (c.code == 4) {
      EXPECT_NE(r.out.find("错误链接: 1\n  " + c.start + "\t"), std::string::npos) << r.out;
    }
  }
  // The two documents that could not be stored are fetched by --continue.
  QFile::remove(QString::fromStdString(Path("mirror/127.0.0.1")));
  const CliResult again = Cli({"run", Path("p.txp"), "--continue"});
  EXPECT_EQ(again.code, 0) << again.out;
  EXPECT_EQ(server_.requestsFor("/a.html").size(), 3);
}

// A server on the IPv6 loopback that answers every request with `page`,
// for at most `seconds`; port 0 when the machine has no IPv6 loopback.
class LoopbackV6Server {
 public:
  LoopbackV6Server(std::string page, int seconds) : page_(std::move(page)) {
    fd_ = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    a.sin6_addr = in6addr_loopback;
    socklen_t len = sizeof a;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(fd_, 8) != 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
      return;
    port_ = ntohs(a.sin6_port);
    thread_ = std::thread([this, seconds] { Serve(seconds); });
  }
  ~LoopbackV6Server() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
  }
  int Port() const { return port_; }
  int Requests() const { return requests_; }

 private:
  void Serve(int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!stop_ && std::chrono::steady_clock::now() < end) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (c < 0) continue;
      std::string request;
      char buf[4096];
      pollfd q{c, POLLIN, 0};
      while (request.find("\r\n\r\n") == std::string::npos && ::poll(&q, 1, 2000) > 0) {
        const ssize_t n = ::read(c, buf, sizeof buf);
        if (n <= 0) break;
        request.append(buf, static_cast<std::size_t>(n));
      }
      ++requests_;
      const std::string answer = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                 std::to_string(page_.size()) + "\r\n\r\n" + page_;
      (void)!::write(c, answer.data(), answer.size());
      ::close(c);
    }
  }
  std::string page_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::thread thread_;
};

// An IPv6 literal host is parsed, connected to over AF_INET6 and stored
// under a folder name without colons; a port out of range creates nothing.
TEST_F(Crawl, IPv6LiteralHostAndPortRange) {
  LoopbackV6Server server("<A HREF=\"mailto:v6@site.invalid\">v6</A>", 60);
  if (server.Port() == 0) GTEST_SKIP() << "this machine has no IPv6 loopback (::1)";
  const std::string url = "http://[::1]:" + std::to_string(server.Port()) + "/";
  const CliResult r = Cli({"mirror", url, Path("v6"), "--quiet"});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_EQ(Read(Path("v6/[__1]/index.html")), "<A HREF=\"mailto:v6@site.invalid\">v6</A>");
  EXPECT_TRUE(QFile::exists(QString::fromStdString(Path("v6/[__1].txp"))));
  EXPECT_EQ(server.Requests(), 2);  // robots.txt and the page

  const CliResult bad = Cli({"mirror", "http://127.0.0.1:99999/", Path("bad")});
  EXPECT_EQ(bad.code, 1);
  EXPECT_NE(bad.err.find("99999"), std::string::npos) << bad.err;
  EXPECT_TRUE(QDir(QString::fromStdString(Path("bad"))).isEmpty());
}

// SIGHUP (a closed terminal) stops a run like SIGINT and saves it with its
// lists; a continued run appends to the log and exports the whole lists. A
// closed standard output ("| head -1") does not end a run: it goes on and
// saves.
TEST_F(Crawl, HangupAndClosedOutputKeepTheRunAndItsLists) {
  std::map<std::string, std::string> files;
  std::string index = "<A HREF=\"mailto:hup@site.invalid\">mail</A><A HREF=\"gone.html\">x</A>";
  for (int i = 0; i < 20; ++i) {
    index += "<A HREF=\"p" + std::to_string(i) + ".html\">p</A>";
    files["p" + std::to_string(i) + ".html"] = "page";
  }
  files["index.html"] = index;
  WriteSite(files);
  ASSERT_TRUE(StartServer(R"({"*": {"header_delay_ms": 40}})"));
  WriteSettings("MaxThreads=1\n");

  const std::string project = MakeProject(Base());
  QProcess* p = StartCli({"run", project, "-v"});
  std::string out;
  while (out.find("成功。") == std::string::npos && p->waitForReadyRead(10000))
    out += p->readAllStandardOutput().toStdString();
  ::kill(static_cast<pid_t>(p->processId()), SIGHUP);
  const CliResult stopped = Finish(p);
  ASSERT_EQ(stopped.code, 130) << stopped.out << stopped.err;
  TSidecar lists;
  ASSERT_TRUE(LoadSidecar(Path("p.txs"), lists).ok);
  ASSERT_EQ(lists.Lists[1].size(), 1u);

  const std::string exported = Path("emails.txt");
  const CliResult resumed =
      Cli({"run", project, "--continue", "--export-emails", exported, "--format", "text"});
  ASSERT_EQ(resumed.code, 0) << resumed.out << resumed.err;
  EXPECT_NE(Read(exported).find("hup@site.invalid"), std::string::npos) << Read(exported);
  ASSERT_TRUE(LoadSidecar(Path("p.txs"), lists).ok);
  EXPECT_EQ(lists.Lists[1].size(), 1u);
  EXPECT_EQ(lists.Lists[2].size(), 1u);  // gone.html, found before the stop or after
  // One log: the first run's lines, a separator naming the second's start,
  // the second's lines.
  const std::string log = Read(Path("mirror/p.log"));
  EXPECT_EQ(Count(log, "GET " + Base() + " "), 1) << log;
  EXPECT_EQ(Count(log, "========== 运行开始于 "), 1);
  EXPECT_LT(log.find("正在中断过程..."), log.find("运行开始于"));

  // Standard output closed after the first bytes.
  const std::string again = MakeProject(Base(), [&](TrawlonixDefinition& d) {
    d.ProjectName = "q";
    d.LocalPath = Path("q");
  });
  QDir().mkpath(QString::fromStdString(Path("q")));
  QProcess* piped = StartCli({"run", again, "-v"});
  ASSERT_TRUE(piped->waitForReadyRead(10000));
  piped->closeReadChannel(QProcess::StandardOutput);
  const CliResult rest = Finish(piped);
  EXPECT_EQ(rest.code, 0) << rest.err;
  TrawlonixDefinition def;
  TSpiderList spider;
  TCGIRedirectList redirects;
  ASSERT_TRUE(OpenProject(again, def, spider, redirects).ok);
  EXPECT_EQ(spider.Count(), 22);
  EXPECT_EQ(Tree(Path("q/127.0.0.1")).size(), 21u);
}

// mirror into a directory that holds the project: continued (a complete one
// is updated), refused for another start URL unless --force.
TEST_F(Crawl, MirrorIntoAnExistingProject) {
  WriteSite({{"index.html", "<A HREF=\"mailto:m@site.invalid\">m</A><A HREF=\"a.html\">a</A>"},
             {"a.html", "a"}});
  ASSERT_TRUE(StartServer());
  const std::string dir = Path("m");
  const std::string project = dir + "/127_0_0_1.txp";
  ASSERT_EQ(Cli({"mirror", Base(), dir, "--quiet"}).code, 0);
  const std::string before = Read(project);
  const CliResult other = Cli({"mirror", Base() + "a.html", dir, "--quiet"});
  EXPECT_EQ(other.code, 1);
  EXPECT_NE(other.err.find("属于另一个起始 URL"), std::string::npos) << other.err;
  EXPECT_TRUE(Read(project) == before);
  // The same URL again: an update run of the project, with its lists.
  const CliResult same = Cli({"mirror", Base(), dir});
  EXPECT_EQ(same.code, 0) << same.out;
  EXPECT_NE(same.out.find("个文件被检查"), std::string::npos);
  EXPECT_NE(same.out.find("收集的电邮地址: 1\n  m@site.invalid"), std::string::npos) << same.out;
  const CliResult forced = Cli({"mirror", Base() + "a.html", dir, "--force", "--quiet"});
  EXPECT_EQ(forced.code, 0) << forced.err;
  TrawlonixDefinition def;
  TSpiderList spider;
  TCGIRedirectList redirects;
  ASSERT_TRUE(OpenProject(project, def, spider, redirects).ok);
  EXPECT_EQ(def.StartingUrl, Base() + "a.html");
}

TEST_F(Crawl, RunOptionsAndFailures) {
  CliResult r = Cli({"run"});
  EXPECT_EQ(r.code, 2);
  r = Cli({"run", Path("nothing.txp")});
  EXPECT_EQ(r.code, 1);
  r = Cli({"run", Path("x.txp"), "--update", "--restart"});
  EXPECT_EQ(r.code, 2);
  r = Cli({"run", Path("x.txp"), "--threads", "65"});
  EXPECT_EQ(r.code, 2);
}

}  // namespace
}  // namespace trawlonix::test
