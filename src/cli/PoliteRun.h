// The polite side of a console run: the project's choices (with the
// command line's changes, kept in the sidecar's extras), the cookie jar with
// its cookies.txt files, and the exit status of a run ended by a limit.
#pragma once

#include <string>

#include "engine/RunControl.h"

namespace trawlonix {

class TConsoleHost;
struct TConsoleRunArgs;

// A run that stopped asking for files at its quota (or another limit).
inline constexpr int kExitLimitReached = 5;

// Before the run. False (the message printed) when the cookie file cannot
// be read.
bool PreparePoliteRun(const TConsoleRunArgs& args, TConsoleHost& host, TRunControl& control);
// After the run: writes the cookie file. False (printed) when it failed.
bool FinishPoliteRun(const TConsoleRunArgs& args, const TRunControl& control);
// The exit status once the other causes were judged (`exitCode`), and the
// line that names a limit as the cause ("" for other codes).
int WithLimitExit(int exitCode, const TRunControl::Outcome& outcome);
std::string LimitCauseLine(int exitCode);

}  // namespace trawlonix
