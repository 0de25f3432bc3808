#include "parsers/flashparser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace trawlonix {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string U16(uint32_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)};
}
std::string U32(uint32_t v) {
  return U16(v & 0xFFFF) + U16(v >> 16);
}

// Most significant bit first, padded to a whole byte.
class BitWriter {
 public:
  void Put(uint32_t value, unsigned count) {
    for (unsigned i = count; i-- > 0;) {
      cur_ = static_cast<uint8_t>(cur_ << 1 | (value >> i & 1));
      if (++n_ == 8) {
        out_ += static_cast<char>(cur_);
        cur_ = 0;
        n_ = 0;
      }
    }
  }
  std::string Flush() {
    if (n_ > 0) Put(0, 8 - n_);
    return out_;
  }

 private:
  std::string out_;
  uint8_t cur_ = 0;
  unsigned n_ = 0;
};

std::string Rect(uint32_t x0, uint32_t x1, uint32_t y0, uint32_t y1, unsigned bits = 16) {
  BitWriter w;
  w.Put(bits, 5);
  for (uint32_t v : {x0, x1, y0, y1})
    w.Put(v, bits);
  return w.Flush();
}

// A matrix with scale and translate, so that the bit reader has to count.
std::string Matrix() {
  BitWriter w;
  w.Put(1, 1);
  w.Put(17, 5);
  w.Put(0x10000, 17);
  w.Put(0x10000, 17);
  w.Put(0, 1);
  w.Put(11, 5);
  w.Put(100, 11);
  w.Put(200, 11);
  return w.Flush();
}

// Actions.
std::string Long(uint8_t code, const std::string& data) {
  return std::string(1, static_cast<char>(code)) + U16(static_cast<uint32_t>(data.size())) + data;
}
std::string GetURL(const std::string& url, const std::string& target) {
  return Long(0x83, url + '\0' + target + '\0');
}
std::string PushString(const std::string& s) {
  return Long(0x96, std::string(1, '\0') + s + '\0');
}
const std::string kEnd(1, '\0');
const std::string kZero = kEnd;  // a zero byte field

std::string Tag(unsigned code, const std::string& body, bool longForm = false) {
  if (body.size() < 63 && !longForm)
    return U16(code << 6 | static_cast<uint32_t>(body.size())) + body;
  return U16(code << 6 | 63) + U32(static_cast<uint32_t>(body.size())) + body;
}

constexpr unsigned kDoAction = 12, kButton = 7, kButton2 = 34;

std::string Header(uint32_t fileLength) {
  return "FWS\x06" + U32(fileLength) + Rect(0, 11000, 0, 8000) + "\x80\x0C" + U16(1);
}
const std::size_t kHeaderSize = Header(0).size();

// A movie of `tags` and an End tag; the header holds the real length unless
// `fileLength` is given.
std::string Movie(const std::string& tags, int64_t fileLength = -1) {
  const std::size_t size = kHeaderSize + tags.size() + 2;
  return Header(fileLength < 0 ? static_cast<uint32_t>(size) : static_cast<uint32_t>(fileLength)) +
         tags + Tag(0, "");
}

struct Result {
  bool ok = false;
  std::vector<std::string> urls;
  std::vector<std::string> messages;
};

Result ParseMovie(const std::string& data) {
  Result r;
  TFlashParser p;
  p.OnURL = [&](const std::string& s) { r.urls.push_back(s); };
  p.OnMessage = [&](const std::string& s) { r.messages.push_back(s); };
  r.ok = p.Parse(data);
  return r;
}

std::string DefineButton2(const std::vector<std::string>& conditionActions) {
  const std::string records = std::string("\x0F\x01\x00\x01\x00", 5) + Matrix() + kEnd;
  std::string body = U16(7) + kZero + U16(2 + static_cast<uint32_t>(records.size())) + records;
  for (std::size_t i = 0; i < conditionActions.size(); ++i) {
    const bool last = i + 1 == conditionActions.size();
    const std::string& a = conditionActions[i];
    body += U16(last ? 0 : 4 + static_cast<uint32_t>(a.size())) + U16(0x0008) + a;
  }
  return Tag(kButton2, body);
}

