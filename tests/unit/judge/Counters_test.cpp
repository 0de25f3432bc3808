#include <gtest/gtest.h>

#include "engine/CrawlHost.h"

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

}  // namespace
}  // namespace trawlonix
