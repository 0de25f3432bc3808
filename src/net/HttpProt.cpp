#include "net/HttpProt.h"

#include <QMetaObject>
#include <QTimer>

#include "base/Text.h"
#include "url/urlescape.h"

#include "base/Translate.h"

namespace trawlonix {

namespace {

// A header value never carries a line break of its own.
std::string SafeValue(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c != '\r' && c != '\n' && c != '\0') out += c;
  }
  return out;
}

// Shown when a URL names a protocol this client cannot fetch.
constexpr const char* kUnsupportedScheme = QT_TRANSLATE_NOOP("Net", "不支持的协议");
// Shown when the connection ended inside a chunked or compressed body.
constexpr const char* kBodyCut = QT_TRANSLATE_NOOP("Net", "连接在文档结束之前被关闭");
// Shown when a proxy would not open a tunnel for an https request.
constexpr const char* kTunnelRefused = QT_TRANSLATE_NOOP("Net", "代理服务器拒绝建立隧道");
// An error answer longer than this ends its connection rather than being read.
constexpr std::int64_t kMaxErrorBodyKept = 64 * 1024;
// An answer to CONNECT longer than this is no proxy's.
constexpr std::size_t kMaxTunnelAnswer = 16 * 1024;

}  // namespace

THttpCli::THttpCli(QObject* parent)
    : QObject(parent), socket_(new TWSocket(this)), idleTimer_(new QTimer(this)) {
  socket_->OnDnsLookupDone = [this](TWSocket&, std::uint16_t e) { DnsLookupDone(e); };
  socket_->OnSessionConnected = [this](TWSocket&, std::uint16_t e) { SocketConnected(e); };
  socket_->OnDataAvailable = [this](TWSocket&, std::uint16_t) { DataAvailable(); };
  socket_->OnSessionClosed = [this](TWSocket&, std::uint16_t e) { SessionClosed(e); };
  idleTimer_->setSingleShot(true);
  connect(idleTimer_, &QTimer::timeout, this, [this] {
    if (state_ == httpReady && socket_->State() != wsClosed) socket_->Close();
  });
}

THttpCli::~THttpCli() {
  socket_->OnDnsLookupDone = nullptr;
  socket_->OnSessionConnected = nullptr;
  socket_->OnDataAvailable = nullptr;
  socket_->OnSessionClosed = nullptr;
}

void THttpCli::SetState(THttpState s) {
  if (s == state_) return;
  state_ = s;
  if (OnStateChange) OnStateChange(*this);
}

void THttpCli::Get() {
  StartRequest(httpGET);
}
void THttpCli::Head() {
  StartRequest(httpHEAD);
}

void THttpCli::StartRequest(THttpRequest kind) {
  if (state_ != httpReady) throw EHttpException(translate("Net", "HTTP 组件正忙着"), 1);
  idleTimer_->stop();
  // A kept connection is usable only when nothing unasked arrived on it.
  const bool canReuse = !Http10 && socket_->State() == wsConnected && reader_.Buffered() == 0;
  ++generation_;
  const std::uint64_t gen = generation_;
  reader_.Reset();
  reader_.SetFraming(!Http10);
  reader_.SetDecoding(!Http10);
  reader_.SetHeadRequest(kind == httpHEAD);
  request_ = kind;
  requestError_ = 0;
  locationSeen_ = false;
  docBegun_ = false;
  closeAfterBuffer_ = false;
  endPosted_ = false;
  rangeRequested_ = false;
  reused_ = false;
  retried_ = false;
  tunnelPending_ = false;
  SetState(httpNotConnected);
  if (Stale(gen)) return;

  statusCode_ = 0;
  receivedCount_ = 0;
  bytesRead_ = 0;
  contentType_.clear();
  location_ = URL;

  std::string key;
  if (!PlanRequest(key)) {
    // Sent as plain HTTP it would be checked or fetched from the wrong place.
    PostEnd();
    return;
  }
  if (canReuse && key == connKey_) {
    ReuseConnection(gen);
    return;
  }
  connKey_ = key;
  if (socket_->State() != wsClosed) socket_->Abort();  // left open by an earlier request
  if (Stale(gen)) return;
  Connect();
}

