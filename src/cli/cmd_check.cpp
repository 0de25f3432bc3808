// trawlonix-cli check: checks a list of URLs with HEAD requests, as the
// window's check of collected links does, and prints each result.
#include <QFile>
#include <cstdio>
#include <string>

#include "cli/ConsoleHost.h"
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "engine/ResultLists.h"
#include "engine/SlotRequest.h"
#include "settings/Settings.h"

namespace trawlonix::cli {

namespace {

enum { kHelp, kThreads, kQuiet, kLog, kSeparator };

const std::vector<OptionSpec> kSpecs = {
    {"help", 'h', false, kHelp}, {"threads", 't', true, kThreads},   {"quiet", 'q', false, kQuiet},
    {"log", 0, false, kLog},     {"separator", 0, true, kSeparator},
};

const char* const kUsage =
    "Usage: trawlonix-cli check FILE [--threads N] [--separator S] [--log] [--quiet]\n"
    "\n"
    "Check the URLs listed in FILE ('-' for standard input) with HEAD requests,\n"
    "with the user agent, time-out and proxy of the settings, the way the\n"
    "collected links of a project are checked. FILE holds one URL per line, or\n"
    "is a text export of a list: a line that starts with a double quote gives\n"
    "the quoted field, any other line its text up to the first blank (or up to\n"
    "the separator given with --separator). Empty lines and lines starting\n"
    "with '#' are skipped.\n"
    "\n"
    "Prints one line per URL, in the order of the file: the URL, a tab and the\n"
    "result (\"通过\" or \"坏的: \" with the status and reason). On a terminal a\n"
    "progress line is shown on standard error. Ctrl-C cancels the checks in\n"
    "flight; URLs not checked are printed with \"- 未检查 -\".\n"
    "\n"
    "  -t, --threads N     checks at once (1..64; default: the setting MaxThreads)\n"
    "      --separator S   field separator of an unquoted text export: ';', ','\n"
    "      --log           also print the log lines (HEAD requests and results)\n"
    "  -q, --quiet         no progress line\n"
    "  -h, --help          show this help\n"
    "%s"
    "\n"
    "Exit status: 0 every URL is good, 1 a URL is bad or the file cannot be\n"
    "read, 130 interrupted, 2 usage error.\n";

std::string Usage() {
  char text[4096];
  std::snprintf(text, sizeof text, kUsage, kTlsOptionsHelp);
  return text;
}

// A result text on one output line: line breaks of error texts become blanks.
std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

}  // namespace

// The URL of one line of a list or a text export; empty for a line to skip.
std::string CheckListUrl(std::string_view line, char separator) {
  std::size_t b = 0;
  std::size_t e = line.size();
  while (b < e && IsBlank(line[b]))
    ++b;
  while (e > b && IsBlank(line[e - 1]))
    --e;
  line = line.substr(b, e - b);
  if (line.empty() || line[0] == '#') return {};
  if (line[0] == '"') {
    // Quotes inside a field are not doubled by the export; the field ends at
    // the next quote.
    const std::size_t close = line.find('"', 1);
    return std::string(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
  }
  std::size_t end = 0;
  while (end < line.size() && !IsBlank(line[end]) && (separator == 0 || line[end] != separator))
    ++end;
  return std::string(line.substr(0, end));
}

int RunCheck(const Args& givenArgs) {
  TOptions options;
  options.LoadSettings();
  Args args = givenArgs;
  if (const std::string e = TakeTlsOptions(args, options); !e.empty())
    return UsageError("check", e);
  const ParsedArgs p = ParseOptions(args, kSpecs);
  if (!p.error.empty()) return UsageError("check", p.error);
  bool quiet = false;
  bool log = false;
  char separator = 0;
  for (const ParsedOption& o : p.options) {
    switch (o.id) {
      case kHelp:
        Out(Usage());
        return kExitOk;
      case kThreads: {
        const auto n = ParseNumber(o.value, 1, kMaxSlots);
        if (!n) return UsageError("check", "invalid value '" + o.value + "' for " + o.spelled);
        options.MaxThreads = static_cast<int>(*n);
        break;
      }
      case kQuiet:
        quiet = true;
        break;
      case kLog:
        log = true;
        break;
      case kSeparator:
        if (o.value == ";" || o.value == "semicolon")
          separator = ';';
        else if (o.value == "," || o.value == "comma")
          separator = ',';
        else
          return UsageError("check", "invalid value '" + o.value + "' for " + o.spelled);
        break;
      default:
        break;
    }
  }
  if (p.positionals.empty()) return UsageError("check", "missing file");
  if (p.positionals.size() > 1) return UsageError("check", "too many arguments");
  options.ClampSettings();

  const std::string& name = p.positionals.front();
  QFile file;
  const bool opened = name == "-" ? file.open(stdin, QIODevice::ReadOnly)
                                  : (file.setFileName(QString::fromStdString(name)),
                                     file.open(QIODevice::ReadOnly));
  if (!opened) return Fail(kExitFailure, "cannot read '" + name + "'");

  TConsoleHost host(stdout, stderr, quiet);
  host.LogLines = log;
  auto& rows = host.Results.MutableRows(TResultLists::kLinks);
  while (!file.atEnd()) {
    const QByteArray line = file.readLine();
    std::string url = CheckListUrl(std::string_view(line.constData(), line.size()), separator);
    if (!url.empty()) rows.push_back({url, {}, {}, kTestNotChecked, false});
  }
  if (file.error() != QFileDevice::NoError) return Fail(kExitFailure, "cannot read '" + name + "'");

  const bool finished = CheckLinksFromConsole(host, options, false, 0);
  bool anyBad = false;
  for (const TResultRow& r : host.Results.Rows(TResultLists::kLinks)) {
    Out(OneLine(r.Text) + "\t" + OneLine(r.TestResult) + "\n");
    anyBad |= r.TestResult.rfind(kTestBadPrefix, 0) == 0;
  }
  std::fflush(stdout);
  if (!finished) return 130;
  return anyBad ? kExitFailure : kExitOk;
}

}  // namespace trawlonix::cli
