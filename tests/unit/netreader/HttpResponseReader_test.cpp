#include "net/reader/HttpResponseReader.h"

#include <gtest/gtest.h>

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

Transcript Read(HttpResponseReader& r, const std::string& input, std::size_t chunk) {
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

}  // namespace
}  // namespace trawlonix
