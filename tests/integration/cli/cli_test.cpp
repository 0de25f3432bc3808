// Runs the built trawlonix-cli: project creation, project inspection (text and
// JSON) and the settings store.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "model/SpiderList.h"
#include "model/projectfile.h"

namespace trawlonix {
namespace {

struct CliRun {
  int code = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    settings_ = Path("settings.conf");
  }

  std::string Path(const std::string& name) const {
    return (dir_.path() + "/").toStdString() + name;
  }

  // `input` goes to standard input; the child has no controlling terminal.
  CliRun Cli(const std::vector<std::string>& args, const std::string& input = {},
             const QString& password = {}, const QString& locale = {}) const {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!locale.isEmpty()) env.insert("LC_ALL", locale);
    env.insert("TRAWLONIX_SETTINGS", QString::fromStdString(settings_));
    env.remove("TRAWLONIX_PASSWORD");
    if (!password.isEmpty()) env.insert("TRAWLONIX_PASSWORD", password);
    p.setProcessEnvironment(env);
    p.setChildProcessModifier([] { ::setsid(); });
    QStringList list;
    for (const auto& a : args)
      list << QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()));
    p.start(TX_BINARY_DIR "/src/cli/trawlonix-cli", list);
    p.write(input.data(), static_cast<qint64>(input.size()));
    p.closeWriteChannel();
    CliRun r;
    if (!p.waitForFinished(30000)) {
      p.kill();
      p.waitForFinished();
      return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
  }

  static QJsonObject ParseJson(const std::string& text) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return doc.object();
  }

  QTemporaryDir dir_;
  std::string settings_;
};

