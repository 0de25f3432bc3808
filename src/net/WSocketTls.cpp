// TLS under TWSocket: the handshake, reads and writes run from the same socket
// notifiers as plain TCP, so a TLS connection never blocks the event loop.
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <algorithm>

#include <QMetaObject>
#include <QSocketNotifier>
#include <cerrno>

#include "base/Translate.h"
#include "net/WSocket.h"

namespace trawlonix {

namespace {

// Shown when the peer ends the connection without a TLS error of its own.
constexpr const char* kTlsPeerClosed = QT_TRANSLATE_NOOP("Net", "对方在 TLS 会话中途关闭了连接");

}  // namespace

void TWSocket::SetTls(const TTlsSettings& settings, const std::string& host) {
  tlsWanted_ = true;
  tlsSettings_ = settings;
  tlsHost_ = host;
}

void TWSocket::StartTls(const TTlsSettings& settings, const std::string& host) {
  if (fd_ < 0 || state_ != wsConnected || ssl_) RaiseError(wsaENOTCONN, "StartTls");
  SetTls(settings, host);
  BeginHandshake();
}

void TWSocket::FreeTls() {
  if (ssl_) SSL_free(ssl_);
  ssl_ = nullptr;
  handshaking_ = false;
}

std::string TWSocket::TlsErrorText(int result) {
  const int err = ssl_ ? SSL_get_error(ssl_, result) : SSL_ERROR_SSL;
  const int savedErrno = errno;
  std::string text = TlsFailureText(ssl_);
  if (!text.empty()) return text;
  if (err == SSL_ERROR_SYSCALL && savedErrno != 0)
    return WSocketErrorDesc(ErrnoToWSocketError(savedErrno));
  return TrText("Net", kTlsPeerClosed);
}

void TWSocket::BeginHandshake() {
  std::string error;
  SSL_CTX* ctx = TlsClientContext(tlsSettings_, error);
  SSL* ssl = ctx ? TlsNewConnection(ctx, tlsHost_, tlsSettings_.Verify, error) : nullptr;
  if (!ssl) {
    FailHandshake(error.empty() ? TrText("Net", kTlsPeerClosed) : error);
    return;
  }
  ssl_ = ssl;
  SSL_set_fd(ssl_, fd_);
  SSL_set_connect_state(ssl_);
  handshaking_ = true;
  state_ = wsConnecting;
  ContinueHandshake();
}

void TWSocket::ContinueHandshake() {
  ERR_clear_error();
  errno = 0;
  const int rc = SSL_do_handshake(ssl_);
  if (rc == 1) {
    handshaking_ = false;
    state_ = wsConnected;
    writeNotifier_->setEnabled(false);
    readNotifier_->setEnabled(true);
    const std::uint64_t gen = generation_;
    Guarded([&] {
      if (OnSessionConnected) OnSessionConnected(*this, 0);
    });
    if (gen == generation_ && fd_ >= 0 && sendPos_ < sendQueue_.size()) TrySend();
    return;
  }
  const int err = SSL_get_error(ssl_, rc);
  if (err == SSL_ERROR_WANT_READ || err == SSL_ERROR_WANT_WRITE) {
    readNotifier_->setEnabled(err == SSL_ERROR_WANT_READ);
    writeNotifier_->setEnabled(err == SSL_ERROR_WANT_WRITE);
    return;
  }
  FailHandshake(TlsErrorText(rc));
}

void TWSocket::FailHandshake(const std::string& text) {
  // Like a failed connect: the socket stays until its user closes it.
  handshaking_ = false;
  state_ = wsConnecting;
  if (readNotifier_) readNotifier_->setEnabled(false);
  if (writeNotifier_) writeNotifier_->setEnabled(false);
  tlsError_ = text;
  lastError_ = wsaTLSFAILED;
  Guarded([&] {
    if (OnSessionConnected) OnSessionConnected(*this, wsaTLSFAILED);
  });
}

void TWSocket::TlsReadActivated() {
  char probe;
  ERR_clear_error();
  errno = 0;
  const int n = SSL_peek(ssl_, &probe, 1);
  if (n > 0) {
    const std::uint64_t gen = generation_;
    Guarded([&] {
      if (OnDataAvailable) OnDataAvailable(*this, 0);
    });
    // Bytes already inside the TLS layer wake no notifier: look again soon.
    if (gen == generation_ && ssl_ && SSL_has_pending(ssl_)) {
      QMetaObject::invokeMethod(
          this,
          [this, gen] {
            if (gen == generation_) ReadActivated();
          },
          Qt::QueuedConnection);
    }
    return;
  }
  const int err = SSL_get_error(ssl_, n);
  if (err == SSL_ERROR_WANT_READ || err == SSL_ERROR_WANT_WRITE) return;
  if (err == SSL_ERROR_ZERO_RETURN) {
    CloseSocket(false, 0);  // close_notify: an orderly end
    return;
  }
  tlsError_ = TlsErrorText(n);
  lastError_ = wsaTLSFAILED;
  CloseSocket(false, lastError_);
}

bool TWSocket::TlsSendStep() {
  while (sendPos_ < sendQueue_.size()) {
    ERR_clear_error();
    errno = 0;
    const std::size_t left = sendQueue_.size() - sendPos_;
    const int n = SSL_write(ssl_, sendQueue_.data() + sendPos_,
                            static_cast<int>(std::min<std::size_t>(left, 1 << 20)));
    if (n > 0) {
      sendPos_ += static_cast<std::size_t>(n);
      continue;
    }
    const int err = SSL_get_error(ssl_, n);
    if (err == SSL_ERROR_WANT_WRITE || err == SSL_ERROR_WANT_READ) {
      writeNotifier_->setEnabled(true);
      return false;
    }
    tlsError_ = TlsErrorText(n);
    lastError_ = wsaTLSFAILED;
    CloseSocket(false, lastError_);
    return false;
  }
  return true;
}

void TWSocket::PostClose(std::uint16_t error) {
  const std::uint64_t gen = generation_;
  QMetaObject::invokeMethod(
      this,
      [this, gen, error] {
        if (gen == generation_) CloseSocket(false, error);
      },
      Qt::QueuedConnection);
}

}  // namespace trawlonix
