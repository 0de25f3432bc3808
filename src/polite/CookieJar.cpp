#include "polite/CookieJar.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "polite/AsciiText.h"

namespace trawlonix {

namespace {

using ascii::Trim;

// Set-Cookie values longer than this are refused before they are looked at.
constexpr std::size_t kMaxHeader = 2 * kCookieMaxSize;
constexpr std::size_t kMaxPath = 1024;

bool HasControl(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
}

// What a host name in a cookies.txt line may hold (addresses included).
bool IsHostText(std::string_view s) {
  for (char c : s)
    if (!ascii::IsAlpha(c) && !ascii::IsDigit(c) && c != '.' && c != '-' && c != '_' && c != ':' &&
        c != '[' && c != ']')
      return false;
  return !s.empty();
}

bool IsIpAddress(std::string_view host) {
  if (host.find(':') != std::string_view::npos || host.find('[') != std::string_view::npos)
    return true;
  if (host.empty()) return false;
  for (char c : host)
    if (!ascii::IsDigit(c) && c != '.') return false;
  return true;
}

std::string CanonicalHost(std::string_view host) {
  std::string h = ascii::LowerCopy(host);
  while (!h.empty() && h.back() == '.')
    h.pop_back();
  return h;
}

// The host lies at or below `domain`, and is a name (no address lies below anything).
bool DomainMatches(std::string_view host, std::string_view domain) {
  if (host == domain) return true;
  return !IsIpAddress(host) && host.size() > domain.size() &&
         host.substr(host.size() - domain.size()) == domain &&
         host[host.size() - domain.size() - 1] == '.';
}

bool PathMatches(std::string_view requestPath, std::string_view cookiePath) {
  if (requestPath.substr(0, cookiePath.size()) != cookiePath) return false;
  return requestPath.size() == cookiePath.size() || cookiePath.back() == '/' ||
         requestPath[cookiePath.size()] == '/';
}

std::string_view PathOnly(std::string_view path) {
  path = path.substr(0, std::min(path.find_first_of("?#"), path.size()));
  return (path.empty() || path.front() != '/') ? std::string_view("/") : path;
}

std::string DefaultPath(std::string_view requestPath) {
  const std::string_view path = PathOnly(requestPath);
  const std::size_t slash = path.rfind('/');
  if (slash == 0 || slash > kMaxPath || HasControl(path.substr(0, slash))) return "/";
  return std::string(path.substr(0, slash));
}

std::optional<std::int64_t> ParseSeconds(std::string_view v) {
  std::int64_t n = 0;
  if (v.empty() || !(ascii::IsDigit(v.front()) || v.front() == '-')) return std::nullopt;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  if (end != v.data() + v.size()) return std::nullopt;
  if (ec == std::errc::result_out_of_range)
    return v.front() == '-' ? std::numeric_limits<std::int64_t>::min()
                            : std::numeric_limits<std::int64_t>::max();
  if (ec != std::errc()) return std::nullopt;
  return n;
}

struct TAttributes {
  std::optional<std::int64_t> Expires, MaxAge;
  std::optional<std::string> Domain, Path;
  bool Secure = false, HttpOnly = false;
};

TAttributes ReadAttributes(std::string_view rest) {
  TAttributes a;
  while (!rest.empty()) {
    const std::size_t semi = std::min(rest.find(';'), rest.size());
    const std::string_view item = rest.substr(0, semi);
    rest.remove_prefix(std::min(semi + 1, rest.size()));
    const std::size_t eq = std::min(item.find('='), item.size());
    const std::string key = ascii::LowerCopy(Trim(item.substr(0, eq)));
    const std::string_view value = Trim(item.substr(std::min(eq + 1, item.size())));
    if (key == "expires") {
      if (const auto t = ParseCookieDate(value)) a.Expires = t;
    } else if (key == "max-age") {
      if (const auto n = ParseSeconds(value)) a.MaxAge = n;
    } else if (key == "domain") {
      std::string_view d = value;
      if (!d.empty() && d.front() == '.') d.remove_prefix(1);
      if (!d.empty()) a.Domain = CanonicalHost(d);  // an empty Domain counts as none
    } else if (key == "path") {
      a.Path =
          (value.empty() || value.front() != '/' || value.size() > kMaxPath || HasControl(value))
              ? std::optional<std::string>()
              : std::string(value);
    } else if (key == "secure") {
      a.Secure = true;
    } else if (key == "httponly") {
      a.HttpOnly = true;
    }
  }
  return a;
}

// Expiry of a Set-Cookie as Unix seconds: 0 for a session cookie, a time at
// or before `now` for one that is already gone; never further than the cap.
std::int64_t ExpiryOf(const TAttributes& a, std::int64_t now) {
  constexpr std::int64_t kGone = std::numeric_limits<std::int64_t>::min();
  const std::int64_t latest = now + kCookieMaxLifetime;
  if (a.MaxAge) return *a.MaxAge <= 0 ? kGone : now + std::min(*a.MaxAge, kCookieMaxLifetime);
  // The common "expire at 1970-01-01" deletion must not read as the 0 of a session cookie.
  if (a.Expires) return *a.Expires <= now ? kGone : std::min(*a.Expires, latest);
  return 0;
}

}  // namespace

bool TCookieJar::SetCookie(std::string_view header, std::string_view scheme, std::string_view host,
                           std::string_view requestPath, std::int64_t now) {
  if (header.size() > kMaxHeader) return false;
  const std::size_t semi = std::min(header.find(';'), header.size());
  const std::string_view pair = header.substr(0, semi);
  const std::size_t eq = pair.find('=');
  if (eq == std::string_view::npos) return false;
  TCookie c;
  c.Name = std::string(Trim(pair.substr(0, eq)));
  c.Value = std::string(Trim(pair.substr(eq + 1)));
  if (c.Name.empty() || c.Name.size() + c.Value.size() > kCookieMaxSize || HasControl(c.Name) ||
      HasControl(c.Value))
    return false;
  const TAttributes a = ReadAttributes(header.substr(std::min(semi + 1, header.size())));
  const std::string h = CanonicalHost(host);
  if (h.empty()) return false;
  c.Domain = h;
  if (a.Domain && *a.Domain != h) {
    // A Domain must contain the host, and must not be a bare top label like
    // "com": a cookie for every host below it would reach strangers.
    if (a.Domain->find('.') == std::string::npos || !DomainMatches(h, *a.Domain)) return false;
    c.Domain = *a.Domain;
    c.HostOnly = false;
  }
  c.Path = a.Path ? *a.Path : DefaultPath(requestPath);
  // Plain http may neither set a Secure cookie nor replace or delete one.
  if (!ascii::EqualNoCase(scheme, "https") && (a.Secure || HoldsSecure(c))) return false;
  c.Secure = a.Secure;
  c.HttpOnly = a.HttpOnly;
  c.Expires = ExpiryOf(a, now);
  if (c.Expires != 0 && c.Expires <= now) {
    Remove(c);
    return true;
  }
  Insert(std::move(c), now);
  return true;
}

std::size_t TCookieJar::TakeSetCookieLines(const std::vector<std::string>& headerLines,
                                           std::string_view scheme, std::string_view host,
                                           std::string_view requestPath, std::int64_t now) {
  constexpr std::string_view kField = "set-cookie:";
  std::size_t taken = 0;
  for (const std::string& line : headerLines)
    if (ascii::EqualNoCase(std::string_view(line).substr(0, kField.size()), kField) &&
        SetCookie(Trim(std::string_view(line).substr(kField.size())), scheme, host, requestPath,
                  now))
      ++taken;
  return taken;
}

bool TCookieJar::HoldsSecure(const TCookie& like) const {
  const auto it = byDomain_.find(like.Domain);
  return it != byDomain_.end() &&
         std::any_of(it->second.begin(), it->second.end(), [&](const TCookie& c) {
           return c.Secure && c.Name == like.Name && c.Path == like.Path;
         });
}

void TCookieJar::Remove(const TCookie& like) {
  const auto it = byDomain_.find(like.Domain);
  if (it == byDomain_.end()) return;
  auto& list = it->second;
  const auto old = std::find_if(list.begin(), list.end(), [&](const TCookie& c) {
    return c.Name == like.Name && c.Path == like.Path;
  });
  if (old == list.end()) return;
  list.erase(old);
  --total_;
  if (list.empty()) byDomain_.erase(it);
}

void TCookieJar::EvictOldest(std::vector<TCookie>* within) {
  std::vector<TCookie>* from = within;
  std::vector<TCookie>::iterator oldest;
  if (from == nullptr) {
    // Whole jar: the oldest cookie of all domains.
    std::uint64_t best = std::numeric_limits<std::uint64_t>::max();
    for (auto& [domain, list] : byDomain_)
      for (auto it = list.begin(); it != list.end(); ++it)
        if (it->Order < best) best = it->Order, from = &list, oldest = it;
    if (from == nullptr) return;
  } else {
    oldest = std::min_element(from->begin(), from->end(),
                              [](const TCookie& x, const TCookie& y) { return x.Order < y.Order; });
  }
  const std::string domain = oldest->Domain;
  from->erase(oldest);
  --total_;
  if (from->empty()) byDomain_.erase(domain);
}

void TCookieJar::Insert(TCookie cookie, std::int64_t now) {
  auto& list = byDomain_[cookie.Domain];
  const auto same = std::find_if(list.begin(), list.end(), [&](const TCookie& c) {
    return c.Name == cookie.Name && c.Path == cookie.Path;
  });
  if (same != list.end()) {
    cookie.Order = same->Order;  // a replaced cookie keeps its place in the header
    *same = std::move(cookie);
    return;
  }
  if (list.size() >= kCookiesPerDomain) {
    std::erase_if(list, [&](const TCookie& c) {
      const bool gone = c.Expires != 0 && c.Expires <= now;
      total_ -= gone ? 1 : 0;
      return gone;
    });
    if (list.size() >= kCookiesPerDomain) EvictOldest(&list);
  }
  cookie.Order = nextOrder_++;
  const std::string domain = cookie.Domain;
  byDomain_[domain].push_back(std::move(cookie));
  ++total_;
  if (total_ > kCookiesTotal) EvictOldest(nullptr);
}

std::string TCookieJar::CookieHeader(std::string_view scheme, std::string_view host,
                                     std::string_view path, std::int64_t now) const {
  const std::string h = CanonicalHost(host);
  const std::string_view p = PathOnly(path);
  const bool https = ascii::EqualNoCase(scheme, "https");
  std::vector<const TCookie*> chosen;
  std::string_view domain = h;
  while (!domain.empty()) {
    const auto it = byDomain_.find(std::string(domain));
    if (it != byDomain_.end())
      for (const TCookie& c : it->second)
        if ((!c.HostOnly || c.Domain == h) && (c.Expires == 0 || c.Expires > now) &&
            (https || !c.Secure) && PathMatches(p, c.Path))
          chosen.push_back(&c);
    // Parent domains only for names; an address has none.
    const std::size_t dot = domain.find('.');
    if (IsIpAddress(h) || dot == std::string_view::npos) break;
    domain.remove_prefix(dot + 1);
  }
  std::sort(chosen.begin(), chosen.end(), [](const TCookie* x, const TCookie* y) {
    return x->Path.size() != y->Path.size() ? x->Path.size() > y->Path.size() : x->Order < y->Order;
  });
  std::string out;
  for (const TCookie* c : chosen) {
    if (!out.empty()) out += "; ";
    out += c->Name + "=" + c->Value;
  }
  return out;
}

void TCookieJar::RemoveExpired(std::int64_t now) {
  for (auto it = byDomain_.begin(); it != byDomain_.end();) {
    total_ -= std::erase_if(it->second,
                            [&](const TCookie& c) { return c.Expires != 0 && c.Expires <= now; });
    it = it->second.empty() ? byDomain_.erase(it) : std::next(it);
  }
}

std::size_t TCookieJar::LoadNetscape(std::string_view text, std::int64_t now) {
  std::size_t taken = 0;
  while (!text.empty()) {
    const std::size_t nl = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, nl);
    text.remove_prefix(std::min(nl + 1, text.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    TCookie c;
    constexpr std::string_view kHttpOnly = "#HttpOnly_";
    if (line.substr(0, kHttpOnly.size()) == kHttpOnly) {
      c.HttpOnly = true;
      line.remove_prefix(kHttpOnly.size());
    } else if (line.empty() || line.front() == '#') {
      continue;
    }
    std::string_view f[7];
    std::size_t n = 0;
    for (; n < 7 && !line.empty(); ++n) {
      const std::size_t tab = std::min(line.find('\t'), line.size());
      f[n] = line.substr(0, tab);
      line.remove_prefix(std::min(tab + 1, line.size()));
    }
    // Some writers leave out an empty value, leaving six fields.
    const auto expires = ParseSeconds(f[4]);
    if (n < 6 || !line.empty() || f[0].empty() || f[5].empty() || !expires || *expires < 0)
      continue;
    c.HostOnly = f[0].front() != '.' && f[1] != "TRUE";
    c.Domain = CanonicalHost(f[0].front() == '.' ? f[0].substr(1) : f[0]);
    if (c.Domain.empty() || c.Domain.find('.') == std::string::npos) c.HostOnly = true;
    c.Path = (f[2].empty() || f[2].front() != '/') ? std::string("/") : std::string(f[2]);
    c.Secure = f[3] == "TRUE";
    c.Expires = *expires;  // the user's own file: its dates are kept as they are
    c.Name = std::string(f[5]);
    c.Value = std::string(f[6]);
    if ((c.Expires != 0 && c.Expires <= now) || !IsHostText(c.Domain) || HasControl(c.Name) ||
        HasControl(c.Value) || HasControl(c.Path) ||
        c.Name.size() + c.Value.size() > kCookieMaxSize || c.Path.size() > kMaxPath)
      continue;
    Insert(std::move(c), now);
    ++taken;
  }
  return taken;
}

std::string TCookieJar::SaveNetscape(std::int64_t now, bool withSessionCookies) const {
  std::string out = "# Netscape HTTP Cookie File\n\n";
  for (const auto& [domain, list] : byDomain_) {
    std::vector<const TCookie*> sorted;
    for (const TCookie& c : list)
      if (c.Expires == 0 ? withSessionCookies : c.Expires > now) sorted.push_back(&c);
    std::sort(sorted.begin(), sorted.end(),
              [](const TCookie* x, const TCookie* y) { return x->Order < y->Order; });
    for (const TCookie* c : sorted) {
      out += c->HttpOnly ? "#HttpOnly_" : "";
      out += (c->HostOnly ? "" : ".") + c->Domain;
      out += c->HostOnly ? "\tFALSE\t" : "\tTRUE\t";
      out += c->Path;
      out += c->Secure ? "\tTRUE\t" : "\tFALSE\t";
      out += std::to_string(c->Expires) + "\t" + c->Name + "\t" + c->Value + "\n";
    }
  }
  return out;
}

}  // namespace trawlonix
