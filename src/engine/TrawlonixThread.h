// TTrawlonixThread: the crawl worker. One thread with its own event loop keeps
// up to MaxThreads fetch slots busy; what a received document means for the
// crawl is decided by its link judge (LinkJudge.h), what the user should see
// goes to the host in batches (HostBatch.h). The spider list and the redirect
// list are the host's, used without a lock because the host leaves them alone
// while a run is active (TRunControl guarantees it).
//
// TrawlonixThread.cpp: run control and host calls; FetchHandling.cpp:
// starting and finishing a fetch, the stored copy.
#pragma once

#include <QThread>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/CrawlHost.h"
#include "engine/FileOutput.h"
#include "engine/HostBatch.h"
#include "engine/LinkJudge.h"
#include "engine/PoliteFetch.h"
#include "engine/SlotBody.h"
#include "engine/SlotRequest.h"
#include "model/SpiderList.h"
#include "model/tx_types.h"
#include "settings/Settings.h"

class QEventLoop;

namespace trawlonix {

class THTTPObject;

// Receives the worker's batches and its end; implemented by TRunControl. Both
// calls are made through a blocking call into the thread of `Context()`.
class TCrawlSink {
 public:
  virtual ~TCrawlSink() = default;
  virtual QObject* Context() = 0;
  virtual void ExecuteBatch(HostBatch& batch) = 0;
  virtual void CrawlDone() = 0;
};

// Receives the worker's blocking calls on the host's thread.
class THostCaller : public QObject {
 public:
  bool event(QEvent* e) override;
};

// A fetch slot's state.
enum class TSlotState : std::uint8_t { Unused, Idle, Busy };

class TTrawlonixThread : public QThread {
 public:
  // Everything a run needs, handed over by the run control before start().
  struct Setup {
    TSpiderList* SpiderList = nullptr;
    TCGIRedirectList* RedirectList = nullptr;
    TrawlonixDefinition Definition;
    TOptions Options;      // a copy: the worker never reads the host's settings
    std::string LocalDir;  // ends with "/"
    bool UpdateMode = false;
    bool NewRun = false;
    // Tests shorten the inactivity limit below one second (0: Options.TimeOut).
    int TimeoutMs = 0;
    bool LogAddedLinks = true;  // the "added link" line of every new entry
    TPoliteSetup Polite;
    // Tests shorten the window of the transfer-rate floor (0: one minute).
    int RateWindowMs = 0;
  };

  TTrawlonixThread(const Setup& setup, TCrawlSink* sink);
  ~TTrawlonixThread() override;

  // Called from any thread: the stop request is queued to the worker's thread,
  // where every slot is aborted and the in-progress marks are cleared.
  void RequestStop();
  // True once the worker handed over its end (acquire: its changes to the
  // lists are visible to the caller).
  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  // Documents received whose copy could not be stored, and whether the start
  // page is among them (read by the host once Finished()).
  int NotStored() const { return notStored_; }
  bool StartPageNotStored() const { return startPageNotStored_; }
  // The run ended because the spider list was full (Options.MaxEntries).
  bool EndedByEntryCap() const { return endedByEntryCap_; }
  // The run stopped asking for new files because it reached its quota.
  bool QuotaReached() const { return polite_.QuotaReached; }

  // The handling of a finished fetch, with the result already taken from the
  // fetch object: the entry's marks, counters, the stored copy and the
  // judging of its content. `Data` is the body (or the relocation page).
  struct FetchResult {
    int Status = 0;
    std::string Reason;
    std::string ContentType;
    std::string Data;
    std::int64_t Size = -1;     // body bytes received (-1: Data's size)
    TOutput* Output = nullptr;  // the stored copy, opened while the body arrived
    bool Written = false;       // the body is in Output (or was dropped), not in Data
    bool Unparsed = false;      // over the parse limit: stored unread
    bool WriteFailed = false;   // writing the body to its file failed
  };
  void HandleResult(int slot, std::int32_t index, bool success, FetchResult& result);
  // Sends the batch collected so far to the host (one blocking call).
  void Flush();

 protected:
  void run() override;

