// Tags, attributes, values, anchor text, META refresh, PARAM, BASE.
#include "parsers/htmlparser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html_test_support.h"

namespace trawlonix {
namespace {

using test::HtmlRecorder;
using test::Mark;
using Strings = std::vector<std::string>;

struct LinkRow {
  const char* html;
  bool reported;
  TLinkKind kind;
  const char* value;
  const char* rewritten;  // the output with every reported value marked
};

class TagTable : public ::testing::TestWithParam<LinkRow> {};

TEST_P(TagTable, ReportsAndRewrites) {
  const LinkRow& row = GetParam();
  HtmlRecorder r;
  r.rewrite = Mark;
  EXPECT_EQ(r.Run(row.html), row.rewritten);
  if (row.reported) {
    ASSERT_EQ(r.links.size(), 1u);
    EXPECT_EQ(r.links[0].first, row.kind);
    EXPECT_EQ(r.links[0].second, row.value);
  } else {
    EXPECT_TRUE(r.links.empty()) << r.links[0].second;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TagTable,
    ::testing::Values(
        LinkRow{"<IMG SRC=a.gif>", true, lkImage, "a.gif", "<IMG SRC=[a.gif]>"},
        LinkRow{"<img dynsrc=\"v.avi\">", true, lkImage, "v.avi", "<img dynsrc=\"[v.avi]\">"},
        LinkRow{"<Img LowSrc='l.gif'>", true, lkImage, "l.gif", "<Img LowSrc='[l.gif]'>"},
        LinkRow{"<A HREF=\"x.html\">", true, lkHyperlink, "x.html", "<A HREF=\"[x.html]\">"},
        LinkRow{"<LINK HREF=s.css>", true, lkHyperlink, "s.css", "<LINK HREF=[s.css]>"},
        LinkRow{"<link src=s.css>", true, lkHyperlink, "s.css", "<link src=[s.css]>"},
        LinkRow{"<FRAME SRC=f.htm>", true, lkFrame, "f.htm", "<FRAME SRC=[f.htm]>"},
        LinkRow{"<IFRAME SRC=f.htm>", true, lkFrame, "f.htm", "<IFRAME SRC=[f.htm]>"},
        LinkRow{"<LAYER SRC=l.htm>", true, lkFrame, "l.htm", "<LAYER SRC=[l.htm]>"},
        LinkRow{"<LAYER BACKGROUND=b.gif>", true, lkImage, "b.gif", "<LAYER BACKGROUND=[b.gif]>"},
        LinkRow{"<BODY BACKGROUND=b.gif>", true, lkImage, "b.gif", "<BODY BACKGROUND=[b.gif]>"},
        LinkRow{"<td background=b.gif>", true, lkImage, "b.gif", "<td background=[b.gif]>"},
        LinkRow{"<TABLE BACKGROUND=b.gif>", true, lkImage, "b.gif", "<TABLE BACKGROUND=[b.gif]>"},
        LinkRow{"<TH BACKGROUND=b.gif>", true, lkImage, "b.gif", "<TH BACKGROUND=[b.gif]>"},
        LinkRow{"<APPLET CODE=A.class>", true, lkApplet, "A.class", "<APPLET CODE=[A.class]>"},
        LinkRow{"<EMBED SRC=m.swf>", true, lkEmbedded, "m.swf", "<EMBED SRC=[m.swf]>"},
        LinkRow{"<BGSOUND SRC=s.mid>", true, lkEmbedded, "s.mid", "<BGSOUND SRC=[s.mid]>"},
        LinkRow{"<MAP NAME=m><AREA HREF=r.htm>", true, lkMapArea, "r.htm",
                "<MAP NAME=m><AREA HREF=[r.htm]>"},
        LinkRow{"<SCRIPT SRC=j.js></SCRIPT>", true, lkScriptOrStyle, "j.js",
                "<SCRIPT SRC=[j.js]></SCRIPT>"},
        // Today's media, objects, lazy images, SVG and style attributes.
        LinkRow{"<SOURCE SRC=v.mp4>", true, lkEmbedded, "v.mp4", "<SOURCE SRC=[v.mp4]>"},
        LinkRow{"<video src=v.webm>", true, lkEmbedded, "v.webm", "<video src=[v.webm]>"},
        LinkRow{"<VIDEO POSTER=p.jpg>", true, lkImage, "p.jpg", "<VIDEO POSTER=[p.jpg]>"},
        LinkRow{"<AUDIO SRC=a.mp3>", true, lkEmbedded, "a.mp3", "<AUDIO SRC=[a.mp3]>"},
        LinkRow{"<TRACK SRC=t.vtt>", true, lkEmbedded, "t.vtt", "<TRACK SRC=[t.vtt]>"},
        LinkRow{"<OBJECT DATA=d.svg>", true, lkEmbedded, "d.svg", "<OBJECT DATA=[d.svg]>"},
        LinkRow{"<INPUT TYPE=image SRC=i.png>", true, lkImage, "i.png",
                "<INPUT TYPE=image SRC=[i.png]>"},
        LinkRow{"<image href=i.png>", true, lkImage, "i.png", "<image href=[i.png]>"},
        LinkRow{"<use xlink:href=\"s.svg#a\">", true, lkImage, "s.svg#a",
                "<use xlink:href=\"[s.svg#a]\">"},
        LinkRow{"<IMG DATA-SRC=l.jpg>", true, lkImage, "l.jpg", "<IMG DATA-SRC=[l.jpg]>"},
        LinkRow{"<LINK REL=icon HREF=f.ico>", true, lkHyperlink, "f.ico",
                "<LINK REL=icon HREF=[f.ico]>"},
        LinkRow{"<DIV STYLE=\"a:b;background:url('b.png')\">", true, lkImage, "b.png",
                "<DIV STYLE=\"a:b;background:url('[b.png]')\">"},
        LinkRow{"<DIV DATA-SRC=l.jpg>", false, lkImage, "", "<DIV DATA-SRC=l.jpg>"},
        LinkRow{"<SPAN STYLE=\"x:xurl(a)\">", false, lkImage, "", "<SPAN STYLE=\"x:xurl(a)\">"},
        // Attributes of other tags, tags of other attributes.
        LinkRow{"<IMG HREF=a.gif>", false, lkImage, "", "<IMG HREF=a.gif>"},
        LinkRow{"<A SRC=a.gif>", false, lkImage, "", "<A SRC=a.gif>"},
        LinkRow{"<DIV BACKGROUND=b.gif>", false, lkImage, "", "<DIV BACKGROUND=b.gif>"},
        LinkRow{"<BODY SRC=b.gif>", false, lkImage, "", "<BODY SRC=b.gif>"},
        // AREA before any MAP, and after a closing /MAP without a blank
        // (not classified: the depth stays).
        LinkRow{"<AREA HREF=r.htm>", false, lkImage, "", "<AREA HREF=r.htm>"},
        LinkRow{"<MAP NAME=m></MAP ><AREA HREF=r.htm>", false, lkImage, "",
                "<MAP NAME=m></MAP ><AREA HREF=r.htm>"},
        LinkRow{"<MAP NAME=m></MAP><AREA HREF=r.htm>", true, lkMapArea, "r.htm",
                "<MAP NAME=m></MAP><AREA HREF=[r.htm]>"},
        LinkRow{"</MAP ></MAP ><MAP x><AREA HREF=r>", true, lkMapArea, "r",
                "</MAP ></MAP ><MAP x><AREA HREF=[r]>"}));

struct ValueRow {
  std::string html;
  Strings values;
  std::string rewritten;
};

class Values : public ::testing::TestWithParam<ValueRow> {};

TEST_P(Values, AreReadAsWritten) {
  HtmlRecorder r;
  r.rewrite = Mark;
  EXPECT_EQ(r.Run(GetParam().html), GetParam().rewritten);
  EXPECT_EQ(r.LinkValues(), GetParam().values);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Values,
    ::testing::Values(
        ValueRow{"<A HREF=\"a b>c.htm\">t", {"a b>c.htm"}, "<A HREF=\"[a b>c.htm]\">t"},
        ValueRow{"<A HREF='it\"s.htm'>", {"it\"s.htm"}, "<A HREF='[it\"s.htm]'>"},
        ValueRow{"<A HREF=a.htm>b.htm", {"a.htm"}, "<A HREF=[a.htm]>b.htm"},
        ValueRow{"<A HREF=a.htm TARGET=_top>", {"a.htm"}, "<A HREF=[a.htm] TARGET=_top>"},
        ValueRow{"<A\nHREF = \"a.htm\"\r\n>", {"a.htm"}, "<A\nHREF = \"[a.htm]\"\r\n>"},
        ValueRow{"<A NAME=x HREF=a.htm>", {"a.htm"}, "<A NAME=x HREF=[a.htm]>"},
        ValueRow{"<A HREF=\"\">", {""}, "<A HREF=\"[]\">"},
        ValueRow{"<IMG SRC=a.gif SRC=b.gif>", {"a.gif", "b.gif"}, "<IMG SRC=[a.gif] SRC=[b.gif]>"},
        // A tab is not a blank: it stays in an unquoted value.
        ValueRow{"<IMG SRC=a\t.gif>", {"a\t.gif"}, "<IMG SRC=[a\t.gif]>"},
        ValueRow{"<IMG\tSRC=a.gif>", {}, "<IMG\tSRC=a.gif>"},
        ValueRow{"<IMG \tSRC=a.gif>", {"a.gif"}, "<IMG \tSRC=[a.gif]>"},
        // The tag name is looked up as read: a tab or NUL in it makes it
        // another tag.
        ValueRow{"<IMG\t SRC=a.gif>", {}, "<IMG\t SRC=a.gif>"},
        ValueRow{"<\tIMG SRC=a.gif>", {}, "<\tIMG SRC=a.gif>"},
        ValueRow{std::string("<IMG\0 SRC=a.gif>", 16), {}, std::string("<IMG\0 SRC=a.gif>", 16)},
        // An attribute without a value, then one with.
        ValueRow{"<IMG ISMAP SRC=a.gif>", {"a.gif"}, "<IMG ISMAP SRC=[a.gif]>"},
        // Every srcset candidate, descriptors and separators kept.
        ValueRow{"<IMG SRCSET=\"a.jpg,  b.jpg 640w,c,d.jpg 2x\">",
                 {"a.jpg", "b.jpg", "c,d.jpg"},
                 "<IMG SRCSET=\"[a.jpg],  [b.jpg] 640w,[c,d.jpg] 2x\">"},
        ValueRow{"<source data-srcset='x.webp 1x, y.webp 2x' srcset=z.png>",
                 {"x.webp", "y.webp", "z.png"},
                 "<source data-srcset='[x.webp] 1x, [y.webp] 2x' srcset=[z.png]>"},
        ValueRow{"<IMG SRCSET=\" , \">", {}, "<IMG SRCSET=\" , \">"},
        // Nothing inside a comment is reported.
        ValueRow{"<!-- <A HREF=x> --><A HREF=y>", {"y"}, "<!-- <A HREF=x> --><A HREF=[y]>"},
        ValueRow{"<!-- <A HREF=x>", {}, "<!-- <A HREF=x>"},
        // "<" in text reads as a tag without harm.
        ValueRow{"if a < b then c > d", {}, "if a < b then c > d"},
        // Blanks before a name that ends the tag are dropped.
        ValueRow{"< B>x</ B>", {}, "<B>x</ B>"}, ValueRow{"< B X=1>", {}, "< B X=1>"}));

struct EventRow {
  const char* html;
  Strings scripts;
  const char* rewritten;
};

class EventAttributes : public ::testing::TestWithParam<EventRow> {};

TEST_P(EventAttributes, GoToOnScript) {
  HtmlRecorder r;
  r.rewrite = Mark;
  EXPECT_EQ(r.Run(GetParam().html), GetParam().rewritten);
  EXPECT_EQ(r.scripts, GetParam().scripts);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EventAttributes,
    ::testing::Values(EventRow{"<A HREF=x onClick=\"go('a.htm')\">",
                               {"go('a.htm')"},
                               "<A HREF=[x] onClick=\"[go('a.htm')]\">"},
                      EventRow{"<FOO ONMOUSEOVER='s(1)'>", {"s(1)"}, "<FOO ONMOUSEOVER='[s(1)]'>"},
                      EventRow{"<BODY onload=init()>", {"init()"}, "<BODY onload=[init()]>"},
                      EventRow{"<BODY ONE=1 NO=2>", {"1"}, "<BODY ONE=[1] NO=2>"}));

struct RefreshRow {
  const char* content;
  const char* url;  // nullptr: nothing reported
  const char* rewritten;
};

class MetaRefresh : public ::testing::TestWithParam<RefreshRow> {};

TEST_P(MetaRefresh, SplitsContent) {
  HtmlRecorder r;
  r.rewrite = Mark;
  const std::string html =
      std::string("<META HTTP-EQUIV=\"Refresh\" CONTENT=\"") + GetParam().content + "\">";
  const std::string out = r.Run(html);
  EXPECT_EQ(out,
            std::string("<META HTTP-EQUIV=\"Refresh\" CONTENT=\"") + GetParam().rewritten + "\">");
  if (GetParam().url) {
    ASSERT_EQ(r.links.size(), 1u);
    EXPECT_EQ(r.links[0].first, lkRefresh);
    EXPECT_EQ(r.links[0].second, GetParam().url);
  } else {
    EXPECT_TRUE(r.links.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MetaRefresh,
    ::testing::Values(RefreshRow{"5; url=next.html", "next.html", "5; url=[next.html]"},
                      RefreshRow{"0;URL=a.htm", "a.htm", "0;URL=[a.htm]"},
                      RefreshRow{"0; Url = b.htm", nullptr, "0; Url = b.htm"},
                      RefreshRow{"0; URL=  b.htm  ", "b.htm", "0; URL=  [b.htm]  "},
                      RefreshRow{"0; URL=b.htm extra", "b.htm", "0; URL=[b.htm] extra"},
                      RefreshRow{"0; URL='q.htm'", "q.htm", "0; URL='[q.htm]'"},
                      // An empty target is reported as it stands, like HREF="".
                      RefreshRow{"0; URL=", "", "0; URL=[]"},
                      RefreshRow{"0; URL=  ", "", "0; URL=  []"},
                      RefreshRow{"0; URL=''", "", "0; URL='[]'"},
                      RefreshRow{"url=a.htm", nullptr, "url=a.htm"},
                      RefreshRow{"10", nullptr, "10"},
                      RefreshRow{"1; x; URL=c.htm", "c.htm", "1; x; URL=[c.htm]"}));

TEST(MetaRefreshOrder, NeedsHttpEquivFirstAndRefresh) {
  HtmlRecorder r;
  r.Run("<META CONTENT=\"0; URL=a.htm\" HTTP-EQUIV=Refresh>");
  EXPECT_TRUE(r.links.empty());
  r.Run("<META HTTP-EQUIV=Expires CONTENT=\"0; URL=a.htm\">");
  EXPECT_TRUE(r.links.empty());
  r.Run("<META HTTP-EQUIV=\" refresh \" CONTENT=\"0; URL=a.htm\">");
  EXPECT_EQ(r.LinkValues(), Strings{"a.htm"});
  // The remembered value belongs to one tag.
  r.Run("<META HTTP-EQUIV=Refresh ><META CONTENT=\"0; URL=a.htm\">");
  EXPECT_TRUE(r.links.empty());
}

constexpr const char* kFlash = "clsid:d27cdb6e-ae6d-11cf-96b8-444553540000";
constexpr const char* kJava = "CLSID:8AD9C840-044E-11D1-B3E9-00805F499D93";

struct ParamRow {
  std::string html;
  Strings values;
  std::vector<TLinkKind> kinds;
};

class Params : public ::testing::TestWithParam<ParamRow> {};

TEST_P(Params, ReportByClassId) {
  HtmlRecorder r;
  r.Run(GetParam().html);
  EXPECT_EQ(r.LinkValues(), GetParam().values);
  std::vector<TLinkKind> kinds;
  for (const auto& l : r.links)
    kinds.push_back(l.first);
  EXPECT_EQ(kinds, GetParam().kinds);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Params,
    ::testing::Values(
        ParamRow{std::string("<OBJECT CLASSID=\"") + kFlash +
                     "\"><PARAM NAME=movie VALUE=m.swf></OBJECT >",
                 {"m.swf"},
                 {lkEmbedded}},
        ParamRow{std::string("<OBJECT CLASSID=\" ") + kJava +
                     "\"><PARAM NAME=\" Code\" VALUE=A.class><PARAM NAME=movie VALUE=m.swf>",
                 {"A.class"},
                 {lkApplet}},
        ParamRow{"<OBJECT CLASSID=\"clsid:0\"><PARAM NAME=movie VALUE=m.swf>", {}, {}},
        // VALUE before NAME reports nothing.
        ParamRow{
            std::string("<OBJECT CLASSID=") + kFlash + "><PARAM VALUE=m.swf NAME=movie>", {}, {}},
        // Outside an object (closed with a blank before ">").
        ParamRow{
            std::string("<OBJECT CLASSID=") + kFlash + "></OBJECT ><PARAM NAME=movie VALUE=m.swf>",
            {},
            {}},
        // Attributes of the OBJECT tag itself are not parameters.
        ParamRow{std::string("<OBJECT CLASSID=") + kFlash + " NAME=movie VALUE=m.swf>", {}, {}}));

TEST(Params, ClassIdOutlivesTheDocumentDepthDoesNot) {
  HtmlRecorder r;
  r.Run(std::string("<OBJECT CLASSID=") + kFlash + "><PARAM NAME=movie VALUE=a.swf>");
  EXPECT_EQ(r.LinkValues(), Strings{"a.swf"});
  r.Run("<PARAM NAME=movie VALUE=b.swf>");  // the object depth starts at 0
  EXPECT_TRUE(r.links.empty());
  r.Run("<OBJECT ><PARAM NAME=movie VALUE=c.swf>");  // the class id is still Flash
  EXPECT_EQ(r.LinkValues(), Strings{"c.swf"});
}

struct BaseRow {
  const char* html;
  const char* out;
  Strings bases;
};

class BaseTags : public ::testing::TestWithParam<BaseRow> {};

TEST_P(BaseTags, BecomeComments) {
  HtmlRecorder r;
  r.rewrite = Mark;
  EXPECT_EQ(r.Run(GetParam().html), GetParam().out);
  EXPECT_EQ(r.bases, GetParam().bases);
  EXPECT_TRUE(r.links.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BaseTags,
    ::testing::Values(
        BaseRow{"<BASE HREF=\"http://h/d/\" TARGET=main>x",
                "<!-- BASE HREF=\"http://h/d/\" TARGET=main --><BASE TARGET=\"main\">x",
                {"http://h/d/"}},
        BaseRow{"<base href=http://h/>", "<!-- base href=http://h/ -->", {"http://h/"}},
        BaseRow{"<BASE>", "<!-- BASE -->", {}}, BaseRow{"< base>", "<!-- base -->", {}},
        BaseRow{
            "<BASE TARGET='a\"b'>", "<!-- BASE TARGET='a\"b' --><BASE TARGET=\"a&quot;b\">", {}},
        BaseRow{"<BASEFONT SIZE=3>", "<BASEFONT SIZE=3>", {}}));

struct AnchorRow {
  std::string html;
  Strings texts;
};

class AnchorText : public ::testing::TestWithParam<AnchorRow> {};

TEST_P(AnchorText, IsDeliveredAtItsEnd) {
  HtmlRecorder r;
  r.Run(GetParam().html);
  EXPECT_EQ(r.texts, GetParam().texts);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AnchorText,
    ::testing::Values(
        AnchorRow{"<A HREF=x>Home</A>", {"Home"}}, AnchorRow{"<A HREF=x>Home</A >", {"Home"}},
        AnchorRow{"<A HREF=x> <IMG SRC=i ALT=\"Go\"> on\r\n&amp;\ton </A>", {"Go on& on"}},
        AnchorRow{"<A HREF=x>&LT;b&gt;&Nbsp;&auml;&ouml;&uuml;&amp;lt;</A>",
                  {"<b> \xE4\xF6\xFC&lt;"}},
        AnchorRow{"<A HREF=x>one<A HREF=y>two</A>", {"one", "two"}},
        // Only a classified A starts the text; a stray /A delivers nothing.
        AnchorRow{"<A>x</A>", {}}, AnchorRow{"</A>x</A >", {}},
        AnchorRow{"<A HREF=x>" + std::string(300, 'a') + "</A>", {std::string(250, 'a')}},
        AnchorRow{"<A HREF=x>" + std::string(200, 'a') + "\n\n" + std::string(100, 'b') + "</A>",
                  {std::string(200, 'a') + std::string(50, 'b')}},
        // Comments and script content are not anchor text.
        AnchorRow{"<A HREF=x>a<!-- c -->b<SCRIPT LANGUAGE=js>s</SCRIPT>c</A>", {"abc"}}));

TEST(AnchorText, StartsEmptyInEveryDocument) {
  HtmlRecorder r;
  r.Run("<A HREF=x>left open");
  r.Run("</A>");
  EXPECT_TRUE(r.texts.empty());
}

}  // namespace
}  // namespace trawlonix
