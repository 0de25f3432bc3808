#include "net/reader/HttpResponseReader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace trawlonix {
namespace {

// Runs a whole response through the reader in pieces of `chunk` bytes and
// writes down what came out: "B" header begin, "L<line>" header line,
// "E" header end, body bytes collected apart, "X<code>" error, "C" complete.
struct Transcript {
  std::string events;
  std::string body;
};

Transcript Read(HttpResponseReader& r, const std::string& input, std::size_t chunk,
                std::size_t* largestPiece = nullptr) {
  Transcript t;
  std::size_t pos = 0;
  HttpReaderItem item;
  for (;;) {
    while (r.Next(item)) {
      switch (item.kind) {
        case HttpReaderItem::HeaderBegin:
          t.events += "B|";
          break;
        case HttpReaderItem::HeaderLine:
          t.events += "L" + std::string(item.data) + "|";
          break;
        case HttpReaderItem::HeaderEnd:
          t.events += "E|";
          break;
        case HttpReaderItem::Body:
          t.body += item.data;
          if (largestPiece) *largestPiece = std::max(*largestPiece, item.data.size());
          break;
        case HttpReaderItem::Error:
          t.events += "X" + std::to_string(r.ErrorCode()) + "|";
          break;
        case HttpReaderItem::Complete:
          t.events += "C|";
          break;
      }
    }
    if (pos >= input.size()) break;
    std::size_t n = std::min({chunk, input.size() - pos, r.FreeSpace()});
    if (n == 0) break;  // buffer full and nothing to pull: cannot happen
    r.Feed(input.data() + pos, n);
    pos += n;
  }
  return t;
}

struct Case {
  const char* name;
  std::string input;
  std::string events;
  std::string body;
  int status;
  std::int64_t length;
};

TEST(HttpResponseReader, SameResultForEveryChunkSize) {
  const std::vector<Case> cases = {
      {"plain", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789",
       "B|LHTTP/1.1 200 OK|LContent-Length: 10|E|", "0123456789", 200, 10},
      {"lf only", "HTTP/1.0 404 Not Found\nContent-Type: Text/HTML\n\nnope",
       "B|LHTTP/1.0 404 Not Found|LContent-Type: Text/HTML|E|", "nope", 404, -1},
      {"no header", "<html>\r\n<body>x</body>", "B|E|", "<html>\r\n<body>x</body>", 0, -1},
      {"headerless upper", "<HTML><HEAD>\n", "B|E|", "<HTML><HEAD>\n", 0, -1},
      {"location drops body", "HTTP/1.0 302 Found\r\nLocation: /x\r\n\r\nignored",
       "B|LHTTP/1.0 302 Found|LLocation: /x|E|", "", 302, -1},
      {"bad length ignored", "HTTP/1.0 200 OK\r\nContent-Length: ten\r\n\r\nab",
       "B|LHTTP/1.0 200 OK|LContent-Length: ten|E|", "ab", 200, -1},
      {"bad status", "HTTP/1.1 2x0 OK\r\n\r\nab", "B|X5|", "", 0, -1},
      {"short status", "HTTP/1.1 200\r\n\r\n", "B|LHTTP/1.1 200|E|", "", 200, -1},
      {"empty first line", "\r\nbody", "B|E|", "body", 0, -1},
      {"other line kept", "HTTP/1.1 204 No\r\nX-Thing\r\n\r\n", "B|LHTTP/1.1 204 No|LX-Thing|E|",
       "", 204, -1},
      {"incomplete header", "HTTP/1.1 200 OK\r\nServer: x", "B|LHTTP/1.1 200 OK|", "", 200, -1},
  };
  for (const Case& c : cases) {
    for (std::size_t chunk : {1u, 2u, 3u, 7u, 100000u}) {
      HttpResponseReader r;
      Transcript t = Read(r, c.input, chunk);
      SCOPED_TRACE(std::string(c.name) + " chunk " + std::to_string(chunk));
      EXPECT_EQ(t.events, c.events);
      EXPECT_EQ(t.body, c.body);
      EXPECT_EQ(r.StatusCode(), c.status);
      EXPECT_EQ(r.ContentLength(), c.length);
    }
  }
}

TEST(HttpResponseReader, FieldsAndResults) {
  HttpResponseReader r;
  Read(r,
       "HTTP/1.1 206 Partial Content\r\nContent-Type:   Text/Plain; Charset=X\r\n"
       "Content-Range: bytes 400-999/1000\r\nLocation:  http://h/a\r\n"
       "Set-Cookie: a=b\r\n\r\n",
       5);
  EXPECT_EQ(r.StatusCode(), 206);
  EXPECT_EQ(r.ReasonPhrase(), "Partial Content");
  EXPECT_EQ(r.ContentType(), "text/plain; charset=x");
  EXPECT_EQ(r.RangeBegin(), 400);
  EXPECT_TRUE(r.HasLocation());
  EXPECT_EQ(r.LocationValue(), "http://h/a");
  ASSERT_EQ(r.Headers().size(), 5u);
  EXPECT_EQ(r.Headers()[4], "Set-Cookie: a=b");
  EXPECT_EQ(r.CurrentPhase(), HttpResponseReader::phRelocated);
}

TEST(HttpResponseReader, FieldNameAndValueOfLastLine) {
  HttpResponseReader r;
  const std::string in = "HTTP/1.0 200 OK\r\nSET-COOKIE:  k=v; path=/\r\n";
  r.Feed(in.data(), in.size());
  HttpReaderItem item;
  ASSERT_TRUE(r.Next(item));  // begin
  ASSERT_TRUE(r.Next(item));  // status
  EXPECT_EQ(r.FieldName(), "");
  ASSERT_TRUE(r.Next(item));
  EXPECT_EQ(r.FieldName(), "set-cookie");
  EXPECT_EQ(r.FieldValue(), "k=v; path=/");
}

TEST(HttpResponseReader, LineFillingTheBufferIsTooLong) {
  HttpResponseReader r;
  std::string line(HttpResponseReader::kBufferSize, 'a');
  Transcript t = Read(r, "HTTP/1.0 200 OK\r\n" + line + "\r\n\r\nbody", 4096);
  EXPECT_EQ(t.events, "B|LHTTP/1.0 200 OK|X4|");
  EXPECT_EQ(r.ErrorText(), "HTTP 行太长");
  EXPECT_EQ(r.CurrentPhase(), HttpResponseReader::phFailed);

  // A relocation nobody could follow says so.
  HttpResponseReader loc;
  t = Read(loc, "HTTP/1.0 302 Found\r\nlocation: /" + line + "\r\n\r\n", 4096);
  EXPECT_EQ(t.events, "B|LHTTP/1.0 302 Found|X8|");
  EXPECT_EQ(loc.ErrorText(), "重新部署的地址太长");

  // One byte shorter than the buffer (with its LF) still fits.
  HttpResponseReader ok;
  std::string fits(HttpResponseReader::kBufferSize - 2, 'b');
  t = Read(ok, "HTTP/1.0 200 OK\n" + fits + "\n\nz", 4096);
  EXPECT_EQ(t.body, "z");
}

TEST(HttpResponseReader, LengthParsing) {
  struct {
    const char* text;
    bool ok;
    std::int64_t value;
  } cases[] = {{"0", true, 0},    {"1000 ", true, 1000},
               {"", false, 0},    {"-1", false, 0},
               {"12a", false, 0}, {"99999999999999999999", false, 0},
               {"+5", false, 0},  {"123456789012", true, 123456789012}};
  for (const auto& c : cases) {
    std::int64_t v = 0;
    EXPECT_EQ(HttpResponseReader::ParseLength(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST(HttpResponseReader, BodyBytesPassUnchangedAndResetStartsOver) {
  HttpResponseReader r;
  std::string body;
  for (int i = 0; i < 256; ++i)
    body += static_cast<char>(i);
  body += std::string(20000, '\n');
  Transcript t = Read(r, "HTTP/1.0 200 OK\r\n\r\n" + body, 3000);
  EXPECT_EQ(t.body, body);
  r.Reset();
  EXPECT_EQ(r.StatusCode(), 0);
  EXPECT_TRUE(r.Headers().empty());
  t = Read(r, "HTTP/1.0 500 Err\n\n", 1);
  EXPECT_EQ(r.StatusCode(), 500);
}

TEST(HttpResponseReader, EndlessHeaderKeepsBoundedList) {
  HttpResponseReader r;
  std::string many;
  for (int i = 0; i < 5000; ++i)
    many += "X-A: b\r\n";
  Read(r, "HTTP/1.0 200 OK\r\n" + many, 8000);
  EXPECT_EQ(r.LineCount(), 5001);
  EXPECT_EQ(r.Headers().size(), 256u);
}

// gzip (windowBits 31) or zlib (15) or bare deflate (-15) compression of `data`.
std::string Compress(const std::string& data, int windowBits) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string Coded(const char* encoding, const std::string& body, int windowBits) {
  const std::string z = Compress(body, windowBits);
  return std::string("HTTP/1.1 200 OK\r\nContent-Encoding: ") + encoding +
         "\r\nContent-Length: " + std::to_string(z.size()) + "\r\n\r\n" + z;
}

// HTTP/1.1 reading: where a body ends, what it decodes to, and whether the
// connection may carry another request.
TEST(HttpResponseReader, FramedAnswersEndWhereTheyAreDeclaredToEnd) {
  std::string text;
  for (int i = 0; i < 20000; ++i)
    text += static_cast<char>('a' + (i * 7919) % 26);
  struct FramedCase {
    const char* name;
    std::string input;
    bool head;
    std::string tail;  // what the transcript's events end with
    std::string body;
    bool persistent;
  } cases[] = {
      {"length", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc", false, "E|C|", "abc", true},
      {"length, then close asked",
       "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 1\r\n\r\na", false, "E|C|", "a",
       false},
      {"1.0 keep-alive", "HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\nContent-Length: 1\r\n\r\na",
       false, "E|C|", "a", true},
      {"chunks, extension, trailer",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 99\r\n\r\n"
       "4;x=y\r\nWiki\r\n5 \r\npedia\r\n0\r\nT: v\r\n\r\n",
       false, "E|C|", "Wikipedia", true},
      {"interim answers skipped",
       "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Hints\r\nLink: x\r\n\r\n"
       "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok",
       false, "LContent-Length: 2|E|C|", "ok", true},
      {"HEAD has no body", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n", true, "E|C|", "", true},
      {"304 has no body", "HTTP/1.1 304 Not Modified\r\nContent-Length: 10\r\n\r\n", false, "E|C|",
       "", true},
      {"relocation body skipped",
       "HTTP/1.1 302 Found\r\nLocation: /x\r\nContent-Length: 4\r\n\r\nskip", false, "E|C|", "",
       true},
      {"gzip", Coded("gzip", text, 31), false, "E|C|", text, true},
      {"deflate", Coded("deflate", text, 15), false, "E|C|", text, true},
      {"bare deflate", Coded("deflate", text, -15), false, "E|C|", text, true},
      {"bad chunk size",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nabc\r\n0\r\n\r\n", false,
       "E|X6|", "", false},
      {"chunk size beyond 60 bits",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1000000000000000\r\na", false, "E|X6|",
       "", false},
      {"chunk longer than said",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabc\r\n0\r\n\r\n", false, "E|X6|",
       "ab", false},
      {"cut inside a chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n9\r\nabc", false,
       "E|", "abc", false},
      {"gzip that does not inflate",
       "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 9\r\n\r\nnot gzip!", false,
       "E|X7|", "", false},
      {"gzip cut short",
       "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 60\r\n\r\n" +
           Compress(text + "y", 31).substr(0, 60),
       false, "E|X7|", "", false},
  };
  for (const FramedCase& c : cases) {
    for (std::size_t chunk : {1u, 5u, 100000u}) {
      SCOPED_TRACE(std::string(c.name) + " chunk " + std::to_string(chunk));
      HttpResponseReader r;
      r.SetFraming(true);
      r.SetDecoding(true);
      r.SetHeadRequest(c.head);
      Transcript t = Read(r, c.input, chunk);
      EXPECT_TRUE(t.events.size() >= c.tail.size() &&
                  t.events.compare(t.events.size() - c.tail.size(), c.tail.size(), c.tail) == 0)
          << t.events;
      if (c.tail.find('X') == std::string::npos) {
        EXPECT_TRUE(t.body == c.body) << t.body.size() << " bytes";
      }
      EXPECT_EQ(r.Persistent(), c.persistent);
      EXPECT_EQ(r.Buffered(), 0u);
    }
  }
}

TEST(HttpResponseReader, DecodedBytesComeInBoundedPiecesAndRunToTheClose) {
  // 32 MB of zeros compress to a few kB: handed on piece by piece, so the
  // caller can stop at its body cap.
  const std::string bomb = Compress(std::string(32 << 20, '\0'), 31);
  HttpResponseReader r;
  r.SetFraming(true);
  r.SetDecoding(true);
  std::size_t largest = 0;
  Transcript t =
      Read(r, "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n\r\n" + bomb, 4096, &largest);
  EXPECT_LE(largest, HttpResponseReader::kMaxDecodedPiece);
  EXPECT_EQ(r.ContentLength(), -1);
  EXPECT_FALSE(r.Complete());  // runs to the close
  r.EndOfInput();
  HttpReaderItem item;
  while (r.Next(item) && item.kind != HttpReaderItem::Complete)
    t.body += item.data;
  EXPECT_EQ(t.body.size(), std::size_t{32} << 20);
  EXPECT_TRUE(r.Complete());
  EXPECT_FALSE(r.Persistent());  // a body ended by the close ends the connection too
}

}  // namespace
}  // namespace trawlonix
