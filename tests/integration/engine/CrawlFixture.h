// Shared pieces of the crawl integration tests: a site written into a
// temporary directory, project files, trawlonix-cli runs, mirror snapshots.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "TestServer.h"
#include "model/SpiderList.h"
#include "model/projectfile.h"
#include "model/tx_types.h"

namespace trawlonix::test {

struct CliResult {
  int code = -1;
  std::string out;
  std::string err;
};

class CrawlFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    QDir().mkpath(Site(""));
    QDir().mkpath(QString::fromStdString(Path("mirror")));
    settings_ = Path("settings.conf");
    WriteSettings("");
  }

  std::string Path(const std::string& rel) const { return dir_.path().toStdString() + "/" + rel; }
  QString Site(const std::string& rel) const { return QString::fromStdString(Path("site/" + rel)); }

  void Write(const std::string& file, const std::string& bytes) const {
    QFileInfo info(QString::fromStdString(file));
    QDir().mkpath(info.absolutePath());
    QFile f(info.absoluteFilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }
  void WriteSite(const std::map<std::string, std::string>& files) const {
    for (const auto& [name, body] : files)
      Write(Path("site/" + name), body);
  }
  static std::string Read(const std::string& file) {
    QFile f(QString::fromStdString(file));
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll().toStdString();
  }
  // Extra lines for the [Options] group of the settings file.
  void WriteSettings(const std::string& options) const {
    Write(settings_, "[Options]\nLogFile=1\n" + options);
  }

  bool StartServer(const QByteArray& script = {}) {
    testsupport::TestServer::Options o;
    o.root = Site("");
    o.script = script;
    o.lifetimeSeconds = 120;
    return server_.start(o);
  }
  std::string Base() const { return server_.baseUrl().toStdString(); }

  // A project for `start` mirrored into <tmp>/mirror, saved as <tmp>/p.txp.
  std::string MakeProject(const std::string& start,
                          const std::function<void(TrawlonixDefinition&)>& tweak = {}) {
    TrawlonixDefinition def;
    ResetDefinition(def);
    def.StartingUrl = start;
    def.ProjectName = "p";
    def.LocalPath = Path("mirror");
    if (tweak) tweak(def);
    TSpiderList spider;
    TCGIRedirectList redirects;
    const std::string file = Path("p.txp");
    EXPECT_TRUE(SaveProject(file, def, spider, redirects).ok);
    return file;
  }

  QProcess* StartCli(const std::vector<std::string>& args) {
    auto* p = new QProcess();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TRAWLONIX_SETTINGS", QString::fromStdString(settings_));
    p->setProcessEnvironment(env);
    QStringList list;
    for (const auto& a : args)
      list << QString::fromStdString(a);
    p->start(TX_BINARY_DIR "/src/cli/trawlonix-cli", list);
    p->waitForStarted();
    return p;
  }
  static CliResult Finish(QProcess* p, int timeoutMs = 60000) {
    CliResult r;
    if (!p->waitForFinished(timeoutMs)) {
      p->kill();
      p->waitForFinished();
    } else {
      r.code = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
    }
    r.out = p->readAllStandardOutput().toStdString();
    r.err = p->readAllStandardError().toStdString();
    delete p;
    return r;
  }
  CliResult Cli(const std::vector<std::string>& args) { return Finish(StartCli(args)); }

  // Every stored file below `root` (relative name -> bytes), without the
  // run's own files (log, project, shortcut).
  static std::map<std::string, std::string> Tree(const std::string& root) {
    std::map<std::string, std::string> out;
    QDirIterator it(QString::fromStdString(root), QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    const QDir base(QString::fromStdString(root));
    while (it.hasNext()) {
      const QString f = it.next();
      if (f.endsWith(".log") || f.endsWith(".txp") || f.endsWith(".url")) continue;
      out[base.relativeFilePath(f).toStdString()] = Read(f.toStdString());
    }
    return out;
  }

  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
      ++n;
    return n;
  }

  QTemporaryDir dir_;
  std::string settings_;
  testsupport::TestServer server_;
};

}  // namespace trawlonix::test