// Every construct the parser examines, for the truncation test.
std::string RichMovie() {
  std::string buttonRecords;
  for (int i = 1; i <= 2; ++i)
    buttonRecords += "\x08" + U16(i) + U16(i) + Matrix();
  return Movie(Tag(9, "\xFF\xFF\xFF") +  // background colour, not examined
               Tag(kDoAction, "\x04" + GetURL("a.html", "_top") + PushString("b.html") + kEnd) +
               Tag(kButton, U16(3) + buttonRecords + kEnd + GetURL("c.html", "") + kEnd) +
               DefineButton2({GetURL("d.html", "") + kEnd, PushString("e.html") + kEnd}) +
               Tag(1, ""));  // ShowFrame
}

TEST(FlashParser, ValidMovieHeaderAndAllLinks) {
  const std::string movie = RichMovie();
  const Result r = ParseMovie(movie);
  EXPECT_TRUE(r.ok);
  EXPECT_THAT(r.urls, ElementsAre("a.html", "b.html", "c.html", "d.html", "e.html"));
  EXPECT_THAT(r.messages,
              ElementsAre("Version: Macromedia Flash 6",
                          "Filesize (header): " + std::to_string(movie.size()),
                          "movie-size: width=11000 twips  height=8000 twips  (550 x 400 Pixel)",
                          "speed: 12.128 frames per second", "length: 1 frames"));
}

TEST(FlashParser, HeaderFieldsAsReported) {
  struct Case {
    std::string rect;
    std::string rate;  // fraction byte, then integer part
    uint32_t frames;
    std::string size, speed, length;
  };
  const std::vector<Case> cases = {
      // Width and height are the differences of the edges, pixels the
      // quotient by 20 rounded down; the fraction byte is shown as a number.
      {Rect(1, 2020, 3, 1042, 13), std::string("\x05\x18", 2), 300,
       "movie-size: width=2019 twips  height=1039 twips  (100 x 51 Pixel)",
       "speed: 24.5 frames per second", "length: 300 frames"},
      {Rect(0, 0, 0, 0, 0), std::string("\x00\x00", 2), 65535,
       "movie-size: width=0 twips  height=0 twips  (0 x 0 Pixel)", "speed: 0.0 frames per second",
       "length: 65535 frames"},
      {Rect(7, 0x7FFFFFFF, 1, 2, 31), std::string("\xFF\x01", 2), 0,
       "movie-size: width=2147483640 twips  height=1 twips  (107374182 x 0 Pixel)",
       "speed: 1.255 frames per second", "length: 0 frames"},
  };
  for (const Case& c : cases) {
    const std::string body = c.rect + c.rate + U16(c.frames) + Tag(0, "");
    const Result r = ParseMovie("FWS\x0A" + U32(static_cast<uint32_t>(8 + body.size())) + body);
    EXPECT_TRUE(r.ok);
    EXPECT_THAT(r.messages, ElementsAre("Version: Macromedia Flash 10",
                                        "Filesize (header): " + std::to_string(8 + body.size()),
                                        c.size, c.speed, c.length));
  }
}

TEST(FlashParser, HeaderFailures) {
  const std::string valid = Movie("");
  const std::size_t rectEnd = kHeaderSize - 4;
  struct Case {
    std::string data;
    std::string lastMessage;
    std::size_t messages;
  };
  const std::vector<Case> cases = {
      {"", "error reading signature!", 1},
      {"FWS\x06\x10\x00\x00", "error reading signature!", 1},
      {"CWS" + valid.substr(3), "invalid signature!", 1},
      {"fws" + valid.substr(3), "invalid signature!", 1},
      {std::string("GIF89a\x01\x00\x01\x00", 10), "invalid signature!", 1},
      {valid.substr(0, 8), "error reading movie-size!", 4},
      {valid.substr(0, rectEnd - 1), "error reading movie-size!", 4},
      {valid.substr(0, rectEnd), "error reading movie-length and speed!", 5},
      {valid.substr(0, kHeaderSize - 1), "error reading movie-length and speed!", 5},
  };
  for (const Case& c : cases) {
    const Result r = ParseMovie(c.data);
    EXPECT_TRUE(r.ok) << c.data.size();
    ASSERT_EQ(r.messages.size(), c.messages) << c.data.size();
    EXPECT_EQ(r.messages.back(), c.lastMessage) << c.data.size();
    EXPECT_THAT(r.urls, IsEmpty());
  }
}

