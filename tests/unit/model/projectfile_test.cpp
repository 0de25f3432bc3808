#include "model/projectfile.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace trawlonix {
namespace {

// ---- helpers -------------------------------------------------------------------

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/txp_test_XXXXXX";
    path_ = ::mkdtemp(tmpl);
  }
  ~TempDir() {
    if (DIR* d = ::opendir(path_.c_str())) {
      while (dirent* e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n == "." || n == "..") continue;
        const std::string p = path_ + "/" + n;
        if (::unlink(p.c_str()) != 0) ::rmdir(p.c_str());
      }
      ::closedir(d);
    }
    ::rmdir(path_.c_str());
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(path_.c_str())) {
      while (dirent* e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
      }
      ::closedir(d);
    }
    return names;
  }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

// Builds project files byte by byte, as older versions wrote them.
class Bytes {
 public:
  Bytes& Header(int major, int minor, int resume = 0,
                std::string_view sig = "Trawlonix Project File") {
    s_ += std::string("\x5D\x2F\x5C\x40", 4);
    s_ += sig;
    Byte(major).Byte(minor).Byte(resume);
    return *this;
  }
  Bytes& Byte(int b) {
    s_.push_back(static_cast<char>(b));
    return *this;
  }
  Bytes& Word(int w) { return Byte(w & 0xFF).Byte((w >> 8) & 0xFF); }
  Bytes& Int32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return Byte(u & 0xFF).Byte((u >> 8) & 0xFF).Byte((u >> 16) & 0xFF).Byte(u >> 24);
  }
  Bytes& Text(std::string_view t) {
    s_ += t;
    return Byte(0);
  }
  Bytes& List(std::initializer_list<std::string_view> items) {
    for (auto i : items)
      Text(i);
    return Byte(0);
  }
  // A record with the given limit bytes; layout decides which tail fields follow.
  Bytes& Record(int layout, std::array<int, 4> limits, std::string_view user = "user",
                int maxLevel = 7) {
    Text("http://127.0.0.1/start/").Text("Demo").Byte(1).Word(maxLevel).Byte(1);
    Text(user).Text("pw").Byte(1).Byte(0).Byte(1).Byte(1).Byte(2);
    Text("/srv/mirror").Byte(0).Byte(1);
    for (int l : limits)
      Byte(l);
    if (layout >= 2) List({"http://127.0.0.1/pos/"}).List({"http://127.0.0.1/neg/"});
    if (layout >= 3) Byte(0).List({"exe", "cgi"}).Byte(1);
    return *this;
  }
  Bytes& Entry(int texts, bool fetched, std::int32_t level, std::string_view file,
               std::int32_t referrer) {
    Byte('a').Byte(fetched ? 1 : 0).Int32(level);
    Text("http").Text("").Text("").Text("127.0.0.1").Text("8080").Text("/dir/").Text(file);
    if (texts == 9) Text("q=1");
    Text("html").Byte(0).Int32(referrer);
    return *this;
  }
  Bytes& Redirect(std::int32_t number, std::string_view query) {
    Byte('b').Int32(number);
    Text("http").Text("").Text("").Text("127.0.0.1").Text("").Text("/cgi/").Text("s.cgi");
    return Text(query).Text("cgi");
  }
  const std::string& str() const { return s_; }

 private:
  std::string s_;
};

TURL MakeURL(const std::string& file, const std::string& query = "") {
  TURL u;
  u.Protocol = "http";
  u.Host = "127.0.0.1";
  u.Port = "8080";
  u.Path = "/d/";
  u.FileName = file;
  u.Query = query;
  u.Ext = "html";
  return u;
}

struct Project {
  TrawlonixDefinition def;
  TSpiderList spider;
  TCGIRedirectList redirects;
};

TOpenResult OpenInto(Project& p, const std::string& path, const TProgressFn& fn = {}) {
  return OpenProject(path, p.def, p.spider, p.redirects, fn);
}

// ---- round trip ------------------------------------------------------------------

