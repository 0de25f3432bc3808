// The worker's check mode: HEAD requests for the rows of the collected links
// list. The fetch objects of a check are created on the host's thread (the
// worker runs StartChecks there through a blocking call), so their reports,
// CheckDone and every later StartChecks run on the host's thread as well and
// may use the host's rows directly. The worker thread only waits for the end.
#include <mutex>

#include "engine/LinkCheck.h"
#include "engine/TrawlonixThread.h"
#include "net/HttpObject.h"

namespace trawlonix {

bool TTrawlonixThread::AnySlotBusy() const {
  for (std::uint8_t state : slotStates_)
    if (state == 2) return true;
  return false;
}

void TTrawlonixThread::ExecuteCheck() {
  CallHost([this] {
    if (!S.Options.CheckCertificate) S.CheckHost->AppendLog(kTlsVerifyOffNotice);
    if (!Aborting) StartChecks();
    if (!AnySlotBusy()) FinishCheck();
  });
  // Nothing happens on this thread until the host's thread says the check
  // is over.
  {
    std::unique_lock<std::mutex> lock(checkEndMutex_);
    checkEndCv_.wait(lock, [this] { return checkEnded_.load(std::memory_order_acquire); });
  }
  CallHost([this] { EndCheck(); });
  finished_.store(true, std::memory_order_release);
}

void TTrawlonixThread::StartChecks() {
  CrawlHost* host = S.CheckHost;
  if (!host) return;
  const int n = SlotCount();
  int slot = 0;
  while (slot < n) {
    if (Remaining < 1) return;
    if (S.OnlySelected && !host->CollectedLinkSelected(Remaining - 1)) {
      --Remaining;
      continue;
    }
    if (slotStates_[slot] == 0) {
      auto* f = new THTTPObject();
      f->SetThreadID(slot);
      f->OnTransferResults = [this](int tid, bool success) { CheckDone(tid, success); };
      fetchers_[slot] = f;
      slotStates_[slot] = 1;
    }
    if (slotStates_[slot] == 1) {
      --Remaining;
      const int row = Remaining;
      THTTPObject* f = fetchers_[slot];
      const std::string url = host->CollectedLinkUrl(row);
      BeginRequest(f, url);
      f->SetMethod(htom_Head);
      f->SetListID(row);
      // A check asks about foreign links: it never tells them where the link
      // was found nor hands them the project's credentials.
      f->SetRefering({});
      f->SetUsername({});
      f->SetPassword({});
      f->SetModifiedSince(QDateTime());
      ApplyProxy(f);
      host->AppendLog(SlotPrefix(slot) + "HEAD " + url + " USER-AGENT " + kUserAgent);
      host->SetSlotUrl(slot, url);
      host->SetSlotInfo(slot, "检查...");
      host->SetSlotProgress(slot, 0);
      slotStates_[slot] = 2;
      (void)f->InitiateProcess();  // a failed start still reports once
    }
    ++slot;
  }
}

void TTrawlonixThread::CheckDone(int slot, bool success) {
  CrawlHost* host = S.CheckHost;
  if (!host || slot < 0 || slot >= kMaxSlots || !fetchers_[slot] || slotStates_[slot] != 2) return;
  THTTPObject* f = fetchers_[slot];
  ++Checked;
  host->CheckProgress(Checked, S.ToCheck);
  host->SetSlotUrl(slot, {});
  host->SetSlotInfo(slot, "等候...");
  host->SetSlotProgress(slot, 0);

  const int status = f->StatusCode();
  const bool good = success && status < 400;
  const std::string result =
      good ? std::string("通过") : "坏的: " + std::to_string(status) + " " + f->ReasonPhrase();
  host->AppendLog(SlotPrefix(slot) + result);

  const int row = f->ListID();
  if (row >= 0) {
    host->SetCollectedLinkResult(row, result);
    bool remove = false;
    switch (S.ResultMode) {
      case lcm_MarkGood:
        host->SetCollectedLinkSelected(row, good);
        break;
      case lcm_DeleteGood:
        remove = good;
        break;
      case lcm_MarkBad:
        host->SetCollectedLinkSelected(row, !good);
        break;
      case lcm_DeleteBad:
        remove = !good;
        break;
      default:
        break;
    }
    if (remove) {
      host->DeleteCollectedLink(row);
      ShiftListIDs(slot, row);
    }
  }
  slotStates_[slot] = 1;
  if (Aborting) return;
  if (Remaining > 0) StartChecks();
  // Also when the rows left were all unselected: then StartChecks started
  // nothing and no further report would ever end the check.
  if (!AnySlotBusy()) FinishCheck();
}

void TTrawlonixThread::ShiftListIDs(int slot, int row) {
  // Rows are taken from the end, so a deletion only moves rows whose checks
  // are in flight; their slots follow them.
  for (int s = 0; s < kMaxSlots; ++s) {
    if (s == slot || slotStates_[s] != 2 || !fetchers_[s]) continue;
    if (fetchers_[s]->ListID() > row) fetchers_[s]->SetListID(fetchers_[s]->ListID() - 1);
  }
  fetchers_[slot]->SetListID(-1);
}

void TTrawlonixThread::FinishCheck() {
  Running = false;
  if (checkFinishing_) return;
  checkFinishing_ = true;
  std::lock_guard<std::mutex> lock(checkEndMutex_);
  checkEnded_.store(true, std::memory_order_release);
  checkEndCv_.notify_all();
}

void TTrawlonixThread::EndCheck() {
  // The slots live on this (the host's) thread; none of their events is
  // running now.
  DeleteSlots();
  sink_->CheckDone();
}

}  // namespace trawlonix
