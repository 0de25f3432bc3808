// The link sources besides HTML: strings in script code, Flash texts and
// class references.
#include <gtest/gtest.h>

#include "FakeHost.h"

namespace trawlonix::test {
namespace {

TEST(ScanScriptCode, RewritesCandidatesInsideTheirOwnQuotes) {
  JudgeFixture f("http://h/a/");
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
    f.judge->ScanScriptCode(code);
    EXPECT_EQ(code, c.out) << c.code;
  }
  f.Flush();
  // "../up.html" from /a/ names /up.html, on this server: admitted.
  bool haveUp = false;
  for (int i = 0; i < f.spider.Count(); ++i)
    haveUp |= ComposeURL(f.spider[i].URL) == "http://h/up.html";
  EXPECT_TRUE(haveUp);
}

TEST(ScanScriptCode, NoRewriteWithoutScriptLinkChanging) {
  JudgeFixture f("http://h/a/");
  f.setup.Definition.ChgJScriptLink = false;
  f.Make();
  std::string code = "go('/a/p.html')";
  f.judge->ScanScriptCode(code);
  EXPECT_EQ(code, "go('/a/p.html')");
  f.Flush();
  EXPECT_EQ(f.spider.Count(), 2);  // still admitted and fetched
}

TEST(JudgeClassLink, SkipsSystemClassesAndIgnoresLimits) {
  JudgeFixture f("http://h/a/");
  f.setup.Definition.LimitEmbeded = lmNeverDownload;
  f.setup.Definition.LimitLinked = lmNeverDownload;
  f.Make();
  TJudgeDocument applet = f.judge->Document();
  applet.URL.Path = "/a/applet/";
  f.judge->BeginDocument(applet);
  f.judge->JudgeClassLink("java/lang/Object");
  f.judge->JudgeClassLink("javax/swing/JPanel");
  f.judge->JudgeClassLink("com/x/Helper");
  f.Flush();
  ASSERT_EQ(f.spider.Count(), 2);
  EXPECT_EQ(ComposeURL(f.spider[1].URL), "http://h/a/applet/com/x/Helper.class");
}

TEST(JudgeFlashLink, CandidatesByProtocol) {
  JudgeFixture f("http://h/a/");
  f.setup.Definition.LimitHtDocs = lmThisServer;
  f.Make();
  f.judge->JudgeFlashLink("next.html");
  f.judge->JudgeFlashLink("mailto:a@b.org");
  f.judge->JudgeFlashLink("javascript:go('s.html')");
  f.judge->JudgeFlashLink("with blank.html");
  f.judge->JudgeFlashLink("x");
  f.Flush();
  std::vector<std::string> urls;
  for (int i = 1; i < f.spider.Count(); ++i)
    urls.push_back(ComposeURL(f.spider[i].URL));
  EXPECT_EQ(urls, (std::vector<std::string>{"http://h/a/next.html", "http://h/a/s.html"}));
  EXPECT_EQ(f.host.results.Rows(TResultLists::kEMails).size(), 1u);
}

}  // namespace
}  // namespace trawlonix::test
