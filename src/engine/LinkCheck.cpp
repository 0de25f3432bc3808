#include "engine/LinkCheck.h"

#include <QDateTime>
#include <QMetaObject>
#include <cctype>
#include <cstdio>

#include "base/Translate.h"
#include "engine/ResultLists.h"
#include "net/HttpObject.h"

namespace trawlonix {

std::string LinkCheckProgressText(int done, int toCheck) {
  return TrArgs(translate("LinkCheck", "%1 个链接（总共 %2 个需要检查）已经处理完了。"),
                {std::to_string(done), std::to_string(toCheck)});
}

namespace {

// True unless the row names a scheme other than http or https ("mailto:",
// "ftp://", ...); a row without a scheme is requested as before.
bool IsWebAddress(const std::string& url) {
  const std::size_t colon = url.find(':');
  if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(url[0])))
    return true;
  std::string scheme;
  for (std::size_t i = 0; i < colon; ++i) {
    const unsigned char c = static_cast<unsigned char>(url[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return true;
    scheme += static_cast<char>(std::tolower(c));
  }
  // "host:port/..." written without a scheme: the port follows in digits.
  if (colon + 1 < url.size() && std::isdigit(static_cast<unsigned char>(url[colon + 1])))
    return true;
  return scheme == "http" || scheme == "https";
}

}  // namespace

TLinkCheck::TLinkCheck(CrawlHost& host, const TOptions& options) : host_(host), options_(options) {}

TLinkCheck::~TLinkCheck() {
  DeleteSlots();
}

int TLinkCheck::CountToCheck(bool onlySelected) const {
  const int rows = host_.CollectedLinkCount();
  if (!onlySelected) return rows;
  int n = 0;
  for (int r = 0; r < rows; ++r)
    n += host_.CollectedLinkSelected(r) ? 1 : 0;
  return n;
}

bool TLinkCheck::Start(bool onlySelected, int resultMode) {
  if (running_ || resultMode < lcm_FillOnly || resultMode > lcm_DeleteBad) return false;
  onlySelected_ = onlySelected;
  resultMode_ = resultMode;
  remaining_ = host_.CollectedLinkCount();
  toCheck_ = CountToCheck(onlySelected);
  checked_ = 0;
  aborted_ = false;
  stopRequested_ = false;
  finishing_ = false;
  running_ = true;
  host_.SetSlotCount(SlotCountFor(options_));
  if (!options_.CheckCertificate) host_.AppendLog(TrText("Net", kTlsVerifyOffNotice));
  StartChecks();
  if (!AnySlotBusy()) FinishCheck();
  return true;
}

void TLinkCheck::AbortAll() {
  if (!running_ || aborted_) return;
  aborted_ = true;
  for (int slot = 0; slot < kMaxSlots; ++slot) {
    if (slotStates_[slot] != TSlotState::Unused && fetchers_[slot]) fetchers_[slot]->AbortProcess();
    // Aborted checks report nothing; their rows keep their text.
    if (slotStates_[slot] == TSlotState::Busy) slotStates_[slot] = TSlotState::Idle;
  }
  FinishCheck();
}

void TLinkCheck::Stop() {
  if (!running_ || stopRequested_) return;
  host_.AppendLog(translate("LinkCheck", "正在中断过程..."));
  stopRequested_ = true;
  AbortAll();
}

bool TLinkCheck::AnySlotBusy() const {
  for (TSlotState state : slotStates_)
    if (state == TSlotState::Busy) return true;
  return false;
}

void TLinkCheck::StartChecks() {
  const int n = SlotCountFor(options_);
  int slot = 0;
  while (slot < n) {
    if (remaining_ < 1) return;
    if (onlySelected_ && !host_.CollectedLinkSelected(remaining_ - 1)) {
      --remaining_;
      continue;
    }
    // A mail address or another scheme is not a web address: it is never
    // looked up nor requested, and is neither good nor broken.
    if (!IsWebAddress(host_.CollectedLinkUrl(remaining_ - 1))) {
      --remaining_;
      host_.SetCollectedLinkResult(remaining_, kNotAWebAddress);
      host_.CheckProgress(++checked_, toCheck_);
      continue;
    }
    if (slotStates_[slot] == TSlotState::Unused) {
      auto* f = new THTTPObject();
      f->SetThreadID(slot);
      f->OnTransferResults = [this](int tid, bool success) { CheckDone(tid, success); };
      fetchers_[slot] = f;
      slotStates_[slot] = TSlotState::Idle;
    }
    if (slotStates_[slot] == TSlotState::Idle) {
      --remaining_;
      StartCheck(slot, remaining_);
    }
    ++slot;
  }
}

void TLinkCheck::StartCheck(int slot, int row) {
  THTTPObject* f = fetchers_[slot];
  const std::string url = host_.CollectedLinkUrl(row);
  BeginRequest(f, url, options_, TimeoutMsForTests);
  f->SetMethod(htom_Head);
  f->SetListID(row);
  // A check asks about foreign links: it never tells them where the link
  // was found nor hands them the project's credentials.
  f->SetRefering({});
  f->SetUsername({});
  f->SetPassword({});
  f->SetModifiedSince(QDateTime());
  ApplyProxy(f, options_);
  host_.AppendLog(SlotPrefix(slot) + "HEAD " + url + " USER-AGENT " + UserAgentOf(options_));
  host_.SetSlotUrl(slot, url);
  host_.SetSlotInfo(slot, translate("LinkCheck", "检查..."));
  host_.SetSlotProgress(slot, 0);
  slotStates_[slot] = TSlotState::Busy;
  (void)f->InitiateProcess();  // a failed start still reports once
}

void TLinkCheck::CheckDone(int slot, bool success) {
  if (slot < 0 || slot >= kMaxSlots || !fetchers_[slot] || slotStates_[slot] != TSlotState::Busy)
    return;
  THTTPObject* f = fetchers_[slot];
  ++checked_;
  host_.CheckProgress(checked_, toCheck_);
  host_.SetSlotUrl(slot, {});
  host_.SetSlotInfo(slot, translate("LinkCheck", "等候..."));
  host_.SetSlotProgress(slot, 0);

  const int status = f->StatusCode();
  const bool good = success && status < 400;
  const std::string result =
      good ? std::string(kTestPassed)
           : kTestBadPrefix + std::to_string(status) + " " + f->ReasonPhrase();
  host_.AppendLog(SlotPrefix(slot) + ShownTestResult(result));
  const int row = f->ListID();
  if (row >= 0) {
    host_.SetCollectedLinkResult(row, result);
    ApplyResult(slot, row, good);
  }
  slotStates_[slot] = TSlotState::Idle;
  if (aborted_) return;
  if (remaining_ > 0) StartChecks();
  // Also when the rows left were all unselected: then StartChecks started
  // nothing and no further report would ever end the check.
  if (!AnySlotBusy()) FinishCheck();
}

void TLinkCheck::ApplyResult(int slot, int row, bool good) {
  bool remove = false;
  switch (resultMode_) {
    case lcm_MarkGood:
      host_.SetCollectedLinkSelected(row, good);
      break;
    case lcm_DeleteGood:
      remove = good;
      break;
    case lcm_MarkBad:
      host_.SetCollectedLinkSelected(row, !good);
      break;
    case lcm_DeleteBad:
      remove = !good;
      break;
    default:
      break;
  }
  if (remove) {
    host_.DeleteCollectedLink(row);
    ShiftListIDs(slot, row);
  }
}

void TLinkCheck::ShiftListIDs(int slot, int row) {
  // Rows are taken from the end, so a deletion only moves rows whose checks
  // are in flight; their slots follow them.
  for (int s = 0; s < kMaxSlots; ++s) {
    if (s == slot || slotStates_[s] != TSlotState::Busy || !fetchers_[s]) continue;
    if (fetchers_[s]->ListID() > row) fetchers_[s]->SetListID(fetchers_[s]->ListID() - 1);
  }
  fetchers_[slot]->SetListID(-1);
}

void TLinkCheck::FinishCheck() {
  if (finishing_) return;
  finishing_ = true;
  QMetaObject::invokeMethod(
      this, [this] { Ended(); }, Qt::QueuedConnection);
}

void TLinkCheck::Ended() {
  // No fetch object's report is running now; the slots can go.
  DeleteSlots();
  running_ = false;
  if (stopRequested_) host_.AppendLog(translate("LinkCheck", "所有过程被中断"));
  stopRequested_ = false;
  host_.SetSlotCount(0);
  host_.CheckDone();
  if (OnFinished) OnFinished(aborted_);
}

void TLinkCheck::DeleteSlots() {
  for (auto*& f : fetchers_) {
    if (!f) continue;
    f->OnTransferResults = nullptr;
    f->OnReceiveData = nullptr;
    if (f->IsActive()) f->AbortProcess();
    delete f;
    f = nullptr;
  }
  slotStates_.fill(TSlotState::Unused);
}

}  // namespace trawlonix
