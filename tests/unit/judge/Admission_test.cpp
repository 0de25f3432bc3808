// Link admission by source: the limit modes, which limit field a link kind
// uses, the level limit, the collect options, link-tree items and icons of
// the HTML, script, Flash and class variants, mailto and javascript links.
#include <gtest/gtest.h>

#include "FakeHost.h"

namespace trawlonix::test {
namespace {

struct AdmitCase {
  int mode;
  const char* host;
  const char* path;
  bool admitted;
};

TEST(IsAdmitted, LimitModesAgainstStartHostAndPath) {
  TrawlonixDefinition def;
  def.Positivlist->push_back("http://p.org/ok/");
  def.Negativlist->push_back("http://h/a/b/no/");
  def.Negativlist->push_back("http://n.org");
  const AdmitCase cases[] = {
      {lmStartDirOnly, "H", "/a/b/", true},  // host case ignored
      {lmStartDirOnly, "h", "/a/b/c/", false},
      {lmStartDirOnly, "h", "/A/b/", false},  // path case counts
      {lmStartDirAndBelow, "h", "/a/b/c/", true},
      {lmStartDirAndBelow, "h", "/a/", false},
      {lmStartDirAndBelow, "h", "/A/b/", false},
      {lmThisServer, "h", "/z/", true},
      {lmThisServer, "g", "/a/b/", false},
      {lmPositiveListOnly, "p.org", "/ok/x/", true},
      {lmPositiveListOnly, "P.ORG", "/ok/", true},
      {lmPositiveListOnly, "p.org", "/other/", false},
      {lmNotInNegativeList, "h", "/a/b/no/x/", false},
      {lmNotInNegativeList, "n.org", "/anything/", false},  // host-only entry
      {lmNotInNegativeList, "x.org", "/", true},
      {lmThisServerNotNegative, "h", "/a/b/no/", false},
      {lmThisServerNotNegative, "h", "/a/b/yes/", true},
      {lmThisServerNotNegative, "x.org", "/", false},
      {lmPositiveNotNegative, "p.org", "/ok/", true},
      {lmUnlimited, "anywhere", "/", true},
      {lmNeverDownload, "h", "/a/b/", false},
      {42, "h", "/a/b/", false},  // a damaged value admits nothing
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TLinkJudge::IsAdmitted(c.mode, "h", "/a/b/", def, c.path, c.host), c.admitted)
        << "mode " << c.mode << " " << c.host << c.path;
  }
}

TEST(IsAdmitted, EmptyPositiveListAdmitsNothingEmptyNegativeExcludesNothing) {
  TrawlonixDefinition def;
  EXPECT_FALSE(TLinkJudge::IsAdmitted(lmPositiveListOnly, "h", "/", def, "/", "h"));
  EXPECT_FALSE(TLinkJudge::IsAdmitted(lmPositiveNotNegative, "h", "/", def, "/", "h"));
  EXPECT_TRUE(TLinkJudge::IsAdmitted(lmNotInNegativeList, "h", "/", def, "/", "x"));
}

TEST(JudgeLink, StartDirectoryModesFollowTheStartPath) {
  for (TLimitMode mode : {lmStartDirOnly, lmStartDirAndBelow}) {
    JudgeFixture f;
    f.setup.Definition.LimitHtDocs = mode;
    f.Make();
    f.Link("http://H/a/b/y.html");
    f.Link("http://h/a/b/c/y.html");
    f.Link("http://h/A/b/y.html");
    EXPECT_EQ(f.spider.Count(), mode == lmStartDirOnly ? 2 : 3) << int(mode);
    EXPECT_EQ(ComposeURL(f.spider[1].URL), "http://h/a/b/y.html");
  }
}

TEST(JudgeLink, LevelLimitStopsHypertextAtThirtyButNotImages) {
  JudgeFixture f;
  f.setup.Definition.LevelLimit = true;
  f.setup.Definition.MaxLevel = 100;  // a project file can carry more than 30
  f.setup.Definition.LimitIlImages = lmUnlimited;
  f.Make();
  f.AtLevel(29);
  f.Link("p30.html");
  f.AtLevel(30);
  f.Link("p31.html");
  f.Link("dir/");
  f.Link("pic.gif", lkImage);
  ASSERT_EQ(f.spider.Count(), 3);
  EXPECT_EQ(f.spider[1].URL.FileName, "p30.html");
  EXPECT_EQ(f.spider[1].Level, 30);
  EXPECT_EQ(f.spider[2].URL.FileName, "pic.gif");
}

TEST(JudgeLink, CollectOptionUnprocessedTakesRefusedLinksOfLinkKindsOnly) {
  JudgeFixture f;
  f.setup.Definition.actColOpt = coUnprocessedLinks;
  f.setup.Definition.LimitIlImages = lmNeverDownload;
  f.setup.Definition.LimitEmbeded = lmNeverDownload;
  f.Make();
  for (TLinkKind k : {lkHyperlink, lkFrame, lkMapArea, lkRefresh})
    f.Link("http://other/k" + std::to_string(int(k)) + ".html", k);
  f.Link("http://other/i.gif", lkImage);
  f.Link("http://other/e.swf", lkEmbedded);
  f.Link("http://h/a/b/ok.html");  // admitted: not collected
  const auto& rows = f.host.results.Rows(TResultLists::kLinks);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].Text, "http://other/k1.html");
  EXPECT_EQ(rows[0].Reference, "<\?\?\?>");
  EXPECT_EQ(rows[0].FirstOccurrence, "http://h/a/b/x.html");
  EXPECT_EQ(rows[0].TestResult, "- 未检查 -");
}

