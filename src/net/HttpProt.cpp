#include "net/HttpProt.h"

#include <cctype>

#include <QMetaObject>

#include "base/Translate.h"

namespace trawlonix {

namespace {

// Bytes that would break the request line: CR, LF, blanks and other controls.
std::string SafeTarget(std::string_view s) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b == 0x7F) {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out;
}

// A header value never carries a line break of its own.
std::string SafeValue(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c != '\r' && c != '\n' && c != '\0') out += c;
  }
  return out;
}

}  // namespace

THttpCli::THttpCli(QObject* parent) : QObject(parent), socket_(new TWSocket(this)) {
  socket_->OnDnsLookupDone = [this](TWSocket&, std::uint16_t e) { DnsLookupDone(e); };
  socket_->OnSessionConnected = [this](TWSocket&, std::uint16_t e) { SocketConnected(e); };
  socket_->OnDataAvailable = [this](TWSocket&, std::uint16_t) { DataAvailable(); };
  socket_->OnSessionClosed = [this](TWSocket&, std::uint16_t e) { SessionClosed(e); };
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
  if (socket_->State() != wsClosed) socket_->Abort();  // left open by an earlier request
  ++generation_;
  const std::uint64_t gen = generation_;
  reader_.Reset();
  request_ = kind;
  requestError_ = 0;
  locationSeen_ = false;
  docBegun_ = false;
  closeAfterBuffer_ = false;
  endPosted_ = false;
  rangeRequested_ = false;
  SetState(httpNotConnected);
  if (Stale(gen)) return;

  statusCode_ = 0;
  receivedCount_ = 0;
  contentType_.clear();
  location_ = URL;

  THttpURLParts u = ParseHttpURL(URL);
  if (u.Path.empty()) u.Path = "/";
  urlScheme_ = u.Scheme.empty() ? "http" : u.Scheme;
  urlHost_ = u.Host;
  urlPort_ = u.Port;
  urlPath_ = u.Path;
  targetHost_ = u.Host;
  viaProxy_ = !Proxy.empty();
  if (!viaProxy_) {
    hostName_ = u.Host;
    port_ = u.Port.empty() ? "80" : u.Port;
    target_ = u.Path;
  } else {
    target_ = urlScheme_ + "://" + u.Host + (u.Port.empty() ? "" : ":" + u.Port) + u.Path;
    THttpURLParts p = ParseHttpURL(Proxy);
    hostName_ = p.Host;
    port_ = p.Port.empty() ? ProxyPort : p.Port;
  }
  // Credentials inside the URL win, for this request only.
  requestUser_ = u.User.empty() ? Username : u.User;
  requestPassword_ = u.Password.empty() ? Password : u.Password;

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
  try {
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
    socket_->Close();
    if (!Stale(gen) && !endPosted_) PostEnd();
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
  add(std::string(request_ == httpHEAD ? "HEAD" : "GET") + " " + SafeTarget(target_) + " HTTP/1.0");
  if (!Accept.empty()) add("Accept: " + SafeValue(Accept));
  if (!Reference.empty()) add("Referer: " + SafeValue(Reference));
  if (!Agent.empty()) add("User-Agent: " + SafeValue(Agent));
  add("Host: " + SafeValue(targetHost_));
  if (ModifiedSince.isValid()) {
    std::string date = HttpDate(ModifiedSince);
    if (!date.empty()) add("If-Modified-Since: " + date + " GMT");
  }
  if (!requestUser_.empty())
    add("Authorization: Basic " + Base64Encode(requestUser_ + ":" + requestPassword_));
  if (viaProxy_ && !ProxyUsername.empty())
    add("Proxy-Authorization: Basic " + Base64Encode(ProxyUsername + ":" + ProxyPassword));
  if (!ContentRangeBegin.empty() || !ContentRangeEnd.empty()) {
    add("Range: bytes=" + SafeValue(ContentRangeBegin) + "-" + SafeValue(ContentRangeEnd));
    ContentRangeBegin.clear();
    ContentRangeEnd.clear();
    rangeRequested_ = true;
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
    } else if (!endPosted_) {
      PostEnd();
    }
  }
}

void THttpCli::DataAvailable() {
  const std::uint64_t gen = generation_;
  if (state_ != httpWaitingHeader && state_ != httpWaitingBody) {
    // Nothing is expected: drain and drop.
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
    reader_.Commit(static_cast<std::size_t>(n));
    ProcessBuffer();
    if (Stale(gen) || socket_->State() == wsClosed) return;
    if (state_ != httpWaitingHeader && state_ != httpWaitingBody) return;
  }
}

