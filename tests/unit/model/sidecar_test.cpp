// The sidecar file beside a project: its rows survive a save and a load byte
// for byte, a failed save leaves the previous file, a password makes it
// private.
#include "model/sidecar.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace trawlonix {
namespace {

namespace fs = std::filesystem;

TSidecar Sample() {
  TSidecar s;
  s.Lists[0] = {{"http://127.0.0.1/a b", "text\twith tab", "http://127.0.0.1/", "200 OK", true},
                {"http://127.0.0.1/c", "back\\slash\r\nnew line", "", "- 未检查 -", false}};
  s.Lists[1] = {{"me@site.invalid", "邮件", "http://127.0.0.1/x", "", false}};
  s.Lists[2] = {{"http://127.0.0.1/gone", "404 Not Found", "http://127.0.0.1/", "", false}};
  s.Extras["name"] = "value\nnext";
  return s;
}

class SidecarFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("sidecar-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST(Sidecar, NamesBesideTheProject) {
  const struct {
    const char* project;
    const char* sidecar;
    const char* recovery;
  } cases[] = {
      {"/d/p.txp", "/d/p.txs", "/d/p.recovery.txp"},
      {"p.txp", "p.txs", "p.recovery.txp"},
      {"/d/p.other", "/d/p.other.txs", "/d/p.other.recovery.txp"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SidecarPathFor(c.project), c.sidecar);
    EXPECT_EQ(RecoveryPathFor(c.project), c.recovery);
  }
}

TEST(Sidecar, DecodingSkipsWhatItDoesNotKnowAndRefusesOtherFiles) {
  TSidecar s;
  EXPECT_TRUE(DecodeSidecar(EncodeSidecar(Sample()) + "Z\tlater record\nL\tshort\n", s));
  EXPECT_EQ(s, Sample());
  EXPECT_FALSE(DecodeSidecar("TXP project bytes", s));
  EXPECT_EQ(s, TSidecar{});
}

TEST_F(SidecarFile, SavedAtomicallyAndPrivateWithAPassword) {
  const std::string file = Path("p.txs");
  TSidecar loaded;
  const TSidecarResult none = LoadSidecar(file, loaded);
  EXPECT_TRUE(none.ok && none.missing);

  for (const bool secret : {false, true}) {
    ::umask(022);
    ASSERT_TRUE(SaveSidecar(file, Sample(), secret).ok);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, secret ? 0600u : 0644u);
    ASSERT_TRUE(LoadSidecar(file, loaded).ok);
    EXPECT_EQ(loaded, Sample());
  }
  // A save that cannot write its temporary file leaves the previous file.
  fs::create_directory(Path(".p.txs.tmp" + std::to_string(::getpid())));
  TSidecar other;
  other.Extras["x"] = "y";
  const TSidecarResult failed = SaveSidecar(file, other, false);
  EXPECT_FALSE(failed.ok);
  EXPECT_NE(failed.message.find(file), std::string::npos);
  ASSERT_TRUE(LoadSidecar(file, loaded).ok);
  EXPECT_EQ(loaded, Sample());
}

}  // namespace
}  // namespace trawlonix
