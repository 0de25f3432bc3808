// Local file names of the mirror and the link texts that lead to them. This
// is the one place that decides where a URL is stored: every name is built
// here, cleaned segment by segment and confined to local directory / server
// directory; link texts are made from the very same segments, so that the
// offline copy reaches exactly the stored file.
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/Text.h"
#include "model/SpiderTools.h"

namespace trawlonix {

namespace {

using text::Lower;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendEscape(std::string& out, unsigned char b) {
  static const char kHex[] = "0123456789ABCDEF";
  out.push_back('%');
  out.push_back(kHex[b >> 4]);
  out.push_back(kHex[b & 15]);
}

// DecodeURLText, except that an escape standing for "/" stays as written: a
// name the site escaped is one name, never a directory and a file.
std::string DecodeNameText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    const int hi = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
    const int lo = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
    if (hi < 0 || lo < 0)
      out.push_back(' ');
    else if (hi * 16 + lo == '/')
      out.append(text.substr(i, 3));
    else
      out.push_back(static_cast<char>(hi * 16 + lo));
    i += 2;  // the escape's two bytes are used up even when broken
  }
  return out;
}

bool InList(const TStringList* list, std::string_view lowerExt) {
  if (!list) return false;
  return std::any_of(list->begin(), list->end(),
                     [&](const std::string& e) { return Lower(e) == lowerExt; });
}

// Numbering, ".html" renaming and the collision number, in that order.
std::string Rename(std::string name, const TURL& url, std::string_view ext,
                   const TNamingOptions& opt) {
  if (opt.RedirectNumber) name = NumberedName(name, *opt.RedirectNumber);
  const bool mayRename = !(opt.OnlyRenameSkriptURL && !HasScriptQuery(url));
  if (mayRename && InList(opt.HTMLRenList, Lower(DecodeURLText(ext)))) name += ".html";
  if (IsExtensionlessName(url)) name += ".html";
  if (opt.CollisionNumber) name = NumberedName(name, *opt.CollisionNumber);
  return name;
}

