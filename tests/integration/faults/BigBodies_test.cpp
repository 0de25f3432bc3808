// Bodies that would not fit in memory, and bodies that never end or barely
// move: memory stays bounded, big files arrive byte for byte, and a trickle
// is ended like a time-out.
#include <QCryptographicHash>
#include <QFile>

#include "FaultFixture.h"

namespace trawlonix::test {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// The test server's "gen_size" body: 1 MiB blocks of "0123456789abcdef",
// block k starting with k as 15 hex digits and a newline.
QByteArray GeneratedDigest(std::int64_t size) {
  QByteArray base;
  while (base.size() < (1 << 20))
    base += "0123456789abcdef";
  QCryptographicHash h(QCryptographicHash::Md5);
  for (std::int64_t k = 0; k * (1 << 20) < size; ++k) {
    char head[32];
    std::snprintf(head, sizeof head, "%015llx\n", static_cast<unsigned long long>(k));
    QByteArray block = QByteArray(head, 16) + base.mid(16);
    h.addData(block.left(static_cast<int>(std::min<std::int64_t>(size - k * (1 << 20), 1 << 20))));
  }
  return h.result();
}

QByteArray FileDigest(const std::string& name) {
  QFile f(QString::fromStdString(name));
  QCryptographicHash h(QCryptographicHash::Md5);
  if (!f.open(QIODevice::ReadOnly) || !h.addData(&f)) return {};
  return h.result();
}

// Peak resident memory of this process since the last reset, in KiB.
long PeakRssKb() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
  std::fclose(f);
  return kb;
}

