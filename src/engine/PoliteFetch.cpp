// The worker's manners: which request a free slot may make now (robots.txt
// of a new server first, gaps and caps per server, the run's quota), the
// robots.txt answers, cookies, and the largest file size.
#include "engine/PoliteFetch.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>

#include "base/Translate.h"
#include "engine/TrawlonixThread.h"
#include "net/HttpObject.h"
#include "polite/Limits.h"

namespace trawlonix {

std::string RobotsPathOf(const TURL& url) {
  std::string path = url.Path.empty() ? "/" : url.Path;
  path += url.FileName;
  if (!url.Query.empty()) path += "?" + url.Query;
  return path;
}

std::string ServerOf(const TURL& url) {
  return ServerKey(url.Protocol, url.Host, url.Port);
}

namespace {

std::int64_t UnixNow() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace

std::int64_t TTrawlonixThread::NowMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() -
         polite_.ClockOrigin;
}

void TTrawlonixThread::InitPolite() {
  const TProjectChoices& c = s_.Polite.Choices;
  TPaceOptions o;
  o.DelayMs = static_cast<std::int64_t>(std::llround(std::max(0.0, c.WaitSeconds) * 1000));
  o.Jitter = c.RandomWait ? 0.5 : 0;
  o.BytesPerSecond = std::max<std::int64_t>(0, c.LimitRate);
  o.MaxPerServer = std::max(0, c.MaxPerServer);
  o.Seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  polite_.ClockOrigin = 0;
  polite_.ClockOrigin = NowMs();
  polite_.Pacer = std::make_unique<TPacer>(o);
  polite_.PaceTimer = new QTimer();
  polite_.PaceTimer->setSingleShot(true);
  QObject::connect(polite_.PaceTimer, &QTimer::timeout, [this] {
    if (!aborting_) ContinueRun();
    Flush();
  });
}

void TTrawlonixThread::EndPolite() {
  delete polite_.PaceTimer;
  polite_.PaceTimer = nullptr;
  Unpark();
}

void TTrawlonixThread::EnsureSlot(int slot) {
  if (slotStates_[slot] != TSlotState::Unused) return;
  auto* f = new THTTPObject();
  f->SetThreadID(slot);
  f->OnTransferResults = [this](int tid, bool success) { FetchDone(tid, success); };
  f->OnReceiveData = [this](int tid, std::int64_t size) { SlotProgress(tid, size); };
  f->SetRateFloor(s_.Options.MinTransferRate, s_.RateWindowMs > 0 ? s_.RateWindowMs : 60000);
  fetchers_[slot] = f;
  slotStates_[slot] = TSlotState::Idle;
}

bool TTrawlonixThread::ServerReady(const std::string& server, std::int64_t now) const {
  if (s_.Polite.Choices.ObeyRobots && polite_.Robots.State(server) != TRobotsCache::TState::Ready)
    return false;
  return polite_.Pacer->MayStart(server, now);
}

void TTrawlonixThread::Park(const std::string& server, std::int32_t index) {
  s_.SpiderList->SetInProgress(index, true);
  polite_.Parked[server].push_back(index);
}

void TTrawlonixThread::Unpark() {
  for (auto& [server, queue] : polite_.Parked)
    for (std::int32_t index : queue)
      s_.SpiderList->SetInProgress(index, false);
  polite_.Parked.clear();
}

bool TTrawlonixThread::QuotaStops() {
  const TSizeLimits& limits = s_.Polite.Choices.Sizes;
  if (JudgeBeforeFetch(limits, polite_.RunBytes) != TSizeVerdict::QuotaReached) return false;
  if (!polite_.QuotaReached) {
    polite_.QuotaReached = true;
    Log(TrArgs(translate("Engine", "已达到下载限额 (%1 字节): 不再请求新的文件。"),
               {std::to_string(limits.MaxTotalBytes)}));
  }
  return true;
}

bool TTrawlonixThread::TakeParked(int slot, std::int64_t now) {
  for (auto& [server, queue] : polite_.Parked) {
    while (!queue.empty() && ServerReady(server, now)) {
      const std::int32_t index = queue.front();
      queue.pop_front();
      s_.SpiderList->SetInProgress(index, false);
      if (StartEntry(slot, index, server)) return true;
    }
  }
  return false;
}

bool TTrawlonixThread::RateAllowsAnother() const {
  // Under a bandwidth cap one request runs at a time, and the next starts
  // once the bytes so far would have arrived at the capped rate: a burst of
  // parallel requests would pass the cap before any of them is counted.
  return s_.Polite.Choices.LimitRate <= 0 || !AnySlotBusy();
}

bool TTrawlonixThread::TakeNext(int slot) {
  if (QuotaStops() || !RateAllowsAnother()) return false;
  const std::int64_t now = NowMs();
  if (TakeParked(slot, now)) return true;
  for (;;) {
    const std::int32_t index = s_.SpiderList->NextToFetch();
    if (index < 0) return false;
    const AGetEntry* e = s_.SpiderList->GetEntry(index);
    const std::string server = ServerOf(e->URL);
    if (s_.Polite.Choices.ObeyRobots &&
        polite_.Robots.State(server) == TRobotsCache::TState::Unknown) {
      // The server's robots.txt goes first; its entry waits for the answer.
      const TURL like = e->URL;
      Park(server, index);
      StartRobots(slot, like, server);
      return true;
    }
    if (!ServerReady(server, now)) {
      Park(server, index);
      continue;
    }
    if (StartEntry(slot, index, server)) return true;
  }
}

bool TTrawlonixThread::StartEntry(int slot, std::int32_t index, const std::string& server) {
  const AGetEntry* e = s_.SpiderList->GetEntry(index);
  if (!e) return false;
  if (s_.Polite.Choices.ObeyRobots && !polite_.Robots.Allowed(server, RobotsPathOf(e->URL))) {
    const std::string url = ComposeURL(e->URL);
    if (index != 0) {
      Log(TrArgs(translate("Engine", "robots.txt 不允许获取 %1，已跳过。"), {url}));
      // Not fetched in this run, and not a broken link: a later run (or one
      // that ignores robots.txt) may fetch it.
      if (AGetEntry* w = s_.SpiderList->GetEntry(index)) w->Failures = s_.SpiderList->MaxErrors;
      s_.SpiderList->MarkFailed(index);
      return false;
    }
    // The start page is what the user asked for by name.
    Log(TrArgs(
        translate("Engine",
                  "！警告: robots.txt 不允许获取起始页面 %1；因为它是用户指定的，仍然获取。"),
        {url}));
  }
  StartFetch(slot, index);
  return true;
}

void TTrawlonixThread::PrepareSlot(int slot, const TURL& url, const std::string& server,
                                   bool robots) {
  THTTPObject* f = fetchers_[slot];
  polite_.SlotRobots[slot] = robots;
  polite_.SlotServer[slot] = server;
  polite_.SlotURL[slot] = url;
  ++polite_.SlotGeneration[slot];
  // A robots.txt stays in memory within its own small cap; a document
  // streams to its file past the parse limit, and the largest file size of
  // the project ends its fetch as soon as the file is known to exceed it.
  if (robots) {
    f->SetMaxBodySize(static_cast<std::int64_t>(kRobotsMaxBytes));
    f->OnBodyBegin = nullptr;
    f->OnBodyLimit = nullptr;
    f->OnBodyCheck = nullptr;
  } else {
    f->SetMaxBodySize(std::int64_t{s_.Options.ParseLimitMB} * 1024 * 1024);
    f->OnBodyBegin = [this](int tid) { BodyBegin(tid); };
    f->OnBodyLimit = [this](int tid) { BodyLimit(tid); };
    f->OnBodyCheck = [this, f](int, std::int64_t size) { return FileSizeRefusal(f, size); };
  }
  f->SetMaxResumes(robots ? 0 : THTTPObject::kDefaultMaxResumes);
  f->SetMaxTimeoutResumes(robots ? 0 : THTTPObject::kDefaultMaxTimeoutResumes);
  THttpCli& client = f->Client();
  if (TCookieJar* jar = s_.Polite.Cookies.get()) {
    client.Cookie = jar->CookieHeader(url.Protocol, url.Host, url.Path + url.FileName, UnixNow());
    client.OnCookie = [this, slot, jar](THttpCli&, const std::string& value, bool& accept) {
      const TURL& at = polite_.SlotURL[slot];
      accept = jar->SetCookie(value, at.Protocol, at.Host, at.Path + at.FileName, UnixNow());
    };
  } else {
    client.Cookie.clear();
    client.OnCookie = nullptr;
  }
  polite_.Pacer->Started(server, NowMs());
}

void TTrawlonixThread::StartRobots(int slot, const TURL& like, const std::string& server) {
  EnsureSlot(slot);
  THTTPObject* f = fetchers_[slot];
  TURL r;
  r.Protocol = like.Protocol;
  r.Host = like.Host;
  r.Port = like.Port;
  r.Path = "/";
  r.FileName = "robots.txt";
  const std::string url = ComposeURL(r);
  polite_.Robots.MarkPending(server);
  BeginRequest(f, url, s_.Options, s_.TimeoutMs);
  f->SetMethod(htom_Get);
  f->SetListID(-1);
  f->SetModifiedSince(QDateTime());
  f->SetRefering({});
  f->SetUsername({});
  f->SetPassword({});
  ApplyProxy(f, s_.Options);
  PrepareSlot(slot, r, server, true);
  Log(SlotPrefix(slot) + "GET " + url + " USER-AGENT " + UserAgentOf(s_.Options));
  ShowSlot(slot, url, translate("Engine", "正在工作！"));
  slotStates_[slot] = TSlotState::Busy;
  const std::uint64_t generation = polite_.SlotGeneration[slot];
  QTimer::singleShot(kRobotsDeadlineMs, ctx_.get(),
                     [this, slot, generation] { RobotsDeadline(slot, generation); });
  f->InitiateProcess();
}

void TTrawlonixThread::RobotsDeadline(int slot, std::uint64_t generation) {
  if (polite_.SlotGeneration[slot] != generation || !polite_.SlotRobots[slot] ||
      slotStates_[slot] != TSlotState::Busy || aborting_)
    return;
  fetchers_[slot]->AbortProcess();  // no report follows
  RobotsDone(slot, false);
  ContinueRun();
  Flush();
}

void TTrawlonixThread::RobotsDone(int slot, bool success) {
  THTTPObject* f = fetchers_[slot];
  const std::string server = polite_.SlotServer[slot];
  polite_.Pacer->Finished(server);
  ++polite_.SlotGeneration[slot];  // the deadline no longer applies
  polite_.SlotRobots[slot] = false;
  ShowSlot(slot, {}, translate("Engine", "等候..."));
  slotStates_[slot] = TSlotState::Idle;

  int status = f->Client().ResponseStatusCode();
  // An answer cut short (too big, too slow, a broken connection) tells
  // nothing: everything is allowed for this run.
  if (!success && status >= 200 && status < 300) status = 0;
  const TRobotsRules rules = RobotsFromAnswer(status, f->Data(), kRobotsAgentToken);
  f->Data().clear();
  if (status == 0)
    Log(SlotPrefix(slot) + translate("Engine", "robots.txt 不能被读取，所有文件都允许获取。"));
  else
    Log(SlotPrefix(slot) + TrArgs(translate("Engine", "robots.txt: 状态 %1, %2 条规则。"),
                                  {std::to_string(status), std::to_string(rules.Rules.size())}));
  if (const auto delay = RobotsCrawlDelay(rules, kMaxCrawlDelaySeconds)) {
    polite_.Pacer->SetServerDelay(server, std::llround(*delay * 1000));
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", *delay);
    Log(SlotPrefix(slot) +
        TrArgs(translate("Engine", "robots.txt 要求两次请求之间等待 %1 秒。"), {seconds}));
  }
  polite_.Robots.Store(server, rules);
}

std::string TTrawlonixThread::FileSizeRefusal(const THTTPObject* f, std::int64_t size) const {
  const std::int64_t max = s_.Polite.Choices.Sizes.MaxFileBytes;
  if (max <= 0 || (size <= max && f->ContentLength() <= max)) return {};
  return TrArgs(translate("Engine", "文件超过最大文件大小 (%1 字节)"), {std::to_string(max)});
}

bool TTrawlonixThread::SlotEnded(int slot, bool success) {
  THTTPObject* f = fetchers_[slot];
  const std::int64_t bytes = f->DataSize();
  polite_.Pacer->Finished(polite_.SlotServer[slot]);
  polite_.Pacer->Record(polite_.SlotServer[slot], NowMs(), bytes);
  polite_.RunBytes += bytes;
  const TSizeLimits& limits = s_.Polite.Choices.Sizes;
  if (success || limits.MaxFileBytes <= 0) return false;
  const std::int64_t announced = f->ContentLength();
  const auto verdict = JudgeWhileFetching(
      limits, announced >= 0 ? std::optional<std::int64_t>(announced) : std::nullopt, bytes);
  if (verdict != TSizeVerdict::FileTooBig) return false;
  const std::int32_t index = f->ListID();
  std::string url;
  if (const AGetEntry* e = s_.SpiderList->GetEntry(index)) url = ComposeURL(e->URL);
  Log(SlotPrefix(slot) +
      TrArgs(translate("Engine", "文件 %1 超过最大文件大小 (%2 字节)，没有保存。"),
             {url, std::to_string(limits.MaxFileBytes)}));
  if (AGetEntry* w = s_.SpiderList->GetEntry(index)) w->Failures = s_.SpiderList->MaxErrors;
  s_.SpiderList->MarkFailed(index);
  return true;
}

bool TTrawlonixThread::WaitingForPace() const {
  return polite_.PaceTimer && polite_.PaceTimer->isActive();
}

void TTrawlonixThread::ArmPaceTimer() {
  if (!polite_.PaceTimer) return;
  polite_.PaceTimer->stop();
  if (aborting_ || polite_.QuotaReached || !RateAllowsAnother()) return;
  // With every slot busy, the next fetch to end starts the next request.
  const int n = SlotCountFor(s_.Options);
  if (std::all_of(slotStates_.begin(), slotStates_.begin() + n,
                  [](TSlotState st) { return st == TSlotState::Busy; }))
    return;
  const std::int64_t now = NowMs();
  std::int64_t earliest = std::numeric_limits<std::int64_t>::max();
  for (const auto& [server, queue] : polite_.Parked) {
    if (queue.empty()) continue;
    // A server waiting for its robots.txt goes on when that answer comes.
    if (s_.Polite.Choices.ObeyRobots && polite_.Robots.State(server) != TRobotsCache::TState::Ready)
      continue;
    if (const auto at = polite_.Pacer->NextAllowed(server, now)) earliest = std::min(earliest, *at);
  }
  if (earliest == std::numeric_limits<std::int64_t>::max()) return;
  polite_.PaceTimer->start(static_cast<int>(std::clamp<std::int64_t>(earliest - now, 1, 3600000)));
}

void TTrawlonixThread::ContinueRun() {
  StartFetches();
  if (!AnySlotBusy() && !WaitingForPace()) {
    Unpark();
    running_ = false;
    if (loop_) loop_->quit();
  }
}

}  // namespace trawlonix
