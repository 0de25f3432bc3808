// Hostile sites that try to make a crawl endless or send it elsewhere: every
// row is a whole trawlonix-cli run against generated pages, bounded to a few
// seconds and a few MB, judged by requests, stored files, summary and exit
// status.
#include <QByteArray>

#include "../engine/CrawlFixture.h"

namespace trawlonix::test {
namespace {

// A class file whose constant pool names `classes`, each referenced by a
// method, so that the class parser reports every one.
std::string ClassFile(const std::vector<std::string>& classes) {
  std::string pool;
  auto u2 = [](std::string& s, std::size_t v) {
    s += static_cast<char>((v >> 8) & 0xFF);
    s += static_cast<char>(v & 0xFF);
  };
  std::size_t slot = 1;
  for (const std::string& name : classes) {
    pool += '\x01';  // Utf8
    u2(pool, name.size());
    pool += name;
    pool += '\x07';  // Class
    u2(pool, slot);
    pool += '\x0A';  // Methodref: class, name and type
    u2(pool, slot + 1);
    u2(pool, slot + 3);
    pool += '\x0C';  // NameAndType
    u2(pool, slot + 4);
    u2(pool, slot + 4);
    pool += '\x01';
    u2(pool, 1);
    pool += 'm';
    slot += 5;
  }
  std::string out("\xCA\xFE\xBA\xBE\x00\x00\x00\x32", 8);
  u2(out, slot);
  return out + pool;
}

std::string Base64(const std::string& bytes) {
  return QByteArray::fromStdString(bytes).toBase64().toStdString();
}

struct HostileCase {
  const char* name;
  const char* dir;    // the project's directory; a row naming the dir of the
                      // row before continues that project
  const char* start;  // below the server's base URL
  std::vector<std::string> args;
  int requests;         // exactly this many requests
  int stored;           // files stored for the server
  const char* summary;  // in the output
  const char* logOnce;  // in the output exactly once (nullptr: none)
  int exitCode;
};

using HostileServer = CrawlFixture;

TEST_F(HostileServer, EveryCrawlEndsAndStaysOnItsServer) {
  testsupport::TestServer other;
  ASSERT_TRUE(other.start(QString()));
  std::string fan;
  for (char c = 'a'; c <= 't'; ++c)
    fan += std::string("<A HREF='{name}") + c + ".html'>" + c + "</A>";
  std::string many;
  for (int i = 0; i < 500; ++i)
    many += "<A HREF=\"" + std::to_string(i) + ".html\">x</A>";
  WriteSite({{"k/index.html", "<APPLET CODE=\"K0001.class\"></APPLET>"},
             {"c/index.html", "<APPLET CODE=\"C.class\"></APPLET>"},
             {"e/index.html", many}});
  ASSERT_TRUE(StartServer());
  const std::string port = std::to_string(server_.port());
  // "K{n+1:4}" becomes five bytes, as the Utf8 constant's length says.
  std::string chain = ClassFile({"K{n+1:4}"});
  chain[12] = 5;
  const std::string away =
      ClassFile({"http://127.0.0.2:" + port + "/evil",
                 "http://127.0.0.1:" + std::to_string(other.port()) + "/evil", "Good"});
  const std::string html = R"("headers": {"Content-Type": "text/html"}, "template": true)";
  ASSERT_TRUE(server_.addScripts(QByteArray::fromStdString(
      R"({"/j/*": {"body": "<A HREF=\"{n+1}.jsp\">n</A>", )" + html + R"(},
          "/a/*": {"body": "<A HREF=\"{n+1}.aspx\">n</A>", )" +
      html + R"(},
          "/s/*": {"body": "<SCRIPT SRC=\"s{n}.js\"></SCRIPT>", "template": true},
          "/s/s*": {"body": "var next = \"/s/{n+1}.html\";", "template": true},
          "/k/K*": {"body_base64": ")" +
      Base64(chain) + R"(", "template": true},
          "/c/C.class": {"body_base64": ")" +
      Base64(away) + R"("},
          "/c/Good.class": {"body": "not a class"},
          "/f/*": {"body": ")" +
      fan + R"(", "template": true},
          "/x/*": {"body": "<A HREF=\"x/\">1</A><A HREF=\"x/\">2</A>"},
          "/d/*": {"body": "<A HREF=\"{n+1}/\">n</A>", "template": true},
          "/l/*": {"body": "<A HREF=\"{n+1})" +
      std::string(180, 'A') + R"(/x.html\">n</A>", "template": true},
          "/e/*": {"body": "leaf"}, "/e/index.html": {}})")));

  const char* done = "状态: 已结束\n";
  const char* capped = "状态: 已结束 (条目数达到上限 100)";
  const HostileCase cases[] = {
      // Level 4 is beyond the limit: its links are not followed.
      {"jsp pages served as HTML",
       "j",
       "j/0.jsp",
       {"--level-limit", "3"},
       5,
       5,
       done,
       "超出层级限制 (层级 4)",
       0},
      {"aspx pages served as HTML",
       "a",
       "a/0.aspx",
       {"--level-limit", "3"},
       5,
       5,
       done,
       "超出层级限制 (层级 4)",
       0},
      // Page, script, page, script: the next page would be level 4.
      {"script naming the next page",
       "s",
       "s/0.html",
       {"--level-limit", "2"},
       4,
       4,
       done,
       nullptr,
       0},
      // Classes are read one level past the limit, the one they name is not.
      {"class naming the next class",
       "k",
       "k/",
       {"--level-limit", "3"},
       6,
       6,
       done,
       "超出层级限制 (层级 5)",
       0},
      {"class naming other servers", "c", "c/", {}, 3, 3, done, nullptr, 0},
      // 20 new links a page: the fifth page overflows the room for 100.
      {"fan-out",
       "f",
       "f/x.html",
       {"--max-entries", "100", "--threads", "1"},
       5,
       5,
       capped,
       "条目数已达到上限 100",
       5},
      {"repeated segment", "x", "x/", {}, 3, 3, done, "超过 3 个相同的连续路径段", 0},
      {"33 segments", "d", "d/", {}, 32, 32, done, "超过 32 个路径段", 0},
      {"URL over 2048 bytes", "l", "l/x.html", {}, 12, 12, done, "URL 长于 2048 字节", 0},
      // The start page's links find no room: it stays pending, so a run
      // with more room reads it again and loses none of them.
      {"entry cap", "e", "e/index.html", {"--max-entries", "100"}, 1, 1, capped, nullptr, 5},
      {"entry cap, continued with more room",
       "e",
       "e/index.html",
       {"--max-entries", "1000"},
       501,
       501,
       done,
       nullptr,
       0},
  };
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(server_.clear());
    std::vector<std::string> args = {"mirror", "-v", "--ignore-robots", Base() + c.start, Path(c.dir)};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliResult r = Cli(args);
    EXPECT_EQ(r.code, c.exitCode) << r.out << r.err;
    EXPECT_NE(r.out.find(c.summary), std::string::npos) << r.out;
    if (c.logOnce) {
      EXPECT_EQ(Count(r.out, c.logOnce), 1) << r.out;
    }
    EXPECT_EQ(server_.requests().size(), c.requests) << r.out;
    int stored = 0;
    for (const auto& [name, bytes] : Tree(Path(c.dir))) {
      EXPECT_NE(name.rfind("127.0.0.2", 0), 0u) << name;
      stored += name.rfind("127.0.0.1/", 0) == 0;
    }
    EXPECT_EQ(stored, c.stored);
  }
  EXPECT_TRUE(other.requests().isEmpty());
}

}  // namespace
}  // namespace trawlonix::test
