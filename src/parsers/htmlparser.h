// The HTML tag parser and link rewriter. It reads an HTML document, a
// JavaScript file or a style sheet once, reports every link it recognises to
// its owner through callbacks, and writes a copy of the text in which each
// reported value is replaced by what the callback left in it. Everything it
// does not understand is copied byte for byte. It knows nothing of URLs: it
// deals in attribute values and string literals and leaves their meaning to
// the owner.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace trawlonix {

// The kind of a reported link. The values are fixed: the crawl worker picks
// the limit that applies by value range (0; 1-2; 3-4; 5 and above).
enum TLinkKind : int {
  lkImage = 0,          // IMG sources, background images
  lkHyperlink = 1,      // A HREF, LINK
  lkFrame = 2,          // FRAME, IFRAME, LAYER sources
  lkApplet = 3,         // APPLET CODE, Java applet PARAM
  lkEmbedded = 4,       // EMBED, BGSOUND, Flash movie PARAM
  lkMapArea = 5,        // AREA HREF inside a MAP
  lkRefresh = 6,        // META refresh target
  lkScriptOrStyle = 7,  // SCRIPT SRC, style-sheet url(...)
};

// What Parse reads: an HTML document, a JavaScript file or a style sheet.
enum TParseMode : int {
  pmHTML = 0,
  pmScript = 1,
  pmStyle = 2,
};

class THTMLParser {
 public:
  // A link value as found (attribute value, refresh target, url(...) text).
  // What the callback leaves in `link` is written in place of the value.
  using TLinkEvent = std::function<void(std::string& link, TLinkKind kind)>;
  // The HREF of a BASE tag. The tag itself is written as a comment.
  using TBaseEvent = std::function<void(const std::string& href)>;
  // The text of an anchor (A ... /A), trimmed and with a few entities decoded.
  using TLinkTextEvent = std::function<void(const std::string& text)>;
  // The code of an event-handler attribute (name beginning with "ON"). What
  // the callback leaves is written in place of the attribute value.
  using TScriptEvent = std::function<void(std::string& code)>;
  // A string literal of script content, without its quotes. What the
  // callback leaves is written between the same quotes.
  using TScriptLinkEvent = std::function<void(std::string& literal)>;

  // Callbacks; one that is not set is not called.
  TLinkEvent OnLink;
  TBaseEvent OnBase;
  TLinkTextEvent OnLinkText;
  TScriptEvent OnScript;
  TScriptLinkEvent OnScriptLink;

  THTMLParser();
  ~THTMLParser();
  THTMLParser(const THTMLParser&) = delete;
  THTMLParser& operator=(const THTMLParser&) = delete;

  // Scans `input` in `mode`. When `output` is not null it is replaced by the
  // rewritten text: the input with reported values replaced by what the
  // callbacks left, BASE tags commented out (and followed by a BASE TARGET tag
  // when they named a target), and blanks between "<" and the name of a
  // tag without attributes dropped. Never fails: malformed input is copied
  // unchanged, and an exception thrown by a callback ends the scan with the
  // rest of the input copied unchanged.
  void Parse(std::string_view input, std::string* output, TParseMode mode);

 private:
  class TScanner;
  std::unique_ptr<TScanner> scanner_;
};

}  // namespace trawlonix
