// The worker's requests to its host, recorded in order and handed over in one
// blocking call per batch. A crawl of a few thousand pages makes hundreds of
// thousands of host requests (log lines, tree items, counters); one thread
// round trip each would cost more than the parsing, so the worker collects
// them and flushes at the end of every event it handles.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/CrawlHost.h"
#include "engine/SlotRequest.h"

namespace trawlonix {

struct HostOp {
  enum Kind : std::uint8_t {
    kLog,
    kAddDirItem,   // url -> handle stored in entry `target`'s DirItem
    kMarkLoaded,   // item
    kAddLinkItem,  // parent item, text, icon (< 0: none) -> entry `target`'s LinkItem
    kSetLinkIcon,  // item, icon
    kBeginUpdate,
    kEndUpdate,
    kExpandDirTree,
    kOfferLink,     // s1 url, s2 first occurrence
    kOfferEMail,    // s1 address, s2 first occurrence
    kOfferBroken,   // s1 url, s2 error text, s3 first occurrence
    kSetReference,  // s1 text
    kForgetLastRow,
    kSlotUrl,   // slot, s1
    kSlotInfo,  // slot, s1
  };
  Kind kind = kLog;
  std::int32_t num = 0;      // slot number or icon
  std::int32_t target = -1;  // spider-list index that receives a returned handle
  TItemHandle item = 0;
  std::string s1, s2, s3;
  std::int32_t urlIndex = -1;  // into HostBatch::urls
};

struct HostBatch {
  std::vector<HostOp> ops;
  std::vector<TURL> urls;
  TCounters counters;  // delta reported with this batch
  bool countersReported = false;
  // Latest progress per slot since the last flush; -1: unchanged.
  std::array<std::int32_t, kMaxSlots> progress;
  // Filled by the executor, one per op (handles of kAddDirItem/kAddLinkItem).
  std::vector<TItemHandle> results;

  HostBatch() { progress.fill(-1); }
  bool Empty() const;
  void Clear();

  void Log(std::string line);
  HostOp& Push(HostOp::Kind kind);
};

class TLogFile;

// Runs every op of `batch` against `host` in order and fills `batch.results`;
// log lines also go to `logFile` when it is open; the counter delta is added
// to `totals` before the host sees it. Runs on the host's thread.
void ExecuteBatch(CrawlHost& host, HostBatch& batch, TLogFile* logFile, TCounters& totals);

// After ExecuteBatch: the tree items the host made for new entries are
// stored in those entries of `spider`.
void ApplyItemHandles(const HostBatch& batch, TSpiderList& spider);

}  // namespace trawlonix
