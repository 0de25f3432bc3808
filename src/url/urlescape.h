// Percent-encoding of bytes that may not appear as they are where a URL is
// written out.
#pragma once

#include <string>
#include <string_view>

namespace trawlonix {

enum class EscapeSet {
  // A request target: controls, blank, DEL and every byte outside ASCII (the
  // bytes of UTF-8 text each become one %XX).
  RequestTarget,
  // A URL inside an HTML attribute and text: quote, angle brackets, controls, DEL.
  HtmlAttribute,
};

// Every byte of `s` that `set` names becomes "%XX" (upper-case hex); all
// other bytes, "%" among them, stay, so existing escapes are left alone.
std::string PercentEscape(std::string_view s, EscapeSet set);

}  // namespace trawlonix
