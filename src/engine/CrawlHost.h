// The crawl host: everything the crawl worker asks of whoever drives it. The
// desktop window implements it with its trees, lists, log box, status bar and
// slot status window; trawlonix-cli with a console view.
//
// During a crawl the worker never calls a host directly. It records its
// requests and hands them over in batches, each batch one blocking call into
// the host's thread (see HostBatch.h), so every method below runs on the
// host's thread while the worker waits. A check of collected links runs its
// fetches on the host's thread itself (LinkCheck.h) and calls the host there. Item handles are
// opaque integers the host hands out; 0 means "no item". The engine only stores them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/SpiderList.h"
#include "url/urlparser.h"

namespace trawlonix {

// The eight counters of a run, in this order: bytes below 1 KB, kilobytes,
// files queued, hypertext queued, files received, hypertext received, files
// checked, hypertext checked. The worker sends deltas; the host keeps totals.
struct TCounters {
  enum Index : int {
    kByteRest = 0,
    kKiloBytes,
    kQueued,
    kQueuedHt,
    kReceived,
    kReceivedHt,
    kChecked,
    kCheckedHt,
    kCount
  };
  std::array<std::int32_t, kCount> v{};

  // Adds a byte count to the byte rest and carries whole kilobytes.
  void AddBytes(std::int64_t bytes);
  // Adds every field of `delta`, with the same kilobyte carry for the bytes.
  void Add(const TCounters& delta);
  bool IsZero() const;
  void Clear() { v.fill(0); }
  std::int32_t& operator[](int i) { return v[static_cast<std::size_t>(i)]; }
  std::int32_t operator[](int i) const { return v[static_cast<std::size_t>(i)]; }
};

class CrawlHost {
 public:
  virtual ~CrawlHost() = default;

  // --- Views fed by a running worker -------------------------------------
  virtual void AppendLog(const std::string& line) = 0;
  // `totals` already includes `delta`.
  virtual void CountersChanged(const TCounters& delta, const TCounters& totals) = 0;

  virtual TItemHandle AddDirItem(const TURL& url) = 0;
  virtual void MarkDirItemLoaded(TItemHandle item) = 0;
  // `parent` 0 puts the item at the top level.
  virtual TItemHandle AddLinkItem(TItemHandle parent, const std::string& text) = 0;
  virtual void SetLinkItemIcon(TItemHandle item, int icon) = 0;
  virtual void BeginTreeUpdate() {}
  virtual void EndTreeUpdate() {}
  virtual void ExpandDirTree() {}

  // The three result lists. Each returns true when a row was added (false for
  // a duplicate); SetLastRowReference replaces "<???>" in the rows added to the
  // collected links and e-mail lists since ForgetLastRow (the rows of one
  // anchor). ResultLists.h implements the rules.
  virtual bool OfferCollectedLink(const std::string& url, const std::string& firstOccurrence) = 0;
  virtual bool OfferEMail(const std::string& address, const std::string& firstOccurrence) = 0;
  virtual bool OfferBrokenLink(const std::string& url, const std::string& errorText,
                               const std::string& firstOccurrence) = 0;
  virtual void SetLastRowReference(const std::string& text) = 0;
  // A new document begins: anchor texts found from now on belong to its own
  // links, so the last added row of an earlier document is forgotten.
  virtual void ForgetLastRow() {}

  virtual void SetSlotUrl(int slot, const std::string& url) = 0;
  virtual void SetSlotInfo(int slot, const std::string& info) = 0;
  virtual void SetSlotProgress(int slot, int position) = 0;  // 0..10000

  // --- Run control (called by TRunControl, on the host's thread) -----------
  enum class StartChoice { Cancel, Continue, Restart, Update };
  // The resume question; `canContinue` false means the project is complete
  // (continue disabled, update preselected).
  virtual StartChoice AskStartChoice(bool canContinue) = 0;
  virtual void ClearLog() {}
  virtual void ClearTrees() {}
  virtual void SetSlotCount(int count) = 0;
  virtual void RunStateChanged(bool running) = 0;
  // The results window: status text ("已结束" or "被中断") and the totals.
  virtual void ShowResults(const std::string& status, const TCounters& totals) = 0;
  // After an interrupted run: the save question. True: save now.
  virtual bool AskSaveAfterInterrupt() = 0;
  // Saves the open project; false when that failed or was cancelled.
  virtual bool SaveProject() = 0;

  // --- Checking the collected links (LinkCheck.h; on the host's thread) ---
  // The rows of the collected links list, by index from 0 in list order. A
  // check takes rows from the end towards the start; deleting a row moves the
  // rows after it up by one.
  virtual int CollectedLinkCount() { return 0; }
  virtual std::string CollectedLinkUrl(int /*row*/) { return {}; }
  virtual bool CollectedLinkSelected(int /*row*/) { return false; }
  // The row's "测试结果" column.
  virtual void SetCollectedLinkResult(int /*row*/, const std::string& /*text*/) {}
  virtual void SetCollectedLinkSelected(int /*row*/, bool /*selected*/) {}
  virtual void DeleteCollectedLink(int /*row*/) {}
  // One more row was checked: `done` of `toCheck` (the progress bar's step
  // and the status text LinkCheckProgressText(done, toCheck)).
  virtual void CheckProgress(int /*done*/, int /*toCheck*/) {}
  // The link check ended, finished or cancelled; the worker is gone.
  virtual void CheckDone() {}
};

}  // namespace trawlonix
