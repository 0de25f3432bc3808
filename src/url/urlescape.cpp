#include "url/urlescape.h"

namespace trawlonix {

namespace {

bool NeedsEscape(unsigned char b, EscapeSet set) {
  switch (set) {
    case EscapeSet::RequestTarget:
      return b <= 0x20 || b >= 0x7F;
    case EscapeSet::HtmlAttribute:
      return b == '"' || b == '<' || b == '>' || b < 0x20 || b == 0x7F;
  }
  return false;
}

}  // namespace

std::string PercentEscape(std::string_view s, EscapeSet set) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (NeedsEscape(b, set)) {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace trawlonix
