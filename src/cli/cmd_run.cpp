// trawlonix-cli run: runs a project to its end, as the start command of the
// window does, with the log on standard output; then optionally checks the
// collected links and exports the three result lists.
#include <array>
#include <cctype>
#include <optional>
#include <string>

#include "base/Text.h"
#include "base/Translate.h"
#include "cli/ConsoleHost.h"
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "engine/LinkCheck.h"
#include "engine/ResultLists.h"
#include "engine/export/ExportWriter.h"
#include "settings/Settings.h"

namespace trawlonix::cli {

namespace {

enum {
  kHelp,
  kContinue,
  kRestart,
  kUpdate,
  kThreads,
  kMaxEntries,
  kQuiet,
  kNoSave,
  // After the crawl (run only)
  kExportLinks,
  kExportEMails,
  kExportBroken,
  kFormat,
  kLayout,
  kFields,
  kSeparator,
  kNoQuotes,
  kHeading,
  kBackground,
  kHighlight,
  kSelectedOnly,
  kCheckLinks,
};

const std::vector<OptionSpec> kSpecs = {
    {"help", 'h', false, kHelp},
    {"continue", 0, false, kContinue},
    {"restart", 0, false, kRestart},
    {"update", 0, false, kUpdate},
    {"threads", 't', true, kThreads},
    {"max-entries", 0, true, kMaxEntries},
    {"quiet", 'q', false, kQuiet},
    {"no-save", 0, false, kNoSave},
    {"export-links", 0, true, kExportLinks},
    {"export-emails", 0, true, kExportEMails},
    {"export-broken", 0, true, kExportBroken},
    {"format", 0, true, kFormat},
    {"layout", 0, true, kLayout},
    {"fields", 0, true, kFields},
    {"separator", 0, true, kSeparator},
    {"no-quotes", 0, false, kNoQuotes},
    {"heading", 0, true, kHeading},
    {"background", 0, true, kBackground},
    {"highlight", 0, true, kHighlight},
    {"selected-only", 0, false, kSelectedOnly},
    {"check-links", 0, true, kCheckLinks},
};

// What happens after the crawl: the check of the collected links and the
// exports, with the choices of the export wizard.
struct TAfterRun {
  std::optional<int> CheckMode;
  std::array<std::string, 3> ExportFiles;  // by TExportKind; empty: none
  std::array<TExportOptions, 3> Export;
  bool Any() const {
    return CheckMode || !ExportFiles[0].empty() || !ExportFiles[1].empty() ||
           !ExportFiles[2].empty();
  }
};

const char* const kUsage =
    "Usage: trawlonix-cli run PROJECT.txp [--continue | --restart | --update]\n"
    "                         [--threads N] [--max-entries N] [--quiet] [--no-save]\n"
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
    "      --max-entries N  end the run when the project holds N URLs (100..2000000000;\n"
    "                    default: the setting MaxEntries, 1000000); exit status 5\n"
    "  -q, --quiet       no log lines, no progress line\n"
    "      --no-save     do not save the project file at the end\n"
    "  -h, --help        show this help\n"
    "      --ca-certificate FILE   trust the CA certificates in FILE (PEM) for https\n"
    "                              besides the system's\n"
    "      --no-check-certificate  do not check https certificates (logged once)\n"
    "\n"
    "After the crawl:\n"
    "      --check-links[=MODE]  check the collected links with HEAD requests before\n"
    "                    exporting; MODE 0 only fill in the test result (default),\n"
    "                    1 mark good links, 2 delete good links, 3 mark bad links,\n"
    "                    4 delete bad links (skipped when the run was interrupted)\n"
    "      --export-links FILE   write the collected links to FILE\n"
    "      --export-emails FILE  write the collected e-mail addresses to FILE\n"
    "      --export-broken FILE  write the broken links to FILE\n"
    "      --format text|html    export format (default html)\n"
    "      --layout N    HTML layout: 0..13 for links, 0..11 for e-mails and broken\n"
    "                    links (default 10)\n"
    "      --fields F    text fields: link, text, link-text (default), text-link\n"
    "      --separator S text separator: ';' (default), ',' or ' ' (also semicolon,\n"
    "                    comma, blank)\n"
    "      --no-quotes   text fields without double quotes\n"
    "      --heading TEXT  HTML heading (at most 200 characters)\n"
    "      --background #RRGGBB  HTML background colour (default #FFFFFF)\n"
    "      --highlight #RRGGBB   HTML highlight colour (default #C0C0C0)\n"
    "      --selected-only  export only the rows a check marked (MODE 1 or 3)\n"
    "The format options apply to every export of the run. An export of an empty\n"
    "list writes no file and is reported as a failure.\n"
    "\n"
    "Exit status:\n"
    "    0  the start page was fetched and every received file was stored\n"
    "    1  failure (the project could not be opened or saved, a failed export)\n"
    "    2  usage error\n"
    "    3  files could not be written (a later --continue fetches them again)\n"
    "    4  the start page could not be fetched\n"
    "    5  a limit ended the run (--max-entries); --continue with a larger one goes on\n"
    "  130  interrupted (SIGINT, SIGTERM or SIGHUP; the project is saved)\n";

std::size_t CharacterCount(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s)
    n += (c & 0xC0) != 0x80;
  return n;
}

// Takes one of the export or check options into `after`; false on a bad
// value (reported).
bool TakeAfterRunOption(const std::string& command, const ParsedOption& o, TAfterRun& after) {
  auto bad = [&] {
    UsageError(command, "invalid value '" + o.value + "' for " + o.spelled);
    return false;
  };
  auto all = [&](auto&& set) {
    for (TExportOptions& e : after.Export)
      set(e);
  };
  switch (o.id) {
    case kExportLinks:
    case kExportEMails:
    case kExportBroken:
      if (o.value.empty()) return bad();
      after.ExportFiles[static_cast<std::size_t>(o.id - kExportLinks)] = o.value;
      return true;
    case kFormat:
      if (o.value != "text" && o.value != "html") return bad();
      all([&](TExportOptions& e) {
        e.Format = o.value == "text" ? TExportFormat::kText : TExportFormat::kHTML;
      });
      return true;
    case kLayout: {
      const auto n = ParseNumber(o.value, 0, 13);
      if (!n) return bad();
      all([&](TExportOptions& e) { e.Layout = static_cast<int>(*n); });
      return true;
    }
    case kFields: {
      static const char* const kNames[4] = {"link", "text", "link-text", "text-link"};
      int f = -1;
      for (int i = 0; i < 4; ++i)
        if (o.value == kNames[i] || o.value == std::to_string(i)) f = i;
      if (f < 0) return bad();
      all([&](TExportOptions& e) { e.Fields = static_cast<TExportFields>(f); });
      return true;
    }
    case kSeparator: {
      TExportSeparator sep;
      if (o.value == ";" || o.value == "semicolon")
        sep = TExportSeparator::kSemicolon;
      else if (o.value == "," || o.value == "comma")
        sep = TExportSeparator::kComma;
      else if (o.value == " " || o.value == "blank" || o.value == "space")
        sep = TExportSeparator::kBlank;
      else
        return bad();
      all([&](TExportOptions& e) { e.Separator = sep; });
      return true;
    }
    case kNoQuotes:
      all([](TExportOptions& e) { e.Quotes = false; });
      return true;
    case kHeading:
      if (CharacterCount(o.value) > kExportHeadingMaxLength) {
        UsageError(command, "--heading takes at most 200 characters");
        return false;
      }
      all([&](TExportOptions& e) { e.Heading = o.value; });
      return true;
    case kBackground:
    case kHighlight: {
      const std::string colour = text::Upper(o.value);
      if (colour.size() != 7 || colour[0] != '#') return bad();
      for (std::size_t i = 1; i < colour.size(); ++i)
        if (!std::isxdigit(static_cast<unsigned char>(colour[i]))) return bad();
      all([&](TExportOptions& e) { (o.id == kBackground ? e.Background : e.Highlight) = colour; });
      return true;
    }
    case kSelectedOnly:
      all([](TExportOptions& e) { e.SelectedOnly = true; });
      return true;
    case kCheckLinks: {
      const auto n = ParseNumber(o.value, 0, 4);
      if (!n) return bad();
      after.CheckMode = static_cast<int>(*n);
      return true;
    }
    default:
      return true;
  }
}

std::vector<TExportRow> ExportRows(const TResultLists& results, TExportKind kind) {
  std::vector<TExportRow> out;
  const auto& rows = results.Rows(static_cast<TResultLists::ListId>(kind));
  out.reserve(rows.size());
  for (const TResultRow& r : rows) {
    TExportRow e;
    e.Columns = {r.Text, r.Reference, r.FirstOccurrence};
    if (kind == TExportKind::kLinks) e.Columns.push_back(r.TestResult);
    e.Selected = r.Selected;
    out.push_back(std::move(e));
  }
  return out;
}

// The check and the exports after a crawl. Returns the exit code they add.
int AfterCrawl(const TAfterRun& after, bool quiet, TConsoleHost& host, const TOptions& options,
               bool interrupted) {
  int code = 0;
  if (after.CheckMode && !interrupted) {
    const bool finished = CheckLinksFromConsole(host, options, false, *after.CheckMode);
    if (!quiet) {
      const auto& rows = host.Results.Rows(TResultLists::kLinks);
      Out(translate("Cli", "所有链接的检查已经完成。") + "\n");
      Out(TrArgs(translate("Cli", "收集的链接: %1"), {std::to_string(rows.size())}) + "\n");
      for (const TResultRow& r : rows) {
        std::string result = ShownTestResult(r.TestResult);  // may hold line breaks
        for (char& c : result)
          if (c == '\r' || c == '\n') c = ' ';
        Out("  " + r.Text + "\t" + result + (r.Selected ? "\t*" : "") + "\n");
      }
    }
    if (!finished) code = 130;
  }
  for (int k = 0; k < 3; ++k) {
    const std::string& file = after.ExportFiles[static_cast<std::size_t>(k)];
    if (file.empty()) continue;
    const auto kind = static_cast<TExportKind>(k);
    TExportWriter writer(kind, after.Export[static_cast<std::size_t>(k)]);
    const TExportResult r = writer.Write(file, ExportRows(host.Results, kind));
    if (!r.Ok()) {
      Fail(kExitFailure, r.Message + " (" + file + ")");
      if (code == 0) code = kExitFailure;
    }
  }
  return code;
}

bool ParseRunOptionsImpl(const std::string& command, const Args& args, TConsoleRunArgs& run,
                         std::vector<std::string>* rest, bool* help, TAfterRun* after);

}  // namespace

