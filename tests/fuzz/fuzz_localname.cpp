// Fuzzes the way URLs become local names: link text normalised and parsed,
// resolved against a fixed and a fuzzed base, then turned into the local file
// name and the rewritten link text under varying naming choices.
//
// Input: one byte of choices, then up to three lines: a base URL, a raw link
// text, and the URL of the page that holds the link.
//
// Properties: a local name that is accepted lies inside local directory +
// host once normalised lexically, holds no ".." segment and no NUL; the link
// text written into the stored page, followed from that page's directory the
// way a browser follows it, arrives at the target's local file; NormalizeLink
// leaves no line break and no blank; DecodeURLText never grows its input.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/SpiderTools.h"
#include "url/urlparser.h"

using namespace trawlonix;

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

constexpr std::string_view kFixedBase = "http://www.example.test/dir/sub/page.html";
constexpr std::string_view kLocalDirs[] = {"/mirror/site", "/mirror/site/", "rel/dir", ""};
constexpr std::string_view kIndexNames[] = {"index.html", "home page.htm", "%2e%2e",
                                            "a%2f..%2f..%2fx"};

std::vector<std::string> Segments(std::string_view path) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    out.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// What the file system makes of a name: empty and "." segments dropped,
// ".." taking one back (never above the start).
std::vector<std::string> Normalize(std::string_view path) {
  std::vector<std::string> out;
  for (std::string& s : Segments(path)) {
    if (s.empty() || s == ".") continue;
    if (s == "..") {
      if (!out.empty()) out.pop_back();
      continue;
    }
    out.push_back(std::move(s));
  }
  return out;
}

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