// A ".." segment, split at "/" and "\\" alike.
bool HasDotDotSegment(std::string_view path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = path.size();
    if (path.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

struct TStoredName {
  std::string server;
  std::vector<std::string> dirs;
  std::string file;
};

// The stored segments of `url`, each already cleaned, or nullopt. With
// `dirsOnly` a file name that cannot be stored is left empty instead.
std::optional<TStoredName> StoredName(const TURL& url, const TNamingOptions& opt,
                                      bool dirsOnly = false) {
  if (!IsSafeHostName(url.Host)) return std::nullopt;
  std::string_view file = url.FileName;
  std::string_view ext = url.Ext;
  if (file.empty()) {
    file = opt.IndexFileName;
    ext = "html";
  }
  std::string rel = DecodeNameText(url.Path);
  // Without a leading "/" the name would run into the server's own name.
  if (rel.empty() || rel.front() != '/') rel.insert(rel.begin(), '/');
  rel += DecodeNameText(file);
  rel = Rename(std::move(rel), url, ext, opt);
  // NUL and other control bytes are escaped below; ".." is never stored.
  const std::size_t lastSlash = rel.rfind('/');
  const std::string_view name = std::string_view(rel).substr(lastSlash + 1);
  const bool badFile = name.empty() || name == "." || HasDotDotSegment(name);
  if (HasDotDotSegment(std::string_view(rel).substr(0, lastSlash)) || (badFile && !dirsOnly))
    return std::nullopt;
  TStoredName out;
  out.server = ServerDir(url, opt.StartServer);
  std::size_t start = 1;
  while (start <= lastSlash) {
    const std::size_t end = rel.find('/', start);
    const std::string_view seg = std::string_view(rel).substr(start, end - start);
    if (!seg.empty() && seg != ".") out.dirs.push_back(EscapeUnsafeNameBytes(seg));
    start = end + 1;
  }
  if (!badFile) out.file = EscapeUnsafeNameBytes(name);
  return out;
}

// A stored segment as link text: a browser decodes it back to exactly the
// segment, whatever the page's own encoding.
std::string LinkSegment(std::string_view seg) {
  std::string out;
  out.reserve(seg.size());
  for (char c : seg) {
    const auto b = static_cast<unsigned char>(c);
    const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                       std::string_view("-._~!$&'()*+,;=:@[]").find(c) != std::string_view::npos;
    if (plain)
      out.push_back(c);
    else
      AppendEscape(out, b);
  }
  return out;
}

// Length of a valid UTF-8 sequence at `s[i]` and its code point; 0 when the
// bytes there are no valid sequence (overlong, surrogate, beyond U+10FFFF, cut).
std::size_t Utf8At(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  std::size_t n = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3;
    cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4;
    cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
  if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
  return n;
}

bool IsHiddenOrControl(char32_t cp) {
  return (cp >= 0x80 && cp <= 0x9F) || cp == 0x200E || cp == 0x200F || cp == 0x2028 ||
         cp == 0x2029 || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

std::string WithTrailingSlash(std::string_view dir) {
  std::string out(dir);
  if (!out.empty() && out.back() != '/') out.push_back('/');
  return out;
}

}  // namespace

std::string LocalHostDir(std::string_view host) {
  std::string dir(host);
  if (!dir.empty() && dir.front() == '[') {
    for (char& c : dir)
      if (c == ':') c = '_';
  }
  return dir;
}

std::string ServerDir(const TURL& url, const TURL* start) {
  std::string dir = EscapeUnsafeNameBytes(LocalHostDir(url.Host));
  if (!start || SameServer(url, *start)) return dir;
  std::string port = ServerPort(url);
  if (port.empty() && text::EqualsNoCase(url.Host, start->Host))
    port = url.Protocol == "https" ? "443" : "80";
  if (port.empty()) return dir;
  return dir + ":" + EscapeUnsafeNameBytes(port);
}

std::string EscapeUnsafeNameBytes(std::string_view component) {
  std::string out;
  out.reserve(component.size());
  std::size_t i = 0;
  while (i < component.size()) {
    const auto b = static_cast<unsigned char>(component[i]);
    if (b >= 0x20 && b < 0x7F) {
      out.push_back(component[i++]);
      continue;
    }
    char32_t cp = 0;
    const std::size_t n = b >= 0x80 ? Utf8At(component, i, cp) : 0;
    if (n == 0 || IsHiddenOrControl(cp)) {
      // A control byte or a byte of no valid sequence alone; a hidden
      // character with all its bytes.
      const std::size_t count = n == 0 ? 1 : n;
      for (std::size_t k = 0; k < count; ++k)
        AppendEscape(out, static_cast<unsigned char>(component[i + k]));
      i += count;
      continue;
    }
    out.append(component.substr(i, n));
    i += n;
  }
  return out;
}

bool IsSafeHostName(std::string_view host) {
  if (host.empty() || host == "." || host == "..") return false;
  return host.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

bool IsSafeRelativePath(std::string_view path) {
  return path.find('\0') == std::string_view::npos && !HasDotDotSegment(path);
}

std::optional<std::string> LocalFileName(std::string_view localDir, const TURL& url,
                                         const TNamingOptions& opt) {
  if (localDir.find('\0') != std::string_view::npos) return std::nullopt;
  const std::optional<TStoredName> n = StoredName(url, opt);
  if (!n) return std::nullopt;
  std::string out = WithTrailingSlash(localDir) + n->server + "/";
  for (const std::string& d : n->dirs)
    out.append(d).push_back('/');
  return out + n->file;
}

std::optional<std::string> LocalLinkText(const TURL& current, const TURL& target,
                                         const TNamingOptions& opt) {
  const std::optional<TStoredName> to = StoredName(target, opt);
  if (!to) return std::nullopt;
  // Only the page's directory counts here, whatever its own file name; a
  // page whose directory cannot be stored lies nowhere, and its text is
  // never written anyway.
  const std::optional<TStoredName> fromName = StoredName(current, opt, true);
  TStoredName from;
  if (fromName)
    from = *fromName;
  else
    from.server = ServerDir(current, opt.StartServer);
  std::string text;
  std::size_t common = 0;
  if (to->server != from.server) {
    for (std::size_t k = 0; k <= from.dirs.size(); ++k)
      text += "../";
    text += LinkSegment(to->server) + "/";
  } else {
    while (common < from.dirs.size() && common < to->dirs.size() &&
           from.dirs[common] == to->dirs[common])
      ++common;
    for (std::size_t k = common; k < from.dirs.size(); ++k)
      text += "../";
  }
  for (std::size_t k = common; k < to->dirs.size(); ++k)
    text += LinkSegment(to->dirs[k]) + "/";
  text += LinkSegment(to->file);
  // "Special:Page" would read as a link with its own scheme.
  if (text.substr(0, text.find('/')).find(':') != std::string::npos) text.insert(0, "./");
  return text;
}

bool ForceParentDirs(std::string_view localDir, std::string_view fileName) {
  const std::string root = WithTrailingSlash(localDir);
  if (fileName.substr(0, root.size()) != root) return false;
  const std::size_t slash = fileName.rfind('/');
  if (slash == std::string_view::npos || slash < root.size()) return false;
  const std::string_view below = fileName.substr(root.size(), slash - root.size());
  if (!IsSafeRelativePath(below)) return false;
  namespace fs = std::filesystem;
  std::error_code ec;
  const std::string dir(fileName.substr(0, slash));
  fs::create_directories(dir, ec);
  return fs::is_directory(dir, ec);
}

}  // namespace trawlonix
