#include "base/Translate.h"

namespace trawlonix {

std::string TrArgs(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string out;
  std::size_t from = 0;
  for (std::size_t at = text.find('%'); at != std::string_view::npos; at = text.find('%', at + 1)) {
    if (at + 1 >= text.size() || text[at + 1] < '1' || text[at + 1] > '9') continue;
    const auto n = static_cast<std::size_t>(text[at + 1] - '1');
    if (n >= values.size()) continue;
    out.append(text.data() + from, at - from);
    const std::string_view v = values.begin()[n];
    out.append(v.data(), v.size());
    from = at + 2;
    ++at;
  }
  out.append(text.data() + from, text.size() - from);
  return out;
}

}  // namespace trawlonix
