// What every fetch slot of a crawl or a link check sets on its request.
#pragma once

#include <string>

#include "settings/Settings.h"

namespace trawlonix {

class THTTPObject;

inline constexpr int kMaxSlots = TOptions::kMaxThreads;
inline constexpr const char* kUserAgent = TOptions::kDefaultUserAgent;

// The agent the options name; the program's own when they name none.
std::string UserAgentOf(const TOptions& options);

// The slots a run or check uses: MaxThreads, at least 1, at most kMaxSlots.
int SlotCountFor(const TOptions& options);
// "[n] ", the start of a slot's log lines.
std::string SlotPrefix(int slot);

// `url`, the program's agent, the time-out (`timeoutMs` > 0: tests' short
// limit; otherwise the options' seconds).
void BeginRequest(THTTPObject* f, const std::string& url, const TOptions& options, int timeoutMs);
// The options' proxy, or none with every proxy field cleared.
void ApplyProxy(THTTPObject* f, const TOptions& options);

}  // namespace trawlonix