TEST(ProjectFile, RoundTripKeepsEveryStoredField) {
  TempDir dir;
  Project a;
  a.def.StartingUrl = "http://127.0.0.1:8080/start/\xC4\xE3.html";
  a.def.ProjectName = "Demo";
  a.def.LevelLimit = true;
  a.def.MaxLevel = 300;
  a.def.UsePwd = true;
  a.def.Username = "alice";
  a.def.Password = "s\xFF";
  a.def.actSaveFiles = false;
  a.def.actEMails = false;
  a.def.actBLinks = false;
  a.def.actCollect = true;
  a.def.actColOpt = coAllLinks;
  a.def.LocalPath = "/srv/m";
  a.def.ChgLocLink = false;
  a.def.ChgExtLink = false;
  a.def.ChgJScriptLink = false;
  a.def.LimitHtDocs = lmPositiveNotNegative;
  a.def.LimitIlImages = lmThisServerNotNegative;
  a.def.LimitEmbeded = lmNeverDownload;
  a.def.LimitLinked = lmUnlimited;
  *a.def.Positivlist = {"http://127.0.0.1/a/", "http://127.0.0.1/b/"};
  *a.def.Negativlist = {"http://127.0.0.1/c/"};
  *a.def.HTMLRenList = {"exe", "php"};
  a.def.OnlyRenameSkriptURL = false;
  a.def.StrictUrl = true;
  a.def.Modified = true;
  a.spider.AddURL(MakeURL("index.html"), -10, 0);
  a.spider.AddURL(MakeURL("x.html", "k=v"), 0, 1);
  a.spider.AddURL(MakeURL("y.html"), 1, 2);
  a.spider.MarkFetched(0);
  a.spider.MarkBroken(2);
  a.spider.MarkFailed(1);
  a.redirects.NumberFor(MakeURL("s.cgi", "a"));
  a.redirects.NumberFor(MakeURL("s.cgi", "b"));

  std::vector<std::string> texts;
  const std::string path = dir.File("p.txp");
  const TSaveResult saved = SaveProject(path, a.def, a.spider, a.redirects,
                                        [&](const std::string& t) { texts.push_back(t); });
  ASSERT_TRUE(saved.ok) << saved.message;
  EXPECT_TRUE(saved.resume);
  EXPECT_FALSE(a.def.Modified);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front(), "正在保存方案...");
  EXPECT_EQ(texts.back(), "正在写入转向信息...        100% 已完成");
  EXPECT_NE(std::find(texts.begin(), texts.end(), "正在写入再继续信息...        33% 已完成"),
            texts.end());

  Project b;
  b.def.Modified = true;
  b.spider.MaxErrors = 17;
  texts.clear();
  const TOpenResult r = OpenInto(b, path, [&](const std::string& t) { texts.push_back(t); });
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_TRUE(r.resume);
  EXPECT_EQ(r.info, "方案中包含有再继续的信息。您可以用 \"开始\" 按钮再继续一个被中断了的过程。");
  EXPECT_EQ(r.version, 0x0207);
  EXPECT_EQ(r.localRoot, "/srv/m/");
  EXPECT_EQ(texts.front(), "正在加载方案...");
  EXPECT_EQ(texts.back(), "正在读取转向信息...        100% 已完成");

  EXPECT_FALSE(b.def.Modified);
  EXPECT_EQ(b.def.StartingUrl, a.def.StartingUrl);
  EXPECT_EQ(b.def.ProjectName, a.def.ProjectName);
  EXPECT_EQ(b.def.MaxLevel, 300);
  EXPECT_TRUE(b.def.LevelLimit);
  EXPECT_TRUE(b.def.UsePwd);
  EXPECT_EQ(b.def.Username, "alice");
  EXPECT_EQ(b.def.Password, "s\xFF");
  EXPECT_FALSE(b.def.actSaveFiles || b.def.actEMails || b.def.actBLinks);
  EXPECT_TRUE(b.def.actCollect);
  EXPECT_EQ(b.def.actColOpt, coAllLinks);
  EXPECT_EQ(b.def.LocalPath, "/srv/m");
  EXPECT_FALSE(b.def.ChgLocLink || b.def.ChgExtLink);
  EXPECT_TRUE(b.def.ChgJScriptLink);  // not stored: always the default after opening
  EXPECT_EQ(b.def.LimitHtDocs, lmPositiveNotNegative);
  EXPECT_EQ(b.def.LimitIlImages, lmThisServerNotNegative);
  EXPECT_EQ(b.def.LimitEmbeded, lmNeverDownload);
  EXPECT_EQ(b.def.LimitLinked, lmUnlimited);
  EXPECT_EQ(*b.def.Positivlist, *a.def.Positivlist);
  EXPECT_EQ(*b.def.Negativlist, *a.def.Negativlist);
  EXPECT_EQ(*b.def.HTMLRenList, *a.def.HTMLRenList);
  EXPECT_FALSE(b.def.OnlyRenameSkriptURL);
  EXPECT_TRUE(b.def.StrictUrl);

  EXPECT_EQ(b.spider.MaxErrors, 5);
  ASSERT_EQ(b.spider.Count(), 3);
  for (std::int32_t i = 0; i < 3; ++i) {
    const AGetEntry& x = a.spider[i];
    const AGetEntry& y = b.spider[i];
    EXPECT_EQ(y.URL, x.URL) << i;
    EXPECT_EQ(y.Fetched, x.Fetched) << i;
    EXPECT_EQ(y.Broken, x.Broken) << i;
    EXPECT_EQ(y.Level, x.Level) << i;
    EXPECT_EQ(y.Referrer, x.Referrer) << i;
    EXPECT_EQ(y.Failures, 0) << i;
    EXPECT_FALSE(y.FetchedThisRun || y.InProgress) << i;
  }
  ASSERT_EQ(b.redirects.Count(), 2);
  EXPECT_EQ(b.redirects[1].Query, "b");
  EXPECT_EQ(b.redirects[1].Number, 1);
  EXPECT_EQ(static_cast<const TURL&>(b.redirects[0]), static_cast<const TURL&>(a.redirects[0]));

  // What is read back writes the same bytes again.
  const std::string first = ReadFile(path);
  ASSERT_TRUE(SaveProject(path, b.def, b.spider, b.redirects).ok);
  EXPECT_EQ(ReadFile(path), first);
}

