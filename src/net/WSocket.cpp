#include "net/WSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <QMetaObject>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "base/Translate.h"

namespace trawlonix {

namespace {

bool IsDottedAddress(const std::string& host) {
  in_addr a4{};
  return inet_pton(AF_INET, host.c_str(), &a4) == 1;
}

// "[::1]" as a URL writes it, or "::1": the address without its brackets.
std::optional<std::string> IPv6Literal(const std::string& host) {
  const bool bracketed = host.size() > 2 && host.front() == '[' && host.back() == ']';
  const std::string bare = bracketed ? host.substr(1, host.size() - 2) : host;
  in6_addr a6{};
  if (inet_pton(AF_INET6, bare.c_str(), &a6) != 1) return std::nullopt;
  return bare;
}

}  // namespace

TWSocket::TWSocket(QObject* parent) : QObject(parent), resolver_(DefaultResolver()) {}

TWSocket::~TWSocket() {
  // No events from a socket that is going away.
  OnSessionClosed = nullptr;
  OnDnsLookupDone = nullptr;
  if (lookupId_ != 0 && resolver_) resolver_->Cancel(lookupId_);
  lookupId_ = 0;
  DestroyNotifiers();
  FreeTls();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void TWSocket::RaiseError(std::uint16_t code, const char* function) {
  lastError_ = code;
  if ((code == wsaECONNRESET || code == wsaENOTCONN) && fd_ >= 0) {
    DestroyNotifiers();
    FreeTls();
    ::close(fd_);
    fd_ = -1;
    state_ = wsClosed;
    ++generation_;
  } else if (code == wsaECONNRESET || code == wsaENOTCONN) {
    state_ = wsClosed;
  }
  std::string message = TrArgs(translate("Net", "错误 %1 在函数 %2\r\n%3"),
                               {std::to_string(code), function, WSocketErrorDesc(code)});
  throw ESocketException(message, code);
}

void TWSocket::LookupHost(const std::string& host) {
  if (lookupId_ != 0) {
    resolver_->Cancel(lookupId_);
    lookupId_ = 0;
  }
  ++lookupSeq_;
  if (host.empty()) RaiseError(wsaEINVAL, translate("Net", "DNS 搜寻: 无效的主机名。").c_str());
  if (IsDottedAddress(host)) {
    dnsResult_ = host;
    if (OnDnsLookupDone) OnDnsLookupDone(*this, 0);
    return;
  }
  if (const auto v6 = IPv6Literal(host)) {  // connected as AF_INET6 (see Connect)
    dnsResult_ = *v6;
    if (OnDnsLookupDone) OnDnsLookupDone(*this, 0);
    return;
  }
  if (!resolver_) resolver_ = DefaultResolver();
  std::uint64_t seq = lookupSeq_;
  std::uint16_t error = 0;
  int id = resolver_->Start(
      host, this,
      [this, seq](std::uint16_t err, const std::string& address) {
        if (seq != lookupSeq_ || lookupId_ == 0) return;  // cancelled or replaced
        lookupId_ = 0;
        dnsResult_ = err == 0 ? address : std::string();
        if (err != 0) lastError_ = err;
        if (OnDnsLookupDone) OnDnsLookupDone(*this, err);
      },
      error);
  if (id == 0) {
    lastError_ = error;
    const std::string text = TrArgs(translate("Net", "%1: 不能启动 DNS 搜寻，错误 #%2"),
                                    {host.substr(0, 500), std::to_string(error)});
    throw ESocketException(text, error);
  }
  lookupId_ = id;
}

void TWSocket::CancelLookup() {
  if (lookupId_ == 0) return;
  resolver_->Cancel(lookupId_);
  lookupId_ = 0;
  ++lookupSeq_;
  lastError_ = wsaEINTR;
  if (OnDnsLookupDone) OnDnsLookupDone(*this, wsaEINTR);
}

void TWSocket::Connect() {
  if (fd_ >= 0) RaiseError(10056, "Connect");
  if (proto_ != "tcp") RaiseError(10043, "Connect");

  sockaddr_storage storage{};
  socklen_t length = 0;
  unsigned long port = 0;
  {
    const std::string& p = port_;
    bool ok = !p.empty() && p.size() <= 5;
    for (char c : p)
      ok = ok && c >= '0' && c <= '9';
    if (ok) port = std::stoul(p);
    if (!ok || port == 0 || port > 65535) RaiseError(wsaEINVAL, "Connect");
  }
  auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
  if (inet_pton(AF_INET, addr_.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(static_cast<std::uint16_t>(port));
    length = sizeof(sockaddr_in);
  } else if (inet_pton(AF_INET6, addr_.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(static_cast<std::uint16_t>(port));
    length = sizeof(sockaddr_in6);
  } else {
    RaiseError(wsaEINVAL, "Connect");
  }

  int fd = ::socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) RaiseError(ErrnoToWSocketError(errno), "socket");
  fd_ = fd;
  state_ = wsConnecting;
  lastError_ = 0;
  tlsError_.clear();
  sendQueue_.clear();
  sendPos_ = 0;
  ++generation_;

  readNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
  readNotifier_->setEnabled(false);
  connect(readNotifier_, &QSocketNotifier::activated, this, [this] { ReadActivated(); });
  writeNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Write, this);
  connect(writeNotifier_, &QSocketNotifier::activated, this, [this] { WriteActivated(); });

  int rc = ::connect(fd_, reinterpret_cast<sockaddr*>(&storage), length);
  if (rc == 0 || errno == EINPROGRESS) {
    writeNotifier_->setEnabled(true);  // fires once the attempt has ended
    return;
  }
  // Refused at once (typical on loopback): reported like a later failure, from
  // the event loop, so callers see one behaviour whatever the timing.
  std::uint16_t err = ErrnoToWSocketError(errno);
  writeNotifier_->setEnabled(false);
  std::uint64_t gen = generation_;
  QMetaObject::invokeMethod(
      this,
      [this, gen, err] {
        if (gen != generation_ || state_ != wsConnecting) return;
        lastError_ = err;
        Guarded([&] {
          if (OnSessionConnected) OnSessionConnected(*this, err);
        });
      },
      Qt::QueuedConnection);
}

void TWSocket::FinishConnect() {
  int err = 0;
  socklen_t len = sizeof err;
  if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
  writeNotifier_->setEnabled(false);
  if (err != 0) {
    // The attempt failed; the socket stays until its user closes it.
    lastError_ = ErrnoToWSocketError(err);
    std::uint16_t code = lastError_;
    Guarded([&] {
      if (OnSessionConnected) OnSessionConnected(*this, code);
    });
    return;
  }
  if (tlsWanted_) {
    BeginHandshake();
    return;
  }
  state_ = wsConnected;
  readNotifier_->setEnabled(true);
  std::uint64_t gen = generation_;
  Guarded([&] {
    if (OnSessionConnected) OnSessionConnected(*this, 0);
  });
  if (gen == generation_ && fd_ >= 0 && sendPos_ < sendQueue_.size())
    writeNotifier_->setEnabled(true);
}

void TWSocket::WriteActivated() {
  if (fd_ < 0) return;
  if (handshaking_) {
    ContinueHandshake();
    return;
  }
  if (state_ == wsConnecting) {
    FinishConnect();
    return;
  }
  TrySend();
}

void TWSocket::TrySend() {
  if (handshaking_) return;  // sent once the handshake is done
  if (ssl_) {
    if (!TlsSendStep()) return;
  }
  while (sendPos_ < sendQueue_.size()) {
    ssize_t n =
        ::send(fd_, sendQueue_.data() + sendPos_, sendQueue_.size() - sendPos_, MSG_NOSIGNAL);
    if (n > 0) {
      sendPos_ += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      if (errno == EINTR) continue;
      writeNotifier_->setEnabled(true);
      return;
    }
    // The connection failed under the data: it is over.
    lastError_ = ErrnoToWSocketError(n < 0 ? errno : EPIPE);
    CloseSocket(false, lastError_);
    return;
  }
  sendQueue_.clear();
  sendPos_ = 0;
  if (writeNotifier_) writeNotifier_->setEnabled(false);
  std::uint64_t gen = generation_;
  QMetaObject::invokeMethod(
      this,
      [this, gen] {
        if (gen != generation_ || !OnDataSent) return;
        Guarded([&] { OnDataSent(*this, 0); });
      },
      Qt::QueuedConnection);
}

int TWSocket::Send(const void* data, std::size_t length) {
  if (state_ != wsConnected || fd_ < 0) RaiseError(wsaENOTCONN, "Send");
  if (sendPos_ > 0 && sendPos_ == sendQueue_.size()) {
    sendQueue_.clear();
    sendPos_ = 0;
  }
  sendQueue_.append(static_cast<const char*>(data), length);
  TrySend();
  return static_cast<int>(length);
}

int TWSocket::Receive(void* buffer, std::size_t size) {
  if (fd_ < 0) {
    lastError_ = wsaENOTCONN;
    return -1;
  }
  if (ssl_) {
    if (handshaking_) return 0;
    ERR_clear_error();
    const int n = SSL_read(ssl_, buffer, static_cast<int>(std::min<std::size_t>(size, 1 << 30)));
    if (n > 0) return n;
    const int err = SSL_get_error(ssl_, n);
    if (err == SSL_ERROR_WANT_READ || err == SSL_ERROR_WANT_WRITE) return 0;
    if (err == SSL_ERROR_ZERO_RETURN) {
      // close_notify read here: no notifier would tell of it again.
      PostClose(0);
      return 0;
    }
    tlsError_ = TlsErrorText(n);
    lastError_ = wsaTLSFAILED;
    PostClose(lastError_);
    return -1;
  }
  for (;;) {
    ssize_t n = ::recv(fd_, buffer, size, 0);
    if (n >= 0) return static_cast<int>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    lastError_ = ErrnoToWSocketError(errno);
    return -1;
  }
}

void TWSocket::ReadActivated() {
  if (fd_ < 0) return;
  if (handshaking_) {
    ContinueHandshake();
    return;
  }
  if (state_ != wsConnected) return;
  if (ssl_) {
    TlsReadActivated();
    return;
  }
  char probe;
  ssize_t n = ::recv(fd_, &probe, 1, MSG_PEEK);
  if (n > 0) {
    Guarded([&] {
      if (OnDataAvailable) OnDataAvailable(*this, 0);
    });
    return;
  }
  if (n == 0) {
    CloseSocket(false, 0);  // the peer closed and everything was read
    return;
  }
  if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
  lastError_ = ErrnoToWSocketError(errno);
  CloseSocket(false, lastError_);
}

void TWSocket::DestroyNotifiers() {
  if (readNotifier_) {
    readNotifier_->setEnabled(false);
    readNotifier_->deleteLater();
    readNotifier_ = nullptr;
  }
  if (writeNotifier_) {
    writeNotifier_->setEnabled(false);
    writeNotifier_->deleteLater();
    writeNotifier_ = nullptr;
  }
}

void TWSocket::CloseSocket(bool graceful, std::uint16_t error) {
  if (fd_ < 0) return;
  DestroyNotifiers();
  if (ssl_ && graceful && state_ == wsConnected && !handshaking_) {
    ERR_clear_error();
    SSL_shutdown(ssl_);  // close_notify; the answer is not awaited
  }
  FreeTls();
  if (graceful && state_ == wsConnected) ::shutdown(fd_, SHUT_WR);
  ::close(fd_);
  fd_ = -1;
  state_ = wsClosed;
  sendQueue_.clear();
  sendPos_ = 0;
  ++generation_;
  if (OnSessionClosed) {
    try {
      OnSessionClosed(*this, error);
    } catch (const std::exception&) {
      // Nothing more to abort.
    }
  }
}

void TWSocket::Close() {
  CloseSocket(true, 0);
}

void TWSocket::Abort() {
  CancelLookup();
  CloseSocket(false, 0);
}

}  // namespace trawlonix
