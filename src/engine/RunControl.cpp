#include "engine/RunControl.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QString>
#include <cstdio>
#include <memory>

#include "base/Translate.h"
#include "model/SpiderTools.h"
#include "model/projectfile.h"

namespace trawlonix {

TRunControl::TRunControl(CrawlHost& host, TrawlonixDefinition& def, TSpiderList& spider,
                         TCGIRedirectList& redirects, const TOptions& options)
    : host_(host), def_(def), spider_(spider), redirects_(redirects), options_(options) {}

TRunControl::~TRunControl() {
  if (worker_) {
    worker_->RequestStop();
    // The worker may be waiting in a blocking call into this thread.
    while (!worker_->wait(10))
      QCoreApplication::processEvents();
    delete worker_;
    worker_ = nullptr;
  }
}

bool TRunControl::HasPending() {
  // Entries fetched in an earlier run count as done: a freshly opened project
  // has no "done this run" marks yet, and would otherwise always look
  // unfinished.
  spider_.PrepareRun(true);
  return spider_.NextToFetch() >= 0;
}

CrawlHost::StartChoice TRunControl::DefaultChoice() {
  if (spider_.Count() == 0) return CrawlHost::StartChoice::Restart;
  return HasPending() ? CrawlHost::StartChoice::Continue : CrawlHost::StartChoice::Update;
}

bool TRunControl::Start(std::optional<CrawlHost::StartChoice> choice) {
  if (running_ || worker_) return false;
  CrawlHost::StartChoice c = CrawlHost::StartChoice::Restart;
  if (spider_.Count() > 0) {
    const bool canContinue = HasPending();
    c = choice ? *choice : host_.AskStartChoice(canContinue);
  }
  if (c == CrawlHost::StartChoice::Cancel) return false;

  const int slotCount = SlotCountFor(options_);
  host_.SetSlotCount(slotCount);
  spider_.PrepareRun(true);
  abortRequested_ = false;
  updateRun_ = false;
  outcome_ = Outcome{};
  host_.ClearLog();
  spider_.MaxErrors = options_.ErrorCount;
  localDir_ = LocalRootOf(def_.LocalPath.str());
  logFile_.Close();
  if (options_.LogFile && def_.actSaveFiles) {
    // The mirror directory may not exist before the first file is stored.
    if (!localDir_.empty()) QDir().mkpath(QString::fromStdString(localDir_));
    const std::string logName = localDir_ + def_.ProjectName.str() + ".log";
    if (options_.AppendLogFile)
      logFile_.Append(logName, QDateTime::currentDateTime()
                                   .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                   .toStdString());
    else
      logFile_.Create(logName);
  }
  switch (c) {
    case CrawlHost::StartChoice::Restart:
      spider_.Clear();
      redirects_.Clear();
      host_.ClearTrees();
      totals_.Clear();
      break;
    case CrawlHost::StartChoice::Update:
      updateRun_ = true;
      spider_.PrepareRun(false);
      totals_[TCounters::kByteRest] = 0;
      totals_[TCounters::kKiloBytes] = 0;
      totals_[TCounters::kReceived] = 0;
      totals_[TCounters::kReceivedHt] = 0;
      totals_[TCounters::kChecked] = 0;
      totals_[TCounters::kCheckedHt] = 0;
      break;
    default:
      break;
  }

  TTrawlonixThread::Setup setup;
  setup.SpiderList = &spider_;
  setup.RedirectList = &redirects_;
  setup.Definition = def_;
  setup.Options = options_;
  setup.LocalDir = localDir_;
  setup.UpdateMode = updateRun_;
  setup.NewRun = c == CrawlHost::StartChoice::Restart;
  setup.TimeoutMs = TimeoutMsForTests;
  setup.LogAddedLinks = LogAddedLinks;
  setup.Polite = Polite;
  if (!setup.Polite.Cookies) setup.Polite.Cookies = std::make_shared<TCookieJar>();
  setup.RateWindowMs = RateWindowMsForTests;
  worker_ = new TTrawlonixThread(setup, this);
  QObject::connect(worker_, &QThread::finished, this, [this] {
    const bool interrupted = abortRequested_;
    worker_->wait();
    (void)worker_->Finished();  // orders the worker's last changes before ours
    outcome_.NotStored = worker_->NotStored();
    outcome_.EndedByEntryCap = worker_->EndedByEntryCap();
    outcome_.QuotaReached = worker_->QuotaReached();
    outcome_.StartPageFetched =
        (spider_.Count() > 0 && spider_[0].Fetched) || worker_->StartPageNotStored();
    delete worker_;
    worker_ = nullptr;
    if (OnRunEnded) OnRunEnded(interrupted);
  });
  running_ = true;
  checkpointClock_.start();
  host_.RunStateChanged(true);
  worker_->start();
  return true;
}

void TRunControl::Stop() {
  if (!running_ || abortRequested_ || !worker_) return;
  AppendLog(translate("LinkCheck", "正在中断过程..."));
  abortRequested_ = true;
  worker_->RequestStop();
}

void TRunControl::AppendLog(const std::string& line) {
  host_.AppendLog(line);
  logFile_.WriteLine(line);
}

void TRunControl::ExecuteBatch(HostBatch& batch) {
  trawlonix::ExecuteBatch(host_, batch, &logFile_, totals_);
  // The worker waits for this call: the spider list, the redirect list and
  // the result lists agree with each other now, which makes it the moment
  // for a checkpoint.
  const int every = options_.CheckpointSeconds;
  if (OnCheckpoint && every > 0 && checkpointClock_.isValid() &&
      checkpointClock_.elapsed() >= static_cast<qint64>(every) * 1000) {
    OnCheckpoint();
    checkpointClock_.restart();
  }
}

void TRunControl::CrawlDone() {
  if (abortRequested_) AppendLog(translate("LinkCheck", "所有过程被中断"));
  running_ = false;
  host_.SetSlotCount(0);
  logFile_.Close();
  host_.RunStateChanged(false);
  std::string status =
      abortRequested_ ? translate("Engine", "被中断") : translate("Engine", "已结束");
  // The worker waits in this call: what it could not do is read safely here,
  // so that the results name the cause as the command line's summary does.
  if (worker_ && !abortRequested_) {
    const int notStored = worker_->NotStored();
    const bool startFetched =
        (spider_.Count() > 0 && spider_[0].Fetched) || worker_->StartPageNotStored();
    if (worker_->EndedByEntryCap())
      status = TrArgs(translate("Engine", "%1 (条目数达到上限 %2)"),
                      {status, std::to_string(options_.MaxEntries)});
    else if (!startFetched)
      status = TrArgs(translate("Engine", "%1 (起始页面不能被获取)"), {status});
    else if (notStored > 0)
      status = TrArgs(translate("Engine", "%1 (%2 个文件不能被写入)"),
                      {status, std::to_string(notStored)});
    else if (worker_->QuotaReached())
      status = TrArgs(translate("Engine", "%1 (已达到下载限额)"), {status});
  }
  host_.ShowResults(status, totals_);
  if (abortRequested_ && host_.AskSaveAfterInterrupt()) host_.SaveProject();
}

void TRunControl::RecountTotals() {
  totals_.Clear();
  for (std::int32_t i = 0; i < spider_.Count(); ++i) {
    const AGetEntry& e = spider_[i];
    const bool ht = options_.IsHTMLRecExtension(e.URL.Ext);
    ++totals_[TCounters::kQueued];
    if (ht) ++totals_[TCounters::kQueuedHt];
    if (e.Fetched) {
      ++totals_[TCounters::kReceived];
      if (ht) ++totals_[TCounters::kReceivedHt];
    }
  }
}

std::array<std::string, 4> TRunControl::StatusTexts(const TCounters& t, bool updateRun) {
  auto n = [&t](int counter) { return std::to_string(t[counter]); };
  char buf[64];
  std::array<std::string, 4> out;
  out[0] = TrArgs(translate("Engine", "%1 KB 已接收"), {n(TCounters::kKiloBytes)});
  out[1] = TrArgs(translate("Engine", "%1 个文件在队列中 (其中 %2 个超文本文档)"),
                  {n(TCounters::kQueued), n(TCounters::kQueuedHt)});
  if (updateRun)
    out[2] = TrArgs(translate("Engine", "%1 个文件已经检查 (其中 %2 个超文本文档)"),
                    {n(TCounters::kChecked), n(TCounters::kCheckedHt)});
  else
    out[2] = TrArgs(translate("Engine", "%1 个文件已经接收 (其中 %2 个超文本文档)"),
                    {n(TCounters::kReceived), n(TCounters::kReceivedHt)});
  const double done = updateRun ? t[TCounters::kChecked] : t[TCounters::kReceived];
  const double q = t[TCounters::kQueued] > 0 ? t[TCounters::kQueued] : 0;
  const double pct = q > 0 ? 100.0 * done / q : 100.0;
  std::snprintf(buf, sizeof buf, "%.2f", pct);
  out[3] = TrArgs(translate("Engine", "%1% 已完成"), {buf});
  return out;
}

}  // namespace trawlonix
