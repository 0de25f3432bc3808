#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "model/SpiderTools.h"

namespace trawlonix {
namespace {

namespace fs = std::filesystem;

TURL Url(const std::string& text) {
  TURL u;
  EXPECT_TRUE(ParseURL(text, false, u)) << text;
  return u;
}

TURL Parts(std::string host, std::string path, std::string file, std::string query = "") {
  TURL u;
  u.Protocol = "http";
  u.Host = std::move(host);
  u.Path = std::move(path);
  u.FileName = std::move(file);
  u.Query = std::move(query);
  const auto dot = u.FileName.rfind('.');
  if (dot != std::string::npos) u.Ext = u.FileName.substr(dot + 1);
  return u;
}

TEST(ExtTable, HoldsThirtyTwoDistinctLowerCaseRows) {
  std::set<std::string> seen;
  for (const TExtInfo& row : TX_Ext_Info) {
    const std::string ext = row.Ext;
    EXPECT_TRUE(seen.insert(ext).second) << ext;
    for (char c : ext)
      EXPECT_FALSE(c >= 'A' && c <= 'Z') << ext;
    EXPECT_EQ(row.Code % 2, 1) << ext;
  }
  EXPECT_EQ(std::string(TX_Ext_Info.front().Ext), "html");
  EXPECT_EQ(std::string(TX_Ext_Info.back().Ext), "htc");
}

TEST(ExtTable, RowsAndCodesInOrder) {
  const std::pair<const char*, TFileType> want[] = {
      {"html", ftHypertext}, {"htm", ftHypertext}, {"shtml", ftHypertext}, {"phtml", ftHypertext},
      {"gif", ftImage},      {"jpg", ftImage},     {"jpeg", ftImage},      {"bmp", ftImage},
      {"pcx", ftImage},      {"rle", ftImage},     {"png", ftImage},       {"wav", ftSound},
      {"au", ftSound},       {"swf", ftFlash},     {"java", ftJava},       {"class", ftJava},
      {"snd", ftSound},      {"ram", ftSound},     {"rm", ftSound},        {"mid", ftSound},
      {"aiff", ftSound},     {"mp2", ftSound},     {"mp3", ftSound},       {"avi", ftVideo},
      {"asf", ftVideo},      {"qt", ftVideo},      {"mov", ftVideo},       {"mpg", ftVideo},
      {"mpeg", ftVideo},     {"js", ftJavaScript}, {"css", ftStyleSheet},  {"htc", ftStyleSheet},
  };
  ASSERT_EQ(std::size(want), TX_Ext_Info.size());
  for (std::size_t i = 0; i < TX_Ext_Info.size(); ++i) {
    EXPECT_EQ(std::string(TX_Ext_Info[i].Ext), want[i].first) << i;
    EXPECT_EQ(TX_Ext_Info[i].Code, want[i].second) << want[i].first;
    EXPECT_EQ(FileTypeOf(Parts("h", "/", std::string("f.") + want[i].first)), want[i].second);
  }
  const std::pair<TFileType, int> codes[] = {
      {ftHypertext, 3}, {ftImage, 5},  {ftOther, 7},       {ftSound, 9},       {ftVideo, 11},
      {ftJava, 13},     {ftFlash, 15}, {ftJavaScript, 19}, {ftStyleSheet, 21},
  };
  for (const auto& [type, code] : codes)
    EXPECT_EQ(static_cast<int>(type), code);
}

TEST(SpiderTools, FileTypeOf) {
  const TStringList rec = {"asp", "php"};
  const TStringList recJs = {"js"};
  struct Case {
    TURL url;
    const TStringList* list;
    TFileType want;
  };
  const Case cases[] = {
      {Parts("h", "/dir/", ""), nullptr, ftHypertext},
      {Parts("h", "/dir/", " "), nullptr, ftHypertext},  // blank file name
      {Parts("h", "/", "x.GIF"), nullptr, ftImage},
      {Parts("h", "/", "x.asp"), nullptr, ftOther},
      {Parts("h", "/", "x.asp"), &rec, ftHypertext},
      {Parts("h", "/", "x.ASP"), &rec, ftHypertext},
      {Parts("h", "/", "x.htc"), nullptr, ftStyleSheet},
      {Parts("h", "/", "x.js"), nullptr, ftJavaScript},
      {Parts("h", "/", "x.class"), nullptr, ftJava},
      {Parts("h", "/", "x.swf"), nullptr, ftFlash},
      {Parts("h", "/", "x.mpeg"), nullptr, ftVideo},
      {Parts("h", "/", "x.mp3"), nullptr, ftSound},
      {Parts("h", "/", "x.gif"), &rec, ftImage},
      {Parts("h", "/", "noext"), nullptr, ftOther},
      // The extension is trimmed before the lookup; the recognised list wins
      // over the table, also for an extension the table knows.
      {Parts("h", "/", "x. GIF\t"), nullptr, ftImage},
      {Parts("h", "/", "x.js"), &recJs, ftHypertext},
      {Parts("h", "/", "x.JS "), &recJs, ftHypertext},
      {Parts("h", "/", "x.css"), &recJs, ftStyleSheet},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FileTypeOf(c.url, c.list), c.want) << c.url.FileName;
}

TEST(SpiderTools, NormalizeLink) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\r\n b", "a%20b"},
      {"  a b  ", "a%20b"},
      {"\tx.html\n", "x.html"},
      {"a.cgi?x=1&amp;y=2", "a.cgi?x=1&y=2"},
      {"a.cgi?x=1&AMP;y=2", "a.cgi?x=1&y=2"},
      {"&LT;b&gt;", "<b>"},
      {"&auml;&Ouml;&uuml;", "\xE4\xF6\xFC"},
      {"&amp;gt;", "&gt;"},  // "&amp;" comes last: no double decoding
      {"a&nbsp;b", "a&nbsp;b"},
      {"", ""},
  };
  for (const auto& [in, want] : cases)
    EXPECT_EQ(NormalizeLink(in), want) << in;
}

