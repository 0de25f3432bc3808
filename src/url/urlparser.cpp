// URL splitting, composing, resolving and the links between mirrored files.
//
// The splitting rules are this program's own, not a URL standard's: what lands
// in which field decides spider-list identity, local file names and what the
// project file stores, so they are followed to the letter. All scanning is
// done on string_views; the only allocations are the output fields.
#include "url/urlparser.h"

#include <algorithm>
#include <cstdint>
#include <functional>

namespace trawlonix {

namespace {

constexpr std::string_view::size_type npos = std::string_view::npos;

// Single-byte A-Z folding; never the locale.
inline char FoldChar(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

void FoldInPlace(std::string& s) {
  for (char& c : s)
    c = FoldChar(c);
}

// True when `text` begins with `prefix` (given in lower case), A-Z folded.
bool StartsWithFolded(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (FoldChar(text[i]) != prefix[i]) return false;
  }
  return true;
}

inline bool IsSlash(char c) {
  return c == '/' || c == '\\';
}

// Blanks as a trim sees them: space and the control characters below it.
inline bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

bool IsBlankOnly(std::string_view s) {
  return std::all_of(s.begin(), s.end(), IsBlank);
}

void ClearURL(TURL& url) {
  // clear() rather than assigning a fresh record: a reused TURL keeps its buffers.
  url.Protocol.clear();
  url.User.clear();
  url.Password.clear();
  url.Host.clear();
  url.Port.clear();
  url.Path.clear();
  url.FileName.clear();
  url.Query.clear();
  url.Ext.clear();
}

// mailto: and news: — "user@host"; ok only with both parts and a host free of
// path separators.
bool ParseAddress(std::string_view rest, TURL& url) {
  const auto at = rest.find('@');
  if (at == npos) {
    url.Host.assign(rest);
  } else {
    url.User.assign(rest.substr(0, at));
    url.Host.assign(rest.substr(at + 1));
  }
  return !url.User.empty() && !url.Host.empty() &&
         url.Host.find_first_of("/\\") == std::string::npos;
}

// Splits an authority (no separators) into user information, host and port.
void ParseAuthority(std::string_view authority, TURL& url) {
  const auto at = authority.find('@');
  if (at != npos) {
    const std::string_view userInfo = authority.substr(0, at);
    authority.remove_prefix(at + 1);
    const auto colon = userInfo.find(':');
    if (colon != npos) {
      url.User.assign(userInfo.substr(0, colon));
      url.Password.assign(userInfo.substr(colon + 1));
    } else {
      url.User.assign(userInfo);
    }
  }
  // An IPv6 literal keeps its brackets in Host ("[::1]"), so that composing
  // writes it back as it must be written; its colons are not the port's.
  const auto close = authority.size() > 1 && authority[0] == '[' ? authority.find(']') : npos;
  const auto colon = authority.find(':', close == npos ? 0 : close);
  if (colon != npos) {
    url.Port.assign(authority.substr(colon + 1));
    authority = authority.substr(0, colon);
  }
  url.Host.assign(authority);
}

// `rest` is what follows "://" (or a leading "//"). The authority ends at the
// first "/" or "\", and also at a "?" or "#" so that "http://host?q" and
// "http://host#top" keep query and fragment out of the host name. Whatever
// follows the authority goes to the path part, which then always starts with
// a separator. Returns the path part; `pathStorage` holds it when a "/" had
// to be put in front.
std::string_view SplitAuthority(std::string_view rest, TURL& url, std::string& pathStorage) {
  const auto end = rest.find_first_of("/\\?#");
  ParseAuthority(rest.substr(0, end), url);
  if (end == npos) return "/";
  if (IsSlash(rest[end])) return rest.substr(end);
  pathStorage.reserve(rest.size() - end + 1);
  pathStorage.assign(1, '/');
  pathStorage.append(rest.substr(end));
  return pathStorage;
}

// Splits the path part into Path, FileName, Query, Ext and the fragment.
void SplitPathPart(std::string_view part, bool namesWithoutDotAreFiles, TURL& url,
                   std::string& fragment) {
  const auto hash = part.find('#');
  if (hash != npos) {
    fragment.assign(part.substr(hash));
    part = part.substr(0, hash);
  }
  const auto question = part.find('?');
  if (question != npos) {
    url.Query.assign(part.substr(question + 1));
    part = part.substr(0, question);
  }

  // Backslashes count as slashes. Only when one is present is a copy needed.
  std::string converted;
  if (part.find('\\') != npos) {
    converted.assign(part);
    std::replace(converted.begin(), converted.end(), '\\', '/');
    part = converted;
  }

  if (part.size() > 1 && part[0] == '.' && part[1] == '/') part.remove_prefix(2);

  const auto lastSlash = part.rfind('/');
  std::string_view name = part;
  if (lastSlash != npos) {
    url.Path.reserve(part.size() + 1);  // room for a name folded in as a directory
    url.Path.assign(part.substr(0, lastSlash + 1));
    name = part.substr(lastSlash + 1);
  }
  if (name.empty()) return;

  // "." and ".." as the last segment are directory steps, not files: stored
  // as a file they would name a directory of the mirror.
  const bool dotSegment = name == "." || name == "..";
  const auto dot = name.rfind('.');
  if (dot != npos && !dotSegment) {
    url.FileName.assign(name);
    url.Ext.assign(name.substr(dot + 1));
  } else if (namesWithoutDotAreFiles && !dotSegment) {
    url.FileName.assign(name);
  } else {
    url.Path.append(name);
    url.Path.push_back('/');
  }
}

inline void Combine(std::size_t& seed, std::size_t value) {
  // 64-bit golden-ratio mix; the shifts spread each field's hash over the seed.
  seed ^= value + static_cast<std::size_t>(0x9e3779b97f4a7c15ULL) + (seed << 6) + (seed >> 2);
}

std::size_t CountSlashes(std::string_view s) {
  return static_cast<std::size_t>(std::count(s.begin(), s.end(), '/'));
}

void AppendClimb(std::string& out, std::size_t levels) {
  for (std::size_t i = 0; i < levels; ++i)
    out.append("../");
}

// Leading segment of `rest` up to and including its first "/", the remainder
// after it. A remainder without "/" is taken whole as the last segment, so
// every call on non-empty text shortens it.
std::string_view TakeSegment(std::string_view& rest) {
  const auto slash = rest.find('/');
  const std::string_view segment = slash == npos ? rest : rest.substr(0, slash + 1);
  rest.remove_prefix(segment.size());
  return segment;
}

}  // namespace

bool ParseURL(std::string_view text, bool namesWithoutDotAreFiles, TURL& url,
              std::string& fragment) {
  ClearURL(url);
  fragment.clear();
  bool ok = true;
  std::string pathStorage;
  std::string_view pathPart;
  bool splitPath = true;

  const auto firstColon = text.find(':');
  if (StartsWithFolded(text, "mailto:")) {
    url.Protocol.assign("mailto");
    ok = ParseAddress(text.substr(7), url);
    splitPath = false;
  } else if (StartsWithFolded(text, "news:")) {
    url.Protocol.assign("news");
    ok = ParseAddress(text.substr(5), url);
    splitPath = false;
  } else if (text.size() >= 2 && IsSlash(text[0]) && IsSlash(text[1])) {
    // A network-path reference ("//host/x"): an authority without a scheme;
    // ResolveURL supplies the base's protocol. Checked before the colon rule
    // so that a port ("//host:8080/") is not taken for a scheme.
    pathPart = SplitAuthority(text.substr(2), url, pathStorage);
  } else if (firstColon != npos && text.substr(firstColon, 3) != "://") {
    // The first colon does not open "://": a script reference, a scheme
    // written without slashes, or a colon inside a relative reference.
    url.Protocol.assign(text.substr(0, firstColon));
    url.FileName.assign(text.substr(firstColon + 1));
    splitPath = false;
  } else if (StartsWithFolded(text, "file:")) {
    url.Protocol.assign("file");
    pathPart = text.substr(5);
    if (pathPart.substr(0, 3) == "///") pathPart.remove_prefix(2);
  } else if (firstColon != npos) {
    // Here the first colon opens the first "://".
    url.Protocol.assign(text.substr(0, firstColon));
    pathPart = SplitAuthority(text.substr(firstColon + 3), url, pathStorage);
  } else {
    pathPart = text;
  }

  if (splitPath) SplitPathPart(pathPart, namesWithoutDotAreFiles, url, fragment);
  FoldInPlace(url.Protocol);
  FoldInPlace(url.Host);
  return ok;
}

bool ParseURL(std::string_view text, bool namesWithoutDotAreFiles, TURL& url) {
  std::string fragment;
  return ParseURL(text, namesWithoutDotAreFiles, url, fragment);
}

std::string ComposeURL(const TURL& url) {
  std::string out;
  out.reserve(url.Protocol.size() + url.User.size() + url.Password.size() + url.Host.size() +
              url.Port.size() + url.Path.size() + url.FileName.size() + url.Query.size() + 8);
  out.append(url.Protocol).append("://");
  if (!url.User.empty()) {
    out.append(url.User);
    if (!url.Password.empty()) out.append(":").append(url.Password);
    out.push_back('@');
  }
  out.append(url.Host);
  if (!url.Port.empty()) out.append(":").append(url.Port);
  out.append(url.Path).append(url.FileName);
  if (!IsBlankOnly(url.Query)) out.append("?").append(url.Query);
  return out;
}

// Removes "." and ".." segments from a directory path that starts at the
// root of a server, the way browsers do before requesting it: "/a/./b/../c/"
// becomes "/a/c/", and ".." never climbs above "/". Without this a server
// is asked for "/sub/../x.html", and the same document gets two entries.
void RemoveDotSegments(std::string& path) {
  if (path.empty() || path[0] != '/') return;
  if (path.find("/.") == npos) return;
  std::string out;
  out.reserve(path.size());
  std::string_view rest = std::string_view(path).substr(1);
  out.push_back('/');
  while (!rest.empty()) {
    const auto slash = rest.find('/');
    const std::string_view segment = rest.substr(0, slash);
    rest.remove_prefix(slash == npos ? rest.size() : slash + 1);
    if (segment == ".") continue;
    if (segment == "..") {
      if (out.size() > 1) out.resize(out.rfind('/', out.size() - 2) + 1);
      continue;
    }
    out.append(segment);
    if (slash != npos) out.push_back('/');
  }
  path.swap(out);
}

namespace {
TURL WithoutDotSegments(TURL url) {
  if (!url.Host.empty()) RemoveDotSegments(url.Path);
  return url;
}
}  // namespace

TURL ResolveURL(const TURL& base, const TURL& reference) {
  if (!IsBlankOnly(reference.Protocol) && reference.Protocol != base.Protocol)
    return WithoutDotSegments(reference);

  TURL result;
  result.Query = reference.Query;
  result.FileName = reference.FileName;
  result.Ext = reference.Ext;

  if (!reference.Host.empty()) {
    result.Protocol = IsBlankOnly(reference.Protocol) ? base.Protocol : reference.Protocol;
    result.User = reference.User;
    result.Password = reference.Password;
    result.Host = reference.Host;
    result.Port = reference.Port;
    result.Path = reference.Path;
    return WithoutDotSegments(std::move(result));
  }

  result.Protocol = base.Protocol;
  result.User = base.User;
  result.Password = base.Password;
  result.Host = base.Host;
  result.Port = base.Port;

  const std::string_view refPath = reference.Path;
  if (refPath.empty()) {
    result.Path = base.Path;
  } else if (refPath[0] == '/') {
    result.Path = reference.Path;
  } else {
    std::string& path = result.Path;
    path.reserve(base.Path.size() + refPath.size());
    path = base.Path;
    // Segments up to the last "/"; text after it (none for a parsed Path) is not walked.
    std::string_view rest = refPath.substr(0, refPath.rfind('/') + 1);
    while (!rest.empty()) {
      const auto slash = rest.find('/');
      const std::string_view segment = rest.substr(0, slash);
      rest.remove_prefix(slash + 1);
      if (segment == "..") {
        if (path.size() > 1) {
          const auto cut = path.rfind('/', path.size() - 2);
          path.resize(cut == std::string::npos ? 0 : cut + 1);
        }
      } else {
        path.append(segment);
        path.push_back('/');
      }
    }
  }
  return WithoutDotSegments(std::move(result));
}

bool SameURL(const TURL& a, const TURL& b) {
  // Cheapest-to-differ fields first: file names and paths vary most in one crawl.
  return a.FileName == b.FileName && a.Path == b.Path && a.Query == b.Query && a.Host == b.Host &&
         a.Protocol == b.Protocol && a.Port == b.Port && a.User == b.User &&
         a.Password == b.Password;
}

std::string ServerPort(const TURL& url) {
  std::string_view port = url.Port;
  const bool digits = !port.empty() && std::all_of(port.begin(), port.end(),
                                                   [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) return std::string(port);
  while (port.size() > 1 && port.front() == '0')
    port.remove_prefix(1);
  if ((url.Protocol == "http" && port == "80") || (url.Protocol == "https" && port == "443"))
    return {};
  return std::string(port);
}

bool SameServer(const TURL& a, const TURL& b) {
  if (a.Host.size() != b.Host.size()) return false;
  for (std::size_t i = 0; i < a.Host.size(); ++i)
    if (FoldChar(a.Host[i]) != FoldChar(b.Host[i])) return false;
  return ServerPort(a) == ServerPort(b);
}

void CopyURL(const TURL& from, TURL& to) {
  to = from;
}

std::size_t HashURL(const TURL& url) {
  const std::hash<std::string_view> h;
  std::size_t seed = 0;
  Combine(seed, h(url.Protocol));
  Combine(seed, h(url.User));
  Combine(seed, h(url.Password));
  Combine(seed, h(url.Host));
  Combine(seed, h(url.Port));
  Combine(seed, h(url.Path));
  Combine(seed, h(url.FileName));
  Combine(seed, h(url.Query));
  return seed;
}

std::string RelativeLink(std::string_view fromPath, std::string_view toPath,
                         std::string_view toFile) {
  if (fromPath == toPath) return std::string(toFile);

  std::string_view fromRest = fromPath.substr(fromPath.empty() ? 0 : 1);
  std::string_view toRest = toPath.substr(toPath.empty() ? 0 : 1);
  std::string_view fromSeg;
  std::string_view toSeg;
  // Every round shortens at least one side, and both being exhausted ends the
  // walk, so any input terminates (not only paths framed by "/").
  do {
    fromSeg = TakeSegment(fromRest);
    toSeg = TakeSegment(toRest);
  } while (fromSeg == toSeg && !fromSeg.empty());

  const std::size_t levels = CountSlashes(fromRest) + (fromSeg.empty() ? 0 : 1);
  std::string out;
  out.reserve(levels * 3 + toSeg.size() + toRest.size() + toFile.size());
  AppendClimb(out, levels);
  out.append(toSeg).append(toRest).append(toFile);
  return out;
}

std::string CrossHostLink(std::string_view fromPath, std::string_view toHost,
                          std::string_view toPath, std::string_view toFile) {
  const std::string_view r = fromPath.substr(fromPath.empty() ? 0 : 1);
  const std::size_t levels = r.size() >= 2 ? 1 + CountSlashes(r) : 1;
  std::string out;
  out.reserve(levels * 3 + toHost.size() + toPath.size() + toFile.size());
  AppendClimb(out, levels);
  out.append(toHost).append(toPath).append(toFile);
  return out;
}

}  // namespace trawlonix
