#include "polite/Pacer.h"

#include <algorithm>
#include <cmath>

#include "polite/AsciiText.h"

namespace trawlonix {

std::string ServerKey(std::string_view scheme, std::string_view host, std::string_view port) {
  const std::string s = ascii::LowerCopy(scheme);
  std::string_view p = port;
  if (p.empty()) p = s == "https" ? "443" : s == "ftp" ? "21" : "80";
  return s + "://" + ascii::LowerCopy(host) + ":" + std::string(p);
}

TPacer::TPacer(const TPaceOptions& options) : options_(options), random_(options.Seed) {
  options_.DelayMs = std::max<std::int64_t>(options_.DelayMs, 0);
  options_.Jitter = std::isfinite(options_.Jitter) ? std::clamp(options_.Jitter, 0.0, 1.0) : 0.0;
  options_.BytesPerSecond = std::max<std::int64_t>(options_.BytesPerSecond, 0);
  options_.MaxPerServer = std::max(options_.MaxPerServer, 0);
}

void TPacer::SetServerDelay(const std::string& server, std::int64_t delayMs) {
  servers_[server].OwnDelayMs = std::max<std::int64_t>(delayMs, 0);
}

std::optional<TPaceMillis> TPacer::NextAllowed(const std::string& server, TPaceMillis now) const {
  TPaceMillis at = std::max(now, BandwidthFreeAt(now));
  const auto it = servers_.find(server);
  if (it == servers_.end()) return at;
  const TServer& s = it->second;
  if (options_.MaxPerServer > 0 && s.InFlight >= options_.MaxPerServer) return std::nullopt;
  if (s.Started) at = std::max(at, s.NextStart);
  return at;
}

bool TPacer::MayStart(const std::string& server, TPaceMillis now) const {
  const auto at = NextAllowed(server, now);
  return at && *at <= now;
}

std::int64_t TPacer::DrawGap(std::int64_t delayMs) {
  if (delayMs <= 0 || options_.Jitter <= 0) return delayMs;
  // 53 random bits to [0, 1): the same on every standard library, unlike
  // std::uniform_real_distribution, so a seed replays the same gaps.
  const double u = static_cast<double>(random_() >> 11) * 0x1.0p-53;
  const double factor = 1 - options_.Jitter + 2 * options_.Jitter * u;
  return static_cast<std::int64_t>(std::llround(static_cast<double>(delayMs) * factor));
}

void TPacer::Started(const std::string& server, TPaceMillis now) {
  TServer& s = servers_[server];
  ++s.InFlight;
  s.Started = true;
  s.NextStart = now + DrawGap(std::max(options_.DelayMs, s.OwnDelayMs));
}

void TPacer::Finished(const std::string& server) {
  const auto it = servers_.find(server);
  if (it != servers_.end() && it->second.InFlight > 0) --it->second.InFlight;
}

void TPacer::Record(const std::string& server, TPaceMillis now, std::int64_t bytes) {
  if (bytes <= 0) return;
  servers_[server].Bytes += bytes;
  if (options_.BytesPerSecond <= 0) return;
  // No credit is saved up while idle, so no window starting at an idle
  // moment ever averages more than the cap.
  const double start = std::max(bandwidthFreeAt_, static_cast<double>(now));
  bandwidthFreeAt_ =
      start + static_cast<double>(bytes) * 1000.0 / static_cast<double>(options_.BytesPerSecond);
  anyBytes_ = true;
}

TPaceMillis TPacer::BandwidthFreeAt(TPaceMillis now) const {
  if (!anyBytes_ || bandwidthFreeAt_ <= static_cast<double>(now)) return now;
  return static_cast<TPaceMillis>(std::ceil(bandwidthFreeAt_));
}

int TPacer::InFlight(const std::string& server) const {
  const auto it = servers_.find(server);
  return it == servers_.end() ? 0 : it->second.InFlight;
}

std::int64_t TPacer::BytesOf(const std::string& server) const {
  const auto it = servers_.find(server);
  return it == servers_.end() ? 0 : it->second.Bytes;
}

}  // namespace trawlonix