void THttpCli::ProcessBuffer() {
  const std::uint64_t gen = generation_;
  HttpReaderItem item;
  while (reader_.Next(item)) {
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
        if (statusCode_ >= 400) closeAfterBuffer_ = true;
        break;
      }
      case HttpReaderItem::HeaderEnd:
        contentType_ = reader_.ContentType();
        if (reader_.CurrentPhase() == HttpResponseReader::phRelocated) {
          if (OnHeaderEnd) OnHeaderEnd(*this);
          if (Stale(gen)) return;
          socket_->Close();  // no body is read; the close event ends the request
          return;
        }
        SetState(httpWaitingBody);
        if (Stale(gen)) return;
        if (OnHeaderEnd) OnHeaderEnd(*this);
        break;
      case HttpReaderItem::Body:
        DeliverBody(item.data.data(), item.data.size());
        break;
      case HttpReaderItem::Error:
        // Raised inside the socket's data event: the socket aborts the
        // connection and the request ends with what is known so far.
        throw EHttpException(reader_.ErrorText(), reader_.ErrorCode());
    }
    if (Stale(gen)) return;
  }
  if (closeAfterBuffer_ && socket_->State() != wsClosed) socket_->Close();
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

void THttpCli::ComputeLocation(const std::string& value) {
  // A direct request went out as plain http whatever the URL's scheme said; a
  // proxy is asked for the URL's own scheme. The origin keeps the port the
  // request went to.
  const std::string scheme = viaProxy_ ? urlScheme_ : std::string("http");
  const std::string origin = scheme + "://" + urlHost_ + (urlPort_.empty() ? "" : ":" + urlPort_);
  std::string_view ref = value;
  if (ref.find("://") == std::string_view::npos && ref.size() >= 5 &&
      (ref[0] == 'h' || ref[0] == 'H') && (ref[1] == 't' || ref[1] == 'T') &&
      (ref[2] == 't' || ref[2] == 'T') && (ref[3] == 'p' || ref[3] == 'P') && ref[4] == ':') {
    ref.remove_prefix(5);  // "http:/x" or "http:x": a scheme without a host
  }
  const std::string pathNoQuery = urlPath_.substr(0, urlPath_.find('?'));
  // A Location in another scheme without a host ("file:///etc/passwd",
  // "javascript:...", "mailto:...") names nothing on this server: it is passed
  // on as sent instead of being read as a path here. Only http is followed.
  std::size_t schemeEnd = 0;
  while (schemeEnd < ref.size() &&
         (std::isalnum(static_cast<unsigned char>(ref[schemeEnd])) || ref[schemeEnd] == '+' ||
          ref[schemeEnd] == '-' || ref[schemeEnd] == '.'))
    ++schemeEnd;
  if (schemeEnd > 0 && schemeEnd < ref.size() && ref[schemeEnd] == ':' &&
      std::isalpha(static_cast<unsigned char>(ref[0])) &&
      !(schemeEnd == 4 && (ref[0] | 0x20) == 'h' && (ref[1] | 0x20) == 't' &&
        (ref[2] | 0x20) == 't' && (ref[3] | 0x20) == 'p') &&
      (ref.find("://") != schemeEnd || ParseHttpURL(ref).Host.empty())) {
    location_ = std::string(ref);
    return;
  }
  if (ref.empty()) {
    location_ = URL;
  } else if (ref.rfind("//", 0) == 0) {
    location_ = scheme + ":" + std::string(ref);  // network-path reference
  } else if (ref[0] == '/') {
    location_ = origin + std::string(ref);
  } else if (ref.find("://") != std::string_view::npos) {
    THttpURLParts l = ParseHttpURL(ref);
    if (l.Host.empty()) {
      location_ = origin + (l.Path.empty() ? "/" : l.Path);
    } else {
      // User information is dropped; the port stays.
      location_ = l.Scheme + "://" + l.Host + (l.Port.empty() ? "" : ":" + l.Port) +
                  (l.Path.empty() ? "/" : l.Path);
    }
  } else if (ref[0] == '?') {
    location_ = origin + pathNoQuery + std::string(ref);  // same document, other query
  } else if (ref[0] == '#') {
    location_ = origin + urlPath_ + std::string(ref);
  } else {
    // Relative reference: against the directory of the requested document.
    std::string dir = pathNoQuery.substr(0, pathNoQuery.rfind('/') + 1);
    if (dir.empty()) dir = "/";
    location_ = origin + dir + std::string(ref);
  }
}

void THttpCli::SessionClosed(std::uint16_t error) {
  if (state_ == httpReady || state_ == httpAborting || endPosted_) return;
  const std::uint64_t gen = generation_;
  if (error != 0 && requestError_ == 0) requestError_ = error;
  if (statusCode_ == 0 && reader_.LineCount() == 0 && receivedCount_ == 0) {
    // Closed (or reset) before any answer: a failure, never an empty success.
    std::uint16_t code = error != 0 ? error : std::uint16_t{wsaECONNABORTED};
    statusCode_ = 404;
    reasonPhrase_ =
        TrArgs(translate("Net", "%1 (错误 #%2)"), {WSocketErrorDesc(code), std::to_string(code)});
    if (requestError_ == 0) requestError_ = code;
  }
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
