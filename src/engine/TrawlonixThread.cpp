// Run control of the crawl worker: the thread function, filling the slots,
// the stop request, the end of a run, and the hand-over of batches.
#include "engine/TrawlonixThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "net/HttpObject.h"

namespace trawlonix {

TTrawlonixThread::TTrawlonixThread(const Setup& setup, TCrawlSink* sink)
    : S(setup),
      sink_(sink),
      ctx_(std::make_unique<QObject>()),
      caller_(std::make_unique<THostCaller>()) {
  ctx_->moveToThread(this);
  caller_->moveToThread(sink_->Context()->thread());
  textParser_.OnLink = [this](std::string& link, TLinkKind kind) { JudgeLink(link, kind); };
  textParser_.OnBase = [this](const std::string& href) { SetBase(href); };
  textParser_.OnLinkText = [this](const std::string& text) {
    batch_.Push(HostOp::kSetReference).s1 = text;
  };
  textParser_.OnScript = [this](std::string& code) { ScanScriptCode(code); };
  textParser_.OnScriptLink = [this](std::string& literal) { JudgeScriptString(literal); };
  classParser_.OnClassRef = [this](const std::string& name) { JudgeClassLink(name); };
  classParser_.OnMessage = [this](const std::string& text) { Log("     >JAVA> " + text); };
  flashParser_.OnURL = [this](const std::string& url) { JudgeFlashLink(url); };
  flashParser_.OnMessage = [this](const std::string& text) { Log("     >FLASH> " + text); };
  if (S.CheckMode) {
    Remaining = S.TotalRows;
    Running = true;
  }
}

TTrawlonixThread::~TTrawlonixThread() {
  // The owner deletes the thread only after it finished; the slots were freed
  // on the worker thread at the end of Execute. Slots created by tests that
  // drive the worker without starting it are freed here.
  for (auto*& f : fetchers_) {
    delete f;
    f = nullptr;
  }
}

void TTrawlonixThread::run() {
  if (S.CheckMode)
    ExecuteCheck();
  else
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
  flushTimer_ = &flushTimer;

  ParseURL(S.Definition.StartingUrl, S.Definition.StrictUrl, StartURL);
  if (S.NewRun) {
    AddEntry(StartURL, -10, -1, 0);
    batch_.Push(HostOp::kExpandDirTree);
  }
  Aborting = false;
  Running = true;
  if (!S.Options.CheckCertificate) Log(kTlsVerifyOffNotice);
  StartFetches();
  bool busy = false;
  const int slotCount = SlotCount();
  for (int i = 0; i < slotCount; ++i)
    busy |= slotStates_[i] == 2;
  if (!busy) Running = false;
  Flush();
  if (Running) {
    flushTimer.start();
    loop.exec();
  }
  flushTimer.stop();
  EndRun();
  flushTimer_ = nullptr;
  loop_ = nullptr;
}

void TTrawlonixThread::EndRun() {
  // Slots are deleted on the thread that owns their sockets and timers.
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
      if (f->IsActive()) f->AbortProcess();
      delete f;
      f = nullptr;
    }
  }
  slotStates_.fill(0);
}

int TTrawlonixThread::SlotCount() const {
  return std::min(std::max(S.Options.MaxThreads, 1), kMaxSlots);
}

std::string TTrawlonixThread::SlotPrefix(int slot) {
  return "[" + std::to_string(slot) + "] ";
}

void TTrawlonixThread::StartFetches() {
  const int n = SlotCount();
  for (int slot = 0; slot < n; ++slot) {
    if (slotStates_[slot] == 2) continue;  // the same pending entry goes to the next slot
    const std::int32_t index = S.SpiderList->NextToFetch();
    if (index < 0) return;
    if (slotStates_[slot] == 0) {
      auto* f = new THTTPObject();
      f->SetThreadID(slot);
      f->OnTransferResults = [this](int tid, bool success) { FetchDone(tid, success); };
      f->OnReceiveData = [this](int tid, std::int64_t size) { SlotProgress(tid, size); };
      fetchers_[slot] = f;
      slotStates_[slot] = 1;
    }
    StartFetch(slot, index);
  }
}

void TTrawlonixThread::AbortAll() {
  Aborting = true;
  for (int slot = 0; slot < kMaxSlots; ++slot) {
    if (slotStates_[slot] != 0 && fetchers_[slot]) fetchers_[slot]->AbortProcess();
    if (slotStates_[slot] == 2) slotStates_[slot] = 1;
  }
  if (S.CheckMode) {
    // Aborted checks report nothing; their rows keep their text.
    FinishCheck();
    return;
  }
  // Aborted fetches report nothing: their entries simply become pending again.
  if (S.SpiderList) S.SpiderList->ClearInProgress();
  Running = false;
  if (loop_) loop_->quit();
}

void TTrawlonixThread::Flush() {
  if (batch_.Empty()) return;
  CallHost([this] { sink_->ExecuteBatch(batch_); });
  // Handles of new entries' tree items.
  for (std::size_t i = 0; i < batch_.ops.size() && i < batch_.results.size(); ++i) {
    const HostOp& op = batch_.ops[i];
    if (op.target < 0) continue;
    const AGetEntry* e = S.SpiderList->GetEntry(op.target);
    if (!e) continue;
    if (op.kind == HostOp::kAddDirItem)
      S.SpiderList->SetItems(op.target, batch_.results[i], e->LinkItem);
    else if (op.kind == HostOp::kAddLinkItem)
      S.SpiderList->SetItems(op.target, e->DirItem, batch_.results[i]);
  }
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
  batch_.counters.Add(Counters);
  batch_.countersReported = true;
  Counters.Clear();
}

void TTrawlonixThread::SetDocument(std::int32_t index) {
  const AGetEntry* e = S.SpiderList->GetEntry(index);
  CurrentIndex = index;
  if (e) {
    CurrentURL = e->URL;
    CurrentLevel = e->Level;
  }
  BaseSet = false;
  batch_.Push(HostOp::kForgetLastRow);
}

bool TTrawlonixThread::IsHypertext(const TURL& url) const {
  return S.Options.IsHTMLRecExtension(url.Ext);
}

}  // namespace trawlonix
