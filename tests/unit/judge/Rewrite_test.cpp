// Rewriting of admitted links in stored copies (index file, folded "//",
// other hosts, numbered and renamed script answers, fragments), the script
// string candidates and the BASE rule.
#include <gtest/gtest.h>

#include "FakeHost.h"

namespace trawlonix::test {
namespace {

struct RewriteCase {
  const char* link;
  const char* written;
  bool chgLocLink = true;
  bool onlyScriptUrls = true;
};

TEST(Rewrite, AdmittedLinksPointAtTheLocalFiles) {
  const RewriteCase cases[] = {
      {"c.html#frag", "c.html#frag"},
      {"/a/b/d/", "d/start.htm"},  // the index file name setting
      {"d/#top", "d/start.htm#top"},
      {"/a//b//e.html", "e.html"},  // "//" folded
      {"http://h//a///b/f.html", "f.html"},
      {"/a/g.html", "../g.html"},
      {"http://G/p/q.html", "../../../g/p/q.html"},  // another host's directory
      {"http://g/", "../../../g/start.htm"},
      {"s.asp?x=1", "s_0.asp.html"},  // numbered, then renamed
      {"s.asp?x=2#f", "s_1.asp.html#f"},
      {"s.asp?x=1", "s_0.asp.html"},
      {"t.asp", "t.asp"},  // no query: renamed only when every URL is
      {"t.asp", "t.asp.html", true, false},
      {"run.cgi?a=b", "run_0.cgi"},  // numbered per script, not renamed
      {"C.HTML", "C.HTML"},
      {"/a/b/c.html#frag", "/a/b/c.html#frag", false},  // no local rewriting: as found
      {"s.asp?x=1", "s.asp?x=1", false},
  };
  JudgeFixture f;
  f.setup.IndexFileName = "start.htm";
  f.setup.Definition.LimitHtDocs = lmUnlimited;
  f.setup.Definition.LimitLinked = lmUnlimited;
  f.setup.Definition.HTMLRenList->push_back("asp");
  f.Make();
  for (const auto& c : cases) {
    f.setup.Definition.ChgLocLink = c.chgLocLink;
    f.setup.Definition.OnlyRenameSkriptURL = c.onlyScriptUrls;
    f.Remake();  // on the same lists: the numbering goes on
    EXPECT_EQ(f.Link(c.link), c.written) << c.link;
  }
}

// Two URLs never share a stored file: the later one is numbered and its links
// follow; a directory and its index file are one entry; another port of the
// start host is another server with a folder of its own.
TEST(Rewrite, EveryUrlHasAFileOfItsOwn) {
  const RewriteCase cases[] = {
      {"/q.php?x=1", "../../q_0.php"},
      {"/q_0.php", "../../q_0_0.php"},  // the literal name is taken by the query
      {"/q.php?x=1", "../../q_0.php"},
      {"/d/", "../../d/index.html"},
      {"/d/index.html", "../../d/index.html"},  // the same entry
      {"/%2561.html", "../../%2561.html"},      // stored as "%61.html"
      {"/%61.html", "../../a.html"},
      {"/%25%36%31.html", "../../%2561_0.html"},  // "%61.html" again
      {"http://h:8080/", "../../../h:8080/index.html"},
  };
  JudgeFixture f("http://h/a/b/");
  f.setup.Definition.LimitHtDocs = lmUnlimited;
  f.setup.Definition.LimitLinked = lmUnlimited;
  f.Make();
  for (const auto& c : cases)
    EXPECT_EQ(f.Link(c.link), c.written) << c.link;
  // "/d/index.html" and the start page's index form added no entry.
  EXPECT_EQ(f.Link("index.html"), "index.html");
  EXPECT_EQ(f.spider.Count(), 8);
  // A new judge on the same list (a continued run) gives the same names.
  f.Remake();
  EXPECT_EQ(f.Link("/q_0.php"), "../../q_0_0.php");
  EXPECT_EQ(f.Link("/%25%36%31.html"), "../../%2561_0.html");
  EXPECT_EQ(f.judge->LocalNameFor(f.spider[1].URL), "/nonexistent-mirror/h/q_0.php");
}

// Script strings: which are candidates, and what is written back.
TEST(Rewrite, ScriptStringCandidates) {
  struct Case {
    const char* text;
    const char* written;
    bool entered;
  } cases[] = {
      {"a", "a", false},                                // one character
      {"ab", "ab", false},                              // neither "." nor "/"
      {"a.gif", "a.gif", true},                         //
      {"sub/a.gif", "sub/a.gif", true},                 //
      {"/a/b/z.gif", "z.gif", true},                    // rewritten relative
      {"a/b", "a/b", false},                            // no extension
      {"x[1].gif", "x[1].gif", false},                  // brackets
      {"f(a).gif", "f(a).gif", false},                  //
      {"<a.gif", "<a.gif", false},                      //
      {"a b.gif", "a b.gif", false},                    //
      {"./a.gif", "./a.gif", false},                    // a single leading dot
      {"../u.gif", "../u.gif", true},                   //
      {"a.gif.", "a.gif.", false},                      // trailing dot
      {"http://far/w.gif", "http://far/w.gif", false},  // refused: stays as found
      {"mailto:me@far.org", "mailto:me@far.org", false},
      {"/a/b/p.html#sec", "p.html#sec", true},
  };
  for (const auto& c : cases) {
    JudgeFixture f;
    f.setup.Definition.LimitLinked = lmThisServer;
    f.Make();
    std::string t = c.text;
    f.judge->JudgeScriptString(t);
    f.Flush();
    EXPECT_EQ(t, c.written) << c.text;
    EXPECT_EQ(f.spider.Count(), c.entered ? 2 : 1) << c.text;
  }
}

TEST(Rewrite, ScriptStringsRewrittenOnlyWithBothSwitches) {
  struct Case {
    bool chgScript;
    bool chgLoc;
    const char* written;
  } cases[] = {
      {true, true, "p.html"},
      {false, true, "/a/b/p.html"},
      {true, false, "/a/b/p.html"},
  };
  for (const auto& c : cases) {
    JudgeFixture f;
    f.setup.Definition.ChgJScriptLink = c.chgScript;
    f.setup.Definition.ChgLocLink = c.chgLoc;
    f.Make();
    std::string code = "go(\"/a/b/p.html\")";
    f.judge->ScanScriptCode(code);
    EXPECT_EQ(code, std::string("go(\"") + c.written + "\")");
  }
}

TEST(Rewrite, BaseTakesOnlyWebReferences) {
  struct Case {
    const char* base;
    bool set;
    const char* resolved;  // of "z.html"
  } cases[] = {
      {"HTTP://h/a/b/up/", true, "http://h/a/b/up/z.html"},
      {"http://h/a/b/c/doc.html", true, "http://h/a/b/c/z.html"},
      {"https://h/s/", true, "https://h/s/z.html"},
      {"ftp://h/a/b/f/", false, "http://h/a/b/z.html"},
      {"other/", false, "http://h/a/b/z.html"},  // no scheme of its own
      {"", false, "http://h/a/b/z.html"},
  };
  for (const auto& c : cases) {
    JudgeFixture f;
    f.setup.Definition.LimitHtDocs = lmUnlimited;
    f.Make();
    f.judge->SetBase("http://h/first/");  // an earlier BASE is forgotten either way
    f.judge->SetBase(c.base);
    EXPECT_EQ(f.judge->HasBase(), c.set) << c.base;
    f.Link("z.html");
    ASSERT_EQ(f.spider.Count(), 2) << c.base;
    EXPECT_EQ(ComposeURL(f.spider[1].URL), c.resolved) << c.base;
  }
}

}  // namespace
}  // namespace trawlonix::test