TEST(FlashParser, WrongHeaderLengthIsReportedAndTagsStillWalked) {
  for (int64_t length : {0LL, 5LL, 0xFFFFFFFFLL}) {
    const Result r = ParseMovie(Movie(Tag(kDoAction, GetURL("x.html", "") + kEnd), length));
    EXPECT_TRUE(r.ok);
    EXPECT_THAT(r.messages, Contains("Filesize in header does not comply with real filesize!"));
    EXPECT_THAT(r.messages, Contains("Filesize (header): " + std::to_string(length)));
    EXPECT_THAT(r.urls, ElementsAre("x.html"));
  }
}

TEST(FlashParser, ActionRecords) {
  struct Case {
    const char* name;
    std::string actions;
    std::vector<std::string> urls;
  };
  const std::string number = std::string("\x01\x00\x00\x80\x3F", 5);  // float 1.0
  const std::vector<Case> cases = {
      {"GetURL with target", GetURL("page.html", "_blank"), {"page.html"}},
      {"GetURL empty", GetURL("", "_top"), {}},
      {"GetURL without terminator", Long(0x83, "abc.html"), {"abc.html"}},
      {"Push string", PushString("movie2.swf"), {"movie2.swf"}},
      {"Push number then string", Long(0x96, number + '\0' + "s.html" + '\0'), {}},
      {"Push string then number",
       Long(0x96, std::string(1, '\0') + "s.html" + '\0' + number),
       {"s.html"}},
      {"Push nothing", Long(0x96, ""), {}},
      {"other records skipped by length",
       "\x04\x06" + Long(0x81, "\x83\x00") + Long(0x8C, std::string("\x96\x00\x00", 3)) +
           GetURL("after.html", ""),
       {"after.html"}},
  };
  for (const Case& c : cases) {
    const Result r = ParseMovie(Movie(Tag(kDoAction, c.actions + kEnd)));
    EXPECT_TRUE(r.ok) << c.name;
    EXPECT_EQ(r.urls, c.urls) << c.name;
    EXPECT_EQ(r.messages.size(), 5u) << c.name;  // header only, no inconsistency
  }
}

TEST(FlashParser, LongTagHeaderForm) {
  std::string actions;
  for (int i = 0; i < 10; ++i)
    actions += GetURL("p" + std::to_string(i) + ".html", "");
  const Result r = ParseMovie(Movie(Tag(kDoAction, GetURL("short.html", "") + kEnd, true) +
                                    Tag(kDoAction, actions + kEnd)));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.urls.size(), 11u);
  EXPECT_EQ(r.messages.size(), 5u);
}

TEST(FlashParser, DefineButton2WithoutActions) {
  const std::string records = std::string("\x0F\x01\x00\x01\x00", 5) + Matrix() + kEnd;
  const Result r = ParseMovie(Movie(Tag(kButton2, U16(1) + kZero + U16(0) + records)));
  EXPECT_TRUE(r.ok);
  EXPECT_THAT(r.urls, IsEmpty());
  EXPECT_EQ(r.messages.size(), 5u);
}

TEST(FlashParser, DefineButton2OffsetsThatPointBackStop) {
  // The second condition claims to start one byte after the first: it lies
  // inside what was already read, so the walk stops there.
  const std::string a = GetURL("one.html", "") + kEnd;
  const std::string body = U16(1) + kZero + U16(2) + U16(1) + U16(0) + a + "pad";
  const Result r =
      ParseMovie(Movie(Tag(kButton2, body) + Tag(kDoAction, PushString("z.html") + kEnd)));
  EXPECT_TRUE(r.ok);
  EXPECT_THAT(r.urls, ElementsAre("one.html", "z.html"));
  EXPECT_THAT(r.messages, Contains(testing::StartsWith("!Wrong Filepos (tag 34)")));
}

TEST(FlashParser, BodyShorterThanTagIsReported) {
  const std::string body = GetURL("a.html", "") + kEnd + "PAD";
  const std::string movie =
      Movie(Tag(kDoAction, body) + Tag(kDoAction, GetURL("b.html", "") + kEnd));
  const std::size_t bodyStart = kHeaderSize + 2;
  const Result r = ParseMovie(movie);
  EXPECT_TRUE(r.ok);
  EXPECT_THAT(r.urls, ElementsAre("a.html", "b.html"));
  EXPECT_THAT(r.messages,
              Contains("!Wrong Filepos (tag 12) " + std::to_string(bodyStart + body.size() - 3) +
                       ". Expected " + std::to_string(bodyStart + body.size()) + "."));
}

