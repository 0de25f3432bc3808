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
    EXPECT_EQ(TTrawlonixThread::IsAdmitted(c.mode, "h", "/a/b/", def, c.path, c.host), c.admitted)
        << "mode " << c.mode << " " << c.host << c.path;
  }
}

TEST(IsAdmitted, EmptyPositiveListAdmitsNothingEmptyNegativeExcludesNothing) {
  TrawlonixDefinition def;
  EXPECT_FALSE(TTrawlonixThread::IsAdmitted(lmPositiveListOnly, "h", "/", def, "/", "h"));
  EXPECT_FALSE(TTrawlonixThread::IsAdmitted(lmPositiveNotNegative, "h", "/", def, "/", "h"));
  EXPECT_TRUE(TTrawlonixThread::IsAdmitted(lmNotInNegativeList, "h", "/", def, "/", "x"));
}

TEST(JudgeLink, StartDirectoryModesFollowTheStartPath) {
  for (TLimitMode mode : {lmStartDirOnly, lmStartDirAndBelow}) {
    WorkerFixture f;
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
  WorkerFixture f;
  f.setup.Definition.LevelLimit = true;
  f.setup.Definition.MaxLevel = 100;  // a project file can carry more than 30
  f.setup.Definition.LimitIlImages = lmUnlimited;
  f.Make();
  f.worker->CurrentLevel = 29;
  f.Link("p30.html");
  f.worker->CurrentLevel = 30;
  f.Link("p31.html");
  f.Link("dir/");
  f.Link("pic.gif", lkImage);
  ASSERT_EQ(f.spider.Count(), 3);
  EXPECT_EQ(f.spider[1].URL.FileName, "p30.html");
  EXPECT_EQ(f.spider[1].Level, 30);
  EXPECT_EQ(f.spider[2].URL.FileName, "pic.gif");
}

TEST(JudgeLink, CollectOptionUnprocessedTakesRefusedLinksOfLinkKindsOnly) {
  WorkerFixture f;
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
    WorkerFixture f;
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
  WorkerFixture f;
  f.setup.Options.ShowLinkStructure = true;
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
  WorkerFixture f;
  f.setup.Options.ShowLinkStructure = true;
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
    WorkerFixture f;
    f.setup.Definition.LimitHtDocs = lmThisServer;
    f.setup.Definition.ChgExtLink = c.chgExt;
    f.Make();
    EXPECT_EQ(f.Link(c.link), c.written) << c.link;
  }
}

TEST(JudgeLink, QueryLinksGetNumberedLocalNames) {
  WorkerFixture f;
  f.Make();
  EXPECT_EQ(f.Link("s.cgi?q=1"), "s_0.cgi");
  EXPECT_EQ(f.Link("s.cgi?q=2"), "s_1.cgi");
  EXPECT_EQ(f.Link("s.cgi?q=1"), "s_0.cgi");
  EXPECT_EQ(f.spider.Count(), 3);
}

TEST(JudgeLink, BaseTagChangesResolution) {
  WorkerFixture f;
  f.Make();
  f.worker->SetBase("http://h/a/b/sub/");
  f.Link("z.html");
  ASSERT_EQ(f.spider.Count(), 2);
  EXPECT_EQ(ComposeURL(f.spider[1].URL), "http://h/a/b/sub/z.html");
  f.worker->SetBase("ftp://h/");
  EXPECT_FALSE(f.worker->BaseSet);
}

TEST(JudgeLink, AnchorTextReplacesReferenceOfLastAddedRowOnce) {
  WorkerFixture f;
  f.setup.Definition.actColOpt = coAllLinks;
  f.Make();
  f.Link("http://far.org/1.html");
  f.worker->Batch().Push(HostOp::kSetReference).s1 = "First";
  f.Link("http://far.org/1.html");  // duplicate: the row stays as it is
  f.worker->Batch().Push(HostOp::kSetReference).s1 = "Again";
  f.worker->Flush();
  const auto& rows = f.host.results.Rows(TResultLists::kLinks);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Reference, "First");
  // A new document does not hand its anchor texts to an earlier one's row.
  f.Link("http://far.org/2.html");
  f.worker->SetDocument(0);
  f.worker->Batch().Push(HostOp::kSetReference).s1 = "Elsewhere";
  f.worker->Flush();
  EXPECT_EQ(f.host.results.Rows(TResultLists::kLinks)[1].Reference, "<\?\?\?>");
}

}  // namespace
}  // namespace trawlonix::test
