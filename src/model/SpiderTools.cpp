#include "model/SpiderTools.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/Text.h"

namespace trawlonix {

const std::array<TExtInfo, 32> TX_Ext_Info = {{
    {"html", ftHypertext}, {"htm", ftHypertext}, {"shtml", ftHypertext}, {"phtml", ftHypertext},
    {"gif", ftImage},      {"jpg", ftImage},     {"jpeg", ftImage},      {"bmp", ftImage},
    {"pcx", ftImage},      {"rle", ftImage},     {"png", ftImage},       {"wav", ftSound},
    {"au", ftSound},       {"swf", ftFlash},     {"java", ftJava},       {"class", ftJava},
    {"snd", ftSound},      {"ram", ftSound},     {"rm", ftSound},        {"mid", ftSound},
    {"aiff", ftSound},     {"mp2", ftSound},     {"mp3", ftSound},       {"avi", ftVideo},
    {"asf", ftVideo},      {"qt", ftVideo},      {"mov", ftVideo},       {"mpg", ftVideo},
    {"mpeg", ftVideo},     {"js", ftJavaScript}, {"css", ftStyleSheet},  {"htc", ftStyleSheet},
}};

namespace {

using text::Lower;
using text::LowerByte;

bool InList(const TStringList* list, std::string_view lowerExt) {
  if (!list) return false;
  return std::any_of(list->begin(), list->end(),
                     [&](const std::string& e) { return Lower(e) == lowerExt; });
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Replaces every occurrence of `from` (ASCII, given in lower case; compared
// case-insensitively) by `to`.
void ReplaceAllNoCase(std::string& s, std::string_view from, std::string_view to) {
  auto matchesAt = [&](std::size_t i) {
    if (s.size() - i < from.size()) return false;
    for (std::size_t k = 0; k < from.size(); ++k)
      if (LowerByte(s[i + k]) != from[k]) return false;
    return true;
  };
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    if (matchesAt(i)) {
      out.append(to);
      i += from.size();
    } else {
      out.push_back(s[i++]);
    }
  }
  s = std::move(out);
}

std::string WithTrailingSlash(std::string_view dir) {
  std::string out(dir);
  if (!out.empty() && out.back() != '/') out.push_back('/');
  return out;
}

// Percent escapes rewritten so that their structure is visible: an escape
// standing for "." or "/" becomes that byte and a broken escape becomes
// "%20" (what DecodeURLText makes of it); others stay escaped. Decoding the
// result gives the same bytes as decoding the input.
std::string PlainStructure(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out.push_back(s[i]);
      continue;
    }
    const int hi = i + 1 < s.size() ? HexValue(s[i + 1]) : -1;
    const int lo = i + 2 < s.size() ? HexValue(s[i + 2]) : -1;
    if (hi < 0 || lo < 0) {
      out.append("%20");
    } else {
      const char c = static_cast<char>(hi * 16 + lo);
      if (c == '.' || c == '/')
        out.push_back(c);
      else
        out.append(s.substr(i, 3));
    }
    i += 2;
  }
  return out;
}

// A path as the file system sees it: "//" folded to "/" and "." segments
// dropped (the link climbs once per directory it really has to leave), and a
// leading "/" supplied as for the local name.
std::string FoldSlashes(std::string_view s) {
  std::string out = "/";
  out.reserve(s.size() + 1);
  std::size_t start = 0;
  while (start < s.size()) {
    std::size_t end = s.find('/', start);
    const bool last = end == std::string_view::npos;
    if (last) end = s.size();
    const std::string_view segment = s.substr(start, end - start);
    if (!segment.empty() && segment != ".") {
      out.append(segment);
      if (!last) out.push_back('/');
    }
    start = end + 1;
  }
  return out;
}

// Numbering and ".html" renaming, in that order, of a local name or link text.
std::string Rename(std::string name, const TURL& url, std::string_view ext,
                   const TNamingOptions& opt) {
  if (opt.RedirectNumber) name = NumberedName(name, *opt.RedirectNumber);
  const bool mayRename = !(opt.OnlyRenameSkriptURL && !HasScriptQuery(url));
  if (mayRename && InList(opt.HTMLRenList, Lower(DecodeURLText(ext)))) name += ".html";
  if (IsExtensionlessName(url)) name += ".html";
  return name;
}

// Decoded Path + decoded file name below the host, renamed, or nullopt.
std::optional<std::string> RelativeLocalName(const TURL& url, const TNamingOptions& opt) {
  if (!IsSafeHostName(url.Host)) return std::nullopt;
  std::string_view file = url.FileName;
  std::string_view ext = url.Ext;
  if (file.empty()) {
    file = opt.IndexFileName;
    ext = "html";
  }
  std::string rel = DecodeURLText(url.Path);
  // Without a leading "/" the name would run into the host's own name.
  if (rel.empty() || rel.front() != '/') rel.insert(rel.begin(), '/');
  rel += DecodeURLText(file);
  rel = Rename(std::move(rel), url, ext, opt);
  if (!IsSafeRelativePath(rel)) return std::nullopt;
  return rel;
}

}  // namespace

