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
  const std::optional<std::string> name = LocalFileName(localDir, url, plain);
  return name ? LocalFileDate(*name) : 0;
}

std::int64_t LocalFileDate(const std::string& fileName) {
  if (fileName.find('\0') != std::string::npos) return 0;
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  if (::access(fileName.c_str(), R_OK) != 0) return 0;
  return static_cast<std::int64_t>(st.st_mtime);
}

}  // namespace trawlonix
