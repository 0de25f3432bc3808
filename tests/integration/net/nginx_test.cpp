// The fetch slot against nginx serving a generated directory on 127.0.0.1.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "NetHarness.h"
#include "TestServer.h"
#include "net/HttpObject.h"

namespace trawlonix {
namespace {

using nettest::ResolverGuard;
using nettest::Signal;
using nettest::WorkerThread;
using testsupport::NginxServer;

std::string Pattern(std::size_t n) {
  std::string s(n, ' ');
  for (std::size_t i = 0; i < n; ++i)
    s[i] = static_cast<char>('a' + (i * 7) % 26);
  return s;
}

class NginxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!NginxServer::available()) GTEST_SKIP() << "nginx not installed";
    ASSERT_TRUE(dir_.isValid());
    Write("file10k.bin", Pattern(10240));
    Write("index.html", "<html>index</html>");
    QDir(dir_.path()).mkdir("sub");
    Write("sub/index.html", "<html>sub</html>");
    ASSERT_TRUE(nginx_.start(dir_.path())) << nginx_.errorString().toStdString();
    worker_.Run([this] {
      obj_ = new THTTPObject(worker_.Context());
      obj_->SetThreadID(3);
      obj_->SetTimeoutTime(10);
      obj_->OnTransferResults = [this](int, bool success) {
        success_ = success;
        reported_.Notify();
      };
    });
  }
  void Write(const QString& name, const std::string& data) {
    QFile f(dir_.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data.data(), static_cast<qint64>(data.size()));
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(nginx_.port()) + path;
  }
  void Fetch(const std::string& url, const std::function<void(THTTPObject&)>& setup = {}) {
    int before = reported_.Count();
    worker_.Run([&] {
      obj_->SetURL(url);
      if (setup) setup(*obj_);
      ASSERT_EQ(obj_->InitiateProcess(), 0);
    });
    ASSERT_TRUE(reported_.WaitFor(before + 1)) << url;
  }
  int Status() {
    int s = 0;
    worker_.Run([&] { s = obj_->StatusCode(); });
    return s;
  }
  std::string Data() {
    std::string d;
    worker_.Run([&] { d = obj_->Data(); });
    return d;
  }

  ResolverGuard resolver_;
  QTemporaryDir dir_;
  NginxServer nginx_;
  WorkerThread worker_;
  THTTPObject* obj_ = nullptr;
  bool success_ = false;
  Signal reported_;
};

TEST_F(NginxTest, GetHeadAndMissingFile) {
  Fetch(Url("/file10k.bin"));
  EXPECT_EQ(Status(), 200);
  EXPECT_TRUE(success_);
  EXPECT_EQ(Data(), Pattern(10240));

  Fetch(Url("/file10k.bin"), [](THTTPObject& o) { o.SetMethod(htom_Head); });
  EXPECT_EQ(Status(), 200);
  EXPECT_EQ(Data(), "");

  Fetch(Url("/nothing-here.html"), [](THTTPObject& o) { o.SetMethod(htom_Get); });
  EXPECT_EQ(Status(), 404);
}

TEST_F(NginxTest, ModifiedSinceTheFileDateGives304) {
  QDateTime mtime = QFileInfo(dir_.filePath("index.html")).lastModified();  // local time
  Fetch(Url("/index.html"), [&](THTTPObject& o) { o.SetModifiedSince(mtime); });
  EXPECT_EQ(Status(), 304);
  EXPECT_TRUE(success_);
  EXPECT_EQ(Data(), "");
}

TEST_F(NginxTest, DirectoryRedirectKeepsThePort) {
  Fetch(Url("/sub"));
  EXPECT_EQ(Status(), 301);
  EXPECT_NE(Data().find("<A HREF=\"" + Url("/sub/") + "\">"), std::string::npos) << Data();
}

}  // namespace
}  // namespace trawlonix
