// THttpCli: an asynchronous HTTP client for http and https URLs. One request
// at a time (GET or HEAD). By default it speaks HTTP/1.1: the connection stays
// open after a complete answer and carries the next request to the same
// scheme, host and port (closed after a few idle seconds), bodies may come in
// chunks and gzip/deflate compressed. The HTTP/1.0 form (one connection per
// request, the body running to the close) stays available. It never blocks;
// every step runs from a socket event or a notification it posts to itself in
// the event loop of the thread that created it.
#pragma once

#include <QDateTime>
#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "net/WSocket.h"
#include "net/reader/HttpResponseReader.h"

class QTimer;

namespace trawlonix {

enum THttpState {
  httpReady = 0,
  httpNotConnected = 1,
  httpConnected = 2,
  httpDnsLookup = 3,
  httpConnecting = 4,
  httpWaitingHeader = 5,
  httpWaitingBody = 6,
  httpAborting = 7,
};

enum THttpRequest { httpGET = 1, httpHEAD = 3 };

class EHttpException : public std::runtime_error {
 public:
  EHttpException(const std::string& message, int code) : std::runtime_error(message), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// The parts of a URL as the client splits it (all empty for an empty text).
struct THttpURLParts {
  std::string Scheme;
  std::string User;
  std::string Password;
  std::string Host;
  std::string Port;
  std::string Path;  // from the first "/" of the rest, query included
};
THttpURLParts ParseHttpURL(std::string_view url);

// "Mon, 07 Dec 2026 09:30:00 GMT" for an If-Modified-Since line. The date is
// converted to UTC first (a date in local time is sent as the matching GMT time).
std::string HttpDate(const QDateTime& when);
// RFC 2045 Base64 with "=" padding.
std::string Base64Encode(std::string_view data);

class THttpCli : public QObject {
 public:
  using TNotifyEvent = std::function<void(THttpCli& sender)>;
  // May change the line; a line that becomes empty is not sent (its CR LF is).
  using TOnCommand = std::function<void(THttpCli& sender, std::string& line)>;
  using TCookieRcvdEvent =
      std::function<void(THttpCli& sender, const std::string& value, bool& accept)>;
  using TDocDataEvent = std::function<void(THttpCli& sender, const char* data, std::size_t len)>;
  using THttpRequestDone =
      std::function<void(THttpCli& sender, THttpRequest request, std::uint16_t error)>;

  explicit THttpCli(QObject* parent = nullptr);
  ~THttpCli() override;
  THttpCli(const THttpCli&) = delete;
  THttpCli& operator=(const THttpCli&) = delete;

  // Start a request. Raise EHttpException(1, "HTTP 组件正忙着") when not Ready;
  // other errors of the start (for example an empty host) propagate as
  // ESocketException after the client went back to Ready.
  void Get();
  void Head();
  // Ends the current request at once: StatusCode 404, "连接被请求中断",
  // RequestError 3; State is Ready (OnStateChange fired) before it returns.
  void Abort();

  // Settings, read when a request starts.
  std::string URL;
  std::string Proxy;  // host[:port]; empty: direct
  std::string ProxyPort = "80";
  std::string Agent = "Mozilla/3.0 (compatible)";
  std::string Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
  std::string Reference;
  // The Cookie line's value (empty: none); the owner picks the cookies that
  // belong to the request's host and path.
  std::string Cookie;
  std::string Username;
  std::string Password;
  std::string ProxyUsername;
  std::string ProxyPassword;
  QDateTime ModifiedSince;  // invalid (null): unconditional
  std::string ContentRangeBegin;
  std::string ContentRangeEnd;
  bool MultiThreaded = false;
  std::string* ReceivedStream = nullptr;  // owned by the user; body bytes appended
  // The HTTP/1.0 form: no keep-alive, no compression, no chunks.
  bool Http10 = false;
  // Certificate checks for https.
  TTlsSettings Tls;
  // An unused kept connection is closed after this long.
  int KeepAliveIdleMs = 5000;

