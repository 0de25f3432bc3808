// Small pieces of the HTTP client that need no connection: splitting a URL the
// way the client does, the If-Modified-Since date and Base64.
#include <QDate>
#include <QTime>

#include "net/HttpProt.h"

namespace trawlonix {

namespace {

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char a = s[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != prefix[i]) return false;
  }
  return true;
}

}  // namespace

THttpURLParts ParseHttpURL(std::string_view text) {
  THttpURLParts p;
  if (text.empty()) return p;
  std::string_view rest;
  if (std::size_t pos = text.find("://"); pos != std::string_view::npos) {
    p.Scheme = text.substr(0, pos);
    rest = text.substr(pos + 3);
  } else if (text[0] == '/') {
    p.Scheme = "http";
    if (text.size() < 2 || text[1] != '/') {
      p.Path = text;
      return p;
    }
    rest = text.substr(2);  // "//host/path": the authority follows the two slashes
  } else if (StartsWithNoCase(text, "http:")) {
    p.Scheme = "http";
    if (text.size() > 6 && text[6] != '/') {
      p.Path = text.substr(5);
      return p;
    }
    rest = text.size() > 6 ? text.substr(6) : std::string_view();
  } else if (StartsWithNoCase(text, "mailto:")) {
    p.Scheme = "mailto";
    rest = text.substr(text.find(':') + 1);
  } else {
    rest = text;
  }

  std::size_t slash = rest.find('/');
  std::string_view authority = rest.substr(0, slash);
  if (slash != std::string_view::npos) p.Path = rest.substr(slash);

  std::size_t colon = authority.rfind(':');
  std::size_t at = authority.rfind('@');
  // The colons of an IPv6 literal ("[::1]") are not the port's.
  if (const std::size_t close = authority.rfind(']');
      close != std::string_view::npos && colon != std::string_view::npos && colon < close)
    colon = std::string_view::npos;
  if (colon == std::string_view::npos && at == std::string_view::npos) {
    p.Host = authority;
  } else if (at == std::string_view::npos || (colon != std::string_view::npos && colon > at)) {
    p.Port = authority.substr(colon + 1);
    std::size_t hostBegin = at == std::string_view::npos ? 0 : at + 1;
    p.Host = authority.substr(hostBegin, colon - hostBegin);
  } else {
    p.Host = authority.substr(at + 1);
  }
  if (at != std::string_view::npos) {
    std::string_view userInfo = authority.substr(0, at);
    std::size_t sep = userInfo.find(':');
    if (sep == std::string_view::npos) {
      p.User = userInfo;
    } else {
      p.User = userInfo.substr(0, sep);
      p.Password = userInfo.substr(sep + 1);
    }
  }
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

}  // namespace trawlonix
