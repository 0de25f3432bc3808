// The identity property on whole pages, cut-off input, hostile input,
// callbacks that throw, parsing without output.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "html_test_support.h"
#include "parsers/htmlparser.h"

namespace trawlonix {
namespace {

using test::HtmlRecorder;
using test::Mark;
using Strings = std::vector<std::string>;

const std::string kPage =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\">\r\n"
    "<HTML><HEAD><TITLE>Site &amp; more</TITLE>\r\n"
    "<META HTTP-EQUIV=\"Refresh\" CONTENT=\"30; URL=index.html\">\r\n"
    "<LINK REL=stylesheet HREF=\"style.css\">\r\n"
    "<STYLE TYPE=\"text/css\">\r\n"
    "  body { background: url(img/bg.gif) }\r\n"
    "  .nav { background-image:url('img/nav.png') }\r\n"
    "</STYLE>\r\n"
    "<SCRIPT LANGUAGE=\"JavaScript\">\r\n"
    "<!--\r\n"
    "  var pics = new Array(\"img/a.gif\", 'img/b.gif');\r\n"
    "  if (a < b && c > d) document.write('<IMG SRC=\"x.gif\">');\r\n"
    "  // it's a comment\r\n"
    "//-->\r\n"
    "</SCRIPT>\r\n"
    "</HEAD>\r\n"
    "<BODY BACKGROUND=\"bg.jpg\" onLoad=\"init('start.htm')\">\r\n"
    "<TABLE WIDTH=100% BACKGROUND=t.gif><TR><TD BACKGROUND='c.gif'>\r\n"
    "<A HREF=\"a/one.html\" TARGET=_top>One <IMG SRC=\"i/1.gif\" ALT=\"first\"></A>\r\n"
    "<A HREF=two.html>Two &gt; three</A >\r\n"
    "<MAP NAME=\"m\"><AREA SHAPE=rect COORDS=\"0,0,1,1\" HREF=\"area.html\"></MAP>\r\n"
    "<IMG SRC=map.gif USEMAP=\"#m\" BORDER=0>\r\n"
    "<OBJECT CLASSID=\"clsid:D27CDB6E-AE6D-11CF-96B8-444553540000\" WIDTH=1>\r\n"
    "<PARAM NAME=movie VALUE=\"m.swf\"><EMBED SRC=\"m.swf\"></EMBED>\r\n"
    "</OBJECT>\r\n"
    "<APPLET CODE=\"App.class\" WIDTH=1></APPLET><BGSOUND SRC=s.mid>\r\n"
    "<IFRAME SRC=\"f.html\"></IFRAME><FRAME SRC=g.html>\r\n"
    "<!-- <A HREF=\"hidden.html\"> -->\r\n"
    "</TD></TR></TABLE>\r\n"
    "</BODY></HTML>\r\n";

const Strings kPageLinks = {"index.html", "style.css", "img/bg.gif", "img/nav.png", "bg.jpg",
                            "t.gif",      "c.gif",     "a/one.html", "i/1.gif",     "two.html",
                            "area.html",  "map.gif",   "m.swf",      "m.swf",       "App.class",
                            "s.mid",      "f.html",    "g.html"};

TEST(Identity, RealisticPageIsCopiedUnchanged) {
  HtmlRecorder r;
  EXPECT_EQ(r.Run(kPage), kPage);
  EXPECT_EQ(r.LinkValues(), kPageLinks);
  EXPECT_EQ(r.literals, (Strings{"img/a.gif", "img/b.gif", "<IMG SRC=\"x.gif\">"}));
  EXPECT_EQ(r.scripts, Strings{"init('start.htm')"});
  EXPECT_EQ(r.texts, (Strings{"One first", "Two > three"}));
}

TEST(Identity, RewritingChangesOnlyTheValues) {
  HtmlRecorder r;
  r.rewrite = [](const std::string&) { return std::string(); };
  const std::string emptied = r.Run(kPage);
  r.rewrite = nullptr;
  HtmlRecorder again;
  again.rewrite = Mark;
  const std::string marked = again.Run(kPage);
  // Removing every "[" and "]" the marks added gives back the page...
  std::string unmarked;
  for (char c : marked) {
    if (c != '[' && c != ']') unmarked += c;
  }
  EXPECT_EQ(unmarked, kPage);
  // ...and emptying each value shortens the page by exactly the values.
  std::size_t total = 0;
  for (const auto& l : again.links)
    total += l.second.size();
  for (const auto& s : again.literals)
    total += s.size();
  for (const auto& s : again.scripts)
    total += s.size();
  EXPECT_EQ(emptied.size(), kPage.size() - total);
}

TEST(Identity, EveryPrefixIsCopiedWhole) {
  // A document may end anywhere: inside a tag, a value, a comment, a literal.
  for (TParseMode mode : {pmHTML, pmScript, pmStyle}) {
    HtmlRecorder r;
    for (std::size_t len = 0; len <= kPage.size(); ++len) {
      const std::string prefix = kPage.substr(0, len);
      ASSERT_EQ(r.Run(prefix, mode), prefix) << "mode " << mode << " length " << len;
    }
  }
}

TEST(Identity, WithoutOutputTheSameIsReported) {
  HtmlRecorder r;
  r.Run(kPage);
  const Strings links = r.LinkValues();
  r.parser.Parse(kPage, nullptr, pmHTML);
  EXPECT_EQ(links, kPageLinks);
}

TEST(Identity, UnsetCallbacksAreNotCalled) {
  THTMLParser parser;
  std::string out;
  parser.Parse(kPage, &out, pmHTML);
  EXPECT_EQ(out, kPage);
}

struct CutRow {
  const char* html;
  Strings links;
  const char* rewritten;
};

class CutOff : public ::testing::TestWithParam<CutRow> {};

TEST_P(CutOff, KeepsEveryByte) {
  HtmlRecorder r;
  r.rewrite = Mark;
  EXPECT_EQ(r.Run(GetParam().html), GetParam().rewritten);
  EXPECT_EQ(r.LinkValues(), GetParam().links);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CutOff,
    ::testing::Values(CutRow{"text <A HREF=a.htm", {}, "text <A HREF=a.htm"},
                      CutRow{"<A HREF=\"a.htm", {}, "<A HREF=\"a.htm"},
                      CutRow{"<IMG SRC=x.gif ALT=\"never closed",
                             {"x.gif"},
                             "<IMG SRC=[x.gif] ALT=\"never closed"},
                      // A quote that is never closed ends at the line break.
                      CutRow{"<A HREF=\"a.htm\n<IMG SRC=b.gif>",
                             {"a.htm", "b.gif"},
                             "<A HREF=\"[a.htm]\n<IMG SRC=[b.gif]>"},
                      CutRow{"<A HREF='a>b.htm\r\nx", {"a>b.htm"}, "<A HREF='[a>b.htm]\r\nx"},
                      CutRow{"<BASE HREF=x", {}, "<!-- BASE HREF=x"}, CutRow{"<", {}, "<"},
                      CutRow{"<!--", {}, "<!--"}, CutRow{"<SCRIPT x>'a", {}, "<SCRIPT x>'a"},
                      CutRow{"<STYLE x>{url(a", {}, "<STYLE x>{url(a"}));

TEST(Hostile, NulBytesAreOrdinaryBytes) {
  const std::string html("<A HREF=\"a\0b\">t\0<IMG SRC=c\0d>\0", 30);
  HtmlRecorder r;
  r.rewrite = Mark;
  const std::string out = r.Run(html);
  EXPECT_EQ(r.LinkValues(), (Strings{std::string("a\0b", 3), std::string("c\0d", 3)}));
  HtmlRecorder same;
  EXPECT_EQ(same.Run(html), html);
}

TEST(Hostile, LargeRepetitionsRunInLinearTime) {
  // Quadratic scanning would not finish any of these in the test's time.
  const std::size_t size = 2u << 20;
  for (const char* unit : {"<", "< ", "<a ", "<a b=", "<a b='", "<!--", "{url(", "\"", "'\\", "</",
                           "< /SCRIPT", "<a href=\"x\n", "{url(<", "url("}) {
    std::string input;
    while (input.size() < size)
      input += unit;
    for (TParseMode mode : {pmHTML, pmScript, pmStyle}) {
      HtmlRecorder r;
      ASSERT_EQ(r.Run(input, mode), input) << unit << " mode " << mode;
    }
    // Content that runs to the end, and content whose end tag comes before
    // the ")" every url( looks for.
    for (const char* wrap : {"<SCRIPT x>", "<STYLE x>{"}) {
      for (const char* tail : {"", "</SCRIPT></STYLE>)"}) {
        HtmlRecorder r;
        const std::string doc = wrap + input + tail;
        ASSERT_EQ(r.Run(doc), doc) << unit;
      }
    }
  }
}

TEST(Hostile, StyleReferencesBeforeTheEndTagRunInLinearTime) {
  // Each url( must not search again past the end tag for its ")": at this
  // size that takes minutes, a linear scan a few milliseconds.
  std::string doc = "<STYLE x>{";
  while (doc.size() < (8u << 20))
    doc += "url(";
  doc += "</STYLE><IMG SRC=a>)";
  HtmlRecorder r;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(r.Run(doc), doc);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(r.LinkValues(), Strings{"a"});
}

TEST(Hostile, DepthsSaturate) {
  std::string html;
  for (int i = 0; i < 70000; ++i)
    html += "<MAP x>";
  html += "<AREA HREF=a>";
  for (int i = 0; i < 70000; ++i)
    html += "</MAP >";
  html += "<AREA HREF=b>";
  HtmlRecorder r;
  r.Run(html);
  EXPECT_EQ(r.LinkValues(), Strings{"a"});
}

TEST(Hostile, ThrowingCallbackEndsTheScanKeepingTheRest) {
  THTMLParser parser;
  int calls = 0;
  parser.OnLink = [&calls](std::string& s, TLinkKind) {
    if (++calls == 2) throw std::runtime_error("no");
    s = "X";
  };
  std::string out;
  parser.Parse("<A HREF=a><A HREF=b><A HREF=c>", &out, pmHTML);
  EXPECT_EQ(out, "<A HREF=X><A HREF=b><A HREF=c>");
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace trawlonix
