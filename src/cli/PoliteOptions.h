// The polite-crawl options of trawlonix-cli: robots.txt, pacing, patterns
// and size limits (the project's choices, kept beside its file), and the
// run's identity and cookies.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "polite/ProjectChoices.h"

namespace trawlonix {
struct TrawlonixDefinition;
struct TOptions;
struct TConsoleRunArgs;
}  // namespace trawlonix

namespace trawlonix::cli {

struct TPoliteArgs {
  // Each given choice, in command-line order, applied to the project's.
  std::vector<std::function<void(TProjectChoices&)>> Changes;
  std::string UserAgent;  // empty: the setting's
  std::string LoadCookies;
  std::string SaveCookies;
  bool Any() const { return !Changes.empty(); }
  void Apply(TProjectChoices& choices) const {
    for (const auto& change : Changes)
      change(choices);
  }
};

// Takes the polite options out of `args` (with `runOptions` also
// --user-agent, --load-cookies and --save-cookies). Returns a usage error
// text, or "" when they were fine.
std::string TakePoliteOptions(std::vector<std::string>& args, TPoliteArgs& out, bool runOptions);

// Hands the parsed options to a run: the choices' changes, the cookie
// files, and the user agent in place of the setting's.
void ApplyPoliteArgs(const TPoliteArgs& polite, TOptions& options, TConsoleRunArgs& run);

// Prints a warning on standard error for every address list entry of `def`
// that its limit modes make useless.
void WarnAboutLists(const TrawlonixDefinition& def);

inline constexpr const char* kPoliteOptionsHelp =
    "Manners (kept with the project):\n"
    "      --ignore-robots       do not read or obey robots.txt (default: obey it;\n"
    "                            --obey-robots turns it back on)\n"
    "      --wait SECONDS        pause between two requests to one server\n"
    "      --random-wait         vary each pause between 0.5 and 1.5 times --wait\n"
    "      --limit-rate AMOUNT   bytes per second for the whole run (e.g. 200k, 1.5m);\n"
    "                            one request at a time\n"
    "      --max-per-server N    requests one server has at once (default: all slots)\n"
    "  -A, --accept LIST         fetch only files whose names match one of the\n"
    "                            comma-separated patterns ('*.pdf,*.zip'; a word\n"
    "                            without * or ? is a suffix); pages are still read\n"
    "  -R, --reject LIST         do not fetch files whose names match\n"
    "      --accept-url PATTERN  fetch only URLs matching the pattern (repeatable)\n"
    "      --reject-url PATTERN  do not fetch URLs matching the pattern (repeatable)\n"
    "      --max-file-size AMOUNT  drop a file larger than this (e.g. 10m)\n"
    "      --quota AMOUNT        request no new files after this much (exit 5)\n"
    "      --no-patterns         forget the stored patterns and size limits\n";

inline constexpr const char* kRunIdentityHelp =
    "Identity and cookies (this run):\n"
    "      --user-agent TEXT     the User-Agent of every request (default: the\n"
    "                            setting UserAgent)\n"
    "      --load-cookies FILE   start with the cookies of a cookies.txt file\n"
    "      --save-cookies FILE   write the cookies to a cookies.txt file at the end\n";

}  // namespace trawlonix::cli
