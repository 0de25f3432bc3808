#include "net/HttpObject.h"

#include <QMetaObject>
#include <QTimer>

#include "base/Translate.h"
#include "url/urlescape.h"

namespace trawlonix {

namespace {

// Addresses are written into an HTML attribute and text: characters that
// would end the attribute or open a tag are percent-encoded.
std::string PageSafe(const std::string& s) {
  return PercentEscape(s, EscapeSet::HtmlAttribute);
}

std::string RelocationPage(const std::string& url, const std::string& location) {
  const std::string loc = PageSafe(location);
  const char* const lines[] = {
      "<HTML>",
      " <HEAD>",
      "  <TITLE>文件重新部署</TITLE>",
      " </HEAD>",
      " <BODY>",
      "  &nbsp;<P>&nbsp;<P>&nbsp;<P>",
      "",
      "  <CENTER>",
      "  该文件由 morvek <A HREF=\"#\">Trawlonix</A> 自动创建。",
      "  <P>&nbsp;<P>",
      "  当被文档<BR>&nbsp;<BR>",
      nullptr,  // the requested URL
      "  要求时对方发送了一个重新部署请求到 URL<BR>&nbsp;<BR>",
      nullptr,  // the link to the new location
      " </BODY>",
      "</HTML>",
  };
  std::string page;
  for (std::size_t i = 0; i < sizeof lines / sizeof lines[0]; ++i) {
    if (i > 0) page += "\r\n";
    if (i == 11) {
      page += "  " + PageSafe(url) + "<BR>&nbsp;<BR>";
    } else if (i == 13) {
      page += "  <A HREF=\"" + loc + "\">" + loc + "</A><BR>&nbsp;<BR>";
    } else {
      page += lines[i];
    }
  }
  return page;
}

constexpr const char* kTooLarge = QT_TRANSLATE_NOOP("Net", "文档超过 %1 字节的大小限制");
constexpr const char* kTooSlow = QT_TRANSLATE_NOOP("Net", "传输太慢: %1 秒内平均不到每秒 %2 字节");
constexpr const char* kUnaskedNotModified =
    QT_TRANSLATE_NOOP("Net", "服务器回答 304 (没有修改)，但请求并没有带条件");

}  // namespace

THTTPObject::THTTPObject(QObject* parent)
    : QObject(parent),
      client_(new THttpCli(this)),
      timer_(new QTimer(this)),
      rateTimer_(new QTimer(this)) {
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, [this] { HTTPTimeout(); });
  rateTimer_->setSingleShot(true);
  connect(rateTimer_, &QTimer::timeout, this, [this] { RateCheck(); });
  client_->MultiThreaded = false;
  // Body bytes are kept here (DocData): in memory or in the owner's sink.
  client_->ReceivedStream = nullptr;
  client_->OnDocBegin = [this](THttpCli&) { DocBegin(); };
  client_->OnDocData = [this](THttpCli&, const char* d, std::size_t n) { DocData(d, n); };
  client_->OnLocationChange = [this](THttpCli&) { LocationChange(); };
  client_->OnStateChange = [this](THttpCli&) { HTTPStateChange(); };
}

THTTPObject::~THTTPObject() {
  aborted_ = true;
  active_ = false;
  client_->OnStateChange = nullptr;
  client_->OnDocBegin = nullptr;
  client_->OnDocData = nullptr;
  client_->OnLocationChange = nullptr;
}

bool THTTPObject::IsReady() const {
  return client_->State() == httpReady;
}

void THTTPObject::SetTimeoutTime(int seconds) {
  timeoutTime_ = seconds;
  timer_->setInterval(seconds > 0 ? seconds * 1000 : 0);
}

void THTTPObject::SetTimeoutMs(int ms) {
  timeoutTime_ = (ms + 999) / 1000;
  timer_->setInterval(ms > 0 ? ms : 0);
}

void THTTPObject::SetRateFloor(std::int64_t bytesPerSecond, int windowMs) {
  rateFloor_ = bytesPerSecond > 0 ? bytesPerSecond : 0;
  rateWindowMs_ = windowMs > 0 ? windowMs : 0;
}

