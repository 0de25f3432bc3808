#include "engine/export/ExportWriter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace trawlonix {
namespace {

const char kStamp[] = "2024-05-06 07:08:09";

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/tx_export_test_XXXXXX";
    path_ = ::mkdtemp(tmpl);
  }
  ~TempDir() {
    for (const char* n : {"out", "out.txt", "out.htm"})
      ::unlink(File(n).c_str());
    ::rmdir(path_.c_str());
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines)
    s += l + "\r\n";
  return s;
}

// The fixed frame around the rows, with the layout's own opening and closing
// lines; no heading.
std::string Frame(const std::string& open, const std::vector<std::string>& body,
                  const std::string& close, const std::string& background = "#FFFFFF") {
  std::vector<std::string> l = {"<HTML>",
                                " <HEAD>",
                                "  <META CHARSET=\"UTF-8\">",
                                "  <TITLE>Morvek Trawlonix 导出</TITLE>",
                                " </HEAD>",
                                " <BODY BGCOLOR=\"" + background + "\">",
                                "  <CENTER><FONT SIZE=+2>Morvek Trawlonix 导出</FONT></CENTER>",
                                "  <HR>",
                                "  <P>"};
  if (!open.empty()) l.push_back(open);
  l.insert(l.end(), body.begin(), body.end());
  if (!close.empty()) l.push_back(close);
  l.push_back("  <HR>");
  l.push_back(std::string("  <CENTER><FONT SIZE=+1>用 <A HREF=\"") + kExportMakerAddress +
              "\">Morvek Trawlonix</A> 创建</FONT><BR>");
  l.push_back(std::string("  <FONT SIZE=-1>") + kStamp + "</FONT></CENTER>");
  l.push_back(" </BODY>");
  l.push_back("</HTML>");
  return Lines(l);
}

const std::vector<TExportRow> kLinkRows = {
    {{"  http://a.example/x.html ", "Alpha page", "http://start.example/", "通过"}, false},
    {{"http://b.example/y?q=1&r=2", " Beta  two\t", "http://start.example/sub/",
      "坏的: 404 Not Found"},
     true},
    {{"ftp://c.example/z", "", "http://start.example/", "- 未检查 -"}, false},
};
const std::vector<TExportRow> kMailRows = {
    {{"anna@a.example", "Anna", "http://start.example/"}, true},
    {{" bob@b.example", "Write to Bob ", "http://start.example/c.html"}, false},
};
const std::vector<TExportRow> kBrokenRows = {
    {{"http://a.example/gone.html", "404 Not Found", "http://start.example/"}, false},
    {{"http://b.example/", "超时", "http://start.example/"}, false},
};

// Writes through a real file and returns its bytes.
std::string Export(TExportKind kind, const TExportOptions& o, const std::vector<TExportRow>& rows) {
  TempDir dir;
  TExportWriter w(kind, o);
  w.SetTimestamp(kStamp);
  const TExportResult r = w.Write(dir.File("out"), rows);
  EXPECT_TRUE(r.Ok()) << r.Message;
  return ReadFile(dir.File("out"));
}

TExportOptions Html(int layout, bool selectedOnly = false) {
  TExportOptions o = DefaultExportOptions(TExportKind::kLinks);
  o.Layout = layout;
  o.SelectedOnly = selectedOnly;
  return o;
}

// ---- HTML form ------------------------------------------------------------------

