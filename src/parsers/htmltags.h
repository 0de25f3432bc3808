// The fixed table of tags and attributes the HTML parser recognises, and the
// small byte-string helpers its scanners share. Internal to the parsers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "parsers/htmlparser.h"

namespace trawlonix::html {

// A blank for the tag reader: space, CR or LF. A tab is not a blank.
inline bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\r' || c == '\n';
}

// What trimming removes: every control byte and the space.
inline bool IsTrimmed(unsigned char c) {
  return c <= ' ';
}

inline unsigned char Upper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

std::string_view Trim(std::string_view s);

// Case-insensitive (ASCII) comparison of `s` with the upper-case `upper`.
bool EqualsUpper(std::string_view s, std::string_view upper);

// Whether `s` begins with the upper-case `upper`, case-insensitively.
bool StartsWithUpper(std::string_view s, std::string_view upper);

// Position of the upper-case `upper` in `s`, case-insensitively, or npos.
std::size_t FindUpper(std::string_view s, std::string_view upper);

enum class TTagType : std::uint8_t {
  Other,
  Img,
  A,
  EndA,
  Link,
  Frame,
  IFrame,
  Layer,
  Body,
  Td,
  Table,
  Th,
  Applet,
  Embed,
  BgSound,
  Map,
  EndMap,
  Area,
  Meta,
  Object,
  EndObject,
  Param,
  Script,
  Style,
  Base,
  Source,
  Video,
  Audio,
  Track,
  Input,
  SvgImage,
  Use,
};

// Looks up a tag name as read (compared case-insensitively, not trimmed: a
// tab or other control byte at either end makes it another tag).
TTagType ClassifyTag(std::string_view name);

// What an attribute of a recognised tag does.
enum class TAttrAction : std::uint8_t {
  None,         // copied unchanged
  Link,         // reported through OnLink with the rule's kind
  AreaLink,     // reported as lkMapArea while inside a MAP
  AltText,      // appended to the anchor text
  HttpEquiv,    // remembered for the CONTENT attribute of the same META tag
  MetaContent,  // refresh handling when HTTP-EQUIV was "REFRESH"
  ClassId,      // remembered as the object's class id
  ParamName,    // remembered as the PARAM's name
  ParamValue,   // reported when the name fits the object's class id
  BaseHref,     // reported through OnBase
  BaseTarget,   // remembered and repeated after the commented BASE tag
  SrcSet,       // every candidate of a srcset list reported with the rule's kind
};

struct TAttrRule {
  TAttrAction action = TAttrAction::None;
  TLinkKind kind = lkImage;
};

// Looks up an attribute name (trimmed, compared case-insensitively) of a tag.
TAttrRule ClassifyAttribute(TTagType tag, std::string_view name);

// Whether an attribute, trimmed, is the STYLE attribute every tag may carry.
bool IsStyleAttribute(std::string_view name);

// Whether an attribute name, trimmed, begins with "ON" (an event handler).
bool IsEventAttribute(std::string_view name);

// Class ids of OBJECT tags whose PARAMs carry links.
inline constexpr std::string_view kFlashClassId = "CLSID:D27CDB6E-AE6D-11CF-96B8-444553540000";
inline constexpr std::string_view kJavaClassId = "CLSID:8AD9C840-044E-11D1-B3E9-00805F499D93";

// The anchor text as it is delivered: trimmed, line breaks and tabs turned
// into spaces, a few entities decoded.
std::string CleanAnchorText(std::string_view raw);

// A META refresh CONTENT value split around its URL: before + url + after ==
// the value. `found` is false when the value has no ";" or no "URL=" after
// it; an empty target after "URL=" is found (and empty).
struct TRefreshParts {
  bool found = false;
  std::string_view before;  // everything up to the URL
  std::string_view url;     // the target, without blanks or quotes around it
  std::string_view after;   // everything after the URL
};
TRefreshParts SplitRefresh(std::string_view content);

// A url(...) reference split into the blanks and quotes around it and the
// reference itself: before + url + after == the text between the brackets.
struct TStyleRef {
  std::string_view before;
  std::string_view url;
  std::string_view after;
};
TStyleRef SplitStyleRef(std::string_view inner);

// The next address of a srcset list ("a.jpg 1x, b.jpg 2x") at or after
// `pos`, as offset and length into the value; `pos` moves past its
// candidate. Each candidate is an address followed by optional descriptors
// up to the next comma. An address runs to the next blank ("a,b.jpg" is one
// address); commas at its end ("a.jpg, b.jpg") separate candidates. False when no address is left.
struct TSpan {
  std::size_t begin = 0;
  std::size_t size = 0;
};
bool NextSrcSetCandidate(std::string_view value, std::size_t& pos, TSpan& span);

}  // namespace trawlonix::html
