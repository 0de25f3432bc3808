// trawlonix-cli: checking collected links after a crawl, exporting the three
// result lists, and the check command for a list of URLs.
#include <QElapsedTimer>
#include <algorithm>

#include "CrawlFixture.h"

namespace trawlonix::test {
namespace {

class CliCheckExport : public CrawlFixture {
 protected:
  // A start page in /a/ whose links to /b/ are collected, not fetched; one
  // e-mail address; one broken link.
  std::string SiteAndProject() {
    WriteSite({{"a/start.html",
                "<A HREF=\"/b/good.html\">Good</A><A HREF=\"/b/gone.html\">Gone</A>"
                "<A HREF=\"mailto:me@site.invalid\">Mail</A><A HREF=\"missing.html\">M</A>"},
               {"b/good.html", "good"}});
    EXPECT_TRUE(StartServer());
    return MakeProject(Base() + "a/start.html", [](TrawlonixDefinition& d) {
      d.actCollect = true;
      d.actColOpt = coUnprocessedLinks;
    });
  }
  std::vector<std::string> Heads() {
    std::vector<std::string> out;
    for (const auto& r : server_.requests())
      if (r.method == "HEAD") out.push_back(r.path.toStdString());
    return out;
  }
  static bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
};

TEST_F(CliCheckExport, CheckDeletesBadLinksBeforeTheTextExports) {
  const std::string project = SiteAndProject();
  const CliResult r = Cli({"run", project, "-v", "--check-links=4", "--export-links", Path("l.txt"),
                           "--export-emails", Path("e.txt"), "--export-broken=" + Path("b.txt"),
                           "--format", "text", "--separator", ",", "--no-quotes"});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  auto heads = Heads();
  std::sort(heads.begin(), heads.end());
  EXPECT_EQ(heads, (std::vector<std::string>{"/b/gone.html", "/b/good.html"}));
  EXPECT_EQ(Read(Path("l.txt")), Base() + "b/good.html,Good\r\n");
  EXPECT_EQ(Read(Path("e.txt")), "me@site.invalid,Mail\r\n");
  const std::string broken = Read(Path("b.txt"));
  EXPECT_EQ(broken.rfind(Base() + "a/missing.html,", 0), 0u) << broken;
  EXPECT_EQ(Count(broken, "\r\n"), 1);
  // The check's log lines and the links with their results.
  EXPECT_TRUE(Has(r.out, "HEAD " + Base() + "b/gone.html USER-AGENT Morvek Trawlonix 2.7 b6"));
  EXPECT_TRUE(Has(r.out, "] 坏的: 404 Not Found\n"));
  EXPECT_TRUE(
      Has(r.out, "所有链接的检查已经完成。\n收集的链接: 1\n  " + Base() + "b/good.html\t通过\n"))
      << r.out;
}

// The same run in English: log lines, the check's failure and result texts,
// the summary; the exported data stay as stored.
TEST_F(CliCheckExport, EnglishRunFromLogToSummary) {
  const std::string project = SiteAndProject();
  const CliResult r = Cli({"--lang", "en", "run", project, "-v", "--check-links", "--export-links",
                           Path("l.html"), "--layout", "13"});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_TRUE(Has(r.out, "] Starting the tag parser...\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "] Stopped with an error: 404 Not Found\n"));
  EXPECT_TRUE(Has(r.out, "] Broken: 404 Not Found\n"));
  EXPECT_TRUE(Has(r.out, "Project results\nState: Finished\n"));
  EXPECT_TRUE(Has(r.out, "All links have been checked.\nCollected links: 2\n"));
  EXPECT_TRUE(Has(r.out, "  " + Base() + "b/good.html\tOK\n"));
  EXPECT_FALSE(Has(r.out + r.err, "方案")) << r.out;
  // The export's heading follows the language; its data are as stored.
  const std::string html = Read(Path("l.html"));
  EXPECT_TRUE(Has(html, "<TITLE>Morvek Trawlonix export</TITLE>")) << html;
  EXPECT_TRUE(Has(html, "<TT>通过</TT>")) << html;
}

// A socket failure in English, from the check command.
TEST_F(CliCheckExport, EnglishSocketFailureText) {
  Write(Path("urls.txt"), "http://127.0.0.1:9/x.html\n");
  const CliResult r = Cli({"--lang=en", "check", Path("urls.txt"), "--log"});
  // The log line speaks English; the result column is the stored data.
  EXPECT_TRUE(Has(r.out, "] Broken: 404 Connection refused (error #10061)\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "\t坏的: 404 Connection refused (error #10061)\n")) << r.out;
}

TEST_F(CliCheckExport, HtmlDefaultsWithHeadingColourAndTestResults) {
  const std::string project = SiteAndProject();
  const CliResult r =
      Cli({"run", project, "--quiet", "--check-links", "--export-links", Path("l.html"), "--layout",
           "12", "--heading", "Mine", "--highlight", "#00ff7f"});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_FALSE(Has(r.out, "所有链接的检查已经完成。"));  // quiet: no check lines
  const std::string links = Read(Path("l.html"));
  EXPECT_TRUE(Has(links, "  <TITLE>Morvek Trawlonix 导出] - [Mine</TITLE>\r\n")) << links;
  EXPECT_TRUE(Has(links, " <BODY BGCOLOR=\"#FFFFFF\">\r\n"));
  EXPECT_TRUE(Has(links, "  <TABLE BORDER=0 CELLPADDING=3 CELLSPACING=5>\r\n"));
  EXPECT_TRUE(Has(links, "    <TD BGCOLOR=\"#00FF7F\"><A HREF=\"" + Base() +
                             "b/good.html\">Good</A><BR>\r\n    <TT>通过</TT><BR>\r\n"))
      << links;
  EXPECT_TRUE(Has(links, "    <TT><B>坏的: 404 Not Found</B></TT><BR>\r\n")) << links;
  EXPECT_TRUE(Has(links, " <HEAD>\r\n  <META CHARSET=\"UTF-8\">\r\n"));
  // The e-mail list with the wizard's defaults: layout 10, silver blocks.
  ASSERT_EQ(Cli({"run", project, "-q", "--restart", "--export-emails", Path("e.htm")}).code, 0);
  const std::string mails = Read(Path("e.htm"));
  EXPECT_TRUE(Has(mails, "  <TITLE>Morvek Trawlonix 导出</TITLE>\r\n"));
  EXPECT_TRUE(Has(mails,
                  "    <TD BGCOLOR=\"#C0C0C0\"><A HREF=\"mailto:me@site.invalid\">Mail</A>"
                  "<BR>\r\n    <FONT SIZE=-1>mailto:me@site.invalid</FONT></TD>\r\n"))
      << mails;
}

TEST_F(CliCheckExport, MarkedRowsOnlyAndDefaultQuotedText) {
  const std::string project = SiteAndProject();
  const CliResult r = Cli({"run", project, "-q", "--check-links=3", "--selected-only",
                           "--format=text", "--export-links", Path("bad.txt")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Read(Path("bad.txt")), "\"" + Base() + "b/gone.html\";\"Gone\"\r\n");
}

TEST_F(CliCheckExport, EmptyListIsAFailureWithoutAFile) {
  WriteSite({{"index.html", "nothing here"}});
  ASSERT_TRUE(StartServer());
  const CliResult r = Cli({"run", MakeProject(Base()), "-q", "--export-emails", Path("e.txt"),
                           "--export-links", Path("l.txt")});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Has(r.err, "收集的电邮地址列表是空的，因此不能够导出！")) << r.err;
  EXPECT_TRUE(Has(r.err, "收集的链接列表是空的，因此不能够导出！")) << r.err;
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("e.txt"))));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("l.txt"))));
}