TEST(SpiderTools, DecodeURLText) {
  const std::pair<std::string, std::string> cases[] = {
      {"%41%4a%4A", "AJJ"},
      {"a%4", "a "},
      {"%zzb", " b"},
      {"a+b", "a+b"},
      {"%", " "},
      {"%2e%2E", ".."},
      {"%00", std::string(1, '\0')},
      {"100%", "100 "},
      {"%%41", " 1"},
  };
  for (const auto& [in, want] : cases)
    EXPECT_EQ(DecodeURLText(in), want) << in;
}

TEST(SpiderTools, NumberedName) {
  struct Case {
    std::string name;
    std::int32_t n;
    std::string want;
  };
  const Case cases[] = {
      {"x.asp", 3, "x_3.asp"},
      {"query", 0, "query_0"},
      {"a.b.cgi", 12, "a.b_12.cgi"},
      {"x.", 1, "x_1"},
      {"/m/127.0.0.1/dir/query", 2, "/m/127.0.0.1/dir/query_2"},
      {"../d.x/s.asp", 4, "../d.x/s_4.asp"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NumberedName(c.name, c.n), c.want) << c.name;
}

TEST(LocalName, BuildsTheMirrorName) {
  const TStringList ren = {"asp", "dll"};
  struct Case {
    TURL url;
    std::optional<std::int32_t> number;
    bool onlyScripts;
    std::string want;
  };
  const Case cases[] = {
      {Url("http://127.0.0.1/a/"), {}, true, "/m/127.0.0.1/a/index.html"},
      {Url("http://127.0.0.1/a/b%20c.html"), {}, true, "/m/127.0.0.1/a/b c.html"},
      {Url("http://127.0.0.1/x.asp"), {}, true, "/m/127.0.0.1/x.asp"},
      {Url("http://127.0.0.1/x.asp"), {}, false, "/m/127.0.0.1/x.asp.html"},
      {Url("http://127.0.0.1/x.asp?q=1"), 4, true, "/m/127.0.0.1/x_4.asp.html"},
      {Url("http://127.0.0.1/x.cgi?q=1"), 0, true, "/m/127.0.0.1/x_0.cgi"},
      {Url("http://127.0.0.1/x.ASP?q"), 1, true, "/m/127.0.0.1/x_1.ASP.html"},
      {Parts("127.0.0.1", "", "f.htm"), {}, true, "/m/127.0.0.1/f.htm"},
      {Url("http://[::1]:8701/a/"), {}, true, "/m/[__1]/a/index.html"},
      // Names without a dot are pages; the directory of the same name holds
      // the pages below them.
      {Parts("127.0.0.1", "/", "docs"), {}, true, "/m/127.0.0.1/docs.html"},
      {Parts("127.0.0.1", "/docs/", "intro"), {}, true, "/m/127.0.0.1/docs/intro.html"},
      {Parts("127.0.0.1", "/", "search", "q=1"), 0, true, "/m/127.0.0.1/search_0.html"},
  };
  for (const Case& c : cases) {
    TNamingOptions opt;
    opt.RedirectNumber = c.number;
    opt.HTMLRenList = &ren;
    opt.OnlyRenameSkriptURL = c.onlyScripts;
    EXPECT_EQ(LocalFileName("/m", c.url, opt).value_or("<refused>"), c.want) << ComposeURL(c.url);
  }
}

TEST(LocalName, RefusesEveryWayOut) {
  const TURL cases[] = {
      Url("http://h/%2e%2e/%2e%2e/x"),
      Url("http://h/a/../../../x"),
      Url("http://h/%2E%2e%5cx"),
      Parts("h", "/", "%2e%2e"),
      Parts("h", "/a\\..\\..\\", "x"),
      Parts("..", "/", "x"),
      Parts(".", "/", "x"),
      Parts("", "/", "x"),
      Parts("a/b", "/", "x"),
      Parts("a\\b", "/", "x"),
      Parts(std::string("a\0b", 3), "/", "x"),
  };
  TNamingOptions opt;
  for (const TURL& u : cases) {
    EXPECT_FALSE(LocalFileName("/m/", u, opt).has_value())
        << u.Host << " " << u.Path << " " << u.FileName;
    EXPECT_FALSE(LocalLinkText(Parts("h", "/", "p.html"), u, opt).has_value());
  }
  // The index-file name and the appended ".html" are checked as well.
  opt.IndexFileName = "../../x";
  EXPECT_FALSE(LocalFileName("/m/", Url("http://h/a/"), opt).has_value());
}

TEST(LocalName, KeepsHarmlessDots) {
  const std::pair<TURL, std::string> cases[] = {
      {Parts("h", "/a/./b/", "x.html"), "/m/h/a/b/x.html"},
      {Parts("h", "/", "..foo"), "/m/h/..foo"},
      {Parts("h", "/", "%2e%2efoo"), "/m/h/..foo"},
      {Parts("h", "/a..b/", "c...d"), "/m/h/a..b/c...d"},
      {Parts("h", "/.../", "x"), "/m/h/.../x.html"},
      {Parts("h", "/", "sub%2fx.html"), "/m/h/sub%2fx.html"},
      {Parts("h..", "/", "x"), "/m/h../x.html"},
  };
  for (const auto& [u, want] : cases)
    EXPECT_EQ(LocalFileName("/m/", u, TNamingOptions{}).value_or("<refused>"), want);
}

// What a hostile site can put into a name: control bytes, bytes of no
// UTF-8, characters that reorder the text, escaped "/", empty and "."
// segments, other ports. Each is stored under a plain, visible name inside
// the server's directory, and the link text leads exactly there.
TEST(LocalName, CleansHostileNamesAndSeparatesServers) {
  const TURL start = Url("http://127.0.0.1:8080/a/p.html");
  // A name on the start server.
  auto P = [](std::string path, std::string file) {
    TURL u = Parts("127.0.0.1", std::move(path), std::move(file));
    u.Port = "8080";
    return u;
  };
  struct Case {
    TURL url;
    const char* name;  // below /m
    const char* text;  // from the start page
  };
  const Case cases[] = {
      {P("/", "nl%0A.html"), "127.0.0.1/nl%0A.html", "../nl%250A.html"},
      {P("/cr\rlf/", "x.gif"), "127.0.0.1/cr%0Dlf/x.gif", "../cr%250Dlf/x.gif"},
      {P("/", "%E2%80%AEgif.exe"), "127.0.0.1/%E2%80%AEgif.exe", "../%25E2%2580%25AEgif.exe"},
      {P("/", "\xE2\x81\xA6x.html"), "127.0.0.1/%E2%81%A6x.html", "../%25E2%2581%25A6x.html"},
      {P("/", "%C3%A4.html"), "127.0.0.1/\xC3\xA4.html", "../%C3%A4.html"},
      {P("/", "%D6%D0%7F.html"), "127.0.0.1/%D6%D0%7F.html", "../%25D6%25D0%257F.html"},
      {P("/", "a%00b"), "127.0.0.1/a%00b.html", "../a%2500b.html"},
      {P("/", "%2F.html"), "127.0.0.1/%2F.html", "../%252F.html"},
      {P("/", "..%2f..%2fx"), "127.0.0.1/..%2f..%2fx", "../..%252f..%252fx"},
      {P("/a%2f..%2f..%2f/", "x"), "127.0.0.1/a%2f..%2f..%2f/x.html",
       "../a%252f..%252f..%252f/x.html"},
      {P("//a/.//%2e/", "b.html"), "127.0.0.1/a/b.html", "b.html"},
      // The start server keeps the plain host folder; every other port of
      // that host, the default one too, has a folder of its own.
      {Url("http://127.0.0.1:8080/"), "127.0.0.1/index.html", "../index.html"},
      {Url("http://127.0.0.1:9090/"), "127.0.0.1:9090/index.html",
       "../../127.0.0.1:9090/index.html"},
      {Url("http://127.0.0.1/x.html"), "127.0.0.1:80/x.html", "../../127.0.0.1:80/x.html"},
      {Url("http://127.0.0.2:0081/x.html"), "127.0.0.2:81/x.html", "../../127.0.0.2:81/x.html"},
      {Url("http://127.0.0.2:80/x.html"), "127.0.0.2/x.html", "../../127.0.0.2/x.html"},
  };
  for (const Case& c : cases) {
    TNamingOptions opt;
    opt.StartServer = &start;
    EXPECT_EQ(LocalFileName("/m", c.url, opt).value_or("<refused>"), std::string("/m/") + c.name)
        << c.url.Path << c.url.FileName;
    EXPECT_EQ(LocalLinkText(start, c.url, opt).value_or("<refused>"), c.text)
        << c.url.Path << c.url.FileName;
  }
  // http and https of one host on their default ports are one server.
  const TURL plain = Url("http://h/");
  TNamingOptions opt;
  opt.StartServer = &plain;
  EXPECT_EQ(LocalFileName("/m", Url("https://h/s.html"), opt), "/m/h/s.html");
  EXPECT_EQ(LocalFileName("/m", Url("https://h:8443/s.html"), opt), "/m/h:8443/s.html");
  // Without a start server (a plain lookup) every server is its host.
  EXPECT_EQ(LocalFileName("/m", Url("http://h:8443/s.html"), {}), "/m/h/s.html");
  // A name held by another URL is numbered as a whole.
  opt.CollisionNumber = 0;
  EXPECT_EQ(LocalFileName("/m", Url("http://h/q_0.php"), opt), "/m/h/q_0_0.php");
  EXPECT_EQ(LocalLinkText(Url("http://h/p.html"), Url("http://h/q_0.php"), opt), "q_0_0.php");
  EXPECT_EQ(LocalFileName("/m", Url("http://h/d/"), opt), "/m/h/d/index_0.html");
  // Nothing may be a file named "." or "..".
  for (const char* file : {"%2e", "%2E%2e"})
    EXPECT_FALSE(LocalFileName("/m", Parts("h", "/", file), {}).has_value()) << file;
}

TEST(LinkText, MatchesTheStoredName) {
  const TStringList ren = {"asp"};
  const TURL current = Url("http://127.0.0.1/a/page.html");
  struct Case {
    TURL target;
    std::optional<std::int32_t> number;
    std::string want;
  };
  const Case cases[] = {
      {Url("http://127.0.0.1/b/c.htm"), {}, "../b/c.htm"},
      {Url("http://127.0.0.1/a/x.html"), {}, "x.html"},
      {Url("http://127.0.0.1/d/"), {}, "../d/index.html"},
      {Url("http://127.0.0.1/a//b//c.htm"), {}, "b/c.htm"},
      {Url("http://127.0.0.1/a/s.asp?q=1"), 2, "s_2.asp.html"},
      {Url("http://127.0.0.1/a/s.asp"), {}, "s.asp"},
      {Url("http://127.0.0.2/x.gif"), {}, "../../127.0.0.2/x.gif"},
      // The escaped dot is numbered like the stored name; Ext, taken from the
      // raw name, is empty, so no ".html" here nor there.
      {Parts("127.0.0.1", "/a/", "s%2easp", "q"), 0, "s_0.asp"},
      {Url("http://127.0.0.1/a/b%20c.html"), {}, "b%20c.html"},
      {Parts("127.0.0.1", "", "f.htm"), {}, "../f.htm"},  // stored below the host too
      {Parts("127.0.0.1", "/a/", "about"), {}, "about.html"},
      {Parts("127.0.0.1", "/", "docs"), {}, "../docs.html"},
  };
  for (const Case& c : cases) {
    TNamingOptions opt;
    opt.RedirectNumber = c.number;
    opt.HTMLRenList = &ren;
    EXPECT_EQ(LocalLinkText(current, c.target, opt).value_or("<refused>"), c.want)
        << ComposeURL(c.target);
    if (c.target.Host == current.Host && c.target.Path == current.Path) {
      const std::string stored = LocalFileName("/m/", c.target, opt).value_or("");
      EXPECT_EQ(stored, "/m/127.0.0.1/a/" + DecodeURLText(c.want));
    }
  }
}

TEST(LinkText, LeadsFromAPageWithoutExtension) {
  const TURL post = Parts("h", "/blog/2024/", "first-post");
  EXPECT_EQ(LocalLinkText(post, Parts("h", "/", "about"), {}), "../../about.html");
  EXPECT_EQ(LocalLinkText(post, Parts("h", "/blog/2024/", "cover.jpg"), {}), "cover.jpg");
}

TEST(SpiderTools, IsKnownFileExtension) {
  const TStringList rec = {"asp"};
  const std::pair<const char*, bool> cases[] = {
      {"gif", true},
      {"GIF ", true},
      {"html", true},
      {"css", true},
      {"js", true},
      {"asp", true},
      {"rst", false},
      {"em", false},
      {"body", false},
      {"1", false},
      {"getComputedStyle", false},
      {"", false},
      {"ConfigItem", false},
  };
  for (const auto& [ext, want] : cases)
    EXPECT_EQ(IsKnownFileExtension(ext, &rec), want) << ext;
  EXPECT_FALSE(IsKnownFileExtension("asp"));
}

// A host holding escapes is stored under its literal name; the rewritten
// link must not let a browser decode them, or "%2e%2e" climbs out of the
// mirror directory.
TEST(LinkText, HostEscapesStayLiteralInCrossHostLinks) {
  struct Case {
    const char* target;
    const char* wantText;
    const char* wantName;
  };
  const Case cases[] = {
      {"http://%2e%2e/x.html", "../../../%252e%252e/x.html", "/m/%2e%2e/x.html"},
      {"http://%2E/x.html", "../../../%252e/x.html", "/m/%2e/x.html"},
      {"http://a%2fb/x.html", "../../../a%252fb/x.html", "/m/a%2fb/x.html"},
      {"http://plain.test/x.html", "../../../plain.test/x.html", "/m/plain.test/x.html"},
  };
  TURL current;
  ASSERT_TRUE(ParseURL("http://h.test/a/b/page.html", false, current));
  for (const Case& c : cases) {
    TURL target;
    ASSERT_TRUE(ParseURL(c.target, false, target)) << c.target;
    const TNamingOptions opt;
    EXPECT_EQ(LocalLinkText(current, target, opt).value_or("(refused)"), c.wantText) << c.target;
    EXPECT_EQ(LocalFileName("/m", target, opt).value_or("(refused)"), c.wantName) << c.target;
  }
}

// A file name holding an escaped "/" is one name (never a directory and a
// hidden file); a broken escape that takes the last "/" of the path with it
// puts the file elsewhere than Path says; the link must stay relative and
// reach that file. A name with ":" must not read as a scheme.
TEST(LinkText, LinkFollowsWhereEscapesPutTheFile) {
  struct Case {
    const char* current;
    const char* target;
    const char* wantText;
  };
  const Case cases[] = {
      {"http://h.test/a/p.html", "http://h.test/a/%2F.html", "%252F.html"},
      {"http://h.test/a/p.html", "http://h.test/a/%2f%2fx.asp", "%252f%252fx.asp"},
      {"http://h.test/a/b/p.html", "http://h.test/a/%2F.html", "../%252F.html"},
      {"http://h.test/a/p.html", "http://h.test/a/x%2Fy.html", "x%252Fy.html"},
      {"http://h.test/a/x%2Fp.html", "http://h.test/a/y.html", "y.html"},
      {"http://h.test/a/%/p.html", "http://h.test/a/%/", "%20index.html"},
      {"http://h.test/a/%/", "http://h.test/a/%/", "%20index.html"},
      {"http://h.test/wiki/x.html", "http://h.test/wiki/Special:Page.html", "./Special:Page.html"},
      {"http://h.test/p.html", "http://h.test/a:b/x.html", "./a:b/x.html"},
  };
  for (const Case& c : cases) {
    TURL current, target;
    ASSERT_TRUE(ParseURL(c.current, false, current)) << c.current;
    ASSERT_TRUE(ParseURL(c.target, false, target)) << c.target;
    EXPECT_EQ(LocalLinkText(current, target, TNamingOptions()).value_or("(refused)"), c.wantText)
        << c.target;
  }
}

// "." segments stay in a resolved Path but are no directories on disk: a
// link must not climb once for each of them, or it leaves the mirror.
TEST(LinkText, DotSegmentsAreNoLevels) {
  struct Case {
    const char* current;
    const char* target;
    const char* wantText;
  };
  const Case cases[] = {
      {"http://h.test/a/./b/p.html", "http://other.test/x.html", "../../../other.test/x.html"},
      {"http://h.test/./p.html", "http://other.test/x.html", "../other.test/x.html"},
      {"http://h.test/a/%2e/b/p.html", "http://h.test/a/x/f.html", "../x/f.html"},
      {"http://h.test/a/b/p.html", "http://h.test/a/./b/./f.html", "f.html"},
      {"http://h.test/a/b/p.html", "http://h.test/./x/f.html", "../../x/f.html"},
  };
  for (const Case& c : cases) {
    TURL current, target;
    ASSERT_TRUE(ParseURL(c.current, false, current)) << c.current;
    ASSERT_TRUE(ParseURL(c.target, false, target)) << c.target;
    EXPECT_EQ(LocalLinkText(current, target, TNamingOptions()).value_or("(refused)"), c.wantText)
        << c.current << " -> " << c.target;
  }
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("tx_model_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "mirror");
    mirror_ = (root_ / "mirror").string() + "/";
  }
  void TearDown() override { fs::remove_all(root_); }

  std::size_t EntriesBelowRoot() const {
    std::size_t n = 0;
    for (auto it = fs::recursive_directory_iterator(root_); it != fs::end(it); ++it)
      ++n;
    return n;
  }

  fs::path root_;
  std::string mirror_;
};

TEST_F(TempDir, ForceLocalDirsCreatesTheChain) {
  EXPECT_TRUE(ForceLocalDirs(mirror_, "127.0.0.1", "/a/b c/./d/"));
  EXPECT_TRUE(fs::is_directory(root_ / "mirror/127.0.0.1/a/b c/d"));
  EXPECT_TRUE(ForceLocalDirs(mirror_, "127.0.0.1", "/a/b c/"));  // already there
  // A local directory that does not exist yet is created as well.
  EXPECT_TRUE(ForceLocalDirs((root_ / "new/deep").string(), "h", "/x/"));
  EXPECT_TRUE(fs::is_directory(root_ / "new/deep/h/x"));
  // A file in the way makes the chain fail, without an exception.
  std::ofstream(root_ / "mirror/127.0.0.1/file").put('x');
  EXPECT_FALSE(ForceLocalDirs(mirror_, "127.0.0.1", "/file/sub/"));
}

TEST_F(TempDir, ForceLocalDirsRefusesEscapes) {
  const std::size_t before = EntriesBelowRoot();
  EXPECT_FALSE(ForceLocalDirs(mirror_, "h", "/a/../../../esc/"));
  EXPECT_FALSE(ForceLocalDirs(mirror_, "h", "/../esc/"));
  EXPECT_FALSE(ForceLocalDirs(mirror_, "..", "/esc/"));
  EXPECT_FALSE(ForceLocalDirs(mirror_, "", "/esc/"));
  EXPECT_FALSE(ForceLocalDirs(mirror_, "h", std::string("/a\0b/", 5)));
  EXPECT_EQ(EntriesBelowRoot(), before);
  EXPECT_FALSE(fs::exists(root_ / "esc"));
}

TEST_F(TempDir, LocalFileDate) {
  ASSERT_TRUE(ForceLocalDirs(mirror_, "h", "/d x/"));
  std::ofstream(root_ / "mirror/h/d x/f.html") << "x";
  std::ofstream(root_ / "secret") << "x";
  const fs::path stored = root_ / "mirror/h/d x/f.html";
  const auto when = fs::file_time_type::clock::now() - std::chrono::hours(48);
  fs::last_write_time(stored, when);

  const std::int64_t date = LocalFileDate(mirror_, Url("http://h/d%20x/f.html"));
  EXPECT_NE(date, 0);
  EXPECT_EQ(date, LocalFileDate(stored.string()));
  EXPECT_EQ(LocalFileDate(mirror_, Url("http://h/d%20x/missing.html")), 0);
  EXPECT_EQ(LocalFileDate(mirror_, Url("http://h/d%20x/")), 0);  // a directory
  EXPECT_EQ(LocalFileDate(mirror_, Parts("h", "/", "d x")), 0);  // a directory named as a file
  // The file outside the mirror is never looked at.
  EXPECT_EQ(LocalFileDate(mirror_, Parts("h", "/%2e%2e/%2e%2e/", "secret")), 0);
  EXPECT_NE(LocalFileDate((root_ / "secret").string()), 0);
}

}  // namespace
}  // namespace trawlonix
