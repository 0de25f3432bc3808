// Rewriting of admitted links in stored copies (index file, folded "//",
// other hosts, numbered and renamed script answers, fragments), the script
// string candidates, the BASE rule and the log file.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "FakeHost.h"
#include "engine/LogFile.h"

namespace trawlonix::test {
namespace {

struct RewriteCase {
  const char* link;
  const char* written;
  bool chgLocLink = true;
  bool onlyScriptUrls = true;
};

TEST(ReviewRewrite, AdmittedLinksPointAtTheLocalFiles) {
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
  WorkerFixture f;
  f.setup.Options.IndexFileName = "start.htm";
  f.setup.Definition.LimitHtDocs = lmUnlimited;
  f.setup.Definition.LimitLinked = lmUnlimited;
  f.setup.Definition.HTMLRenList->push_back("asp");
  f.Make();
  for (const auto& c : cases) {
    f.worker->S.Definition.ChgLocLink = c.chgLocLink;
    f.worker->S.Definition.OnlyRenameSkriptURL = c.onlyScriptUrls;
    EXPECT_EQ(f.Link(c.link), c.written) << c.link;
  }
}

// Script strings: which are candidates, and what is written back.
TEST(ReviewRewrite, ScriptStringCandidates) {
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
    WorkerFixture f;
    f.setup.Definition.LimitLinked = lmThisServer;
    f.Make();
    std::string t = c.text;
    f.worker->JudgeScriptString(t);
    f.worker->Flush();
    EXPECT_EQ(t, c.written) << c.text;
    EXPECT_EQ(f.spider.Count(), c.entered ? 2 : 1) << c.text;
  }
}

TEST(ReviewRewrite, ScriptStringsRewrittenOnlyWithBothSwitches) {
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
    WorkerFixture f;
    f.setup.Definition.ChgJScriptLink = c.chgScript;
    f.setup.Definition.ChgLocLink = c.chgLoc;
    f.Make();
    std::string code = "go(\"/a/b/p.html\")";
    f.worker->ScanScriptCode(code);
    EXPECT_EQ(code, std::string("go(\"") + c.written + "\")");
  }
}

TEST(ReviewRewrite, BaseTakesOnlyHttpReferences) {
  struct Case {
    const char* base;
    bool set;
    const char* resolved;  // of "z.html"
  } cases[] = {
      {"HTTP://h/a/b/up/", true, "http://h/a/b/up/z.html"},
      {"http://h/a/b/c/doc.html", true, "http://h/a/b/c/z.html"},
      {"https://h/s/", false, "http://h/a/b/z.html"},
      {"ftp://h/a/b/f/", false, "http://h/a/b/z.html"},
      {"other/", false, "http://h/a/b/z.html"},  // no scheme of its own
      {"", false, "http://h/a/b/z.html"},
  };
  for (const auto& c : cases) {
    WorkerFixture f;
    f.setup.Definition.LimitHtDocs = lmUnlimited;
    f.Make();
    f.worker->SetBase("http://h/first/");  // an earlier BASE is forgotten either way
    f.worker->SetBase(c.base);
    EXPECT_EQ(f.worker->BaseSet, c.set) << c.base;
    f.Link("z.html");
    ASSERT_EQ(f.spider.Count(), 2) << c.base;
    EXPECT_EQ(ComposeURL(f.spider[1].URL), c.resolved) << c.base;
  }
}

TEST(ReviewLogFile, OneLinePerEntryAndOverwritten) {
  QTemporaryDir dir;
  const std::string name = dir.path().toStdString() + "/p.log";
  auto read = [&] {
    QFile f(QString::fromStdString(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<missing>");
  };
  {
    TLogFile log;
    ASSERT_TRUE(log.Create(name));
    log.WriteLine("[0] GET http://h/ REFER  USER-AGENT Morvek Trawlonix 2.7 b6");
    log.WriteLine("     => ++ 添加新的链接: http://h/a.html");
    log.WriteLine("");
  }  // closed by its destructor
  EXPECT_EQ(read(),
            "[0] GET http://h/ REFER  USER-AGENT Morvek Trawlonix 2.7 b6\n"
            "     => ++ 添加新的链接: http://h/a.html\n\n");
  TLogFile again;
  ASSERT_TRUE(again.Create(name));
  again.WriteLine("正在中断过程...");
  again.Close();
  EXPECT_FALSE(again.IsOpen());
  again.WriteLine("after close");  // ignored
  EXPECT_EQ(read(), "正在中断过程...\n");
  TLogFile missing;
  EXPECT_FALSE(missing.Create(dir.path().toStdString() + "/no/such/dir/p.log"));
  missing.WriteLine("ignored");
}

}  // namespace
}  // namespace trawlonix::test
