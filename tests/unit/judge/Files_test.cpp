// The files a run writes besides the stored copies: the log file and the
// shortcut to the start page.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/FileOutput.h"
#include "engine/LogFile.h"

namespace trawlonix::test {
namespace {

// A fresh directory, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "trawlonix-test-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(LogFile, OneLinePerEntryAndOverwritten) {
  TempDir dir;
  ASSERT_FALSE(dir.Path().empty());
  const std::string name = dir.Path() + "/p.log";
  {
    TLogFile log;
    ASSERT_TRUE(log.Create(name));
    log.WriteLine("[0] GET http://h/ REFER  USER-AGENT Morvek Trawlonix 2.7 b6");
    log.WriteLine("     => ++ 添加新的链接: http://h/a.html");
    log.WriteLine("");
  }  // closed by its destructor
  EXPECT_EQ(ReadAll(name),
            "[0] GET http://h/ REFER  USER-AGENT Morvek Trawlonix 2.7 b6\n"
            "     => ++ 添加新的链接: http://h/a.html\n\n");
  TLogFile again;
  ASSERT_TRUE(again.Create(name));
  again.WriteLine("正在中断过程...");
  again.Close();
  EXPECT_FALSE(again.IsOpen());
  again.WriteLine("after close");  // ignored
  EXPECT_EQ(ReadAll(name), "正在中断过程...\n");
  TLogFile missing;
  EXPECT_FALSE(missing.Create(dir.Path() + "/no/such/dir/p.log"));
  missing.WriteLine("ignored");
}

TEST(WriteShortcut, NumbersTakenNamesAndGivesUpAfterAThousand) {
  TempDir dir;
  ASSERT_FALSE(dir.Path().empty());
  const std::string base = dir.Path() + "/s";
  ASSERT_TRUE(WriteShortcut(base, "/t"));
  ASSERT_TRUE(WriteShortcut(base, "/t"));
  EXPECT_EQ(ReadAll(base + " [1].url"), "[InternetShortcut]\nURL=/t\n");
  for (int n = 2; n <= 1000; ++n)
    ASSERT_TRUE(std::ofstream(base + " [" + std::to_string(n) + "].url").good());
  EXPECT_FALSE(WriteShortcut(base, "/t"));
}

}  // namespace
}  // namespace trawlonix::test
