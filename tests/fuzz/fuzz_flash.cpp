// Flash movies come from web servers: any bytes must parse without a crash,
// an out-of-bounds read, a hang or an unbounded allocation.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "parsers/flashparser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view movie(reinterpret_cast<const char*>(data), size);
  trawlonix::TFlashParser parser;
  parser.OnURL = [&](const std::string& url) {
    // Every reported string is a piece of the input.
    if (url.empty() || url.size() > size || movie.find(url) == std::string_view::npos) std::abort();
  };
  parser.OnMessage = [](const std::string& text) {
    if (text.empty()) std::abort();
  };
  parser.Parse(movie);
  return 0;
}