TEST_F(CliCheckExport, BadOptionsStopBeforeTheCrawl) {
  WriteSite({{"index.html", "x"}});
  ASSERT_TRUE(StartServer());
  const std::string project = MakeProject(Base());
  const std::string out = Path("x.html");
  const std::vector<std::vector<std::string>> cases = {
      {"--export-emails", out, "--layout", "12"},  // links only
      {"--export-links", out, "--layout", "14"},
      {"--check-links=5"},
      {"--check-links", "2"},  // the mode only with "="
      {"--export-links", out, "--background", "white"},
      {"--export-links", out, "--highlight", "#12345"},
      {"--export-links", out, "--format", "pdf"},
      {"--export-links", out, "--fields", "url"},
      {"--export-links", out, "--separator", "|"},
      {"--export-links", out, "--heading", std::string(201, 'h')},
      {"--export-links"},
  };
  for (const auto& extra : cases) {
    std::vector<std::string> args = {"run", project};
    args.insert(args.end(), extra.begin(), extra.end());
    const CliResult r = Cli(args);
    EXPECT_EQ(r.code, 2) << extra.front() << " " << extra.back() << "\n" << r.err;
  }
  EXPECT_TRUE(server_.requests().isEmpty());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
  // The heading limit counts characters, not bytes.
  std::string heading;
  for (int i = 0; i < 200; ++i)
    heading += "字";
  const CliResult ok = Cli({"run", project, "-q", "--export-broken", out, "--heading", heading});
  EXPECT_EQ(ok.code, 1) << ok.err;  // no broken links: only the export fails
  EXPECT_TRUE(Has(ok.err, "错误链接列表是空的")) << ok.err;
  const CliResult help = Cli({"--lang", "en", "run", "--help"});
  EXPECT_TRUE(Has(help.out, "--export-broken FILE"));
  EXPECT_TRUE(Has(help.out, "--check-links[=MODE]"));
}