TEST(JudgeLink, OtherProtocolsAreCollectedNeverFetched) {
  for (TCollectOption opt : {coLinksToOtherServers, coUnprocessedLinks, coAllLinks}) {
    JudgeFixture f;
    f.setup.Definition.actColOpt = opt;
    f.Make();
    f.Link("ftp://h/a/b/file.html");
    f.Link("mailto:Someone@Example.org");
    EXPECT_EQ(f.spider.Count(), 1);
    const auto& links = f.host.results.Rows(TResultLists::kLinks);
    EXPECT_EQ(links.size(), opt == coUnprocessedLinks ? 0u : 2u) << int(opt);
    const auto& mails = f.host.results.Rows(TResultLists::kEMails);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].Text, "Someone@example.org");
  }
}

TEST(JudgeLink, SameLinkTwiceOneEntryOneRowTwoTreeItems) {
  JudgeFixture f;
  f.setup.ShowLinkStructure = true;
  f.setup.Definition.actColOpt = coAllLinks;
  f.Make();
  f.Link("y.html");
  f.Link("y.html");
  EXPECT_EQ(f.spider.Count(), 2);
  EXPECT_EQ(f.host.results.Rows(TResultLists::kLinks).size(), 1u);
  ASSERT_EQ(f.host.linkItems.size(), 2u);
  auto it = f.host.linkItems.begin();
  EXPECT_EQ(it->second.icon, 4);              // new hypertext: file-type icon + 1
  EXPECT_EQ(std::next(it)->second.icon, 18);  // already listed hypertext
  EXPECT_EQ(f.spider[1].LinkItem, it->first);
  EXPECT_NE(f.spider[1].DirItem, 0);
  EXPECT_EQ(f.host.CountLogged("     => ++ 添加新的链接: http://h/a/b/y.html"), 1);
}

TEST(JudgeLink, RefusedLinkIconAndNeverDownloadImages) {
  JudgeFixture f;
  f.setup.ShowLinkStructure = true;
  f.setup.Definition.LimitIlImages = lmNeverDownload;
  f.Make();
  f.Link("logo.gif", lkImage);
  EXPECT_EQ(f.spider.Count(), 1);
  ASSERT_EQ(f.host.linkItems.size(), 1u);
  EXPECT_EQ(f.host.linkItems.begin()->second.icon, 17);
  EXPECT_EQ(f.host.linkItems.begin()->second.text, "http://h/a/b/logo.gif");
}

struct RewriteCase {
  const char* link;
  bool chgExt;
  const char* written;
};

