#include "engine/SlotBody.h"

#include <QEventLoop>
#include <algorithm>

#include "base/Translate.h"
#include "engine/TrawlonixThread.h"
#include "model/SpiderTools.h"

namespace trawlonix {

namespace {

constexpr const char* kCannotWrite = QT_TRANSLATE_NOOP("Engine", "！错误: 不能写入到文件 %1");

}  // namespace

void TSlotBody::Reset() {
  out.Discard();
  display.clear();
  unparsed = scratch = writeFailed = false;
}

bool TSlotBody::Append(std::string_view data) {
  if (!out.IsOpen() || out.Append(data)) return true;  // closed: counted, not kept
  writeFailed = true;
  return false;
}

bool TSlotBody::Truncate(std::int64_t size) {
  if (!out.IsOpen() || out.Truncate(size)) return true;
  writeFailed = true;
  return false;
}

std::string TSlotBody::FailText() const {
  return TrArgs(TrText("Engine", kCannotWrite), {display});
}

// The stored copy is opened when the body begins rather than when it ended.
// False when it cannot be created (logged when the fetch ends).
bool TTrawlonixThread::OpenBodyFile(int slot) {
  TSlotBody& b = bodies_[static_cast<std::size_t>(slot)];
  const AGetEntry* e = s_.SpiderList->GetEntry(fetchers_[slot]->ListID());
  if (!e || !s_.Definition.actSaveFiles) return false;
  const std::string name = judge_.LocalNameFor(e->URL, &b.display);
  if (!name.empty()) ForceParentDirs(s_.LocalDir, name);
  return !name.empty() && b.out.Create(name);
}

void TTrawlonixThread::BodyBegin(int slot) {
  THTTPObject* f = fetchers_[slot];
  TSlotBody& b = bodies_[static_cast<std::size_t>(slot)];
  const AGetEntry* e = s_.SpiderList->GetEntry(f->ListID());
  const int status = f->Client().StatusCode();
  if (!e || (status >= 300 && status < 400)) return;
  if (status >= 400) {
    // An error answer is never stored: its bytes are counted, not kept.
    f->SpillBody(&b);
    return;
  }
  if (ContentReaderFor(e->URL.Ext, f->ContentType()) != TContentReader::Other) return;
  OpenBodyFile(slot);
  f->SpillBody(&b);
}

void TTrawlonixThread::MarkUnparsed(int slot) {
  TSlotBody& b = bodies_[static_cast<std::size_t>(slot)];
  if (b.unparsed) return;
  b.unparsed = true;
  Log(SlotPrefix(slot) + TrArgs(translate("Engine", "文档大于 %1 MB，不解析链接，按原样保存。"),
                                {std::to_string(s_.Options.ParseLimitMB)}));
}

void TTrawlonixThread::BodyLimit(int slot) {
  MarkUnparsed(slot);
  OpenBodyFile(slot);
  fetchers_[slot]->SpillBody(&bodies_[static_cast<std::size_t>(slot)]);
}

// Bodies held in memory by all slots together stay within the budget: the
// one that grows past it continues in its file and is read back at its end.
void TTrawlonixThread::KeepMemoryBudget(int slot) {
  THTTPObject* f = fetchers_[slot];
  if (f->Spilled()) return;
  std::int64_t held = 0;
  for (int s = 0; s < kMaxSlots; ++s)
    if (fetchers_[s] && slotStates_[s] == TSlotState::Busy && !fetchers_[s]->Spilled())
      held += static_cast<std::int64_t>(fetchers_[s]->Data().size());
  if (held <= TSlotBody::kMemoryBudget) return;
  TSlotBody& b = bodies_[static_cast<std::size_t>(slot)];
  if (!OpenBodyFile(slot)) {
    // Read from a scratch file; creating the copy is tried again at the end.
    b.scratch = b.out.CreateScratch();
    if (!b.scratch) return;
  }
  f->SpillBody(&b);
}

// The body of a finished fetch in `r`: read back from its file when it is
// to be read for links, otherwise left in the file (r.Written).
void TTrawlonixThread::TakeBody(int slot, bool success, FetchResult& r) {
  THTTPObject* f = fetchers_[slot];
  TSlotBody& b = bodies_[static_cast<std::size_t>(slot)];
  r.Size = f->DataSize();
  if (!f->Spilled()) {
    // A file opened for an earlier answer of this fetch (one that a
    // relocation replaced) is not this document's copy.
    b.Reset();
    r.Data.swap(f->Data());
    return;
  }
  r.WriteFailed = b.writeFailed;
  if (!success || r.Status >= 400 || b.writeFailed) return;
  const AGetEntry* e = s_.SpiderList->GetEntry(f->ListID());
  const bool readable =
      e && (ContentReaderFor(e->URL.Ext, r.ContentType) != TContentReader::Other ||
            (r.Status >= 300 && r.Status < 400));
  // A document that went to its file before it passed the parse limit.
  if (readable && r.Size > std::int64_t{s_.Options.ParseLimitMB} * 1024 * 1024) MarkUnparsed(slot);
  if (readable && !b.unparsed && b.out.IsOpen()) {
    if (!b.out.ReadBack(r.Data) || !b.out.Truncate(0)) {
      r.WriteFailed = true;
      return;
    }
    if (b.scratch) b.out.Discard();
    r.Output = b.out.IsOpen() ? &b.out : nullptr;
    return;
  }
  r.Written = true;
  r.Unparsed = b.unparsed;
  if (b.scratch) b.out.Discard();  // never a stored copy
  r.Output = b.out.IsOpen() ? &b.out : nullptr;
}

}  // namespace trawlonix