std::string_view TrimBlanks(std::string_view s) {
  return text::Trim(s);
}

TFileType FileTypeOf(const TURL& url, const TStringList* htmlRecExtensions) {
  if (TrimBlanks(url.FileName).empty()) return ftHypertext;
  const std::string ext = Lower(TrimBlanks(url.Ext));
  TFileType code = ftOther;
  for (const TExtInfo& row : TX_Ext_Info) {
    if (ext == row.Ext) {
      code = row.Code;
      break;
    }
  }
  if (InList(htmlRecExtensions, ext)) code = ftHypertext;
  return code;
}

bool IsKnownFileExtension(std::string_view ext, const TStringList* htmlRecExtensions) {
  const std::string e = Lower(TrimBlanks(ext));
  if (e.empty()) return false;
  for (const TExtInfo& row : TX_Ext_Info) {
    if (e == row.Ext) return true;
  }
  return InList(htmlRecExtensions, e);
}

bool IsExtensionlessName(const TURL& url) {
  return !url.FileName.empty() && DecodeURLText(url.FileName).find('.') == std::string::npos;
}

std::string NormalizeLink(std::string_view raw) {
  std::string noBreaks;
  noBreaks.reserve(raw.size());
  for (char c : raw)
    if (c != '\r' && c != '\n') noBreaks.push_back(c);
  std::string s;
  for (char c : TrimBlanks(noBreaks)) {
    if (c == ' ')
      s.append("%20");
    else
      s.push_back(c);
  }
  // Nearly every link is free of entities: without an '&' none of the
  // replacements below can match, and the string need not be rebuilt six times.
  if (s.find('&') == std::string::npos) return s;
  ReplaceAllNoCase(s, "&gt;", ">");
  ReplaceAllNoCase(s, "&lt;", "<");
  ReplaceAllNoCase(s, "&auml;", "\xE4");
  ReplaceAllNoCase(s, "&ouml;", "\xF6");
  ReplaceAllNoCase(s, "&uuml;", "\xFC");
  ReplaceAllNoCase(s, "&amp;", "&");
  return s;
}

std::string DecodeURLText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    const int hi = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
    const int lo = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
    out.push_back(hi >= 0 && lo >= 0 ? static_cast<char>(hi * 16 + lo) : ' ');
    i += 2;  // the escape's two bytes are used up even when broken
  }
  return out;
}

std::string NumberedName(std::string_view name, std::int32_t number) {
  const std::size_t slash = name.rfind('/');
  const std::size_t fileStart = slash == std::string_view::npos ? 0 : slash + 1;
  const std::size_t dot = name.rfind('.');
  std::string out;
  if (dot == std::string_view::npos || dot < fileStart) {
    out.assign(name);
    out += '_';
    out += std::to_string(number);
    return out;
  }
  out.assign(name.substr(0, dot));
  out += '_';
  out += std::to_string(number);
  const std::string_view ext = name.substr(dot + 1);
  if (!ext.empty()) {
    out += '.';
    out.append(ext);
  }
  return out;
}

bool HasScriptQuery(const TURL& url) {
  return !TrimBlanks(url.Query).empty();
}

std::string LocalHostDir(std::string_view host) {
  std::string dir(host);
  if (!dir.empty() && dir.front() == '[') {
    for (char& c : dir)
      if (c == ':') c = '_';
  }
  return dir;
}

