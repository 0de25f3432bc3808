#include "parsers/htmltags.h"

#include <array>
#include <cstring>
#include <iterator>

namespace trawlonix::html {

std::string_view Trim(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && IsTrimmed(static_cast<unsigned char>(s[b])))
    ++b;
  while (e > b && IsTrimmed(static_cast<unsigned char>(s[e - 1])))
    --e;
  return s.substr(b, e - b);
}

bool EqualsUpper(std::string_view s, std::string_view upper) {
  return s.size() == upper.size() && StartsWithUpper(s, upper);
}

bool StartsWithUpper(std::string_view s, std::string_view upper) {
  if (s.size() < upper.size()) return false;
  for (std::size_t i = 0; i < upper.size(); ++i) {
    if (Upper(static_cast<unsigned char>(s[i])) != static_cast<unsigned char>(upper[i])) {
      return false;
    }
  }
  return true;
}

std::size_t FindUpper(std::string_view s, std::string_view upper) {
  if (upper.empty()) return 0;
  if (s.size() < upper.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + upper.size() <= s.size(); ++i) {
    if (StartsWithUpper(s.substr(i), upper)) return i;
  }
  return std::string_view::npos;
}

namespace {

struct TTagName {
  std::string_view name;
  TTagType type;
};

constexpr TTagName kTags[] = {
    {"A", TTagType::A},           {"/A", TTagType::EndA},
    {"IMG", TTagType::Img},       {"LINK", TTagType::Link},
    {"FRAME", TTagType::Frame},   {"IFRAME", TTagType::IFrame},
    {"LAYER", TTagType::Layer},   {"BODY", TTagType::Body},
    {"TD", TTagType::Td},         {"TABLE", TTagType::Table},
    {"TH", TTagType::Th},         {"APPLET", TTagType::Applet},
    {"EMBED", TTagType::Embed},   {"BGSOUND", TTagType::BgSound},
    {"MAP", TTagType::Map},       {"/MAP", TTagType::EndMap},
    {"AREA", TTagType::Area},     {"META", TTagType::Meta},
    {"OBJECT", TTagType::Object}, {"/OBJECT", TTagType::EndObject},
    {"PARAM", TTagType::Param},   {"SCRIPT", TTagType::Script},
    {"STYLE", TTagType::Style},   {"BASE", TTagType::Base},
    {"SOURCE", TTagType::Source}, {"VIDEO", TTagType::Video},
    {"AUDIO", TTagType::Audio},   {"TRACK", TTagType::Track},
    {"INPUT", TTagType::Input},   {"IMAGE", TTagType::SvgImage},
    {"USE", TTagType::Use},
};

struct TAttrRow {
  TTagType tag;
  std::string_view attr;
  TAttrAction action;
  TLinkKind kind;
};

constexpr TAttrRow kAttrs[] = {
    {TTagType::Img, "SRC", TAttrAction::Link, lkImage},
    {TTagType::Img, "DYNSRC", TAttrAction::Link, lkImage},
    {TTagType::Img, "LOWSRC", TAttrAction::Link, lkImage},
    {TTagType::Img, "ALT", TAttrAction::AltText, lkImage},
    {TTagType::Img, "SRCSET", TAttrAction::SrcSet, lkImage},
    // Lazy loading: a script moves these into SRC and SRCSET on the page.
    {TTagType::Img, "DATA-SRC", TAttrAction::Link, lkImage},
    {TTagType::Img, "DATA-SRCSET", TAttrAction::SrcSet, lkImage},
    {TTagType::A, "HREF", TAttrAction::Link, lkHyperlink},
    {TTagType::Link, "HREF", TAttrAction::Link, lkHyperlink},
    {TTagType::Link, "SRC", TAttrAction::Link, lkHyperlink},
    {TTagType::Frame, "SRC", TAttrAction::Link, lkFrame},
    {TTagType::IFrame, "SRC", TAttrAction::Link, lkFrame},
    {TTagType::Layer, "SRC", TAttrAction::Link, lkFrame},
    {TTagType::Layer, "BACKGROUND", TAttrAction::Link, lkImage},
    {TTagType::Body, "BACKGROUND", TAttrAction::Link, lkImage},
    {TTagType::Td, "BACKGROUND", TAttrAction::Link, lkImage},
    {TTagType::Table, "BACKGROUND", TAttrAction::Link, lkImage},
    {TTagType::Th, "BACKGROUND", TAttrAction::Link, lkImage},
    {TTagType::Applet, "CODE", TAttrAction::Link, lkApplet},
    {TTagType::Embed, "SRC", TAttrAction::Link, lkEmbedded},
    {TTagType::BgSound, "SRC", TAttrAction::Link, lkEmbedded},
    {TTagType::Area, "HREF", TAttrAction::AreaLink, lkMapArea},
    {TTagType::Meta, "HTTP-EQUIV", TAttrAction::HttpEquiv, lkRefresh},
    {TTagType::Meta, "CONTENT", TAttrAction::MetaContent, lkRefresh},
    {TTagType::Object, "CLASSID", TAttrAction::ClassId, lkEmbedded},
    {TTagType::Object, "DATA", TAttrAction::Link, lkEmbedded},
    {TTagType::Param, "NAME", TAttrAction::ParamName, lkEmbedded},
    {TTagType::Param, "VALUE", TAttrAction::ParamValue, lkEmbedded},
    {TTagType::Script, "SRC", TAttrAction::Link, lkScriptOrStyle},
    {TTagType::Base, "HREF", TAttrAction::BaseHref, lkHyperlink},
    {TTagType::Base, "TARGET", TAttrAction::BaseTarget, lkHyperlink},
    // Media: a SOURCE with SRC sits in a VIDEO or AUDIO, one with SRCSET in a
    // PICTURE; the poster and image inputs are pictures on the page.
    {TTagType::Source, "SRC", TAttrAction::Link, lkEmbedded},
    {TTagType::Source, "SRCSET", TAttrAction::SrcSet, lkImage},
    {TTagType::Source, "DATA-SRC", TAttrAction::Link, lkEmbedded},
    {TTagType::Source, "DATA-SRCSET", TAttrAction::SrcSet, lkImage},
    {TTagType::Video, "SRC", TAttrAction::Link, lkEmbedded},
    {TTagType::Video, "POSTER", TAttrAction::Link, lkImage},
    {TTagType::Audio, "SRC", TAttrAction::Link, lkEmbedded},
    {TTagType::Track, "SRC", TAttrAction::Link, lkEmbedded},
    {TTagType::Input, "SRC", TAttrAction::Link, lkImage},
    // SVG: images and symbols of a sprite sheet.
    {TTagType::SvgImage, "HREF", TAttrAction::Link, lkImage},
    {TTagType::SvgImage, "XLINK:HREF", TAttrAction::Link, lkImage},
    {TTagType::Use, "HREF", TAttrAction::Link, lkImage},
    {TTagType::Use, "XLINK:HREF", TAttrAction::Link, lkImage},
};

}  // namespace

