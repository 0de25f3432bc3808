// Anchor texts in the result lists: an anchor's text goes to the rows its own
// link added (collected link and e-mail address alike) and to no other row.
#include <gtest/gtest.h>

#include "FakeHost.h"

namespace trawlonix::test {
namespace {

std::vector<std::string> References(const FakeHost& host, TResultLists::ListId list) {
  std::vector<std::string> refs;
  for (const TResultRow& row : host.results.Rows(list))
    refs.push_back(row.Text + " | " + row.Reference);
  return refs;
}

TEST(AnchorText, GoesToTheRowsOfItsOwnLink) {
  using V = std::vector<std::string>;
  struct Case {
    const char* name;
    const char* html;
    bool collect;
    V links;
    V mails;
  } cases[] = {
      {"one anchor",
       "<A HREF=\"http://far/1.html\">One</A>",
       true,
       {"http://far/1.html | One"},
       {}},
      {"duplicate after a frame",
       "<A HREF=\"http://far/1.html\">One</A><IFRAME SRC=\"http://far/f.html\"></IFRAME>"
       "<A HREF=\"http://far/1.html\">Again</A>",
       true,
       {"http://far/1.html | One", "http://far/f.html | <\?\?\?>"},
       {}},
      {"LINK before",
       "<A HREF=\"http://far/1.html\">One</A><LINK REL=stylesheet HREF=\"http://far/s.css\">"
       "<A HREF=\"http://far/1.html\">Again</A>",
       true,
       {"http://far/1.html | One", "http://far/s.css | <\?\?\?>"},
       {}},
      {"SCRIPT before",
       "<SCRIPT SRC=\"ftp://far/s.js\"></SCRIPT><A HREF=\"#top\">Top</A>",
       true,
       {"ftp://far/s.js | <\?\?\?>"},
       {}},
      {"mailto collected",
       "<A HREF=\"mailto:Ann@Mail.org\">Write to us</A>",
       true,
       {"mailto://Ann@mail.org/ | Write to us"},
       {"Ann@mail.org | Write to us"}},
      {"mailto not collected",
       "<A HREF=\"mailto:Ann@Mail.org\">Write to us</A>",
       false,
       {},
       {"Ann@mail.org | Write to us"}},
      {"image with ALT inside",
       "<A HREF=\"http://far/3.html\"><IMG SRC=\"http://far/i.gif\" ALT=\"Logo\"></A>",
       true,
       {"http://far/3.html | Logo"},
       {}},
      {"foreign image inside",
       "<A HREF=\"http://far/4.html\">Four <IMG SRC=\"ftp://far/x.gif\"></A>",
       true,
       {"http://far/4.html | Four", "ftp://far/x.gif | <\?\?\?>"},
       {}},
  };
  for (const auto& c : cases) {
    JudgeFixture f("http://h/");
    f.setup.Definition.actCollect = c.collect;
    f.setup.Definition.actColOpt = coAllLinks;
    f.setup.Definition.actEMails = true;
    f.Make();
    f.judge->Read(TContentReader::Html, c.html, nullptr);
    f.Flush();
    EXPECT_EQ(References(f.host, TResultLists::kLinks), c.links) << c.name;
    EXPECT_EQ(References(f.host, TResultLists::kEMails), c.mails) << c.name;
  }
}

}  // namespace
}  // namespace trawlonix::test
