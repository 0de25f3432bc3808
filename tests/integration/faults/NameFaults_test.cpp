// Hostile names and addresses: another port of the start host, two URLs
// that map to one name, names with control bytes or characters that reorder
// text. Every URL keeps a file of its own with a visible name, and the
// stored pages lead to those files.
#include "FaultFixture.h"

namespace trawlonix::test {
namespace {

using NameFault = FaultFixture;

bool HasHiddenBytes(const std::string& name) {
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F) return true;
  return name.find("\xE2\x80\xAE") != std::string::npos;
}

TEST_F(NameFault, AnotherPortOfTheHostIsAnotherServer) {
  WriteSite({{"index.html", "start"}, {"two/index.html", "other"}});
  ASSERT_TRUE(StartServer());
  testsupport::TestServer other;
  testsupport::TestServer::Options o;
  o.root = Site("two");
  o.lifetimeSeconds = 60;
  ASSERT_TRUE(other.start(o));
  const std::string otherBase = other.baseUrl().toStdString();  // "http://127.0.0.1:N/"
  const std::string otherDir = otherBase.substr(7, otherBase.size() - 8);
  WriteSite({{"index.html", "<A HREF=\"" + otherBase + "\">o</A>"}});
  struct Case {
    TLimitMode mode;
    bool fetched;  // the other port's page
  };
  for (const Case c : {Case{lmThisServer, false}, Case{lmUnlimited, true}}) {
    SCOPED_TRACE(c.mode);
    QDir(QString::fromStdString(Path("mirror"))).removeRecursively();
    host_ = FakeHost();
    spider_.Clear();
    redirects_.Clear();
    ASSERT_TRUE(other.clear());
    def_.StartingUrl = Base();
    def_.LimitHtDocs = c.mode;
    ASSERT_TRUE(Run(20000)) << LogText();
    EXPECT_EQ(host_.resultStatus, "已结束");
    EXPECT_EQ(other.requests().size(), c.fetched ? 2 : 0);  // robots.txt and the page
    // The start page keeps its folder and its content.
    const std::string start = Read(Path("mirror/127.0.0.1/index.html"));
    EXPECT_EQ(start.find("other"), std::string::npos) << start;
    EXPECT_EQ(Read(Path("mirror/" + otherDir + "/index.html")), c.fetched ? "other" : "<missing>");
    if (c.fetched) {
      EXPECT_EQ(start, "<A HREF=\"../" + otherDir + "/index.html\">o</A>");
    }
  }
}

TEST_F(NameFault, EveryUrlKeepsAFileWithAVisibleName) {
  WriteSite({{"index.html",
              "<A HREF=\"index.html\">i</A><A HREF=\"/\">r</A><A HREF=\"q.php?x=1\">q</A>"
              "<A HREF=\"q_0.php\">l</A><A HREF=\"nl%0A.html\">n</A>"
              "<A HREF=\"%E2%80%AEtxt.html\">b</A><A HREF=\"%2F.html\">s</A>"
              "<A HREF=\"moved.html\">m</A>"}});
  const QByteArray script = R"json({
      "/": {},
      "/q.php?x=1": {"body": "query"},
      "/q_0.php": {"body": "literal"},
      "/moved.html": {"raw": "HTTP/1.0 302 Found\r\nLocation: /cr\rlf/x.html\r\nContent-Length: 0\r\n\r\n"},
      "/*": {"body": "leaf"}
  })json";
  ASSERT_TRUE(StartServer(script));
  def_.StartingUrl = Base();
  ASSERT_TRUE(Run(20000)) << LogText();
  EXPECT_EQ(host_.resultStatus, "已结束");
  // "/" and "/index.html" are one document, fetched once.
  EXPECT_EQ(server_.requestsFor("/").size(), 1);
  EXPECT_EQ(server_.requestsFor("/index.html").size(), 0);
  const std::pair<const char*, const char*> files[] = {
      {"q_0.php", "query"},
      {"q_0_0.php", "literal"},
      {"nl%0A.html", "leaf"},
      {"%E2%80%AEtxt.html", "leaf"},
      {"%2F.html", "leaf"},
      // The bare CR of the Location stays in the URL and is escaped here.
      {"cr%0Dlf/x.html", "leaf"},
  };
  for (const auto& [name, content] : files)
    EXPECT_EQ(Read(Path("mirror/127.0.0.1/") + name), content) << name;
  EXPECT_EQ(Read(Path("mirror/127.0.0.1/index.html")),
            "<A HREF=\"index.html\">i</A><A HREF=\"index.html\">r</A><A HREF=\"q_0.php\">q</A>"
            "<A HREF=\"q_0_0.php\">l</A><A HREF=\"nl%250A.html\">n</A>"
            "<A HREF=\"%25E2%2580%25AEtxt.html\">b</A><A HREF=\"%252F.html\">s</A>"
            "<A HREF=\"moved.html\">m</A>");
  const auto stored = Tree(Path("mirror"));
  for (const auto& [name, bytes] : stored) {
    EXPECT_FALSE(HasHiddenBytes(name)) << name;
    EXPECT_EQ(name.find("/."), std::string::npos) << name;
  }
  // An update run of the project gives every URL the name it had.
  host_ = FakeHost();
  ASSERT_TRUE(Run(20000, CrawlHost::StartChoice::Update)) << LogText();
  EXPECT_EQ(Tree(Path("mirror")), stored);
  EXPECT_EQ(server_.requestsFor("/q_0.php").size(), 2);
}

}  // namespace
}  // namespace trawlonix::test
