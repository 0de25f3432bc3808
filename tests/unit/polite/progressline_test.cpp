#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "polite/ProgressLine.h"

namespace trawlonix {
namespace {

TEST(ProgressLine, ByteSizesKeepThreeDigits) {
  const struct {
    std::int64_t bytes;
    const char* want;
  } cases[] = {
      {-5, "0 B"},          {0, "0 B"},
      {1023, "1023 B"},     {1024, "1.0 KB"},
      {1229, "1.2 KB"},     {10189, "10 KB"},
      {1048063, "1023 KB"}, {1048064, "1.0 MB"},
      {36700160, "35 MB"},  {std::numeric_limits<std::int64_t>::max(), "8.0 EB"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatByteSize(c.bytes), c.want) << c.bytes;
}

TEST(ProgressLine, ElapsedTimeAndPercent) {
  const struct {
    double seconds;
    const char* want;
  } times[] = {{0, "0:00"},       {3.9, "0:03"},          {725, "12:05"},
               {3723, "1:02:03"}, {std::nan(""), "0:00"}, {-1, "0:00"}};
  for (const auto& c : times)
    EXPECT_EQ(FormatElapsed(c.seconds), c.want) << c.seconds;
  const struct {
    std::int64_t done, queued;
    bool finished;
    int want;
  } percents[] = {{0, 0, false, 0},    {12, 40, false, 30}, {399, 400, false, 99},
                  {40, 40, false, 99}, {32, 40, true, 100}, {0, 0, true, 100}};
  for (const auto& c : percents)
    EXPECT_EQ(ProgressPercent({c.done, c.queued, 0, 0, c.finished}), c.want) << c.done;
}

TEST(ProgressLine, DropsFieldsToFitTheWidth) {
  const TProgressFigures f{12, 40, 1258291, 3.4, false};
  const std::string full = "已完成 12/40 文件 · 1.2 MB · 3.5 文件/秒 · 0:03 · 30%";
  const struct {
    std::size_t width;
    std::string want;
  } cases[] = {
      {200, full},
      {TerminalColumns(full), full},
      {TerminalColumns(full) - 1, "已完成 12/40 文件 · 1.2 MB · 0:03 · 30%"},
      {30, "已完成 12/40 文件 · 30%"},
      {20, "已完成 12/40 文件"},
      {10, "12/40"},
      {3, "12/"},
      {0, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatProgressLine(f, c.width), c.want) << c.width;
  for (std::size_t w = 0; w <= 80; ++w)
    EXPECT_LE(TerminalColumns(FormatProgressLine(f, w)), w);
}

TEST(ProgressLine, FinishedRunEndsAtHundredPercent) {
  EXPECT_EQ(FormatProgressLine({32, 40, 500, 0.5, true}, 79),
            "已完成 32/40 文件 · 500 B · 0:00 · 100%");
  EXPECT_EQ(FormatProgressLine({40, 40, 0, 80, true}, 79),
            "已完成 40/40 文件 · 0 B · 0.5 文件/秒 · 1:20 · 100%");
}

}  // namespace
}  // namespace trawlonix
