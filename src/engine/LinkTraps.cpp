// The bounds of a crawl: what keeps a hostile or broken site from making a
// run endless or unbounded. The level limit holds for every document read for
// links, whatever its name says; links into the usual crawler traps are
// refused; the spider list has a fixed room; a class file cannot send the
// crawl to another server.
#include <algorithm>
#include <functional>
#include <string_view>

#include "base/Text.h"
#include "base/Translate.h"
#include "engine/LinkJudge.h"

namespace trawlonix {

namespace {

// A path segment repeated more often than this in a row is a trap
// (/x/x/x/x/...); so is a path of more segments, or a longer URL.
constexpr int kMaxRepeatedSegments = 3;
constexpr std::size_t kMaxSegments = 32;
constexpr std::size_t kMaxUrlBytes = 2048;
// Trap links are logged once each; this many are remembered for that.
constexpr std::size_t kTrapLogMemory = 100000;
// Log lines show at most this much of a refused URL.
constexpr std::size_t kShownUrlBytes = 300;

const char kTrapRepeated[] =
    QT_TRANSLATE_NOOP("Engine", "     => 拒绝链接 (超过 3 个相同的连续路径段): %1");
const char kTrapDeep[] = QT_TRANSLATE_NOOP("Engine", "     => 拒绝链接 (超过 32 个路径段): %1");
const char kTrapLong[] = QT_TRANSLATE_NOOP("Engine", "     => 拒绝链接 (URL 长于 2048 字节): %1");

// The directories of the path and the file name, in order.
std::vector<std::string_view> SegmentsOf(const TURL& url) {
  std::vector<std::string_view> out;
  const std::string_view path = url.Path;
  std::size_t i = !path.empty() && path[0] == '/' ? 1 : 0;
  while (i < path.size()) {
    const std::size_t slash = path.find('/', i);
    if (slash == std::string_view::npos) {
      out.push_back(path.substr(i));
      break;
    }
    out.push_back(path.substr(i, slash - i));
    i = slash + 1;
  }
  if (!url.FileName.empty()) out.emplace_back(url.FileName);
  return out;
}

// The port a URL is fetched from, written without leading zeros.
std::string EffectivePort(const TURL& url) {
  if (url.Port.empty()) return text::Lower(url.Protocol) == "https" ? "443" : "80";
  const std::size_t digit = url.Port.find_first_not_of('0');
  return digit == std::string::npos ? "0" : url.Port.substr(digit);
}

}  // namespace

TLinkJudge::TTrap TLinkJudge::TrapOf(const TURL& url) const {
  if (!s_.TrapRules) return TTrap::kNone;
  const std::vector<std::string_view> segments = SegmentsOf(url);
  int run = 0;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    run = (i > 0 && segments[i] == segments[i - 1]) ? run + 1 : 1;
    if (run > kMaxRepeatedSegments) return TTrap::kRepeatedSegment;
  }
  if (segments.size() > kMaxSegments) return TTrap::kTooDeep;
  if (ComposeURL(url).size() > kMaxUrlBytes) return TTrap::kTooLong;
  return TTrap::kNone;
}

bool TLinkJudge::RefusedAsTrap(const TURL& url) {
  const TTrap trap = TrapOf(url);
  if (trap == TTrap::kNone) return false;
  if (trapsLogged_.size() >= kTrapLogMemory) return true;
  std::string whole = ComposeURL(url);
  if (!trapsLogged_.insert(std::hash<std::string>{}(whole)).second) return true;
  if (whole.size() > kShownUrlBytes) whole = whole.substr(0, kShownUrlBytes) + "...";
  const char* line = trap == TTrap::kRepeatedSegment ? kTrapRepeated
                     : trap == TTrap::kTooDeep       ? kTrapDeep
                                                     : kTrapLong;
  batch_.Log(TrArgs(TrText("Engine", line), {whole}));
  if (trapsLogged_.size() == kTrapLogMemory)
    batch_.Log(translate("Engine", "     更多被拒绝的陷阱链接不再记录。"));
  return true;
}

bool TLinkJudge::FollowsLinksOf(TContentReader reader) const {
  const TrawlonixDefinition& d = s_.Definition;
  if (!d.LevelLimit || reader == TContentReader::Other) return true;
  const std::int32_t limit = std::min<std::int32_t>(d.MaxLevel, 30);
  // An answer served as HTML is a page whatever its name says. What a page
  // needs (its scripts, style sheets, applets, movies, a relocated file) is
  // read one level further, so that the deepest pages keep theirs; a chain
  // of such files still ends there.
  const bool page = reader == TContentReader::Html && !doc_.Relocation;
  return doc_.Level <= (page ? limit : limit + 1);
}

bool TLinkJudge::OnClassFileServer(const TURL& url) const {
  return text::EqualsNoCase(url.Host, doc_.URL.Host) &&
         EffectivePort(url) == EffectivePort(doc_.URL);
}

bool TLinkJudge::RoomForEntry(const TURL& url) {
  if (s_.SpiderList->Count() < s_.MaxEntries) return true;
  // A listed URL takes no room; AddURL refuses it anyway.
  if (s_.SpiderList->IndexOf(url) >= 0) return true;
  entryCapReached_ = true;
  return false;
}

}  // namespace trawlonix
