// trawlonix-cli over https: nginx serves the demo site from one root over
// plain HTTP and over TLS (certificates of a throwaway CA), and both mirrors
// must come out the same.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <map>

#include "TestServer.h"

namespace trawlonix {
namespace {

using testsupport::NginxServer;
using testsupport::TestCertificates;

struct CliResult {
  int code = -1;
  std::string out;
  std::string err;
};

class HttpsMirror : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!NginxServer::available()) GTEST_SKIP() << "nginx not installed";
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(certs_.make());
    nginx_.setTls(certs_.certFile(TestCertificates::Good), certs_.keyFile());
    // The stored copies carry the time they were written: "before" makes
    // nginx answer 304 for them.
    ASSERT_TRUE(nginx_.start(QStringLiteral(TX_SOURCE_DIR "/examples/demo-site"),
                             QStringLiteral("if_modified_since before;")))
        << nginx_.errorString().toStdString();
  }
  std::string Path(const std::string& name) const {
    return dir_.filePath(name.c_str()).toStdString();
  }
  CliResult Cli(const QStringList& args) const {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TRAWLONIX_SETTINGS", dir_.filePath("settings.conf"));
    p.setProcessEnvironment(env);
    p.start(TX_BINARY_DIR "/src/cli/trawlonix-cli", args);
    CliResult r;
    if (!p.waitForFinished(120000)) {
      p.kill();
      p.waitForFinished();
      return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
  }
  // Every file below `root`, by its path relative to it.
  static std::map<QString, QByteArray> Tree(const QString& root) {
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      QFile f(path);
      EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
      files[QDir(root).relativeFilePath(path)] = f.readAll();
    }
    return files;
  }

  QTemporaryDir dir_;
  TestCertificates certs_;
  NginxServer nginx_;
};

TEST_F(HttpsMirror, SameMirrorAsOverHttpThenUpdateAndContinue) {
  const QString ca = certs_.caFile();
  const QString https = nginx_.tlsBaseUrl();
  CliResult r = Cli({"mirror", nginx_.baseUrl(), dir_.filePath("http"), "--threads", "3", "-q"});
  ASSERT_EQ(r.code, 0) << r.err;

  // Without the CA the certificate is refused: a failed mirror, with the reason.
  r = Cli({"mirror", https, dir_.filePath("refused"), "-q"});
  EXPECT_EQ(r.code, 4);  // the start page could not be fetched
  EXPECT_NE(r.err.find("unable to get local issuer certificate"), std::string::npos) << r.err;

  r = Cli(
      {"mirror", https, dir_.filePath("https"), "--threads", "3", "-q", "--ca-certificate", ca});
  ASSERT_EQ(r.code, 0) << r.err;
  const auto plain = Tree(dir_.filePath("http/127.0.0.1"));
  const auto secure = Tree(dir_.filePath("https/127.0.0.1"));
  ASSERT_GT(plain.size(), 10u);
  ASSERT_EQ(plain.size(), secure.size());
  for (const auto& [name, data] : plain) {
    const auto it = secure.find(name);
    ASSERT_NE(it, secure.end()) << name.toStdString();
    EXPECT_TRUE(it->second == data) << name.toStdString();
  }

  // An update asks for every page again over TLS and finds it unchanged.
  const QString project = dir_.filePath("https/127_0_0_1.txp");
  r = Cli({"run", project, "--update", "-v", "--ca-certificate", ca});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("没有修改。"), std::string::npos) << r.out.substr(0, 3000);
  EXPECT_EQ(r.out.find("错误 #12001"), std::string::npos);
  r = Cli({"run", project, "--continue", "-q", "--ca-certificate", ca});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(Tree(dir_.filePath("https/127.0.0.1")) == secure);

  // The link check asks over TLS too: passed only with the certificate trusted.
  QFile list(dir_.filePath("urls.txt"));
  ASSERT_TRUE(list.open(QIODevice::WriteOnly));
  list.write((https + "index.html\n").toUtf8());
  list.close();
  r = Cli({"check", list.fileName(), "-q"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("坏的: 404 TLS 安全连接失败"), std::string::npos) << r.out;
  r = Cli({"check", list.fileName(), "-q", "--ca-certificate", ca});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("\t通过"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace trawlonix
