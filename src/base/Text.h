// Small byte-string helpers every layer uses. ASCII only: bytes of other
// characters (UTF-8 sequences included) are left as they are, whatever the
// process locale.
#pragma once

#include <string>
#include <string_view>

namespace trawlonix::text {

// Without leading and trailing bytes up to and including the blank (controls,
// line breaks, tabs, spaces).
std::string_view Trim(std::string_view s);

char LowerByte(char c);
char UpperByte(char c);
std::string Lower(std::string_view s);
std::string Upper(std::string_view s);

bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);

}  // namespace trawlonix::text
