// Small pieces of the HTTP client that need no connection: splitting a URL
// (with the program's URL parser) into what a request needs, where a
// relocation leads, the If-Modified-Since date
// and Base64.
#include <QDate>
#include <QTime>
#include <cctype>

#include "base/Text.h"
#include "net/HttpProt.h"
#include "url/urlparser.h"

namespace trawlonix {

namespace {

using text::StartsWithNoCase;

bool IsWebScheme(std::string_view s) {
  return (s.size() == 4 && StartsWithNoCase(s, "http")) ||
         (s.size() == 5 && StartsWithNoCase(s, "https"));
}

}  // namespace

THttpURLParts ParseHttpURL(std::string_view text) {
  THttpURLParts p;
  if (text.empty()) return p;
  const std::size_t sep = text.find("://");
  const bool networkPath = text.size() >= 2 && text[0] == '/' && text[1] == '/';
  if (sep == std::string_view::npos && !networkPath && text[0] == '/') {
    p.Scheme = "http";  // a path alone
    p.Path = text;
    return p;
  }
  // The URL parser reads "http:/x" and "mailto:a@b" as they are; any other
  // text without "://" is an authority ("proxy:3128", "host").
  const bool ownForm = StartsWithNoCase(text, "http:") || StartsWithNoCase(text, "mailto:");
  std::string prefixed;
  if (sep == std::string_view::npos && !networkPath && !ownForm) {
    prefixed = "http://" + std::string(text);
  }
  TURL u;
  std::string fragment;
  ParseURL(prefixed.empty() ? text : std::string_view(prefixed), true, u, fragment);
  if (sep != std::string_view::npos) {
    p.Scheme = text.substr(0, sep);  // as written: a proxy is asked in the URL's own spelling
  } else if (prefixed.empty()) {
    p.Scheme = u.Protocol.empty() ? "http" : u.Protocol;
  }
  p.User = u.User;
  p.Password = u.Password;
  p.Host = u.Host;
  p.Port = u.Port;
  if (u.Protocol == "mailto") return p;
  if (u.Protocol == "http" && sep == std::string_view::npos && !networkPath) {
    p.Path = u.FileName;  // "http:/x": a path without a host
    return p;
  }
  // Nothing after the authority: no path (the request then asks for "/").
  const std::size_t authority = sep != std::string_view::npos ? sep + 3 : networkPath ? 2 : 0;
  if (prefixed.empty() && text.find_first_of("/\\?#", authority) == std::string_view::npos)
    return p;
  if (!prefixed.empty() && text.find_first_of("/\\?#") == std::string_view::npos) return p;
  p.Path = u.Path + u.FileName;
  if (!u.Query.empty()) p.Path += "?" + u.Query;
  return p;
}

std::string HttpDate(const QDateTime& when) {
  QDateTime utc = when.toUTC();
  QDate d = utc.date();
  QTime t = utc.time();
  static const char kDays[] = "MonTueWedThuFriSatSun";
  static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  int dow = d.dayOfWeek();  // 1 = Monday
  int month = d.month();
  if (dow < 1 || dow > 7 || month < 1 || month > 12) return std::string();
  char text[64];
  std::snprintf(text, sizeof text, "%.3s, %2.2d %.3s %4.4d %2.2d:%2.2d:%2.2d",
                kDays + (dow - 1) * 3, d.day(), kMonths + (month - 1) * 3, d.year(), t.hour(),
                t.minute(), t.second());
  return text;
}

std::string Base64Encode(std::string_view data) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((data.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < data.size(); i += 3) {
    unsigned v = (static_cast<unsigned char>(data[i]) << 16) |
                 (static_cast<unsigned char>(data[i + 1]) << 8) |
                 static_cast<unsigned char>(data[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  std::size_t left = data.size() - i;
  if (left > 0) {
    unsigned v = static_cast<unsigned char>(data[i]) << 16;
    if (left == 2) v |= static_cast<unsigned char>(data[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += left == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

void THttpCli::ComputeLocation(const std::string& value) {
  // A direct request went out in the scheme the client speaks (http or
  // https, whatever case the URL had); a proxy is asked for the URL's own
  // scheme as written. The origin keeps the port the request went to.
  const std::string scheme = viaProxy_ ? urlScheme_ : std::string(secure_ ? "https" : "http");
  const std::string origin = scheme + "://" + urlHost_ + (urlPort_.empty() ? "" : ":" + urlPort_);
  std::string_view ref = value;
  if (ref.find("://") == std::string_view::npos && ref.size() >= 5 &&
      (ref[0] == 'h' || ref[0] == 'H') && (ref[1] == 't' || ref[1] == 'T') &&
      (ref[2] == 't' || ref[2] == 'T') && (ref[3] == 'p' || ref[3] == 'P') && ref[4] == ':') {
    ref.remove_prefix(5);  // "http:/x" or "http:x": a scheme without a host
  }
  const std::string pathNoQuery = urlPath_.substr(0, urlPath_.find('?'));
  // A Location in another scheme without a host ("file:///etc/passwd",
  // "javascript:...", "mailto:...") names nothing on this server: it is passed
  // on as sent instead of being read as a path here. Only http and https are
  // followed.
  std::size_t schemeEnd = 0;
  while (schemeEnd < ref.size() &&
         (std::isalnum(static_cast<unsigned char>(ref[schemeEnd])) || ref[schemeEnd] == '+' ||
          ref[schemeEnd] == '-' || ref[schemeEnd] == '.'))
    ++schemeEnd;
  if (schemeEnd > 0 && schemeEnd < ref.size() && ref[schemeEnd] == ':' &&
      std::isalpha(static_cast<unsigned char>(ref[0])) && !IsWebScheme(ref.substr(0, schemeEnd)) &&
      (ref.find("://") != schemeEnd || ParseHttpURL(ref).Host.empty())) {
    location_ = std::string(ref);
    return;
  }
  if (ref.empty()) {
    location_ = URL;
  } else if (ref.rfind("//", 0) == 0) {
    location_ = scheme + ":" + std::string(ref);  // network-path reference
  } else if (ref[0] == '/') {
    location_ = origin + std::string(ref);
  } else if (ref.find("://") != std::string_view::npos) {
    THttpURLParts l = ParseHttpURL(ref);
    if (l.Host.empty()) {
      location_ = origin + (l.Path.empty() ? "/" : l.Path);
    } else {
      // User information is dropped; the port stays.
      location_ = l.Scheme + "://" + l.Host + (l.Port.empty() ? "" : ":" + l.Port) +
                  (l.Path.empty() ? "/" : l.Path);
    }
  } else if (ref[0] == '?') {
    location_ = origin + pathNoQuery + std::string(ref);  // same document, other query
  } else if (ref[0] == '#') {
    location_ = origin + urlPath_ + std::string(ref);
  } else {
    // Relative reference: against the directory of the requested document.
    std::string dir = pathNoQuery.substr(0, pathNoQuery.rfind('/') + 1);
    if (dir.empty()) dir = "/";
    location_ = origin + dir + std::string(ref);
  }
}

}  // namespace trawlonix