TTagType ClassifyTag(std::string_view name) {
  if (name.empty() || name.size() > 7) return TTagType::Other;
  for (const TTagName& t : kTags) {
    if (EqualsUpper(name, t.name)) return t.type;
  }
  return TTagType::Other;
}

namespace {

// The rows of each tag: kAttrs lists them together.
struct TRowRange {
  std::uint8_t begin = 0;
  std::uint8_t end = 0;
};
constexpr std::size_t kTagTypes = static_cast<std::size_t>(TTagType::Use) + 1;

constexpr std::array<TRowRange, kTagTypes> MakeRowRanges() {
  std::array<TRowRange, kTagTypes> r{};
  for (std::size_t i = 0; i < std::size(kAttrs); ++i) {
    TRowRange& range = r[static_cast<std::size_t>(kAttrs[i].tag)];
    if (range.begin == range.end) range.begin = static_cast<std::uint8_t>(i);
    range.end = static_cast<std::uint8_t>(i + 1);
  }
  return r;
}
constexpr std::array<TRowRange, kTagTypes> kRowRanges = MakeRowRanges();

constexpr bool RowsOfEachTagAreTogether() {
  for (std::size_t i = 0; i < std::size(kAttrs); ++i) {
    const TRowRange range = kRowRanges[static_cast<std::size_t>(kAttrs[i].tag)];
    if (i < range.begin || i >= range.end) return false;
    for (std::size_t j = range.begin; j < range.end; ++j) {
      if (kAttrs[j].tag != kAttrs[i].tag) return false;
    }
  }
  return true;
}
static_assert(RowsOfEachTagAreTogether());

}  // namespace

TAttrRule ClassifyAttribute(TTagType tag, std::string_view name) {
  const TRowRange range = kRowRanges[static_cast<std::size_t>(tag)];
  if (range.begin == range.end) return {};
  name = Trim(name);
  for (std::size_t i = range.begin; i < range.end; ++i) {
    if (EqualsUpper(name, kAttrs[i].attr)) return {kAttrs[i].action, kAttrs[i].kind};
  }
  return {};
}

