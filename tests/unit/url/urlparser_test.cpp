#include "url/urlparser.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>
#include <vector>

namespace trawlonix {

// Found by GoogleTest through argument-dependent lookup, so outside the anonymous namespace.
void PrintTo(const TURL& u, std::ostream* os) {
  *os << "{" << u.Protocol << "|" << u.User << "|" << u.Password << "|" << u.Host << "|" << u.Port
      << "|" << u.Path << "|" << u.FileName << "|" << u.Query << "|" << u.Ext << "}";
}

namespace {

TURL Make(std::string protocol, std::string user, std::string password, std::string host,
          std::string port, std::string path, std::string file, std::string query,
          std::string ext) {
  return TURL{std::move(protocol), std::move(user),  std::move(password),
              std::move(host),     std::move(port),  std::move(path),
              std::move(file),     std::move(query), std::move(ext)};
}

struct ParseCase {
  const char* text;
  bool namesAreFiles;
  bool ok;
  TURL expected;
  const char* fragment;
};

TEST(ParseURL, SplitsIntoTheNineFields) {
  const std::vector<ParseCase> cases = {
      {"HTTP://User:Pw@Host:8080/a/b/Page.Html?x=1#top", false, true,
       Make("http", "User", "Pw", "host", "8080", "/a/b/", "Page.Html", "x=1", "Html"), "#top"},
      {"http://host", false, true, Make("http", "", "", "host", "", "/", "", "", ""), ""},
      {"http://host/docs", false, true, Make("http", "", "", "host", "", "/docs/", "", "", ""), ""},
      {"http://host/docs", true, true, Make("http", "", "", "host", "", "/", "docs", "", ""), ""},
      {"http://host\\dir\\f.htm", false, true,
       Make("http", "", "", "host", "", "/dir/", "f.htm", "", "htm"), ""},
      {"../img/logo.gif", false, true, Make("", "", "", "", "", "../img/", "logo.gif", "", "gif"),
       ""},
      {"./a.html", false, true, Make("", "", "", "", "", "", "a.html", "", "html"), ""},
      {"page.html#a?b", false, true, Make("", "", "", "", "", "", "page.html", "", "html"), "#a?b"},
      {"page.html?b#a", false, true, Make("", "", "", "", "", "", "page.html", "b", "html"), "#a"},
      {"file:///x/y.htm", false, true, Make("file", "", "", "", "", "/x/", "y.htm", "", "htm"), ""},
      // User without password; a dot only in the directory.
      {"ftp://anon@Ftp.Example.COM/pub.d/readme", false, true,
       Make("ftp", "anon", "", "ftp.example.com", "", "/pub.d/readme/", "", "", ""), ""},
      {"http://h/a.b.tar.gz", false, true,
       Make("http", "", "", "h", "", "/", "a.b.tar.gz", "", "gz"), ""},
      {"http://h/trailing.", false, true, Make("http", "", "", "h", "", "/", "trailing.", "", ""),
       ""},
      // Only a leading "./" of the whole text goes; a backslash one counts too.
      {"sub/./x.html", false, true, Make("", "", "", "", "", "sub/./", "x.html", "", "html"), ""},
      {".\\a.html", false, true, Make("", "", "", "", "", "", "a.html", "", "html"), ""},
      {"./", false, true, TURL{}, ""},
      {"", false, true, TURL{}, ""},
      {"?only=query", false, true, Make("", "", "", "", "", "", "", "only=query", ""), ""},
      {"dir", false, true, Make("", "", "", "", "", "dir/", "", "", ""), ""},
      {"dir", true, true, Make("", "", "", "", "", "", "dir", "", ""), ""},
      // The first colon does not open "://": the rest is the file name as written.
      {"javascript:open('a.html')", false, true,
       Make("javascript", "", "", "", "", "", "open('a.html')", "", ""), ""},
      {"HTTP:page.html", false, true, Make("http", "", "", "", "", "", "page.html", "", ""), ""},
      {"a/b:c://d", false, true, Make("a/b", "", "", "", "", "", "c://d", "", ""), ""},
      // Case is kept everywhere but in Protocol and Host.
      {"http://H/P/F.X?Q", false, true, Make("http", "", "", "h", "", "/P/", "F.X", "Q", "X"), ""},
      {"http://host:80/", false, true, Make("http", "", "", "host", "80", "/", "", "", ""), ""},
      {"http://[::1]:8701/a", true, true, Make("http", "", "", "[::1]", "8701", "/", "a", "", ""),
       ""},
      {"http://[FE80::1]/", false, true, Make("http", "", "", "[fe80::1]", "", "/", "", "", ""),
       ""},
      // Query and fragment straight after the host stay out of Host.
      {"http://host?q=1", false, true, Make("http", "", "", "host", "", "/", "", "q=1", ""), ""},
      {"http://host#top", false, true, Make("http", "", "", "host", "", "/", "", "", ""), "#top"},
      {"http://host?a/b", false, true, Make("http", "", "", "host", "", "/", "", "a/b", ""), ""},
      // Dot segments at the end are directory steps.
      {"..", true, true, Make("", "", "", "", "", "../", "", "", ""), ""},
      {"../..", false, true, Make("", "", "", "", "", "../../", "", "", ""), ""},
      {"a/.", true, true, Make("", "", "", "", "", "a/./", "", "", ""), ""},
      // Network-path reference.
      {"//Cdn.Host:81/lib/x.js", false, true,
       Make("", "", "", "cdn.host", "81", "/lib/", "x.js", "", "js"), ""},
      {"//host", false, true, Make("", "", "", "host", "", "/", "", "", ""), ""},
      // mailto: and news:
      {"MailTo:Joe@Example.ORG", false, true,
       Make("mailto", "Joe", "", "example.org", "", "", "", "", ""), ""},
      {"news:1234@News.Host", false, true,
       Make("news", "1234", "", "news.host", "", "", "", "", ""), ""},
      {"mailto:nobody", false, false, Make("mailto", "", "", "nobody", "", "", "", "", ""), ""},
      {"mailto:@host", false, false, Make("mailto", "", "", "host", "", "", "", "", ""), ""},
      {"mailto:joe@", false, false, Make("mailto", "joe", "", "", "", "", "", "", ""), ""},
      {"mailto:joe@host/x", false, false, Make("mailto", "joe", "", "host/x", "", "", "", "", ""),
       ""},
      {"mailto:joe@host\\x", false, false, Make("mailto", "joe", "", "host\\x", "", "", "", "", ""),
       ""},
      {"news:comp.lang.misc", false, false,
       Make("news", "", "", "comp.lang.misc", "", "", "", "", ""), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + (c.namesAreFiles ? " (files)" : ""));
    TURL url;
    url.Host = "stale";  // a reused record must come back fully reset
    std::string fragment = "#stale";
    EXPECT_EQ(ParseURL(c.text, c.namesAreFiles, url, fragment), c.ok);
    EXPECT_EQ(url, c.expected);
    EXPECT_EQ(fragment, c.fragment);
  }
}

TEST(ParseURL, OnlyAsciiLettersAreFolded) {
  TURL url;
  ASSERT_TRUE(ParseURL("http://H\xC3\x89\xC4\xB0ST/", false, url));
  EXPECT_EQ(url.Host, "h\xC3\x89\xC4\xB0st");
}

TEST(SameURL, ComparesEightFieldsAndIgnoresExt) {
  TURL a, b, c;
  ASSERT_TRUE(ParseURL("http://Host", false, a));
  ASSERT_TRUE(ParseURL("http://host/", false, b));
  ASSERT_TRUE(ParseURL("http://host:80/", false, c));
  EXPECT_TRUE(SameURL(a, b));
  EXPECT_EQ(HashURL(a), HashURL(b));
  EXPECT_FALSE(SameURL(a, c));

  TURL d = a;
  d.Ext = "other";
  EXPECT_TRUE(SameURL(a, d));
  EXPECT_EQ(HashURL(a), HashURL(d));

  TURL upper = a;
  upper.Path = "/X/";
  TURL lower = a;
  lower.Path = "/x/";
  EXPECT_FALSE(SameURL(upper, lower));

  TURL copy;
  copy.Query = "stale";
  CopyURL(c, copy);
  EXPECT_EQ(copy, c);
}

TEST(HashURL, FieldBoundariesMatter) {
  // The same bytes spread differently over fields must not collide by design.
  TURL a = Make("http", "", "", "h", "", "/ab/", "", "", "");
  TURL b = Make("http", "", "", "h", "", "/a", "b/", "", "");
  EXPECT_NE(HashURL(a), HashURL(b));
  TURL d = Make("http", "", "", "", "", "", "", "", "");
  TURL e = Make("", "http", "", "", "", "", "", "", "");
  EXPECT_NE(HashURL(d), HashURL(e));

  std::unordered_set<std::size_t> seen;
  for (int i = 0; i < 20000; ++i) {
    seen.insert(HashURL(
        Make("http", "", "", "host", "", "/dir/", "p" + std::to_string(i) + ".html", "", "html")));
  }
  EXPECT_GT(seen.size(), 19990u);
}

TEST(ComposeURL, WritesFieldsBack) {
  struct Case {
    TURL url;
    const char* text;
  };
  const std::vector<Case> cases = {
      {Make("http", "U", "P", "host", "8080", "/a/", "f.html", "x=1", "html"),
       "http://U:P@host:8080/a/f.html?x=1"},
      {Make("http", "U", "", "host", "", "/", "", "", ""), "http://U@host/"},
      {Make("http", "", "P", "host", "", "/", "", "", ""), "http://host/"},
      {Make("http", "", "", "host", "", "/", "f", "   ", ""), "http://host/f"},
      {Make("http", "", "", "host", "", "/", "f", " a ", ""), "http://host/f? a "},
      {Make("mailto", "joe", "", "example.org", "", "", "", "", ""), "mailto://joe@example.org"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ComposeURL(c.url), c.text);

  // Round trip: composing a parsed absolute URL and parsing again gives the same record.
  for (const char* text :
       {"HTTP://User:Pw@Host:8080/a/b/Page.Html?x=1#top", "http://host", "http://h/a/b/",
        "https://h:443/x?q?r", "http://[::1]:8701/", "http://[::1]/x"}) {
    TURL first, second;
    ASSERT_TRUE(ParseURL(text, false, first));
    ASSERT_TRUE(ParseURL(ComposeURL(first), false, second));
    EXPECT_EQ(first, second) << text;
  }
}

TEST(ResolveURL, AgainstABase) {
  struct Case {
    const char* base;
    const char* reference;
    const char* expected;  // composed
  };
  const std::vector<Case> cases = {
      {"http://h/a/b/c.html", "d.html", "http://h/a/b/d.html"},
      {"http://h/a/b/c.html", "../img/logo.gif", "http://h/a/img/logo.gif"},
      {"http://h/a/", "../../x.html", "http://h/x.html"},
      // Dot segments never reach a request, whatever form the link takes.
      {"http://h/a/", "sub/./x.html", "http://h/a/sub/x.html"},
      {"http://h/a/", "/b/../c/./x.html", "http://h/c/x.html"},
      {"http://h/a/", "/../../x.html", "http://h/x.html"},
      {"http://h/a/", "http://o/p/q/../../../r/", "http://o/r/"},
      {"http://h/a/", "https://o/./p/..", "https://o/"},
      {"http://h/a/", "//o/p/.././q.html", "http://o/q.html"},
      {"http://h/a/", "a//b/x.html", "http://h/a/a//b/x.html"},
      {"http://h/a/", "/root/x.html", "http://h/root/x.html"},
      {"http://u:p@h:81/a/c.html?old", "?new", "http://u:p@h:81/a/?new"},
      {"http://h/a/c.html", "", "http://h/a/"},
      {"http://h/a/b/", "..", "http://h/a/"},
      {"http://h/a/", "http://other/x/y.html", "http://other/x/y.html"},
      {"http://h/a/", "http:page.html", "http://h/a/page.html"},
      {"https://h/a/", "//cdn/x.js", "https://cdn/x.js"},
      {"http://h/a/", "https://s/x/", "https://s/x/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.base) + " + " + c.reference);
    TURL base, reference;
    ASSERT_TRUE(ParseURL(c.base, false, base));
    ASSERT_TRUE(ParseURL(c.reference, false, reference));
    EXPECT_EQ(ComposeURL(ResolveURL(base, reference)), c.expected);
  }

  TURL base, script;
  ASSERT_TRUE(ParseURL("http://h/a/", false, base));
  ASSERT_TRUE(ParseURL("javascript:open('a.html')", false, script));
  EXPECT_EQ(ResolveURL(base, script), script);

  TURL relative, resolved;
  ASSERT_TRUE(ParseURL("../../x.html", false, relative));
  resolved = ResolveURL(base, relative);
  EXPECT_EQ(resolved.Path, "/");
  EXPECT_EQ(resolved.Ext, "html");
}

TEST(ResolveURL, ClimbsPastARelativeBaseWithoutCrashing) {
  TURL base = Make("", "", "", "", "", "a/", "", "", "");
  TURL ref = Make("", "", "", "", "", "../../../", "", "", "");
  EXPECT_EQ(ResolveURL(base, ref).Path, "");
  base.Path = "";
  EXPECT_EQ(ResolveURL(base, ref).Path, "");
  ref.Path = "x/..";  // not a parsed Path: the text after the last "/" is not walked
  EXPECT_EQ(ResolveURL(base, ref).Path, "x/");
}

struct LinkCase {
  const char* from;
  const char* to;
  const char* expected;
};

TEST(RelativeLink, BetweenMirroredDirectories) {
  const std::vector<LinkCase> cases = {
      {"/a/b/c/", "/a/x/", "../../x/f.html"},
      {"/a/", "/a/b/", "b/f.html"},
      {"/a/b/", "/a/", "../f.html"},
      {"/", "/x/", "x/f.html"},
      {"/x/", "/", "../f.html"},
      {"/a/", "/a/", "f.html"},
      {"/A/", "/a/", "../a/f.html"},
      {"/a/b/", "/c/d/", "../../c/d/f.html"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RelativeLink(c.from, c.to, "f.html"), c.expected) << c.from << " -> " << c.to;
  }
}

TEST(RelativeLink, TerminatesOnAnyText) {
  const std::string longSlashes(100000, '/');
  std::string longPath = "/";
  for (int i = 0; i < 20000; ++i)
    longPath += "d/";
  const std::vector<LinkCase> cases = {
      {"", "", "f.html"},
      {"", "/x/", "x/f.html"},
      {"/x/", "", "../f.html"},
      {"a", "b", "f.html"},
      {"/ab", "/ac", "../acf.html"},
      {"/a", "/a/b", "../a/bf.html"},
      {"/a/b", "/a/c", "../cf.html"},
      {"//", "///", "/f.html"},
      {"x", "", "f.html"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RelativeLink(c.from, c.to, "f.html"), c.expected)
        << "'" << c.from << "' -> '" << c.to << "'";
  }
  EXPECT_EQ(RelativeLink(longSlashes, "/", "f").size(), 3 * (longSlashes.size() - 1) + 1);
  const std::string up = RelativeLink(longPath, "/", "f");
  EXPECT_EQ(up.size(), 20000u * 3 + 1);
  EXPECT_EQ(RelativeLink(longPath, longPath + "e/", "f"), "e/f");
  EXPECT_EQ(RelativeLink(longSlashes, longSlashes + "x", "f"), "xf");
}

TEST(CrossHostLink, ClimbsOutOfTheOwnHostDirectory) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"/", "../other/p/f.html"},           {"/a/", "../../other/p/f.html"},
      {"/a/b/", "../../../other/p/f.html"}, {"", "../other/p/f.html"},
      {"/a", "../other/p/f.html"},
  };
  for (const auto& [from, expected] : cases) {
    EXPECT_EQ(CrossHostLink(from, "other", "/p/", "f.html"), expected) << from;
  }
}

}  // namespace
}  // namespace trawlonix
