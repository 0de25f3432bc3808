// An asynchronous TCP socket whose every outcome arrives as an event: a
// non-blocking POSIX socket watched by QSocketNotifier in the event loop of the
// thread that created it. Host-name lookups go through a replaceable resolver
// (the system one uses QHostInfo), so tests never ask the real resolver about
// invented names. Errors carry the program's numbered socket error codes
// (10061 refused, 10060 timed out, ...) so that the same texts appear everywhere.
#pragma once

#include <QObject>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "net/TlsContext.h"

class QSocketNotifier;

namespace trawlonix {

enum TSocketState {
  wsInvalidState = 0,
  wsOpened = 1,
  wsBound = 2,
  wsConnecting = 3,
  wsConnected = 4,
  wsAccepting = 5,
  wsListening = 6,
  wsClosed = 7,
};

// Error codes used by the socket layer and its users.
enum : std::uint16_t {
  wsaEINTR = 10004,
  wsaEINVAL = 10022,
  wsaEWOULDBLOCK = 10035,
  wsaECONNABORTED = 10053,
  wsaECONNRESET = 10054,
  wsaENOTCONN = 10057,
  wsaETIMEDOUT = 10060,
  wsaECONNREFUSED = 10061,
  wsaHOST_NOT_FOUND = 11001,
  wsaTRY_AGAIN = 11002,
  wsaNO_RECOVERY = 11003,
  wsaNO_DATA = 11004,
  // TLS could not be set up or failed on the connection; TlsError() says why.
  wsaTLSFAILED = 12001,
};

// The text for a socket error code; "不是 WinSock 错误" for unknown codes.
std::string WSocketErrorDesc(int code);

// Maps an errno value to the socket error code carrying the same meaning
// (0 stays 0; a value without counterpart gives a code outside the table).
std::uint16_t ErrnoToWSocketError(int err);

// Raised towards the caller of a failing socket operation.
class ESocketException : public std::runtime_error {
 public:
  ESocketException(const std::string& message, std::uint16_t code)
      : std::runtime_error(message), code_(code) {}
  std::uint16_t Code() const { return code_; }

 private:
  std::uint16_t code_;
};

// Resolves host names for sockets. Start() must never call `done` before it
// returns; `done` runs later in the event loop of `context`'s thread, with 0
// and a dotted (or IPv6) address, or a lookup error (11001, ...) and "".
class THostResolver {
 public:
  using Done = std::function<void(std::uint16_t error, const std::string& address)>;
  virtual ~THostResolver() = default;
  // Returns an id > 0, or 0 when the lookup could not be started; `error`
  // then holds the reason.
  virtual int Start(const std::string& host, QObject* context, Done done, std::uint16_t& error) = 0;
  // After Cancel the `done` of that lookup is never called.
  virtual void Cancel(int id) = 0;
};

// The system resolver (QHostInfo).
std::shared_ptr<THostResolver> SystemResolver();
// Resolver given to every socket created afterwards (in any thread); nullptr
// restores the system resolver. Tests install a fake here before starting.
void SetDefaultResolver(std::shared_ptr<THostResolver> resolver);
std::shared_ptr<THostResolver> DefaultResolver();

class TWSocket : public QObject {
 public:
  using TDnsLookupDone = std::function<void(TWSocket& sender, std::uint16_t error)>;
  using TSessionConnected = std::function<void(TWSocket& sender, std::uint16_t error)>;
  using TDataAvailable = std::function<void(TWSocket& sender, std::uint16_t error)>;
  using TDataSent = std::function<void(TWSocket& sender, std::uint16_t error)>;
  using TSessionClosed = std::function<void(TWSocket& sender, std::uint16_t error)>;
  // Called when an event handler throws; return true to keep the socket open.
  // Without a handler (or when it returns false) the socket is aborted.
  using TBgException = std::function<bool(TWSocket& sender, const std::exception& e)>;

  explicit TWSocket(QObject* parent = nullptr);
  ~TWSocket() override;
  TWSocket(const TWSocket&) = delete;
  TWSocket& operator=(const TWSocket&) = delete;

  // Empty name: raises ESocketException 10022 "DNS 搜寻: 无效的主机名。".
  // A dotted address completes at once (OnDnsLookupDone(0) before returning).
  // Otherwise the resolver runs and OnDnsLookupDone fires later. A lookup that
  // cannot start raises "%s: 不能启动 DNS 搜寻，错误 #%d".
  void LookupHost(const std::string& host);
  // Cancels a lookup in progress; OnDnsLookupDone then fires with 10004.
  void CancelLookup();
  bool LookupPending() const { return lookupId_ != 0; }

