// The cookie jar of one run: cookies a server sets are kept by domain, path
// and name and sent back on later requests to the hosts they belong to, and
// never to any other host. Loads and saves the Netscape cookies.txt format
// that browsers export. All times are Unix seconds given by the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trawlonix {

// Name and value together; a larger cookie is refused.
inline constexpr std::size_t kCookieMaxSize = 4096;
inline constexpr std::size_t kCookiesPerDomain = 50;
inline constexpr std::size_t kCookiesTotal = 3000;
// Expiry dates further ahead are brought back to this many seconds.
inline constexpr std::int64_t kCookieMaxLifetime = 400LL * 24 * 3600;

struct TCookie {
  std::string Name;
  std::string Value;
  std::string Domain;    // lower case, no leading dot
  std::string Path;      // starts with "/"
  bool HostOnly = true;  // false: also sent to every host below Domain
  bool Secure = false;   // sent over https only
  bool HttpOnly = false;
  std::int64_t Expires = 0;  // Unix seconds; 0 = a session cookie that ends with the run
  std::uint64_t Order = 0;   // creation order; older cookies go first in the header
};

// A cookie date ("Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94
// 08:49:37 GMT", "Sun Nov  6 08:49:37 1994" and other tolerable spellings)
// as Unix seconds; nullopt for a date that cannot be read or does not exist.
std::optional<std::int64_t> ParseCookieDate(std::string_view text);

class TCookieJar {
 public:
  // Takes one Set-Cookie value received from `scheme`://`host` (no port) for
  // `requestPath`. Returns false when the cookie is refused (bad syntax, too
  // big, a Domain the host does not belong to, Secure over plain http, or
  // plain http replacing a Secure cookie). A
  // cookie that has already expired removes its stored namesake.
  bool SetCookie(std::string_view header, std::string_view scheme, std::string_view host,
                 std::string_view requestPath, std::int64_t now);

  // Takes the cookies of every "Set-Cookie:" line among an answer's header
  // lines (the field name in any case; other lines are skipped). Returns the
  // number taken.
  std::size_t TakeSetCookieLines(const std::vector<std::string>& headerLines,
                                 std::string_view scheme, std::string_view host,
                                 std::string_view requestPath, std::int64_t now);

  // The value of the Cookie request header for a request (empty: send none).
  std::string CookieHeader(std::string_view scheme, std::string_view host, std::string_view path,
                           std::int64_t now) const;

  // Adds the cookies of a cookies.txt file (lines "domain, subdomains flag,
  // path, secure, expiry, name, value" separated by tabs, "#HttpOnly_"
  // before the domain of HttpOnly cookies, "#" comments). Malformed lines
  // and expired cookies are skipped. Returns the number of cookies taken.
  std::size_t LoadNetscape(std::string_view text, std::int64_t now);
  // The cookies as a cookies.txt file; session cookies only when asked.
  std::string SaveNetscape(std::int64_t now, bool withSessionCookies) const;

  void RemoveExpired(std::int64_t now);
  std::size_t Size() const { return total_; }

 private:
  void Insert(TCookie cookie, std::int64_t now);
  void Remove(const TCookie& like);
  bool HoldsSecure(const TCookie& like) const;
  void EvictOldest(std::vector<TCookie>* within);

  std::map<std::string, std::vector<TCookie>> byDomain_;
  std::size_t total_ = 0;
  std::uint64_t nextOrder_ = 1;
};

}  // namespace trawlonix