TEST_F(CliCheckExport, CheckCommandReadsListsAndTextExports) {
  ASSERT_TRUE(StartServer(R"({"/good": {"body": "x"}, "/m": {"status": 405},
                              "/gone": {"status": 404}})"));
  Write(Path("list.txt"), "\"" + Base() + "good\";\"A text\"\r\n" + Base() +
                              "gone  trailing words\n\n# a comment\n   " + Base() + "m;x\n");
  const CliResult r = Cli({"check", Path("list.txt"), "--separator", ";"});
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_EQ(r.out, Base() + "good\t通过\n" + Base() + "gone\t坏的: 404 Not Found\n" + Base() +
                       "m\t坏的: 405 Method Not Allowed\n");
  EXPECT_EQ(Heads().size(), 3u);
  for (const auto& req : server_.requests()) {
    EXPECT_EQ(req.header("User-Agent"), "Morvek Trawlonix 2.7 b6");
    EXPECT_FALSE(req.hasHeader("Referer"));
  }
  // Only good links: exit 0; the log on request.
  Write(Path("good.txt"), Base() + "good\n");
  const CliResult good = Cli({"check", Path("good.txt"), "--log", "-t", "1"});
  EXPECT_EQ(good.code, 0) << good.err;
  EXPECT_EQ(good.out, "[0] HEAD " + Base() + "good USER-AGENT Morvek Trawlonix 2.7 b6\n[0] 通过\n" +
                          Base() + "good\t通过\n");
  EXPECT_EQ(Cli({"check", Path("none.txt")}).code, 1);
  EXPECT_EQ(Cli({"check"}).code, 2);
}

TEST_F(CliCheckExport, CheckCommandInterrupted) {
  ASSERT_TRUE(StartServer(R"({"*": {"header_delay_ms": 8000}})"));
  Write(Path("list.txt"), Base() + "1\n" + Base() + "2\n");
  QProcess* p = StartCli({"check", Path("list.txt")});
  QThread::msleep(700);
  ::kill(static_cast<pid_t>(p->processId()), SIGINT);
  QElapsedTimer t;
  t.start();
  const CliResult r = Finish(p, 20000);
  EXPECT_LT(t.elapsed(), 5000);
  EXPECT_EQ(r.code, 130) << r.err;
  EXPECT_EQ(r.out, Base() + "1\t- 未检查 -\n" + Base() + "2\t- 未检查 -\n");
}

}  // namespace
}  // namespace trawlonix::test