TEST(ProjectFile, WriterProducesTheDocumentedBytes) {
  // Compared with a file assembled field by field, so that a fault the
  // reader shares with the writer cannot hide.
  Project p;
  p.def.StartingUrl = "http://127.0.0.1/start/";
  p.def.ProjectName = "Demo";
  p.def.LevelLimit = true;
  p.def.MaxLevel = 0x0102;  // little-endian: 02 01
  p.def.UsePwd = true;
  p.def.Username = "user";
  p.def.Password = "pw";
  p.def.actSaveFiles = true;
  p.def.actEMails = false;
  p.def.actBLinks = true;
  p.def.actCollect = true;
  p.def.actColOpt = coAllLinks;
  p.def.LocalPath = "/srv/mirror";
  p.def.ChgLocLink = false;
  p.def.ChgExtLink = true;
  p.def.ChgJScriptLink = false;  // not in the file
  p.def.LimitHtDocs = lmPositiveNotNegative;
  p.def.LimitIlImages = lmThisServerNotNegative;
  p.def.LimitEmbeded = lmThisServer;
  p.def.LimitLinked = lmNeverDownload;
  *p.def.Positivlist = {"http://127.0.0.1/pos/"};
  *p.def.Negativlist = {"http://127.0.0.1/neg/"};
  p.def.OnlyRenameSkriptURL = false;
  *p.def.HTMLRenList = {"exe", "cgi"};
  p.def.StrictUrl = true;
  TURL u;
  u.Protocol = "http";
  u.Host = "127.0.0.1";
  u.Port = "8080";
  u.Path = "/dir/";
  u.Query = "q=1";
  u.Ext = "html";
  u.FileName = "index.html";
  p.spider.AddURL(u, -10, 0);
  u.FileName = "a.html";
  p.spider.AddURL(u, 0, 1);
  p.spider.MarkFetched(0);
  TURL s;
  s.Protocol = "http";
  s.Host = "127.0.0.1";
  s.Path = "/cgi/";
  s.FileName = "s.cgi";
  s.Ext = "cgi";
  s.Query = "x=1";
  p.redirects.NumberFor(s);
  s.Query = "x=2";
  p.redirects.NumberFor(s);

  Bytes want;
  want.Header(2, 7, 1).Record(3, {6, 5, 2, 8}, "user", 0x0102);
  want.Entry(9, true, 0, "index.html", -10).Entry(9, false, 1, "a.html", 0).Byte('Z');
  want.Redirect(0, "x=1").Redirect(1, "x=2").Byte('Z');

  TempDir dir;
  const std::string path = dir.File("bytes.txp");
  ASSERT_TRUE(SaveProject(path, p.def, p.spider, p.redirects).ok);
  EXPECT_EQ(ReadFile(path), want.str());
}

