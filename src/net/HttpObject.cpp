#include "net/HttpObject.h"

#include <QMetaObject>
#include <QTimer>

#include "url/urlescape.h"
#include "base/Translate.h"

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

}  // namespace

THTTPObject::THTTPObject(QObject* parent)
    : QObject(parent), client_(new THttpCli(this)), timer_(new QTimer(this)) {
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, [this] { HTTPTimeout(); });
  client_->MultiThreaded = false;
  client_->ReceivedStream = &stream_;
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
  client_->Abort();
}

void THTTPObject::FailBody() {
  bodyFailed_ = true;
  success_ = false;
  client_->Abort();  // the evaluation runs inside, with the flag set
}

void THTTPObject::DocBegin() {
  RestartTimer();
  if (rangeStart_ >= 0) {
    const std::int64_t held = DataSize();
    const std::int64_t from = client_->ContentRangeStart();
    if (client_->ResponseStatusCode() != 206) {
      // Not the part asked for (a server that ignores ranges sends the whole
      // document again): start the document over.
      stream_.clear();
    } else if (from >= 0 && from <= held) {
      stream_.resize(static_cast<std::size_t>(from));  // overlapping bytes are sent again
      rangeStart_ = from;
    } else if (from > held) {
      FailBody();  // a gap the server will not fill
      return;
    }
  }
  const std::int64_t cl = client_->ContentLength();
  if (cl > maxBodySize_) FailBody();
}

void THTTPObject::DocData(const char* /*data*/, std::size_t /*len*/) {
  if (!active_ || aborted_) return;
  RestartTimer();
  if (DataSize() > maxBodySize_) {
    FailBody();
    return;
  }
  if (OnReceiveData) OnReceiveData(threadId_, DataSize());
}

void THTTPObject::LocationChange() {
  relocated_ = true;
}

void THTTPObject::HTTPStateChange() {
  if (!aborted_ && client_->State() == httpReady && active_) RequestFinished();
}

void THTTPObject::HTTPTimeout() {
  timer_->stop();
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
  active_ = false;
  if (aborted_) return;

  statusCode_ = static_cast<std::uint16_t>(client_->StatusCode());
  reasonPhrase_ = client_->ReasonPhrase();
  if (timedOut_) {
    statusCode_ = 499;
    reasonPhrase_ = translate("Net", "连接被客户暂停。");
  }
  if (bodyFailed_) {
    success_ = false;
    Report();
    return;
  }
  if (relocated_) {
    stream_ = RelocationPage(url_, client_->Location());
    Report();
    return;
  }
  if (statusCode_ == 304) {
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
  active_ = false;
  if (OnTransferResults) OnTransferResults(threadId_, success_);
}

}  // namespace trawlonix
