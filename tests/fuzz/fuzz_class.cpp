// Class files come from web servers: any bytes must parse without a crash,
// an out-of-bounds read, a hang or an unbounded allocation.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "parsers/classparser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  trawlonix::TJavaClassParser parser;
  std::size_t total = 0;
  parser.OnClassRef = [&](const std::string& name) {
    if (name.empty()) std::abort();  // never reported
    total += name.size();
  };
  parser.OnMessage = [&](const std::string& text) {
    if (text.empty()) std::abort();
    total += text.size();
  };
  parser.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  // Everything reported was decoded from the input: at most three output
  // bytes per input byte, plus the fixed header messages.
  if (total > 3 * size + 200) std::abort();
  return 0;
}