bool IsSafeHostName(std::string_view host) {
  if (host.empty() || host == "." || host == "..") return false;
  return host.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

bool IsSafeRelativePath(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return false;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = path.size();
    if (path.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

std::optional<std::string> LocalFileName(std::string_view localDir, const TURL& url,
                                         const TNamingOptions& opt) {
  if (localDir.find('\0') != std::string_view::npos) return std::nullopt;
  std::optional<std::string> rel = RelativeLocalName(url, opt);
  if (!rel) return std::nullopt;
  return WithTrailingSlash(localDir) + LocalHostDir(url.Host) + *rel;
}

namespace {

struct TStoredPlace {
  std::string dir;  // folded, from "/" to the last "/"
  std::string name;
};

// Directory and file name of a URL's local file, with escapes that stand for
// "." or "/" written plainly. They are split at the last "/" of path and
// file name together: a file name holding an escaped "/" (or a broken escape
// that takes the path's last "/" with it) lies elsewhere than Path says.
TStoredPlace StoredPlace(const TURL& url, const TNamingOptions& opt) {
  const std::string joined =
      PlainStructure(url.Path) + PlainStructure(url.FileName.empty()
                                                    ? std::string_view(opt.IndexFileName)
                                                    : std::string_view(url.FileName));
  const std::size_t slash = joined.rfind('/');
  if (slash == std::string::npos) return {"/", joined};
  return {FoldSlashes(std::string_view(joined).substr(0, slash + 1)), joined.substr(slash + 1)};
}

}  // namespace

std::optional<std::string> LocalLinkText(const TURL& current, const TURL& target,
                                         const TNamingOptions& opt) {
  if (!RelativeLocalName(target, opt)) return std::nullopt;
  const std::string ext = target.FileName.empty() ? std::string("html") : target.Ext;
  const TStoredPlace to = StoredPlace(target, opt);
  // The current page's directory is folded too: on disk "/a//./b/" is "/a/b/".
  const TStoredPlace from = StoredPlace(current, opt);
  // The host directory is named by the host taken literally, while a browser
  // decodes escapes in a link (and takes "%2e%2e" for ".."): its "%" is
  // escaped so that the link reaches that directory and no other.
  std::string host;
  for (char c : LocalHostDir(target.Host))
    host.append(c == '%' ? "%25" : std::string_view(&c, 1));
  std::string text = target.Host != current.Host ? CrossHostLink(from.dir, host, to.dir, to.name)
                                                 : RelativeLink(from.dir, to.dir, to.name);
  text = Rename(std::move(text), target, ext, opt);
  // "Special:Page" would read as a link with its own scheme.
  if (text.substr(0, text.find('/')).find(':') != std::string::npos) text.insert(0, "./");
  return text;
}

bool ForceLocalDirs(std::string_view localDir, std::string_view host,
                    std::string_view decodedPath) {
  if (localDir.find('\0') != std::string_view::npos || !IsSafeHostName(host) ||
      !IsSafeRelativePath(decodedPath))
    return false;
  namespace fs = std::filesystem;
  std::error_code ec;
  std::string dir(localDir);
  const std::string top = WithTrailingSlash(dir) + LocalHostDir(host);
  // Most files go to a directory an earlier file of the run made: one look
  // instead of a creation attempt and a look for every level.
  if (fs::is_directory(top + '/' + std::string(decodedPath), ec)) return true;
  if (!dir.empty()) fs::create_directories(dir, ec);
  dir = top;
  fs::create_directory(dir, ec);
  std::size_t start = 0;
  while (start < decodedPath.size()) {
    std::size_t end = decodedPath.find('/', start);
    if (end == std::string_view::npos) end = decodedPath.size();
    const std::string_view segment = decodedPath.substr(start, end - start);
    if (!segment.empty()) {
      dir += '/';
      dir.append(segment);
      fs::create_directory(dir, ec);
    }
    start = end + 1;
  }
  return fs::is_directory(dir, ec);
}

std::int64_t LocalFileDate(std::string_view localDir, const TURL& url) {
  if (localDir.find('\0') != std::string_view::npos || url.FileName.empty()) return 0;
  TNamingOptions plain;  // no index file, numbering or renaming
  std::optional<std::string> rel = RelativeLocalName(url, plain);
  if (!rel) return 0;
  return LocalFileDate(WithTrailingSlash(localDir) + LocalHostDir(url.Host) + *rel);
}

std::int64_t LocalFileDate(const std::string& fileName) {
  if (fileName.find('\0') != std::string::npos) return 0;
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  if (::access(fileName.c_str(), R_OK) != 0) return 0;
  return static_cast<std::int64_t>(st.st_mtime);
}

}  // namespace trawlonix
