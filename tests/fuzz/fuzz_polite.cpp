// Fuzzes the robots.txt reader, the cookie jar (Set-Cookie values, cookie
// dates, cookies.txt files) and the wildcard matcher. The first byte picks
// the part; the rest is its input. Checks the promises callers rely on:
// bounded rule counts, /robots.txt always allowed, cookies never sent to an
// unrelated host, cookies.txt output reading back to itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "polite/CookieJar.h"
#include "polite/Patterns.h"
#include "polite/RobotsTxt.h"

using namespace trawlonix;

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

constexpr std::int64_t kNow = 1800000000;

void FuzzRobots(std::string_view in) {
  const TRobotsRules rules = ParseRobots(in, "Trawlonix");
  Check(rules.Rules.size() <= kRobotsMaxRules);
  Check(RobotsAllowed(rules, "/robots.txt"));
  const std::size_t nl = in.find('\n');
  RobotsAllowed(rules, in.substr(0, nl == std::string_view::npos ? in.size() : nl));
  const auto delay = RobotsCrawlDelay(rules, 30);
  Check(!delay || (*delay >= 0 && *delay <= 30));
}

void FuzzCookies(std::string_view in) {
  TCookieJar jar;
  std::size_t start = 0;
  while (start < in.size()) {
    const std::size_t nl = std::min(in.find('\n', start), in.size());
    jar.SetCookie(in.substr(start, nl - start), "https", "www.fuzz.test", "/a/b", kNow);
    start = nl + 1;
  }
  Check(jar.Size() <= kCookiesPerDomain * 2);
  Check(jar.CookieHeader("https", "www.other.test", "/", kNow).empty());
  Check(jar.CookieHeader("https", "127.0.0.1", "/", kNow).empty());
  const std::string saved = jar.SaveNetscape(kNow, true);
  TCookieJar again;
  again.LoadNetscape(saved, kNow);
  Check(again.SaveNetscape(kNow, true) == saved);
}

void FuzzCookieFile(std::string_view in) {
  TCookieJar jar;
  jar.LoadNetscape(in, kNow);
  Check(jar.Size() <= kCookiesTotal);
  const std::string saved = jar.SaveNetscape(kNow, true);
  TCookieJar again;
  again.LoadNetscape(saved, kNow);
  Check(again.SaveNetscape(kNow, true) == saved);
  ParseCookieDate(in);
}

// Plain dynamic programming: slow, but plainly right.
bool ReferenceMatch(std::string_view p, std::string_view t, bool questionIsAny) {
  std::vector<std::vector<bool>> m(p.size() + 1, std::vector<bool>(t.size() + 1, false));
  m[0][0] = true;
  for (std::size_t i = 1; i <= p.size(); ++i)
    for (std::size_t j = 0; j <= t.size(); ++j) {
      if (p[i - 1] == '*') {
        m[i][j] = m[i - 1][j] || (j > 0 && m[i][j - 1]);
      } else if (j > 0) {
        m[i][j] = m[i - 1][j - 1] && (p[i - 1] == t[j - 1] || (questionIsAny && p[i - 1] == '?'));
      }
    }
  return m[p.size()][t.size()];
}

void FuzzWildcard(std::string_view in) {
  const std::size_t nl = in.find('\n');
  if (nl == std::string_view::npos) return;
  const std::string_view pattern = in.substr(0, nl), text = in.substr(nl + 1);
  const bool full = WildcardMatch(pattern, text);
  TWildcardOptions prefix;
  prefix.PrefixOnly = true;
  // A whole match is also a prefix match; "p*" matches exactly where p matches a prefix.
  Check(!full || WildcardMatch(pattern, text, prefix));
  Check(WildcardMatch(std::string(pattern) + "*", text) == WildcardMatch(pattern, text, prefix));
  if (pattern.size() <= 64 && text.size() <= 256) {
    TWildcardOptions literalQuestion;
    literalQuestion.QuestionIsAny = false;
    Check(full == ReferenceMatch(pattern, text, true));
    Check(WildcardMatch(pattern, text, literalQuestion) == ReferenceMatch(pattern, text, false));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view in(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 4) {
    case 0:
      FuzzRobots(in);
      break;
    case 1:
      FuzzCookies(in);
      break;
    case 2:
      FuzzCookieFile(in);
      break;
    default:
      FuzzWildcard(in);
      break;
  }
  return 0;
}
