#include "engine/LinkCheck.h"

#include <QCoreApplication>
#include <cstdio>

namespace trawlonix {

std::string LinkCheckProgressText(int done, int toCheck) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%d 个链接（总共 %d 个需要检查）已经处理完了。", done, toCheck);
  return buf;
}

TLinkCheck::TLinkCheck(CrawlHost& host, const TOptions& options) : host_(host), options_(options) {}

TLinkCheck::~TLinkCheck() {
  if (!worker_) return;
  QObject::disconnect(worker_, nullptr, this, nullptr);
  worker_->AbortAll();
  // The worker may be waiting in a blocking call into this thread.
  while (!worker_->wait(10))
    QCoreApplication::processEvents();
  delete worker_;
  worker_ = nullptr;
}

int TLinkCheck::CountToCheck(bool onlySelected) const {
  const int rows = host_.CollectedLinkCount();
  if (!onlySelected) return rows;
  int n = 0;
  for (int r = 0; r < rows; ++r)
    n += host_.CollectedLinkSelected(r) ? 1 : 0;
  return n;
}

int TLinkCheck::Done() const {
  return worker_ ? worker_->Checked : done_;
}

bool TLinkCheck::Start(bool onlySelected, int resultMode) {
  if (worker_ || resultMode < lcm_FillOnly || resultMode > lcm_DeleteBad) return false;
  TTrawlonixThread::Setup setup;
  setup.Options = options_;
  setup.TimeoutMs = TimeoutMsForTests;
  setup.CheckMode = true;
  setup.CheckHost = &host_;
  setup.OnlySelected = onlySelected;
  setup.TotalRows = host_.CollectedLinkCount();
  setup.ToCheck = CountToCheck(onlySelected);
  setup.ResultMode = resultMode;
  toCheck_ = setup.ToCheck;
  done_ = 0;
  aborted_ = false;
  stopRequested_ = false;
  host_.SetSlotCount(std::min(std::max(options_.MaxThreads, 1), kMaxSlots));
  worker_ = new TTrawlonixThread(setup, this);
  QObject::connect(worker_, &QThread::finished, this, [this] { Ended(); });
  worker_->start();
  return true;
}

void TLinkCheck::AbortAll() {
  if (!worker_ || aborted_) return;
  aborted_ = true;
  worker_->AbortAll();
}

void TLinkCheck::Stop() {
  if (!worker_ || stopRequested_) return;
  host_.AppendLog("正在中断过程...");
  stopRequested_ = true;
  AbortAll();
}

void TLinkCheck::Ended() {
  worker_->wait();
  (void)worker_->Finished();
  done_ = worker_->Checked;
  delete worker_;
  worker_ = nullptr;
  const bool aborted = aborted_;
  if (stopRequested_) host_.AppendLog("所有过程被中断");
  stopRequested_ = false;
  host_.SetSlotCount(0);
  host_.CheckDone();
  if (OnFinished) OnFinished(aborted);
}

}  // namespace trawlonix
