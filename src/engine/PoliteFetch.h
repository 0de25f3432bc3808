// The crawl worker's manners: robots.txt per server, pacing, the cookie jar
// and the size limits of a run. The setup comes from the host; the state
// lives in the worker and is used on its thread only (PoliteFetch.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "polite/CookieJar.h"
#include "polite/Pacer.h"
#include "polite/ProjectChoices.h"
#include "polite/RobotsTxt.h"
#include "settings/Settings.h"
#include "url/urlparser.h"

class QTimer;

namespace trawlonix {

// The product token this program's robots.txt groups are named by.
inline constexpr const char* kRobotsAgentToken = "Trawlonix";
// A longer Crawl-delay is cut to this (a site must not stall a run for hours).
inline constexpr double kMaxCrawlDelaySeconds = 10;
// A robots.txt request gives up after this long, whatever the server does.
inline constexpr int kRobotsDeadlineMs = 15000;

struct TPoliteSetup {
  TProjectChoices Choices;
  // The run's cookies (the host may have loaded some and saves them after
  // the run); null: no cookies are kept or sent.
  std::shared_ptr<TCookieJar> Cookies;
};

struct TPoliteState {
  TRobotsCache Robots;
  std::unique_ptr<TPacer> Pacer;
  // Entries taken from the spider list whose server may not be asked yet
  // (robots.txt pending, a gap, the per-server cap), by server. They are
  // marked in progress meanwhile, so a stop leaves them pending.
  std::map<std::string, std::deque<std::int32_t>> Parked;
  std::array<std::string, TOptions::kMaxThreads> SlotServer;
  std::array<TURL, TOptions::kMaxThreads> SlotURL;
  std::array<bool, TOptions::kMaxThreads> SlotRobots{};
  std::array<std::uint64_t, TOptions::kMaxThreads> SlotGeneration{};
  std::int64_t RunBytes = 0;
  bool QuotaReached = false;
  QTimer* PaceTimer = nullptr;  // worker thread; deleted with the run
  std::int64_t ClockOrigin = 0;
};

// "/dir/name?query" of a URL, as robots.txt rules are matched against.
std::string RobotsPathOf(const TURL& url);
// The pacing and robots.txt key of a URL's server.
std::string ServerOf(const TURL& url);

}  // namespace trawlonix
