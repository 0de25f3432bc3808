#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "polite/CookieJar.h"

namespace trawlonix {
namespace {

constexpr std::int64_t kNow = 1800000000;  // 2027-01-15

TEST(CookieDate, ReadsTheCommonSpellings) {
  const struct {
    const char* text;
    std::optional<std::int64_t> want;
  } cases[] = {
      {"Sun, 06 Nov 1994 08:49:37 GMT", 784111777},
      {"Sunday, 06-Nov-94 08:49:37 GMT", 784111777},
      {"Sun Nov  6 08:49:37 1994", 784111777},
      {"6 nov 2030 8:9:7", 1920182947},
      {"Tue, 29-Feb-2000 00:00:00 GMT", 951782400},
      {"Thu, 01 Jan 1970 00:00:00 GMT", 0},
      {"Wed, 31 Feb 2024 00:00:00 GMT", std::nullopt},
      {"Sun, 06 Nov 1994 25:00:00 GMT", std::nullopt},
      {"Sun, 06 Nov 1994", std::nullopt},
      {"tomorrow", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseCookieDate(c.text), c.want) << c.text;
}

TEST(CookieJar, RefusesCookiesAHostMayNotSet) {
  const struct {
    const char* header;
    const char* scheme;
    const char* host;
    bool want;
  } cases[] = {
      {"a=1", "http", "www.example.test", true},
      {"a=1; Domain=example.test", "http", "www.example.test", true},
      {"a=1; Domain=.WWW.example.test", "http", "www.example.test", true},
      {"a=1; Domain=other.test", "http", "www.example.test", false},
      {"a=1; Domain=ample.test", "http", "www.example.test", false},
      {"a=1; Domain=test", "http", "www.example.test", false},
      {"a=1; Domain=0.0.1", "http", "127.0.0.1", false},
      {"a=1; Domain=127.0.0.1", "http", "127.0.0.1", true},
      {"a=1; Domain=", "http", "127.0.0.1", true},
      {"a=1; Secure", "http", "127.0.0.1", false},
      {"a=1; Secure", "https", "127.0.0.1", true},
      {"novalue", "http", "127.0.0.1", false},
      {"=1", "http", "127.0.0.1", false},
      {"a=1\x01", "http", "127.0.0.1", false},
  };
  for (const auto& c : cases) {
    TCookieJar jar;
    EXPECT_EQ(jar.SetCookie(c.header, c.scheme, c.host, "/", kNow), c.want) << c.header;
  }
  TCookieJar jar;
  EXPECT_FALSE(
      jar.SetCookie("a=" + std::string(kCookieMaxSize, 'x'), "http", "127.0.0.1", "/", kNow));
  // Plain http cannot overwrite or delete what https set as Secure.
  ASSERT_TRUE(jar.SetCookie("s=1; Secure", "https", "127.0.0.1", "/", kNow));
  EXPECT_FALSE(jar.SetCookie("s=2", "http", "127.0.0.1", "/", kNow));
  EXPECT_FALSE(jar.SetCookie("s=; Max-Age=0", "http", "127.0.0.1", "/", kNow));
  EXPECT_TRUE(jar.SetCookie("s=3", "https", "127.0.0.1", "/", kNow));
  EXPECT_EQ(jar.CookieHeader("https", "127.0.0.1", "/", kNow), "s=3");
}

TEST(CookieJar, SendsCookiesOnlyWhereTheyBelong) {
  TCookieJar jar;
  const char* kSet[][2] = {
      {"www.example.test", "host=1"},
      {"www.example.test", "dom=2; Domain=example.test"},
      {"www.example.test", "deep=3; Path=/a/b"},
      {"127.0.0.1", "ip=5; Path=/"},
  };
  for (const auto& s : kSet)
    ASSERT_TRUE(jar.SetCookie(s[1], "http", s[0], "/", kNow)) << s[1];
  ASSERT_TRUE(jar.SetCookie("sec=4; Secure; Path=/", "https", "www.example.test", "/", kNow));
  ASSERT_TRUE(jar.SetCookie("def=6", "http", "www.example.test", "/x/page.html", kNow));
  const struct {
    const char* scheme;
    const char* host;
    const char* path;
    const char* want;
  } cases[] = {
      {"http", "www.example.test", "/", "host=1; dom=2"},
      {"https", "WWW.Example.Test.", "/", "host=1; dom=2; sec=4"},
      {"http", "www.example.test", "/a/b/c?q", "deep=3; host=1; dom=2"},
      {"http", "www.example.test", "/a/bc", "host=1; dom=2"},
      {"http", "www.example.test", "/x/other", "def=6; host=1; dom=2"},
      {"http", "img.example.test", "/a/b", "dom=2"},
      {"http", "example.test", "/", "dom=2"},
      {"http", "wwwexample.test", "/", ""},
      {"http", "127.0.0.2", "/", ""},
      {"http", "127.0.0.1", "/x", "ip=5"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(jar.CookieHeader(c.scheme, c.host, c.path, kNow), c.want) << c.host << c.path;
}

TEST(CookieJar, TakesTheSetCookieLinesOfAnAnswer) {
  TCookieJar jar;
  const std::vector<std::string> lines = {
      "HTTP/1.1 302 Found",     "Location: /in",      "set-cookie:  sid=abc; Path=/",
      "Set-Cookie: theme=dark", "Set-Cookie2: old=1", "Content-Type: text/html",
      "SET-COOKIE: bad"};
  EXPECT_EQ(jar.TakeSetCookieLines(lines, "http", "127.0.0.1", "/login", kNow), 2u);
  EXPECT_EQ(jar.CookieHeader("http", "127.0.0.1", "/in", kNow), "sid=abc; theme=dark");
}

TEST(CookieJar, ExpiryReplacementAndDeletion) {
  TCookieJar jar;
  const char* host = "127.0.0.1";
  ASSERT_TRUE(jar.SetCookie("a=1; Max-Age=60; Expires=Sun, 06 Nov 1994 08:49:37 GMT", "http", host,
                            "/", kNow));
  ASSERT_TRUE(jar.SetCookie("b=1; Expires=Sun, 06 Nov 2044 08:49:37 GMT", "http", host, "/", kNow));
  ASSERT_TRUE(jar.SetCookie("c=1", "http", host, "/", kNow));
  EXPECT_EQ(jar.CookieHeader("http", host, "/", kNow + 59), "a=1; b=1; c=1");
  EXPECT_EQ(jar.CookieHeader("http", host, "/", kNow + 60), "b=1; c=1");
  // Far-off dates are capped, session cookies never expire during the run.
  EXPECT_EQ(jar.CookieHeader("http", host, "/", kNow + kCookieMaxLifetime + 1), "c=1");
  ASSERT_TRUE(jar.SetCookie("a=2", "http", host, "/", kNow));
  ASSERT_TRUE(jar.SetCookie("c=2", "http", host, "/", kNow));
  // A replaced cookie keeps its place (a was set first).
  EXPECT_EQ(jar.CookieHeader("http", host, "/", kNow), "a=2; b=1; c=2");
  ASSERT_TRUE(jar.SetCookie("c=; Expires=Thu, 01 Jan 1970 00:00:00 GMT", "http", host, "/", kNow));
  ASSERT_TRUE(jar.SetCookie("b=; Max-Age=0", "http", host, "/", kNow));
  EXPECT_EQ(jar.CookieHeader("http", host, "/", kNow), "a=2");
  EXPECT_EQ(jar.Size(), 1u);
}

TEST(CookieJar, StaysWithinItsLimits) {
  TCookieJar jar;
  for (std::size_t i = 0; i <= kCookiesPerDomain; ++i)
    jar.SetCookie("n" + std::to_string(i) + "=v", "http", "127.0.0.1", "/", kNow);
  EXPECT_EQ(jar.Size(), kCookiesPerDomain);
  EXPECT_EQ(jar.CookieHeader("http", "127.0.0.1", "/", kNow).rfind("n1=v", 0), 0u);
  for (std::size_t i = 0; i < kCookiesTotal; ++i)
    jar.SetCookie("a=1", "http", "h" + std::to_string(i) + ".example.test", "/", kNow);
  EXPECT_EQ(jar.Size(), kCookiesTotal);
  EXPECT_EQ(jar.CookieHeader("http", "127.0.0.1", "/", kNow), "");
}

TEST(CookieJar, NetscapeFileRoundTrip) {
  const std::string file =
      "# Netscape HTTP Cookie File\r\n"
      ".example.test\tTRUE\t/\tFALSE\t1900000000\tdom\t1\r\n"
      "#HttpOnly_www.example.test\tFALSE\t/app\tTRUE\t0\tsess\tabc def\n"
      "www.example.test\tFALSE\t/\tFALSE\t1900000000\tempty\n"
      "www.example.test\tFALSE\t/\tFALSE\t1000\told\tx\n"
      "www.example.test\tFALSE\t/\tFALSE\tsoon\tbad\tx\n"
      "too\tfew\tfields\n"
      "\n";
  TCookieJar jar;
  EXPECT_EQ(jar.LoadNetscape(file, kNow), 3u);
  EXPECT_EQ(jar.CookieHeader("https", "www.example.test", "/app/x", kNow),
            "sess=abc def; dom=1; empty=");
  EXPECT_EQ(jar.CookieHeader("http", "img.example.test", "/", kNow), "dom=1");
  const std::string persistent = jar.SaveNetscape(kNow, false);
  EXPECT_EQ(persistent,
            "# Netscape HTTP Cookie File\n\n"
            ".example.test\tTRUE\t/\tFALSE\t1900000000\tdom\t1\n"
            "www.example.test\tFALSE\t/\tFALSE\t1900000000\tempty\t\n");
  const std::string all = jar.SaveNetscape(kNow, true);
  TCookieJar again;
  EXPECT_EQ(again.LoadNetscape(all, kNow), 3u);
  EXPECT_EQ(again.SaveNetscape(kNow, true), all);
}

}  // namespace
}  // namespace trawlonix
