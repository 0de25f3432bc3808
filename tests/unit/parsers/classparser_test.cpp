#include "parsers/classparser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace trawlonix {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Writes a class file's header and constant pool; each Add* returns the
// constant's index as the file counts it (from 1).
class ClassBuilder {
 public:
  uint16_t Utf8(const std::string& text) {
    Tag(1);
    U2(static_cast<uint16_t>(text.size()));
    pool_ += text;
    return Next(1);
  }
  uint16_t Class(uint16_t name) { return Simple(7, {name}); }
  uint16_t String(uint16_t text) { return Simple(8, {text}); }
  uint16_t NameAndType(uint16_t name, uint16_t type) { return Simple(12, {name, type}); }
  uint16_t Fieldref(uint16_t cls, uint16_t nat) { return Simple(9, {cls, nat}); }
  uint16_t Methodref(uint16_t cls, uint16_t nat) { return Simple(10, {cls, nat}); }
  uint16_t InterfaceMethodref(uint16_t cls, uint16_t nat) { return Simple(11, {cls, nat}); }
  uint16_t Integer() { return Simple(3, {0x1234, 0x5678}); }
  uint16_t Float() { return Simple(4, {0x3F80, 0}); }
  uint16_t Long() {
    Simple(5, {0, 0, 0, 1});
    return Next(1);  // the second slot of a Long is unusable
  }
  uint16_t Double() {
    Simple(6, {0x3FF0, 0, 0, 0});
    return Next(1);
  }
  void RawTag(uint8_t tag) { Tag(tag); }

  // Header, pool, and the start of the rest (access flags, this, super),
  // which the parser never reads.
  std::string Build(uint16_t major = 49, uint16_t minor = 0) const {
    std::string out = "\xCA\xFE\xBA\xBE";
    Put2(out, minor);
    Put2(out, major);
    Put2(out, next_);
    out += pool_;
    out += std::string("\x00\x21\x00\x01\x00\x02", 6);
    return out;
  }
  // Byte offset where the pool ends inside Build().
  std::size_t PoolEnd() const { return 10 + pool_.size(); }

 private:
  static void Put2(std::string& s, uint16_t v) {
    s += static_cast<char>(v >> 8);
    s += static_cast<char>(v & 0xFF);
  }
  void Tag(uint8_t t) { pool_ += static_cast<char>(t); }
  void U2(uint16_t v) { Put2(pool_, v); }
  uint16_t Simple(uint8_t tag, std::vector<uint16_t> words) {
    Tag(tag);
    for (uint16_t w : words)
      U2(w);
    return Next(1);
  }
  uint16_t Next(uint16_t slots) {
    const uint16_t index = next_;
    next_ += slots;
    return index;
  }

  std::string pool_;
  uint16_t next_ = 1;
};

struct Result {
  std::vector<std::string> refs;
  std::vector<std::string> messages;
};

Result ParseClass(const std::string& data) {
  Result r;
  TJavaClassParser p;
  p.OnClassRef = [&](const std::string& s) { r.refs.push_back(s); };
  p.OnMessage = [&](const std::string& s) { r.messages.push_back(s); };
  EXPECT_TRUE(p.Parse(data));
  return r;
}

// A small applet: creates a/b/C and calls a method on it, reads a field of
// d/E, calls an interface method on f/G, and casts to h/Cast (no reference).
ClassBuilder Applet() {
  ClassBuilder b;
  const uint16_t c = b.Class(b.Utf8("a/b/C"));
  const uint16_t init = b.NameAndType(b.Utf8("<init>"), b.Utf8("()V"));
  b.Methodref(c, init);
  b.Class(b.Utf8("h/Cast"));
  const uint16_t e = b.Class(b.Utf8("d/E"));
  b.Fieldref(e, b.NameAndType(b.Utf8("x"), b.Utf8("I")));
  const uint16_t g = b.Class(b.Utf8("f/G"));
  b.InterfaceMethodref(g, init);
  b.Methodref(c, init);  // a second reference reports the class once
  return b;
}

TEST(ClassParser, ReportsReferencedClassesInPoolOrder) {
  const Result r = ParseClass(Applet().Build(50, 3));
  EXPECT_THAT(r.refs, ElementsAre("a/b/C", "d/E", "f/G"));
  EXPECT_THAT(r.messages, ElementsAre("Java 版本: 50.3", "ConstantPoolCount = 19"));
}

