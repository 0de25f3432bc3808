// TTrawlonixThread: the crawl worker. One thread with its own event loop keeps
// up to MaxThreads fetch slots busy; every network event, every parse and
// every admission decision of a run happens on it. What the user should see
// goes to the host in batches (HostBatch.h); the spider list and the redirect
// list are the host's, used without a lock because the host leaves them alone
// while a run is active (TRunControl guarantees it).
//
// The code is split by concern: TrawlonixThread.cpp (run control),
// FetchHandling.cpp (starting and finishing a fetch, local names, shortcut),
// Admission.cpp (judging links), Dispatch.cpp (content handlers, rewriting).
#pragma once

#include <QThread>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "engine/CrawlHost.h"
#include "engine/HostBatch.h"
#include "model/SpiderList.h"
#include "model/tx_types.h"
#include "parsers/classparser.h"
#include "parsers/flashparser.h"
#include "parsers/htmlparser.h"
#include "settings/Settings.h"
#include "url/urlparser.h"

class QEventLoop;
class QTimer;

namespace trawlonix {

class THTTPObject;
struct TNamingOptions;

// The stored copy of one document: a temporary file beside the target that
// replaces the target only when every byte was written.
class TOutput {
 public:
  TOutput() = default;
  ~TOutput();
  TOutput(const TOutput&) = delete;
  TOutput& operator=(const TOutput&) = delete;
  bool Create(const std::string& name);  // false: the file cannot be created
  bool IsOpen() const { return file_ != nullptr; }
  bool Committed() const { return committed_; }
  const std::string& Name() const { return name_; }
  // Writes `data`, closes, renames over the target. False on any failure.
  bool Commit(std::string_view data);
  void Discard();  // an uncommitted temporary file is removed

 private:
  std::FILE* file_ = nullptr;
  std::string name_;
  std::string temp_;
  bool committed_ = false;
};

// Receives the worker's batches and its end; implemented by TRunControl. Both
// calls are made through a blocking call into the thread of `Context()`.
class TCrawlSink {
 public:
  virtual ~TCrawlSink() = default;
  virtual QObject* Context() = 0;
  virtual void ExecuteBatch(HostBatch& batch) = 0;
  virtual void CrawlDone() = 0;
  // A check of collected links ended (check mode only).
  virtual void CheckDone() {}
};

// Receives the worker's blocking calls on the host's thread.
class THostCaller : public QObject {
 public:
  bool event(QEvent* e) override;
};

inline constexpr int kMaxSlots = 64;
inline constexpr char kUserAgent[] = "Morvek Trawlonix 2.7 b6";

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

