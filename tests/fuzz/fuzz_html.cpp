// The HTML parser in all three modes over arbitrary bytes. Besides not
// crashing, every value a callback rewrites must be spliced in exactly once,
// and text without BASE tags or blanks before a tag name must come out as it
// went in when the callbacks leave the values alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "parsers/htmlparser.h"

namespace {

using trawlonix::THTMLParser;
using trawlonix::TLinkKind;
using trawlonix::TParseMode;

struct Run {
  std::string out;
  std::size_t calls = 0;    // rewriting callbacks
  std::size_t removed = 0;  // bytes of the values they were given
};

enum class Rewrite { Keep, Mark, Empty };

Run Parse(std::string_view in, TParseMode mode, Rewrite how, bool withOutput) {
  Run run;
  THTMLParser parser;
  auto change = [&run, how](std::string& s) {
    ++run.calls;
    run.removed += s.size();
    if (how == Rewrite::Mark) s = "[" + s + "]";
    if (how == Rewrite::Empty) s.clear();
  };
  parser.OnLink = [change](std::string& s, TLinkKind k) {
    if (static_cast<int>(k) < 0 || static_cast<int>(k) > 7) std::abort();
    change(s);
  };
  parser.OnScript = change;
  parser.OnScriptLink = change;
  parser.OnBase = [](const std::string&) {};
  parser.OnLinkText = [](const std::string& s) {
    if (s.size() > 250) std::abort();
  };
  parser.Parse(in, withOutput ? &run.out : nullptr, mode);
  return run;
}

bool HasSpecialTags(std::string_view in) {
  for (std::size_t i = 0; i + 1 < in.size(); ++i) {
    if (in[i] != '<') continue;
    const char c = in[i + 1];
    if (c == ' ' || c == '\r' || c == '\n') return true;
  }
  for (std::size_t i = 0; i + 4 <= in.size(); ++i) {
    if ((in[i] | 0x20) == 'b' && (in[i + 1] | 0x20) == 'a' && (in[i + 2] | 0x20) == 's' &&
        (in[i + 3] | 0x20) == 'e') {
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  for (TParseMode mode : {trawlonix::pmHTML, trawlonix::pmScript, trawlonix::pmStyle}) {
    const Run keep = Parse(in, mode, Rewrite::Keep, true);
    if ((mode != trawlonix::pmHTML || !HasSpecialTags(in)) && keep.out != in) std::abort();
    const Run marked = Parse(in, mode, Rewrite::Mark, true);
    if (marked.calls != keep.calls) std::abort();
    if (marked.out.size() != keep.out.size() + 2 * marked.calls) std::abort();
    const Run emptied = Parse(in, mode, Rewrite::Empty, true);
    if (emptied.out.size() != keep.out.size() - emptied.removed) std::abort();
    const Run silent = Parse(in, mode, Rewrite::Mark, false);
    if (silent.calls != keep.calls) std::abort();
  }
  return 0;
}
