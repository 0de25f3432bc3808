// Script and style content: JavaScript files and the content of SCRIPT tags,
// style sheets and the content of STYLE tags.
#include <array>
#include <cstring>

#include "parsers/htmlscanner.h"

namespace trawlonix {

namespace {

// Bytes at which the script scanner outside literals has something to do.
constexpr std::array<bool, 256> MakeScriptStops() {
  std::array<bool, 256> t{};
  t['"'] = t['\''] = t['<'] = true;
  return t;
}
constexpr std::array<bool, 256> kScriptStops = MakeScriptStops();

// Bytes that can continue a CSS word: "background-url(" is not a reference,
// ":url(" is.
inline bool IsWordByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c >= 0x80;
}

}  // namespace

// "<" + optional blanks + `upperName` (case-insensitive) + optional blanks +
// ">": the position of the ">", else npos.
std::size_t THTMLParser::TScanner::EndTagAt(std::size_t lt, std::string_view upperName) const {
  const std::size_t n = in_.size();
  std::size_t i = lt + 1;
  while (i < n && html::IsTrimmed(static_cast<unsigned char>(in_[i])))
    ++i;
  if (!html::StartsWithUpper(in_.substr(i), upperName)) return npos;
  i += upperName.size();
  while (i < n && html::IsTrimmed(static_cast<unsigned char>(in_[i])))
    ++i;
  return (i < n && in_[i] == '>') ? i : npos;
}

// The "<" of the first such end tag at or after `p`, else the end of the input.
std::size_t THTMLParser::TScanner::FindEndTag(std::size_t p, std::string_view upperName) const {
  for (std::size_t lt = in_.find('<', p); lt != npos; lt = in_.find('<', lt + 1)) {
    if (EndTagAt(lt, upperName) != npos) return lt;
  }
  return in_.size();
}

// ---------------------------------------------------------------------------
// Script

// Scans script from `p`. Embedded in a document, the content ends with the
// SCRIPT end tag and the position after its ">" is returned; a JavaScript file
// is scanned to its end.
std::size_t THTMLParser::TScanner::ScanScript(std::size_t p, bool embedded) {
  const std::size_t n = in_.size();
  while (p < n) {
    while (p < n && !kScriptStops[static_cast<unsigned char>(in_[p])])
      ++p;
    if (p >= n) break;
    if (in_[p] != '<') {
      p = ScanLiteral(p, embedded);
      continue;
    }
    const std::size_t gt = EndTagAt(p, "/SCRIPT");
    if (gt != npos && embedded) return gt + 1;
    p = gt != npos ? gt + 1 : p + 1;
  }
  return n;
}

// A string literal opened at `open`. A backslash escapes the byte after it.
// A closed literal goes to OnScriptLink and the scan resumes after its
// closing quote. A literal is not closed when a line break or, in a document,
// the SCRIPT end tag comes first (a quote in a comment, say): it is left as it
// is and the scan resumes there.
std::size_t THTMLParser::TScanner::ScanLiteral(std::size_t open, bool embedded) {
  const std::size_t n = in_.size();
  const char quote = in_[open];
  std::size_t i = open + 1;
  while (i < n) {
    const char c = in_[i];
    if (c == quote) {
      Rewrite(open + 1, i, owner_.OnScriptLink);
      return i + 1;
    }
    if (c == '\\') {
      i += 2;
      continue;
    }
    if (c == '\r' || c == '\n') return i;
    if (c == '<' && embedded && EndTagAt(i, "/SCRIPT") != npos) return i;
    ++i;
  }
  return n;
}

// ---------------------------------------------------------------------------
// Style

// Scans a style sheet from `p`. Inside braces, url(...) references go to
// OnLink. Embedded in a document, the content ends with the STYLE end tag and
// the position after its ">" is returned; a style sheet is scanned to its end.
std::size_t THTMLParser::TScanner::ScanStyle(std::size_t p, bool embedded) {
  static constexpr char kUrl[] = "url";
  const std::size_t n = in_.size();
  // No reference reaches past the end tag, so it is found once here rather
  // than by every url( that looks for its ")".
  const std::size_t end = embedded ? FindEndTag(p, "/STYLE") : n;
  std::size_t depth = 0;
  int matched = 0;      // bytes of "url" matched so far
  bool inWord = false;  // the previous byte continues a word
  for (; p < end; ++p) {
    const unsigned char c = static_cast<unsigned char>(in_[p]);
    if (c == '{') {
      ++depth;
    } else if (c == '}' && depth > 0) {
      --depth;
    }
    if (depth == 0) {
      matched = 0;
      inWord = false;
      continue;
    }
    if (matched == 3 && c == '(') {
      p = ScanStyleRef(p, end) - 1;
      matched = 0;
      inWord = false;
    } else if (matched < 3 && !(matched == 0 && inWord) && (c | 0x20) == kUrl[matched]) {
      ++matched;
      inWord = true;
    } else {
      matched = 0;
      inWord = IsWordByte(c);
    }
  }
  return end < n ? EndTagAt(end, "/STYLE") + 1 : n;
}

// The reference between "(" at `paren` and the next ")" before `end`. It is
// reported without the blanks and quotes around it, which stay as they are.
// Returns the position of the ")", or the byte after "(" when the reference
// is not closed.
std::size_t THTMLParser::TScanner::ScanStyleRef(std::size_t paren, std::size_t end) {
  const std::size_t b = paren + 1;
  if (b >= noParenFrom_ && end <= noParenUntil_) return b;
  const void* hit = std::memchr(in_.data() + b, ')', end - b);
  if (!hit) {
    noParenFrom_ = b;
    noParenUntil_ = end;
    return b;
  }
  const std::size_t close = static_cast<const char*>(hit) - in_.data();
  const html::TStyleRef ref = html::SplitStyleRef(in_.substr(b, close - b));
  const std::size_t ub = b + ref.before.size();
  Rewrite(ub, ub + ref.url.size(), owner_.OnLink, lkScriptOrStyle);
  return close;
}

}  // namespace trawlonix
