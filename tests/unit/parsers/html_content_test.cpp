// Script and style content: literals, end tags, url(...) references.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html_test_support.h"
#include "parsers/htmlparser.h"

namespace trawlonix {
namespace {

using test::HtmlRecorder;
using test::Mark;
using Strings = std::vector<std::string>;

struct ContentRow {
  TParseMode mode;
  std::string input;
  Strings literals;  // OnScriptLink
  Strings links;     // OnLink
  std::string rewritten;
};

class Content : public ::testing::TestWithParam<ContentRow> {};

TEST_P(Content, ReportsAndRewrites) {
  const ContentRow& row = GetParam();
  HtmlRecorder r;
  r.rewrite = Mark;
  EXPECT_EQ(r.Run(row.input, row.mode), row.rewritten);
  EXPECT_EQ(r.literals, row.literals);
  EXPECT_EQ(r.LinkValues(), row.links);
  // With callbacks that leave the values alone the text is unchanged.
  HtmlRecorder same;
  EXPECT_EQ(same.Run(row.input, row.mode), row.input);
}

INSTANTIATE_TEST_SUITE_P(
    Script, Content,
    ::testing::Values(
        ContentRow{pmScript,
                   "var a = \"x.gif\"; b = 'y\\'s.htm';",
                   {"x.gif", "y\\'s.htm"},
                   {},
                   "var a = \"[x.gif]\"; b = '[y\\'s.htm]';"},
        // An escaped backslash does not escape the quote after it.
        ContentRow{pmScript,
                   "p = \"c:\\\\\"; q = \"d.htm\";",
                   {"c:\\\\", "d.htm"},
                   {},
                   "p = \"[c:\\\\]\"; q = \"[d.htm]\";"},
        // A quote in a comment does not swallow the next line's literals.
        ContentRow{pmScript, "// don't\nx = 'a.htm';", {"a.htm"}, {}, "// don't\nx = '[a.htm]';"},
        ContentRow{pmScript, "s = 'open", {}, {}, "s = 'open"},
        // A script file has no end tag.
        ContentRow{pmScript,
                   "w('</script>'); x = \"b.js\"",
                   {"</script>", "b.js"},
                   {},
                   "w('[</script>]'); x = \"[b.js]\""},
        ContentRow{pmHTML,
                   "<SCRIPT LANGUAGE=js>s=\"a.htm\"</script ><A HREF=b>",
                   {"a.htm"},
                   {"b"},
                   "<SCRIPT LANGUAGE=js>s=\"[a.htm]\"</script ><A HREF=[b]>"},
        ContentRow{pmHTML,
                   "<SCRIPT x>'a'</ScRiPt\n>'b'<A HREF=c>",
                   {"a"},
                   {"c"},
                   "<SCRIPT x>'[a]'</ScRiPt\n>'b'<A HREF=[c]>"},
        ContentRow{pmHTML,
                   "<SCRIPT x>if (a<b) s=\"c.htm\";</SCRIPT>",
                   {"c.htm"},
                   {},
                   "<SCRIPT x>if (a<b) s=\"[c.htm]\";</SCRIPT>"},
        ContentRow{pmHTML,
                   "<SCRIPT x>a</b>'c'</SCRIPTX>'d'</SCRIPT>'e'",
                   {"c", "d"},
                   {},
                   "<SCRIPT x>a</b>'[c]'</SCRIPTX>'[d]'</SCRIPT>'e'"},
        ContentRow{pmHTML,
                   "<SCRIPT SRC=j.js>\"k.htm\"</SCRIPT>",
                   {"k.htm"},
                   {"j.js"},
                   "<SCRIPT SRC=[j.js]>\"[k.htm]\"</SCRIPT>"},
        // A bare SCRIPT tag, as pages write it today, holds script too.
        ContentRow{pmHTML,
                   "<script>var a = 'x.htm'; w(\"<A HREF=y.htm>\")</script><A HREF=z>",
                   {"x.htm", "<A HREF=y.htm>"},
                   {"z"},
                   "<script>var a = '[x.htm]'; w(\"[<A HREF=y.htm>]\")</script><A HREF=[z]>"},
        // In a document the end tag ends the content even inside a literal.
        ContentRow{pmHTML,
                   "<SCRIPT x>w('<script src=a.js></script>');</SCRIPT><A HREF=y>",
                   {},
                   {"y"},
                   "<SCRIPT x>w('<script src=a.js></script>');</SCRIPT><A HREF=[y]>"},
        ContentRow{pmHTML,
                   "<SCRIPT x>// don't</SCRIPT><A HREF=y>",
                   {},
                   {"y"},
                   "<SCRIPT x>// don't</SCRIPT><A HREF=[y]>"},
        ContentRow{pmHTML,
                   "<SCRIPT x><!--\n'a'\n//--></SCRIPT>",
                   {"a"},
                   {},
                   "<SCRIPT x><!--\n'[a]'\n//--></SCRIPT>"}));

INSTANTIATE_TEST_SUITE_P(
    Style, Content,
    ::testing::Values(
        ContentRow{pmStyle,
                   "url(a.gif) body { background: url(b.gif) }",
                   {},
                   {"b.gif"},
                   "url(a.gif) body { background: url([b.gif]) }"},
        ContentRow{pmStyle,
                   "{a:url('a.gif');b:url( \"b.png\" )}",
                   {},
                   {"a.gif", "b.png"},
                   "{a:url('[a.gif]');b:url( \"[b.png]\" )}"},
        ContentRow{
            pmStyle, "p{background:URL(c.gif)}", {}, {"c.gif"}, "p{background:URL([c.gif])}"},
        ContentRow{pmStyle,
                   "{x:xurl(d) background-url(e) uurl(f)}",
                   {},
                   {},
                   "{x:xurl(d) background-url(e) uurl(f)}"},
        ContentRow{pmStyle,
                   "@media s { a { b: url(x) } } c: url(y)",
                   {},
                   {"x"},
                   "@media s { a { b: url([x]) } } c: url(y)"},
        ContentRow{pmStyle, "} } {url(z)}", {}, {"z"}, "} } {url([z])}"},
        // Imports in all their forms, outside braces too.
        ContentRow{pmStyle,
                   "@import \"a.css\";@IMPORT 'b.css' screen;\n@import url(c.css) print;"
                   "@import url( \"d.css\" );@import e;",
                   {},
                   {"a.css", "b.css", "c.css", "d.css"},
                   "@import \"[a.css]\";@IMPORT '[b.css]' screen;\n@import url([c.css]) print;"
                   "@import url( \"[d.css]\" );@import e;"},
        // Fonts, image-set() strings; commented-out rules are not loaded.
        ContentRow{pmStyle,
                   "@font-face{src:url(f.woff2) format(\"woff2\")}"
                   "p{b:-webkit-image-set(\"x.png\" 1x, url(y.png) 2x)}",
                   {},
                   {"f.woff2", "x.png", "y.png"},
                   "@font-face{src:url([f.woff2]) format(\"woff2\")}"
                   "p{b:-webkit-image-set(\"[x.png]\" 1x, url([y.png]) 2x)}"},
        ContentRow{pmStyle,
                   "/* @import \"n.css\"; {url(q)} */{a:url(r)}/* open",
                   {},
                   {"r"},
                   "/* @import \"n.css\"; {url(q)} */{a:url([r])}/* open"},
        ContentRow{pmHTML,
                   "<STYLE TYPE=text/css>@import 's.css';</STYLE>",
                   {},
                   {"s.css"},
                   "<STYLE TYPE=text/css>@import '[s.css]';</STYLE>"},
        ContentRow{pmStyle, "{url('')}", {}, {""}, "{url('[]')}"},
        ContentRow{pmStyle, "{url(a.gif", {}, {}, "{url(a.gif"},
        ContentRow{pmStyle, "</style>{url(a)}", {}, {"a"}, "</style>{url([a])}"},
        ContentRow{pmHTML,
                   "<STYLE TYPE=text/css>{url(a)}</style><IMG SRC=b>",
                   {},
                   {"a", "b"},
                   "<STYLE TYPE=text/css>{url([a])}</style><IMG SRC=[b]>"},
        ContentRow{pmHTML,
                   "<STYLE x>{url(a</STYLE><IMG SRC=b>)",
                   {},
                   {"b"},
                   "<STYLE x>{url(a</STYLE><IMG SRC=[b]>)"},
        ContentRow{pmHTML, "<STYLE>{url(a)}</STYLE>", {}, {"a"}, "<STYLE>{url([a])}</STYLE>"},
        ContentRow{pmHTML, "<STYLEX>{url(a)}", {}, {}, "<STYLEX>{url(a)}"},
        // Style attributes hold declarations: their url() are pictures.
        ContentRow{pmHTML,
                   "<P STYLE=\"{background:url(a)}\">",
                   {},
                   {"a"},
                   "<P STYLE=\"{background:url([a])}\">"}));

}  // namespace
}  // namespace trawlonix
