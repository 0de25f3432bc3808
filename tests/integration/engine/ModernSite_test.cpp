// A site built the way sites are built today (tools/modernsite.py), mirrored
// by trawlonix-cli with the default project settings: every file its pages
// use is requested once and stored where the rewritten pages look for it,
// nothing else is requested, and no link is listed as broken.
#include <set>
#include <sstream>

#include "CrawlFixture.h"

namespace trawlonix::test {
namespace {

using ModernSite = CrawlFixture;

std::set<std::string> Lines(const std::string& text) {
  std::set<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) out.insert(line);
  return out;
}

TEST_F(ModernSite, MirroredCompletelyWithoutGuesses) {
  QProcess gen;
  gen.start("python3", {TX_SOURCE_DIR "/tools/modernsite.py", "--root", Site(""), "--script",
                        QString::fromStdString(Path("script.json")), "--expected",
                        QString::fromStdString(Path("expected.txt"))});
  ASSERT_TRUE(gen.waitForFinished(30000) && gen.exitCode() == 0)
      << gen.readAllStandardError().data();
  ASSERT_TRUE(StartServer(QByteArray::fromStdString(Read(Path("script.json")))));
  const CliResult r = Cli({"run", MakeProject(Base())});
  ASSERT_EQ(r.code, 0) << r.out << r.err;

  // Each target once, and only the targets a complete mirror needs.
  std::multiset<std::string> asked;
  for (const auto& q : server_.requests())
    asked.insert(q.target.toStdString());
  std::set<std::string> expected = Lines(Read(Path("expected.txt")));
  expected.insert("/robots.txt");  // every run asks for it first
  std::string missing;
  std::string extra;
  for (const std::string& t : expected)
    if (!asked.count(t)) missing += " " + t;
  for (const std::string& t : std::set<std::string>(asked.begin(), asked.end()))
    if (!expected.count(t)) extra += " " + t;
  EXPECT_EQ(missing, "");
  EXPECT_EQ(extra, "");
  EXPECT_EQ(asked.size(), expected.size());
  EXPECT_NE(r.out.find("错误链接: 0\n"), std::string::npos) << r.out;

  // Stored so that the copy browses offline: a page without an extension
  // beside the directory of the same name, the redirect kept, srcset and
  // @import rewritten in place.
  const std::string host = Path("mirror/127.0.0.1/");
  const std::string index = Read(host + "index.html");
  for (const char* link :
       {"href=\"about.html\"", "href=\"docs.html\"", "href=\"blog/2024/first-post.html\"",
        "srcset=\"img/photo-640.jpg 640w,img/photo-1280.jpg 1280w\"", "href=\"static/app_0.css\"",
        "<use href=\"static/sprite.svg#logo\">", "url('img/banner.png')", "\"1.2em\""}) {
    EXPECT_NE(index.find(link), std::string::npos) << link << "\n" << index;
  }
  EXPECT_NE(Read(host + "docs.html").find("HREF=\"docs/index.html\""), std::string::npos);
  EXPECT_NE(Read(host + "about/index.html").find("HREF=\"../about.html\""), std::string::npos);
  EXPECT_NE(Read(host + "docs/index.html").find("href=\"intro.html\""), std::string::npos);
  EXPECT_NE(Read(host + "docs/intro.html").find("href=\"../about.html\""), std::string::npos);
  EXPECT_NE(Read(host + "static/app_0.css").find("@import url(\"base.css\")"), std::string::npos);
  EXPECT_EQ(Read(host + "static/reset.css"), Read(Path("site/static/reset.css")));

  // An update run asks for the same targets and keeps every name.
  const auto stored = Tree(Path("mirror"));
  server_.clear();
  ASSERT_EQ(Cli({"run", Path("p.txp")}).code, 0);
  std::set<std::string> again;
  for (const auto& q : server_.requests())
    again.insert(q.target.toStdString());
  EXPECT_EQ(again, expected);
  std::set<std::string> before;
  std::set<std::string> after;
  for (const auto& [name, bytes] : stored)
    before.insert(name);
  for (const auto& [name, bytes] : Tree(Path("mirror")))
    after.insert(name);
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace trawlonix::test
