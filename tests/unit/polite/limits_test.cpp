#include <gtest/gtest.h>

#include "polite/Limits.h"

namespace trawlonix {
namespace {

TEST(Limits, ReadsByteAmounts) {
  const struct {
    const char* text;
    std::optional<std::int64_t> want;
  } cases[] = {
      {"0", 0},
      {"500", 500},
      {"500k", 512000},
      {"1.5M", 1572864},
      {" 2g ", 2147483648},
      {"20kb", 20480},
      {"3 MB", 3145728},
      {".5k", 512},
      {"1t", 1099511627776},
      {"", std::nullopt},
      {"k", std::nullopt},
      {"-5", std::nullopt},
      {"5x", std::nullopt},
      {"1.2.3", std::nullopt},
      {"99999999999t", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseByteAmount(c.text), c.want) << c.text;
}

TEST(Limits, ReadsSecondAmounts) {
  const struct {
    const char* text;
    std::optional<double> want;
  } cases[] = {{"1.5", 1.5},         {"2s", 2.0},          {"2m", 120.0},
               {"1h", 3600.0},       {"1d", 86400.0},      {"0", 0.0},
               {"-1", std::nullopt}, {"1w", std::nullopt}, {"", std::nullopt}};
  for (const auto& c : cases)
    EXPECT_EQ(ParseSecondsAmount(c.text), c.want) << c.text;
}

TEST(Limits, FileSizeAndQuota) {
  const TSizeLimits limits{1000, 5000};
  EXPECT_EQ(JudgeBeforeFetch(limits, 4999), TSizeVerdict::Fits);
  EXPECT_EQ(JudgeBeforeFetch(limits, 5000), TSizeVerdict::QuotaReached);
  EXPECT_EQ(JudgeBeforeFetch({}, 1LL << 50), TSizeVerdict::Fits);
  const struct {
    std::optional<std::int64_t> announced;
    std::int64_t received;
    TSizeVerdict want;
  } cases[] = {{std::nullopt, 1000, TSizeVerdict::Fits},
               {std::nullopt, 1001, TSizeVerdict::FileTooBig},
               {1001, 0, TSizeVerdict::FileTooBig},
               {1000, 1000, TSizeVerdict::Fits}};
  for (const auto& c : cases)
    EXPECT_EQ(JudgeWhileFetching(limits, c.announced, c.received), c.want) << c.received;
  EXPECT_EQ(JudgeWhileFetching({}, 1LL << 50, 1LL << 50), TSizeVerdict::Fits);
}

}  // namespace
}  // namespace trawlonix
