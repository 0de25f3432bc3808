#include "polite/RobotsTxt.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "polite/AsciiText.h"
#include "polite/Patterns.h"

namespace trawlonix {

namespace {

using ascii::EqualNoCase;
using ascii::LowerCopy;
using ascii::Trim;

// "Trawlonix/2.7 (+info)" names the product "Trawlonix".
std::string_view ProductToken(std::string_view value) {
  std::size_t n = 0;
  while (n < value.size() && (ascii::IsAlpha(value[n]) || value[n] == '_' || value[n] == '-'))
    ++n;
  return value.substr(0, n);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsUnreserved(unsigned char c) {
  return ascii::IsAlpha(static_cast<char>(c)) || ascii::IsDigit(static_cast<char>(c)) || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

void AppendEscape(std::string& out, unsigned char c) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

std::optional<double> ParseDelay(std::string_view value) {
  double d = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), d);
  if (ec != std::errc() || end == value.data() || !std::isfinite(d) || d < 0) return std::nullopt;
  return d;
}

// What the lines meant for one audience: this program's token, or "*".
struct TAudience {
  bool Named = false;  // at least one group names it
  TRobotsRules Rules;

  void AddRule(std::string_view value, bool allow) {
    if (value.empty() || Rules.Rules.size() >= kRobotsMaxRules) return;
    std::string pattern;
    if (value.front() != '/' && value.front() != '*') pattern = "/";
    pattern += NormaliseRobotsPath(value);
    if (pattern.size() > kRobotsMaxPattern) return;
    Rules.Rules.push_back({std::move(pattern), allow});
  }
  void AddDelay(std::optional<double> d) {
    if (d && (!Rules.CrawlDelay || *d > *Rules.CrawlDelay)) Rules.CrawlDelay = d;
  }
};

struct TRobotsParser {
  std::string_view Token;
  TAudience Own, Star;
  bool InAgentLines = false;
  bool GroupOwn = false, GroupStar = false;

  void Line(std::string_view line) {
    const std::size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = line.substr(0, hash);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return;
    const std::string key = LowerCopy(Trim(line.substr(0, colon)));
    const std::string_view value = Trim(line.substr(colon + 1));
    if (key == "user-agent" || key == "useragent" || key == "user agent") {
      if (!InAgentLines) GroupOwn = GroupStar = false;
      InAgentLines = true;
      if (value == "*") {
        GroupStar = Star.Named = true;
      } else if (!Token.empty() && EqualNoCase(ProductToken(value), Token)) {
        GroupOwn = Own.Named = true;
      }
      return;
    }
    const bool allow = key == "allow";
    if (allow || key == "disallow") {
      InAgentLines = false;
      if (GroupOwn) Own.AddRule(value, allow);
      if (GroupStar) Star.AddRule(value, allow);
    } else if (key == "crawl-delay") {
      InAgentLines = false;
      const auto d = ParseDelay(value);
      if (GroupOwn) Own.AddDelay(d);
      if (GroupStar) Star.AddDelay(d);
    }
    // Other lines (Sitemap, Host, unknown ones) neither add rules nor end a group.
  }
};

}  // namespace

std::string NormaliseRobotsPath(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (c == '%' && i + 2 < path.size() && HexValue(path[i + 1]) >= 0 &&
        HexValue(path[i + 2]) >= 0) {
      const auto v = static_cast<unsigned char>(HexValue(path[i + 1]) * 16 + HexValue(path[i + 2]));
      if (IsUnreserved(v)) {
        out += static_cast<char>(v);
      } else {
        AppendEscape(out, v);
      }
      i += 2;
    } else if (c == '%' || c <= 0x20 || c >= 0x7F) {
      AppendEscape(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

TRobotsRules ParseRobots(std::string_view body, std::string_view agentToken) {
  if (body.size() > kRobotsMaxBytes) {
    // A line cut in two could widen an Allow rule: drop the partial last line.
    body = body.substr(0, kRobotsMaxBytes);
    const std::size_t lastBreak = body.find_last_of("\r\n");
    body = body.substr(0, lastBreak == std::string_view::npos ? 0 : lastBreak);
  }
  if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
  TRobotsParser parser;
  parser.Token = ProductToken(agentToken);
  while (!body.empty()) {
    const std::size_t end = std::min(body.find_first_of("\r\n"), body.size());
    parser.Line(body.substr(0, end));
    body.remove_prefix(std::min(end + 1, body.size()));
  }
  if (parser.Own.Named) return std::move(parser.Own.Rules);
  if (parser.Star.Named) return std::move(parser.Star.Rules);
  return {};
}

TRobotsRules RobotsFromAnswer(int status, std::string_view body, std::string_view agentToken) {
  if (status >= 200 && status <= 299) return ParseRobots(body, agentToken);
  return {};
}

bool RobotsAllowed(const TRobotsRules& rules, std::string_view pathAndQuery) {
  if (rules.Rules.empty()) return true;
  std::string path = NormaliseRobotsPath(pathAndQuery);
  if (path.empty() || path.front() != '/') path.insert(0, 1, '/');
  if (path == "/robots.txt") return true;
  TWildcardOptions options;
  options.QuestionIsAny = false;
  std::size_t bestLength = 0;
  bool bestAllow = true, found = false;
  for (const TRobotsRule& rule : rules.Rules) {
    std::string_view pattern = rule.Pattern;
    options.PrefixOnly = !(pattern.size() > 0 && pattern.back() == '$');
    if (!options.PrefixOnly) pattern.remove_suffix(1);
    if (found && rule.Pattern.size() < bestLength) continue;
    if (!WildcardMatch(pattern, path, options)) continue;
    if (!found || rule.Pattern.size() > bestLength) {
      bestAllow = rule.Allow;
    } else {
      bestAllow = bestAllow || rule.Allow;
    }
    found = true;
    bestLength = rule.Pattern.size();
  }
  return bestAllow;
}

std::optional<double> RobotsCrawlDelay(const TRobotsRules& rules, double maxSeconds) {
  if (!rules.CrawlDelay) return std::nullopt;
  return std::min(*rules.CrawlDelay, std::max(0.0, maxSeconds));
}

TRobotsCache::TState TRobotsCache::State(const std::string& server) const {
  const auto it = servers_.find(server);
  if (it == servers_.end()) return TState::Unknown;
  return it->second ? TState::Ready : TState::Pending;
}

void TRobotsCache::MarkPending(const std::string& server) {
  servers_.try_emplace(server);
}

void TRobotsCache::Store(const std::string& server, TRobotsRules rules) {
  servers_[server] = std::move(rules);
}

const TRobotsRules* TRobotsCache::Find(const std::string& server) const {
  const auto it = servers_.find(server);
  return (it == servers_.end() || !it->second) ? nullptr : &*it->second;
}

bool TRobotsCache::Allowed(const std::string& server, std::string_view pathAndQuery) const {
  const TRobotsRules* rules = Find(server);
  return rules == nullptr || RobotsAllowed(*rules, pathAndQuery);
}

}  // namespace trawlonix
