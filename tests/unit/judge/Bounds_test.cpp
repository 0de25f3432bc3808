// The bounds of a crawl: trap links, the level limit of every document read
// for links, the servers a class file may name, the room of the spider list.
#include <gtest/gtest.h>

#include "FakeHost.h"

namespace trawlonix::test {
namespace {

std::string Segments(int n) {
  std::string path;
  for (int i = 1; i < n; ++i)
    path += "s" + std::to_string(i) + "/";
  return path + "p.html";
}

TEST(TrapRules, RepeatedDeepAndLongLinksAreRefusedAndLoggedOnce) {
  struct Case {
    std::string link;
    bool admitted;
  };
  const std::string base = "http://h/";  // 9 bytes
  const Case cases[] = {
      {"/x/x/x/p.html", true},
      {"/x/x/x/x/p.html", false},
      {"/a/x/x/x/x", false},  // the file name counts as a segment
      {"/a/////p.html", false},
      {"/" + Segments(32), true},
      {"/" + Segments(33), false},
      {base + std::string(2048 - base.size() - 5, 'n') + ".html", true},
      {base + std::string(2049 - base.size() - 5, 'n') + ".html", false},
  };
  for (const bool rules : {true, false}) {
    for (const Case& c : cases) {
      JudgeFixture f("http://h/");
      f.setup.TrapRules = rules;
      f.Make();
      f.Link(c.link);
      f.Link(c.link);
      const bool refused = rules && !c.admitted;
      EXPECT_EQ(f.spider.Count(), refused ? 1 : 2) << c.link.substr(0, 80) << " rules " << rules;
      int logged = 0;
      for (const std::string& l : f.host.log)
        logged += l.find("拒绝链接") != std::string::npos;
      EXPECT_EQ(logged, refused ? 1 : 0) << c.link.substr(0, 80);
    }
  }
}

TEST(JudgeClassLink, OnlyTheClassFilesOwnHostAndPort) {
  struct Case {
    const char* classFile;
    const char* name;
    bool entered;
  };
  const Case cases[] = {
      {"http://h:8080/a/K.class", "com/x/Helper", true},
      {"http://h:8080/a/K.class", "http://H:8080/b/C", true},
      {"http://h:8080/a/K.class", "http://h/b/C", false},
      {"http://h:8080/a/K.class", "http://h:9/b/C", false},
      {"http://h:8080/a/K.class", "http://127.0.0.2:8080/evil", false},
      {"http://h/a/K.class", "http://h:80/b/C", true},
      {"http://h/a/K.class", "http://h:8080/b/C", false},
  };
  for (const Case& c : cases) {
    JudgeFixture f("http://h:8080/");
    f.Make();
    TJudgeDocument doc = f.judge->Document();
    ParseURL(c.classFile, false, doc.URL);
    f.judge->BeginDocument(doc);
    f.judge->JudgeClassLink(c.name);
    f.Flush();
    EXPECT_EQ(f.spider.Count(), c.entered ? 2 : 1) << c.classFile << " " << c.name;
  }
}

// With a level limit of 3: a page is read for links up to level 3 whatever
// its name, what pages need (scripts, relocations) one level further.
TEST(LevelLimit, HoldsForEveryDocumentReadForLinks) {
  struct Case {
    TContentReader reader;
    bool relocation;
    std::int32_t level;
    const char* data;
    bool entered;
  };
  const Case cases[] = {
      {TContentReader::Html, false, 3, "<A HREF=\"n.jsp\">n</A>", true},
      {TContentReader::Html, false, 4, "<A HREF=\"n.jsp\">n</A>", false},
      {TContentReader::Html, true, 4, "<A HREF=\"n.jsp\">n</A>", true},
      {TContentReader::Html, true, 5, "<A HREF=\"n.jsp\">n</A>", false},
      {TContentReader::Script, false, 4, "go('n.gif')", true},
      {TContentReader::Script, false, 5, "go('n.gif')", false},
      {TContentReader::Style, false, 5, "b{background:url(n.gif)}", false},
      // A page named by a script string counts its level like any page.
      {TContentReader::Script, false, 2, "go('n.html')", true},
      {TContentReader::Script, false, 3, "go('n.html')", false},
  };
  for (const Case& c : cases) {
    JudgeFixture f;
    f.setup.Definition.LevelLimit = true;
    f.setup.Definition.MaxLevel = 3;
    f.Make();
    f.AtLevel(c.level);
    if (c.relocation) f.judge->MarkRelocation();
    std::string out;
    f.judge->Read(c.reader, c.data, &out);
    f.Flush();
    EXPECT_EQ(f.spider.Count(), c.entered ? 2 : 1)
        << c.data << " level " << c.level << (c.relocation ? " relocation" : "");
  }
}

TEST(EntryCap, ANewEntryBeyondTheRoomIsRefusedAndReported) {
  JudgeFixture f("http://h/");
  f.setup.MaxEntries = 3;
  f.Make();
  f.Link("a.html");
  f.Link("b.html");
  EXPECT_FALSE(f.judge->EntryCapReached());
  f.Link("a.html");  // listed: takes no room
  EXPECT_FALSE(f.judge->EntryCapReached());
  f.Link("c.html");
  EXPECT_TRUE(f.judge->EntryCapReached());
  EXPECT_EQ(f.spider.Count(), 3);
}

}  // namespace
}  // namespace trawlonix::test
