// robots.txt: the rules a server publishes for crawlers, reduced to the one
// group that applies to this program, and the cache that holds them per
// server for the length of a run.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trawlonix {

// Only this much of a robots.txt is read; the rest is ignored (big files are
// almost always mistakes, and a server must not be able to tie up memory).
inline constexpr std::size_t kRobotsMaxBytes = 512 * 1024;
// Rules kept from the chosen group; later ones are dropped.
inline constexpr std::size_t kRobotsMaxRules = 4096;
// A rule path longer than this is dropped (no real site needs one).
inline constexpr std::size_t kRobotsMaxPattern = 2048;

struct TRobotsRule {
  std::string Pattern;  // percent escapes normalised; may hold "*" and a final "$"
  bool Allow = false;
};

struct TRobotsRules {
  std::vector<TRobotsRule> Rules;
  std::optional<double> CrawlDelay;  // seconds, as the file says (not capped)
};

// Picks the group for `agentToken` (e.g. "Trawlonix"): every group whose
// User-agent names that product token, compared without regard to case;
// failing that every "*" group; failing that no rules at all. Consecutive
// User-agent lines open one group. Never fails: unknown or broken lines are
// skipped.
TRobotsRules ParseRobots(std::string_view body, std::string_view agentToken);

// The rules for an answer to "GET /robots.txt". Only a 2xx answer is parsed.
// 4xx (usually 404) means the server has no rules: everything is allowed.
// 5xx, no answer, or a time-out (status 0) also allow everything, for this
// run only: an unreachable robots.txt must never stop or stall the crawl.
TRobotsRules RobotsFromAnswer(int status, std::string_view body, std::string_view agentToken);

// Whether `pathAndQuery` ("/a/b.html?x=1") may be fetched: the longest
// matching pattern decides, Allow wins a tie, no match allows.
// "/robots.txt" itself is always allowed.
bool RobotsAllowed(const TRobotsRules& rules, std::string_view pathAndQuery);

// The crawl delay to honour: the file's value capped at `maxSeconds`.
std::optional<double> RobotsCrawlDelay(const TRobotsRules& rules, double maxSeconds);

// Percent escapes in a robots path: escapes of unreserved characters are
// decoded, other escapes get upper-case hex digits, and bytes outside
// printable ASCII are escaped, so "/%7ea" and "/~a" compare equal while
// "/a%2Fb" and "/a/b" stay different.
std::string NormaliseRobotsPath(std::string_view path);

// The rules of every server met in one run, keyed by the caller's server key
// (e.g. "http://127.0.0.1:8080"). A server is Unknown until its robots.txt is
// requested, Pending while that request runs, and Ready afterwards.
class TRobotsCache {
 public:
  enum class TState { Unknown, Pending, Ready };

  TState State(const std::string& server) const;
  void MarkPending(const std::string& server);
  void Store(const std::string& server, TRobotsRules rules);
  // Null unless Ready.
  const TRobotsRules* Find(const std::string& server) const;
  // Ready servers allow by their rules; Unknown and Pending ones allow all.
  bool Allowed(const std::string& server, std::string_view pathAndQuery) const;

 private:
  std::map<std::string, std::optional<TRobotsRules>> servers_;
};

}  // namespace trawlonix
