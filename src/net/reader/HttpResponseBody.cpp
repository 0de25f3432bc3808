// The framed part of HttpResponseReader: where a body ends (length, chunks,
// connection close), interim answers, and gzip/deflate decoding with zlib.
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "base/Text.h"
#include "base/Translate.h"
#include "net/reader/HttpResponseReader.h"

namespace trawlonix {

namespace {

constexpr const char* kBadChunk = QT_TRANSLATE_NOOP("Net", "HTTP 分块长度无效");
constexpr const char* kBadEncoding = QT_TRANSLATE_NOOP("Net", "文档无法解压缩");
// A zlib header shows within its first bytes whether it is one.
constexpr std::size_t kMaxReplay = 64 * 1024;

char Lower(char c) {
  return text::LowerByte(c);
}

// True when the comma-separated `list` holds `token` (case folded).
bool HasToken(std::string_view list, std::string_view token) {
  while (!list.empty()) {
    std::size_t comma = list.find(',');
    std::string_view t = list.substr(0, comma);
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t'))
      t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
      t.remove_suffix(1);
    if (t.size() == token.size() &&
        std::equal(t.begin(), t.end(), token.begin(), [](char a, char b) { return Lower(a) == b; }))
      return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

struct HttpResponseReader::ZState {
  z_stream z{};
  bool rawTried = false;  // "deflate" sent without its zlib wrapper
  bool ended = false;
  bool producedAny = false;
  bool fedAny = false;
  bool failed = false;  // the stream broke after the output handed on last
  // Everything fed before the first output, for a second try as bare deflate
  // (cleared once it would pass kMaxReplay).
  std::string replay;
  bool replayKept = true;
  std::string in;
  std::string out;
};

HttpResponseReader::HttpResponseReader() {
  Reset();
}

HttpResponseReader::~HttpResponseReader() {
  EndInflate();
}

void HttpResponseReader::EndInflate() {
  if (zs_) inflateEnd(&zs_->z);
  zs_.reset();
}

std::int64_t HttpResponseReader::ContentLength() const {
  if (framing_ && (chunkedSeen_ || zs_)) return -1;
  return contentLength_;
}

bool HttpResponseReader::Persistent() const {
  if (!framing_ || !completeSeen_ || bodyMode_ == bmClose || connectionClose_) return false;
  return http11_ || connectionKeepAlive_;
}

void HttpResponseReader::NoteFramingField() {
  if (fieldName_ == "transfer-encoding") {
    chunkedSeen_ = HasToken(fieldValue_, "chunked");
  } else if (fieldName_ == "connection") {
    connectionClose_ = connectionClose_ || HasToken(fieldValue_, "close");
    connectionKeepAlive_ = connectionKeepAlive_ || HasToken(fieldValue_, "keep-alive");
  } else if (fieldName_ == "content-encoding") {
    contentEncoding_.clear();
    for (char c : fieldValue_)
      if (c != ' ' && c != '\t') contentEncoding_ += Lower(c);
  }
}

bool HttpResponseReader::HandleHeaderEnd(std::size_t rawLength, HttpReaderItem& item) {
  Consume(rawLength);
  if (statusCode_ >= 100 && statusCode_ < 200 && statusCode_ != 101) {
    // An interim answer: the real one follows on the same connection (an
    // HTTP/1.0 server may send one too; its body is never the document).
    lineCount_ = 0;
    statusCode_ = 0;
    hasStatus_ = false;
    reasonPhrase_.clear();
    headers_.clear();
    contentLength_ = -1;
    chunkedSeen_ = connectionClose_ = connectionKeepAlive_ = false;
    contentEncoding_.clear();
    return false;
  }
  if (hasLocation_) {
    phase_ = phRelocated;
    if (!framing_) fill_ = 0;
  } else {
    phase_ = phBody;
  }
  if (framing_) StartBody();
  item.kind = HttpReaderItem::HeaderEnd;
  item.data = {};
  return true;
}

void HttpResponseReader::StartBody() {
  if (headRequest_ || statusCode_ == 204 || statusCode_ == 304 ||
      (statusCode_ >= 100 && statusCode_ < 200)) {
    bodyMode_ = bmNone;
  } else if (chunkedSeen_) {
    bodyMode_ = bmChunked;
  } else if (contentLength_ >= 0) {
    bodyMode_ = bmLength;
    remaining_ = contentLength_;
  } else {
    bodyMode_ = bmClose;
  }
  const bool coded =
      contentEncoding_ == "gzip" || contentEncoding_ == "x-gzip" || contentEncoding_ == "deflate";
  if (decoding_ && coded && bodyMode_ != bmNone && phase_ == phBody && statusCode_ != 206) {
    zs_ = std::make_unique<ZState>();
    if (inflateInit2(&zs_->z, 15 + 32) != Z_OK) zs_.reset();  // gzip or zlib, told by the header
  }
}

HttpResponseReader::RawStatus HttpResponseReader::TakeCounted(std::string_view& raw) {
  if (remaining_ == 0) return rsEnd;
  if (fill_ == 0) return rsNeedMore;
  const std::size_t n = static_cast<std::size_t>(
      std::min<std::int64_t>(static_cast<std::int64_t>(fill_), remaining_));
  rawPiece_.assign(buffer_, n);
  Consume(n);
  remaining_ -= static_cast<std::int64_t>(n);
  raw = rawPiece_;
  return rsData;
}

HttpResponseReader::RawStatus HttpResponseReader::TakeChunked(std::string_view& raw,
                                                              HttpReaderItem& item) {
  for (;;) {
    if (chunkState_ == csData) {
      RawStatus s = TakeCounted(raw);
      if (s == rsEnd) {
        chunkState_ = csDataEnd;
        continue;
      }
      return s;
    }
    if (chunkState_ == csDataEnd) {
      if (fill_ == 0 || (buffer_[0] == '\r' && fill_ < 2)) return rsNeedMore;
      const std::size_t n = buffer_[0] == '\n'                           ? 1
                            : (buffer_[0] == '\r' && buffer_[1] == '\n') ? 2
                                                                         : 0;
      if (n == 0) return Fail(errBadChunk, kBadChunk, item), rsError;
      Consume(n);
      chunkState_ = csSize;
      continue;
    }
    const char* lf = static_cast<const char*>(std::memchr(buffer_, '\n', fill_));
    if (lf == nullptr) {
      if (fill_ == kBufferSize)
        return Fail(errLineTooLong, QT_TRANSLATE_NOOP("Net", "HTTP 行太长"), item), rsError;
      return rsNeedMore;
    }
    const std::size_t rawLength = static_cast<std::size_t>(lf - buffer_) + 1;
    std::string_view line(buffer_, rawLength - 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (chunkState_ == csTrailer) {
      const bool last = line.empty();
      Consume(rawLength);  // trailer fields are read and dropped
      if (last) return rsEnd;
      continue;
    }
    // A chunk size: hex digits, then optional blanks and extensions.
    std::int64_t size = 0;
    std::size_t digits = 0;
    while (digits < line.size() && HexValue(line[digits]) >= 0) {
      if (digits == 15) return Fail(errBadChunk, kBadChunk, item), rsError;
      size = size * 16 + HexValue(line[digits]);
      ++digits;
    }
    const char after = digits < line.size() ? line[digits] : ';';
    if (digits == 0 || (after != ';' && after != ' ' && after != '\t'))
      return Fail(errBadChunk, kBadChunk, item), rsError;
    Consume(rawLength);
    remaining_ = size;
    chunkState_ = size == 0 ? csTrailer : csData;
  }
}

HttpResponseReader::RawStatus HttpResponseReader::TakeRaw(std::string_view& raw,
                                                          HttpReaderItem& item) {
  switch (bodyMode_) {
    case bmNone:
      return rsEnd;
    case bmLength:
      return TakeCounted(raw);
    case bmChunked:
      return TakeChunked(raw, item);
    case bmClose:
      if (fill_ == 0) return inputEnded_ ? rsEnd : rsNeedMore;
      rawPiece_.assign(buffer_, fill_);
      fill_ = 0;
      raw = rawPiece_;
      return rsData;
  }
  return rsEnd;
}

bool HttpResponseReader::Inflate(HttpReaderItem& item, bool& produced) {
  ZState& s = *zs_;
  produced = false;
  if (s.failed) return Fail(errBadEncoding, kBadEncoding, item), false;
  if (s.ended || s.in.empty()) return true;
  s.out.resize(kMaxDecodedPiece);
  s.z.next_in = reinterpret_cast<Bytef*>(s.in.data());
  s.z.avail_in = static_cast<uInt>(s.in.size());
  s.z.next_out = reinterpret_cast<Bytef*>(s.out.data());
  s.z.avail_out = static_cast<uInt>(s.out.size());
  int rc = inflate(&s.z, Z_NO_FLUSH);
  if (rc == Z_DATA_ERROR && s.z.avail_out == s.out.size() && !s.producedAny && !s.rawTried &&
      s.replayKept && contentEncoding_ == "deflate") {
    s.rawTried = true;  // try again as a bare deflate stream
    inflateEnd(&s.z);
    s.z = z_stream{};
    if (inflateInit2(&s.z, -15) != Z_OK) return Fail(errBadEncoding, kBadEncoding, item), false;
    s.in.swap(s.replay);
    s.replay.clear();
    return Inflate(item, produced);
  }
  const std::size_t n = s.out.size() - s.z.avail_out;
  if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
    // What was decoded before the fault is handed on first, so that the
    // outcome does not depend on how the bytes arrived.
    if (n == 0) return Fail(errBadEncoding, kBadEncoding, item), false;
    s.failed = true;
    rc = Z_OK;
  }
  s.in.erase(0, s.in.size() - s.z.avail_in);
  if (rc == Z_STREAM_END) {
    s.ended = true;
    s.in.clear();  // whatever follows the compressed stream is dropped
  }
  if (n > 0) {
    if (!s.producedAny) std::string().swap(s.replay);
    s.producedAny = true;
    produced = true;
    bodyChunk_.assign(s.out.data(), n);
    item.kind = HttpReaderItem::Body;
    item.data = bodyChunk_;
  }
  return true;
}

bool HttpResponseReader::NextFramedBody(HttpReaderItem& item) {
  if (completeSeen_) return false;
  for (;;) {
    if (zs_) {
      bool produced = false;
      if (!Inflate(item, produced)) return true;
      if (produced) {
        if (phase_ == phRelocated) continue;
        return true;
      }
    }
    std::string_view raw;
    const RawStatus st = TakeRaw(raw, item);
    if (st == rsError) return true;
    if (st == rsNeedMore) return false;
    if (st == rsEnd) {
      if (zs_ && !zs_->ended && zs_->fedAny) return Fail(errBadEncoding, kBadEncoding, item);
      completeSeen_ = true;
      item.kind = HttpReaderItem::Complete;
      item.data = {};
      return true;
    }
    if (zs_) {
      if (!zs_->producedAny && !zs_->rawTried && zs_->replayKept) {
        zs_->replayKept = zs_->replay.size() + raw.size() <= kMaxReplay;
        if (zs_->replayKept) zs_->replay.append(raw);
      }
      zs_->in.append(raw);
      zs_->fedAny = zs_->fedAny || !raw.empty();
      continue;
    }
    if (phase_ == phRelocated) continue;  // a relocation's body is not kept
    bodyChunk_.swap(rawPiece_);
    item.kind = HttpReaderItem::Body;
    item.data = bodyChunk_;
    return true;
  }
}

}  // namespace trawlonix
