// Run control of the crawl worker: the thread function, filling the slots,
// the stop request, the end of a run, and the hand-over of batches.
#include "engine/TrawlonixThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "base/Translate.h"
#include "net/HttpObject.h"

namespace trawlonix {

TJudgeSetup JudgeSetupFor(const TTrawlonixThread::Setup& setup) {
  TJudgeSetup j;
  j.SpiderList = setup.SpiderList;
  j.RedirectList = setup.RedirectList;
  j.Definition = setup.Definition;
  j.LocalDir = setup.LocalDir;
  j.IndexFileName = setup.Options.IndexFileName;
  j.HypertextExtensions = setup.Options.HTMLRecList;
  j.ShowLinkStructure = setup.Options.ShowLinkStructure;
  j.TrapRules = setup.Options.TrapRules;
  j.MaxEntries = setup.Options.MaxEntries;
  j.LogAddedLinks = setup.LogAddedLinks;
  j.Patterns = setup.Polite.Choices.Patterns;
  return j;
}

TTrawlonixThread::TTrawlonixThread(const Setup& setup, TCrawlSink* sink)
    : s_(setup),
      sink_(sink),
      judge_(JudgeSetupFor(setup), batch_),
      ctx_(std::make_unique<QObject>()),
      caller_(std::make_unique<THostCaller>()) {
  ctx_->moveToThread(this);
  caller_->moveToThread(sink_->Context()->thread());
}

TTrawlonixThread::~TTrawlonixThread() {
  // The owner deletes the thread only after it finished; the slots were freed
  // on the worker thread at the end of Execute.
  for (auto*& f : fetchers_) {
    delete f;
    f = nullptr;
  }
}

void TTrawlonixThread::run() {
  Execute();
}

void TTrawlonixThread::RequestStop() {
  QObject* ctx = ctx_.get();
  QMetaObject::invokeMethod(
      ctx, [this] { AbortAll(); }, Qt::QueuedConnection);
}

void TTrawlonixThread::Execute() {
  QEventLoop loop;
  loop_ = &loop;
  // Progress of long transfers reaches the host even while no fetch ends.
  QTimer flushTimer;
  flushTimer.setInterval(250);
  QObject::connect(&flushTimer, &QTimer::timeout, [this] { Flush(); });

  if (s_.NewRun) judge_.AddStartEntry();
  aborting_ = false;
  running_ = true;
  if (!s_.Options.CheckCertificate) Log(TrText("Net", kTlsVerifyOffNotice));
  InitPolite();
  StartFetches();
  if (!AnySlotBusy() && !WaitingForPace()) {
    Unpark();
    running_ = false;
  }
  Flush();
  if (running_) {
    flushTimer.start();
    loop.exec();
  }
  flushTimer.stop();
  EndRun();
  loop_ = nullptr;
}

void TTrawlonixThread::EndRun() {
  // Slots are deleted on the thread that owns their sockets and timers.
  EndPolite();
  DeleteSlots();
  Flush();
  CallHost([this] { sink_->CrawlDone(); });
  // Everything the worker did is visible to whoever sees Finished().
  finished_.store(true, std::memory_order_release);
}

void TTrawlonixThread::DeleteSlots() {
  for (auto*& f : fetchers_) {
    if (f) {
      f->OnTransferResults = nullptr;
      f->OnReceiveData = nullptr;
      f->OnBodyBegin = nullptr;
      f->OnBodyLimit = nullptr;
      f->OnBodyCheck = nullptr;
      if (f->IsActive()) f->AbortProcess();
      delete f;
      f = nullptr;
    }
  }
  for (TSlotBody& b : bodies_)
    b.Reset();
  slotStates_.fill(TSlotState::Unused);
}

bool TTrawlonixThread::AnySlotBusy() const {
  for (TSlotState state : slotStates_)
    if (state == TSlotState::Busy) return true;
  return false;
}

void TTrawlonixThread::StartFetches() {
  const int n = SlotCountFor(s_.Options);
  for (int slot = 0; slot < n; ++slot) {
    if (slotStates_[slot] == TSlotState::Busy)
      continue;  // the same pending entry goes to the next slot
    if (!TakeNext(slot)) break;
  }
  ArmPaceTimer();
}

void TTrawlonixThread::AbortAll() {
  aborting_ = true;
  for (int slot = 0; slot < kMaxSlots; ++slot) {
    if (slotStates_[slot] != TSlotState::Unused && fetchers_[slot]) fetchers_[slot]->AbortProcess();
    if (slotStates_[slot] == TSlotState::Busy) slotStates_[slot] = TSlotState::Idle;
    bodies_[static_cast<std::size_t>(slot)].Reset();  // a cut copy is not left behind
  }
  // Aborted fetches report nothing: their entries simply become pending
  // again, and so do the ones waiting for their server.
  polite_.Parked.clear();
  if (polite_.PaceTimer) polite_.PaceTimer->stop();
  if (s_.SpiderList) s_.SpiderList->ClearInProgress();
  running_ = false;
  if (loop_) loop_->quit();
}

void TTrawlonixThread::Flush() {
  if (batch_.Empty()) return;
  CallHost([this] { sink_->ExecuteBatch(batch_); });
  ApplyItemHandles(batch_, *s_.SpiderList);
  batch_.Clear();
}

namespace {

struct THostWait {
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
};

QEvent::Type HostCallType() {
  static const int type = QEvent::registerEventType();
  return static_cast<QEvent::Type>(type);
}

// Orders everything the worker did before a host call (the call event's
// making included) before the host's thread first reads the event. Qt's
// event queue does order them, but under a lock that race checkers cannot
// see (Qt is not built for them).
std::mutex& HostCallOrder() {
  static std::mutex m;
  return m;
}

// One blocking call into the host's thread. The event is delivered and
// deleted on the host's thread; deleting it wakes the worker, also when it
// is dropped unrun; the wait's mutex orders the host's writes in the call
// before the worker goes on, plainly for race checkers too.
class THostCallEvent : public QEvent {
 public:
  THostCallEvent(std::shared_ptr<THostWait> wait, const std::function<void()>* fn)
      : QEvent(HostCallType()), wait_(std::move(wait)), fn_(fn) {}
  ~THostCallEvent() override {
    std::lock_guard<std::mutex> lock(wait_->m);
    wait_->done = true;
    wait_->cv.notify_all();
  }
  void Run() { (*fn_)(); }

 private:
  std::shared_ptr<THostWait> wait_;
  const std::function<void()>* fn_;
};

}  // namespace

bool THostCaller::event(QEvent* e) {
  { std::lock_guard<std::mutex> order(HostCallOrder()); }
  if (e->type() == HostCallType()) {
    static_cast<THostCallEvent*>(e)->Run();
    return true;
  }
  return QObject::event(e);
}

void TTrawlonixThread::CallHost(const std::function<void()>& fn) {
  if (QThread::currentThread() == caller_->thread()) {
    fn();
    return;
  }
  auto wait = std::make_shared<THostWait>();
  auto* call = new THostCallEvent(wait, &fn);
  { std::lock_guard<std::mutex> order(HostCallOrder()); }
  QCoreApplication::postEvent(caller_.get(), call);
  std::unique_lock<std::mutex> lock(wait->m);
  wait->cv.wait(lock, [&] { return wait->done; });
}

void TTrawlonixThread::Log(std::string line) {
  batch_.Log(std::move(line));
}

void TTrawlonixThread::ReportCounters() {
  batch_.counters.Add(counters_);
  batch_.countersReported = true;
  counters_.Clear();
}

}  // namespace trawlonix