// Splits URL (and Proxy) into where to connect, what to ask and how; false
// for a scheme this client cannot fetch (the failure is set). `key` names the
// connection the request needs, to tell whether a kept one serves.
bool THttpCli::PlanRequest(std::string& key) {
  THttpURLParts u = ParseHttpURL(URL);
  if (u.Path.empty()) u.Path = "/";
  urlScheme_ = u.Scheme.empty() ? "http" : u.Scheme;
  urlHost_ = u.Host;
  urlPort_ = u.Port;
  urlPath_ = u.Path;
  const std::string scheme = text::Lower(urlScheme_);
  secure_ = scheme == "https";
  const std::string defaultPort = secure_ ? "443" : "80";
  targetHost_ = u.Host + (u.Port.empty() || u.Port == defaultPort ? "" : ":" + u.Port);
  viaProxy_ = !Proxy.empty();
  if (!viaProxy_) {
    hostName_ = u.Host;
    port_ = u.Port.empty() ? defaultPort : u.Port;
    target_ = u.Path;
  } else {
    // Through a tunnel an https request names only the path; plain http
    // requests name the whole URL to the proxy.
    target_ = secure_ ? u.Path
                      : urlScheme_ + "://" + u.Host + (u.Port.empty() ? "" : ":" + u.Port) + u.Path;
    THttpURLParts p = ParseHttpURL(Proxy);
    hostName_ = p.Host;
    port_ = p.Port.empty() ? ProxyPort : p.Port;
  }
  // Credentials inside the URL win, for this request only.
  requestUser_ = u.User.empty() ? Username : u.User;
  requestPassword_ = u.Password.empty() ? Password : u.Password;
  if (!viaProxy_ && !secure_ && scheme != "http") {
    statusCode_ = 404;
    reasonPhrase_ = TrText("Net", kUnsupportedScheme) + ": " + scheme;
    return false;
  }
  key = hostName_ + "\n" + port_ + "\n" + (secure_ ? "s\n" : "\n") + Tls.CAFile +
        (Tls.Verify ? "\nv" : "\n");
  if (viaProxy_ && secure_) key += "\n" + u.Host + ":" + (u.Port.empty() ? defaultPort : u.Port);
  return true;
}

void THttpCli::Connect() {
  const std::uint64_t gen = generation_;
  SetState(httpDnsLookup);
  if (Stale(gen)) return;
  try {
    socket_->LookupHost(hostName_);
  } catch (const std::exception&) {
    // The request never began: back to Ready quietly, the caller hears the error.
    if (!Stale(gen)) {
      ++generation_;
      state_ = httpReady;
      statusCode_ = 404;
      reasonPhrase_ = translate("Net", "不能将主机名分解成 IP 地址");
      requestError_ = socket_->LastError();
    }
    throw;
  }
}

void THttpCli::ReuseConnection(std::uint64_t gen) {
  reused_ = true;
  // Sent from the event loop, like a request on a new connection.
  QMetaObject::invokeMethod(
      this,
      [this, gen] {
        if (Stale(gen) || state_ != httpNotConnected) return;
        SetState(httpWaitingHeader);
        if (Stale(gen)) return;
        SendRequest();
      },
      Qt::QueuedConnection);
}

void THttpCli::DnsLookupDone(std::uint16_t error) {
  if (state_ != httpDnsLookup) return;  // aborted meanwhile
  const std::uint64_t gen = generation_;
  if (error != 0) {
    statusCode_ = 404;
    reasonPhrase_ = translate("Net", "不能将主机名分解成 IP 地址");
    requestError_ = error;
    PostEnd();
    return;
  }
  SetState(httpConnecting);
  if (Stale(gen)) return;
  socket_->SetAddr(socket_->DnsResult());
  socket_->SetPort(port_);
  socket_->SetProto("tcp");
  if (secure_ && !viaProxy_) {
    socket_->SetTls(Tls, urlHost_);
  } else {
    socket_->ClearTls();
  }
  try {
    ++connectionsOpened_;
    socket_->Connect();
  } catch (const ESocketException& e) {
    if (Stale(gen)) return;
    std::uint16_t code = socket_->LastError();
    requestError_ = code;
    statusCode_ = 404;
    reasonPhrase_ = TrArgs(translate("Net", "不能连接: \r%1 (错误 #%2)\r%3"),
                           {WSocketErrorDesc(code), std::to_string(code), e.what()});
    if (socket_->State() != wsClosed) {
      socket_->Close();  // its close event ends the request
    } else {
      PostEnd();
    }
  }
}

