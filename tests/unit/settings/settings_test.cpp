#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/SettingsStore.h"

namespace trawlonix {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    path_ = (dir_.path() + "/Trawlonix.conf").toStdString();
    setenv("TRAWLONIX_SETTINGS", path_.c_str(), 1);
  }
  void TearDown() override { unsetenv("TRAWLONIX_SETTINGS"); }

  void WriteRaw(const std::string& group, const std::string& name, const std::string& value) {
    SettingsStore store(path_);
    store.Write(group, name, value);
    ASSERT_TRUE(store.Sync());
  }
  std::string FileText() const {
    std::ifstream in(path_);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  QTemporaryDir dir_;
  std::string path_;
};

TEST_F(SettingsTest, FirstStartGivesDefaults) {
  TOptions o;
  o.MaxThreads = 3;
  o.LoadSettings();
  EXPECT_EQ(o.MaxThreads, 10);
  EXPECT_EQ(o.TimeOut, 240);
  EXPECT_EQ(o.ErrorCount, 4);
  EXPECT_EQ(o.LogLines, 50);
  EXPECT_EQ(o.IndexFileName, "index.html");
  EXPECT_FALSE(o.UseProxy);
  EXPECT_EQ(o.ProxyPort, 80);
  EXPECT_TRUE(o.ReferingPage);
  EXPECT_FALSE(o.RetryAll);
  ASSERT_EQ(o.HTMLRecRows.size(), 10u);
  for (const auto& row : o.HTMLRecRows)
    EXPECT_TRUE(row.Checked);
  EXPECT_EQ(o.HTMLRecRows[0].RowText(), " .html\t超文本文档");
  EXPECT_EQ(o.HTMLRecList.size(), 10u);
  EXPECT_TRUE(o.IsHTMLRecExtension("asp"));
}

TEST_F(SettingsTest, StoredNumbersAreClampedOrDefaulted) {
  struct Case {
    const char* name;
    const char* stored;
    int TOptions::*field;
    int expected;
  } cases[] = {
      {"MaxThreads", "abc", &TOptions::MaxThreads, 10},
      {"MaxThreads", "0", &TOptions::MaxThreads, 1},
      {"MaxThreads", "100", &TOptions::MaxThreads, 64},
      {"MaxThreads", " 12 ", &TOptions::MaxThreads, 12},
      {"MaxThreads", "99999999999", &TOptions::MaxThreads, 10},
      {"MaxThreads", "7x", &TOptions::MaxThreads, 10},
      {"LogLines", "5", &TOptions::LogLines, 10},
      {"LogLines", "501", &TOptions::LogLines, 500},
      {"TimeOut", "-3", &TOptions::TimeOut, 1},
      {"TimeOut", "1000", &TOptions::TimeOut, 240},
      {"ErrorCount", "65", &TOptions::ErrorCount, 64},
      {"ErrorCount", "", &TOptions::ErrorCount, 4},
      {"ProxyPort", "70000", &TOptions::ProxyPort, 70000},
  };
  for (const auto& c : cases) {
    WriteRaw("Options", c.name, c.stored);
    TOptions o;
    o.LoadSettings();
    EXPECT_EQ(o.*c.field, c.expected) << c.name << "=" << c.stored;
  }
}

TEST_F(SettingsTest, FlagsAreIntegersNotZero) {
  WriteRaw("Options", "UseProxy", "2");
  WriteRaw("Options", "ReferingPage", "0");
  WriteRaw("Options", "RetryAll", "yes");
  TOptions o;
  o.LoadSettings();
  EXPECT_TRUE(o.UseProxy);
  EXPECT_FALSE(o.ReferingPage);
  EXPECT_FALSE(o.RetryAll);  // not a number: default
}

