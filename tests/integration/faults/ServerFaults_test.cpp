// Hostile and broken servers: every answer below ends the run in bounded
// time, stores nothing that was not received whole, and writes nothing
// outside the mirror directory.
#include "FaultFixture.h"

namespace trawlonix::test {
namespace {

// The generated body of the test server: "0123456789abcdef" repeated.
std::string Generated(std::size_t n) {
  static const std::string unit = "0123456789abcdef";
  std::string s;
  s.reserve(n);
  while (s.size() < n)
    s += unit;
  s.resize(n);
  return s;
}

using ServerFault = FaultFixture;

struct BodyCase {
  const char* name;
  const char* script;  // the answer (or sequence) for /x.bin
  bool stored;         // x.bin stored whole (else: no file at all)
  int requests;        // requests for /x.bin
};

// One linked file whose answer breaks in some way; the start page is always
// stored, the run always ends finished.
TEST_F(ServerFault, BrokenBodiesAreResumedOrDroppedNeverStoredCut) {
  const BodyCase cases[] = {
      {"stall before the header", R"({"header_delay_ms": 5000})", false, 2},
      {"stall before the header once", R"([{"header_delay_ms": 5000}, {"body_size": 20000}])", true,
       2},
      // A known length is resumed from the bytes held.
      {"stall in a known-length body once",
       R"([{"body_size": 20000, "body_stall_at": 5000, "body_stall_ms": 5000},
           {"body_size": 20000}])",
       true, 2},
      {"stall in a known-length body always",
       R"({"body_size": 20000, "body_stall_at": 5000, "body_stall_ms": 5000, "range": "ignore"})",
       false, -1},
      {"stall in an unknown-length body",
       R"({"body_size": 20000, "body_stall_at": 5000, "body_stall_ms": 5000,
           "headers": {"Content-Length": null}})",
       false, 2},
      {"reset in the body once",
       R"([{"body_size": 20000, "reset_at": 5000}, {"body_size": 20000}])", true, 2},
      // Every answer brings 5000 more bytes: the resumes collect the whole.
      {"reset in the body always", R"({"body_size": 20000, "reset_at": 5000})", true, 4},
      {"reset in the body, range ignored",
       R"({"body_size": 20000, "reset_at": 5000, "range": "ignore"})", false, -1},
      // A connection failure is reported as 404 with the socket's text: broken at once.
      {"reset before anything", R"({"reset_now": true})", false, 1},
      {"lying Content-Length", R"({"body_size": 5000, "headers": {"Content-Length": "20000"}})",
       false, -1},
      // The server ignores the range and sends the whole file again.
      {"200 to a Range request",
       R"([{"body_size": 20000, "cut_at": 5000}, {"body_size": 20000, "range": "ignore"}])", true,
       2},
      // The part returned starts at 0 whatever was asked.
      {"wrong 206 part",
       R"([{"body_size": 20000, "cut_at": 5000}, {"body_size": 20000, "range": "wrong"}])", true,
       -1},
      // A header line longer than the reader's 8 KB buffer ends the answer.
      {"header line over 8 KB", R"({"body_size": 20000, "long_header": 9000})", false, -1},
      {"header line of 1 MB", R"({"body_size": 20000, "long_header": 1000000})", false, -1},
      // Only an answer that starts with "<HTML>" may come without a header.
      {"header-less answer that is no page", R"({"no_header": true, "body_size": 20000})", false,
       -1},
  };
  WriteSite({{"index.html", "<A HREF=\"x.bin\">x</A>"}});
  ASSERT_TRUE(StartServer());
  for (const BodyCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(server_.clear());
    ASSERT_TRUE(server_.addScript("/x.bin", c.script));
    QDir(QString::fromStdString(Path("mirror"))).removeRecursively();
    host_ = FakeHost();
    spider_.Clear();
    redirects_.Clear();
    def_.StartingUrl = Base();
    ASSERT_TRUE(Run(20000)) << "no end within 20 s\n" << LogText();
    EXPECT_FALSE(interrupted_);
    EXPECT_EQ(host_.resultStatus, "已结束");
    const AGetEntry* x = Entry("/x.bin");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->Fetched, c.stored) << LogText();
    EXPECT_FALSE(x->InProgress);
    const std::string stored = Read(Path("mirror/127.0.0.1/x.bin"));
    if (c.stored) {
      EXPECT_TRUE(stored == Generated(20000)) << stored.size() << " bytes\n" << LogText();
    } else {
      EXPECT_TRUE(stored == "<missing>") << stored.size() << " bytes\n" << LogText();
    }
    const auto reqs = server_.requestsFor("/x.bin");
    if (c.requests >= 0) {
      EXPECT_EQ(reqs.size(), c.requests) << LogText();
    }
    EXPECT_LE(reqs.size(), 24);
    // No part file is left behind.
    for (const auto& [name, bytes] : Tree(Path("mirror")))
      EXPECT_EQ(name.find("trawlonix-part"), std::string::npos) << name;
  }
}

