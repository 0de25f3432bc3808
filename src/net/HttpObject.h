// THTTPObject: one fetch slot of the crawl worker. Owns one THttpCli, the
// buffer that receives the document and an inactivity timer, and turns the
// client's events into one outcome per URL: stalls are aborted, incomplete
// bodies are resumed with byte ranges, a relocation becomes a small HTML page
// that links to the new location, and the owner hears OnTransferResults.
//
// Create and use it in one thread (the crawl worker); its client, socket and
// timer deliver their events through that thread's event loop. Do not delete
// it from inside one of its events (use deleteLater()).
//
// Contract with the owner:
//  - Every InitiateProcess that is not followed by AbortProcess ends in exactly
//    one OnTransferResults(slot, success), also when it returned 1 or 2.
//    After result 2 the report is posted (never fired inside the call) with
//    Success false and StatusCode 404.
//  - AbortProcess: no report follows; the slot is idle and reusable at once.
//  - The owner judges the outcome by StatusCode (< 400 is a good answer) and
//    the success flag; 404 with a Chinese text stands for any failure before
//    an answer, 499 for an inactivity time-out.
//  - OnTransferResults may call InitiateProcess on the same object.
#pragma once

#include <QDateTime>
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "net/HttpProt.h"

class QTimer;

namespace trawlonix {

enum THTObjectMethod { htom_Get = 0, htom_Head = 1 };

// Where a body goes when the owner does not want it held in memory (a file
// written as the bytes arrive). Implemented by the owner.
class TBodySink {
 public:
  virtual ~TBodySink() = default;
  // Appends body bytes; false refuses them and fails the fetch with FailText().
  virtual bool Append(std::string_view data) = 0;
  // Keeps the first `size` bytes only (a resume that overlaps or starts over).
  virtual bool Truncate(std::int64_t size) = 0;
  virtual std::string FailText() const = 0;
};

class THTTPObject : public QObject {
 public:
  using TTransferResultsEvent = std::function<void(int tid, bool success)>;
  using TTXReceiveDataEvent = std::function<void(int tid, std::int64_t size)>;
  using TBodyEvent = std::function<void(int tid)>;
  // Returns a refusal text for a body of `size` bytes so far; empty: go on.
  using TBodyCheckEvent = std::function<std::string(int tid, std::int64_t size)>;

  // Resumes of one fetch are bounded (a counter that reaches this many stops).
  static constexpr int kDefaultMaxResumes = 255;
  // Consecutive requests that bring no new body byte before the fetch gives up.
  static constexpr int kDefaultMaxStalledResumes = 3;
  // Time-outs one fetch may resume from before it is reported.
  static constexpr int kDefaultMaxTimeoutResumes = 8;
  // Largest document held in memory; a longer body goes to the owner's sink
  // (OnBodyLimit) or fails the fetch.
  static constexpr std::int64_t kDefaultMaxBodySize = 256ll * 1024 * 1024;

  explicit THTTPObject(QObject* parent = nullptr);
  ~THTTPObject() override;
  THTTPObject(const THTTPObject&) = delete;
  THTTPObject& operator=(const THTTPObject&) = delete;

  // 0 started; 1 emptying the receive buffer failed (started anyway);
  // 2 starting raised an error (a failure report is posted).
  int InitiateProcess();
  // Abandons the fetch; no OnTransferResults follows.
  void AbortProcess();
  // The client is Ready.
  bool IsReady() const;
  // A fetch is under way (between InitiateProcess and its report or abort).
  bool IsActive() const { return active_ || reportPosted_; }

  // Settings (set before InitiateProcess).
  int ThreadID() const { return threadId_; }
  void SetThreadID(int id) { threadId_ = id; }
  const std::string& URL() const { return url_; }
  void SetURL(const std::string& u) { url_ = u; }
  const std::string& Username() const { return username_; }
  void SetUsername(const std::string& u) { username_ = u; }
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& p) { password_ = p; }
  const std::string& Refering() const { return refering_; }
  void SetRefering(const std::string& r) { refering_ = r; }
  const std::string& UserAgent() const { return userAgent_; }
  void SetUserAgent(const std::string& a) { userAgent_ = a; }
  bool UseProxy() const { return useProxy_; }
  void SetUseProxy(bool u) { useProxy_ = u; }
  const std::string& ProxyServer() const { return proxyServer_; }
  void SetProxyServer(const std::string& s) { proxyServer_ = s; }
  int ProxyPort() const { return proxyPort_; }
  void SetProxyPort(int p) { proxyPort_ = p; }
  const std::string& ProxyUsername() const { return proxyUsername_; }
  void SetProxyUsername(const std::string& u) { proxyUsername_ = u; }
  const std::string& ProxyPassword() const { return proxyPassword_; }
  void SetProxyPassword(const std::string& p) { proxyPassword_ = p; }
  // Null/invalid: unconditional request.
  const QDateTime& ModifiedSince() const { return modifiedSince_; }
  void SetModifiedSince(const QDateTime& d) { modifiedSince_ = d; }
  int ListID() const { return listId_; }
  void SetListID(int id) { listId_ = id; }
  // Inactivity limit in seconds (also sets the timer interval).
  int TimeoutTime() const { return timeoutTime_; }
  void SetTimeoutTime(int seconds);
  // Same limit in milliseconds, for tests that need short time-outs.
  void SetTimeoutMs(int ms);
  THTObjectMethod Method() const { return method_; }
  void SetMethod(THTObjectMethod m) { method_ = m; }
  // The HTTP/1.0 request form (no kept connection, no compression).
  void SetHttp10(bool on) { client_->Http10 = on; }
  // Certificate checks for https addresses.
  void SetTls(const TTlsSettings& tls) { client_->Tls = tls; }