TEST(JudgeLink, RewritesAdmittedAndRefusedLinks) {
  const RewriteCase cases[] = {
      {"/a/c.htm#x", true, "../c.htm#x"},
      {"/a/b/d/", true, "d/index.html"},
      {"http://h/other/p.html", true, "../../other/p.html"},
      {"#top", true, "#top"},
      {"", true, ""},
      {"http://far.org/p.html#f", true, "http://far.org/p.html#f"},
      {"http://far.org/p.html#f", false, "http://far.org/p.html#f"},
      {"//far.org/q.html", false, "//far.org/q.html"},
      {"//far.org/q.html", true, "http://far.org/q.html"},
  };
  for (const auto& c : cases) {
    JudgeFixture f;
    f.setup.Definition.LimitHtDocs = lmThisServer;
    f.setup.Definition.ChgExtLink = c.chgExt;
    f.Make();
    EXPECT_EQ(f.Link(c.link), c.written) << c.link;
  }
}

TEST(JudgeLink, QueryLinksGetNumberedLocalNames) {
  JudgeFixture f;
  f.Make();
  EXPECT_EQ(f.Link("s.cgi?q=1"), "s_0.cgi");
  EXPECT_EQ(f.Link("s.cgi?q=2"), "s_1.cgi");
  EXPECT_EQ(f.Link("s.cgi?q=1"), "s_0.cgi");
  EXPECT_EQ(f.spider.Count(), 3);
}

TEST(JudgeLink, BaseTagChangesResolution) {
  JudgeFixture f;
  f.Make();
  f.judge->SetBase("http://h/a/b/sub/");
  f.Link("z.html");
  ASSERT_EQ(f.spider.Count(), 2);
  EXPECT_EQ(ComposeURL(f.spider[1].URL), "http://h/a/b/sub/z.html");
  f.judge->SetBase("ftp://h/");
  EXPECT_FALSE(f.judge->HasBase());
}

TEST(JudgeLink, AnchorTextReplacesReferenceOfLastAddedRowOnce) {
  JudgeFixture f;
  f.setup.Definition.actColOpt = coAllLinks;
  f.Make();
  f.Link("http://far.org/1.html");
  f.batch.Push(HostOp::kSetReference).s1 = "First";
  f.Link("http://far.org/1.html");  // duplicate: the row stays as it is
  f.batch.Push(HostOp::kSetReference).s1 = "Again";
  f.Flush();
  const auto& rows = f.host.results.Rows(TResultLists::kLinks);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Reference, "First");
  // A new document does not hand its anchor texts to an earlier one's row.
  f.Link("http://far.org/2.html");
  f.judge->BeginDocument(0);
  f.batch.Push(HostOp::kSetReference).s1 = "Elsewhere";
  f.Flush();
  EXPECT_EQ(f.host.results.Rows(TResultLists::kLinks)[1].Reference, "<\?\?\?>");
}

// Every field a different mode, so that the entry count shows which one was
// used: LimitHtDocs unlimited, every other field never.
struct KindCase {
  int kind;
  const char* link;
  bool admitted;
};

