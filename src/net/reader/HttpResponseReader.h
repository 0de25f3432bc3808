// Reads an HTTP response as it arrives, in pieces of any size: cuts the
// header into lines (LF ends a line, a CR before it is dropped), interprets
// the status line and the fields the client needs, and hands the body on.
// Plain C++ so that it can be fuzzed on its own.
//
// Without framing (the HTTP/1.0 form) everything after the header is body
// until the connection ends. With framing (HTTP/1.1) the body ends by its
// length or its last chunk, a HEAD/204/304 answer
// has none, a Complete item marks the end, and gzip/deflate content is
// decoded when decoding is on. Interim (1xx) answers are skipped in both
// forms.
//
// Usage: copy received bytes into the fixed buffer (FreeSpace/FreeBegin +
// Commit, or Feed), then pull items with Next() until it returns false. The
// caller may stop pulling at any item (for instance when its request was
// aborted) and Reset() the reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace trawlonix {

struct HttpReaderItem {
  enum Kind {
    HeaderBegin,  // before the first response line is handled
    HeaderLine,   // a non-empty header line was handled; `data` is the line
    HeaderEnd,    // end of the header (or a header-less answer)
    Body,         // `data` holds body bytes (valid until the next call)
    Error,        // the reader failed; see ErrorCode()/ErrorText()
    Complete,     // framing only: the answer ended (body read to its end)
  };
  Kind kind = HeaderBegin;
  std::string_view data;
};

class HttpResponseReader {
 public:
  static constexpr std::size_t kBufferSize = 8192;

  enum Phase {
    phHeader,     // reading header lines
    phBody,       // everything is body
    phRelocated,  // header ended after a Location field: the rest is ignored
    phFailed,     // an error ended reading
  };
  enum ErrorCodes {
    errLineTooLong = 4,
    errBadStatus = 5,
    errBadChunk = 6,
    errBadEncoding = 7,
    errLocationTooLong = 8,  // a Location field longer than the buffer
  };
  enum BodyMode { bmNone, bmLength, bmChunked, bmClose };
  // Decoded bytes handed on per Body item at most (a small compressed body
  // may stand for a huge document: the caller gets a say after each piece).
  static constexpr std::size_t kMaxDecodedPiece = 64 * 1024;

  HttpResponseReader();
  ~HttpResponseReader();
  HttpResponseReader(const HttpResponseReader&) = delete;
  HttpResponseReader& operator=(const HttpResponseReader&) = delete;

  // Back to the state before a response; results cleared, the choices below kept.
  void Reset();
  // Choices for the next answer (set after Reset).
  void SetFraming(bool on) { framing_ = on; }
  void SetHeadRequest(bool on) { headRequest_ = on; }
  void SetDecoding(bool on) { decoding_ = on; }
  // The connection ended: a body that runs to the close ends here.
  void EndOfInput() { inputEnded_ = true; }

  // Raw access to the free part of the buffer.
  std::size_t FreeSpace() const { return kBufferSize - fill_; }
  char* FreeBegin() { return buffer_ + fill_; }
  void Commit(std::size_t n);
  // Copies as much of `data` as fits; returns the count copied.
  std::size_t Feed(const char* data, std::size_t n);

  // Produces the next item from buffered bytes; false when more bytes are needed.
  bool Next(HttpReaderItem& item);

  Phase CurrentPhase() const { return phase_; }
  // Number of header lines handled so far (empty ones included).
  int LineCount() const { return lineCount_; }

  // Results of the header so far.
  int StatusCode() const { return statusCode_; }
  const std::string& ReasonPhrase() const { return reasonPhrase_; }
  bool HasStatus() const { return hasStatus_; }
  // Length of the body as handed on; -1 when unknown (none sent, chunked, decoded).
  std::int64_t ContentLength() const;
  const std::string& ContentType() const { return contentType_; }  // lower case
  bool HasLocation() const { return hasLocation_; }
  const std::string& LocationValue() const { return location_; }
  const std::vector<std::string>& Headers() const { return headers_; }
  // Content-Range of a 206 answer: first byte, or -1 when absent or unreadable.
  std::int64_t RangeBegin() const { return rangeBegin_; }
  // Field name (lower case) and value of the last HeaderLine item; empty
  // name for a status line or a line without ":".
  const std::string& FieldName() const { return fieldName_; }
  const std::string& FieldValue() const { return fieldValue_; }
  bool Headerless() const { return headerless_; }

  // Framing results.
  BodyMode Mode() const { return bodyMode_; }
  bool Complete() const { return completeSeen_; }
  // The body is decoded from gzip/deflate (its length on the wire says
  // nothing about the document's).
  bool Decoding() const { return zs_ != nullptr; }
  // After Complete: the server lets the connection carry another request.
  bool Persistent() const;
  // Bytes received but not yet read (after Complete: the start of something
  // no request asked for).
  std::size_t Buffered() const { return fill_; }

  int ErrorCode() const { return errorCode_; }
  const std::string& ErrorText() const { return errorText_; }

  // Helpers shared with the client.
  static bool ParseStatus(std::string_view line, int& code, std::string& reason);
  static bool ParseLength(std::string_view value, std::int64_t& out);

 private:
  bool HandleLine(std::string_view line, std::size_t rawLength, HttpReaderItem& item);
  bool HandleHeaderEnd(std::size_t rawLength, HttpReaderItem& item);
  void NoteFramingField();
  void StartBody();
  bool NextFramedBody(HttpReaderItem& item);
  enum RawStatus { rsData, rsNeedMore, rsEnd, rsError };
  RawStatus TakeRaw(std::string_view& raw, HttpReaderItem& item);
  RawStatus TakeChunked(std::string_view& raw, HttpReaderItem& item);
  RawStatus TakeCounted(std::string_view& raw);
  bool Inflate(HttpReaderItem& item, bool& produced);
  void EndInflate();
  void Consume(std::size_t n);
  bool Fail(int code, const char* text, HttpReaderItem& item);

  char buffer_[kBufferSize];
  std::size_t fill_ = 0;
  Phase phase_ = phHeader;
  int lineCount_ = 0;
  bool headerBegun_ = false;
  bool pendingHeaderEnd_ = false;  // header-less answer: HeaderEnd then the line as body
  std::string pendingBody_;
  bool pendingBodyReady_ = false;

  int statusCode_ = 0;
  bool hasStatus_ = false;
  std::string reasonPhrase_;
  std::int64_t contentLength_ = -1;
  std::string contentType_;
  bool hasLocation_ = false;
  std::string location_;
  std::vector<std::string> headers_;
  std::int64_t rangeBegin_ = -1;
  std::string fieldName_;
  std::string fieldValue_;
  bool headerless_ = false;
  std::string bodyChunk_;
  int errorCode_ = 0;
  std::string errorText_;

  // Framing.
  bool framing_ = false;
  bool headRequest_ = false;
  bool decoding_ = false;
  bool inputEnded_ = false;
  bool chunkedSeen_ = false;
  bool connectionClose_ = false;
  bool connectionKeepAlive_ = false;
  bool http11_ = false;
  std::string contentEncoding_;
  BodyMode bodyMode_ = bmClose;
  std::int64_t remaining_ = 0;
  enum ChunkState { csSize, csData, csDataEnd, csTrailer } chunkState_ = csSize;
  bool completeSeen_ = false;
  std::string rawPiece_;
  // gzip/deflate decoding.
  struct ZState;
  std::unique_ptr<ZState> zs_;
};

}  // namespace trawlonix