TEST(ProjectFile, ReadProgressCountsThePositionAfterTheNextMark) {
  // Percentage = 100 * (p + 1) / s, p being the position just after the
  // mark that follows an entry or record, s the file size.
  Bytes b;
  b.Header(2, 7).Record(3, {1, 2, 2, 2});
  std::vector<std::size_t> spiderMarks;
  for (const char* f : {"a.html", "b.html", "c.html"}) {
    b.Entry(9, false, 0, f, -10);
    spiderMarks.push_back(b.str().size() + 1);
  }
  b.Byte('Z').Redirect(0, "x=1");
  const std::size_t redirectMark = b.str().size() + 1;
  b.Byte('Z');
  const double size = static_cast<double>(b.str().size());
  auto text = [&](const char* format, std::size_t p) {
    char buf[128];
    std::snprintf(buf, sizeof buf, format,
                  static_cast<int>(std::lround(100.0 * static_cast<double>(p + 1) / size)));
    return std::string(buf);
  };
  std::vector<std::string> want = {"正在加载方案..."};
  for (std::size_t p : spiderMarks)
    want.push_back(text("正在读取再继续信息...        %d%% 已完成", p));
  want.push_back(text("正在读取转向信息...        %d%% 已完成", redirectMark));

  TempDir dir;
  const std::string path = dir.File("progress.txp");
  WriteFile(path, b.str());
  Project p;
  std::vector<std::string> got;
  ASSERT_TRUE(OpenInto(p, path, [&](const std::string& t) { got.push_back(t); }).ok);
  EXPECT_EQ(got, want);
}

TEST(ProjectFile, EmptyProjectEndsWithTwoEndMarksAndNoResume) {
  TempDir dir;
  Project p;
  const std::string path = dir.File("e.txp");
  const TSaveResult s = SaveProject(path, p.def, p.spider, p.redirects);
  ASSERT_TRUE(s.ok);
  EXPECT_FALSE(s.resume);
  const std::string data = ReadFile(path);
  ASSERT_GE(data.size(), 31u);
  EXPECT_EQ(data.substr(data.size() - 2), "ZZ");
  EXPECT_EQ(data.substr(0, 29), Bytes().Header(2, 7, 0).str());
  Project q;
  const TOpenResult r = OpenInto(q, path);
  ASSERT_TRUE(r.ok);
  EXPECT_FALSE(r.resume);
  EXPECT_TRUE(r.info.empty());
  EXPECT_EQ(*q.def.HTMLRenList, TStringList{"dll"});
}

TEST(ProjectFile, ListsNotInUseAreStoredEmptyAndBadEntriesKeepTheFileInStep) {
  TempDir dir;
  Project p;
  *p.def.Positivlist = {"http://127.0.0.1/p/"};
  *p.def.Negativlist = {"http://127.0.0.1/n/"};
  // An empty entry or an embedded 0 byte must not shift the following fields.
  *p.def.HTMLRenList = {"a", "", std::string("b\0c", 3), std::string("\0", 1)};
  p.def.StartingUrl = std::string("http://127.0.0.1/\0tail", 22);
  p.def.StrictUrl = true;
  const std::string path = dir.File("l.txp");
  ASSERT_TRUE(SaveProject(path, p.def, p.spider, p.redirects).ok);
  Project q;
  ASSERT_TRUE(OpenInto(q, path).ok);
  EXPECT_TRUE(q.def.Positivlist->empty());
  EXPECT_TRUE(q.def.Negativlist->empty());
  EXPECT_EQ(*q.def.HTMLRenList, (TStringList{"a", "b"}));
  EXPECT_EQ(q.def.StartingUrl, "http://127.0.0.1/");
  EXPECT_TRUE(q.def.StrictUrl);

  p.def.LimitLinked = lmThisServerNotNegative;  // negative list only
  ASSERT_TRUE(SaveProject(path, p.def, p.spider, p.redirects).ok);
  ASSERT_TRUE(OpenInto(q, path).ok);
  EXPECT_TRUE(q.def.Positivlist->empty());
  EXPECT_EQ(*q.def.Negativlist, TStringList{"http://127.0.0.1/n/"});
}

// ---- older versions ---------------------------------------------------------------

