// Pacing of one run: a gap between the requests to one server (with optional
// random jitter), a cap on the requests one server has in flight, and a cap
// on the bandwidth of the whole run. A pure class on the caller's clock
// (milliseconds of a monotonic clock), so the engine asks it and arms its
// timers, and tests drive it with made-up times.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace trawlonix {

using TPaceMillis = std::int64_t;

// The key of one server for pacing and robots.txt: "scheme://host:port" in
// lower case with the default port filled in, so "HTTP://Host" and
// "http://host:80" are one server.
std::string ServerKey(std::string_view scheme, std::string_view host, std::string_view port);

struct TPaceOptions {
  std::int64_t DelayMs = 0;         // gap between request starts on one server
  double Jitter = 0;                // 0..1: each gap is drawn from delay x [1 - j, 1 + j]
  std::int64_t BytesPerSecond = 0;  // whole run; 0 = no cap
  int MaxPerServer = 0;             // requests in flight per server; 0 = no cap
  std::uint64_t Seed = 0;           // for the jitter; the same seed gives the same gaps
};

class TPacer {
 public:
  explicit TPacer(const TPaceOptions& options);

  // A delay the server asked for (robots.txt Crawl-delay, already capped by
  // the caller): the larger of it and the run's delay applies to it.
  void SetServerDelay(const std::string& server, std::int64_t delayMs);

  // The earliest time, not before `now`, at which a new request to `server`
  // may start, by its gap and the bandwidth cap; nullopt while the server has
  // its full number of requests in flight (ask again after Finished).
  std::optional<TPaceMillis> NextAllowed(const std::string& server, TPaceMillis now) const;
  bool MayStart(const std::string& server, TPaceMillis now) const;

  // A request to `server` starts at `now` / has ended (in any way).
  void Started(const std::string& server, TPaceMillis now);
  void Finished(const std::string& server);

  // Bytes received at `now`, from any server, counted against the bandwidth cap.
  void Record(const std::string& server, TPaceMillis now, std::int64_t bytes);
  // When reading may go on under the bandwidth cap (at or before `now`: at once).
  TPaceMillis BandwidthFreeAt(TPaceMillis now) const;

  int InFlight(const std::string& server) const;
  std::int64_t BytesOf(const std::string& server) const;

 private:
  struct TServer {
    int InFlight = 0;
    TPaceMillis NextStart = 0;
    bool Started = false;
    std::int64_t OwnDelayMs = 0;
    std::int64_t Bytes = 0;
  };

  std::int64_t DrawGap(std::int64_t delayMs);

  TPaceOptions options_;
  std::map<std::string, TServer> servers_;
  std::mt19937_64 random_;
  double bandwidthFreeAt_ = 0;  // when the bytes so far would have arrived at the capped rate
  bool anyBytes_ = false;
};

}  // namespace trawlonix
