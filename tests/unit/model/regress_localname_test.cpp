// Link texts the local-name fuzzer once found leading to the wrong place.
#include <gtest/gtest.h>

#include <string>

#include "model/SpiderTools.h"

namespace trawlonix {
namespace {

// A host holding escapes is stored under its literal name; the rewritten
// link must not let a browser decode them, or "%2e%2e" climbs out of the
// mirror directory.
TEST(RegressLocalName, HostEscapesStayLiteralInCrossHostLinks) {
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

// A file name holding an escaped "/", or a broken escape that takes the last
// "/" of the path with it, is stored elsewhere than Path says; its link must
// stay relative and reach that file. A name with ":" must not read as a scheme.
TEST(RegressLocalName, LinkFollowsWhereEscapesPutTheFile) {
  struct Case {
    const char* current;
    const char* target;
    const char* wantText;
  };
  const Case cases[] = {
      {"http://h.test/a/p.html", "http://h.test/a/%2F.html", ".html"},
      {"http://h.test/a/p.html", "http://h.test/a/%2f%2fx.asp", "x.asp"},
      {"http://h.test/a/b/p.html", "http://h.test/a/%2F.html", "../.html"},
      {"http://h.test/a/p.html", "http://h.test/a/x%2Fy.html", "x/y.html"},
      {"http://h.test/a/x%2Fp.html", "http://h.test/a/y.html", "../y.html"},
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
TEST(RegressLocalName, DotSegmentsAreNoLevels) {
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

}  // namespace
}  // namespace trawlonix