// Parses the options of a run shared by `run` and `mirror`; returns false on
// a usage error (already reported). `rest` receives what it did not take.
bool ParseRunOptions(const std::string& command, const Args& args, TConsoleRunArgs& run,
                     std::vector<std::string>* rest, bool* help) {
  return ParseRunOptionsImpl(command, args, run, rest, help, nullptr);
}

namespace {

// `after` null: the options after the crawl are not offered (mirror).
bool ParseRunOptionsImpl(const std::string& command, const Args& args, TConsoleRunArgs& run,
                         std::vector<std::string>* rest, bool* help, TAfterRun* after) {
  std::vector<std::string> mine;
  std::vector<std::string> others;
  if (rest) {
    // Only the run's own options are taken here; everything else belongs to
    // the project options of `mirror`.
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::string& a = args[i];
      const bool withValue = a == "--threads" || a == "-t" || a == "--max-entries";
      if (withValue || a.rfind("--threads=", 0) == 0 || a.rfind("--max-entries=", 0) == 0 ||
          a == "--quiet" || a == "-q" || a == "--no-save" || a == "--help" || a == "-h") {
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
  // "--check-links" takes its mode only as "--check-links=MODE".
  for (std::size_t i = 0; i < mine.size() && mine[i] != "--"; ++i)
    if (mine[i] == "--check-links") mine[i] = "--check-links=0";
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
        const auto n = ParseNumber(o.value, 1, kMaxSlots);
        if (!n) {
          UsageError(command, "invalid value '" + o.value + "' for " + o.spelled);
          return false;
        }
        run.Threads = static_cast<int>(*n);
        break;
      }
      case kMaxEntries: {
        const auto n = ParseNumber(o.value, 100, 2000000000);
        if (!n) {
          UsageError(command, "invalid value '" + o.value + "' for " + o.spelled);
          return false;
        }
        run.MaxEntries = static_cast<int>(*n);
        break;
      }
      case kQuiet:
        run.Quiet = true;
        break;
      case kNoSave:
        run.NoSave = true;
        break;
      default:
        if (!after) {
          UsageError(command, "unrecognized option '" + o.spelled + "'");
          return false;
        }
        if (!TakeAfterRunOption(command, o, *after)) return false;
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
  if (after) {
    // Every requested export is checked before the crawl starts.
    for (int k = 0; k < 3; ++k) {
      if (after->ExportFiles[static_cast<std::size_t>(k)].empty()) continue;
      const std::string problem = CheckExportOptions(static_cast<TExportKind>(k),
                                                     after->Export[static_cast<std::size_t>(k)]);
      if (!problem.empty()) {
        UsageError(command, ExportListName(static_cast<TExportKind>(k)) + ": " + problem);
        return false;
      }
    }
  }
  return true;
}

}  // namespace

int RunRun(const Args& givenArgs) {
  TOptions options;
  options.LoadSettings();
  Args args = givenArgs;
  if (const std::string e = TakeTlsOptions(args, options); !e.empty()) return UsageError("run", e);
  TConsoleRunArgs run;
  TAfterRun after;
  for (int k = 0; k < 3; ++k)
    after.Export[static_cast<std::size_t>(k)] = DefaultExportOptions(static_cast<TExportKind>(k));
  bool help = false;
  if (!ParseRunOptionsImpl("run", args, run, nullptr, &help, &after)) return kExitUsage;
  if (help) {
    Out(kUsage);
    return kExitOk;
  }
  if (after.Any()) {
    const bool quiet = run.Quiet;
    run.AfterRun = [&after, quiet](TConsoleHost& host, const TOptions& options, bool interrupted) {
      return AfterCrawl(after, quiet, host, options, interrupted);
    };
  }
  return RunProjectFromConsole(run, options);
}

}  // namespace trawlonix::cli