  // Bounds (defaults above).
  void SetMaxResumes(int n) { maxResumes_ = n; }
  void SetMaxStalledResumes(int n) { maxStalledResumes_ = n; }
  void SetMaxTimeoutResumes(int n) { maxTimeoutResumes_ = n; }
  void SetMaxBodySize(std::int64_t n) { maxBodySize_ = n; }
  // A body whose bytes arrive slower than `bytesPerSecond` on average over a
  // window of `windowMs` is ended like an inactivity time-out (0: no floor).
  void SetRateFloor(std::int64_t bytesPerSecond, int windowMs);

  // From now on the body goes to `sink` (the bytes held so far first). Only
  // while a fetch is active, typically from OnBodyBegin, OnBodyLimit or
  // OnReceiveData; false when the sink refused (the fetch then fails once
  // the event returns).
  bool SpillBody(TBodySink* sink);
  // The body of the last fetch went to a sink (Data() holds nothing of it).
  bool Spilled() const { return sink_ != nullptr; }

  // Results (read after OnTransferResults).
  std::uint16_t StatusCode() const { return statusCode_; }
  const std::string& ReasonPhrase() const { return reasonPhrase_; }
  const std::string& ContentType() const { return client_->ContentType(); }
  std::int64_t ContentLength() const { return client_->ContentLength(); }
  // The received document (or the relocation page); the owner may move it out.
  std::string& Data() { return stream_; }
  const std::string& Data() const { return stream_; }
  // Body bytes of the document so far, in memory or in the sink.
  std::int64_t DataSize() const {
    return sink_ ? sinkSize_ : static_cast<std::int64_t>(stream_.size());
  }
  // Requests made for the last fetch (1 + resumes).
  int RequestCount() const { return requestCount_; }

  THttpCli& Client() { return *client_; }

  TTransferResultsEvent OnTransferResults;
  TTXReceiveDataEvent OnReceiveData;
  // The first body bytes of a fetch arrived (before they are kept); the
  // answer's header is known.
  TBodyEvent OnBodyBegin;
  // The body held in memory passed the limit (SetMaxBodySize): the owner may
  // spill it; otherwise the fetch fails.
  TBodyEvent OnBodyLimit;
  // Asked after every piece of body; a refusal fails the fetch with its text.
  TBodyCheckEvent OnBodyCheck;

 private:
  void StartClient();
  void DocBegin();
  void DocData(const char* data, std::size_t len);
  void LocationChange();
  void HTTPStateChange();
  void HTTPTimeout();
  void RequestFinished();
  void Report();
  void PostFailure(const std::string& text);
  void FailBody(const std::string& text = {});
  bool KeepFirst(std::int64_t size);
  bool SpillFailed();
  void RestartTimer();
  void StartRateWindow();
  void RateCheck();

  THttpCli* client_;
  QTimer* timer_;
  QTimer* rateTimer_;
  std::string stream_;
  TBodySink* sink_ = nullptr;
  std::int64_t sinkSize_ = 0;
  bool bodyBegun_ = false;
  bool spillFailed_ = false;
  std::string failText_;  // own words for a refused body
  std::int64_t rateFloor_ = 0;
  int rateWindowMs_ = 60000;
  std::int64_t windowStartBytes_ = 0;
  bool slow_ = false;  // the time-out came from the rate floor

  int threadId_ = 0;
  std::string url_;
  std::string username_;
  std::string password_;
  std::string refering_;
  std::string userAgent_;
  bool useProxy_ = false;
  std::string proxyServer_;
  int proxyPort_ = 0;
  std::string proxyUsername_;
  std::string proxyPassword_;
  QDateTime modifiedSince_;
  int listId_ = -1;
  int timeoutTime_ = 0;
  THTObjectMethod method_ = htom_Get;

  int maxResumes_ = kDefaultMaxResumes;
  int maxStalledResumes_ = kDefaultMaxStalledResumes;
  int maxTimeoutResumes_ = kDefaultMaxTimeoutResumes;
  std::int64_t maxBodySize_ = kDefaultMaxBodySize;

  std::uint16_t statusCode_ = 0;
  std::string reasonPhrase_;

  bool active_ = false;
  bool aborted_ = false;
  bool timedOut_ = false;
  bool relocated_ = false;
  bool success_ = false;
  bool bodyFailed_ = false;  // the body was refused (too large, wrong range)
  bool reportPosted_ = false;
  int resumeCount_ = 0;
  int stalledResumes_ = 0;
  int timeoutResumes_ = 0;
  int requestCount_ = 0;
  std::int64_t expectedTotal_ = -1;  // whole document length, when known
  std::int64_t sizeAtRequestStart_ = 0;
  std::int64_t rangeStart_ = -1;  // first byte asked for by a resume
  std::uint64_t fetchGeneration_ = 0;
  std::uint64_t evaluations_ = 0;  // RequestFinished runs, to spot one inside a call
};

}  // namespace trawlonix