void THTTPObject::StartRateWindow() {
  rateTimer_->stop();
  if (rateFloor_ <= 0 || rateWindowMs_ <= 0) return;
  windowStartBytes_ = client_->BytesRead();
  rateTimer_->start(rateWindowMs_);
}

// The inactivity timer restarts with every byte, so a trickle never trips
// it; the average over each window must reach the floor.
void THTTPObject::RateCheck() {
  if (!active_ || aborted_ || client_->State() != httpWaitingBody) return;
  const std::int64_t got = client_->BytesRead() - windowStartBytes_;
  if (got * 1000 >= rateFloor_ * rateWindowMs_) {
    StartRateWindow();
    return;
  }
  slow_ = true;
  HTTPTimeout();
}

void THTTPObject::RestartTimer() {
  timer_->stop();
  // A limit of 0 means none (a zero interval would time out every fetch at once).
  if (timer_->interval() > 0) timer_->start();
}

int THTTPObject::InitiateProcess() {
  if (client_->State() != httpReady) {
    // An earlier fetch is still running: drop it silently.
    aborted_ = true;
    active_ = false;
    client_->Abort();
  }
  ++fetchGeneration_;
  reportPosted_ = false;
  aborted_ = false;
  success_ = true;
  bodyFailed_ = false;
  sink_ = nullptr;
  sinkSize_ = 0;
  bodyBegun_ = false;
  spillFailed_ = false;
  failText_.clear();
  slow_ = false;
  rateTimer_->stop();
  resumeCount_ = 0;
  stalledResumes_ = 0;
  timeoutResumes_ = 0;
  requestCount_ = 0;
  expectedTotal_ = -1;
  rangeStart_ = -1;
  statusCode_ = 0;
  reasonPhrase_.clear();
  timer_->stop();

  client_->URL = url_;
  client_->Username = username_;
  client_->Password = password_;
  client_->Agent = userAgent_;
  client_->Reference = refering_;
  client_->ModifiedSince = modifiedSince_;
  client_->ContentRangeBegin.clear();
  client_->ContentRangeEnd.clear();
  if (useProxy_) {
    client_->Proxy = proxyServer_;
    client_->ProxyPort = std::to_string(proxyPort_);
    client_->ProxyUsername = proxyUsername_;
    client_->ProxyPassword = proxyPassword_;
  } else {
    client_->Proxy.clear();
    client_->ProxyPort = "80";
    client_->ProxyUsername.clear();
    client_->ProxyPassword.clear();
  }

  std::string().swap(stream_);  // also gives back the memory of the last document
  timedOut_ = false;
  RestartTimer();
  active_ = true;
  relocated_ = false;
  try {
    StartClient();
  } catch (const std::exception& e) {
    PostFailure(client_->StatusCode() == 404 ? client_->ReasonPhrase() : std::string(e.what()));
    return 2;
  }
  return 0;
}

void THTTPObject::StartClient() {
  rangeStart_ = -1;
  if (!client_->ContentRangeBegin.empty()) {
    std::int64_t v = -1;
    if (HttpResponseReader::ParseLength(client_->ContentRangeBegin, v)) rangeStart_ = v;
  }
  ++requestCount_;
  sizeAtRequestStart_ = DataSize();
  if (method_ == htom_Head) {
    client_->Head();
  } else {
    client_->Get();
  }
}

void THTTPObject::PostFailure(const std::string& text) {
  timer_->stop();
  rateTimer_->stop();
  active_ = false;
  success_ = false;
  statusCode_ = 404;
  reasonPhrase_ = text;
  reportPosted_ = true;
  const std::uint64_t gen = fetchGeneration_;
  QMetaObject::invokeMethod(
      this,
      [this, gen] {
        if (gen != fetchGeneration_ || !reportPosted_) return;  // aborted or restarted
        reportPosted_ = false;
        Report();
      },
      Qt::QueuedConnection);
}