TEST_F(CliTest, VersionHelpAndUsageErrors) {
  CliRun r = Cli({"--version"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "trawlonix-cli 2.7 build 6\n");
  r = Cli({"--lang", "en", "--help"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("settings"), std::string::npos);
  for (const char* cmd : {"new", "info", "settings"}) {
    r = Cli({"--lang", "en", cmd, "--help"});
    EXPECT_EQ(r.code, 0) << cmd;
    EXPECT_NE(r.out.find("Usage: trawlonix-cli"), std::string::npos) << cmd;
  }
  const std::vector<std::vector<std::string>> usage = {
      {},
      {"frobnicate"},
      {"--bogus"},
      {"info"},
      {"info", "a.txp", "b.txp"},
      {"info", "--nope", "a.txp"},
      {"new", "127.0.0.1", "--dir", "/tmp"},  // no output
      {"new", "-o", "x.txp"},                 // no URL
      {"new", "127.0.0.1", "-o", "x.txp", "--limit-htdocs", "never"},
      {"new", "127.0.0.1", "-o", "x.txp", "--limit-linked", "9"},
      {"new", "127.0.0.1", "-o", "x.txp", "--level-limit", "31"},
      {"new", "127.0.0.1", "-o"},
      {"settings", "get"},
      {"settings", "set", "MaxThreads"},
      {"settings", "drop", "x"},
  };
  for (const auto& args : usage) {
    r = Cli(args);
    std::string joined;
    for (const auto& a : args)
      joined += a + " ";
    EXPECT_EQ(r.code, 2) << joined << r.err;
    EXPECT_NE(r.err.find("--help"), std::string::npos) << joined;
  }
}

// Help, usage errors and their hint follow the locale; --lang overrides it.
TEST_F(CliTest, HelpAndErrorsInTheChosenLanguage) {
  struct Case {
    const char* locale;
    std::vector<std::string> args;
    int code;
    const char* expected;  // in the output (help) or on standard error
    const char* absent;
  } cases[] = {
      {"zh_CN.UTF-8", {"--help"}, 0, "用法: trawlonix-cli", "Usage"},
      {"zh_CN.UTF-8",
       {"run", "--help"},
       0,
       "  -v, --verbose     在标准输出上显示完整的日志",
       "Usage"},
      {"en_US.UTF-8", {"--help"}, 0, "Usage: trawlonix-cli", "用法"},
      {"en_US.UTF-8", {"mirror", "--help"}, 0, "--log-file FILE", "用法"},
      {"en_US.UTF-8", {"--lang", "zh", "info", "--help"}, 0, "用法: trawlonix-cli info", "Usage"},
      {"zh_CN.UTF-8", {"--lang=en", "check", "--help"}, 0, "Usage: trawlonix-cli check", "用法"},
      {"zh_CN.UTF-8",
       {"run", "--bogus"},
       2,
       "无法识别的选项 '--bogus'\n请用 'trawlonix-cli run --help'",
       "unrecognized"},
      {"en_US.UTF-8", {"new", "-o"}, 2, "option requires an argument -- 'o'\nTry ", "选项"},
      {"en_US.UTF-8", {"--lang", "xx"}, 2, "--lang takes 'en' or 'zh'", "只接受"},
  };
  for (const Case& c : cases) {
    const CliRun r = Cli(c.args, {}, {}, c.locale);
    const std::string& text = c.code == 0 ? r.out : r.err;
    EXPECT_EQ(r.code, c.code) << c.locale << " " << c.args[0];
    EXPECT_NE(text.find(c.expected), std::string::npos) << c.locale << "\n" << text;
    EXPECT_EQ(text.find(c.absent), std::string::npos) << c.locale << "\n" << text;
  }
}

TEST_F(CliTest, NewThenInfoJson) {
  const std::string project = Path("site.txp");
  CliRun r = Cli({"new",
                  "u:secret@127.0.0.1:8080\\docs",
                  "--dir=" + dir_.path().toStdString() + "/",
                  "-o",
                  project,
                  "--level-limit",
                  "3",
                  "--limit-htdocs",
                  "this-server",
                  "--limit-images",
                  "8",
                  "--limit-embedded",
                  "lmUnlimited",
                  "--limit-linked",
                  "positive-not-negative",
                  "-p",
                  "127.0.0.1:8080/docs/index.html",
                  "-x",
                  "127.0.0.1:8080/private",
                  "--no-emails",
                  "--collect",
                  "all",
                  "--no-rewrite-external",
                  "--strict-url",
                  "--rename-ext",
                  ".EXE",
                  "--rename-ext",
                  "php",
                  "--rename-always"});
  ASSERT_EQ(r.code, 0) << r.err;
  // The wizard's notes, in command-line terms (no fields or pages of the
  // wizard).
  EXPECT_NE(r.err.find("起始 URL 中的用户名和密码被用作网站的用户名和密码 (如同 --user 和 "
                       "--password)，不保存在 URL 中。\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("列表条目只能指定主机和目录，不能指定文件名；文件名已被去掉。"),
            std::string::npos);
  EXPECT_EQ(r.err.find("第二页"), std::string::npos);

  r = Cli({"info", "--json", project});
  ASSERT_EQ(r.code, 0) << r.err;
  const QJsonObject o = ParseJson(r.out);
  EXPECT_EQ(o["version"].toString(), "2.7");
  EXPECT_FALSE(o["resume"].toBool());
  EXPECT_EQ(o["StartingUrl"].toString(), "http://127.0.0.1:8080/docs");
  EXPECT_EQ(o["ProjectName"].toString(), "127_0_0_1");
  EXPECT_TRUE(o["LevelLimit"].toBool());
  EXPECT_EQ(o["MaxLevel"].toInt(), 3);
  EXPECT_TRUE(o["UsePwd"].toBool());
  EXPECT_EQ(o["Username"].toString(), "u");
  // The password is masked unless asked for, and the file is its owner's only.
  EXPECT_EQ(o["Password"].toString(), "********");
  EXPECT_EQ(ParseJson(Cli({"info", "--json", "--show-password", project}).out)["Password"],
            "secret");
  EXPECT_EQ(Cli({"info", project}).out.find("secret"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(::stat(project.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_TRUE(o["actSaveFiles"].toBool());
  EXPECT_FALSE(o["actEMails"].toBool());
  EXPECT_TRUE(o["actBLinks"].toBool());
  EXPECT_TRUE(o["actCollect"].toBool());
  EXPECT_EQ(o["actColOpt"].toInt(), 2);
  EXPECT_EQ(o["LocalPath"].toString().toStdString(), dir_.path().toStdString());
  EXPECT_TRUE(o["ChgLocLink"].toBool());
  EXPECT_FALSE(o["ChgExtLink"].toBool());
  EXPECT_TRUE(o["ChgJScriptLink"].toBool());
  EXPECT_EQ(o["LimitHtDocs"].toInt(), 2);
  EXPECT_EQ(o["LimitIlImages"].toInt(), 8);
  EXPECT_EQ(o["LimitEmbeded"].toInt(), 7);
  EXPECT_EQ(o["LimitLinked"].toInt(), 6);
  EXPECT_EQ(o["Positivlist"].toArray(), QJsonArray({"http://127.0.0.1:8080/docs/"}));
  EXPECT_EQ(o["Negativlist"].toArray(), QJsonArray({"http://127.0.0.1:8080/private/"}));
  EXPECT_EQ(o["HTMLRenList"].toArray(), QJsonArray({"exe", "php"}));
  EXPECT_FALSE(o["OnlyRenameSkriptURL"].toBool());
  EXPECT_TRUE(o["StrictUrl"].toBool());
  EXPECT_TRUE(o["spider"].toArray().isEmpty());
  EXPECT_TRUE(o["redirects"].toArray().isEmpty());
  EXPECT_EQ(o.size(), 29);

  // An existing file is kept unless --force.
  r = Cli({"new", "127.0.0.1", "--dir", dir_.path().toStdString(), "-o", project});
  EXPECT_EQ(r.code, 1);
  r = Cli({"new", "127.0.0.1", "--dir", dir_.path().toStdString(), "-o", project, "--force",
           "--name", "Other"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ParseJson(Cli({"info", "--json", project}).out)["ProjectName"].toString(), "Other");
}

// The password need not appear on the command line: it is asked for (no
// echo) or taken from the environment; an explicit --password wins.
TEST_F(CliTest, PasswordFromPromptOrEnvironment) {
  const std::string d = dir_.path().toStdString();
  const struct {
    std::vector<std::string> extra;
    std::string input;
    QString env;
    std::string expected;
  } cases[] = {
      {{"--ask-password"}, "typed\n", "from-env", "typed"},
      {{}, "", "from-env", "from-env"},
      {{"--password", "given"}, "", "from-env", "given"},
      {{}, "", "", ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"new", "127.0.0.1", "--dir", d, "-o", Path("p.txp"), "--force"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const CliRun r = Cli(args, c.input, c.env);
    ASSERT_EQ(r.code, 0) << r.err;
    const CliRun info = Cli({"info", "--json", "--show-password", Path("p.txp")});
    EXPECT_EQ(ParseJson(info.out)["Password"].toString().toStdString(), c.expected);
    EXPECT_EQ(r.out.find(c.expected.empty() ? "\x01" : c.expected), std::string::npos);
  }
  EXPECT_EQ(Cli({"new", "127.0.0.1", "--dir", d, "-o", Path("q.txp"), "--ask-password"}).code, 1);
}

TEST_F(CliTest, NewRefusesWhatTheWizardRefuses) {
  const std::string d = dir_.path().toStdString();
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"new", "ftp://127.0.0.1/", "--dir", d}, "只支持 HTTP 和 HTTPS 地址！"},
      {{"new", "https:///x/", "--dir", d, "--name", "x"}, "地址中缺少主机名！"},
      {{"new", " ", "--dir", d}, "请指定一个起始页面！"},
      {{"new", "127.0.0.1", "--dir", d + "/missing"}, "指定的本地路径不存在！"},
      {{"new", "127.0.0.1"}, "请指定一个本地路径！"},  // no default local path set
      {{"new", "127.0.0.1", "--dir", d, "--limit-images", "3"}, "正列表不允许是空的！"},
      {{"new", "127.0.0.1", "--dir", d, "--limit-linked", "4"}, "负列表不允许是空的！"},
      {{"new", "127.0.0.1", "--dir", d, "--limit-linked", "4", "-x", " "}, "请指定一个 URL！"},
  };
  for (auto& c : cases) {
    c.args.insert(c.args.end(), {"-o", Path("refused.txp")});
    const CliRun r = Cli(c.args);
    EXPECT_EQ(r.code, 1) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(std::ifstream(Path("refused.txp")).good()) << c.message;
  }
  // Without saving files no local path is needed.
  EXPECT_EQ(Cli({"new", "127.0.0.1", "--no-save-files", "-o", Path("n.txp")}).code, 0);
  // The default local path of the settings is used when --dir is absent.
  ASSERT_EQ(Cli({"settings", "set", "DefaultLocalPath", d}).code, 0);
  const CliRun r = Cli({"new", "127.0.0.1", "-o", Path("d.txp")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(
      ParseJson(Cli({"info", "--json", Path("d.txp")}).out)["LocalPath"].toString().toStdString(),
      d);
}

TEST_F(CliTest, InfoShowsCrawlStateAndKeepsEveryByte) {
  TrawlonixDefinition def;
  def.StartingUrl = "http://127.0.0.1/\xC4\xE3\xBA\xC3/";  // GBK bytes: not UTF-8
  def.ProjectName = "中文 \"q\"\\";
  def.LocalPath = "/srv/mirror";
  TSpiderList spider;
  TCGIRedirectList redirects;
  TURL u;
  u.Protocol = "http";
  u.Host = "127.0.0.1";
  u.Path = "/";
  u.FileName = "index.html";
  spider.AddURL(u, -10, 0);
  u.FileName = "a\xFF.html";
  spider.AddURL(u, 0, 1);
  u.FileName = "b.html";
  spider.AddURL(u, 0, 1);
  spider.MarkFetched(0);
  spider.MarkBroken(1);
  u.FileName = "s.cgi";
  u.Query = "x=1";
  redirects.NumberFor(u);
  const std::string project = Path("state.txp");
  ASSERT_TRUE(SaveProject(project, def, spider, redirects).ok);

  CliRun r = Cli({"info", project}, {}, {}, "zh_CN.UTF-8");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("可继续:               是"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("方案中包含有再继续的信息。"), std::string::npos);
  r = Cli({"--lang", "en", "info", project});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("3 entries, 1 fetched, 1 broken, 1 pending"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Resume:               yes"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Run \"trawlonix-cli run --continue\" to resume"), std::string::npos);
  EXPECT_EQ(r.out.find("方案"), std::string::npos) << r.out;

  r = Cli({"info", "--json", project});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find(R"("StartingUrl": "http://127.0.0.1/\u00C4\u00E3\u00BA\u00C3/")"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(R"("ProjectName": "中文 \"q\"\\")"), std::string::npos) << r.out;
  const QJsonObject o = ParseJson(r.out);
  EXPECT_TRUE(o["resume"].toBool());
  const QJsonArray entries = o["spider"].toArray();
  ASSERT_EQ(entries.size(), 3);
  EXPECT_EQ(entries[0].toObject()["url"].toString(), "http://127.0.0.1/index.html");
  EXPECT_TRUE(entries[0].toObject()["Fetched"].toBool());
  EXPECT_EQ(entries[0].toObject()["Referrer"].toInt(), -10);
  EXPECT_EQ(entries[1].toObject()["url"].toString(),
            QString::fromUtf8("http://127.0.0.1/a\u00FF.html"));
  EXPECT_TRUE(entries[1].toObject()["Broken"].toBool());
  EXPECT_EQ(entries[2].toObject()["Level"].toInt(), 1);
  EXPECT_EQ(entries[2].toObject().size(), 5);
  const QJsonArray red = o["redirects"].toArray();
  ASSERT_EQ(red.size(), 1);
  EXPECT_EQ(red[0].toObject()["url"].toString(), "http://127.0.0.1/s.cgi?x=1");
  EXPECT_EQ(red[0].toObject()["Number"].toInt(), 0);
}

TEST_F(CliTest, InfoFailuresPrintTheProgramsMessage) {
  const std::string bad = Path("bad.txp");
  std::ofstream(bad) << "not a project";
  CliRun r = Cli({"info", bad});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "不是一个 Trawlonix 方案文件！\n方案 没 有 打开！\n");
  EXPECT_TRUE(r.out.empty());
  r = Cli({"info", "--json", Path("missing.txp")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "在读取方案时发生文件错误！\n方案 没 有 打开！\n");
}

TEST_F(CliTest, SettingsListGetSet) {
  CliRun r = Cli({"settings"});
  ASSERT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("Options/MaxThreads=10\n"), std::string::npos);
  EXPECT_NE(r.out.find("HTMLRec/Systemitem_10=1\n"), std::string::npos);
  EXPECT_EQ(Cli({"settings", "path"}).out, settings_ + "\n");

  struct Case {
    const char* name;
    const char* value;
    int code;
    const char* after;  // value read back
  } cases[] = {
      {"MaxThreads", "0", 0, "1"},
      {"MaxThreads", "100", 0, "64"},
      {"TimeOut", "30", 0, "30"},
      {"LogLines", "9999", 0, "500"},
      {"ErrorCount", "x", 1, "4"},
      {"Options/UseProxy", "1", 0, "1"},
      {"ProxyServer", "  proxy  ", 0, "proxy"},
      {"ProxyPassword", "pw", 0, "pw"},
      {"Systemitem_2", "0", 0, "0"},
      {"EXT_Count", "1", 0, "1"},
      {"EXT_ext_1", " PHP5 ", 0, "php5"},
      {"NoSuchThing", "1", 1, nullptr},
  };
  for (const Case& c : cases) {
    r = Cli({"settings", "set", c.name, c.value});
    EXPECT_EQ(r.code, c.code) << c.name << " " << r.err;
    r = Cli({"settings", "get", c.name});
    if (c.after == nullptr) {
      EXPECT_EQ(r.code, 1);
    } else {
      EXPECT_EQ(r.code, 0);
      EXPECT_EQ(r.out, std::string(c.after) + "\n") << c.name;
    }
  }
  // Stored as strings, the password scrambled.
  std::ifstream in(settings_);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string text = ss.str();
  EXPECT_NE(text.find("MaxThreads=64"), std::string::npos) << text;
  EXPECT_NE(text.find("EXT_ext_1=php5"), std::string::npos) << text;
  EXPECT_EQ(text.find("ProxyPassword=pw"), std::string::npos) << text;
  EXPECT_NE(text.find("ProxyPassword="), std::string::npos) << text;
}

}  // namespace
}  // namespace trawlonix