  // Connects to Addr():Port() (numeric address; "tcp" only). Raises on an
  // immediate failure; otherwise OnSessionConnected fires with 0 or the error.
  // With TLS chosen (SetTls), the handshake runs first, driven by the same
  // notifiers, and OnSessionConnected reports its outcome (12001 on failure).
  void Connect();
  // The next Connect speaks TLS to `host` (the name the certificate must
  // carry: a host name, sent as SNI, or an IP address literal).
  void SetTls(const TTlsSettings& settings, const std::string& host);
  // The next Connect is plain TCP.
  void ClearTls() { tlsWanted_ = false; }
  // Starts TLS on a connected socket (after a proxy opened a tunnel): the
  // handshake runs and OnSessionConnected fires again with its outcome.
  void StartTls(const TTlsSettings& settings, const std::string& host);
  // The connection speaks TLS (handshake done or running).
  bool Secure() const { return ssl_ != nullptr; }
  // Why TLS failed (OpenSSL's reason); empty when it did not.
  const std::string& TlsError() const { return tlsError_; }
  // Queues and sends; returns the byte count accepted into the queue.
  // Raises 10057 ("Send") unless connected.
  int Send(const void* data, std::size_t length);
  // Reads what is available, up to `size`: > 0 bytes, 0 nothing available
  // (or the peer closed), < 0 failure with LastError() set.
  int Receive(void* buffer, std::size_t size);
  // Shuts down sending, closes, fires OnSessionClosed once. Idempotent.
  void Close();
  // Cancels a lookup and closes without shutdown; same OnSessionClosed.
  void Abort();

  TSocketState State() const { return state_; }
  std::uint16_t LastError() const { return lastError_; }
  const std::string& DnsResult() const { return dnsResult_; }
  const std::string& Addr() const { return addr_; }
  void SetAddr(const std::string& a) { addr_ = a; }
  const std::string& Port() const { return port_; }
  void SetPort(const std::string& p) { port_ = p; }
  const std::string& Proto() const { return proto_; }
  void SetProto(const std::string& p) { proto_ = p; }
  bool MultiThreaded() const { return multiThreaded_; }
  void SetMultiThreaded(bool m) { multiThreaded_ = m; }
  std::size_t BufferedOutput() const { return sendQueue_.size() - sendPos_; }

  // Replaces the resolver of this socket (defaults to DefaultResolver()).
  void SetResolver(std::shared_ptr<THostResolver> r) { resolver_ = std::move(r); }

  TDnsLookupDone OnDnsLookupDone;
  TSessionConnected OnSessionConnected;
  TDataAvailable OnDataAvailable;
  TDataSent OnDataSent;
  TSessionClosed OnSessionClosed;
  TBgException OnBgException;

 private:
  void ReadActivated();
  void WriteActivated();
  void FinishConnect();
  void BeginHandshake();
  void ContinueHandshake();
  void FailHandshake(const std::string& text);
  void TlsReadActivated();
  bool TlsSendStep();
  std::string TlsErrorText(int result);
  void PostClose(std::uint16_t error);
  void FreeTls();
  void TrySend();
  void CloseSocket(bool graceful, std::uint16_t error);
  void DestroyNotifiers();
  [[noreturn]] void RaiseError(std::uint16_t code, const char* function);
  // Runs an event handler; what it throws goes to OnBgException or aborts.
  template <typename F>
  void Guarded(F&& f) {
    try {
      f();
    } catch (const std::exception& e) {
      if (OnBgException && OnBgException(*this, e)) return;
      Abort();
    }
  }

  int fd_ = -1;
  TSocketState state_ = wsClosed;
  std::uint16_t lastError_ = 0;
  std::string dnsResult_;
  std::string addr_;
  std::string port_;
  std::string proto_ = "tcp";
  bool multiThreaded_ = false;
  std::string sendQueue_;
  std::size_t sendPos_ = 0;
  QSocketNotifier* readNotifier_ = nullptr;
  QSocketNotifier* writeNotifier_ = nullptr;
  std::shared_ptr<THostResolver> resolver_;
  int lookupId_ = 0;
  std::uint64_t lookupSeq_ = 0;   // bumped by every lookup start and cancel
  std::uint64_t generation_ = 0;  // bumped on every close, to drop stale work
  bool tlsWanted_ = false;
  TTlsSettings tlsSettings_;
  std::string tlsHost_;
  SSL* ssl_ = nullptr;
  bool handshaking_ = false;
  std::string tlsError_;
};

}  // namespace trawlonix