  // Results of the current or last request.
  THttpState State() const { return state_; }
  int StatusCode() const { return statusCode_; }
  // The status line of the answer itself (0 without one), even after Abort.
  int ResponseStatusCode() const { return reader_.StatusCode(); }
  const std::string& ReasonPhrase() const { return reasonPhrase_; }
  std::int64_t ContentLength() const { return reader_.ContentLength(); }
  const std::string& ContentType() const { return contentType_; }
  const std::string& Location() const { return location_; }
  const std::vector<std::string>& ReceivedHeader() const { return reader_.Headers(); }
  // First byte of a 206 answer's Content-Range; -1 when none.
  std::int64_t ContentRangeStart() const { return reader_.RangeBegin(); }
  std::int64_t ReceivedCount() const { return receivedCount_; }
  // Bytes read from the connection for this request (header, framing and
  // compressed bytes included).
  std::int64_t BytesRead() const { return bytesRead_; }
  std::uint16_t RequestError() const { return requestError_; }
  // Whether the request now running (or the last one) carried a Range line.
  bool RangeRequested() const { return rangeRequested_; }
  // The request header as sent last (for logs and tests).
  const std::string& SentRequest() const { return sentRequest_; }

  TWSocket& Socket() { return *socket_; }
  // The current (or last) request went over a connection kept from before.
  bool Reused() const { return reused_; }
  // Connections opened by every client of the process (for measurements).
  static std::uint64_t ConnectionsOpened() { return connectionsOpened_.load(); }

  TNotifyEvent OnStateChange;
  TNotifyEvent OnSessionConnected;
  TNotifyEvent OnRequestHeaderBegin;
  TNotifyEvent OnRequestHeaderEnd;
  TOnCommand OnCommand;
  TNotifyEvent OnHeaderBegin;
  TNotifyEvent OnHeaderData;
  TCookieRcvdEvent OnCookie;
  TNotifyEvent OnHeaderEnd;
  TNotifyEvent OnDocBegin;
  TDocDataEvent OnDocData;
  TNotifyEvent OnDocEnd;
  TNotifyEvent OnLocationChange;
  THttpRequestDone OnRequestDone;

 private:
  void StartRequest(THttpRequest kind);
  void SetState(THttpState s);
  void DnsLookupDone(std::uint16_t error);
  void SocketConnected(std::uint16_t error);
  void DataAvailable();
  void SessionClosed(std::uint16_t error);
  void SendRequest();
  bool PlanRequest(std::string& key);
  void Connect();
  void ReuseConnection(std::uint64_t gen);
  void SendTunnelRequest();
  void ReadTunnelAnswer();
  void ProcessBuffer();
  void HandleItem(const HttpReaderItem& item);
  void AnswerComplete();
  void FinishAnswer();
  bool RetryFresh();
  void CheckBodyEnd(std::uint16_t error);
  void DeliverBody(const char* data, std::size_t len);
  void ComputeLocation(const std::string& value);
  void EndRequest();
  void PostEnd();
  bool Stale(std::uint64_t gen) const { return gen != generation_; }

  TWSocket* socket_;
  QTimer* idleTimer_;
  HttpResponseReader reader_;
  THttpState state_ = httpReady;
  THttpRequest request_ = httpGET;
  int statusCode_ = 0;
  std::string reasonPhrase_;
  std::string contentType_;
  std::string location_;
  std::int64_t receivedCount_ = 0;
  std::int64_t bytesRead_ = 0;
  std::uint16_t requestError_ = 0;
  bool rangeRequested_ = false;
  bool locationSeen_ = false;
  bool docBegun_ = false;
  bool closeAfterBuffer_ = false;
  bool endPosted_ = false;
  // Parts of the request being made.
  std::string hostName_;    // to connect to
  std::string port_;        // to connect to
  std::string target_;      // request target
  std::string targetHost_;  // for the Host line
  std::string urlScheme_;
  std::string urlHost_;
  std::string urlPort_;
  std::string urlPath_;
  std::string requestUser_;
  std::string requestPassword_;
  bool viaProxy_ = false;
  bool secure_ = false;
  std::string sentRequest_;
  // Keep-alive: what the open connection leads to, and how this request uses it.
  std::string connKey_;
  bool reused_ = false;
  bool retried_ = false;
  bool tunnelPending_ = false;
  std::string tunnelAnswer_;
  inline static std::atomic<std::uint64_t> connectionsOpened_{0};
  // Bumped by every Get/Head/Abort: work posted for an older request sees a
  // different value and does nothing.
  std::uint64_t generation_ = 0;
};

}  // namespace trawlonix
