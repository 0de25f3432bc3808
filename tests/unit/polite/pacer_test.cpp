#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "polite/Pacer.h"

namespace trawlonix {
namespace {

const std::string kA = "http://127.0.0.1:8080";
const std::string kB = "http://127.0.0.2:8080";

TEST(Pacer, ServerKeyFillsTheDefaultPort) {
  EXPECT_EQ(ServerKey("HTTP", "127.0.0.1", ""), "http://127.0.0.1:80");
  EXPECT_EQ(ServerKey("https", "Host.Test", ""), "https://host.test:443");
  EXPECT_EQ(ServerKey("http", "127.0.0.1", "8080"), "http://127.0.0.1:8080");
}

TEST(Pacer, KeepsTheGapPerServer) {
  TPaceOptions o;
  o.DelayMs = 1000;
  TPacer pacer(o);
  EXPECT_TRUE(pacer.MayStart(kA, 0));
  pacer.Started(kA, 0);
  pacer.Finished(kA);
  EXPECT_EQ(pacer.NextAllowed(kA, 400), 1000);
  EXPECT_FALSE(pacer.MayStart(kA, 999));
  EXPECT_TRUE(pacer.MayStart(kA, 1000));
  EXPECT_TRUE(pacer.MayStart(kB, 400));
  // A server's own larger delay (robots.txt) wins; a smaller one does not.
  pacer.SetServerDelay(kB, 3000);
  pacer.Started(kB, 400);
  EXPECT_EQ(pacer.NextAllowed(kB, 400), 3400);
  pacer.SetServerDelay(kA, 10);
  pacer.Started(kA, 1000);
  EXPECT_EQ(pacer.NextAllowed(kA, 1000), 2000);
}

TEST(Pacer, JitterStaysInRangeAndReplaysBySeed) {
  const auto gaps = [](std::uint64_t seed) {
    TPaceOptions o;
    o.DelayMs = 1000;
    o.Jitter = 0.5;
    o.Seed = seed;
    TPacer pacer(o);
    std::vector<TPaceMillis> out;
    TPaceMillis now = 0;
    for (int i = 0; i < 200; ++i) {
      pacer.Started(kA, now);
      const TPaceMillis next = *pacer.NextAllowed(kA, now);
      out.push_back(next - now);
      now = next;
    }
    return out;
  };
  const auto first = gaps(7);
  EXPECT_EQ(first, gaps(7));
  EXPECT_NE(first, gaps(8));
  TPaceMillis lo = 10000, hi = 0;
  for (TPaceMillis g : first)
    lo = std::min(lo, g), hi = std::max(hi, g);
  EXPECT_GE(lo, 500);
  EXPECT_LE(hi, 1500);
  EXPECT_LT(lo, 700);  // the draws spread over the range
  EXPECT_GT(hi, 1300);
}

TEST(Pacer, CapsRequestsInFlightPerServer) {
  TPaceOptions o;
  o.MaxPerServer = 2;
  TPacer pacer(o);
  pacer.Started(kA, 0);
  pacer.Started(kA, 0);
  EXPECT_EQ(pacer.NextAllowed(kA, 0), std::nullopt);
  EXPECT_TRUE(pacer.MayStart(kB, 0));
  pacer.Finished(kA);
  EXPECT_EQ(pacer.InFlight(kA), 1);
  EXPECT_TRUE(pacer.MayStart(kA, 0));
  pacer.Finished(kA);
  pacer.Finished(kA);  // one too many is harmless
  EXPECT_EQ(pacer.InFlight(kA), 0);
}

TEST(Pacer, BandwidthCapHoldsOverTheWholeRun) {
  TPaceOptions o;
  o.BytesPerSecond = 1000;
  TPacer pacer(o);
  EXPECT_EQ(pacer.BandwidthFreeAt(0), 0);
  pacer.Record(kA, 0, 500);
  EXPECT_EQ(pacer.BandwidthFreeAt(0), 500);
  pacer.Record(kB, 100, 500);  // every server shares the one budget
  EXPECT_EQ(pacer.BandwidthFreeAt(100), 1000);
  EXPECT_EQ(pacer.NextAllowed(kA, 100), 1000);
  EXPECT_EQ(pacer.BandwidthFreeAt(5000), 5000);
  // Idle time saves up no credit: a burst after a pause is paced at once.
  pacer.Record(kA, 5000, 3000);
  EXPECT_EQ(pacer.BandwidthFreeAt(5000), 8000);
  // A reader that always waits as told never averages above the cap.
  TPacer steady(o);
  TPaceMillis now = 0;
  std::int64_t total = 0;
  for (int i = 0; i < 100; ++i) {
    steady.Record(kA, now, 333);
    total += 333;
    now = steady.BandwidthFreeAt(now);
  }
  EXPECT_GE(now * o.BytesPerSecond, total * 1000);
  EXPECT_EQ(steady.BytesOf(kA), total);
}

}  // namespace
}  // namespace trawlonix