bool IsStyleAttribute(std::string_view name) {
  return EqualsUpper(Trim(name), "STYLE");
}

bool IsEventAttribute(std::string_view name) {
  return StartsWithUpper(Trim(name), "ON");
}

namespace {

struct TEntity {
  std::string_view upper;
  char byte;
};

// Decoded in one pass; no replacement byte can start or complete another
// entity, so this equals replacing them one after the other in this order.
constexpr TEntity kEntities[] = {
    {"&NBSP;", ' '},    {"&GT;", '>'},      {"&LT;", '<'},  {"&AUML;", '\xE4'},
    {"&OUML;", '\xF6'}, {"&UUML;", '\xFC'}, {"&AMP;", '&'},
};

}  // namespace

std::string CleanAnchorText(std::string_view raw) {
  const std::string_view trimmed = Trim(raw);
  std::string text;
  text.reserve(trimmed.size());
  for (std::size_t i = 0; i < trimmed.size();) {
    const char c = trimmed[i];
    if (c == '&') {
      const TEntity* hit = nullptr;
      for (const TEntity& e : kEntities) {
        if (StartsWithUpper(trimmed.substr(i), e.upper)) {
          hit = &e;
          break;
        }
      }
      if (hit) {
        text.push_back(hit->byte);
        i += hit->upper.size();
        continue;
      }
    }
    text.push_back(c == '\r' || c == '\n' || c == '\t' ? ' ' : c);
    ++i;
  }
  return text;
}

TRefreshParts SplitRefresh(std::string_view content) {
  TRefreshParts parts;
  const std::size_t semi = content.find(';');
  if (semi == std::string_view::npos) return parts;
  const std::size_t key = FindUpper(content.substr(semi + 1), "URL=");
  if (key == std::string_view::npos) return parts;

  std::size_t b = semi + 1 + key + 4;
  while (b < content.size() && IsTrimmed(static_cast<unsigned char>(content[b])))
    ++b;
  std::size_t e = b;
  const char q = b < content.size() ? content[b] : '\0';
  const std::size_t close =
      (q == '\'' || q == '"') ? content.find(q, b + 1) : std::string_view::npos;
  if (close != std::string_view::npos) {
    ++b;  // a quoted target: the quotes stay around the new text
    e = close;
  } else {
    while (e < content.size() && !IsBlank(static_cast<unsigned char>(content[e])))
      ++e;
    while (e > b && IsTrimmed(static_cast<unsigned char>(content[e - 1])))
      --e;
  }
  parts.found = true;
  parts.before = content.substr(0, b);
  parts.url = content.substr(b, e - b);
  parts.after = content.substr(e);
  return parts;
}

TStyleRef SplitStyleRef(std::string_view inner) {
  std::size_t b = 0;
  std::size_t e = inner.size();
  while (b < e && IsTrimmed(static_cast<unsigned char>(inner[b])))
    ++b;
  while (e > b && IsTrimmed(static_cast<unsigned char>(inner[e - 1])))
    --e;
  if (e - b >= 2 && (inner[b] == '\'' || inner[b] == '"') && inner[e - 1] == inner[b]) {
    ++b;
    --e;
  }
  return {inner.substr(0, b), inner.substr(b, e - b), inner.substr(e)};
}

bool NextSrcSetCandidate(std::string_view value, std::size_t& pos, TSpan& span) {
  auto space = [&](std::size_t i) { return IsTrimmed(static_cast<unsigned char>(value[i])); };
  const std::size_t n = value.size();
  std::size_t i = pos;
  while (i < n) {
    while (i < n && (space(i) || value[i] == ','))
      ++i;
    const std::size_t b = i;
    while (i < n && !space(i))
      ++i;
    std::size_t e = i;
    const bool endsWithComma = e > b && value[e - 1] == ',';
    while (e > b && value[e - 1] == ',')
      --e;
    if (!endsWithComma) {
      // Descriptors up to the comma that ends the candidate; a comma inside
      // brackets belongs to the descriptor.
      int brackets = 0;
      for (; i < n; ++i) {
        const char c = value[i];
        if (c == '(') ++brackets;
        if (c == ')' && brackets > 0) --brackets;
        if (c == ',' && brackets == 0) break;
      }
    }
    if (e > b) {
      span = {b, e - b};
      pos = i;
      return true;
    }
  }
  pos = n;
  return false;
}

}  // namespace trawlonix::html
