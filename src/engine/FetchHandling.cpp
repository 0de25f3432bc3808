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

#include "engine/TrawlonixThread.h"
#include "model/SpiderTools.h"
#include "net/HttpObject.h"

namespace trawlonix {

namespace {

bool IsRetriedStatus(int status) {
  return status == 408 || status == 499 || status == 503 || status == 504;
}

}  // namespace

TNamingOptions TTrawlonixThread::NamingOptionsFor(const TURL& url) {
  TNamingOptions opt;
  opt.IndexFileName = S.Options.IndexFileName;
  if (HasScriptQuery(url)) opt.RedirectNumber = S.RedirectList->NumberFor(url);
  opt.HTMLRenList = S.Definition.HTMLRenList.get();
  opt.OnlyRenameSkriptURL = S.Definition.OnlyRenameSkriptURL;
  return opt;
}

void TTrawlonixThread::ShowSlot(int slot, const std::string& url, const std::string& info) {
  HostOp& u = batch_.Push(HostOp::kSlotUrl);
  u.num = slot;
  u.s1 = url;
  HostOp& i = batch_.Push(HostOp::kSlotInfo);
  i.num = slot;
  i.s1 = info;
  batch_.progress[static_cast<std::size_t>(slot)] = 0;
}

std::string TTrawlonixThread::LocalNameFor(const TURL& url, std::string* display) {
  const TNamingOptions opt = NamingOptionsFor(url);
  std::optional<std::string> name = LocalFileName(S.LocalDir, url, opt);
  if (name) {
    if (display) *display = *name;
    return *name;
  }
  if (display) {
    // The name as it would have been, for the log line that refuses it.
    std::string file = url.FileName.empty() ? S.Options.IndexFileName : url.FileName;
    *display = S.LocalDir + url.Host + DecodeURLText(url.Path) + DecodeURLText(file);
  }
  return {};
}

void TTrawlonixThread::BeginRequest(THTTPObject* f, const std::string& url) const {
  f->SetURL(url);
  f->SetUserAgent(kUserAgent);
  f->SetHttp10(S.Options.Http10);
  f->SetTls({S.Options.CACertificate, S.Options.CheckCertificate});
  if (S.TimeoutMs > 0)
    f->SetTimeoutMs(S.TimeoutMs);
  else
    f->SetTimeoutTime(S.Options.TimeOut);
}

void TTrawlonixThread::ApplyProxy(THTTPObject* f) const {
  if (S.Options.UseProxy) {
    f->SetUseProxy(true);
    f->SetProxyServer(S.Options.ProxyServer);
    f->SetProxyPort(S.Options.ProxyPort16());
    f->SetProxyUsername(S.Options.ProxyUsername);
    f->SetProxyPassword(S.Options.ProxyPassword);
  } else {
    f->SetUseProxy(false);
    f->SetProxyServer({});
    f->SetProxyPort(80);
    f->SetProxyUsername({});
    f->SetProxyPassword({});
  }
}

void TTrawlonixThread::StartFetch(int slot, std::int32_t index) {
  const AGetEntry* e = S.SpiderList->GetEntry(index);
  THTTPObject* f = fetchers_[slot];
  if (!e || !f) return;
  S.SpiderList->SetInProgress(index, true);

  const std::string url = ComposeURL(e->URL);
  BeginRequest(f, url);
  f->SetMethod(htom_Get);
  f->SetListID(index);

  // In an update run the stored copy's date goes out as If-Modified-Since,
  // looked up under the name the copy was saved with, in GMT.
  QDateTime since;
  if (S.UpdateMode) {
    const std::string local = LocalNameFor(e->URL);
    const std::int64_t mtime = local.empty() ? 0 : LocalFileDate(local);
    if (mtime > 0) since = QDateTime::fromSecsSinceEpoch(mtime, Qt::UTC);
  }
  f->SetModifiedSince(since);

  std::string referer;
  if (S.Options.ReferingPage) {
    if (const AGetEntry* r = S.SpiderList->GetEntry(e->Referrer)) referer = ComposeURL(r->URL);
  }
  f->SetRefering(referer);
  f->SetUsername({});
  f->SetPassword({});
  if (!S.Definition.Username.empty()) {
    f->SetUsername(S.Definition.Username);
    if (!S.Definition.Password.empty()) f->SetPassword(S.Definition.Password);
  }
  ApplyProxy(f);

  Log(SlotPrefix(slot) + "GET " + url + " REFER " + referer + " USER-AGENT " + kUserAgent);
  ShowSlot(slot, url, "正在工作！");

  slotStates_[slot] = 2;
  const int rc = f->InitiateProcess();
  // A failed start still ends in one (posted) report, so the slot stays busy
  // until then and the entry is finished like any failed fetch.
  if (rc != 0) Log(SlotPrefix(slot) + "被报告有错误号码: " + std::to_string(rc));
}

void TTrawlonixThread::SlotProgress(int slot, std::int64_t bytes) {
  THTTPObject* f = (slot >= 0 && slot < kMaxSlots) ? fetchers_[slot] : nullptr;
  if (!f) return;
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
  ShowSlot(slot, {}, "等候...");
  slotStates_[slot] = 1;

  FetchResult r;
  r.Status = f->StatusCode();
  r.Reason = f->ReasonPhrase();
  r.ContentType = f->ContentType();
  r.Data.swap(f->Data());
  HandleResult(slot, f->ListID(), success, r);
  // Give the buffer back so that the slot's next fetch reuses its capacity.
  r.Data.clear();
  f->Data().swap(r.Data);

  if (!Aborting) {
    bool busy = false;
    const int n = SlotCount();
    for (int s = 0; s < n; ++s)
      busy |= slotStates_[s] == 2;
    if (S.SpiderList->NextToFetch() >= 0) {
      StartFetches();
    } else if (!busy) {
      Running = false;
      if (loop_) loop_->quit();
    }
  }
  Flush();
}

void TTrawlonixThread::HandleResult(int slot, std::int32_t index, bool success, FetchResult& r) {
  const AGetEntry* e = S.SpiderList->GetEntry(index);
  if (!e) return;
  const TURL url = e->URL;
  std::string refText;
  if (const AGetEntry* ref = S.SpiderList->GetEntry(e->Referrer)) refText = ComposeURL(ref->URL);
  const std::string prefix = SlotPrefix(slot);

  if (!success || r.Status >= 400) {
    Log(prefix + "已中断，有错误: " + std::to_string(r.Status) + " " + r.Reason);
    if (S.Options.RetryAll || Aborting || IsRetriedStatus(r.Status)) {
      S.SpiderList->MarkFailed(index);
    } else {
      S.SpiderList->MarkBroken(index);
      if (S.Definition.actBLinks) {
        HostOp& op = batch_.Push(HostOp::kOfferBroken);
        op.s1 = ComposeURL(url);
        op.s2 = std::to_string(r.Status) + " " + r.Reason;
        op.s3 = refText;
      }
    }
    return;
  }

  S.SpiderList->MarkFetched(index);
  if (e->DirItem) batch_.Push(HostOp::kMarkLoaded).item = e->DirItem;
  Log(prefix + (r.Status == 304 ? "没有修改。" : "成功。"));
  const bool ht = IsHypertext(url);
  if (S.UpdateMode) {
    ++Counters[TCounters::kChecked];
    if (ht) ++Counters[TCounters::kCheckedHt];
  }
  if (!S.UpdateMode || r.Status != 304) {
    Counters.AddBytes(static_cast<std::int64_t>(r.Data.size()));
    ++Counters[TCounters::kReceived];
    if (ht) ++Counters[TCounters::kReceivedHt];

    TOutput out;
    if (S.Definition.actSaveFiles) {
      std::string display;
      const std::string localName = LocalNameFor(url, &display);
      if (!localName.empty()) ForceLocalDirs(S.LocalDir, url.Host, DecodeURLText(url.Path));
      if (localName.empty() || !out.Create(localName))
        Log("！错误: 文件 " + display + " 不能被创建！");
    }
    SetDocument(index);
    // A relocation answer holds the generated page that links to the new
    // location; it is read as HTML whatever type the answer declared, so that
    // the new location is found and followed.
    std::string type = r.ContentType;
    if (r.Status >= 300 && r.Status < 400 && r.Status != 304) type = "text/html";
    Dispatch(slot, r.Data, type, out.IsOpen() ? &out : nullptr);
    if (index == 0 && !out.Name().empty())
      WriteShortcut(S.LocalDir + "Trawlonix 从 " + url.Host + " 浏览", out.Name());
    out.Discard();
  }
  ReportCounters();
}

TOutput::~TOutput() {
  Discard();
}

bool TOutput::Create(const std::string& name) {
  Discard();
  name_ = name;
  committed_ = false;
  // A copy stored by an earlier run is replaced through a file beside it that
  // is renamed over it, so that a failed or cut write never destroys it. A
  // new file is written in place (and removed when writing fails).
  struct stat st {};
  const bool exists = ::lstat(name.c_str(), &st) == 0 || errno != ENOENT;
  if (exists && S_ISDIR(st.st_mode)) return false;  // the name is taken by a directory
  temp_ = exists ? name + ".trawlonix-part" : name;
  file_ = std::fopen(temp_.c_str(), "wb");
  return file_ != nullptr;
}

bool TOutput::Commit(std::string_view data) {
  if (!file_) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), file_) == data.size();
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  if (ok && temp_ != name_) ok = std::rename(temp_.c_str(), name_.c_str()) == 0;
  if (!ok) std::remove(temp_.c_str());
  committed_ = ok;
  return ok;
}

void TOutput::Discard() {
  if (!file_) return;
  std::fclose(file_);
  file_ = nullptr;
  std::remove(temp_.c_str());
}

bool TTrawlonixThread::WriteShortcut(const std::string& baseName, const std::string& target) {
  std::string name = baseName + ".url";
  struct stat st {};
  for (int n = 1; ::stat(name.c_str(), &st) == 0; ++n) {
    if (n > 1000) return false;
    name = baseName + " [" + std::to_string(n) + "].url";
  }
  std::FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return false;
  const std::string text = "[InternetShortcut]\nURL=" + target + "\n";
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return (std::fclose(f) == 0) && ok;
}

}  // namespace trawlonix