TEST_F(ServerFault, ErrorStormsAndRelocationsEndAndStayOnTheSite) {
  std::string index;
  for (int i = 0; i < 40; ++i)
    index += "<A HREF=\"e/" + std::to_string(i) + ".html\">e</A>";
  index +=
      "<A HREF=\"loop-a.html\">a</A><A HREF=\"away.html\">away</A>"
      "<A HREF=\"file.html\">f</A><A HREF=\"js.html\">j</A><A HREF=\"self.html\">s</A>";
  WriteSite({{"index.html", index}});
  const QByteArray script = R"json({
      "/e/*": {"status": 503},
      "/loop-a.html": {"status": 302, "headers": {"Location": "/loop-b.html"}, "body": ""},
      "/loop-b.html": {"status": 301, "headers": {"Location": "/loop-a.html"}, "body": ""},
      "/self.html": {"status": 302, "headers": {"Location": "/self.html"}, "body": ""},
      "/away.html": {"status": 302, "headers": {"Location": "http://127.0.0.2:9/x.html"}, "body": ""},
      "/file.html": {"status": 302, "headers": {"Location": "file:///etc/passwd"}, "body": ""},
      "/js.html": {"status": 302, "headers": {"Location": "javascript:alert(1)"}, "body": ""}
  })json";
  ASSERT_TRUE(StartServer(script));
  def_.StartingUrl = Base();
  options_.MaxThreads = 4;
  ASSERT_TRUE(Run(60000)) << LogText();
  EXPECT_EQ(host_.resultStatus, "已结束");
  // Each 503 tried ErrorCount + 1 times, none reported broken.
  for (int i = 0; i < 40; ++i) {
    const std::string path = "/e/" + std::to_string(i) + ".html";
    EXPECT_EQ(server_.requestsFor(QByteArray::fromStdString(path)).size(), 2) << path;
    ASSERT_NE(Entry(path), nullptr);
    EXPECT_FALSE(Entry(path)->Fetched);
  }
  EXPECT_EQ(host_.results.Rows(TResultLists::kBroken).size(), 0u);
  // The loop is followed once around.
  EXPECT_EQ(server_.requestsFor("/loop-a.html").size(), 1);
  EXPECT_EQ(server_.requestsFor("/loop-b.html").size(), 1);
  EXPECT_EQ(server_.requestsFor("/self.html").size(), 1);
  // Locations in other schemes are not turned into paths on this server.
  for (const auto& q : server_.requests())
    EXPECT_TRUE(q.path.startsWith("/e/") || q.path.endsWith(".html") || q.path == "/" ||
                q.path == "/robots.txt")
        << q.path.toStdString();
  EXPECT_TRUE(server_.requestsFor("/etc/passwd").isEmpty());
  EXPECT_TRUE(server_.requestsFor("/etc/passwd/").isEmpty());
  // Only this server's http pages were queued.
  for (int i = 0; i < spider_.Count(); ++i) {
    EXPECT_EQ(spider_[i].URL.Protocol, "http");
    EXPECT_EQ(spider_[i].URL.Host, "127.0.0.1");
  }
  // Nothing was written beside the mirror: the temp dir holds the site, the
  // mirror and the settings only.
  const auto all = Tree(Path(""));
  for (const auto& [name, bytes] : all)
    EXPECT_TRUE(name.rfind("site/", 0) == 0 || name.rfind("mirror/", 0) == 0 ||
                name == "settings.conf")
        << name;
}

TEST_F(ServerFault, FiftyMegabytesWithoutAHeaderAreStoredWhole) {
  // An old-style answer: no status line, no header, the page itself.
  std::string page = "<HTML>\n";
  page.reserve(52428800 + 64);
  while (page.size() < 52428800)
    page += "<P>line " + std::to_string(page.size()) + " of a very long page</P>\n";
  page += "<A HREF=\"end.html\">end</A></HTML>\n";
  WriteSite(
      {{"index.html", "<A HREF=\"big.html\">big</A>"}, {"big-source", page}, {"end.html", "e"}});
  ASSERT_TRUE(StartServer(R"({"/big.html": {"no_header": true, "body_file": "big-source"}})"));
  def_.StartingUrl = Base();
  timeoutMs_ = 5000;
  ASSERT_TRUE(Run(120000)) << LogText();
  EXPECT_EQ(host_.resultStatus, "已结束");
  ASSERT_NE(Entry("/big.html"), nullptr);
  EXPECT_TRUE(Entry("/big.html")->Fetched) << LogText();
  const std::string stored = Read(Path("mirror/127.0.0.1/big.html"));
  EXPECT_EQ(stored.size(), page.size());
  EXPECT_TRUE(stored == page);
  // Its last link was found and followed.
  EXPECT_EQ(Read(Path("mirror/127.0.0.1/end.html")), "e");
}