void THttpCli::SocketConnected(std::uint16_t error) {
  if (state_ != httpConnecting) return;
  const std::uint64_t gen = generation_;
  if (error != 0) {
    requestError_ = error;
    statusCode_ = 404;
    reasonPhrase_ =
        TrArgs(translate("Net", "%1 (错误 #%2)"), {WSocketErrorDesc(error), std::to_string(error)});
    if (error == wsaTLSFAILED) reasonPhrase_ += ": " + socket_->TlsError();
    socket_->Close();
    if (!Stale(gen) && !endPosted_) PostEnd();
    return;
  }
  if (viaProxy_ && secure_ && !socket_->Secure()) {
    SendTunnelRequest();
    return;
  }
  SetState(httpConnected);
  if (Stale(gen)) return;
  if (OnSessionConnected) OnSessionConnected(*this);
  if (Stale(gen)) return;
  SetState(httpWaitingHeader);
  if (Stale(gen)) return;
  SendRequest();
}

void THttpCli::SendTunnelRequest() {
  const std::string authority = SafeValue(urlHost_ + ":" + (urlPort_.empty() ? "443" : urlPort_));
  std::string out = "CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\n";
  if (!ProxyUsername.empty())
    out +=
        "Proxy-Authorization: Basic " + Base64Encode(ProxyUsername + ":" + ProxyPassword) + "\r\n";
  out += "\r\n";
  tunnelPending_ = true;
  tunnelAnswer_.clear();
  try {
    socket_->Send(out.data(), out.size());
  } catch (const ESocketException& e) {
    requestError_ = e.Code();
    if (socket_->State() != wsClosed) {
      socket_->Close();
    } else if (!endPosted_) {
      PostEnd();
    }
  }
}

void THttpCli::ReadTunnelAnswer() {
  // Read byte by byte up to the blank line: what follows belongs to TLS.
  for (;;) {
    char c;
    const int n = socket_->Receive(&c, 1);
    if (n <= 0) return;
    tunnelAnswer_ += c;
    const bool ended = tunnelAnswer_.size() >= 4 &&
                       tunnelAnswer_.compare(tunnelAnswer_.size() - 4, 4, "\r\n\r\n") == 0;
    if (!ended && tunnelAnswer_.size() < kMaxTunnelAnswer) continue;
    tunnelPending_ = false;
    int code = 0;
    std::string reason;
    const std::string line = tunnelAnswer_.substr(0, tunnelAnswer_.find('\r'));
    if (!ended || !HttpResponseReader::ParseStatus(line, code, reason) || code < 200 ||
        code > 299) {
      statusCode_ = 404;
      reasonPhrase_ = TrText("Net", kTunnelRefused) + ": " + line;
      socket_->Close();
      return;
    }
    try {
      socket_->StartTls(Tls, urlHost_);  // SocketConnected follows with the outcome
    } catch (const ESocketException&) {
      socket_->Close();
    }
    return;
  }
}