TEST(ExportHtml, WholeFileWithHeadingAndColours) {
  TExportOptions o = Html(10);
  o.Heading = "  Meine Links ";
  o.Background = "#ff00aa";  // written with upper-case digits
  o.Highlight = "#0a0B0c";
  EXPECT_EQ(Export(TExportKind::kLinks, o, {kLinkRows[0]}),
            "<HTML>\r\n"
            " <HEAD>\r\n"
            "  <META CHARSET=\"UTF-8\">\r\n"
            "  <TITLE>Morvek Trawlonix 导出] - [Meine Links</TITLE>\r\n"
            " </HEAD>\r\n"
            " <BODY BGCOLOR=\"#FF00AA\">\r\n"
            "  <CENTER><FONT SIZE=+2>Morvek Trawlonix 导出<BR>\r\n"
            "  Meine Links</FONT></CENTER>\r\n"
            "  <HR>\r\n"
            "  <P>\r\n"
            "  <TABLE BORDER=0 CELLPADDING=3 CELLSPACING=5>\r\n"
            "   <TR>\r\n"
            "    <TD BGCOLOR=\"#0A0B0C\"><A HREF=\"http://a.example/x.html\">Alpha page</A><BR>\r\n"
            "    <FONT SIZE=-1>http://a.example/x.html</FONT></TD>\r\n"
            "   </TR>\r\n"
            "  </TABLE>\r\n"
            "  <HR>\r\n"
            "  <CENTER><FONT SIZE=+1>用 <A HREF=\"https://www.morvek.example/\">Morvek "
            "Trawlonix</A> 创建</FONT><BR>\r\n"
            "  <FONT SIZE=-1>2024-05-06 07:08:09</FONT></CENTER>\r\n"
            " </BODY>\r\n"
            "</HTML>\r\n");
}

struct HtmlCase {
  const char* name;
  TExportKind kind;
  int layout;
  bool selectedOnly;
  std::string open, close;
  std::vector<std::string> body;
};

class ExportHtmlLayouts : public ::testing::TestWithParam<HtmlCase> {};

TEST_P(ExportHtmlLayouts, WholeFile) {
  const HtmlCase& c = GetParam();
  const auto& rows = c.kind == TExportKind::kLinks    ? kLinkRows
                     : c.kind == TExportKind::kEMails ? kMailRows
                                                      : kBrokenRows;
  EXPECT_EQ(Export(c.kind, Html(c.layout, c.selectedOnly), rows), Frame(c.open, c.body, c.close));
}

const char kTableEnd[] = "  </TABLE>";
const char kBlocks[] = "  <TABLE BORDER=0 CELLPADDING=3 CELLSPACING=5>";

