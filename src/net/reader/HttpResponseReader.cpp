#include "net/reader/HttpResponseReader.h"

#include <algorithm>
#include <cstring>

#include "base/Text.h"
#include "base/Translate.h"

namespace trawlonix {

namespace {

// A server may send header lines without end; only this many are kept.
constexpr std::size_t kMaxKeptHeaders = 256;

using text::StartsWithNoCase;
std::string LowerCopy(std::string_view s) {
  return text::Lower(s);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

void HttpResponseReader::Reset() {
  EndInflate();
  inputEnded_ = false;
  chunkedSeen_ = false;
  connectionClose_ = false;
  connectionKeepAlive_ = false;
  http11_ = false;
  contentEncoding_.clear();
  bodyMode_ = bmClose;
  remaining_ = 0;
  chunkState_ = csSize;
  completeSeen_ = false;
  rawPiece_.clear();
  fill_ = 0;
  phase_ = phHeader;
  lineCount_ = 0;
  headerBegun_ = false;
  pendingHeaderEnd_ = false;
  pendingBody_.clear();
  pendingBodyReady_ = false;
  statusCode_ = 0;
  hasStatus_ = false;
  reasonPhrase_.clear();
  contentLength_ = -1;
  contentType_.clear();
  hasLocation_ = false;
  location_.clear();
  headers_.clear();
  rangeBegin_ = -1;
  fieldName_.clear();
  fieldValue_.clear();
  headerless_ = false;
  bodyChunk_.clear();
  errorCode_ = 0;
  errorText_.clear();
}

void HttpResponseReader::Commit(std::size_t n) {
  fill_ += std::min(n, FreeSpace());
}

std::size_t HttpResponseReader::Feed(const char* data, std::size_t n) {
  std::size_t take = std::min(n, FreeSpace());
  if (take > 0) std::memcpy(buffer_ + fill_, data, take);
  fill_ += take;
  return take;
}

void HttpResponseReader::Consume(std::size_t n) {
  n = std::min(n, fill_);
  std::memmove(buffer_, buffer_ + n, fill_ - n);
  fill_ -= n;
}

bool HttpResponseReader::Fail(int code, const char* text, HttpReaderItem& item) {
  phase_ = phFailed;
  errorCode_ = code;
  errorText_ = TrText("Net", text);
  fill_ = 0;
  item.kind = HttpReaderItem::Error;
  item.data = errorText_;
  return true;
}

bool HttpResponseReader::ParseStatus(std::string_view line, int& code, std::string& reason) {
  // "HTTP/1.x nnn reason": the code in characters 10 to 12, the reason from 14 on.
  if (line.size() < 12) return false;
  int value = 0;
  for (std::size_t i = 9; i < 12; ++i) {
    char c = line[i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  code = value;
  reason = line.size() > 13 ? std::string(line.substr(13)) : std::string();
  return true;
}

bool HttpResponseReader::ParseLength(std::string_view value, std::int64_t& out) {
  while (!value.empty() && IsBlank(value.back()))
    value.remove_suffix(1);
  if (value.empty() || value.size() > 18) return false;
  std::int64_t v = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  out = v;
  return true;
}

namespace {

// "bytes 400-999/1000" (or "bytes=400-999"): the first byte.
std::int64_t ParseRangeBegin(std::string_view v) {
  if (!StartsWithNoCase(v, "bytes")) return -1;
  v.remove_prefix(5);
  while (!v.empty() && (IsBlank(v.front()) || v.front() == '='))
    v.remove_prefix(1);
  std::size_t dash = v.find('-');
  if (dash == std::string_view::npos) return -1;
  std::int64_t begin = -1;
  if (!HttpResponseReader::ParseLength(v.substr(0, dash), begin)) return -1;
  return begin;
}

}  // namespace

bool HttpResponseReader::HandleLine(std::string_view line, std::size_t rawLength,
                                    HttpReaderItem& item) {
  ++lineCount_;
  fieldName_.clear();
  fieldValue_.clear();

  if (lineCount_ == 1 && StartsWithNoCase(line, "<HTML>")) {
    // No header at all: the answer is the document itself, this line included
    // (with its own line end, so the document arrives unchanged).
    headerless_ = true;
    if (contentType_.empty()) contentType_ = "text/html";
    phase_ = phBody;
    bodyMode_ = bmClose;
    pendingBody_.assign(buffer_, rawLength);
    pendingBodyReady_ = true;
    Consume(rawLength);
    item.kind = HttpReaderItem::HeaderEnd;
    item.data = {};
    return true;
  }

  if (line.empty()) return HandleHeaderEnd(rawLength, item);

  if (headers_.size() < kMaxKeptHeaders) headers_.emplace_back(line);

  if (line.substr(0, 8) == "HTTP/1.0" || line.substr(0, 8) == "HTTP/1.1") {
    int code = 0;
    std::string reason;
    if (!ParseStatus(line, code, reason)) {
      Consume(rawLength);
      return Fail(errBadStatus, QT_TRANSLATE_NOOP("Net", "HTTP 状态行无效"), item);
    }
    statusCode_ = code;
    reasonPhrase_ = std::move(reason);
    hasStatus_ = true;
    http11_ = line.substr(0, 8) == "HTTP/1.1";
  } else if (std::size_t colon = line.find(':'); colon != std::string_view::npos) {
    fieldName_ = LowerCopy(line.substr(0, colon));
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ')
      value.remove_prefix(1);
    fieldValue_.assign(value);
    if (fieldName_ == "location") {
      hasLocation_ = true;
      location_ = fieldValue_;
    } else if (fieldName_ == "content-length") {
      // A value that is no number is ignored: the length stays unknown.
      std::int64_t len = -1;
      if (ParseLength(fieldValue_, len)) contentLength_ = len;
    } else if (fieldName_ == "content-type") {
      contentType_ = LowerCopy(fieldValue_);
    } else if (fieldName_ == "content-range") {
      rangeBegin_ = ParseRangeBegin(fieldValue_);
    } else {
      NoteFramingField();
    }
  }
  // The line stays valid for the caller until the next call.
  bodyChunk_.assign(line);
  Consume(rawLength);
  item.kind = HttpReaderItem::HeaderLine;
  item.data = bodyChunk_;
  return true;
}

bool HttpResponseReader::Next(HttpReaderItem& item) {
  if (pendingBodyReady_) {
    pendingBodyReady_ = false;
    bodyChunk_.swap(pendingBody_);
    pendingBody_.clear();
    item.kind = HttpReaderItem::Body;
    item.data = bodyChunk_;
    return true;
  }
  switch (phase_) {
    case phFailed:
      fill_ = 0;
      return false;
    case phRelocated:
      if (framing_) return NextFramedBody(item);
      fill_ = 0;
      return false;
    case phBody:
      if (framing_) return NextFramedBody(item);
      if (fill_ == 0) return false;
      bodyChunk_.assign(buffer_, fill_);
      fill_ = 0;
      item.kind = HttpReaderItem::Body;
      item.data = bodyChunk_;
      return true;
    case phHeader:
      break;
  }
  const char* lf = static_cast<const char*>(std::memchr(buffer_, '\n', fill_));
  if (lf == nullptr) {
    if (fill_ < kBufferSize) return false;
    // A relocation nobody could follow gets its own words.
    if (StartsWithNoCase(std::string_view(buffer_, fill_), "location:"))
      return Fail(errLocationTooLong, QT_TRANSLATE_NOOP("Net", "重新部署的地址太长"), item);
    return Fail(errLineTooLong, QT_TRANSLATE_NOOP("Net", "HTTP 行太长"), item);
  }
  if (!headerBegun_) {
    headerBegun_ = true;
    item.kind = HttpReaderItem::HeaderBegin;
    item.data = {};
    return true;
  }
  std::size_t rawLength = static_cast<std::size_t>(lf - buffer_) + 1;
  std::size_t lineLength = rawLength - 1;
  if (lineLength > 0 && buffer_[lineLength - 1] == '\r') --lineLength;
  if (HandleLine(std::string_view(buffer_, lineLength), rawLength, item)) return true;
  return Next(item);  // an interim (1xx) answer ended: read the next header
}

}  // namespace trawlonix
