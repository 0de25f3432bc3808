// The scanner behind THTMLParser: HTML text, the tag reader, script and style
// content. Internal to the parsers.
//
// Output is produced lazily: the scanner remembers how far the input has been
// copied and, when something changes, copies the unchanged run up to the
// change, appends the new text and skips the replaced input bytes. An input
// that needs no change is thus copied in one piece at the end, and bytes the
// scanner never got to (a tag cut off by the end of the input) still reach the
// output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "parsers/htmlparser.h"
#include "parsers/htmltags.h"

namespace trawlonix {

class THTMLParser::TScanner {
 public:
  explicit TScanner(THTMLParser& owner) : owner_(owner) {}

  void Run(std::string_view input, std::string* output, TParseMode mode);

 private:
  static constexpr std::size_t npos = std::string_view::npos;
  static constexpr std::size_t kAnchorMax = 250;

  enum class TTagState : std::uint8_t {
    BeforeName,
    Name,
    BetweenAttributes,
    AttributeName,
    BeforeValue,
    QuotedValue,
    UnquotedValue,
    Done,
  };
  enum class TContent : std::uint8_t { Html, Script, Style };

  // Output.
  void CopyTo(std::size_t pos);
  void Splice(std::size_t begin, std::size_t end, std::string_view text);
  void Insert(std::size_t pos, std::string_view text) { Splice(pos, pos, text); }
  // Hands in_[begin, end) to `event` through value_ and splices in what it left.
  template <typename TEvent, typename... TArgs>
  void Rewrite(std::size_t begin, std::size_t end, const TEvent& event, TArgs... args);

  // HTML text mode.
  void ScanHTML(std::size_t p);
  std::size_t ReadText(std::size_t p);
  std::size_t SkipComment(std::size_t p) const;

  // The tag reader: one function per state, each consuming a run of bytes and
  // returning where the next state starts.
  std::size_t ReadTag(std::size_t p);
  std::size_t StateBeforeName(std::size_t p);
  std::size_t StateName(std::size_t p);
  std::size_t StateBetweenAttributes(std::size_t p);
  std::size_t StateAttributeName(std::size_t p);
  std::size_t StateBeforeValue(std::size_t p);
  std::size_t StateQuotedValue(std::size_t p);
  std::size_t StateUnquotedValue(std::size_t p);

  void BeginTag(std::size_t p);
  void ClassifyName();
  void FinishNameOnly();
  void EndOfTag(std::size_t gt);
  void ProcessAttribute(std::size_t vb, std::size_t ve);
  void ProcessRefresh(std::size_t vb, std::size_t ve);
  void ProcessParamValue(std::size_t vb, std::size_t ve);
  std::string_view AttributeName() const { return in_.substr(attrBegin_, attrEnd_ - attrBegin_); }

  // Anchor text.
  void AppendAnchor(std::string_view text);
  void StartAnchor();
  void EndAnchor();
  void DeliverAnchor();

  // Script and style content.
  std::size_t ScanScript(std::size_t p, bool embedded);
  std::size_t ScanLiteral(std::size_t open, bool embedded);
  std::size_t ScanStyle(std::size_t p, bool embedded);
  void ScanStyleText(std::size_t p, std::size_t end, std::size_t depth, TLinkKind kind);
  std::size_t ScanImport(std::size_t p, std::size_t end);
  std::size_t ScanImageSet(std::size_t paren, std::size_t end, TLinkKind kind);
  std::size_t ScanStyleRef(std::size_t paren, std::size_t end, TLinkKind kind);
  void ProcessSrcSet(std::size_t vb, std::size_t ve, TLinkKind kind);
  std::size_t EndTagAt(std::size_t lt, std::string_view upperName) const;
  std::size_t FindEndTag(std::size_t p, std::string_view upperName) const;

  THTMLParser& owner_;
  std::string_view in_;
  std::string* out_ = nullptr;
  std::size_t flushed_ = 0;
  std::string value_;  // reused for every value handed to a callback

  // Per document.
  std::uint16_t mapDepth_ = 0;
  std::uint16_t objectDepth_ = 0;
  bool anchorOn_ = false;
  std::size_t anchorLen_ = 0;
  char anchor_[kAnchorMax] = {};
  // No ")" in [noParenFrom_, noParenUntil_).
  std::size_t noParenFrom_ = npos;
  std::size_t noParenUntil_ = 0;

  // Kept across documents until the next CLASSID replaces it.
  std::string classId_;

  // Per tag.
  TTagState state_ = TTagState::Done;
  html::TTagType tagType_ = html::TTagType::Other;
  bool classified_ = false;
  TContent next_ = TContent::Html;
  std::size_t tagStart_ = 0;  // just after "<"
  std::size_t nameBegin_ = 0;
  std::size_t nameEnd_ = 0;
  bool hasAttr_ = false;
  std::size_t attrBegin_ = 0;
  std::size_t attrEnd_ = 0;
  char quote_ = '\0';
  std::size_t valueBegin_ = 0;
  std::string httpEquiv_;
  std::string paramName_;
  bool hasBaseTarget_ = false;
  std::string baseTarget_;
};

template <typename TEvent, typename... TArgs>
void THTMLParser::TScanner::Rewrite(std::size_t begin, std::size_t end, const TEvent& event,
                                    TArgs... args) {
  if (!event) return;
  const std::string_view original = in_.substr(begin, end - begin);
  value_.assign(original);
  event(value_, args...);
  if (value_ != original) Splice(begin, end, value_);
}

}  // namespace trawlonix