TEST(ProjectFile, OlderVersionsReadWithTheirLayouts) {
  struct Case {
    int major, minor, layout;
  } cases[] = {{0, 9, 1}, {1, 5, 1}, {1, 6, 2}, {2, 5, 2}, {2, 6, 3}, {2, 7, 3}};
  // Stored limit bytes 3, 5, 6, 9 and what each layout makes of them.
  const std::array<int, 4> stored = {3, 5, 6, 9};
  const std::map<int, std::array<TLimitMode, 4>> expected = {
      {1, {lmUnlimited, lmStartDirAndBelow, lmStartDirAndBelow, lmStartDirAndBelow}},
      {2, {lmPositiveListOnly, lmUnlimited, lmNeverDownload, lmStartDirAndBelow}},
      {3, {lmPositiveListOnly, lmThisServerNotNegative, lmPositiveNotNegative, lmStartDirAndBelow}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
    const int texts = c.layout == 1 ? 8 : 9;
    Bytes b;
    b.Header(c.major, c.minor, 1).Record(c.layout, stored);
    b.Entry(texts, true, 0, "index.html", -10).Entry(texts, false, 1, "a.html", 0).Byte('Z');
    if (c.layout >= 2) b.Redirect(0, "x=1").Redirect(4, "x=2").Byte('Z');
    const std::string path = dir.File("old.txp");
    WriteFile(path, b.str());

    Project p;
    p.def.StrictUrl = true;
    p.redirects.NumberFor(MakeURL("stale.cgi", "q"));
    const TOpenResult r = OpenInto(p, path);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_TRUE(r.resume);
    EXPECT_EQ(p.def.StartingUrl, "http://127.0.0.1/start/");
    EXPECT_EQ(p.def.MaxLevel, 7);
    EXPECT_EQ(p.def.actColOpt, 2);
    EXPECT_FALSE(p.def.ChgLocLink);
    const std::array<TLimitMode, 4> got = {p.def.LimitHtDocs, p.def.LimitIlImages,
                                           p.def.LimitEmbeded, p.def.LimitLinked};
    EXPECT_EQ(got, expected.at(c.layout));
    ASSERT_EQ(p.spider.Count(), 2);
    EXPECT_EQ(p.spider[1].URL.FileName, "a.html");
    EXPECT_EQ(p.spider[1].URL.Ext, "html");
    EXPECT_EQ(p.spider[1].URL.Query, texts == 9 ? "q=1" : "");
    EXPECT_EQ(p.spider[0].Referrer, -10);
    EXPECT_TRUE(p.spider[0].Fetched);
    if (c.layout == 1) {
      EXPECT_TRUE(p.def.Positivlist->empty());
      EXPECT_EQ(p.redirects.Count(), 0);
    } else {
      EXPECT_EQ(*p.def.Positivlist, TStringList{"http://127.0.0.1/pos/"});
      EXPECT_EQ(*p.def.Negativlist, TStringList{"http://127.0.0.1/neg/"});
      ASSERT_EQ(p.redirects.Count(), 2);
      EXPECT_EQ(p.redirects[1].Number, 4);
    }
    if (c.layout == 3) {
      EXPECT_EQ(*p.def.HTMLRenList, (TStringList{"exe", "cgi"}));
      EXPECT_FALSE(p.def.OnlyRenameSkriptURL);
      EXPECT_TRUE(p.def.StrictUrl);
    } else {
      EXPECT_EQ(*p.def.HTMLRenList, TStringList{"dll"});
      EXPECT_TRUE(p.def.OnlyRenameSkriptURL);
      EXPECT_FALSE(p.def.StrictUrl);
    }
  }
}

TEST(ProjectFile, FieldReadingRules) {
  TempDir dir;
  // Boolean 2 is false; a 200-byte user name keeps 128 and the file stays in
  // step; an empty rename list stays empty in layout 3.
  Bytes b;
  b.Header(2, 7).Text("u").Text(std::string(300, 'n')).Byte(2).Word(1).Byte(1);
  b.Text(std::string(200, 'x')).Text(std::string(130, 'p')).Byte(1).Byte(1).Byte(1).Byte(0);
  b.Byte(9).Text(std::string(300, 'L')).Byte(1).Byte(1).Byte(0).Byte(1).Byte(2).Byte(2);
  b.List({}).List({}).Byte(1).List({}).Byte(2).Byte('Z').Byte('Z');
  const std::string path = dir.File("f.txp");
  WriteFile(path, b.str());
  Project p;
  const TOpenResult r = OpenInto(p, path);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_FALSE(p.def.LevelLimit);
  EXPECT_EQ(p.def.ProjectName.size(), 128u);
  EXPECT_EQ(p.def.Username, std::string(128, 'x'));
  EXPECT_EQ(p.def.Password.size(), 128u);
  EXPECT_EQ(p.def.LocalPath.size(), 255u);
  EXPECT_EQ(static_cast<int>(p.def.actColOpt), 9);  // taken as stored
  EXPECT_TRUE(p.def.HTMLRenList->empty());
  EXPECT_FALSE(p.def.StrictUrl);
}

// ---- refused files ------------------------------------------------------------------

TEST(ProjectFile, RefusedHeadersLeaveTheOpenProjectAlone) {
  const std::string good = Bytes().Header(2, 7).Record(3, {1, 2, 2, 2}).Byte('Z').Byte('Z').str();
  struct Case {
    const char* what;
    std::string data;
    const char* message;
  } cases[] = {
      {"empty", "", txp_text::kNotProject},
      {"28 bytes", good.substr(0, 28), txp_text::kNotProject},
      {"wrong case", Bytes().Header(2, 7, 0, "trawlonix Project File").str() + good.substr(29),
       txp_text::kNotProject},
      {"wrong magic", "\x5E" + good.substr(1), txp_text::kNotProject},
      {"2.8", Bytes().Header(2, 8).str() + good.substr(29), txp_text::kNewerVersion},
      {"3.0", Bytes().Header(3, 0).str() + good.substr(29), txp_text::kNewerVersion},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.File("r.txp");
    WriteFile(path, c.data);
    Project p;
    p.def.ProjectName = "kept";
    p.def.Modified = true;
    p.spider.AddURL(MakeURL("keep.html"), -10, 0);
    p.spider.MaxErrors = 9;
    p.redirects.NumberFor(MakeURL("k.cgi", "a"));
    const TOpenResult r = OpenInto(p, path);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.discarded);
    EXPECT_EQ(r.message, c.message);
    EXPECT_FALSE(p.def.Modified);
    EXPECT_EQ(p.def.ProjectName, "kept");
    EXPECT_EQ(p.spider.Count(), 1);
    EXPECT_EQ(p.spider.MaxErrors, 9);
    EXPECT_EQ(p.redirects.Count(), 1);
  }
  Project p;
  EXPECT_EQ(OpenInto(p, dir.File("missing.txp")).message, txp_text::kReadError);
  EXPECT_EQ(OpenInto(p, "/tmp").message, txp_text::kReadError);  // a directory
}

