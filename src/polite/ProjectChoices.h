// The per-project choices of a polite crawl (robots.txt, pacing, patterns,
// size limits). They live in the sidecar's name/value extras, so the project
// file's fixed layout stays as it is; a project without them gets the
// defaults, which are what a new project gets.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "polite/Limits.h"
#include "polite/Patterns.h"

namespace trawlonix {

struct TProjectChoices {
  bool ObeyRobots = true;
  double WaitSeconds = 0;      // gap between requests to one server
  bool RandomWait = false;     // each gap drawn from 0.5..1.5 times the wait
  std::int64_t LimitRate = 0;  // bytes per second for the whole run; 0 = no cap
  int MaxPerServer = 0;        // requests in flight per server; 0 = the slot count
  TPatternRules Patterns;
  TSizeLimits Sizes;
  bool operator==(const TProjectChoices&) const = default;
};

using TExtras = std::map<std::string, std::string>;

// Writes every choice under its own key (replacing earlier values, leaving
// other keys alone). Pattern lists are stored one pattern per line.
void StoreChoices(const TProjectChoices& choices, TExtras& extras);
// Reads the choices back; a missing or unreadable value keeps its default.
TProjectChoices LoadChoices(const TExtras& extras);

}  // namespace trawlonix
