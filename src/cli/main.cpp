// trawlonix-cli: the command-line host of the program's core.
#include <QCoreApplication>
#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include "cli/cli_util.h"
#include "cli/commands.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace {

using namespace trawlonix::cli;

void PrintUsage() {
  std::string text = std::string("Usage: ") + kProgram +
                     " [--help] [--version] [--lang en|zh] COMMAND [ARGS...]\n\n"
                     "Mirror web sites and inspect Trawlonix projects from the command line.\n\n"
                     "Commands:\n";
  for (const Command& c : kCommands) {
    std::string name = c.name;
    name.resize(std::max<std::size_t>(name.size() + 2, 12), ' ');
    text += "  " + name + c.summary + "\n";
  }
  text += std::string(
      "\nAfter a crawl, 'run' can check the collected links (--check-links[=MODE])\n"
      "and export the collected links, e-mail addresses and broken links\n"
      "(--export-links FILE, --export-emails FILE, --export-broken FILE, with\n"
      "--format text|html, --layout N, --fields, --separator, --no-quotes,\n"
      "--heading, --background, --highlight, --selected-only).\n");
  text += std::string("\nRun '") + kProgram +
          " COMMAND --help' for the options of a command.\n"
          "Exit status: 0 success, 1 failure, 2 usage error; 'run' and 'mirror' also\n"
          "3 files could not be written, 4 the start page could not be fetched,\n"
          "5 the run ended at a limit (--quota), 130 interrupted.\n";
  Out(text);
}

}  // namespace

int main(int argc, char** argv) {
  // Output to a closed pipe ("... | head -1") is dropped: the run goes on and
  // saves its project instead of dying in the middle.
  std::signal(SIGPIPE, SIG_IGN);
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("trawlonix-cli");
  std::vector<std::string> args(argv + 1, argv + argc);
  const std::string lang = trawlonix::TakeLanguageArgument(args);
  if (!lang.empty() && !trawlonix::ParseLanguage(lang)) {
    return UsageError("", "--lang takes 'en' or 'zh'");
  }
  trawlonix::TOptions options;
  options.LoadSettings();
  trawlonix::InstallLanguage(trawlonix::ChooseLanguage(lang, options.Language));
  if (args.empty()) return UsageError("", "missing command");
  const std::string& first = args.front();
  if (first == "--help" || first == "-h") {
    PrintUsage();
    return kExitOk;
  }
  if (first == "--version" || first == "-V") {
    Out(std::string(kVersionLine) + "\n");
    return kExitOk;
  }
  if (!first.empty() && first[0] == '-') {
    return UsageError("", "unrecognized option '" + first + "'");
  }
  for (const Command& c : kCommands) {
    if (first == c.name) return c.run(Args(args.begin() + 1, args.end()));
  }
  return UsageError("", "unknown command '" + first + "'");
}