void THttpCli::SendRequest() {
  const std::uint64_t gen = generation_;
  std::string out;
  auto add = [&](std::string line) {
    if (OnCommand) OnCommand(*this, line);
    out += line;
    out += "\r\n";
  };
  if (OnRequestHeaderBegin) OnRequestHeaderBegin(*this);
  if (Stale(gen)) return;
  add(std::string(request_ == httpHEAD ? "HEAD" : "GET") + " " +
      PercentEscape(target_, EscapeSet::RequestTarget) + (Http10 ? " HTTP/1.0" : " HTTP/1.1"));
  if (!Accept.empty()) add("Accept: " + SafeValue(Accept));
  if (!Reference.empty()) add("Referer: " + SafeValue(Reference));
  if (!Agent.empty()) add("User-Agent: " + SafeValue(Agent));
  add("Host: " + SafeValue(targetHost_));
  if (!Cookie.empty()) add("Cookie: " + SafeValue(Cookie));
  if (ModifiedSince.isValid()) {
    std::string date = HttpDate(ModifiedSince);
    if (!date.empty()) add("If-Modified-Since: " + date + " GMT");
  }
  if (!requestUser_.empty())
    add("Authorization: Basic " + Base64Encode(requestUser_ + ":" + requestPassword_));
  if (viaProxy_ && !secure_ && !ProxyUsername.empty())
    add("Proxy-Authorization: Basic " + Base64Encode(ProxyUsername + ":" + ProxyPassword));
  if (!ContentRangeBegin.empty() || !ContentRangeEnd.empty()) {
    add("Range: bytes=" + SafeValue(ContentRangeBegin) + "-" + SafeValue(ContentRangeEnd));
    ContentRangeBegin.clear();
    ContentRangeEnd.clear();
    rangeRequested_ = true;
  }
  if (!Http10) {
    // A part of a document is asked for as stored, never compressed anew.
    add(rangeRequested_ ? "Accept-Encoding: identity" : "Accept-Encoding: gzip, deflate");
    add("Connection: keep-alive");
  }
  if (OnRequestHeaderEnd) OnRequestHeaderEnd(*this);
  if (Stale(gen)) return;
  out += "\r\n";
  sentRequest_ = out;
  try {
    socket_->Send(out.data(), out.size());
  } catch (const ESocketException& e) {
    if (Stale(gen)) return;
    requestError_ = e.Code();
    if (socket_->State() != wsClosed) {
      socket_->Close();
    } else if (!endPosted_ && !RetryFresh()) {
      PostEnd();
    }
  }
}

void THttpCli::DataAvailable() {
  const std::uint64_t gen = generation_;
  if (tunnelPending_ && state_ == httpConnecting) {
    ReadTunnelAnswer();
    return;
  }
  if (state_ != httpWaitingHeader && state_ != httpWaitingBody) {
    // Nothing is expected. On a kept connection that makes it unusable.
    if (state_ == httpReady && !Http10) {
      socket_->Close();
      return;
    }
    char sink[4096];
    socket_->Receive(sink, sizeof sink);
    return;
  }
  // A few reads per notification; the notifier fires again while data is left.
  for (int round = 0; round < 8; ++round) {
    std::size_t room = reader_.FreeSpace();
    if (room == 0) break;
    int n = socket_->Receive(reader_.FreeBegin(), room);
    if (n <= 0) return;
    bytesRead_ += n;
    reader_.Commit(static_cast<std::size_t>(n));
    ProcessBuffer();
    if (Stale(gen) || socket_->State() == wsClosed) return;
    if (state_ != httpWaitingHeader && state_ != httpWaitingBody) return;
    if (reader_.Complete()) return;
  }
}

void THttpCli::ProcessBuffer() {
  const std::uint64_t gen = generation_;
  HttpReaderItem item;
  while (!endPosted_ && reader_.Next(item)) {
    HandleItem(item);
    if (Stale(gen)) return;
    if (item.kind == HttpReaderItem::HeaderEnd &&
        reader_.CurrentPhase() == HttpResponseReader::phRelocated && Http10)
      return;
  }
  if (closeAfterBuffer_ && socket_->State() != wsClosed) socket_->Close();
}

