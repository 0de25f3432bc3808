#include <gtest/gtest.h>

#include <string>

#include "model/tx_types.h"

namespace trawlonix {
namespace {

TEST(Record, ResetGivesDefaultsAndKeepsModified) {
  TrawlonixDefinition def;
  def.StartingUrl = "http://127.0.0.1/";
  def.ProjectName = "p";
  def.LevelLimit = true;
  def.MaxLevel = 9;
  def.UsePwd = true;
  def.Username = "u";
  def.Password = "pw";
  def.actSaveFiles = def.actEMails = def.actBLinks = false;
  def.actCollect = true;
  def.actColOpt = coAllLinks;
  def.LocalPath = "/tmp/x";
  def.ChgLocLink = def.ChgExtLink = def.ChgJScriptLink = false;
  def.LimitHtDocs = def.LimitIlImages = def.LimitEmbeded = def.LimitLinked = lmUnlimited;
  def.Positivlist->push_back("a");
  def.Negativlist->push_back("b");
  def.HTMLRenList->assign({"exe", "asp"});
  def.OnlyRenameSkriptURL = false;
  def.StrictUrl = false;
  def.Modified = true;

  ResetDefinition(def);
  EXPECT_TRUE(def.StartingUrl.empty());
  EXPECT_TRUE(def.ProjectName.empty());
  EXPECT_FALSE(def.LevelLimit);
  EXPECT_EQ(def.MaxLevel, 5);
  EXPECT_FALSE(def.UsePwd);
  EXPECT_TRUE(def.Username.empty());
  EXPECT_TRUE(def.Password.empty());
  EXPECT_TRUE(def.actSaveFiles && def.actEMails && def.actBLinks);
  EXPECT_FALSE(def.actCollect);
  EXPECT_EQ(def.actColOpt, coLinksToOtherServers);
  EXPECT_TRUE(def.LocalPath.empty());
  EXPECT_TRUE(def.ChgLocLink && def.ChgExtLink && def.ChgJScriptLink);
  EXPECT_EQ(def.LimitHtDocs, lmStartDirAndBelow);
  EXPECT_EQ(def.LimitIlImages, lmThisServer);
  EXPECT_EQ(def.LimitEmbeded, lmThisServer);
  EXPECT_EQ(def.LimitLinked, lmThisServer);
  EXPECT_TRUE(def.Positivlist->empty());
  EXPECT_TRUE(def.Negativlist->empty());
  EXPECT_EQ(*def.HTMLRenList, TStringList{"dll"});
  EXPECT_TRUE(def.OnlyRenameSkriptURL);
  EXPECT_TRUE(def.StrictUrl);
  EXPECT_TRUE(def.Modified);
  EXPECT_FALSE(UsesPositiveList(def));
  EXPECT_FALSE(UsesNegativeList(def));
}

TEST(Record, ShortStringsKeepTheirFirstBytes) {
  TrawlonixDefinition def;
  const std::string long300(300, 'x');
  def.ProjectName = long300 + "tail";
  def.Username = std::string(128, 'u') + "v";
  def.Password = std::string(127, 'p');
  def.LocalPath = std::string(255, 'l') + "m";
  EXPECT_EQ(def.ProjectName.str(), std::string(128, 'x'));
  EXPECT_EQ(def.Username.str(), std::string(128, 'u'));
  EXPECT_EQ(def.Password.size(), 127u);
  EXPECT_EQ(def.LocalPath.str(), std::string(255, 'l'));
}

TEST(Record, CopiesShareTheListsAndResetClearsThemInPlace) {
  TrawlonixDefinition source;
  TrawlonixDefinition copy = source;
  copy.Positivlist->push_back("127.0.0.1/a/");
  copy.ProjectName = "only the copy";
  EXPECT_EQ(source.Positivlist->size(), 1u);
  EXPECT_TRUE(source.ProjectName.empty());

  source.Negativlist->push_back("127.0.0.1/b/");
  ResetDefinition(copy);  // the worker's copy and the window's record stay linked
  EXPECT_TRUE(source.Positivlist->empty());
  EXPECT_TRUE(source.Negativlist->empty());
  EXPECT_EQ(*source.HTMLRenList, TStringList{"dll"});
  EXPECT_EQ(source.HTMLRenList, copy.HTMLRenList);
}

TEST(Record, ResetRecreatesAMissingList) {
  TrawlonixDefinition def;
  def.Negativlist.reset();
  ResetDefinition(def);
  ASSERT_NE(def.Negativlist, nullptr);
  EXPECT_TRUE(def.Negativlist->empty());
}

TEST(Record, ListPredicatesFollowTheLimitModes) {
  struct Case {
    TLimitMode mode;
    bool positive;
    bool negative;
  };
  const Case cases[] = {
      {lmStartDirOnly, false, false},      {lmStartDirAndBelow, false, false},
      {lmThisServer, false, false},        {lmPositiveListOnly, true, false},
      {lmNotInNegativeList, false, true},  {lmThisServerNotNegative, false, true},
      {lmPositiveNotNegative, true, true}, {lmUnlimited, false, false},
      {lmNeverDownload, false, false},
  };
  for (const Case& c : cases) {
    // Each of the four limit fields counts on its own.
    for (int field = 0; field < 4; ++field) {
      TrawlonixDefinition def;
      TLimitMode* limits[] = {&def.LimitHtDocs, &def.LimitIlImages, &def.LimitEmbeded,
                              &def.LimitLinked};
      *limits[field] = c.mode;
      EXPECT_EQ(UsesPositiveList(def), c.positive) << int(c.mode) << " field " << field;
      EXPECT_EQ(UsesNegativeList(def), c.negative) << int(c.mode) << " field " << field;
    }
  }
}

}  // namespace
}  // namespace trawlonix
