// The run control's status-bar texts.
#include <gtest/gtest.h>

#include "engine/RunControl.h"

namespace trawlonix {
namespace {

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

}  // namespace
}  // namespace trawlonix