void ResetPeakRss() {
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

using BigBodies = FaultFixture;

TEST_F(BigBodies, OneGigabyteArrivesByteForByte) {
  constexpr std::int64_t kSize = 1ll << 30;
  WriteSite({{"index.html", "<A HREF=\"big.bin\">big</A>"}});
  ASSERT_TRUE(StartServer(R"({"/big.bin": {"gen_size": 1073741824}})"));
  def_.StartingUrl = Base();
  timeoutMs_ = 20000;
  ResetPeakRss();
  ASSERT_TRUE(Run(600000)) << LogText();
  const long peak = PeakRssKb();
  RecordProperty("peak_rss_kb", static_cast<int>(peak));
  ASSERT_NE(Entry("/big.bin"), nullptr);
  EXPECT_TRUE(Entry("/big.bin")->Fetched) << LogText();
  const std::string stored = Path("mirror/127.0.0.1/big.bin");
  EXPECT_EQ(QFileInfo(QString::fromStdString(stored)).size(), kSize);
  EXPECT_EQ(FileDigest(stored).toHex(), GeneratedDigest(kSize).toHex());
  std::remove(stored.c_str());
  if (!kSanitized) {
    EXPECT_LT(peak, 200 * 1024) << "peak RSS in KiB";
  }
}

// 64 slots on pages of 4 MiB without a length (each would be held whole
// before it is read for links): what all of them hold together stays
// bounded, and every page is still stored whole.
TEST_F(BigBodies, SixtyFourLongBodiesStayWithinTheMemoryBound) {
  constexpr int kPages = 64;
  std::string index;
  for (int i = 0; i < kPages; ++i)
    index += "<A HREF=\"e/" + std::to_string(i) + ".html\">e</A>";
  WriteSite({{"index.html", index}});
  ASSERT_TRUE(
      StartServer(R"({"/e/*": {"gen_size": 4194304, "headers": {"Content-Length": null}}})"));
  def_.StartingUrl = Base();
  options_.MaxThreads = 64;
  timeoutMs_ = 20000;
  ResetPeakRss();
  ASSERT_TRUE(Run(300000)) << LogText();
  const long peak = PeakRssKb();
  RecordProperty("peak_rss_kb", static_cast<int>(peak));
  EXPECT_EQ(host_.resultStatus, "已结束");
  for (int i = 0; i < kPages; ++i) {
    const std::string name = Path("mirror/127.0.0.1/e/" + std::to_string(i) + ".html");
    EXPECT_EQ(QFileInfo(QString::fromStdString(name)).size(), 4194304) << name;
  }
  EXPECT_EQ(FileDigest(Path("mirror/127.0.0.1/e/7.html")).toHex(),
            GeneratedDigest(4194304).toHex());
  if (!kSanitized) {
    EXPECT_LT(peak, 200 * 1024) << "peak RSS in KiB";
  }
}

// A page over the parse limit is stored as it came, with a log line, and its
// links are not read; one within the limit is read as ever.
TEST_F(BigBodies, PagesOverTheParseLimitAreStoredUnread) {
  const std::string big = "<P>" + std::string(1500000, 'x') + "<A HREF=\"end.html\">e</A>";
  WriteSite({{"index.html", "<A HREF=\"known.html\">k</A><A HREF=\"unknown.html\">u</A>"},
             {"big.html", big},
             {"end.html", "e"}});
  ASSERT_TRUE(StartServer(R"({"/known.html": {"body_file": "big.html"},
      "/unknown.html": {"body_file": "big.html", "headers": {"Content-Length": null}}})"));
  def_.StartingUrl = Base();
  options_.ParseLimitMB = 1;
  ASSERT_TRUE(Run(30000)) << LogText();
  for (const char* name : {"known.html", "unknown.html"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(Read(Path(std::string("mirror/127.0.0.1/") + name)) == big);
  }
  EXPECT_TRUE(LogHas("文档大于 1 MB，不解析链接，按原样保存。")) << LogText();
  EXPECT_TRUE(server_.requestsFor("/end.html").isEmpty());
  // Within the limit the same page is read and its link followed.
  host_ = FakeHost();
  spider_.Clear();
  options_.ParseLimitMB = 2;
  ASSERT_TRUE(Run(30000)) << LogText();
  EXPECT_FALSE(LogHas("文档大于"));
  EXPECT_EQ(server_.requestsFor("/end.html").size(), 1);
}

struct RateCase {
  const char* name;
  const char* script;  // the answer (or sequence) for /x.bin
  bool stored;
  int requests;
};

// A body that trickles in below the floor (512 bytes/s over a window of one
// second here) is ended like a time-out and tried again; one that keeps
// above it, however slowly, is not.
TEST_F(BigBodies, BodiesBelowTheRateFloorAreEndedAndRetried) {
  const RateCase cases[] = {
      {"trickle without a length",
       R"({"body_size": 4000, "drip_bytes": 1, "drip_ms": 100,
           "headers": {"Content-Length": null}})",
       false, 2},
      {"trickle once, then a normal answer",
       R"([{"body_size": 4000, "drip_bytes": 1, "drip_ms": 100,
            "headers": {"Content-Length": null}}, {"body_size": 4000}])",
       true, 2},
      {"slow but above the floor", R"({"body_size": 4000, "drip_bytes": 200, "drip_ms": 100})",
       true, 1},
  };
  WriteSite({{"index.html", "<A HREF=\"x.bin\">x</A>"}});
  ASSERT_TRUE(StartServer());
  for (const RateCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(server_.clear());
    ASSERT_TRUE(server_.addScript("/x.bin", c.script));
    QDir(QString::fromStdString(Path("mirror"))).removeRecursively();
    host_ = FakeHost();
    spider_.Clear();
    redirects_.Clear();
    def_.StartingUrl = Base();
    rateWindowMs_ = 1000;
    ASSERT_TRUE(Run(30000)) << LogText();
    const AGetEntry* x = Entry("/x.bin");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->Fetched, c.stored) << LogText();
    EXPECT_EQ(server_.requestsFor("/x.bin").size(), c.requests) << LogText();
    if (c.requests > 1) {
      EXPECT_TRUE(LogHas("499 传输太慢")) << LogText();
    }
  }
}

}  // namespace
}  // namespace trawlonix::test
