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

// Scans a style sheet from `p`. Embedded in a document, the content ends
// with the STYLE end tag and the position after its ">" is returned; a style
// sheet is scanned to its end.
std::size_t THTMLParser::TScanner::ScanStyle(std::size_t p, bool embedded) {
  const std::size_t n = in_.size();
  // No reference reaches past the end tag, so it is found once here rather
  // than by every url( that looks for its ")".
  const std::size_t end = embedded ? FindEndTag(p, "/STYLE") : n;
  ScanStyleText(p, end, 0, lkScriptOrStyle);
  return end < n ? EndTagAt(end, "/STYLE") + 1 : n;
}

// Style text in [p, end) that starts at brace depth `depth`. Inside braces,
// url(...) references and the strings of image-set(...) go to OnLink with
// `kind`; @import rules go to OnLink as style sheets wherever they stand.
// Comments are skipped: what a sheet comments out is not loaded.
void THTMLParser::TScanner::ScanStyleText(std::size_t p, std::size_t end, std::size_t depth,
                                          TLinkKind kind) {
  bool inWord = false;  // the previous byte continues a word
  for (; p < end; ++p) {
    const unsigned char c = static_cast<unsigned char>(in_[p]);
    const std::string_view rest = in_.substr(p, end - p);
    if (c == '{') {
      ++depth;
    } else if (c == '}' && depth > 0) {
      --depth;
    } else if (c == '/' && rest.size() > 1 && rest[1] == '*') {
      const std::size_t close = rest.find("*/", 2);
      p = close == npos ? end - 1 : p + close + 1;
    } else if (c == '@' && html::StartsWithUpper(rest, "@IMPORT")) {
      p = ScanImport(p + 7, end) - 1;
    } else if (depth > 0 && !inWord && html::StartsWithUpper(rest, "URL(")) {
      p = ScanStyleRef(p + 3, end, kind);
    } else if (depth > 0 && html::StartsWithUpper(rest, "IMAGE-SET(")) {
      p = ScanImageSet(p + 9, end, kind);
    }
    inWord = p < end && IsWordByte(static_cast<unsigned char>(in_[p]));
  }
}

// After "@import": a quoted sheet or url(...). Returns where scanning goes on.
std::size_t THTMLParser::TScanner::ScanImport(std::size_t p, std::size_t end) {
  while (p < end && html::IsTrimmed(static_cast<unsigned char>(in_[p])))
    ++p;
  if (p >= end) return end;
  const char q = in_[p];
  if (q == '"' || q == '\'') {
    const std::size_t close =
        in_.substr(0, end).find_first_of(q == '"' ? "\"\r\n" : "'\r\n", p + 1);
    if (close == npos || in_[close] != q) return p + 1;
    Rewrite(p + 1, close, owner_.OnLink, lkScriptOrStyle);
    return close + 1;
  }
  if (html::StartsWithUpper(in_.substr(p, end - p), "URL(")) {
    return ScanStyleRef(p + 3, end, lkScriptOrStyle) + 1;
  }
  return p;
}

// The list of image-set( at `paren`: its quoted strings and url(...)
// references are reported. Returns the position of its ")" (or of the last
// byte looked at).
std::size_t THTMLParser::TScanner::ScanImageSet(std::size_t paren, std::size_t end,
                                                TLinkKind kind) {
  std::size_t p = paren + 1;
  for (; p < end && in_[p] != ')'; ++p) {
    const char c = in_[p];
    if (c == '"' || c == '\'') {
      const std::size_t close = in_.substr(0, end).find(c, p + 1);
      if (close == npos) return end - 1;
      Rewrite(p + 1, close, owner_.OnLink, kind);
      p = close;
    } else if (html::StartsWithUpper(in_.substr(p, end - p), "URL(")) {
      p = ScanStyleRef(p + 3, end, kind);
    }
  }
  return p < end ? p : end - 1;
}

// The reference between "(" at `paren` and the next ")" before `end`. It is
// reported without the blanks and quotes around it, which stay as they are.
// Returns the position of the ")", or "(" itself when the reference is not
// closed.
std::size_t THTMLParser::TScanner::ScanStyleRef(std::size_t paren, std::size_t end,
                                                TLinkKind kind) {
  const std::size_t b = paren + 1;
  if (b >= noParenFrom_ && end <= noParenUntil_) return paren;
  const void* hit = b < end ? std::memchr(in_.data() + b, ')', end - b) : nullptr;
  if (!hit) {
    noParenFrom_ = b;
    noParenUntil_ = end;
    return paren;
  }
  const std::size_t close = static_cast<const char*>(hit) - in_.data();
  const html::TStyleRef ref = html::SplitStyleRef(in_.substr(b, close - b));
  const std::size_t ub = b + ref.before.size();
  Rewrite(ub, ub + ref.url.size(), owner_.OnLink, kind);
  return close;
}

}  // namespace trawlonix
