#include "polite/ProjectChoices.h"

#include <gtest/gtest.h>

namespace trawlonix {
namespace {

TEST(ProjectChoices, RoundTripKeepsOtherExtrasAndReadsDefaultsForBadValues) {
  TProjectChoices c;
  c.ObeyRobots = false;
  c.WaitSeconds = 1.5;
  c.RandomWait = true;
  c.LimitRate = 20480;
  c.MaxPerServer = 2;
  c.Patterns.AcceptName = {"*.html", "*.pdf"};
  c.Patterns.RejectUrl = {"*/private/*"};
  c.Sizes = {1 << 20, 1 << 30};
  TExtras extras{{"other", "kept"}};
  StoreChoices(c, extras);
  EXPECT_EQ(LoadChoices(extras), c);
  EXPECT_EQ(extras["other"], "kept");

  EXPECT_EQ(LoadChoices({}), TProjectChoices{});
  TExtras bad{{"robots", "yes"}, {"wait", "-2"}, {"max-per-server", "3x"}, {"quota", ""}};
  EXPECT_EQ(LoadChoices(bad), TProjectChoices{});
}

}  // namespace
}  // namespace trawlonix