    // Check mode (LinkCheck.cpp): HEAD requests for the rows of the collected
    // links list of `CheckHost`, made on the host's thread.
    bool CheckMode = false;
    CrawlHost* CheckHost = nullptr;
    bool OnlySelected = false;  // only the selected rows
    int TotalRows = 0;          // rows when the check starts
    int ToCheck = 0;            // rows to check
    int ResultMode = 0;         // TLinkCheckMode
  };

  TTrawlonixThread(const Setup& setup, TCrawlSink* sink);
  ~TTrawlonixThread() override;

  // Called from any thread: the stop request is queued to the worker's thread,
  // where every slot is aborted and the in-progress marks are cleared.
  void RequestStop();
  // True once the worker handed over its end (acquire: its changes to the
  // lists are visible to the caller).
  bool Finished() const { return finished_.load(std::memory_order_acquire); }

  // ---- The worker's operations (worker thread; public for the tests, which
  // drive them without starting the thread). ----
  void Execute();
  void StartFetches();
  void StartFetch(int slot, std::int32_t index);
  void FetchDone(int slot, bool success);
  void SlotProgress(int slot, std::int64_t bytes);
  // Aborts every slot. In check mode (host's thread) the check then ends.
  void AbortAll();

  // Check mode (LinkCheck.cpp); everything but ExecuteCheck runs on the
  // host's thread.
  void ExecuteCheck();
  void StartChecks();
  void CheckDone(int slot, bool success);
  int Remaining = 0;  // rows not yet taken, counted from the start of the list
  int Checked = 0;    // checks that reported

  // The handling of a finished fetch, with the result already taken from the
  // fetch object. `data` is the body (or the relocation page).
  struct FetchResult {
    int Status = 0;
    std::string Reason;
    std::string ContentType;
    std::string Data;
  };
  void HandleResult(int slot, std::int32_t index, bool success, FetchResult& result);

  // Admission (Admission.cpp).
  static bool IsAdmitted(int mode, const std::string& startHost, const std::string& startPath,
                         const TrawlonixDefinition& def, const std::string& linkPath,
                         const std::string& linkHost);
  void JudgeLink(std::string& text, TLinkKind kind);
  // `linkOp` is the batch index of the link-tree item recorded for this link
  // (-1: none); a new entry receives that item's handle when the batch runs.
  bool AddEntry(const TURL& url, std::int32_t referrer, int linkOp, std::int32_t level);

  // Dispatch and rewriting (Dispatch.cpp).
  void Dispatch(int slot, const std::string& data, const std::string& contentType, TOutput* out);
  void SetBase(const std::string& text);
  void RewriteAdmitted(std::string& text, TURL u, const std::string& fragment);
  void ScanScriptCode(std::string& code);
  void JudgeScriptString(std::string& text);
  void JudgeFlashLink(const std::string& text);
  void JudgeClassLink(const std::string& text);

  // Writes "[InternetShortcut]" / "URL=" + target to base + ".url", or to the
  // first free "base [n].url" (n up to 1000). False when nothing was written.
  static bool WriteShortcut(const std::string& baseName, const std::string& target);

  // The local file name of a URL as saving uses it (index name, numbering of
  // queries, ".html" renaming), through the confining rules: empty when the
  // name would leave the mirror. `display` receives the name for log lines
  // even when it is refused.
  std::string LocalNameFor(const TURL& url, std::string* display = nullptr);

  // Sends the batch collected so far to the host (one blocking call).
  void Flush();
  HostBatch& Batch() { return batch_; }
  void Log(std::string line);
  void ReportCounters();
  void SetDocument(std::int32_t index);  // CurrentURL/Index/Level, BaseSet := false

  // Per-run state.
  Setup S;
  TURL StartURL;
  TURL CurrentURL;
  TURL BaseURL;
  bool BaseSet = false;
  std::int32_t CurrentIndex = -1;
  std::int32_t CurrentLevel = 0;
  int CurrentSlot = 0;
  bool Aborting = false;
  bool Running = false;
  TCounters Counters;
  // Documents received whose copy could not be stored (worker thread; read
  // by the host once the worker has finished).
  int NotStored = 0;
  bool StartPageNotStored = false;  // among them the start page

 protected:
  void run() override;

 private:
  bool IsHypertext(const TURL& url) const;
  int FileIcon(const TURL& url) const;
  void OfferCollected(const TURL& u);
  void OfferEMail(const std::string& address);
  // The limit field that applies to a link of `kind` (9 and above: mode 1).
  int LimitFor(int kind, const TURL& u) const;
  // The http part shared by every link source: limit mode, optional level
  // limit, collection, link-tree item, AddEntry and icon. Returns Admitted.
  enum class IconRule { Html, Script };
  bool JudgeHttp(const TURL& u, int mode, bool levelLimit, bool collect, IconRule icons);
  // Records a link-tree item under the current document; -1 when the link
  // structure is not shown. The icon is set later by SetLinkIcon.
  int AddLinkTreeItem(const std::string& text);
  void SetLinkIcon(int op, int icon);
  // Normalises and parses a link text, resolves it against the base (when
  // set) and the current document; an empty Path becomes "/". False when the
  // text does not parse.
  bool ResolveLink(const std::string& raw, bool strict, TURL& u, std::string& fragment) const;
  // The request every slot makes: `url`, the program's agent, the run's
  // time-out.
  void BeginRequest(THTTPObject* f, const std::string& url) const;
  // The options' proxy, or none with every proxy field cleared.
  void ApplyProxy(THTTPObject* f) const;
  // How a stored name is made for `url`: index file name, redirect number
  // of a script URL, the project's renaming.
  TNamingOptions NamingOptionsFor(const TURL& url);
  // A slot's URL and info text for the host; its progress starts at 0.
  void ShowSlot(int slot, const std::string& url, const std::string& info);
  void EndRun();
  // Detaches, aborts and deletes every slot; all slots become unused.
  void DeleteSlots();
  // The slots a run or check uses: MaxThreads, at least 1, at most kMaxSlots.
  int SlotCount() const;
  // "[n] ", the start of a slot's log lines.
  static std::string SlotPrefix(int slot);
  bool AnySlotBusy() const;
  // Check mode: the row of a finished check was deleted.
  void ShiftListIDs(int slot, int row);
  // Check mode: no more checks; the worker's loop ends (host's thread).
  void FinishCheck();
  void EndCheck();  // host's thread, after the loop ended
  // Runs `fn` on the host's thread while the worker waits.
  void CallHost(const std::function<void()>& fn);

  TCrawlSink* sink_;
  HostBatch batch_;
  std::unique_ptr<QObject> ctx_;         // lives in the worker thread; receives stop requests
  std::unique_ptr<THostCaller> caller_;  // lives in the host's thread
  QEventLoop* loop_ = nullptr;
  QTimer* flushTimer_ = nullptr;
  std::array<THTTPObject*, kMaxSlots> fetchers_{};
  std::array<std::uint8_t, kMaxSlots> slotStates_{};  // 0 unused, 1 idle, 2 busy
  THTMLParser textParser_;
  TJavaClassParser classParser_;
  TFlashParser flashParser_;
  std::string rewriteBuf_;
  std::atomic<bool> finished_{false};
  bool checkFinishing_ = false;  // check mode, host's thread
  // Check mode: the host's thread tells the waiting worker that it may end.
  std::mutex checkEndMutex_;
  std::condition_variable checkEndCv_;
  std::atomic<bool> checkEnded_{false};

 public:
  const std::array<std::uint8_t, kMaxSlots>& SlotStates() const { return slotStates_; }
};

}  // namespace trawlonix
