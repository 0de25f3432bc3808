// Small ASCII helpers of this folder's header grammars, on top of the shared
// text helpers. They never look at the locale: bytes from the web are
// compared as bytes.
#pragma once

#include <string>
#include <string_view>

#include "base/Text.h"

namespace trawlonix::ascii {

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
inline bool IsAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline char Lower(char c) {
  return text::LowerByte(c);
}

// Optional white space of header and robots.txt lines: spaces and tabs only
// (text::Trim also drops control bytes, which these grammars reject instead).
inline std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

inline std::string LowerCopy(std::string_view s) {
  return text::Lower(s);
}

inline bool EqualNoCase(std::string_view a, std::string_view b) {
  return text::EqualsNoCase(a, b);
}

}  // namespace trawlonix::ascii