INSTANTIATE_TEST_SUITE_P(
    Layouts, ExportHtmlLayouts,
    ::testing::Values(
        HtmlCase{"Links0TextList",
                 TExportKind::kLinks,
                 0,
                 false,
                 "",
                 "",
                 {"   <A HREF=\"http://a.example/x.html\">Alpha page</A><BR>",
                  "   <A HREF=\"http://b.example/y?q=1&amp;r=2\">Beta  two</A><BR>",
                  "   <A HREF=\"ftp://c.example/z\"></A><BR>"}},
        HtmlCase{
            "Links7FramedTableSelectedOnly",
            TExportKind::kLinks,
            7,
            true,
            "  <TABLE BORDER=1>",
            kTableEnd,
            {"   <TR>",
             "    <TD><A HREF=\"http://b.example/y?q=1&amp;r=2\">http://b.example/"
             "y?q=1&amp;r=2</A></TD>",
             "    <TD><A HREF=\"http://b.example/y?q=1&amp;r=2\">Beta  two</A></TD>", "   </TR>"}},
        HtmlCase{"Links9HighlightedTableSelectedOnly",
                 TExportKind::kLinks,
                 9,
                 true,
                 "  <TABLE BORDER=0>",
                 kTableEnd,
                 {"   <TR>",
                  "    <TD BGCOLOR=\"#C0C0C0\"><A HREF=\"http://b.example/y?q=1&amp;r=2\">"
                  "http://b.example/y?q=1&amp;r=2</A></TD>",
                  "    <TD BGCOLOR=\"#C0C0C0\"><A HREF=\"http://b.example/y?q=1&amp;r=2\">Beta  "
                  "two</A></TD>",
                  "   </TR>"}},
        HtmlCase{"Links12ResultBoldWhenBad",
                 TExportKind::kLinks,
                 12,
                 false,
                 kBlocks,
                 kTableEnd,
                 {"   <TR>",
                  "    <TD BGCOLOR=\"#C0C0C0\"><A HREF=\"http://a.example/x.html\">Alpha "
                  "page</A><BR>",
                  "    <TT>通过</TT><BR>", "    <FONT SIZE=-1>http://a.example/x.html</FONT></TD>",
                  "   </TR>", "   <TR>",
                  "    <TD BGCOLOR=\"#C0C0C0\"><A HREF=\"http://b.example/y?q=1&amp;r=2\">Beta  "
                  "two</A><BR>",
                  "    <TT><B>坏的: 404 Not Found</B></TT><BR>",
                  "    <FONT SIZE=-1>http://b.example/y?q=1&amp;r=2</FONT></TD>", "   </TR>",
                  "   <TR>", "    <TD BGCOLOR=\"#C0C0C0\"><A HREF=\"ftp://c.example/z\"></A><BR>",
                  "    <TT>- 未检查 -</TT><BR>", "    <FONT SIZE=-1>ftp://c.example/z</FONT></TD>",
                  "   </TR>"}},
        HtmlCase{
            "Links13WithReference",
            TExportKind::kLinks,
            13,
            true,
            kBlocks,
            kTableEnd,
            {"   <TR>", "    <TD BGCOLOR=\"#C0C0C0\"><I>参考: http://start.example/sub/</I><BR>",
             "    <A HREF=\"http://b.example/y?q=1&amp;r=2\">Beta  two</A><BR>",
             "    <TT><B>坏的: 404 Not Found</B></TT><BR>",
             "    <FONT SIZE=-1>http://b.example/y?q=1&amp;r=2</FONT></TD>", "   </TR>"}},
        HtmlCase{"EMails1MailtoAsTargetAndText",
                 TExportKind::kEMails,
                 1,
                 false,
                 "",
                 "",
                 {"   <A HREF=\"mailto:anna@a.example\">mailto:anna@a.example</A><BR>",
                  "   <A HREF=\"mailto:bob@b.example\">mailto:bob@b.example</A><BR>"}},
        HtmlCase{"EMails11Blocks",
                 TExportKind::kEMails,
                 11,
                 false,
                 kBlocks,
                 kTableEnd,
                 {"   <TR>",
                  "    <TD BGCOLOR=\"#C0C0C0\"><A HREF=\"mailto:anna@a.example\">"
                  "mailto:anna@a.example</A><BR>",
                  "    <FONT SIZE=-1>Anna</FONT></TD>", "   </TR>", "   <TR>",
                  "    <TD BGCOLOR=\"#C0C0C0\"><A HREF=\"mailto:bob@b.example\">"
                  "mailto:bob@b.example</A><BR>",
                  "    <FONT SIZE=-1>Write to Bob</FONT></TD>", "   </TR>"}},
        HtmlCase{"Broken2LinkAndText",
                 TExportKind::kBrokenLinks,
                 2,
                 false,
                 "",
                 "",
                 {"   <A HREF=\"http://a.example/gone.html\">404 Not Found</A> <FONT "
                  "SIZE=-1>http://a.example/gone.html</FONT><BR>",
                  "   <A HREF=\"http://b.example/\">超时</A> <FONT "
                  "SIZE=-1>http://b.example/</FONT><BR>"}},
        HtmlCase{"Broken5List",
                 TExportKind::kBrokenLinks,
                 5,
                 false,
                 "  <UL>",
                 "  </UL>",
                 {"   <LI><A HREF=\"http://a.example/gone.html\">http://a.example/gone.html</A> "
                  "<FONT SIZE=-1>404 Not Found</FONT>",
                  "   <LI><A HREF=\"http://b.example/\">http://b.example/</A> <FONT "
                  "SIZE=-1>超时</FONT>"}},
        HtmlCase{"Broken6SmallNoSelectionOnlyFrame",
                 TExportKind::kBrokenLinks,
                 6,
                 true,
                 "  <UL>",
                 "  </UL>",
                 {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Values from crawled pages are escaped; the markup around them is not.
TEST(ExportHtml, PageValuesAreEscaped) {
  const std::vector<TExportRow> rows = {
      {{"http://evil.example/\"><script>alert(1)</script>", "<script>alert('x')</script> & \"q\"",
        "http://evil.example/'ref'", "坏的: <img src=x onerror=alert(1)>"},
       false}};
  EXPECT_EQ(Export(TExportKind::kLinks, Html(13), rows),
            Frame(kBlocks,
                  {"   <TR>",
                   "    <TD BGCOLOR=\"#C0C0C0\"><I>参考: http://evil.example/&#39;ref&#39;</I><BR>",
                   "    <A HREF=\"http://evil.example/&quot;&gt;&lt;script&gt;alert(1)&lt;/"
                   "script&gt;\">&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; "
                   "&quot;q&quot;</A><BR>",
                   "    <TT><B>坏的: &lt;img src=x onerror=alert(1)&gt;</B></TT><BR>",
                   "    <FONT SIZE=-1>http://evil.example/&quot;&gt;&lt;script&gt;alert(1)&lt;/"
                   "script&gt;</FONT></TD>",
                   "   </TR>"},
                  kTableEnd));
}

// A collected javascript: link keeps its text but gets no target that runs it.
TEST(ExportHtml, ScriptTargetsAreNotLinked) {
  const std::vector<TExportRow> rows = {
      {{"javascript:alert(1)", "a"}, false},
      {{" JaVa\tScript:x()", "b"}, false},
      {{"vbscript:msgbox", "c"}, false},
      {{"http://ok.example/javascript:no", "d"}, false},
  };
  EXPECT_EQ(Export(TExportKind::kLinks, Html(1), rows),
            Frame("",
                  {"   <A HREF=\"#\">javascript:alert(1)</A><BR>",
                   "   <A HREF=\"#\">JaVa\tScript:x()</A><BR>",
                   "   <A HREF=\"#\">vbscript:msgbox</A><BR>",
                   "   <A HREF=\"http://ok.example/javascript:no\">http://ok.example/"
                   "javascript:no</A><BR>"},
                  ""));
}

// ---- text form ------------------------------------------------------------------

struct TextCase {
  const char* name;
  TExportKind kind;
  TExportFields fields;
  TExportSeparator sep;
  bool quotes;
  bool selectedOnly;
  std::string expected;
};

class ExportText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ExportText, WholeFile) {
  const TextCase& c = GetParam();
  TExportOptions o = DefaultExportOptions(c.kind);
  o.Format = TExportFormat::kText;
  o.Fields = c.fields;
  o.Separator = c.sep;
  o.Quotes = c.quotes;
  o.SelectedOnly = c.selectedOnly;
  const auto& rows = c.kind == TExportKind::kEMails ? kMailRows : kLinkRows;
  EXPECT_EQ(Export(c.kind, o, rows), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, ExportText,
    ::testing::Values(TextCase{"DefaultsQuotedSemicolon", TExportKind::kLinks,
                               TExportFields::kLinkText, TExportSeparator::kSemicolon, true, false,
                               "\"http://a.example/x.html\";\"Alpha page\"\r\n"
                               "\"http://b.example/y?q=1&r=2\";\"Beta  two\"\r\n"
                               "\"ftp://c.example/z\";\"\"\r\n"},
                      TextCase{"BlankNoQuotes", TExportKind::kLinks, TExportFields::kLinkText,
                               TExportSeparator::kBlank, false, false,
                               "http://a.example/x.html Alpha page\r\n"
                               "http://b.example/y?q=1&r=2 Beta  two\r\n"
                               "ftp://c.example/z \r\n"},
                      TextCase{"CommaTextFirst", TExportKind::kLinks, TExportFields::kTextLink,
                               TExportSeparator::kComma, true, false,
                               "\"Alpha page\",\"http://a.example/x.html\"\r\n"
                               "\"Beta  two\",\"http://b.example/y?q=1&r=2\"\r\n"
                               "\"\",\"ftp://c.example/z\"\r\n"},
                      TextCase{"LinkOnlySelected", TExportKind::kLinks, TExportFields::kLink,
                               TExportSeparator::kComma, false, true,
                               "http://b.example/y?q=1&r=2\r\n"},
                      TextCase{"TextOnlyQuoted", TExportKind::kLinks, TExportFields::kText,
                               TExportSeparator::kSemicolon, true, false,
                               "\"Alpha page\"\r\n\"Beta  two\"\r\n\"\"\r\n"},
                      TextCase{"EMailsBareAddress", TExportKind::kEMails, TExportFields::kLinkText,
                               TExportSeparator::kComma, false, false,
                               "anna@a.example,Anna\r\nbob@b.example,Write to Bob\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExportTextForm, QuotesInsideValuesAreNotDoubled) {
  TExportOptions o;
  o.Format = TExportFormat::kText;
  EXPECT_EQ(Export(TExportKind::kLinks, o, {{{"http://q.example/", "say \"hi\""}, false}}),
            "\"http://q.example/\";\"say \"hi\"\"\r\n");
}

TEST(ExportTextForm, SelectedOnlyWithoutSelectionGivesEmptyFile) {
  TempDir dir;
  TExportOptions o;
  o.Format = TExportFormat::kText;
  o.SelectedOnly = true;
  TExportWriter w(TExportKind::kEMails, o);
  std::vector<TExportRow> rows = kMailRows;
  for (auto& r : rows)
    r.Selected = false;
  ASSERT_TRUE(w.Write(dir.File("out"), rows).Ok());
  EXPECT_TRUE(Exists(dir.File("out")));
  EXPECT_EQ(ReadFile(dir.File("out")), "");
}

// ---- failures -------------------------------------------------------------------

// A real file output that fails its n-th write, or its close.
class FailingOutput : public TExportOutput {
 public:
  FailingOutput(int failWrite, bool failClose) : failWrite_(failWrite), failClose_(failClose) {}
  bool Create(const std::string& path) override { return real_->Create(path); }
  bool Write(std::string_view bytes) override {
    if (++writes_ == failWrite_) return false;
    return real_->Write(bytes);
  }
  bool Close() override { return real_->Close() && !failClose_; }
  void Discard(const std::string& path) override { real_->Discard(path); }
  int writes_ = 0;

 private:
  std::unique_ptr<TExportOutput> real_ = MakeFileExportOutput();
  int failWrite_;
  bool failClose_;
};

struct FailCase {
  const char* name;
  TExportFormat format;
  int failWrite;  // 0: none
  bool failClose;
};

class ExportFailure : public ::testing::TestWithParam<FailCase> {};

TEST_P(ExportFailure, PartialFileIsDeleted) {
  const FailCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.File("out");
  TExportOptions o;
  o.Format = c.format;
  FailingOutput out(c.failWrite, c.failClose);
  TExportWriter w(TExportKind::kLinks, o);
  w.SetOutput(&out);
  const TExportResult r = w.Write(path, kLinkRows);
  EXPECT_EQ(r.Status, TExportStatus::kWriteFailed);
  EXPECT_EQ(r.Message, "在导出 收集的链接 时发生错误！");
  EXPECT_FALSE(Exists(path));
  if (c.failWrite) {
    EXPECT_EQ(out.writes_, c.failWrite);  // nothing written after the failure
  }
}

INSTANTIATE_TEST_SUITE_P(
    Points, ExportFailure,
    ::testing::Values(FailCase{"TextFirstLine", TExportFormat::kText, 1, false},
                      FailCase{"TextLastLine", TExportFormat::kText, 3, false},
                      FailCase{"HtmlInFrame", TExportFormat::kHTML, 3, false},
                      FailCase{"HtmlInRows", TExportFormat::kHTML, 12, false},
                      FailCase{"HtmlLastLine", TExportFormat::kHTML, 27, false},
                      FailCase{"Close", TExportFormat::kHTML, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExportFailures, CreateFailureReported) {
  TempDir dir;
  TExportWriter w(TExportKind::kBrokenLinks, TExportOptions{});
  const TExportResult r = w.Write(dir.File("missing/out.htm"), kBrokenRows);
  EXPECT_EQ(r.Status, TExportStatus::kCreateFailed);
  EXPECT_EQ(r.Message, "在创建导出文件时发生错误！");
}

TEST(ExportFailures, EmptyListAndBadOptionsCreateNothing) {
  TempDir dir;
  TExportWriter empty(TExportKind::kEMails, TExportOptions{});
  const TExportResult r = empty.Write(dir.File("out"), {});
  EXPECT_EQ(r.Status, TExportStatus::kEmptyList);
  EXPECT_EQ(r.Message, "收集的电邮地址列表是空的，因此不能够导出！");
  EXPECT_FALSE(Exists(dir.File("out")));

  TExportOptions o;
  o.Layout = 12;  // exists only for collected links
  TExportWriter bad(TExportKind::kEMails, o);
  EXPECT_EQ(bad.Write(dir.File("out"), kMailRows).Status, TExportStatus::kInvalidOptions);
  EXPECT_FALSE(Exists(dir.File("out")));
}

}  // namespace
}  // namespace trawlonix
