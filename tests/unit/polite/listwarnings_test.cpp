#include <gtest/gtest.h>

#include "polite/ListWarnings.h"

namespace trawlonix {
namespace {

using K = TListWarningKind;

// Modes: 2 this server, 3 positive only, 4 not negative, 5 this server not
// negative, 6 positive not negative, 7 unlimited.
TEST(ListWarnings, NamesEntriesTheLimitModesIgnore) {
  const struct {
    std::array<int, 4> modes;
    std::vector<std::string> positive, negative;
    std::vector<std::pair<K, std::string>> want;
  } cases[] = {
      {{1, 2, 2, 2}, {}, {}, {}},
      {{1, 2, 2, 2}, {}, {"http://h/x/"}, {{K::NegativeUnused, "http://h/x/"}}},
      {{1, 2, 2, 5}, {}, {"http://h/x/"}, {}},
      {{4, 2, 2, 2}, {"http://h/a/"}, {"http://h/x/"}, {{K::PositiveUnused, "http://h/a/"}}},
      {{6, 2, 2, 2}, {"http://h/a/"}, {"http://h/x/"}, {}},
      {{3, 2, 2, 2}, {}, {}, {{K::PositiveEmpty, ""}}},
      {{5, 2, 2, 2}, {}, {"*.gif"}, {{K::Wildcard, "*.gif"}}},
      {{7, 2, 2, 2},
       {"http://h/?x"},
       {},
       {{K::PositiveUnused, "http://h/?x"}, {K::Wildcard, "http://h/?x"}}},
  };
  for (const auto& c : cases) {
    TListUse use;
    use.Modes = c.modes;
    use.Positive = c.positive;
    use.Negative = c.negative;
    std::vector<std::pair<K, std::string>> got;
    for (const TListWarning& w : JudgeListEntries(use)) {
      got.emplace_back(w.Kind, w.Entry);
      EXPECT_FALSE(w.Text.empty());
      if (!w.Entry.empty()) {
        EXPECT_NE(w.Text.find(w.Entry), std::string::npos) << w.Text;
      }
    }
    EXPECT_EQ(got, c.want) << c.modes[0] << c.modes[3];
  }
}

}  // namespace
}  // namespace trawlonix