TEST(Admission, LimitFieldByKindAndExtension) {
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
    JudgeFixture f;
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

TEST(Admission, LevelLimitAppliesToHypertextAndExtensionlessOnly) {
  struct Case {
    const char* link;
    bool admitted;
  } cases[] = {
      {"p.html", false}, {"dir/", false}, {"README", false}, {"f.zip", true}, {"i.gif", true},
  };
  for (const auto& c : cases) {
    JudgeFixture f;
    f.setup.Definition.LevelLimit = true;
    f.setup.Definition.MaxLevel = 3;
    f.setup.Definition.LimitLinked = lmStartDirAndBelow;
    f.setup.Definition.StrictUrl = true;
    f.Make();
    f.AtLevel(3);
    f.Link(c.link);
    EXPECT_EQ(f.spider.Count(), c.admitted ? 2 : 1) << c.link;
    // One level higher everything is admitted.
    JudgeFixture g;
    g.setup.Definition.LevelLimit = true;
    g.setup.Definition.MaxLevel = 3;
    g.setup.Definition.LimitLinked = lmStartDirAndBelow;
    g.setup.Definition.StrictUrl = true;
    g.Make();
    g.AtLevel(2);
    g.Link(c.link);
    EXPECT_EQ(g.spider.Count(), 2) << c.link;
    if (g.spider.Count() == 2) {
      EXPECT_EQ(g.spider[1].Level, 3);
      EXPECT_EQ(g.spider[1].Referrer, 0);
    }
  }
}

// Which http links of an HTML page are collected, by collect option.
TEST(Admission, CollectOptionsForHttpLinks) {
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
    JudgeFixture f;
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
  JudgeFixture f;
  f.setup.Definition.actCollect = false;
  f.setup.Definition.actColOpt = coAllLinks;
  f.Make();
  f.Link("http://far/p.html");
  f.Link("ftp://far/f.txt");
  EXPECT_TRUE(f.host.results.Rows(TResultLists::kLinks).empty());
}

// Link-tree icons per source: 17 refused (HTML, Flash), 18 for hypertext not
// added (script and class: refused too), else file-type icon + 1.
TEST(Admission, LinkTreeIconsPerSource) {
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
    JudgeFixture f;
    f.setup.ShowLinkStructure = true;
    f.setup.Definition.LimitIlImages = lmThisServer;
    f.setup.Definition.LimitLinked = lmThisServer;
    f.Make();
    for (int round = 0; round < 2; ++round) {
      std::string t = c.link;
      switch (c.src) {
        case Html:
          f.judge->JudgeLink(t, lkHyperlink);
          break;
        case Script:
          f.judge->JudgeScriptString(t);
          break;
        case Flash:
          f.judge->JudgeFlashLink(t);
          break;
        case Class:
          f.judge->JudgeClassLink(t);
          break;
      }
      f.Flush();
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
TEST(Admission, LinkTreeTextsAndParents) {
  JudgeFixture f;
  f.setup.ShowLinkStructure = true;
  f.Make();
  f.Link("sub/p.html");
  f.Link("http://far/q.html");
  ASSERT_EQ(f.spider.Count(), 2);
  f.judge->BeginDocument(1);
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
TEST(Admission, CollectionOfScriptFlashAndClassLinks) {
  JudgeFixture f;
  f.setup.Definition.actColOpt = coAllLinks;
  f.Make();
  std::string s = "http://far/s.html";
  f.judge->JudgeScriptString(s);
  f.judge->JudgeFlashLink("http://far/f.html");
  f.judge->JudgeClassLink("com/x/C");
  f.Flush();
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
TEST(Admission, ClassReferencesOnlyEnterWebAddresses) {
  JudgeFixture f("http://h/a/");
  f.Make();
  for (const char* name : {"ftp://far/Evil", "https://far/Evil", "mailto:x@far", "news:far"})
    f.judge->JudgeClassLink(name);
  f.judge->JudgeClassLink("com/x/Good");
  f.judge->JudgeClassLink("http://far/Other");
  f.Flush();
  std::vector<std::string> urls;
  for (int i = 1; i < f.spider.Count(); ++i)
    urls.push_back(ComposeURL(f.spider[i].URL));
  // Other schemes and other servers are not asked for classes.
  EXPECT_EQ(urls, (std::vector<std::string>{"http://h/a/com/x/Good.class"}));
}

// The mailto address and the other-scheme rule of HTML links.
TEST(Admission, MailtoGoesToBothListsByOption) {
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
    JudgeFixture f;
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
TEST(Admission, JavascriptLinkCodeRewritten) {
  JudgeFixture f("http://h/a/");
  f.setup.Definition.LimitHtDocs = lmThisServer;
  f.Make();
  EXPECT_EQ(f.Link("javascript:go('/b/p.html')"), "javascript:go('../b/p.html')");
  EXPECT_EQ(f.Link("JavaScript:open(\"/a/q.html\")"), "JavaScript:open(\"q.html\")");
  EXPECT_EQ(f.spider.Count(), 3);
}

}  // namespace
}  // namespace trawlonix::test