bool StartsWith(const std::vector<std::string>& all, const std::vector<std::string>& prefix) {
  if (prefix.size() > all.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (all[i] != prefix[i]) return false;
  return true;
}

std::vector<std::string> HostDir(std::string_view localDir, const TURL& url,
                                 const TNamingOptions& opt) {
  std::vector<std::string> dir = Normalize(localDir);
  dir.push_back(ServerDir(url, opt.StartServer));
  return dir;
}

void CheckLocalName(std::string_view localDir, const TURL& url, const TNamingOptions& opt) {
  const std::optional<std::string> name = LocalFileName(localDir, url, opt);
  if (!name) return;
  Check(name->find('\0') == std::string::npos);
  // No control byte is stored (those of the local directory aside).
  for (std::size_t i = localDir.size(); i < name->size(); ++i)
    Check(static_cast<unsigned char>((*name)[i]) >= 0x20 && (*name)[i] != 0x7F);
  Check(!HasDotDotSegment(*name));
  Check(IsSafeHostName(url.Host));
  const std::vector<std::string> hostDir = HostDir(localDir, url, opt);
  Check(StartsWith(Normalize(*name), hostDir));
  // The name is exactly local directory + host + what lies below the host.
  std::string prefix(localDir);
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  prefix += ServerDir(url, opt.StartServer);
  Check(name->compare(0, prefix.size(), prefix) == 0);
  Check(name->size() > prefix.size() && (*name)[prefix.size()] == '/');
}

// Follows link text from directory `dir` as a browser follows a relative
// link in a local page: escapes decoded per segment, "." dropped, ".." goes
// one up (not above the root). nullopt for text a browser would not take as
// a relative path.
std::optional<std::vector<std::string>> Follow(std::vector<std::string> dir,
                                               std::string_view text) {
  if (!text.empty() && text.front() == '/') return std::nullopt;
  const std::size_t colon = text.find(':');
  if (colon != std::string_view::npos && colon < text.find('/')) return std::nullopt;
  for (const std::string& raw : Segments(text)) {
    const std::string s = DecodeURLText(raw);
    if (s == ".") continue;
    if (s == "..") {
      if (!dir.empty()) dir.pop_back();
      continue;
    }
    dir.push_back(s);
  }
  std::vector<std::string> out;
  for (std::string& s : dir) {
    if (!s.empty()) out.push_back(std::move(s));
  }
  return out;
}

// Characters that end a browser's path or separate its segments; the link
// text does not claim to escape them.
bool BrowserSpecial(std::string_view text) {
  return text.find_first_of("?#\\") != std::string_view::npos;
}

void CheckLinkText(std::string_view localDir, const TURL& current, const TURL& target,
                   const TNamingOptions& opt) {
  const std::optional<std::string> text = LocalLinkText(current, target, opt);
  const std::optional<std::string> file = LocalFileName(localDir, target, opt);
  Check(text.has_value() == file.has_value());
  if (!text || !file) return;
  // The directory the stored page lies in.
  const std::optional<std::string> page = LocalFileName(localDir, current, opt);
  if (!page || BrowserSpecial(*text)) return;
  const std::vector<std::string> dir = Normalize(page->substr(0, page->rfind('/')));
  const auto reached = Follow(dir, *text);
  Check(reached.has_value());
  Check(*reached == Normalize(*file));
}

void CheckTextHelpers(std::string_view raw) {
  const std::string normal = NormalizeLink(raw);
  Check(normal.find_first_of("\r\n ") == std::string::npos);
  if (!normal.empty()) {
    Check(static_cast<unsigned char>(normal.front()) > ' ');
    Check(static_cast<unsigned char>(normal.back()) > ' ');
  }
  Check(DecodeURLText(raw).size() <= raw.size());
  Check(DecodeURLText(normal).size() <= normal.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 4096) return 0;
  const std::uint8_t choice = data[0];
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

  std::string_view lines[3];
  for (auto& line : lines) {
    const auto newline = input.find('\n');
    line = input.substr(0, newline);
    input = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
  }
  const std::string_view baseText = lines[0];
  const std::string_view rawLink = lines[1];
  const std::string_view currentText = lines[2].empty() ? baseText : lines[2];

  CheckTextHelpers(baseText);
  CheckTextHelpers(rawLink);

  const bool namesWithoutDotAreFiles = choice & 1;
  const std::string_view localDir = kLocalDirs[(choice >> 1) & 3];
  TNamingOptions opt;
  opt.IndexFileName = std::string(kIndexNames[(choice >> 3) & 3]);
  opt.OnlyRenameSkriptURL = (choice & 0x20) == 0;
  const TStringList renames = {"dll", "asp", "%2e", "DLL%2f.."};
  if (choice & 0x40) opt.HTMLRenList = &renames;
  const bool numbered = choice & 0x80;

  TURL fixedBase, fuzzedBase, reference, current;
  std::string fragment;
  ParseURL(kFixedBase, namesWithoutDotAreFiles, fixedBase, fragment);
  ParseURL(baseText, namesWithoutDotAreFiles, fuzzedBase, fragment);
  ParseURL(NormalizeLink(rawLink), namesWithoutDotAreFiles, reference, fragment);
  ParseURL(currentText, namesWithoutDotAreFiles, current, fragment);

  const TURL targets[] = {ResolveURL(fixedBase, reference), ResolveURL(fuzzedBase, reference),
                          fuzzedBase, reference};
  for (const TURL& target : targets) {
    TNamingOptions o = opt;
    if (numbered && HasScriptQuery(target)) o.RedirectNumber = static_cast<std::int32_t>(size);
    // Odd sizes name the servers against the fixed start server.
    if (size & 1) o.StartServer = &fixedBase;
    CheckLocalName(localDir, target, o);
    CheckLinkText(localDir, current, target, o);
    CheckLinkText(localDir, fixedBase, target, o);
    // The raw link helpers take any paths without trouble.
    RelativeLink(current.Path, target.Path, target.FileName);
    RelativeLink(target.Path, current.Path, current.FileName);
    CrossHostLink(current.Path, target.Host, target.Path, target.FileName);
    CrossHostLink(target.FileName, target.Query, current.Path, target.Host);
  }
  return 0;
}
