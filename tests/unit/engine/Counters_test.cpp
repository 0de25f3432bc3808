#include <gtest/gtest.h>

#include "engine/ResultLists.h"
#include "engine/RunControl.h"

namespace trawlonix {
namespace {

TEST(Counters, BytesCarryIntoKilobytes) {
  TCounters c;
  c.AddBytes(1000);
  EXPECT_EQ(c[TCounters::kByteRest], 1000);
  c.AddBytes(1000);
  EXPECT_EQ(c[TCounters::kKiloBytes], 1);
  EXPECT_EQ(c[TCounters::kByteRest], 976);
  c.AddBytes(5 * 1024 + 48);
  EXPECT_EQ(c[TCounters::kKiloBytes], 7);
  EXPECT_EQ(c[TCounters::kByteRest], 0);
  TCounters total;
  TCounters delta;
  delta[TCounters::kByteRest] = 1023;
  delta[TCounters::kQueued] = 2;
  total.Add(delta);
  total.Add(delta);
  EXPECT_EQ(total[TCounters::kKiloBytes], 1);
  EXPECT_EQ(total[TCounters::kByteRest], 1022);
  EXPECT_EQ(total[TCounters::kQueued], 4);
}

TEST(StatusTexts, FourPanels) {
  TCounters t;
  auto s = TRunControl::StatusTexts(t, false);
  EXPECT_EQ(s[0], "0 KB 已接收");
  EXPECT_EQ(s[3], "100.00% 已完成");
  t[TCounters::kKiloBytes] = 12;
  t[TCounters::kQueued] = 3;
  t[TCounters::kQueuedHt] = 2;
  t[TCounters::kReceived] = 1;
  t[TCounters::kReceivedHt] = 1;
  t[TCounters::kChecked] = 2;
  s = TRunControl::StatusTexts(t, false);
  EXPECT_EQ(s[1], "3 个文件在队列中 (其中 2 个超文本文档)");
  EXPECT_EQ(s[2], "1 个文件已经接收 (其中 1 个超文本文档)");
  EXPECT_EQ(s[3], "33.33% 已完成");
  s = TRunControl::StatusTexts(t, true);
  EXPECT_EQ(s[2], "2 个文件已经检查 (其中 0 个超文本文档)");
  EXPECT_EQ(s[3], "66.67% 已完成");
}

TEST(ResultLists, DuplicateRulesPerList) {
  TResultLists r;
  EXPECT_TRUE(r.OfferCollectedLink("http://a/X", "p"));
  EXPECT_FALSE(r.OfferCollectedLink("http://a/X", "q"));
  EXPECT_TRUE(r.OfferCollectedLink("http://a/x", "p"));  // exact comparison
  EXPECT_TRUE(r.OfferEMail("me@a.org", "p"));
  EXPECT_FALSE(r.OfferEMail("me@a.org", "p"));
  // Rows are compared lower-cased with the new address as given.
  EXPECT_TRUE(r.OfferEMail("Me@a.org", "p"));
  EXPECT_FALSE(r.OfferEMail("me@a.org", "p"));
  EXPECT_TRUE(r.OfferBrokenLink("http://a/b", "404 Not Found", "p"));
  EXPECT_FALSE(r.OfferBrokenLink("http://a/b", "500", "p"));
}

TEST(ResultLists, LastAddedRowTakesTheAnchorTextOnce) {
  TResultLists r;
  r.OfferCollectedLink("http://a/1", "p");
  r.OfferEMail("x@y.org", "p");
  EXPECT_FALSE(r.OfferCollectedLink("http://a/1", "p"));  // duplicate keeps the last row
  auto ref = r.SetLastRowReference("Mail us");
  ASSERT_TRUE(ref);
  EXPECT_EQ(ref->list, TResultLists::kEMails);
  EXPECT_EQ(r.Rows(TResultLists::kEMails)[0].Reference, "Mail us");
  EXPECT_FALSE(r.SetLastRowReference("later"));
  EXPECT_EQ(r.Rows(TResultLists::kLinks)[0].Reference, "<\?\?\?>");
  r.OfferBrokenLink("http://a/b", "404", "p");  // broken links never become the last row
  EXPECT_FALSE(r.SetLastRowReference("text"));
}

TEST(ResultLists, EditedRowsAreReindexed) {
  TResultLists r;
  r.OfferCollectedLink("http://a/1", "p");
  r.MutableRows(TResultLists::kLinks).clear();
  EXPECT_TRUE(r.OfferCollectedLink("http://a/1", "p"));
}

}  // namespace
}  // namespace trawlonix