TEST_F(SettingsTest, SaveWritesStringsAndRoundTrips) {
  TOptions o;
  o.IndexFileName = "  default.htm \t";
  o.ProxyServer = " proxy.local ";
  o.ProxyPassword = "s3cr3t äö";
  o.MaxThreads = 200;
  o.UseProxy = true;
  o.DefaultLocalPath = "/srv/mirror";
  o.HTMLRecRows[2].Checked = false;
  o.HTMLRecRows.push_back({" PHP5 ", "PHP 5", false});
  o.HTMLRecRows.push_back({"", "empty", true});
  ASSERT_TRUE(o.SaveSettings());
  EXPECT_EQ(o.MaxThreads, 64);
  EXPECT_EQ(o.IndexFileName, "default.htm");

  const std::string text = FileText();
  EXPECT_NE(text.find("[Options]"), std::string::npos);
  EXPECT_NE(text.find("[HTMLRec]"), std::string::npos);
  EXPECT_NE(text.find("MaxThreads=64"), std::string::npos);
  EXPECT_NE(text.find("UseProxy=1"), std::string::npos);
  EXPECT_NE(text.find("EXT_Count=2"), std::string::npos);
  EXPECT_NE(text.find("EXT_ext_1=php5"), std::string::npos);
  EXPECT_EQ(text.find("s3cr3t"), std::string::npos);
  EXPECT_EQ(text.find("Runs"), std::string::npos);

  TOptions r;
  r.LoadSettings();
  EXPECT_EQ(r.IndexFileName, "default.htm");
  EXPECT_EQ(r.ProxyServer, "proxy.local");
  EXPECT_EQ(r.ProxyPassword, "s3cr3t äö");
  EXPECT_EQ(r.DefaultLocalPath, "/srv/mirror");
  EXPECT_TRUE(r.UseProxy);
  EXPECT_FALSE(r.HTMLRecRows[2].Checked);
  ASSERT_EQ(r.HTMLRecRows.size(), 12u);
  EXPECT_EQ(r.HTMLRecRows[10].Ext, "php5");
  EXPECT_FALSE(r.HTMLRecRows[10].Checked);
  EXPECT_EQ(r.HTMLRecRows[11].Description, "empty");
  // Every row's extension counts, whatever its check mark; empty ones never.
  EXPECT_TRUE(r.IsHTMLRecExtension(" PHP5 "));
  EXPECT_TRUE(r.IsHTMLRecExtension("shtml"));
  EXPECT_FALSE(r.IsHTMLRecExtension(""));
  EXPECT_EQ(r.HTMLRecList.size(), 11u);
}

TEST_F(SettingsTest, RowsBeyondCountAreIgnoredAndHostileCountIsBounded) {
  WriteRaw("HTMLRec", "EXT_Count", "1");
  WriteRaw("HTMLRec", "EXT_ext_1", "Xyz");
  WriteRaw("HTMLRec", "EXT_ext_2", "left");
  TOptions o;
  o.LoadSettings();
  EXPECT_TRUE(o.IsHTMLRecExtension("xyz"));
  EXPECT_FALSE(o.IsHTMLRecExtension("left"));

  WriteRaw("HTMLRec", "EXT_Count", "2147483647");
  TOptions big;
  big.LoadSettings();  // must finish quickly with bounded memory
  EXPECT_LE(big.HTMLRecRows.size(), 100010u);
  EXPECT_TRUE(big.IsHTMLRecExtension("left"));
}

