#include <gtest/gtest.h>

#include <string>

#include "polite/RobotsTxt.h"

namespace trawlonix {
namespace {

constexpr const char* kToken = "Trawlonix";

bool Allowed(const std::string& body, const char* path) {
  return RobotsAllowed(ParseRobots(body, kToken), path);
}

TEST(RobotsTxt, PicksTheGroupForOurTokenElseStar) {
  const struct {
    const char* body;
    bool ownAllowed;  // "/own" is disallowed by our group, "/star" by "*"
    bool starAllowed;
  } cases[] = {
      {"User-agent: *\nDisallow: /star\n\nUser-agent: Trawlonix\nDisallow: /own\n", false, true},
      {"User-agent: *\nDisallow: /star\n\nUser-agent: trawlonix/2.7\nDisallow: /own\n", false,
       true},
      {"User-agent: other\nUser-agent: TRAWLONIX\nDisallow: /own\nUser-agent: *\nDisallow: /star",
       false, true},
      {"User-agent: *\nDisallow: /star\nUser-agent: Other\nDisallow: /own\n", true, false},
      // A group naming us without rules allows everything, whatever "*" says;
      // blank lines do not end a run of user-agent lines.
      {"User-agent: *\nDisallow: /\n\nUser-agent: Trawlonix\n", true, true},
      {"User-agent: Trawlonix\n\nUser-agent: *\nDisallow: /\n", false, false},
      // Groups for us are combined; a rule line ends the user-agent run.
      {"User-agent: Trawlonix\nDisallow: /own\nUser-agent: x\nDisallow: /star\n"
       "User-agent: Trawlonix\nDisallow: /star\n",
       false, false},
      {"Disallow: /own\nUser-agent: Trawlonixer\nDisallow: /own\n", true, true},
      {"User-agent: Other\nDisallow: /\n", true, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Allowed(c.body, "/own"), c.ownAllowed) << c.body;
    EXPECT_EQ(Allowed(c.body, "/star"), c.starAllowed) << c.body;
  }
}

TEST(RobotsTxt, LongestMatchDecidesAndAllowWinsTies) {
  const std::string body =
      "User-agent: *\n"
      "Disallow: /private\n"
      "Allow: /private/open\n"
      "Disallow: /*.cgi$\n"
      "Disallow: /tmp/*/cache\n"
      "Allow: /same\n"
      "Disallow: /same\n"
      "Disallow: /q?x=\n"
      "Disallow: /%7euser/\n"
      "Disallow: /a%2fb\n"
      "Disallow:\n"
      "Disallow: nodir\n";
  const struct {
    const char* path;
    bool want;
  } cases[] = {
      {"/", true},
      {"/privateer", false},
      {"/private/open/x.html", true},
      {"/private/other", false},
      {"/run.cgi", false},
      {"/run.cgi?x=1", true},
      {"/tmp/a/b/cache/z", false},
      {"/tmp/cache", true},
      {"/same", true},
      {"/q?x=1", false},
      {"/qax=1", true},
      {"/~user/page", false},
      {"/%7Euser/page", false},
      {"/a/b", true},
      {"/a%2Fb", false},
      {"/nodir", false},
      {"/robots.txt", true},
  };
  const TRobotsRules rules = ParseRobots(body, kToken);
  for (const auto& c : cases)
    EXPECT_EQ(RobotsAllowed(rules, c.path), c.want) << c.path;
}

TEST(RobotsTxt, CrawlDelayIsParsedAndCapped) {
  const struct {
    const char* line;
    double cap;
    std::optional<double> want;
  } cases[] = {
      {"Crawl-delay: 2", 10, 2.0},           {"crawl-delay: 0.5 # fast", 10, 0.5},
      {"Crawl-delay: 120", 30, 30.0},        {"Crawl-delay: soon", 10, std::nullopt},
      {"Crawl-delay: -3", 10, std::nullopt},
  };
  for (const auto& c : cases) {
    const std::string body = std::string("User-agent: *\n") + c.line + "\n";
    EXPECT_EQ(RobotsCrawlDelay(ParseRobots(body, kToken), c.cap), c.want) << c.line;
  }
}

TEST(RobotsTxt, OnlyASuccessfulAnswerRestricts) {
  const std::string body = "User-agent: *\nDisallow: /\n";
  const struct {
    int status;
    bool want;
  } cases[] = {{200, false}, {203, false}, {404, true}, {403, true},
               {500, true},  {503, true},  {0, true}};
  for (const auto& c : cases)
    EXPECT_EQ(RobotsAllowed(RobotsFromAnswer(c.status, body, kToken), "/x"), c.want) << c.status;
}

TEST(RobotsTxt, ToleratesOddBytesAndStopsAtTheSizeCap) {
  const struct {
    std::string body;
    bool want;  // whether "/x" is allowed
  } cases[] = {
      {"\xEF\xBB\xBFUser-agent: *\r\nDisallow: /x\r\n", false},
      {"User-agent: *\rDisallow: /x\r", false},
      {"  USER-AGENT :\t*  \n  disallow  :  /x  # no\n", false},
      {std::string("User-agent: *\n\0\xff\xfe garbage\nDisallow /x\n:\n", 41), true},
      {"User-agent: *\nDisallow: /x" + std::string(kRobotsMaxBytes, 'y'), true},
      {"User-agent: *\n" + std::string(kRobotsMaxBytes, '\n') + "Disallow: /x\n", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Allowed(c.body, "/x"), c.want) << c.body.substr(0, 40);
}

TEST(RobotsTxt, CacheAllowsUntilRulesArrive) {
  TRobotsCache cache;
  const std::string server = "http://127.0.0.1:8080";
  EXPECT_EQ(cache.State(server), TRobotsCache::TState::Unknown);
  cache.MarkPending(server);
  EXPECT_EQ(cache.State(server), TRobotsCache::TState::Pending);
  EXPECT_TRUE(cache.Allowed(server, "/x"));
  cache.Store(server, ParseRobots("User-agent: *\nDisallow: /x", kToken));
  EXPECT_EQ(cache.State(server), TRobotsCache::TState::Ready);
  EXPECT_FALSE(cache.Allowed(server, "/x"));
  EXPECT_TRUE(cache.Allowed("http://127.0.0.2:8080", "/x"));
}

}  // namespace
}  // namespace trawlonix