 private:
  void Execute();
  void StartFetches();
  void StartFetch(int slot, std::int32_t index);
  // Politeness (PoliteFetch.cpp).
  void InitPolite();
  void EndPolite();
  std::int64_t NowMs() const;
  void EnsureSlot(int slot);
  // Starts the next request this slot may make now (an entry, or the
  // robots.txt its server needs first); false when there is none.
  bool TakeNext(int slot);
  bool TakeParked(int slot, std::int64_t now);
  bool ServerReady(const std::string& server, std::int64_t now) const;
  void Park(const std::string& server, std::int32_t index);
  void Unpark();
  bool QuotaStops();
  bool RateAllowsAnother() const;
  // False when robots.txt forbids the entry (logged, not fetched).
  bool StartEntry(int slot, std::int32_t index, const std::string& server);
  void StartRobots(int slot, const TURL& like, const std::string& server);
  void RobotsDone(int slot, bool success);
  void RobotsDeadline(int slot, std::uint64_t generation);
  // Cookies, size limit and pacing of a request about to start in `slot`.
  void PrepareSlot(int slot, const TURL& url, const std::string& server, bool robots);
  // The slot's request ended: pacing and quota; true when it was stopped
  // for passing the largest file size (logged).
  // The text that ends a fetch whose file passes the largest file size, or "".
  std::string FileSizeRefusal(const THTTPObject* f, std::int64_t size) const;
  bool SlotEnded(int slot, bool success);
  // Fills free slots; ends the run when nothing is busy or waiting.
  void ContinueRun();
  bool WaitingForPace() const;
  void ArmPaceTimer();
  void FetchDone(int slot, bool success);
  void SlotProgress(int slot, std::int64_t bytes);
  // Where a slot's body goes (SlotBody.cpp).
  bool OpenBodyFile(int slot);
  void BodyBegin(int slot);
  void BodyLimit(int slot);
  void MarkUnparsed(int slot);
  void KeepMemoryBudget(int slot);
  void TakeBody(int slot, bool success, FetchResult& r);
  // Stores a document that went straight to its file.
  bool StoreWritten(int slot, const FetchResult& r, TOutput* out);
  // A received document whose copy could not be stored: fetched again next run.
  void MarkNotStored(std::int32_t index);
  // Aborts every slot; the aborted entries become pending again.
  void AbortAll();
  // Reads the current document with the judge and stores its copy in `out`.
  void Dispatch(int slot, const std::string& data, const std::string& contentType, TOutput* out);
  void Log(std::string line);
  void ReportCounters();
  // A slot's URL and info text for the host; its progress starts at 0.
  void ShowSlot(int slot, const std::string& url, const std::string& info);
  void EndRun();
  // The spider list is full: the run ends as if stopped; the document whose
  // links found no room stays pending with the aborted ones.
  void EndAtEntryCap();
  // Detaches, aborts and deletes every slot; all slots become unused.
  void DeleteSlots();
  bool AnySlotBusy() const;
  // Runs `fn` on the host's thread while the worker waits.
  void CallHost(const std::function<void()>& fn);

  Setup s_;
  TCrawlSink* sink_;
  HostBatch batch_;
  TLinkJudge judge_;
  TCounters counters_;
  bool aborting_ = false;
  bool running_ = false;
  int notStored_ = 0;
  bool startPageNotStored_ = false;
  bool endedByEntryCap_ = false;
  std::unique_ptr<QObject> ctx_;         // lives in the worker thread; receives stop requests
  std::unique_ptr<THostCaller> caller_;  // lives in the host's thread
  QEventLoop* loop_ = nullptr;
  std::array<THTTPObject*, kMaxSlots> fetchers_{};
  std::array<TSlotState, kMaxSlots> slotStates_{};
  std::array<TSlotBody, kMaxSlots> bodies_{};
  std::string rewriteBuf_;
  TPoliteState polite_;
  std::atomic<bool> finished_{false};
};

// The judge's part of a run's setup.
TJudgeSetup JudgeSetupFor(const TTrawlonixThread::Setup& setup);

}  // namespace trawlonix