void THTTPObject::AbortProcess() {
  success_ = false;
  aborted_ = true;
  active_ = false;
  reportPosted_ = false;
  ++fetchGeneration_;
  timer_->stop();
  rateTimer_->stop();
  client_->Abort();
}

void THTTPObject::FailBody(const std::string& text) {
  bodyFailed_ = true;
  success_ = false;
  failText_ = text;
  client_->Abort();  // the evaluation runs inside, with the flag set
}

bool THTTPObject::SpillBody(TBodySink* sink) {
  if (!sink || sink_ || !active_ || aborted_) return false;
  sink_ = sink;
  sinkSize_ = static_cast<std::int64_t>(stream_.size());
  const bool ok = stream_.empty() || sink->Append(stream_);
  std::string().swap(stream_);
  if (!ok) {
    spillFailed_ = true;
    failText_ = sink->FailText();
  }
  return ok;
}

// A sink that refused inside an owner's event fails the fetch once the
// event has returned.
bool THTTPObject::SpillFailed() {
  if (!spillFailed_) return false;
  spillFailed_ = false;
  FailBody(failText_);
  return true;
}

bool THTTPObject::KeepFirst(std::int64_t size) {
  if (!sink_) {
    stream_.resize(static_cast<std::size_t>(size));
    return true;
  }
  sinkSize_ = size;
  if (sink_->Truncate(size)) return true;
  FailBody(sink_->FailText());
  return false;
}

void THTTPObject::DocBegin() {
  RestartTimer();
  StartRateWindow();
  if (rangeStart_ >= 0) {
    const std::int64_t held = DataSize();
    const std::int64_t from = client_->ContentRangeStart();
    if (client_->ResponseStatusCode() != 206) {
      // Not the part asked for (a server that ignores ranges sends the whole
      // document again): start the document over.
      if (!KeepFirst(0)) return;
    } else if (from >= 0 && from <= held) {
      if (!KeepFirst(from)) return;  // overlapping bytes are sent again
      rangeStart_ = from;
    } else if (from > held) {
      FailBody();  // a gap the server will not fill
      return;
    }
  }
  if (!bodyBegun_) {
    bodyBegun_ = true;
    if (OnBodyBegin) OnBodyBegin(threadId_);
    if (!active_ || aborted_ || SpillFailed()) return;
  }
  const std::int64_t cl = client_->ContentLength();
  if (!sink_ && cl > maxBodySize_) {
    if (OnBodyLimit) OnBodyLimit(threadId_);
    if (!active_ || aborted_ || SpillFailed()) return;
    if (!sink_) FailBody(TrArgs(TrText("Net", kTooLarge), {std::to_string(maxBodySize_)}));
  }
}

void THTTPObject::DocData(const char* data, std::size_t len) {
  if (!active_ || aborted_) return;
  RestartTimer();
  if (sink_) {
    if (!sink_->Append(std::string_view(data, len))) {
      FailBody(sink_->FailText());
      return;
    }
    sinkSize_ += static_cast<std::int64_t>(len);
  } else {
    stream_.append(data, len);
    if (DataSize() > maxBodySize_) {
      if (OnBodyLimit) OnBodyLimit(threadId_);
      if (!active_ || aborted_ || SpillFailed()) return;
      if (!sink_) {
        FailBody(TrArgs(TrText("Net", kTooLarge), {std::to_string(maxBodySize_)}));
        return;
      }
    }
  }
  if (OnBodyCheck) {
    const std::string refusal = OnBodyCheck(threadId_, DataSize());
    if (!active_ || aborted_) return;
    if (!refusal.empty()) {
      FailBody(refusal);
      return;
    }
  }
  if (OnReceiveData) OnReceiveData(threadId_, DataSize());
  if (active_ && !aborted_) SpillFailed();
}

void THTTPObject::LocationChange() {
  relocated_ = true;
}

void THTTPObject::HTTPStateChange() {
  if (!aborted_ && client_->State() == httpReady && active_) RequestFinished();
}

