#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/SpiderList.h"

namespace trawlonix {
namespace {

TURL Url(const std::string& text) {
  TURL u;
  EXPECT_TRUE(ParseURL(text, false, u)) << text;
  return u;
}

TURL Page(int i) {
  TURL u;
  u.Protocol = "http";
  u.Host = "127.0.0.1";
  u.Path = "/d" + std::to_string(i % 7) + "/";
  u.FileName = "p" + std::to_string(i) + ".html";
  u.Ext = "html";
  return u;
}

// Hands out the next entry the way the crawl worker does.
std::int32_t Take(TSpiderList& list) {
  const std::int32_t i = list.NextToFetch();
  if (i >= 0) list.SetInProgress(i, true);
  return i;
}

TEST(SpiderList, DuplicatesFollowSameURL) {
  TSpiderList list;
  AGetEntry* first = list.AddURL(Url("http://127.0.0.1/a.html"), -10, 0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Referrer, -10);
  EXPECT_EQ(list.AddURL(Url("http://127.0.0.1/a.html"), 0, 1), nullptr);
  EXPECT_EQ(list.AddURL(Url("HTTP://127.0.0.1/a.html"), 0, 1), nullptr);  // protocol folded
  EXPECT_NE(list.AddURL(Url("http://127.0.0.1/A.HTML"), 0, 1), nullptr);  // file name is not
  EXPECT_NE(list.AddURL(Url("http://127.0.0.1:80/a.html"), 0, 1), nullptr);
  EXPECT_NE(list.AddURL(Url("http://127.0.0.1/a.html?x"), 0, 1), nullptr);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list[1].Level, 1);
  EXPECT_EQ(list.IndexOf(Url("HTTP://127.0.0.1/a.html")), 0);
  EXPECT_EQ(list.IndexOf(Url("http://127.0.0.1/a.html?x")), 3);
  EXPECT_EQ(list.IndexOf(Url("http://127.0.0.1/b.html")), -1);
  list.AppendLoaded(Url("http://127.0.0.1/A.HTML"), false, 0, false, 0);  // a stored duplicate
  EXPECT_EQ(list.IndexOf(Url("http://127.0.0.1/A.HTML")), 1);
}

TEST(SpiderList, EntriesKeepTheirAddressesAndBounds) {
  TSpiderList list;
  AGetEntry* first = list.AddURL(Page(0), -10, 0);
  for (int i = 1; i < 20000; ++i)
    ASSERT_NE(list.AddURL(Page(i), i - 1, 1), nullptr);
  EXPECT_EQ(first, list.GetEntry(0));
  EXPECT_EQ(first->URL.FileName, "p0.html");
  EXPECT_EQ(list.GetEntry(-1), nullptr);
  EXPECT_EQ(list.GetEntry(list.Count()), nullptr);
  EXPECT_NE(list.GetEntry(list.Count() - 1), nullptr);
  EXPECT_THROW((void)list[list.Count()], std::out_of_range);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.NextToFetch(), -1);
  EXPECT_NE(list.AddURL(Page(5), -10, 0), nullptr);  // the old index is gone too
}

TEST(SpiderList, RetriesComeAfterFreshEntriesAndRunOut) {
  TSpiderList list;
  list.MaxErrors = 4;
  list.AddURL(Page(0), -10, 0);
  list.AddURL(Page(1), 0, 1);
  list.AddURL(Page(2), 0, 1);

  int fetchesOf0 = 0;
  std::vector<std::int32_t> order;
  for (std::int32_t i; (i = Take(list)) >= 0;) {
    order.push_back(i);
    if (i == 0) {
      ++fetchesOf0;
      list.MarkFailed(0);
    } else {
      list.MarkFetched(i);
    }
  }
  EXPECT_EQ(fetchesOf0, 5);
  EXPECT_EQ(order, (std::vector<std::int32_t>{0, 1, 2, 0, 0, 0, 0}));
  const AGetEntry& e = list[0];
  EXPECT_FALSE(e.Fetched);
  EXPECT_FALSE(e.Broken);
  EXPECT_EQ(e.Failures, 5);

  // A new entry is still served although the exhausted one lies before it.
  list.AddURL(Page(3), 0, 1);
  EXPECT_EQ(list.NextToFetch(), 3);
}

