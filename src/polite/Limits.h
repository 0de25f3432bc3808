// Size limits of a run (largest file, total quota) and the readers of the
// amounts users type for them: "500k", "1.5M", "2g" bytes; "1.5", "2m",
// "1h" seconds. Pure functions for the command line, the dialogs and the
// engine alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace trawlonix {

// Bytes: a decimal number with an optional fraction and an optional unit
// k, m, g or t (1024-based, either case, optionally followed by "b").
// nullopt for anything else, for negative amounts and for overflow.
std::optional<std::int64_t> ParseByteAmount(std::string_view text);

// Seconds: a decimal number with an optional unit s, m, h or d.
std::optional<double> ParseSecondsAmount(std::string_view text);

struct TSizeLimits {
  std::int64_t MaxFileBytes = 0;   // 0 = no limit
  std::int64_t MaxTotalBytes = 0;  // 0 = no quota
  bool operator==(const TSizeLimits&) const = default;
};

enum class TSizeVerdict { Fits, FileTooBig, QuotaReached };

// Before a file is requested: QuotaReached once the run has taken its quota
// (the file being received when the quota is passed is finished, as users
// of other mirroring tools expect), else Fits.
TSizeVerdict JudgeBeforeFetch(const TSizeLimits& limits, std::int64_t runBytes);

// While a file arrives: FileTooBig as soon as its announced length
// (Content-Length, when the answer had one) or the bytes received so far
// pass the largest file size, so the fetch can be aborted early.
TSizeVerdict JudgeWhileFetching(const TSizeLimits& limits, std::optional<std::int64_t> announced,
                                std::int64_t receivedSoFar);

}  // namespace trawlonix