TEST(ProjectFile, FileCutAtEveryOffsetFailsCleanly) {
  Project src;
  src.def.StartingUrl = "http://127.0.0.1/";
  src.def.LimitHtDocs = lmPositiveNotNegative;
  *src.def.Positivlist = {"http://127.0.0.1/p/"};
  *src.def.Negativlist = {"http://127.0.0.1/n/"};
  src.spider.AddURL(MakeURL("a.html"), -10, 0);
  src.spider.AddURL(MakeURL("b.html", "q"), 0, 1);
  src.redirects.NumberFor(MakeURL("s.cgi", "x"));
  TempDir dir;
  const std::string path = dir.File("full.txp");
  ASSERT_TRUE(SaveProject(path, src.def, src.spider, src.redirects).ok);
  const std::string full = ReadFile(path);
  const std::string cut = dir.File("cut.txp");
  for (std::size_t len = 0; len < full.size(); ++len) {
    WriteFile(cut, full.substr(0, len));
    Project p;
    const TOpenResult r = OpenInto(p, cut);
    ASSERT_FALSE(r.ok) << len;
    ASSERT_EQ(r.message, len < 29 ? txp_text::kNotProject : txp_text::kReadError) << len;
  }
}

TEST(ProjectFile, HostileContentIsBounded) {
  TempDir dir;
  const std::string path = dir.File("h.txp");
  Project p;
  // A Text that never ends.
  WriteFile(path, Bytes().Header(2, 7).str() + std::string(100000, 'u'));
  EXPECT_EQ(OpenInto(p, path).message, txp_text::kReadError);

  // A stray mark ends the spider section; the redirect section starts after it.
  Bytes stray;
  stray.Header(2, 7).Record(3, {1, 2, 2, 2}).Entry(9, false, 0, "a.html", -10).Byte('b');
  stray.Redirect(3, "x").Byte('?').Byte('J').Byte('U').Byte('N').Byte('K');
  WriteFile(path, stray.str());
  const TOpenResult r = OpenInto(p, path);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(p.spider.Count(), 1);
  ASSERT_EQ(p.redirects.Count(), 1);
  EXPECT_EQ(p.redirects[0].Number, 3);

  // Many records: memory and time grow with the file, nothing more.
  Bytes many;
  many.Header(2, 7).Record(3, {1, 2, 2, 2});
  const int n = 100000;
  for (int i = 0; i < n; ++i)
    many.Entry(9, i % 2 == 0, i, "f" + std::to_string(i), i - 1);
  many.Byte('Z').Byte('Z');
  WriteFile(path, many.str());
  std::vector<std::string> texts;
  ASSERT_TRUE(OpenInto(p, path, [&](const std::string& t) { texts.push_back(t); }).ok);
  EXPECT_EQ(p.spider.Count(), n);
  EXPECT_EQ(p.spider[n - 1].URL.FileName, "f" + std::to_string(n - 1));
  EXPECT_LE(texts.size(), 110u);  // one text per percentage step, not per entry
}