TEST(SpiderList, StateChangesSteerNextToFetch) {
  TSpiderList list;
  list.MaxErrors = 2;
  for (int i = 0; i < 6; ++i)
    list.AddURL(Page(i), i - 1, i);

  EXPECT_EQ(Take(list), 0);
  EXPECT_EQ(Take(list), 1);
  EXPECT_EQ(Take(list), 2);
  list.MarkFetched(1);
  list.MarkBroken(2);
  list.MarkFailed(0);
  EXPECT_EQ(Take(list), 3);  // the failed 0 waits for every fresh entry
  list.ClearInProgress();    // stop: 3 goes back to waiting
  EXPECT_EQ(list.NextToFetch(), 3);
  EXPECT_FALSE(list[3].InProgress);

  // The same entry is offered again until someone takes it.
  EXPECT_EQ(list.NextToFetch(), 3);
  list.SetInProgress(3, true);
  list.SetInProgress(3, false);
  EXPECT_EQ(Take(list), 3);
  list.MarkFetched(3);
  EXPECT_EQ(Take(list), 4);
  EXPECT_EQ(Take(list), 5);
  EXPECT_EQ(Take(list), 0);  // retry
  list.MarkFailed(0);
  EXPECT_EQ(Take(list), 0);
  list.MarkFailed(0);  // Failures 3 > MaxErrors 2
  EXPECT_EQ(list.NextToFetch(), -1);
  list.MaxErrors = 3;  // a new run may grant more
  EXPECT_EQ(list.NextToFetch(), 0);
  list.MaxErrors = 2;

  // An update run: fetched entries count as not done and come first again;
  // failures of unfetched entries stay.
  list.MarkFetched(4);
  list.MarkFetched(5);
  list.PrepareRun(false);
  EXPECT_EQ(list.NextToFetch(), 1);
  EXPECT_EQ(list[0].Failures, 3);
  EXPECT_TRUE(list[1].Fetched);
  // A plain run: fetched entries are done; the broken one never returns.
  list.PrepareRun(true);
  EXPECT_EQ(list.NextToFetch(), -1);
}

TEST(SpiderList, PrepareRunResetsFailuresOfFetchedEntriesOnly) {
  TSpiderList list;
  list.AddURL(Page(0), -10, 0);
  list.AddURL(Page(1), 0, 1);
  Take(list);
  list.MarkFailed(0);
  list.MarkFetched(0);  // fetched later after a retry
  Take(list);
  list.MarkFailed(1);
  list.PrepareRun(false);
  EXPECT_EQ(list[0].Failures, 0);
  EXPECT_EQ(list[1].Failures, 1);
  EXPECT_EQ(list.NextToFetch(), 0);
}

TEST(SpiderList, LoadedEntriesAndDirectWrites) {
  TSpiderList list;
  list.AppendLoaded(Page(0), true, 0, false, -10);
  list.AppendLoaded(Page(1), false, 1, true, 0);
  AGetEntry& dup = list.AppendLoaded(Page(1), false, 1, false, 0);  // a file may repeat a URL
  EXPECT_EQ(dup.Failures, 0);
  EXPECT_EQ(list.AddURL(Page(1), 0, 1), nullptr);
  list.PrepareRun(true);
  EXPECT_EQ(list.NextToFetch(), 2);

  // Flags written directly are seen after Resync; a stale candidate is
  // never handed out even without it.
  list.GetEntry(2)->Broken = true;
  EXPECT_EQ(list.NextToFetch(), -1);
  list.GetEntry(1)->Broken = false;
  list.Resync(1);
  EXPECT_EQ(list.NextToFetch(), 1);
  list.SetItems(1, 7, 8);
  EXPECT_EQ(list[1].DirItem, 7);
  EXPECT_EQ(list[1].LinkItem, 8);
}

TEST(SpiderList, LargeListsKeepIndexOrder) {
  // Past 64^3 entries, so every level of the pending-index tree is in use.
  constexpr std::int32_t kCount = 270'000;
  TSpiderList list;
  list.MaxErrors = 1;
  for (std::int32_t i = 0; i < kCount; ++i)
    ASSERT_NE(list.AddURL(Page(i), 0, 1), nullptr);
  std::int32_t expect = 0;
  for (std::int32_t i; (i = Take(list)) >= 0 && list[i].Failures == 0; ++expect) {
    ASSERT_EQ(i, expect);
    if (i % 4099 == 0)
      list.MarkFailed(i);
    else
      list.MarkFetched(i);
  }
  EXPECT_EQ(expect, kCount);
  // Now the retries, in index order, once each.
  list.ClearInProgress();
  for (std::int32_t want = 0; want < kCount; want += 4099) {
    ASSERT_EQ(Take(list), want);
    list.MarkFailed(want);
  }
  EXPECT_EQ(list.NextToFetch(), -1);
}

// The two passes read straight off the entries, as a reference.
std::int32_t NaiveNext(const TSpiderList& list) {
  auto open = [&](const AGetEntry& e) {
    return !(e.Fetched && e.FetchedThisRun) && !e.InProgress && !e.Broken;
  };
  for (std::int32_t i = 0; i < list.Count(); ++i)
    if (open(list[i]) && list[i].Failures == 0) return i;
  for (std::int32_t i = 0; i < list.Count(); ++i)
    if (open(list[i]) && list[i].Failures <= list.MaxErrors) return i;
  return -1;
}

