// Fuzzes URL parsing, resolving, composing and the mirror links. The input is
// split at its first newline into a base URL and a reference; both are parsed
// with either setting of the names-without-dot flag, and the results are
// checked against the record's invariants.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "url/urlparser.h"

using namespace trawlonix;

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool HasUpper(std::string_view s) {
  for (char c : s) {
    if (c >= 'A' && c <= 'Z') return true;
  }
  return false;
}

bool IsBlankOnly(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) > ' ') return false;
  }
  return true;
}

void CheckParsed(const TURL& url, const std::string& fragment) {
  Check(!HasUpper(url.Protocol) && !HasUpper(url.Host));
  Check(fragment.empty() || fragment[0] == '#');
  if (!url.Path.empty()) {
    Check(url.Path.back() == '/');
    Check(url.Path.find('\\') == std::string::npos);
  }
  Check(url.Ext.size() <= url.FileName.size());
  Check(std::string_view(url.FileName).substr(url.FileName.size() - url.Ext.size()) == url.Ext);
  TURL copy;
  CopyURL(url, copy);
  Check(SameURL(url, copy) && HashURL(url) == HashURL(copy));
}

// Follows `link` from directory `from` the way a browser would, for paths
// without dot segments.
std::string Follow(std::string_view from, std::string_view link) {
  std::vector<std::string_view> segments;
  std::string_view rest = from.substr(1);
  while (!rest.empty()) {
    const auto slash = rest.find('/');
    segments.push_back(rest.substr(0, slash));
    rest.remove_prefix(slash + 1);
  }
  while (link.substr(0, 3) == "../") {
    if (segments.empty()) return "<above root>";
    segments.pop_back();
    link.remove_prefix(3);
  }
  std::string out = "/";
  for (auto s : segments)
    out.append(s).append("/");
  return out.append(link);
}

bool IsPlainDirectory(std::string_view path) {
  if (path.empty() || path.front() != '/' || path.back() != '/') return false;
  return path.find("/./") == std::string_view::npos && path.find("/../") == std::string_view::npos;
}

void CheckLinks(const std::string& fromPath, const TURL& to) {
  const std::string rel = RelativeLink(fromPath, to.Path, to.FileName);
  Check(rel.size() <= 3 * fromPath.size() + to.Path.size() + to.FileName.size());
  if (IsPlainDirectory(fromPath) && IsPlainDirectory(to.Path) &&
      to.FileName.find('/') == std::string::npos && to.FileName.substr(0, 2) != "..") {
    Check(Follow(fromPath, rel) == to.Path + to.FileName);
  }
  const std::string cross = CrossHostLink(fromPath, to.Host, to.Path, to.FileName);
  Check(cross.size() <=
        3 * (fromPath.size() + 1) + to.Host.size() + to.Path.size() + to.FileName.size());
}

// A resolved absolute URL survives composing and parsing again, as long as
// its fields hold nothing that the composed text cannot carry back.
void CheckRoundTrip(const TURL& url) {
  if (url.Host.empty() || url.Path.empty() || url.Path[0] != '/') return;
  if (url.Protocol == "file" || url.Protocol == "mailto" || url.Protocol == "news") return;
  if (url.Protocol.size() >= 2 && (url.Protocol[0] == '/' || url.Protocol[0] == '\\') &&
      (url.Protocol[1] == '/' || url.Protocol[1] == '\\'))
    return;
  if (url.Protocol.find(':') != std::string::npos) return;
  if (url.FileName.find_first_of("/\\?#") != std::string::npos || url.FileName == "." ||
      url.FileName == "..")
    return;
  if (url.User.empty() && (url.Host.find('@') != std::string::npos ||
                           url.Port.find('@') != std::string::npos || !url.Password.empty()))
    return;

  TURL expected = url;
  if (IsBlankOnly(expected.Query)) expected.Query.clear();
  TURL again;
  std::string fragment;
  Check(ParseURL(ComposeURL(url), true, again, fragment));
  Check(fragment.empty());
  Check(SameURL(expected, again));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto newline = input.find('\n');
  const std::string_view baseText = input.substr(0, newline);
  const std::string_view refText =
      newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

  for (bool flag : {false, true}) {
    TURL base, reference;
    std::string baseFragment, refFragment;
    const bool baseOk = ParseURL(baseText, flag, base, baseFragment);
    const bool refOk = ParseURL(refText, flag, reference, refFragment);
    CheckParsed(base, baseFragment);
    CheckParsed(reference, refFragment);

    const TURL resolved = ResolveURL(base, reference);
    const std::string composed = ComposeURL(resolved);
    TURL reparsed;
    std::string fragment;
    ParseURL(composed, flag, reparsed, fragment);
    CheckParsed(reparsed, fragment);
    if (baseOk && refOk) CheckRoundTrip(resolved);
    if (!resolved.Host.empty() && !resolved.Path.empty() && resolved.Path[0] == '/')
      Check(IsPlainDirectory(resolved.Path));

    CheckLinks(base.Path, resolved);
    CheckLinks(reparsed.Path, base);
    CheckLinks(reference.Path, reparsed);
  }
  return 0;
}