TEST(ProjectFile, RandomlyDamagedFilesReadWithoutHarm) {
  // Sections read straight from memory, as the open sequence reads them; a
  // damaged file either reads or throws the stream error, nothing else.
  Bytes b;
  b.Header(2, 7).Record(3, {6, 5, 2, 8});
  for (int i = 0; i < 20; ++i)
    b.Entry(9, i % 3 == 0, i, "p" + std::to_string(i), i - 1);
  b.Byte('Z').Redirect(0, "a").Redirect(1, "b").Byte('Z');
  const std::string good = b.str();
  std::uint32_t seed = 12345;
  auto rnd = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  int readOk = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string data = good;
    const int flips = 1 + static_cast<int>(rnd() % 8);
    for (int f = 0; f < flips; ++f) {
      const std::size_t at = 29 + rnd() % (data.size() - 29);
      data[at] = static_cast<char>(rnd() % 4 == 0 ? 0 : rnd() & 0xFF);
    }
    if (rnd() % 4 == 0) data.resize(29 + rnd() % (data.size() - 29));
    TxpReader in(data);
    Project p;
    try {
      const TProjectHeader h = ReadProjectHeader(in);
      ASSERT_TRUE(h.valid);
      ReadDefinition(p.def, in, 3);
      ReadSpiderList(p.spider, in, {}, 9);
      ReadRedirectList(p.redirects, in);
      ++readOk;
      EXPECT_LE(p.spider.Count(), 20 + flips);
      EXPECT_LE(in.Position(), data.size());
    } catch (const TxpStreamError&) {
    }
  }
  EXPECT_GT(readOk, 0);
}

// ---- failed saves ---------------------------------------------------------------------

class FailingWriter : public TxpWriter {
 public:
  FailingWriter(std::unique_ptr<TxpWriter> inner, std::size_t failAt, bool failFinish)
      : inner_(std::move(inner)), left_(failAt), failFinish_(failFinish) {}
  void Write(const void* data, std::size_t n) override {
    if (n > left_) {
      inner_->Write(data, left_);  // part of the bytes reach the file
      throw TxpStreamError("disk full");
    }
    left_ -= n;
    inner_->Write(data, n);
  }
  void SeekStart() override { inner_->SeekStart(); }
  void Finish() override {
    inner_->Finish();
    if (failFinish_) throw TxpStreamError("sync failed");
  }

 private:
  std::unique_ptr<TxpWriter> inner_;
  std::size_t left_;
  bool failFinish_;
};

TEST(ProjectFile, FailedSaveLeavesThePreviousFileIntact) {
  TempDir dir;
  const std::string path = dir.File("keep.txp");
  const std::string previous = "previous project bytes";
  Project p;
  p.spider.AddURL(MakeURL("a.html"), -10, 0);
  for (int i = 0; i < 3000; ++i)
    p.redirects.NumberFor(MakeURL("s.cgi", std::to_string(i)));
  TxpStringWriter probe;
  WriteProjectHeader(probe, true);
  WriteDefinition(p.def, probe);
  WriteSpiderList(p.spider, probe);
  WriteRedirectList(p.redirects, probe);
  const std::size_t total = probe.Data().size();
  ASSERT_GT(total, 70000u);  // more than one buffer, so part of it reached the disk

  for (std::size_t failAt :
       {std::size_t{0}, std::size_t{10}, std::size_t{29}, std::size_t{200}, total - 1, total}) {
    SCOPED_TRACE(failAt);
    WriteFile(path, previous);
    ::chmod(path.c_str(), 0640);
    p.def.Modified = true;
    const TSaveResult r =
        SaveProject(path, p.def, p.spider, p.redirects, {}, [&](std::unique_ptr<TxpWriter> inner) {
          return std::make_unique<FailingWriter>(std::move(inner), failAt, failAt == total);
        });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, txp_text::kWriteError);
    EXPECT_FALSE(p.def.Modified);
    EXPECT_EQ(ReadFile(path), previous);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"keep.txp"});  // no temporary left
  }
  // A successful save keeps the permissions of the file it replaces.
  ASSERT_TRUE(SaveProject(path, p.def, p.spider, p.redirects).ok);
  EXPECT_EQ(ReadFile(path), probe.Data());
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"keep.txp"});
}

