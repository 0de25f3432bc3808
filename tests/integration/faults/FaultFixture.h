// Shared pieces of the fault tests: in-process runs through the run control
// with short time-outs (as the desktop window drives them), on top of the
// crawl fixture's site, server, project and trawlonix-cli helpers.
#pragma once

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <optional>

#include "../../unit/judge/FakeHost.h"
#include "../engine/CrawlFixture.h"
#include "engine/RunControl.h"

namespace trawlonix::test {

class FaultFixture : public CrawlFixture {
 protected:
  void SetUp() override {
    CrawlFixture::SetUp();
    ResetDefinition(def_);
    def_.ProjectName = "p";
    def_.LocalPath = Path("mirror");
    options_.ErrorCount = 1;
  }

  // Runs the crawl of def_ to its end; false when it did not end within
  // `deadlineMs` (the run is then stopped and waited for).
  bool Run(int deadlineMs = 30000,
           CrawlHost::StartChoice choice = CrawlHost::StartChoice::Restart) {
    TRunControl control(host_, def_, spider_, redirects_, options_);
    control.TimeoutMsForTests = timeoutMs_;
    control.RateWindowMsForTests = rateWindowMs_;
    QEventLoop loop;
    bool ended = false;
    control.OnRunEnded = [&](bool interrupted) {
      ended = true;
      interrupted_ = interrupted;
      loop.quit();
    };
    QElapsedTimer clock;
    clock.start();
    if (!control.Start(choice)) return false;
    QTimer::singleShot(deadlineMs, &loop, &QEventLoop::quit);
    if (!ended) loop.exec();
    elapsedMs_ = clock.elapsed();
    if (!ended) {
      // Let the worker end before the control goes out of scope.
      control.Stop();
      QTimer::singleShot(10000, &loop, &QEventLoop::quit);
      if (!ended) loop.exec();
      return false;
    }
    totals_ = control.Totals();
    return true;
  }

  // The spider entry whose composed URL ends with `tail` (nullptr: none).
  const AGetEntry* Entry(const std::string& tail) const {
    for (int i = 0; i < spider_.Count(); ++i) {
      const std::string u = ComposeURL(spider_[i].URL);
      if (u.size() >= tail.size() && u.compare(u.size() - tail.size(), tail.size(), tail) == 0)
        return &spider_[i];
    }
    return nullptr;
  }
  bool LogHas(const std::string& part) const {
    for (const auto& l : host_.log)
      if (l.find(part) != std::string::npos) return true;
    return false;
  }
  std::string LogText() const {
    std::string all;
    for (const auto& l : host_.log)
      all += l + "\n";
    return all;
  }

  FakeHost host_;
  TrawlonixDefinition def_;
  TSpiderList spider_;
  TCGIRedirectList redirects_;
  TOptions options_;
  TCounters totals_;
  bool interrupted_ = false;
  int timeoutMs_ = 1000;
  int rateWindowMs_ = 0;  // 0: the real window
  qint64 elapsedMs_ = 0;
};

// A tmpfs of a few KiB mounted for one test (root only; otherwise skipped).
class SmallDisk {
 public:
  SmallDisk(const std::string& dir, const std::string& size) : dir_(dir) {
    QDir().mkpath(QString::fromStdString(dir));
    if (::geteuid() == 0)
      mounted_ = ::mount("tmpfs", dir.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }
  // Fills the rest of the disk with one file.
  void Fill() const {
    std::FILE* f = std::fopen((dir_ + "/filler").c_str(), "wb");
    if (!f) return;
    std::string block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size() && std::fflush(f) == 0) {
    }
    std::fclose(f);
  }

 private:
  std::string dir_;
  bool mounted_ = false;
};

}  // namespace trawlonix::test