struct HeaderCase {
  const char* name;
  std::string data;
  std::vector<std::string> messages;
};

TEST(ClassParser, HeaderMessages) {
  const std::string magic = "\xCA\xFE\xBA\xBE";
  const std::vector<HeaderCase> cases = {
      {"empty", "", {"读取文件标识时出错"}},
      {"short signature", "\xCA\xFE\xBA", {"读取文件标识时出错"}},
      {"wrong signature", "PK\x03\x04 more bytes here", {"错误的文件标识"}},
      {"signature reversed", "\xBE\xBA\xFE\xCA\x00\x00\x00\x2D", {"错误的文件标识"}},
      {"version cut", magic + std::string("\x00\x03\x00", 3), {"读取版本号码时出错"}},
      {"count missing",
       magic + std::string("\x00\x03\x00\x2D", 4),
       {"Java 版本: 45.3", "读取 ConstantPool 的大小设定时出错。"}},
      {"count cut",
       magic + std::string("\x00\x03\x00\x2D\x00", 5),
       {"Java 版本: 45.3", "读取 ConstantPool 的大小设定时出错。"}},
      {"empty pool",
       magic + std::string("\x00\x00\x00\x34\x00\x01", 6),
       {"Java 版本: 52.0", "ConstantPoolCount = 1"}},
      {"count zero",
       magic + std::string("\x00\x00\x00\x34\x00\x00", 6),
       {"Java 版本: 52.0", "ConstantPoolCount = 0"}},
      {"count 65535 in a short file",
       magic + std::string("\x00\x00\x00\x34\xFF\xFF\x01\x00\x01", 9),
       {"Java 版本: 52.0", "ConstantPoolCount = 65535"}},
  };
  for (const HeaderCase& c : cases) {
    const Result r = ParseClass(c.data);
    EXPECT_EQ(r.messages, c.messages) << c.name;
    EXPECT_THAT(r.refs, IsEmpty()) << c.name;
  }
}

// Long and Double take two pool slots; if the parser advanced by one, the
// name index of the class below would point at the wrong text.
TEST(ClassParser, LongAndDoubleTakeTwoSlots) {
  for (int kind = 0; kind < 2; ++kind) {
    ClassBuilder b;
    b.Utf8("wrong/Name");
    if (kind == 0) {
      b.Long();
    } else {
      b.Double();
    }
    b.Integer();
    const uint16_t name = b.Utf8("right/Name");
    const uint16_t cls = b.Class(name);
    b.Methodref(cls, b.NameAndType(name, name));
    ASSERT_EQ(name, 5);  // 1 text, 2-3 long/double, 4 integer
    EXPECT_THAT(ParseClass(b.Build()).refs, ElementsAre("right/Name")) << kind;
  }
}

// Each constant kind is read with its own size: one byte too many or too few
// and the class after it is misread.
TEST(ClassParser, EveryConstantKindIsReadWithItsSize) {
  struct Kind {
    const char* name;
    void (*add)(ClassBuilder&);
  };
  const Kind kinds[] = {
      {"Utf8", [](ClassBuilder& b) { b.Utf8("x\x01\x07"); }},
      {"Integer", [](ClassBuilder& b) { b.Integer(); }},
      {"Float", [](ClassBuilder& b) { b.Float(); }},
      {"Long", [](ClassBuilder& b) { b.Long(); }},
      {"Double", [](ClassBuilder& b) { b.Double(); }},
      {"Class", [](ClassBuilder& b) { b.Class(7); }},
      {"String", [](ClassBuilder& b) { b.String(7); }},
      {"Fieldref", [](ClassBuilder& b) { b.Fieldref(0x0701, 0x0107); }},
      {"Methodref", [](ClassBuilder& b) { b.Methodref(0x0701, 0x0107); }},
      {"InterfaceMethodref", [](ClassBuilder& b) { b.InterfaceMethodref(0x0701, 0x0107); }},
      {"NameAndType", [](ClassBuilder& b) { b.NameAndType(0x0701, 0x0107); }},
  };
  for (const Kind& k : kinds) {
    ClassBuilder b;
    k.add(b);
    k.add(b);
    const uint16_t cls = b.Class(b.Utf8("right/Name"));
    b.Methodref(cls, 1);
    const Result r = ParseClass(b.Build());
    EXPECT_THAT(r.refs, ElementsAre("right/Name")) << k.name;
    EXPECT_EQ(r.messages.size(), 2u) << k.name;
  }
}

