#include "model/ProjectSetup.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace trawlonix {
namespace {

using K = TSetupMessageKind;

TEST(ProjectSetup, StartUrlNormalisation) {
  struct Case {
    const char* in;
    const char* url;
    const char* proposed;  // with an empty name field
  } cases[] = {
      {"www.example.com", "http://www.example.com/", "example"},
      {"  127.0.0.1:8080\\dir\\page.html ", "http://127.0.0.1:8080/dir/page.html", "127_0_0_1"},
      {"HTTP://WWW.Example.COM", "http://www.example.com/", "example"},
      {"http://host/dir/noext", "http://host/dir/noext", "host"},
      {"ftp://ftp.example.co.uk/pub/", "ftp://ftp.example.co.uk/pub/", "ftp_example_co"},
      {"http://host/a?x=1#frag", "http://host/a?x=1", "host"},
      {"   ", "", ""},
  };
  for (const Case& c : cases) {
    const TStartUrlChange ch = NormaliseStartUrl(c.in, "");
    EXPECT_EQ(ch.url, c.url) << c.in;
    EXPECT_EQ(ch.projectName, c.proposed) << c.in;
    EXPECT_TRUE(ch.messages.empty()) << c.in;
    EXPECT_FALSE(ch.credentialsMoved);
  }
  // A name already typed is never replaced.
  EXPECT_EQ(NormaliseStartUrl("www.example.com", "Mine").projectName, "Mine");
}

TEST(ProjectSetup, ProjectNameProposal) {
  const std::pair<const char*, const char*> cases[] = {
      {"www.example.com", "example"},
      {"ftp.example.co.uk", "ftp_example_co"},
      {"www.a.b.com", "a.b"},
      {"example.com", "example_com"},
      {"192.168.0.1", "192_168_0_1"},
      {"WWW.x.org", "x"},
      {"localhost", "localhost"},
      {"www.com", "com"},
      {"a.b.", "a_b_"},
  };
  for (const auto& [host, name] : cases)
    EXPECT_EQ(ProposeProjectName(host), name) << host;
}

TEST(ProjectSetup, CredentialsMoveToTheRecord) {
  const std::string longUser(200, 'u');
  const TStartUrlChange ch = NormaliseStartUrl("http://" + longUser + ":pw@127.0.0.1/d/", "");
  EXPECT_EQ(ch.url, "http://127.0.0.1/d/");
  ASSERT_EQ(ch.messages.size(), 1u);
  EXPECT_EQ(ch.messages[0], (TSetupMessage{K::Information, setup_text::kCredentialsMoved}));
  EXPECT_EQ(ch.username, std::string(128, 'u'));
  EXPECT_EQ(ch.password, "pw");
  TrawlonixDefinition def;
  ApplyCredentials(ch, def);
  EXPECT_TRUE(def.UsePwd);
  EXPECT_EQ(def.Username.size(), 128u);
  EXPECT_EQ(def.Password, "pw");
}

TEST(ProjectSetup, BadPortIsReportedAndRemoved) {
  const TStartUrlChange ch = NormaliseStartUrl("http://host:abc/", "n");
  EXPECT_EQ(ch.url, "http://host/");
  ASSERT_EQ(ch.messages.size(), 1u);
  EXPECT_EQ(ch.messages[0].kind, K::Error);
  EXPECT_EQ(ch.messages[0].text, "所指定的端口名称 abc 无效！");
  EXPECT_TRUE(NormaliseStartUrl("http://host:8080/", "n").messages.empty());
  // A new project is refused (not created on another port) for a port that
  // is no number from 1 to 65535; an IPv6 literal keeps its own colons.
  const struct {
    const char* url;
    bool ok;
    const char* url2;
    const char* name;
  } cases[] = {
      {"http://host:99999/", false, "", ""},
      {"http://host:0/", false, "", ""},
      {"http://host:x1/", false, "", ""},
      {"http://host:65535/", true, "http://host:65535/", "host"},
      {"http://[::1]:8701/", true, "http://[::1]:8701/", "[__1]"},
      {"http://[::1]:70000/", false, "", ""},
  };
  for (const auto& c : cases) {
    TrawlonixDefinition def;
    std::string url = c.url;
    std::string name;
    const TSetupReport r = SetupGeneral(def, url, name);
    EXPECT_EQ(r.ok, c.ok) << c.url;
    if (!c.ok) {
      ASSERT_FALSE(r.messages.empty()) << c.url;
      EXPECT_EQ(r.messages.back().kind, K::Error) << c.url;
      continue;
    }
    EXPECT_EQ(def.StartingUrl, c.url2);
    EXPECT_EQ(def.ProjectName, c.name);
  }
}

TEST(ProjectSetup, GeneralPageValidation) {
  struct Case {
    const char* url;
    const char* name;
    const char* error;  // nullptr: passes
  } cases[] = {
      {"", "x", setup_text::kNoStartPage},
      {"  ", "x", setup_text::kNoStartPage},
      {"ftp://host/", "x", setup_text::kOnlyHttp},
      {"https://host/", "x", setup_text::kOnlyHttp},
      {"http:///x/", "  ", setup_text::kNoProjectName},  // no host to propose from
      {"127.0.0.1/x/", "", nullptr},
      {"HTTP://host/", "x", nullptr},
  };
  for (const Case& c : cases) {
    TrawlonixDefinition def;
    std::string url = c.url;
    std::string name = c.name;
    const TSetupReport r = SetupGeneral(def, url, name);
    if (c.error == nullptr) {
      EXPECT_TRUE(r.ok) << c.url;
      EXPECT_TRUE(r.messages.empty()) << c.url;
    } else {
      ASSERT_FALSE(r.ok) << c.url;
      EXPECT_EQ(r.messages.back(), (TSetupMessage{K::Error, c.error})) << c.url;
    }
  }
  // The record receives what the fields show; the messages come once.
  TrawlonixDefinition def;
  std::string url = "a:b@www.example.com";
  std::string name;
  const TSetupReport r = SetupGeneral(def, url, name);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(def.StartingUrl, "http://www.example.com/");
  EXPECT_EQ(url, def.StartingUrl);
  EXPECT_EQ(def.ProjectName, "example");
  EXPECT_EQ(def.Username, "a");
  EXPECT_TRUE(def.UsePwd);
  std::string longName(300, 'n');
  SetupGeneral(def, url, longName);
  EXPECT_EQ(def.ProjectName.size(), 128u);
}

TEST(ProjectSetup, ListPrefixNormalisation) {
  struct Case {
    const char* in;
    const char* url;
    std::vector<TSetupMessage> messages;
  } cases[] = {
      {"host/dir/page.html", "http://host/dir/", {{K::Information, setup_text::kNoFileName}}},
      {"host/dir", "http://host/dir/", {}},
      {"host", "http://host/", {}},
      {"ftp://u:p@host/d/", "http://host/d/", {}},
      {"host:x/d/", "http://host/d/", {{K::Error, "所指定的端口 x 无效！"}}},
      {"host/d/?q=1", "http://host/d/?q=1", {}},
      {"", "", {}},
  };
  for (const Case& c : cases) {
    const TPrefixChange ch = NormaliseListPrefix(c.in);
    EXPECT_EQ(ch.url, c.url) << c.in;
    EXPECT_EQ(ch.messages, c.messages) << c.in;
  }
  std::string out;
  EXPECT_FALSE(CheckListEntry(" ", out).ok);
  EXPECT_EQ(CheckListEntry(" ", out).messages.back().text, setup_text::kNoUrl);
  EXPECT_TRUE(CheckListEntry("host", out).ok);
  EXPECT_EQ(out, "http://host/");
}

TEST(ProjectSetup, LocalPath) {
  EXPECT_EQ(NormaliseLocalPath("  C:\\web\\ "), "C:/web");
  EXPECT_EQ(NormaliseLocalPath("/srv//"), "/srv/");
  EXPECT_EQ(CheckLocalPath("")->text, setup_text::kNoLocalPath);
  EXPECT_EQ(CheckLocalPath("/no/such/dir/here")->text, setup_text::kLocalPathMissing);
  EXPECT_EQ(CheckLocalPath("/etc/hostname")->text, setup_text::kLocalPathMissing);
  EXPECT_FALSE(CheckLocalPath("/tmp").has_value());
}

TEST(ProjectSetup, WizardPageOrder) {
  TrawlonixDefinition def;  // saves files, no list modes
  std::vector<int> forward{0};
  while (forward.back() != 8)
    forward.push_back(NextWizardPage(forward.back(), def));
  EXPECT_EQ(forward, (std::vector<int>{0, 1, 2, 3, 4, 5, 8}));
  EXPECT_EQ(PreviousWizardPage(8, def), 5);

  def.actSaveFiles = false;
  def.LimitLinked = lmPositiveNotNegative;  // both lists
  forward = {0};
  while (forward.back() != 8)
    forward.push_back(NextWizardPage(forward.back(), def));
  EXPECT_EQ(forward, (std::vector<int>{0, 1, 2, 4, 5, 6, 7, 8}));
  std::vector<int> back{8};
  while (back.back() != 0)
    back.push_back(PreviousWizardPage(back.back(), def));
  EXPECT_EQ(back, (std::vector<int>{8, 7, 6, 5, 4, 2, 1, 0}));

  def.LimitLinked = lmNotInNegativeList;
  EXPECT_EQ(NextWizardPage(5, def), 7);
  EXPECT_EQ(PreviousWizardPage(7, def), 5);
  EXPECT_EQ(PreviousWizardPage(8, def), 7);
}

TEST(ProjectSetup, WholeRecordValidation) {
  TrawlonixDefinition def;
  def.StartingUrl = "127.0.0.1/site/";
  def.LocalPath = "/tmp/";
  TSetupReport r = ValidateNewProject(def);
  ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages.back().text);
  EXPECT_EQ(def.LocalPath, "/tmp");
  EXPECT_EQ(def.ProjectName, "127_0_0_1");

  def.LimitHtDocs = lmPositiveListOnly;
  r = ValidateNewProject(def);
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.messages.back().text, setup_text::kPositiveListEmpty);

  *def.Positivlist = {"127.0.0.1/site/index.html"};
  r = ValidateNewProject(def);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(*def.Positivlist, TStringList{"http://127.0.0.1/site/"});
  EXPECT_EQ(r.messages.back().text, setup_text::kNoFileName);

  def.LimitLinked = lmThisServerNotNegative;
  EXPECT_EQ(ValidateNewProject(def).messages.back().text, setup_text::kNegativeListEmpty);

  def.LimitLinked = lmThisServer;
  def.LocalPath = "";
  EXPECT_EQ(ValidateNewProject(def).messages.back().text, setup_text::kNoLocalPath);
  def.actSaveFiles = false;  // the local page is skipped, its path not checked
  EXPECT_TRUE(ValidateNewProject(def).ok);
}

}  // namespace
}  // namespace trawlonix