TEST(SpiderList, RandomInterleavingsMatchTheTwoPassRule) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    TSpiderList list;
    list.MaxErrors = pick(4);
    std::vector<std::int32_t> running;
    int nextPage = 0;
    for (int step = 0; step < 1500; ++step) {
      const int op = pick(100);
      if (op < 20 || list.Count() == 0) {
        list.AddURL(Page(pick(3) == 0 ? pick(nextPage + 1) : nextPage++), 0, 1);
      } else if (op < 45) {
        const std::int32_t i = Take(list);
        if (i >= 0) running.push_back(i);
      } else if (op < 80 && !running.empty()) {
        const int k = pick(static_cast<int>(running.size()));
        const std::int32_t i = running[static_cast<std::size_t>(k)];
        running.erase(running.begin() + k);
        switch (pick(4)) {
          case 0:
            list.MarkFetched(i);
            break;
          case 1:
            list.MarkFailed(i);
            break;
          case 2:
            list.MarkBroken(i);
            break;
          default:
            list.SetInProgress(i, false);
            break;
        }
      } else if (op < 84) {
        list.ClearInProgress();
        running.clear();
      } else if (op < 87) {
        list.PrepareRun(pick(2) == 0);
      } else if (op < 90) {
        list.MaxErrors = pick(5) - 1;
      } else if (op < 93) {
        list.AppendLoaded(Page(nextPage++), pick(2) == 0, 1, pick(4) == 0, 0);
      } else if (op < 96) {
        // A direct write to a flag, announced with Resync.
        const std::int32_t i = pick(list.Count());
        AGetEntry* e = list.GetEntry(i);
        if (!e->InProgress) {
          e->Fetched = !e->Fetched;
          e->FetchedThisRun = e->Fetched;
          list.Resync(i);
        }
      } else {
        const std::int32_t i = pick(list.Count());
        if (!list[i].InProgress) list.MarkFailed(i);  // a failure outside a fetch
      }
      ASSERT_EQ(list.NextToFetch(), NaiveNext(list)) << "seed " << seed << " step " << step;
    }
  }
}

TEST(RedirectList, NumbersQueriesPerScript) {
  TCGIRedirectList list;
  EXPECT_EQ(list.NumberFor(Url("http://127.0.0.1/s.asp?a")), 0);
  EXPECT_EQ(list.NumberFor(Url("http://127.0.0.1/s.asp?b")), 1);
  EXPECT_EQ(list.NumberFor(Url("http://127.0.0.1/s.asp?a")), 0);
  EXPECT_EQ(list.Count(), 2);
  // Any other field makes another script: user, port, path, file name, case.
  EXPECT_EQ(list.NumberFor(Url("http://u@127.0.0.1/s.asp?b")), 0);
  EXPECT_EQ(list.NumberFor(Url("http://127.0.0.1:81/s.asp?b")), 0);
  EXPECT_EQ(list.NumberFor(Url("http://127.0.0.1/d/s.asp?b")), 0);
  EXPECT_EQ(list.NumberFor(Url("http://127.0.0.1/S.asp?b")), 0);
  EXPECT_EQ(list.NumberFor(Url("http://127.0.0.1/s.asp?A")), 2);  // queries are case-sensitive
  EXPECT_EQ(list[4].Query, "b");
  EXPECT_EQ(list[4].Path, "/d/");
  EXPECT_THROW((void)list[list.Count()], std::out_of_range);
}

TEST(RedirectList, LoadedNumbersAreNeverReusedAndTheLastMatchWins) {
  TCGIRedirectList list;
  const TURL a = Url("http://127.0.0.1/s.cgi?a");
  list.AppendLoaded(a, 0);
  list.AppendLoaded(Url("http://127.0.0.1/s.cgi?b"), 5);
  list.AppendLoaded(a, 3);
  EXPECT_EQ(list.NumberFor(a), 3);
  EXPECT_EQ(list.NumberFor(Url("http://127.0.0.1/s.cgi?c")), 6);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.NumberFor(a), 0);
}

TEST(RedirectList, FieldBoundariesDoNotBlur) {
  // Two scripts whose fields concatenate to the same text stay apart.
  TCGIRedirectList list;
  TURL x = Url("http://127.0.0.1/ab/c.cgi?q");
  TURL y = x;
  x.User = "ab";
  y.Password = "ab";
  EXPECT_EQ(list.NumberFor(x), 0);
  EXPECT_EQ(list.NumberFor(Url("http://127.0.0.1/ab/c.cgi?r")), 0);
  EXPECT_EQ(list.NumberFor(y), 0);
  EXPECT_EQ(list.Count(), 3);
}

}  // namespace
}  // namespace trawlonix