TEST(ProjectFile, SaveThatCannotCreateNamesTheFile) {
  TempDir dir;
  Project p;
  const std::string nowhere = dir.File("no/such/dir.txp");
  TSaveResult r = SaveProject(nowhere, p.def, p.spider, p.redirects);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "不能创建文件 " + nowhere + "。\r方案 没 有 保存。");

  // A directory in the way is neither replaced nor emptied.
  const std::string sub = dir.File("sub.txp");
  ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
  WriteFile(sub + "/inside", "x");
  r = SaveProject(sub, p.def, p.spider, p.redirects);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "不能创建文件 " + sub + "。\r方案 没 有 保存。");
  EXPECT_EQ(ReadFile(sub + "/inside"), "x");
  ::unlink((sub + "/inside").c_str());
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"sub.txp"});
}

TEST(ProjectFile, SaveDoesNotReplaceAFileItMayNotWrite) {
  // Run as an unprivileged user, since the superuser may write anything.
  TempDir dir;
  const std::string path = dir.File("ro.txp");
  WriteFile(path, "protected");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  const std::string parent = path.substr(0, path.rfind('/'));
  ASSERT_EQ(::chmod(parent.c_str(), 0777), 0);  // the directory itself is writable
  auto attempt = [&] {
    Project p;
    const TSaveResult r = SaveProject(path, p.def, p.spider, p.redirects);
    return !r.ok && r.message == "不能创建文件 " + path + "。\r方案 没 有 保存。";
  };
  if (::geteuid() != 0) {
    EXPECT_TRUE(attempt());
  } else {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
      ::_exit(attempt() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  EXPECT_EQ(ReadFile(path), "protected");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"ro.txp"});
}

TEST(ProjectFile, LimitTranslationTable) {
  // Stored byte -> mode, one column per record layout; the last row stands
  // for every byte above 8.
  struct Row {
    int stored;
    TLimitMode layout1, layout2, layout3;
  } rows[] = {
      {0, lmStartDirOnly, lmStartDirOnly, lmStartDirOnly},
      {1, lmStartDirAndBelow, lmStartDirAndBelow, lmStartDirAndBelow},
      {2, lmThisServer, lmThisServer, lmThisServer},
      {3, lmUnlimited, lmPositiveListOnly, lmPositiveListOnly},
      {4, lmNeverDownload, lmNotInNegativeList, lmNotInNegativeList},
      {5, lmStartDirAndBelow, lmUnlimited, lmThisServerNotNegative},
      {6, lmStartDirAndBelow, lmNeverDownload, lmPositiveNotNegative},
      {7, lmStartDirAndBelow, lmStartDirAndBelow, lmUnlimited},
      {8, lmStartDirAndBelow, lmStartDirAndBelow, lmNeverDownload},
  };
  for (const Row& r : rows) {
    const auto b = static_cast<std::uint8_t>(r.stored);
    EXPECT_EQ(TranslateLimit(b, 1), r.layout1) << r.stored;
    EXPECT_EQ(TranslateLimit(b, 2), r.layout2) << r.stored;
    EXPECT_EQ(TranslateLimit(b, 3), r.layout3) << r.stored;
  }
  for (int layout = 1; layout <= 3; ++layout) {
    for (int b = 9; b < 256; ++b)
      EXPECT_EQ(TranslateLimit(static_cast<std::uint8_t>(b), layout), lmStartDirAndBelow) << b;
  }
  EXPECT_EQ(RecordLayoutFor(0x0009), 1);
  EXPECT_EQ(RecordLayoutFor(0x0105), 1);
  EXPECT_EQ(RecordLayoutFor(0x0106), 2);
  EXPECT_EQ(RecordLayoutFor(0x0206), 3);
  EXPECT_EQ(RecordLayoutFor(0x0208), 0);
  EXPECT_EQ(UrlTextsFor(0x0105), 8);
  EXPECT_EQ(UrlTextsFor(0x0106), 9);
  EXPECT_EQ(LocalRootOf("C:\\web\\site"), "C:/web/site/");
  EXPECT_EQ(LocalRootOf(""), "");
  EXPECT_EQ(LocalRootOf("/m/"), "/m/");
}

}  // namespace
}  // namespace trawlonix
