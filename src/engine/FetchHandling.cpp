// One document's way through the worker: starting its request in a slot,
// and handling the result when the slot reports (saving, logging, counting,
// retries and broken links).
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <QDateTime>
#include <QEventLoop>
#include <cmath>
#include <cstdio>

#include "base/Translate.h"
#include "engine/TrawlonixThread.h"
#include "model/SpiderTools.h"
#include "net/HttpObject.h"

namespace trawlonix {

namespace {

bool IsRetriedStatus(int status) {
  return status == 408 || status == 499 || status == 503 || status == 504;
}

}  // namespace

void TTrawlonixThread::ShowSlot(int slot, const std::string& url, const std::string& info) {
  HostOp& u = batch_.Push(HostOp::kSlotUrl);
  u.num = slot;
  u.s1 = url;
  HostOp& i = batch_.Push(HostOp::kSlotInfo);
  i.num = slot;
  i.s1 = info;
  batch_.progress[static_cast<std::size_t>(slot)] = 0;
}

void TTrawlonixThread::StartFetch(int slot, std::int32_t index) {
  EnsureSlot(slot);
  const AGetEntry* e = s_.SpiderList->GetEntry(index);
  THTTPObject* f = fetchers_[slot];
  if (!e || !f) return;
  s_.SpiderList->SetInProgress(index, true);
  bodies_[static_cast<std::size_t>(slot)].Reset();

  const std::string url = ComposeURL(e->URL);
  BeginRequest(f, url, s_.Options, s_.TimeoutMs);
  f->SetMethod(htom_Get);
  f->SetListID(index);

  // In an update run the stored copy's date goes out as If-Modified-Since,
  // looked up under the name the copy was saved with, in GMT.
  QDateTime since;
  if (s_.UpdateMode) {
    const std::string local = judge_.LocalNameFor(e->URL);
    const std::int64_t mtime = local.empty() ? 0 : LocalFileDate(local);
    if (mtime > 0) since = QDateTime::fromSecsSinceEpoch(mtime, Qt::UTC);
  }
  f->SetModifiedSince(since);

  std::string referer;
  if (s_.Options.ReferingPage) {
    if (const AGetEntry* r = s_.SpiderList->GetEntry(e->Referrer)) referer = ComposeURL(r->URL);
  }
  f->SetRefering(referer);
  f->SetUsername({});
  f->SetPassword({});
  if (!s_.Definition.Username.empty()) {
    f->SetUsername(s_.Definition.Username);
    if (!s_.Definition.Password.empty()) f->SetPassword(s_.Definition.Password);
  }
  ApplyProxy(f, s_.Options);
  PrepareSlot(slot, e->URL, ServerOf(e->URL), false);

  Log(SlotPrefix(slot) + "GET " + url + " REFER " + referer + " USER-AGENT " +
      UserAgentOf(s_.Options));
  ShowSlot(slot, url, translate("Engine", "正在工作！"));

  slotStates_[slot] = TSlotState::Busy;
  const int rc = f->InitiateProcess();
  // A failed start still ends in one (posted) report, so the slot stays busy
  // until then and the entry is finished like any failed fetch.
  if (rc != 0)
    Log(SlotPrefix(slot) +
        TrArgs(translate("Engine", "被报告有错误号码: %1"), {std::to_string(rc)}));
}

void TTrawlonixThread::SlotProgress(int slot, std::int64_t bytes) {
  THTTPObject* f = (slot >= 0 && slot < kMaxSlots) ? fetchers_[slot] : nullptr;
  if (!f) return;
  KeepMemoryBudget(slot);
  const std::int64_t expected = f->ContentLength();
  int pos = 10000;
  if (expected >= 1) {
    const double p =
        std::round(10000.0 * static_cast<double>(bytes) / static_cast<double>(expected));
    pos = static_cast<int>(std::min(std::max(p, 0.0), 10000.0));
  }
  batch_.progress[static_cast<std::size_t>(slot)] = pos;
}

void TTrawlonixThread::FetchDone(int slot, bool success) {
  if (slot < 0 || slot >= kMaxSlots || !fetchers_[slot]) return;
  THTTPObject* f = fetchers_[slot];
  if (polite_.SlotRobots[slot]) {
    RobotsDone(slot, success);
  } else {
    ShowSlot(slot, {}, translate("Engine", "等候..."));
    slotStates_[slot] = TSlotState::Idle;
    if (!SlotEnded(slot, success)) {
      FetchResult r;
      r.Status = f->StatusCode();
      r.Reason = f->ReasonPhrase();
      r.ContentType = f->ContentType();
      TakeBody(slot, success, r);
      HandleResult(slot, f->ListID(), success, r);
      // Give a small buffer back so that the slot's next fetch reuses its
      // capacity; a large one goes back to the system.
      r.Data.clear();
      if (r.Data.capacity() <= (1u << 20)) f->Data().swap(r.Data);
    }
    bodies_[static_cast<std::size_t>(slot)].Reset();
  }
  if (!aborting_) ContinueRun();
  Flush();
}

void TTrawlonixThread::HandleResult(int slot, std::int32_t index, bool success, FetchResult& r) {
  const AGetEntry* e = s_.SpiderList->GetEntry(index);
  if (!e) return;
  const TURL url = e->URL;
  std::string refText;
  if (const AGetEntry* ref = s_.SpiderList->GetEntry(e->Referrer)) refText = ComposeURL(ref->URL);
  const std::string prefix = SlotPrefix(slot);

  if (r.WriteFailed) {
    // Received, but the disk refused it: like any copy that cannot be stored.
    Log(TrArgs(translate("Engine", "！错误: 不能写入到文件 %1"),
               {bodies_[static_cast<std::size_t>(slot)].display}));
    MarkNotStored(index);
    return;
  }
  if (!success || r.Status >= 400) {
    Log(prefix +
        TrArgs(translate("Engine", "已中断，有错误: %1 %2"), {std::to_string(r.Status), r.Reason}));
    if (s_.Options.RetryAll || aborting_ || IsRetriedStatus(r.Status)) {
      s_.SpiderList->MarkFailed(index);
      // A start page that used up its retries (a server that never answers)
      // is a broken link like one the server refused; it stays pending, so
      // that a later run tries it again.
      const AGetEntry* now = s_.SpiderList->GetEntry(index);
      if (index == 0 && !aborting_ && now && now->Failures > s_.SpiderList->MaxErrors &&
          s_.Definition.actBLinks) {
        HostOp& op = batch_.Push(HostOp::kOfferBroken);
        op.s1 = ComposeURL(url);
        op.s2 = std::to_string(r.Status) + " " + r.Reason;
        op.s3 = refText;
      }
    } else {
      s_.SpiderList->MarkBroken(index);
      if (s_.Definition.actBLinks && !e->Guessed) {
        HostOp& op = batch_.Push(HostOp::kOfferBroken);
        op.s1 = ComposeURL(url);
        op.s2 = std::to_string(r.Status) + " " + r.Reason;
        op.s3 = refText;
      }
    }
    return;
  }

  // The entry counts as fetched only once its copy is stored (below); until
  // then it stays in progress, so a checkpoint taken meanwhile keeps it
  // pending.
  bool stored = true;
  Log(prefix +
      (r.Status == 304 ? translate("Engine", "没有修改。") : translate("Engine", "成功。")));
  const bool ht = judge_.IsHypertext(url);
  if (s_.UpdateMode) {
    ++counters_[TCounters::kChecked];
    if (ht) ++counters_[TCounters::kCheckedHt];
  }
  if (!s_.UpdateMode || r.Status != 304) {
    counters_.AddBytes(r.Size >= 0 ? r.Size : static_cast<std::int64_t>(r.Data.size()));
    ++counters_[TCounters::kReceived];
    if (ht) ++counters_[TCounters::kReceivedHt];

    // The copy may have been opened while the body arrived (a body written
    // to its file as it came); otherwise it is created now.
    TOutput own;
    TOutput* out = r.Output;
    if (s_.Definition.actSaveFiles && !out) {
      std::string display;
      const std::string localName = judge_.LocalNameFor(url, &display);
      if (!r.Written && !localName.empty()) ForceParentDirs(s_.LocalDir, localName);
      if (!r.Written && !localName.empty() && own.Create(localName)) out = &own;
      if (!out) Log(TrArgs(translate("Engine", "！错误: 文件 %1 不能被创建！"), {display}));
    }
    judge_.BeginDocument(index);
    if (r.Written) {
      stored = StoreWritten(slot, r, out);
    } else {
      // A relocation answer holds the generated page that links to the new
      // location; it is read as HTML whatever type the answer declared, so
      // that the new location is found and followed.
      std::string type = r.ContentType;
      if (r.Status >= 300 && r.Status < 400 && r.Status != 304) {
        type = "text/html";
        judge_.MarkRelocation();
      }
      Dispatch(slot, r.Data, type, out);
      stored = !s_.Definition.actSaveFiles || (out && out->Committed());
    }
    if (index == 0 && stored && out && !out->Name().empty())
      WriteShortcut(s_.LocalDir + TrArgs(translate("Engine", "Trawlonix 从 %1 浏览"),
                                         {LocalHostDir(url.Host)}),
                    out->Name());
    if (out) out->Discard();
    if (judge_.EntryCapReached()) {
      ReportCounters();
      EndAtEntryCap();
      return;
    }
  }
  if (stored) {
    s_.SpiderList->MarkFetched(index);
    if (const AGetEntry* done = s_.SpiderList->GetEntry(index); done && done->DirItem)
      batch_.Push(HostOp::kMarkLoaded).item = done->DirItem;
  } else {
    MarkNotStored(index);
  }
  ReportCounters();
}

void TTrawlonixThread::MarkNotStored(std::int32_t index) {
  // Not retried in this run (the disk that refused it will likely refuse
  // again) but not fetched either: the next run fetches it again.
  ++notStored_;
  startPageNotStored_ |= index == 0;
  if (AGetEntry* w = s_.SpiderList->GetEntry(index)) w->Failures = s_.SpiderList->MaxErrors;
  s_.SpiderList->MarkFailed(index);
}

bool TTrawlonixThread::StoreWritten(int slot, const FetchResult& r, TOutput* out) {
  const std::string p = SlotPrefix(slot);
  // A document over the parse limit was announced when it passed it.
  if (!r.Unparsed) Log(p + translate("Engine", "不是文本或者 html 文档。"));
  if (!s_.Definition.actSaveFiles) return true;
  if (!out) return false;
  if (!out->Commit({})) {
    Log(TrArgs(translate("Engine", "！错误: 不能写入到文件 %1"), {out->Name()}));
    return false;
  }
  Log(p + translate("Engine", "保存文件"));
  return true;
}

void TTrawlonixThread::EndAtEntryCap() {
  if (endedByEntryCap_) return;
  endedByEntryCap_ = true;
  Log(TrArgs(translate("Engine", "！条目数已达到上限 %1，运行结束。未完成的文件留在队列中。"),
             {std::to_string(s_.Options.MaxEntries)}));
  // Like the stop command: every entry in progress becomes pending again,
  // this one too, so that a later run with more room reads it again and
  // none of its links is lost.
  AbortAll();
}

namespace {

struct TReaderLines {
  const char* start;
  const char* end;
  const char* failed;     // the reader ran into the end of the data; none: never fails
  const char* saveError;  // the copy could not be written; %1 is the file name
};

const TReaderLines& LinesFor(TContentReader reader) {
  static const TReaderLines kHtml{QT_TRANSLATE_NOOP("Engine", "启动标签解析器..."),
                                  QT_TRANSLATE_NOOP("Engine", "标签解析器完成。"), nullptr,
                                  QT_TRANSLATE_NOOP("Engine", "！错误: 不能写入到文件 %1")};
  static const TReaderLines kScript{QT_TRANSLATE_NOOP("Engine", "启动 JavaScript 解析器..."),
                                    QT_TRANSLATE_NOOP("Engine", "JavaScript 解析器完成。"), nullptr,
                                    QT_TRANSLATE_NOOP("Engine", "！错误: 不能写入到文件 %1")};
  static const TReaderLines kStyle{QT_TRANSLATE_NOOP("Engine", "启动 CSS 解析器..."),
                                   QT_TRANSLATE_NOOP("Engine", "CSS 解析器完成。"), nullptr,
                                   QT_TRANSLATE_NOOP("Engine", "！错误: 不能写入到文件 %1")};
  static const TReaderLines kClass{
      QT_TRANSLATE_NOOP("Engine", "启动 JAVA(tm)-VM 类解析器..."),
      QT_TRANSLATE_NOOP("Engine", "JAVA(tm)-VM 类解析器完成。"),
      QT_TRANSLATE_NOOP("Engine", "！！错误！！ 类解析器失败: 未料到的文件结尾"),
      QT_TRANSLATE_NOOP("Engine", "！错误: 不能写入到文件 %1")};
  static const TReaderLines kFlash{
      QT_TRANSLATE_NOOP("Engine", "启动 Macromedia(C) FLASH(tm) 解析器..."),
      QT_TRANSLATE_NOOP("Engine", "Macromedia(C) FLASH(tm) 解析器完成。"),
      QT_TRANSLATE_NOOP("Engine", "！！错误！！ FLASH(tm)-解析器失败: 未料到的文件结尾"),
      QT_TRANSLATE_NOOP("Engine", "！错误: 不能创建文件 %1")};
  static const TReaderLines kOther{QT_TRANSLATE_NOOP("Engine", "不是文本或者 html 文档。"), nullptr,
                                   nullptr,
                                   QT_TRANSLATE_NOOP("Engine", "！错误: 不能写入到文件 %1")};
  switch (reader) {
    case TContentReader::Html:
      return kHtml;
    case TContentReader::Script:
      return kScript;
    case TContentReader::Style:
      return kStyle;
    case TContentReader::JavaClass:
      return kClass;
    case TContentReader::Flash:
      return kFlash;
    case TContentReader::Other:
      break;
  }
  return kOther;
}

bool IsTextReader(TContentReader reader) {
  return reader == TContentReader::Html || reader == TContentReader::Script ||
         reader == TContentReader::Style;
}

}  // namespace

void TTrawlonixThread::Dispatch(int slot, const std::string& data, const std::string& contentType,
                                TOutput* out) {
  const std::string p = SlotPrefix(slot);
  const TContentReader reader = judge_.ReaderFor(contentType);
  const TReaderLines& lines = LinesFor(reader);
  Log(p + TrText("Engine", lines.start));
  if (IsTextReader(reader)) {
    // The stored copy is the rewritten text; a failed write still ends with
    // the save line.
    judge_.Read(reader, data, out ? &rewriteBuf_ : nullptr);
    if (out) {
      if (!out->Commit(rewriteBuf_)) Log(TrArgs(TrText("Engine", lines.saveError), {out->Name()}));
      Log(p + translate("Engine", "保存文件"));
    }
  } else {
    if (!judge_.Read(reader, data, nullptr)) Log(p + TrText("Engine", lines.failed));
    if (out) {
      if (out->Commit(data))
        Log(p + translate("Engine", "保存文件"));
      else
        Log(TrArgs(TrText("Engine", lines.saveError), {out->Name()}));
    }
  }
  if (lines.end) Log(p + TrText("Engine", lines.end));
}

}  // namespace trawlonix