void THttpCli::HandleItem(const HttpReaderItem& item) {
  const std::uint64_t gen = generation_;
  switch (item.kind) {
    case HttpReaderItem::HeaderBegin:
      if (OnHeaderBegin) OnHeaderBegin(*this);
      break;
    case HttpReaderItem::HeaderLine: {
      if (reader_.HasStatus()) {
        statusCode_ = reader_.StatusCode();
        reasonPhrase_ = reader_.ReasonPhrase();
      }
      contentType_ = reader_.ContentType();
      const std::string& name = reader_.FieldName();
      if (name == "location") {
        locationSeen_ = true;
        ComputeLocation(reader_.FieldValue());
      } else if (name == "set-cookie" && OnCookie) {
        bool accept = true;
        OnCookie(*this, reader_.FieldValue(), accept);
        if (Stale(gen)) return;
      }
      if (OnHeaderData) OnHeaderData(*this);
      // The HTTP/1.0 form stops reading an error answer once its status is known.
      if (statusCode_ >= 400 && Http10) closeAfterBuffer_ = true;
      break;
    }
    case HttpReaderItem::HeaderEnd:
      contentType_ = reader_.ContentType();
      if (reader_.CurrentPhase() == HttpResponseReader::phRelocated) {
        if (OnHeaderEnd) OnHeaderEnd(*this);
        if (Stale(gen)) return;
        // No body is kept. The HTTP/1.0 form closes at once (the close event
        // ends the request); HTTP/1.1 reads past it to keep the connection.
        if (Http10) socket_->Close();
        return;
      }
      // HTTP/1.1 reads a short error answer to its end to keep the connection.
      if (!Http10 && statusCode_ >= 400)
        closeAfterBuffer_ = reader_.Mode() != HttpResponseReader::bmLength ||
                            reader_.ContentLength() > kMaxErrorBodyKept;
      SetState(httpWaitingBody);
      if (Stale(gen)) return;
      if (OnHeaderEnd) OnHeaderEnd(*this);
      break;
    case HttpReaderItem::Body:
      DeliverBody(item.data.data(), item.data.size());
      break;
    case HttpReaderItem::Complete:
      AnswerComplete();
      break;
    case HttpReaderItem::Error:
      // An answer that cannot be read (a line too long, a bad status line,
      // chunk or encoding) is no document, whatever its status said and
      // wherever in the header the fault stood.
      statusCode_ = 404;
      reasonPhrase_ = reader_.ErrorText();
      // Raised inside the socket's data event: the socket aborts the
      // connection and the request ends with what is known so far.
      throw EHttpException(reader_.ErrorText(), reader_.ErrorCode());
  }
}

void THttpCli::DeliverBody(const char* data, std::size_t len) {
  const std::uint64_t gen = generation_;
  if (!docBegun_) {
    docBegun_ = true;
    if (OnDocBegin) OnDocBegin(*this);
    if (Stale(gen)) return;
  }
  receivedCount_ += static_cast<std::int64_t>(len);
  if (ReceivedStream) ReceivedStream->append(data, len);
  if (OnDocData) OnDocData(*this, data, len);
}

void THttpCli::AnswerComplete() {
  const bool keep = reader_.Persistent() && reader_.Buffered() == 0 &&
                    socket_->State() == wsConnected && !closeAfterBuffer_;
  if (keep) {
    FinishAnswer();
    if (KeepAliveIdleMs > 0) idleTimer_->start(KeepAliveIdleMs);
    return;
  }
  // Its close event ends the request; a socket already closed is ending it now.
  if (socket_->State() != wsClosed) socket_->Close();
}

void THttpCli::FinishAnswer() {
  const std::uint64_t gen = generation_;
  if (docBegun_ && OnDocEnd) {
    OnDocEnd(*this);
    if (Stale(gen)) return;
  }
  if (locationSeen_ && OnLocationChange) {
    OnLocationChange(*this);
    if (Stale(gen)) return;
  }
  PostEnd();
}

bool THttpCli::RetryFresh() {
  // A kept connection the server closed before answering: once more on a new one.
  if (!reused_ || retried_ || statusCode_ != 0 || reader_.LineCount() != 0 || receivedCount_ != 0)
    return false;
  retried_ = true;
  reused_ = false;
  requestError_ = 0;
  reader_.Reset();
  ++generation_;  // a send still queued for the closed connection is void
  QMetaObject::invokeMethod(
      this,
      [this, gen = generation_] {
        if (Stale(gen)) return;
        try {
          Connect();
        } catch (const std::exception&) {
          if (!Stale(gen)) PostEnd();
        }
      },
      Qt::QueuedConnection);
  return true;
}