TEST_F(ServerFault, TenThousandLinksOnOnePage) {
  std::string page;
  for (int i = 0; i < 10000; ++i)
    page += "<A HREF=\"http://127.0.0.2:9/p" + std::to_string(i) + ".html\">" + std::to_string(i) +
            "</A>\n";
  WriteSite({{"index.html", page}});
  ASSERT_TRUE(StartServer());
  def_.StartingUrl = Base();
  def_.actCollect = true;
  def_.actColOpt = coLinksToOtherServers;
  ASSERT_TRUE(Run(60000));
  EXPECT_EQ(host_.resultStatus, "已结束");
  EXPECT_EQ(spider_.Count(), 1);
  EXPECT_EQ(host_.results.Rows(TResultLists::kLinks).size(), 10000u);
  // Stored unchanged: the links go to another server and stay absolute.
  EXPECT_TRUE(Read(Path("mirror/127.0.0.1/index.html")) == page);
  EXPECT_EQ(server_.requests().size(), 2);  // robots.txt and the page
}

// A calendar-style trap: every answer links to one more query URL. The level
// limit ends it.
TEST_F(ServerFault, EndlessQueryChainStopsAtTheLevelLimit) {
  WriteSite({{"cal.html", "<A HREF=\"?n=1\">next</A><A HREF=\"cal.html?m=x\">m</A>"}});
  ASSERT_TRUE(StartServer());
  def_.StartingUrl = Base() + "cal.html";
  def_.LevelLimit = true;
  def_.MaxLevel = 5;
  ASSERT_TRUE(Run(30000)) << LogText();
  EXPECT_EQ(host_.resultStatus, "已结束");
  // Every answer is the same page, so "?n=1" resolves to the same URL each
  // time: the start page, "?n=1" and "?m=x" are the distinct URLs.
  EXPECT_LE(server_.requests().size(), 6);
  for (int i = 0; i < spider_.Count(); ++i)
    EXPECT_LE(spider_[i].Level, 5);
}

TEST_F(ServerFault, OverlongPathsAndRefusedNamesAreReportedNotFatal) {
  // A chain of directories whose local path grows past PATH_MAX, a single
  // name over NAME_MAX, a name that would climb out of the mirror; names
  // with a NUL byte or escaped "/" are stored under their escapes.
  const std::string seg(200, 'd');
  std::string deep = "/";
  for (int i = 0; i < 25; ++i)
    deep += seg + std::to_string(i) + "/";
  const std::string longName(300, 'n');
  const std::string links =
      "<A HREF=\"" + deep + "deep.html\">deep</A>" +  //
      "<A HREF=\"/" + longName + ".html\">long</A>" + "<A HREF=\"/nul%00byte.html\">nul</A>" +
      "<A HREF=\"/a%2F..%2F..%2F..%2Fescape.html\">esc</A>" +
      "<A HREF=\"/%2e%2e/%2e%2e/up.html\">up</A>" + "<A HREF=\"/ok.html\">ok</A>";
  WriteSite({{"index.html", links}});
  const QByteArray script = R"({"/*": {"body": "<P>leaf</P>"}, "/": {}})";
  ASSERT_TRUE(StartServer(script));
  def_.StartingUrl = Base();
  def_.LimitHtDocs = lmThisServer;
  // The deep URL is over 2,048 bytes: the trap rules would refuse it before
  // its name is ever made.
  options_.TrapRules = false;
  ASSERT_TRUE(Run(30000)) << LogText();
  EXPECT_EQ(host_.resultStatus, "已结束 (3 个文件不能被写入)");
  EXPECT_EQ(Read(Path("mirror/127.0.0.1/ok.html")), "<P>leaf</P>");
  // A NUL byte and escaped "/" are kept visible in one name of their own.
  EXPECT_EQ(Read(Path("mirror/127.0.0.1/nul%00byte.html")), "<P>leaf</P>");
  EXPECT_EQ(Read(Path("mirror/127.0.0.1/a%2F..%2F..%2F..%2Fescape.html")), "<P>leaf</P>");
  EXPECT_TRUE(LogHas("！错误: 文件 ")) << LogText();
  // Nothing outside the mirror directory.
  for (const auto& [name, bytes] : Tree(Path("")))
    EXPECT_TRUE(name.rfind("site/", 0) == 0 || name.rfind("mirror/", 0) == 0 ||
                name == "settings.conf")
        << name;
}

}  // namespace
}  // namespace trawlonix::test
