// trawlonix-cli run: runs a project to its end, as the start command of the
// window does, with the log on standard output.
#include <string>

#include "cli/cli_util.h"
#include "cli/commands.h"
#include "engine/ConsoleHost.h"
#include "settings/Settings.h"

namespace trawlonix::cli {

namespace {

enum { kHelp, kContinue, kRestart, kUpdate, kThreads, kQuiet, kNoSave };

const std::vector<OptionSpec> kSpecs = {
    {"help", 'h', false, kHelp},      {"continue", 0, false, kContinue},
    {"restart", 0, false, kRestart},  {"update", 0, false, kUpdate},
    {"threads", 't', true, kThreads}, {"quiet", 'q', false, kQuiet},
    {"no-save", 0, false, kNoSave},
};

const char* const kUsage =
    "Usage: trawlonix-cli run PROJECT.txp [--continue | --restart | --update]\n"
    "                         [--threads N] [--quiet] [--no-save]\n"
    "\n"
    "Run a project: fetch its pages, store them under its local directory and\n"
    "collect what it finds. The log goes to standard output; on a terminal a\n"
    "progress line is shown on standard error. The project file is saved at\n"
    "the end of every run, finished or interrupted. Ctrl-C (SIGINT) or SIGTERM\n"
    "stops the run as the stop command does; it can be continued later.\n"
    "\n"
    "      --continue    continue an interrupted run (default while pages are pending)\n"
    "      --restart     start anew (default for a project never run)\n"
    "      --update      fetch every page again if it changed (default for a\n"
    "                    complete project)\n"
    "  -t, --threads N   fetches at once (1..64; default: the setting MaxThreads)\n"
    "  -q, --quiet       no log lines, no progress line\n"
    "      --no-save     do not save the project file at the end\n"
    "  -h, --help        show this help\n"
    "\n"
    "Exit status: 0 finished, 130 interrupted, 1 failure, 2 usage error.\n";

}  // namespace

// Parses the options of a run shared by `run` and `mirror`; returns false on
// a usage error (already reported). `rest` receives what it did not take.
bool ParseRunOptions(const std::string& command, const Args& args, TConsoleRunArgs& run,
                     std::vector<std::string>* rest, bool* help) {
  std::vector<std::string> mine;
  std::vector<std::string> others;
  if (rest) {
    // Only the run's own options are taken here; everything else belongs to
    // the project options of `mirror`.
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::string& a = args[i];
      const bool withValue = a == "--threads" || a == "-t";
      if (withValue || a.rfind("--threads=", 0) == 0 || a == "--quiet" || a == "-q" ||
          a == "--no-save" || a == "--help" || a == "-h") {
        mine.push_back(a);
        if (withValue && i + 1 < args.size()) mine.push_back(args[++i]);
      } else {
        others.push_back(a);
      }
    }
    *rest = others;
  } else {
    mine = args;
  }
  const ParsedArgs p = ParseOptions(mine, kSpecs);
  if (!p.error.empty()) {
    UsageError(command, p.error);
    return false;
  }
  int modes = 0;
  for (const ParsedOption& o : p.options) {
    switch (o.id) {
      case kHelp:
        *help = true;
        return true;
      case kContinue:
        run.Choice = CrawlHost::StartChoice::Continue;
        ++modes;
        break;
      case kRestart:
        run.Choice = CrawlHost::StartChoice::Restart;
        ++modes;
        break;
      case kUpdate:
        run.Choice = CrawlHost::StartChoice::Update;
        ++modes;
        break;
      case kThreads: {
        const auto n = ParseNumber(o.value, 1, 64);
        if (!n) {
          UsageError(command, "invalid value '" + o.value + "' for " + o.spelled);
          return false;
        }
        run.Threads = static_cast<int>(*n);
        break;
      }
      case kQuiet:
        run.Quiet = true;
        break;
      case kNoSave:
        run.NoSave = true;
        break;
      default:
        break;
    }
  }
  if (modes > 1) {
    UsageError(command, "--continue, --restart and --update exclude each other");
    return false;
  }
  if (!rest) {
    if (p.positionals.empty()) {
      UsageError(command, "missing project file");
      return false;
    }
    if (p.positionals.size() > 1) {
      UsageError(command, "too many arguments");
      return false;
    }
    run.ProjectFile = p.positionals.front();
  }
  return true;
}

int RunRun(const Args& args) {
  TConsoleRunArgs run;
  bool help = false;
  if (!ParseRunOptions("run", args, run, nullptr, &help)) return kExitUsage;
  if (help) {
    Out(kUsage);
    return kExitOk;
  }
  TOptions options;
  options.LoadSettings();
  return RunProjectFromConsole(run, options);
}

}  // namespace trawlonix::cli