void THttpCli::CheckBodyEnd(std::uint16_t error) {
  // An error answer this client chose to stop reading is not cut short.
  if (Http10 || state_ != httpWaitingBody || reader_.Complete() || closeAfterBuffer_ ||
      reader_.CurrentPhase() == HttpResponseReader::phFailed)
    return;
  reader_.EndOfInput();
  try {
    ProcessBuffer();
  } catch (const EHttpException&) {
    return;  // the reader's failure is already the outcome
  }
  if (reader_.Complete() || endPosted_) return;
  if (error == wsaTLSFAILED) return;
  // A cut identity body with a length is resumed by the fetch slot; chunks
  // and compressed bytes cannot be, so the fetch fails here.
  if (reader_.Mode() == HttpResponseReader::bmChunked || reader_.Decoding()) {
    statusCode_ = 404;
    reasonPhrase_ = TrText("Net", kBodyCut);
  }
}

void THttpCli::SessionClosed(std::uint16_t error) {
  idleTimer_->stop();
  if (state_ == httpReady || state_ == httpAborting || endPosted_) return;
  const std::uint64_t gen = generation_;
  if (RetryFresh()) return;
  if (error != 0 && requestError_ == 0) requestError_ = error;
  if (error == wsaTLSFAILED && !reader_.Complete()) {
    // A broken TLS session leaves the answer unproven, however much arrived.
    statusCode_ = 404;
    reasonPhrase_ = TrArgs(translate("Net", "%1 (错误 #%2)"),
                           {WSocketErrorDesc(error), std::to_string(error)}) +
                    ": " + socket_->TlsError();
  }
  CheckBodyEnd(error);
  if (Stale(gen) || endPosted_) return;
  if (statusCode_ == 0 && reader_.LineCount() == 0 && receivedCount_ == 0) {
    // Closed (or reset) before any answer: a failure, never an empty success.
    std::uint16_t code = error != 0 ? error : std::uint16_t{wsaECONNABORTED};
    statusCode_ = 404;
    reasonPhrase_ =
        TrArgs(translate("Net", "%1 (错误 #%2)"), {WSocketErrorDesc(code), std::to_string(code)});
    if (requestError_ == 0) requestError_ = code;
  }
  FinishAnswer();
}

void THttpCli::PostEnd() {
  if (endPosted_) return;
  endPosted_ = true;
  const std::uint64_t gen = generation_;
  QMetaObject::invokeMethod(
      this,
      [this, gen] {
        if (Stale(gen)) return;  // aborted or replaced by a newer request
        SetState(httpReady);
        if (Stale(gen)) return;
        QMetaObject::invokeMethod(
            this,
            [this, gen] {
              if (Stale(gen) || !OnRequestDone) return;
              OnRequestDone(*this, request_, requestError_);
            },
            Qt::QueuedConnection);
      },
      Qt::QueuedConnection);
}

void THttpCli::Abort() {
  idleTimer_->stop();
  if (state_ == httpReady) {
    if (socket_->State() != wsClosed) socket_->Close();
    return;
  }
  SetState(httpAborting);
  ++generation_;  // whatever was posted for this request is void now
  const std::uint64_t gen = generation_;
  statusCode_ = 404;
  reasonPhrase_ = translate("Net", "连接被请求中断");
  requestError_ = 3;
  if (socket_->LookupPending()) {
    socket_->CancelLookup();
  } else {
    socket_->Abort();
  }
  if (Stale(gen)) return;
  endPosted_ = true;
  SetState(httpReady);
  if (Stale(gen)) return;
  QMetaObject::invokeMethod(
      this,
      [this, gen] {
        if (Stale(gen) || !OnRequestDone) return;
        OnRequestDone(*this, request_, requestError_);
      },
      Qt::QueuedConnection);
}

}  // namespace trawlonix
