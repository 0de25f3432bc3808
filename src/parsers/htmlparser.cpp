#include "parsers/htmlparser.h"

#include <cstring>

#include "parsers/htmlscanner.h"

namespace trawlonix {

using html::TAttrAction;
using html::TTagType;

THTMLParser::THTMLParser() : scanner_(std::make_unique<TScanner>(*this)) {}
THTMLParser::~THTMLParser() = default;

void THTMLParser::Parse(std::string_view input, std::string* output, TParseMode mode) {
  scanner_->Run(input, output, mode);
}

// ---------------------------------------------------------------------------
// Document and output

void THTMLParser::TScanner::Run(std::string_view input, std::string* output, TParseMode mode) {
  in_ = input;
  out_ = output;
  flushed_ = 0;
  mapDepth_ = 0;
  objectDepth_ = 0;
  anchorOn_ = false;
  anchorLen_ = 0;
  noParenFrom_ = npos;
  noParenUntil_ = 0;
  state_ = TTagState::Done;
  if (out_) {
    out_->clear();
    out_->reserve(in_.size());
  }
  try {
    switch (mode) {
      case pmScript:
        ScanScript(0, false);
        break;
      case pmStyle:
        ScanStyle(0, false);
        break;
      default:
        ScanHTML(0);
        break;
    }
  } catch (...) {
    // A callback that throws ends the scan; the rest is copied as it is.
  }
  try {
    CopyTo(in_.size());
  } catch (...) {
  }
  in_ = {};
  out_ = nullptr;
}

void THTMLParser::TScanner::CopyTo(std::size_t pos) {
  if (out_ && pos > flushed_) {
    out_->append(in_.data() + flushed_, pos - flushed_);
    flushed_ = pos;
  }
}

void THTMLParser::TScanner::Splice(std::size_t begin, std::size_t end, std::string_view text) {
  if (!out_) return;
  CopyTo(begin);
  out_->append(text);
  flushed_ = end;
}

// ---------------------------------------------------------------------------
// HTML text mode

void THTMLParser::TScanner::ScanHTML(std::size_t p) {
  const std::size_t n = in_.size();
  while (p < n) {
    p = ReadText(p);  // now just after a "<"
    if (p >= n) break;
    if (p + 3 <= n && in_[p] == '!' && in_[p + 1] == '-' && in_[p + 2] == '-') {
      p = SkipComment(p + 3);
      continue;
    }
    p = ReadTag(p);
    if (next_ == TContent::Script) {
      p = ScanScript(p, true);
    } else if (next_ == TContent::Style) {
      p = ScanStyle(p, true);
    }
  }
}

std::size_t THTMLParser::TScanner::ReadText(std::size_t p) {
  const void* hit = std::memchr(in_.data() + p, '<', in_.size() - p);
  const std::size_t lt = hit ? static_cast<const char*>(hit) - in_.data() : in_.size();
  if (anchorOn_) AppendAnchor(in_.substr(p, lt - p));
  return hit ? lt + 1 : in_.size();
}

std::size_t THTMLParser::TScanner::SkipComment(std::size_t p) const {
  const std::size_t end = in_.find("-->", p);
  return end == npos ? in_.size() : end + 3;
}

// ---------------------------------------------------------------------------
// The tag reader

void THTMLParser::TScanner::BeginTag(std::size_t p) {
  state_ = TTagState::BeforeName;
  tagType_ = TTagType::Other;
  classified_ = false;
  next_ = TContent::Html;
  tagStart_ = nameBegin_ = nameEnd_ = p;
  hasAttr_ = false;
  httpEquiv_.clear();
  paramName_.clear();
  hasBaseTarget_ = false;
  baseTarget_.clear();
}

std::size_t THTMLParser::TScanner::ReadTag(std::size_t p) {
  BeginTag(p);
  const std::size_t n = in_.size();
  while (state_ != TTagState::Done) {
    // The input ended inside the tag: its bytes are copied as they are.
    if (p >= n) return n;
    switch (state_) {
      case TTagState::BeforeName:
        p = StateBeforeName(p);
        break;
      case TTagState::Name:
        p = StateName(p);
        break;
      case TTagState::BetweenAttributes:
        p = StateBetweenAttributes(p);
        break;
      case TTagState::AttributeName:
        p = StateAttributeName(p);
        break;
      case TTagState::BeforeValue:
        p = StateBeforeValue(p);
        break;
      case TTagState::QuotedValue:
        p = StateQuotedValue(p);
        break;
      case TTagState::UnquotedValue:
        p = StateUnquotedValue(p);
        break;
      case TTagState::Done:
        break;
    }
  }
  return p;
}

namespace {

// First position at or after `p` holding a blank or ">" (or `n`).
inline std::size_t SkipToBlankOrGt(std::string_view in, std::size_t p) {
  while (p < in.size()) {
    const unsigned char c = static_cast<unsigned char>(in[p]);
    if (c == '>' || html::IsBlank(c)) break;
    ++p;
  }
  return p;
}

inline std::size_t SkipBlanks(std::string_view in, std::size_t p) {
  while (p < in.size() && html::IsBlank(static_cast<unsigned char>(in[p])))
    ++p;
  return p;
}

}  // namespace

std::size_t THTMLParser::TScanner::StateBeforeName(std::size_t p) {
  p = SkipBlanks(in_, p);
  if (p >= in_.size()) return p;
  if (in_[p] == '>') {
    EndOfTag(p);
    return p + 1;
  }
  nameBegin_ = p;
  state_ = TTagState::Name;
  return p + 1;
}

std::size_t THTMLParser::TScanner::StateName(std::size_t p) {
  p = SkipToBlankOrGt(in_, p);
  if (p >= in_.size()) return p;
  nameEnd_ = p;
  if (in_[p] == '>') {
    FinishNameOnly();
    EndOfTag(p);
    return p + 1;
  }
  ClassifyName();
  state_ = TTagState::BetweenAttributes;
  return p + 1;
}

std::size_t THTMLParser::TScanner::StateBetweenAttributes(std::size_t p) {
  p = SkipBlanks(in_, p);
  if (p >= in_.size()) return p;
  const char c = in_[p];
  if (c == '>') {
    EndOfTag(p);
    return p + 1;
  }
  if (c == '=' && hasAttr_) {
    state_ = TTagState::BeforeValue;
    return p + 1;
  }
  attrBegin_ = p;
  state_ = TTagState::AttributeName;
  return p + 1;
}

std::size_t THTMLParser::TScanner::StateAttributeName(std::size_t p) {
  while (p < in_.size()) {
    const unsigned char c = static_cast<unsigned char>(in_[p]);
    if (c == '>' || c == '=' || html::IsBlank(c)) break;
    ++p;
  }
  if (p >= in_.size()) return p;
  attrEnd_ = p;
  hasAttr_ = true;
  const char c = in_[p];
  if (c == '>') {
    EndOfTag(p);
  } else {
    state_ = c == '=' ? TTagState::BeforeValue : TTagState::BetweenAttributes;
  }
  return p + 1;
}

std::size_t THTMLParser::TScanner::StateBeforeValue(std::size_t p) {
  p = SkipBlanks(in_, p);
  if (p >= in_.size()) return p;
  const char c = in_[p];
  if (c == '>') {
    EndOfTag(p);
    return p + 1;
  }
  if (c == '"' || c == '\'') {
    quote_ = c;
    valueBegin_ = p + 1;
    state_ = TTagState::QuotedValue;
    return p + 1;
  }
  valueBegin_ = p;
  state_ = TTagState::UnquotedValue;
  return p + 1;
}

std::size_t THTMLParser::TScanner::StateQuotedValue(std::size_t p) {
  const void* hit = std::memchr(in_.data() + p, quote_, in_.size() - p);
  if (hit) {
    const std::size_t close = static_cast<const char*>(hit) - in_.data();
    ProcessAttribute(valueBegin_, close);
    hasAttr_ = false;
    state_ = TTagState::BetweenAttributes;
    return close + 1;
  }
  // The quote is never closed: the value ends at the line break, where the
  // tag ends too and text continues. Without a line break the rest of the
  // input is the value, copied as it is.
  state_ = TTagState::Done;
  const std::size_t eol = in_.find_first_of("\r\n", valueBegin_);
  if (eol == npos) return in_.size();
  ProcessAttribute(valueBegin_, eol);
  return eol;
}

std::size_t THTMLParser::TScanner::StateUnquotedValue(std::size_t p) {
  p = SkipToBlankOrGt(in_, p);
  if (p >= in_.size()) return p;
  ProcessAttribute(valueBegin_, p);
  hasAttr_ = false;
  if (in_[p] == '>') {
    EndOfTag(p);
  } else {
    state_ = TTagState::BetweenAttributes;
  }
  return p + 1;
}

// A name followed by a blank: the tag is looked up and takes effect.
void THTMLParser::TScanner::ClassifyName() {
  classified_ = true;
  tagType_ = html::ClassifyTag(in_.substr(nameBegin_, nameEnd_ - nameBegin_));
  switch (tagType_) {
    case TTagType::Base:
      Insert(tagStart_, "!-- ");
      break;
    case TTagType::Map:
      if (mapDepth_ < UINT16_MAX) ++mapDepth_;
      break;
    case TTagType::EndMap:
      if (mapDepth_ > 0) --mapDepth_;
      break;
    case TTagType::Object:
      if (objectDepth_ < UINT16_MAX) ++objectDepth_;
      break;
    case TTagType::EndObject:
      if (objectDepth_ > 0) --objectDepth_;
      break;
    case TTagType::A:
      StartAnchor();
      break;
    case TTagType::EndA:
      EndAnchor();
      break;
    default:
      break;
  }
}

// A tag that ends right after its name: it has no attributes and is not
// classified; only a BASE is commented out, an "/A" ends the anchor, and a
// SCRIPT or STYLE starts its content.
void THTMLParser::TScanner::FinishNameOnly() {
  const std::string_view name = in_.substr(nameBegin_, nameEnd_ - nameBegin_);
  if (html::EqualsUpper(html::Trim(name), "BASE")) {
    Splice(tagStart_, nameBegin_, "!-- ");
    Insert(nameEnd_, " --");
    return;
  }
  if (nameBegin_ > tagStart_) Splice(tagStart_, nameBegin_, "");
  if (html::EqualsUpper(html::Trim(name), "/A")) EndAnchor();
  // Pages written today leave out the type: a bare SCRIPT or STYLE tag holds
  // script or a style sheet as much as one with attributes.
  if (html::EqualsUpper(name, "SCRIPT")) next_ = TContent::Script;
  if (html::EqualsUpper(name, "STYLE")) next_ = TContent::Style;
}

void THTMLParser::TScanner::EndOfTag(std::size_t gt) {
  state_ = TTagState::Done;
  if (!classified_) return;
  switch (tagType_) {
    case TTagType::Base:
      Insert(gt, " --");
      if (hasBaseTarget_) {
        // The stored page keeps its default frame target while its links
        // resolve against the local file.
        std::string tag = "<BASE TARGET=\"";
        for (char c : baseTarget_) {
          if (c == '"') {
            tag += "&quot;";
          } else {
            tag += c;
          }
        }
        tag += "\">";
        Insert(gt + 1, tag);
      }
      break;
    case TTagType::Script:
      next_ = TContent::Script;
      break;
    case TTagType::Style:
      next_ = TContent::Style;
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// Attributes

void THTMLParser::TScanner::ProcessAttribute(std::size_t vb, std::size_t ve) {
  const std::string_view name = AttributeName();
  const std::string_view value = in_.substr(vb, ve - vb);
  const html::TAttrRule rule =
      classified_ ? html::ClassifyAttribute(tagType_, name) : html::TAttrRule{};
  switch (rule.action) {
    case TAttrAction::None:
      break;
    case TAttrAction::Link:
      Rewrite(vb, ve, owner_.OnLink, rule.kind);
      break;
    case TAttrAction::AreaLink:
      if (mapDepth_ > 0) Rewrite(vb, ve, owner_.OnLink, rule.kind);
      break;
    case TAttrAction::AltText:
      if (anchorOn_) AppendAnchor(value);
      break;
    case TAttrAction::HttpEquiv:
      httpEquiv_.assign(value);
      break;
    case TAttrAction::MetaContent:
      ProcessRefresh(vb, ve);
      break;
    case TAttrAction::ClassId: {
      const std::string_view id = html::Trim(value);
      classId_.resize(id.size());
      for (std::size_t i = 0; i < id.size(); ++i) {
        classId_[i] = static_cast<char>(html::Upper(static_cast<unsigned char>(id[i])));
      }
      break;
    }
    case TAttrAction::ParamName:
      if (objectDepth_ > 0) paramName_.assign(value);
      break;
    case TAttrAction::ParamValue:
      ProcessParamValue(vb, ve);
      break;
    case TAttrAction::BaseHref:
      if (owner_.OnBase) {
        value_.assign(value);
        owner_.OnBase(value_);
      }
      break;
    case TAttrAction::BaseTarget:
      hasBaseTarget_ = true;
      baseTarget_.assign(value);
      break;
    case TAttrAction::SrcSet:
      ProcessSrcSet(vb, ve, rule.kind);
      break;
  }
  // A STYLE attribute holds declarations, as inside the braces of a rule;
  // its url() references are pictures on the page.
  if (classified_ && html::IsStyleAttribute(name)) ScanStyleText(vb, ve, 1, lkImage);
  if (html::IsEventAttribute(name)) Rewrite(vb, ve, owner_.OnScript);
}

// Every candidate of a srcset is reported and rewritten in place; the
// descriptors and the commas between the candidates stay as they are.
void THTMLParser::TScanner::ProcessSrcSet(std::size_t vb, std::size_t ve, TLinkKind kind) {
  const std::string_view value = in_.substr(vb, ve - vb);
  std::size_t pos = 0;
  html::TSpan span;
  while (html::NextSrcSetCandidate(value, pos, span)) {
    Rewrite(vb + span.begin, vb + span.begin + span.size, owner_.OnLink, kind);
  }
}

// META refresh: "5; URL=next.html" reports next.html and keeps the rest.
void THTMLParser::TScanner::ProcessRefresh(std::size_t vb, std::size_t ve) {
  if (!html::EqualsUpper(html::Trim(httpEquiv_), "REFRESH")) return;
  const html::TRefreshParts parts = html::SplitRefresh(in_.substr(vb, ve - vb));
  if (!parts.found) return;
  const std::size_t ub = vb + parts.before.size();
  Rewrite(ub, ub + parts.url.size(), owner_.OnLink, lkRefresh);
}

// PARAM VALUE inside an OBJECT: the movie of a Flash object, the code of a
// Java applet object. Anything else is left alone.
void THTMLParser::TScanner::ProcessParamValue(std::size_t vb, std::size_t ve) {
  if (objectDepth_ == 0) return;
  const std::string_view name = html::Trim(paramName_);
  if (classId_ == html::kFlashClassId && html::EqualsUpper(name, "MOVIE")) {
    Rewrite(vb, ve, owner_.OnLink, lkEmbedded);
  } else if (classId_ == html::kJavaClassId && html::EqualsUpper(name, "CODE")) {
    Rewrite(vb, ve, owner_.OnLink, lkApplet);
  }
}

// ---------------------------------------------------------------------------
// Anchor text

void THTMLParser::TScanner::AppendAnchor(std::string_view text) {
  for (std::size_t i = 0; i < text.size() && anchorLen_ < kAnchorMax; ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') anchor_[anchorLen_++] = c;
  }
}

void THTMLParser::TScanner::StartAnchor() {
  if (anchorOn_) DeliverAnchor();
  anchorOn_ = true;
}

void THTMLParser::TScanner::EndAnchor() {
  // A stray end tag has no anchor to deliver; an empty text would only
  // overwrite the text of the link reported before it.
  if (anchorOn_) DeliverAnchor();
  anchorOn_ = false;
}

void THTMLParser::TScanner::DeliverAnchor() {
  const std::string_view raw(anchor_, anchorLen_);
  anchorLen_ = 0;
  if (owner_.OnLinkText) owner_.OnLinkText(html::CleanAnchorText(raw));
}

}  // namespace trawlonix