TEST(ClassParser, ClassWithoutUsableNameIsSkipped) {
  ClassBuilder b;
  const uint16_t str = b.String(1);
  const uint16_t noText = b.Class(str);  // name index points at a String constant
  const uint16_t zero = b.Class(0);
  const uint16_t outside = b.Class(500);
  const uint16_t empty = b.Class(b.Utf8(""));
  for (uint16_t c : {noText, zero, outside, empty})
    b.Methodref(c, 1);
  const Result r = ParseClass(b.Build());
  EXPECT_THAT(r.refs, IsEmpty());
  EXPECT_EQ(r.messages.size(), 2u);
}

TEST(ClassParser, UnknownConstantKindEndsThePoolWithoutReports) {
  for (uint8_t tag : {0, 2, 13, 15, 16, 18, 255}) {
    ClassBuilder b = Applet();
    b.RawTag(tag);
    b.Utf8("padding");
    const Result r = ParseClass(b.Build());
    EXPECT_THAT(r.refs, IsEmpty()) << int(tag);
    EXPECT_EQ(r.messages.size(), 2u) << int(tag);
  }
}

TEST(ClassParser, TruncatedAtEveryOffsetReportsNothing) {
  const ClassBuilder b = Applet();
  const std::string full = b.Build();
  for (std::size_t n = 0; n < b.PoolEnd(); ++n) {
    const Result r = ParseClass(full.substr(0, n));
    EXPECT_THAT(r.refs, IsEmpty()) << n;
    ASSERT_FALSE(r.messages.empty()) << n;
    EXPECT_LE(r.messages.size(), 2u) << n;
  }
  // The rest of the file is never read: cutting it off changes nothing.
  EXPECT_EQ(ParseClass(full.substr(0, b.PoolEnd())).refs.size(), 3u);
}

struct Utf8Case {
  std::string raw;
  std::string decoded;
};

TEST(ClassParser, DecodesModifiedUtf8) {
  const std::vector<Utf8Case> cases = {
      {"plain/Name", "plain/Name"},
      {"caf\xC3\xA9/X", "caf\xC3\xA9/X"},                  // two bytes
      {"\xE4\xB8\xAD/X", "\xE4\xB8\xAD/X"},                // three bytes
      {"a\xED\xA0\xBD\xED\xB8\x80", "a\xF0\x9F\x98\x80"},  // surrogate pair
      {"a\xED\xA0\xBD/b", "a?/b"},                         // lone surrogate
      {"ab\xE4\xB8", "ab"},                                // cut sequence
      {"ab\xC3", "ab"},
  };
  for (const Utf8Case& c : cases) {
    ClassBuilder b;
    const uint16_t cls = b.Class(b.Utf8(c.raw));
    b.Fieldref(cls, 1);
    EXPECT_THAT(ParseClass(b.Build()).refs, ElementsAre(c.decoded)) << c.raw;
  }
}

TEST(ClassParser, ReusedParserStartsAfresh) {
  TJavaClassParser p;
  std::vector<std::string> refs;
  p.OnClassRef = [&](const std::string& s) { refs.push_back(s); };
  p.Parse(Applet().Build());
  refs.clear();
  ClassBuilder b;
  b.Class(b.Utf8("only/Cast"));
  b.Methodref(3, 1);  // index 3 was a referenced class in the first file
  p.Parse(b.Build());
  EXPECT_THAT(refs, IsEmpty());
}

TEST(ClassParser, UnsetEventsAndThrowingOwnerAreSafe) {
  TJavaClassParser silent;
  EXPECT_TRUE(silent.Parse(Applet().Build()));
  EXPECT_TRUE(silent.Parse("junk"));

  TJavaClassParser p;
  std::vector<std::string> refs;
  p.OnClassRef = [&](const std::string& s) {
    refs.push_back(s);
    if (s == "a/b/C") throw std::runtime_error("owner failed");
  };
  EXPECT_TRUE(p.Parse(Applet().Build()));
  EXPECT_THAT(refs, ElementsAre("a/b/C", "d/E", "f/G"));
}

}  // namespace
}  // namespace trawlonix
