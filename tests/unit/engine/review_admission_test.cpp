// Link admission by source: which limit field a link kind uses, the collect
// options, and the link-tree icons of the HTML, script, Flash and class
// variants.
#include <gtest/gtest.h>

#include "FakeHost.h"

namespace trawlonix::test {
namespace {

// Every field a different mode, so that the entry count shows which one was
// used: LimitHtDocs unlimited, every other field never.
struct KindCase {
  int kind;
  const char* link;
  bool admitted;
};

TEST(ReviewAdmission, LimitFieldByKindAndExtension) {
  const KindCase cases[] = {
      {lkImage, "http://far/i.gif", false},         // LimitIlImages
      {lkHyperlink, "http://far/p.html", true},     // hypertext: LimitHtDocs
      {lkHyperlink, "http://far/dir/", true},       // no file name: LimitHtDocs
      {lkHyperlink, "http://far/f.zip", false},     // other file: LimitLinked
      {lkHyperlink, "http://far/README", false},    // no extension, has a name
      {lkFrame, "http://far/f.htm", true},          //
      {lkApplet, "http://far/a.html", false},       // LimitEmbeded, even hypertext
      {lkEmbedded, "http://far/m.html", false},     //
      {lkMapArea, "http://far/m.shtml", true},      //
      {lkRefresh, "http://far/r.html", true},       //
      {lkScriptOrStyle, "http://far/s.js", false},  // not hypertext: LimitLinked
      {lkScriptOrStyle, "http://far/s.htm", true},  //
      {8, "http://far/e.html", true},               // by extension too
      {9, "http://h/a/b/deeper/x.zip", true},       // start dir and below
      {9, "http://far/x.html", false},              //
      {200, "http://h/a/b/x2.html", true},          //
  };
  for (const auto& c : cases) {
    WorkerFixture f;
    f.setup.Definition.LimitHtDocs = lmUnlimited;
    f.setup.Definition.LimitIlImages = lmNeverDownload;
    f.setup.Definition.LimitEmbeded = lmNeverDownload;
    f.setup.Definition.LimitLinked = lmNeverDownload;
    f.setup.Definition.StrictUrl = true;  // "README" is a file without extension
    f.Make();
    f.Link(c.link, static_cast<TLinkKind>(c.kind));
    EXPECT_EQ(f.spider.Count(), c.admitted ? 2 : 1) << c.kind << " " << c.link;
  }
}

TEST(ReviewAdmission, LevelLimitAppliesToHypertextAndExtensionlessOnly) {
  struct Case {
    const char* link;
    bool admitted;
  } cases[] = {
      {"p.html", false}, {"dir/", false}, {"README", false}, {"f.zip", true}, {"i.gif", true},
  };
  for (const auto& c : cases) {
    WorkerFixture f;
    f.setup.Definition.LevelLimit = true;
    f.setup.Definition.MaxLevel = 3;
    f.setup.Definition.LimitLinked = lmStartDirAndBelow;
    f.setup.Definition.StrictUrl = true;
    f.Make();
    f.worker->CurrentLevel = 3;
    f.Link(c.link);
    EXPECT_EQ(f.spider.Count(), c.admitted ? 2 : 1) << c.link;
    // One level higher everything is admitted.
    WorkerFixture g;
    g.setup.Definition.LevelLimit = true;
    g.setup.Definition.MaxLevel = 3;
    g.setup.Definition.LimitLinked = lmStartDirAndBelow;
    g.setup.Definition.StrictUrl = true;
    g.Make();
    g.worker->CurrentLevel = 2;
    g.Link(c.link);
    EXPECT_EQ(g.spider.Count(), 2) << c.link;
    if (g.spider.Count() == 2) {
      EXPECT_EQ(g.spider[1].Level, 3);
      EXPECT_EQ(g.spider[1].Referrer, 0);
    }
  }
}

// Which http links of an HTML page are collected, by collect option.
TEST(ReviewAdmission, CollectOptionsForHttpLinks) {
  struct Case {
    int opt;
    const char* link;
    TLinkKind kind;
    bool collected;
  } cases[] = {
      // Another server is collected with option 0 even when it is fetched.
      {coLinksToOtherServers, "http://far/p.html", lkHyperlink, true},
      {coLinksToOtherServers, "http://H/a/b/p.html", lkHyperlink, false},
      {coLinksToOtherServers, "http://h/elsewhere/p.html", lkHyperlink, false},  // refused
      {coLinksToOtherServers, "http://far/i.gif", lkImage, false},
      {coUnprocessedLinks, "http://far/p.html", lkHyperlink, false},  // admitted
      {coUnprocessedLinks, "http://h/elsewhere/p.html", lkHyperlink, true},
      {coUnprocessedLinks, "http://h/elsewhere/p.html", lkScriptOrStyle, false},
      {coAllLinks, "http://h/a/b/p.html", lkFrame, true},
      {coAllLinks, "http://h/a/b/p.html", lkApplet, false},
      // A value no project should hold collects nothing.
      {3, "http://far/p.html", lkHyperlink, false},
      {255, "http://h/elsewhere/p.html", lkHyperlink, false},
  };
  for (const auto& c : cases) {
    WorkerFixture f;
    f.setup.Definition.actColOpt = static_cast<TCollectOption>(c.opt);
    f.setup.Definition.LimitHtDocs = lmStartDirAndBelow;
    f.setup.Definition.LimitIlImages = lmStartDirAndBelow;
    f.setup.Definition.LimitEmbeded = lmNeverDownload;
    if (c.opt == coLinksToOtherServers || c.opt == coUnprocessedLinks)
      f.setup.Definition.LimitHtDocs =
          std::string(c.link).find("far") != std::string::npos ? lmUnlimited : lmStartDirAndBelow;
    f.Make();
    f.Link(c.link, c.kind);
    EXPECT_EQ(f.host.results.Rows(TResultLists::kLinks).size(), c.collected ? 1u : 0u)
        << c.opt << " " << c.link << " kind " << int(c.kind);
  }
  // Without actCollect nothing is collected at all.
  WorkerFixture f;
  f.setup.Definition.actCollect = false;
  f.setup.Definition.actColOpt = coAllLinks;
  f.Make();
  f.Link("http://far/p.html");
  f.Link("ftp://far/f.txt");
  EXPECT_TRUE(f.host.results.Rows(TResultLists::kLinks).empty());
}

// Link-tree icons per source: 17 refused (HTML, Flash), 18 for hypertext not
// added (script and class: refused too), else file-type icon + 1.
TEST(ReviewAdmission, LinkTreeIconsPerSource) {
  enum Source { Html, Script, Flash, Class };
  struct Case {
    Source src;
    const char* link;
    int icon1;  // first finding
    int icon2;  // the same link again
  } cases[] = {
      {Html, "p.html", 4, 18},
      {Html, "i.gif", 6, 6},
      {Html, "http://far/p.html", 17, 17},
      {Html, "http://far/i.gif", 17, 17},
      {Script, "s/p.html", 4, 18},
      {Script, "http://far/p.html", 18, 18},  // refused hypertext
      {Script, "http://far/i.gif", 6, 6},     // refused other file
      {Script, "s.js", 20, 20},
      {Flash, "m/p.html", 4, 18},
      {Flash, "http://far/p.html", 17, 17},
      {Flash, "movie.swf", 16, 16},
      {Class, "com/x/C", 14, 14},
  };
  for (const auto& c : cases) {
    WorkerFixture f;
    f.setup.Options.ShowLinkStructure = true;
    f.setup.Definition.LimitIlImages = lmThisServer;
    f.setup.Definition.LimitLinked = lmThisServer;
    f.Make();
    for (int round = 0; round < 2; ++round) {
      std::string t = c.link;
      switch (c.src) {
        case Html:
          f.worker->JudgeLink(t, lkHyperlink);
          break;
        case Script:
          f.worker->JudgeScriptString(t);
          break;
        case Flash:
          f.worker->JudgeFlashLink(t);
          break;
        case Class:
          f.worker->JudgeClassLink(t);
          break;
      }
      f.worker->Flush();
    }
    ASSERT_EQ(f.host.linkItems.size(), 2u) << c.link;
    auto it = f.host.linkItems.begin();
    EXPECT_EQ(it->second.icon, c.icon1) << c.src << " " << c.link;
    EXPECT_EQ(std::next(it)->second.icon, c.icon2) << c.src << " " << c.link;
    EXPECT_EQ(it->second.parent, 0);  // under the start document (top level)
  }
}

// Link-tree texts: relative for admitted links, absolute for refused ones;
// items of a later document hang under that document's own item.
TEST(ReviewAdmission, LinkTreeTextsAndParents) {
  WorkerFixture f;
  f.setup.Options.ShowLinkStructure = true;
  f.Make();
  f.Link("sub/p.html");
  f.Link("http://far/q.html");
  ASSERT_EQ(f.spider.Count(), 2);
  f.worker->SetDocument(1);
  f.Link("r.html");
  ASSERT_EQ(f.host.linkItems.size(), 3u);
  auto it = f.host.linkItems.begin();
  EXPECT_EQ(it->second.text, "sub/p.html");
  EXPECT_EQ(std::next(it)->second.text, "http://far/q.html");
  const auto& third = std::next(it, 2)->second;
  EXPECT_EQ(third.text, "r.html");
  EXPECT_EQ(third.parent, f.spider[1].LinkItem);
  EXPECT_EQ(f.spider[2].Referrer, 1);
  EXPECT_EQ(f.spider[2].Level, 2);
}

// Script strings and Flash texts are collected whatever their source; class
// references never are.
TEST(ReviewAdmission, CollectionOfScriptFlashAndClassLinks) {
  WorkerFixture f;
  f.setup.Definition.actColOpt = coAllLinks;
  f.Make();
  std::string s = "http://far/s.html";
  f.worker->JudgeScriptString(s);
  f.worker->JudgeFlashLink("http://far/f.html");
  f.worker->JudgeClassLink("com/x/C");
  f.worker->Flush();
  const auto& rows = f.host.results.Rows(TResultLists::kLinks);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Text, "http://far/s.html");
  EXPECT_EQ(rows[1].Text, "http://far/f.html");
  EXPECT_EQ(rows[1].FirstOccurrence, "http://h/a/b/x.html");
  EXPECT_EQ(f.spider.Count(), 2);  // only the class file
}

// A class reference names a class by package path; one that carries a
// scheme of its own is no class name and must not enter a non-web address
// (http and https are web addresses).
TEST(ReviewAdmission, ClassReferencesOnlyEnterWebAddresses) {
  WorkerFixture f("http://h/a/");
  f.Make();
  for (const char* name : {"ftp://far/Evil", "https://far/Evil", "mailto:x@far", "news:far"})
    f.worker->JudgeClassLink(name);
  f.worker->JudgeClassLink("com/x/Good");
  f.worker->JudgeClassLink("http://far/Other");
  f.worker->Flush();
  std::vector<std::string> urls;
  for (int i = 1; i < f.spider.Count(); ++i)
    urls.push_back(ComposeURL(f.spider[i].URL));
  EXPECT_EQ(urls, (std::vector<std::string>{"https://far/Evil.class", "http://h/a/com/x/Good.class",
                                            "http://far/Other.class"}));
}

// The mailto address and the other-scheme rule of HTML links.
TEST(ReviewAdmission, MailtoGoesToBothListsByOption) {
  struct Case {
    int opt;
    bool eMails;
    std::size_t mails;
    std::size_t links;
  } cases[] = {
      {coLinksToOtherServers, true, 1, 1},
      {coUnprocessedLinks, true, 1, 0},
      {coAllLinks, true, 1, 1},
      {coAllLinks, false, 0, 1},
  };
  for (const auto& c : cases) {
    WorkerFixture f;
    f.setup.Definition.actColOpt = static_cast<TCollectOption>(c.opt);
    f.setup.Definition.actEMails = c.eMails;
    f.setup.Definition.ChgExtLink = true;
    f.Make();
    EXPECT_EQ(f.Link("mailto:Ann@Mail.org"), "mailto:Ann@Mail.org");  // never rewritten
    EXPECT_EQ(f.host.results.Rows(TResultLists::kEMails).size(), c.mails) << c.opt;
    EXPECT_EQ(f.host.results.Rows(TResultLists::kLinks).size(), c.links) << c.opt;
    if (c.mails) {
      const auto& row = f.host.results.Rows(TResultLists::kEMails)[0];
      EXPECT_EQ(row.Text, "Ann@mail.org");
      EXPECT_EQ(row.Reference, "<\?\?\?>");
      EXPECT_EQ(row.FirstOccurrence, "http://h/a/b/x.html");
    }
  }
}

// A javascript: link keeps its scheme text and gets its code rewritten.
TEST(ReviewAdmission, JavascriptLinkCodeRewritten) {
  WorkerFixture f("http://h/a/");
  f.setup.Definition.LimitHtDocs = lmThisServer;
  f.Make();
  EXPECT_EQ(f.Link("javascript:go('/b/p.html')"), "javascript:go('../b/p.html')");
  EXPECT_EQ(f.Link("JavaScript:open(\"/a/q.html\")"), "JavaScript:open(\"q.html\")");
  EXPECT_EQ(f.spider.Count(), 3);
}

}  // namespace
}  // namespace trawlonix::test