TEST_F(SettingsTest, RecognitionRowsAreStoredUnderTheirNumberedNames) {
  TOptions o;
  o.HTMLRecRows[9].Checked = false;  // "asp"
  o.HTMLRecRows.push_back({"jsp", "JSP", true});
  o.HTMLRecRows.push_back({"xhtml", "X", false});
  ASSERT_TRUE(o.SaveSettings());
  std::string text = FileText();
  for (int n = 1; n <= 9; ++n)
    EXPECT_NE(text.find("Systemitem_" + std::to_string(n) + "=1\n"), std::string::npos) << n;
  EXPECT_NE(text.find("Systemitem_10=0\n"), std::string::npos);
  EXPECT_EQ(text.find("Systemitem_11"), std::string::npos);
  for (const char* line : {"EXT_Count=2\n", "EXT_ext_1=jsp\n", "EXT_inf_1=JSP\n", "EXT_chk_1=1\n",
                           "EXT_ext_2=xhtml\n", "EXT_inf_2=X\n", "EXT_chk_2=0\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;

  // Deleting the last user row lowers the count; its values stay and are ignored.
  o.HTMLRecRows.pop_back();
  ASSERT_TRUE(o.SaveSettings());
  text = FileText();
  EXPECT_NE(text.find("EXT_Count=1\n"), std::string::npos);
  EXPECT_NE(text.find("EXT_ext_2=xhtml\n"), std::string::npos);
  TOptions r;
  r.LoadSettings();
  EXPECT_EQ(r.HTMLRecRows.size(), 11u);
  EXPECT_FALSE(r.IsHTMLRecExtension("xhtml"));
  // An unchecked row still counts as hypertext: the marks are only kept and shown.
  EXPECT_FALSE(r.HTMLRecRows[9].Checked);
  EXPECT_TRUE(r.IsHTMLRecExtension("ASP "));
}

TEST_F(SettingsTest, PasswordScramblingIsUpperHexAndReversible) {
  for (std::string pw :
       {std::string(), std::string("a"), std::string("aaaa"), std::string("\x00\xff\x80 x", 5)}) {
    const std::string s = ScramblePassword(pw);
    ASSERT_EQ(s.size(), pw.size() * 2);
    for (char c : s)
      EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << s;
    EXPECT_EQ(UnscramblePassword(s), pw);
    EXPECT_EQ(UnscramblePassword(s + "7"), pw);  // odd trailing character ignored
  }
  EXPECT_NE(ScramblePassword("aa").substr(0, 2), ScramblePassword("aa").substr(2, 2));
  EXPECT_EQ(UnscramblePassword("zz"), "");
}

TEST_F(SettingsTest, CountStartStopsAtCeiling) {
  EXPECT_EQ(TOptions::CountStart(), 0);
  EXPECT_EQ(TOptions::CountStart(), 1);
  WriteRaw("Options", "Runs", "2147483639");
  EXPECT_EQ(TOptions::CountStart(), 2147483639);
  EXPECT_EQ(TOptions::CountStart(), 2147483640);
  EXPECT_EQ(TOptions::CountStart(), 2147483640);
  WriteRaw("Options", "Runs", "garbage");
  EXPECT_EQ(TOptions::CountStart(), 0);
  // Saving the options never touches the start count.
  TOptions o;
  ASSERT_TRUE(o.SaveSettings());
  EXPECT_EQ(TOptions::CountStart(), 1);
}

TEST_F(SettingsTest, AccessByName) {
  TOptions o;
  EXPECT_TRUE(o.SetByName("MaxThreads", "12"));
  EXPECT_FALSE(o.SetByName("MaxThreads", "many"));
  EXPECT_TRUE(o.SetByName("Options/UseProxy", "1"));
  EXPECT_TRUE(o.SetByName("Systemitem_10", "0"));
  EXPECT_FALSE(o.SetByName("Systemitem_11", "0"));
  EXPECT_FALSE(o.SetByName("EXT_ext_1", "x"));  // no user row yet
  EXPECT_TRUE(o.SetByName("EXT_Count", "1"));
  EXPECT_TRUE(o.SetByName("HTMLRec/EXT_ext_1", " JSP "));
  EXPECT_FALSE(o.SetByName("NoSuchValue", "1"));
  EXPECT_EQ(o.GetByName("MaxThreads"), "12");
  EXPECT_EQ(o.GetByName("UseProxy"), "1");
  EXPECT_EQ(o.GetByName("Systemitem_10"), "0");
  EXPECT_EQ(o.GetByName("EXT_ext_1"), "jsp");
  EXPECT_TRUE(o.IsHTMLRecExtension("jsp"));
  EXPECT_FALSE(o.GetByName("EXT_ext_2").has_value());
  const auto all = o.ListValues();
  ASSERT_EQ(all.size(), 27u + 10u + 1u + 3u);
  EXPECT_EQ(all.front().first, "Options/IndexFileName");
  EXPECT_EQ(all.back().first, "HTMLRec/EXT_chk_1");
}

TEST_F(SettingsTest, DefaultPathFollowsEnvironment) {
  EXPECT_EQ(SettingsStore::DefaultPath(), path_);
  unsetenv("TRAWLONIX_SETTINGS");
  setenv("XDG_CONFIG_HOME", "/tmp/xdg-test", 1);
  EXPECT_EQ(SettingsStore::DefaultPath(), "/tmp/xdg-test/Morvek/Trawlonix.conf");
  unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace trawlonix

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
