#include "engine/HostBatch.h"

#include "engine/LogFile.h"

namespace trawlonix {

void TCounters::AddBytes(std::int64_t bytes) {
  std::int64_t rest = static_cast<std::int64_t>(v[kByteRest]) + bytes;
  if (rest >= 1024) {
    v[kKiloBytes] += static_cast<std::int32_t>(rest / 1024);
    rest %= 1024;
  }
  v[kByteRest] = static_cast<std::int32_t>(rest);
}

void TCounters::Add(const TCounters& delta) {
  for (int i = kKiloBytes; i < kCount; ++i)
    (*this)[i] += delta[i];
  AddBytes(delta[kByteRest]);
}

bool TCounters::IsZero() const {
  for (auto x : v)
    if (x != 0) return false;
  return true;
}

bool HostBatch::Empty() const {
  if (!ops.empty() || countersReported) return false;
  for (auto p : progress)
    if (p >= 0) return false;
  return true;
}

void HostBatch::Clear() {
  ops.clear();
  urls.clear();
  results.clear();
  counters.Clear();
  countersReported = false;
  progress.fill(-1);
}

void HostBatch::Log(std::string line) {
  HostOp& op = Push(HostOp::kLog);
  op.s1 = std::move(line);
}

HostOp& HostBatch::Push(HostOp::Kind kind) {
  ops.emplace_back();
  ops.back().kind = kind;
  return ops.back();
}

void ExecuteBatch(CrawlHost& host, HostBatch& batch, TLogFile* logFile, TCounters& totals) {
  batch.results.assign(batch.ops.size(), 0);
  for (std::size_t i = 0; i < batch.ops.size(); ++i) {
    HostOp& op = batch.ops[i];
    switch (op.kind) {
      case HostOp::kLog:
        host.AppendLog(op.s1);
        if (logFile) logFile->WriteLine(op.s1);
        break;
      case HostOp::kAddDirItem:
        batch.results[i] = host.AddDirItem(batch.urls[static_cast<std::size_t>(op.urlIndex)]);
        break;
      case HostOp::kMarkLoaded:
        host.MarkDirItemLoaded(op.item);
        break;
      case HostOp::kAddLinkItem:
        batch.results[i] = host.AddLinkItem(op.item, op.s1);
        if (op.num >= 0) host.SetLinkItemIcon(batch.results[i], op.num);
        break;
      case HostOp::kSetLinkIcon:
        host.SetLinkItemIcon(op.item, op.num);
        break;
      case HostOp::kBeginUpdate:
        host.BeginTreeUpdate();
        break;
      case HostOp::kEndUpdate:
        host.EndTreeUpdate();
        break;
      case HostOp::kExpandDirTree:
        host.ExpandDirTree();
        break;
      case HostOp::kOfferLink:
        host.OfferCollectedLink(op.s1, op.s2);
        break;
      case HostOp::kOfferEMail:
        host.OfferEMail(op.s1, op.s2);
        break;
      case HostOp::kOfferBroken:
        host.OfferBrokenLink(op.s1, op.s2, op.s3);
        break;
      case HostOp::kSetReference:
        host.SetLastRowReference(op.s1);
        break;
      case HostOp::kForgetLastRow:
        host.ForgetLastRow();
        break;
      case HostOp::kSlotUrl:
        host.SetSlotUrl(op.num, op.s1);
        break;
      case HostOp::kSlotInfo:
        host.SetSlotInfo(op.num, op.s1);
        break;
    }
  }
  for (int slot = 0; slot < static_cast<int>(batch.progress.size()); ++slot) {
    if (batch.progress[static_cast<std::size_t>(slot)] >= 0)
      host.SetSlotProgress(slot, batch.progress[static_cast<std::size_t>(slot)]);
  }
  if (batch.countersReported) {
    totals.Add(batch.counters);
    host.CountersChanged(batch.counters, totals);
  }
}

void ApplyItemHandles(const HostBatch& batch, TSpiderList& spider) {
  for (std::size_t i = 0; i < batch.ops.size() && i < batch.results.size(); ++i) {
    const HostOp& op = batch.ops[i];
    if (op.target < 0) continue;
    const AGetEntry* e = spider.GetEntry(op.target);
    if (!e) continue;
    if (op.kind == HostOp::kAddDirItem)
      spider.SetItems(op.target, batch.results[i], e->LinkItem);
    else if (op.kind == HostOp::kAddLinkItem)
      spider.SetItems(op.target, e->DirItem, batch.results[i]);
  }
}

}  // namespace trawlonix
