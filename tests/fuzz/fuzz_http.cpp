// Feeds a response byte stream to the HTTP response reader in chunks of
// pseudo-random size and checks that the outcome does not depend on how the
// stream was cut: events, header results and body bytes must match those of
// the same stream fed in the largest possible pieces. One input byte picks
// the reading form: HTTP/1.0, or HTTP/1.1 framing (chunks, lengths, 1xx) with
// or without gzip/deflate decoding, for GET or HEAD.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/reader/HttpResponseReader.h"

namespace {

struct Outcome {
  std::string events;
  std::string body;
};

Outcome Run(const char* data, std::size_t size, std::uint32_t seed, std::uint8_t mode) {
  trawlonix::HttpResponseReader r;
  r.SetFraming(mode & 1);
  r.SetDecoding(mode & 2);
  r.SetHeadRequest(mode & 4);
  Outcome out;
  std::size_t pos = 0;
  bool ended = false;
  trawlonix::HttpReaderItem item;
  for (;;) {
    while (r.Next(item)) {
      switch (item.kind) {
        case trawlonix::HttpReaderItem::HeaderBegin:
          out.events += 'B';
          break;
        case trawlonix::HttpReaderItem::HeaderLine:
          out.events += 'L';
          out.events.append(item.data);
          out.events += '\n';
          break;
        case trawlonix::HttpReaderItem::HeaderEnd:
          out.events += 'E';
          break;
        case trawlonix::HttpReaderItem::Body:
          out.body.append(item.data);
          break;
        case trawlonix::HttpReaderItem::Error:
          out.events += 'X';
          break;
        case trawlonix::HttpReaderItem::Complete:
          out.events += 'C';
          break;
      }
      if (item.data.size() > trawlonix::HttpResponseReader::kBufferSize &&
          item.data.size() > trawlonix::HttpResponseReader::kMaxDecodedPiece)
        std::abort();
    }
    if (pos >= size) {
      if (ended) break;
      r.EndOfInput();  // the connection ends: a body running to the close ends too
      ended = true;
      continue;
    }
    std::size_t chunk = size;
    if (seed != 0) {
      seed = seed * 1103515245u + 12345u;
      chunk = 1 + (seed >> 16) % 97;
    }
    std::size_t n = std::min(chunk, size - pos);
    std::size_t took = r.Feed(data + pos, n);
    if (took == 0) break;  // full buffer the reader refused to empty: reported below
    pos += took;
  }
  if (r.CurrentPhase() == trawlonix::HttpResponseReader::phHeader && r.FreeSpace() == 0)
    std::abort();  // a full buffer must have become an error
  // Header results are consistent.
  if (r.ContentLength() < -1) std::abort();
  out.events += std::to_string(r.StatusCode()) + '/' + std::to_string(r.ContentLength()) + '/' +
                r.ContentType() + '/' + r.LocationValue() + '/' + std::to_string(r.CurrentPhase());
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  std::uint32_t seed = data[0] | (data[1] << 8) | 1u;
  const std::uint8_t mode = data[2];
  const char* stream = reinterpret_cast<const char*>(data + 3);
  size -= 3;
  Outcome whole = Run(stream, size, 0, mode);
  Outcome pieces = Run(stream, size, seed, mode);
  if (whole.events != pieces.events || whole.body != pieces.body) std::abort();
  // Without decoding the body is never more than what arrived.
  if (!(mode & 2) && whole.body.size() > size) std::abort();
  return 0;
}