TEST(FlashParser, BodyLongerThanTagStopsAtTheTagEnd) {
  // A GetURL claiming 300 bytes in a 10-byte tag: the parser reports the
  // inconsistency and goes on with the next tag instead of reading into it.
  const std::string body = std::string("\x83", 1) + U16(300) + "x.html\0\0\0";
  const std::string movie =
      Movie(Tag(kDoAction, body) + Tag(kDoAction, GetURL("next.html", "") + kEnd));
  const std::size_t bodyStart = kHeaderSize + 2;
  const Result r = ParseMovie(movie);
  EXPECT_TRUE(r.ok);
  EXPECT_THAT(r.urls, ElementsAre("next.html"));
  EXPECT_THAT(r.messages,
              Contains("!Wrong Filepos (tag 12) " + std::to_string(bodyStart + 3 + 300) +
                       ". Expected " + std::to_string(bodyStart + body.size()) + "."));
}

TEST(FlashParser, BytesAfterEndTag) {
  const Result r = ParseMovie(Movie(Tag(kDoAction, GetURL("a.html", "") + kEnd)) + "abc");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.messages.back(), "!! found 3 Bytes after end-of-file-tag");
}

TEST(FlashParser, HugeAndRunawayLengthsEndAsTruncated) {
  const std::vector<std::string> tagsCases = {
      U16(kDoAction << 6 | 63) + U32(0xFFFFFFFF) + GetURL("a.html", "") + kEnd,
      U16(9 << 6 | 63) + U32(0xFFFFFFFF) + "\x01\x02\x03",
      U16(kButton2 << 6 | 63) + U32(0xFFFFFFF0) + U16(1) + kZero + U16(0xFFFF),
      U16(kDoAction << 6 | 63) + U32(0x7FFFFFFF) + Long(0x99, std::string(2000, 'x')),
  };
  for (const std::string& tags : tagsCases) {
    const std::string movie = Header(0) + tags;
    const Result r = ParseMovie(movie);
    EXPECT_FALSE(r.ok);
  }
  // The URL before the runaway tag end stands.
  EXPECT_THAT(ParseMovie(Header(0) + tagsCases[0]).urls, ElementsAre("a.html"));
}

TEST(FlashParser, TruncatedAtEveryOffset) {
  const std::string movie = RichMovie();
  const std::vector<std::string> all = ParseMovie(movie).urls;
  for (std::size_t n = 0; n < movie.size(); ++n) {
    const Result r = ParseMovie(movie.substr(0, n));
    if (n < kHeaderSize) {
      EXPECT_TRUE(r.ok) << n;
      EXPECT_THAT(r.messages.back(), testing::StartsWith("error reading")) << n;
    } else {
      EXPECT_FALSE(r.ok) << n;  // the End tag is missing
    }
    ASSERT_LE(r.urls.size(), all.size()) << n;
    EXPECT_TRUE(std::equal(r.urls.begin(), r.urls.end(), all.begin())) << n;
  }
}

// Many small tags whose action lists would, if read past their tag ends, run
// over the whole rest of the movie: that must stay linear.
TEST(FlashParser, ManyOverlappingTagsStayLinear) {
  std::string tags;
  for (int i = 0; i < 200000; ++i)
    tags += Tag(kDoAction, "\x01");
  const Result r = ParseMovie(Movie(tags));
  EXPECT_TRUE(r.ok);
  // Five header lines and the first bad tags, then one line for the rest.
  ASSERT_EQ(r.messages.size(), 21u);
  EXPECT_EQ(r.messages.back(), "!! 199985 more messages about this file not shown");
}

TEST(FlashParser, UnsetEventsAreNotCalled) {
  TFlashParser p;
  EXPECT_TRUE(p.Parse(RichMovie()));
  EXPECT_TRUE(p.Parse("junk"));
  EXPECT_FALSE(p.Parse(RichMovie().substr(0, 60)));
}

}  // namespace
}  // namespace trawlonix