void THTTPObject::HTTPTimeout() {
  timer_->stop();
  rateTimer_->stop();
  if (!active_) return;
  timedOut_ = true;
  success_ = false;
  aborted_ = false;
  const std::uint64_t seq = evaluations_;
  client_->Abort();
  // A client that was not working anymore gives no Ready change: evaluate here.
  if (seq == evaluations_ && active_) RequestFinished();
}

void THTTPObject::RequestFinished() {
  ++evaluations_;
  timer_->stop();
  rateTimer_->stop();
  active_ = false;
  if (aborted_) return;

  statusCode_ = static_cast<std::uint16_t>(client_->StatusCode());
  reasonPhrase_ = client_->ReasonPhrase();
  if (timedOut_) {
    statusCode_ = 499;
    reasonPhrase_ = slow_ ? TrArgs(TrText("Net", kTooSlow), {std::to_string(rateWindowMs_ / 1000),
                                                             std::to_string(rateFloor_)})
                          : translate("Net", "连接被客户暂停。");
  }
  if (bodyFailed_) {
    success_ = false;
    if (!failText_.empty()) {
      statusCode_ = 404;  // a refused body is final, never retried as it is
      reasonPhrase_ = failText_;
    }
    Report();
    return;
  }
  if (relocated_) {
    if (sink_) sink_->Truncate(0);
    sink_ = nullptr;
    stream_ = RelocationPage(url_, client_->Location());
    Report();
    return;
  }
  if (statusCode_ == 304) {
    // Only a conditional request may be answered "not modified"; otherwise
    // there is no copy to keep and nothing was received.
    if (!modifiedSince_.isValid()) {
      success_ = false;
      reasonPhrase_ = TrText("Net", kUnaskedNotModified);
    }
    Report();
    return;
  }

  // The whole document's length: a 206 part ends at its start plus its length.
  const std::int64_t cl = client_->ContentLength();
  const std::int64_t held = DataSize();
  if (rangeStart_ >= 0 && client_->ResponseStatusCode() == 206) {
    if (cl >= 0) expectedTotal_ = rangeStart_ + cl;
  } else if (cl >= 0 || !timedOut_) {
    expectedTotal_ = cl;  // a time-out before any header keeps the length known so far
  }
  // An error answer is final: the client stops reading it once the status is
  // known, so its body is often short, and asking for the rest would only
  // fetch the same error again (how often would depend on packet timing).
  const bool errorAnswer = !timedOut_ && statusCode_ >= 400;
  const bool incomplete =
      !errorAnswer && method_ == htom_Get && expectedTotal_ >= 0 && held < expectedTotal_;
  if (!incomplete) {
    Report();
    return;
  }

  // Resume from the bytes held; every bound ends the fetch with a failure.
  ++resumeCount_;
  // No progress: nothing arrived, or a server that ignores the range sent the
  // document from its start again and cut it no later than before.
  if (client_->ReceivedCount() == 0 || held <= sizeAtRequestStart_) {
    ++stalledResumes_;
  } else {
    stalledResumes_ = 0;
  }
  if (timedOut_) ++timeoutResumes_;
  if (resumeCount_ >= maxResumes_ || stalledResumes_ >= maxStalledResumes_ ||
      timeoutResumes_ > maxTimeoutResumes_) {
    success_ = false;
    Report();
    return;
  }
  client_->ContentRangeBegin = std::to_string(held);
  client_->ContentRangeEnd = std::to_string(expectedTotal_ - 1);
  timedOut_ = false;
  slow_ = false;
  success_ = true;
  RestartTimer();
  active_ = true;
  relocated_ = false;
  try {
    StartClient();
  } catch (const std::exception& e) {
    PostFailure(client_->StatusCode() == 404 ? client_->ReasonPhrase() : std::string(e.what()));
  }
}

void THTTPObject::Report() {
  timer_->stop();
  rateTimer_->stop();
  active_ = false;
  if (OnTransferResults) OnTransferResults(threadId_, success_);
}

}  // namespace trawlonix
