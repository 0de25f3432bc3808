#include <gtest/gtest.h>

#include <string>

#include "polite/Patterns.h"

namespace trawlonix {
namespace {

TEST(Wildcard, MatchesStarsAndQuestionMarks) {
  const struct {
    const char* pattern;
    const char* text;
    bool want;
  } cases[] = {
      {"*.gif", "a.gif", true},
      {"*.gif", "a.gif.html", false},
      {"*.gif", ".gif", true},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"*", "", true},
      {"", "", true},
      {"", "a", false},
      {"a*b*c", "axxbyyc", true},
      {"a*b*c", "axxbyy", false},
      {"*a*a*b", "aaaaaaaaab", true},
      {"**x", "yx", true},
      {"http://*/img/*", "http://127.0.0.1/img/a.png", true},
      {"*ab", "aab", true},
      {"?*?", "a", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.want) << c.pattern << " / " << c.text;
}

TEST(Wildcard, OptionsForCasePrefixAndLiteralQuestionMark) {
  TWildcardOptions fold;
  fold.IgnoreCase = true;
  EXPECT_TRUE(WildcardMatch("*.GIF", "logo.gif", fold));
  EXPECT_FALSE(WildcardMatch("*.GIF", "logo.gif"));
  TWildcardOptions robots;
  robots.QuestionIsAny = false;
  robots.PrefixOnly = true;
  EXPECT_TRUE(WildcardMatch("/a?b", "/a?b=1", robots));
  EXPECT_FALSE(WildcardMatch("/a?b", "/axb", robots));
  EXPECT_TRUE(WildcardMatch("/*.php", "/x/y.php?z", robots));
  EXPECT_FALSE(WildcardMatch("/abc", "/ab", robots));
}

TEST(Wildcard, HostileInputStaysFast) {
  // Exponential backtracking would not finish this within the test's lifetime.
  const std::string text(20000, 'a');
  std::string pattern;
  for (int i = 0; i < 50; ++i)
    pattern += "*a";
  pattern += "*b";
  EXPECT_FALSE(WildcardMatch(pattern, text));
}

TEST(Patterns, FileNameIsTheLastSegmentBeforeQuery) {
  EXPECT_EQ(FileNameOfUrl("http://127.0.0.1/a/b.pdf?x=/y#z"), "b.pdf");
  EXPECT_EQ(FileNameOfUrl("http://127.0.0.1/a/"), "");
  EXPECT_EQ(FileNameOfUrl("name.txt"), "name.txt");
}

TEST(Patterns, RejectWinsAndEmptyAcceptAcceptsAll) {
  TPatternRules rules;
  EXPECT_TRUE(rules.Admits("http://127.0.0.1/a.gif", "a.gif"));
  rules.AcceptName = {"*.pdf", "*.html"};
  rules.RejectName = {"secret*"};
  rules.RejectUrl = {"*/private/*"};
  const struct {
    const char* url;
    TPatternVerdict want;
  } cases[] = {
      {"http://127.0.0.1/doc/a.PDF", TPatternVerdict::Admitted},
      {"http://127.0.0.1/doc/a.gif", TPatternVerdict::NotAcceptedName},
      {"http://127.0.0.1/doc/secret.pdf", TPatternVerdict::RejectedName},
      {"http://127.0.0.1/private/a.pdf", TPatternVerdict::RejectedUrl},
  };
  for (const auto& c : cases)
    EXPECT_EQ(rules.Judge(c.url, FileNameOfUrl(c.url)), c.want) << c.url;
  rules.AcceptUrl = {"http://127.0.0.1/doc/*"};
  EXPECT_EQ(rules.Judge("http://127.0.0.1/other/a.pdf", "a.pdf"), TPatternVerdict::NotAcceptedUrl);
  EXPECT_EQ(rules.Judge("http://127.0.0.1/DOC/a.pdf", "a.pdf"), TPatternVerdict::NotAcceptedUrl);
}

}  // namespace
}  // namespace trawlonix
