// trawlonix-cli settings: the application settings in the same store the
// desktop program uses, with the same defaults and clamps.
#include <string>

#include "cli/cli_util.h"
#include "cli/commands.h"
#include "platform/SettingsStore.h"
#include "settings/Settings.h"

namespace trawlonix::cli {

namespace {

enum { kHelp };

const char* const kUsage =
    "Usage: trawlonix-cli settings [list]\n"
    "       trawlonix-cli settings get NAME\n"
    "       trawlonix-cli settings set NAME VALUE\n"
    "       trawlonix-cli settings path\n"
    "\n"
    "Show or change the application settings. NAME is a stored value name such as\n"
    "MaxThreads, TimeOut, ProxyServer, Systemitem_3, EXT_Count or EXT_ext_1 (an\n"
    "\"Options/\" or \"HTMLRec/\" prefix is accepted). Numbers are clamped to their\n"
    "ranges as the settings dialog clamps them; flags are 0 or 1.\n"
    "The store is $TRAWLONIX_SETTINGS, else $XDG_CONFIG_HOME/Morvek/Trawlonix.conf.\n"
    "\n"
    "  -h, --help  show this help\n";

}  // namespace

int RunSettings(const Args& args) {
  const ParsedArgs p = ParseOptions(args, {{"help", 'h', false, kHelp}});
  if (!p.error.empty()) return UsageError("settings", p.error);
  if (!p.options.empty()) {
    Out(kUsage);
    return kExitOk;
  }
  const auto& pos = p.positionals;
  const std::string verb = pos.empty() ? "list" : pos[0];
  const std::size_t want = verb == "get" ? 2 : verb == "set" ? 3 : 1;
  if (verb != "list" && verb != "get" && verb != "set" && verb != "path") {
    return UsageError("settings", "unknown action '" + verb + "'");
  }
  if (pos.size() > want || (!pos.empty() && pos.size() < want)) {
    return UsageError("settings", pos.size() < want ? "missing argument" : "too many arguments");
  }

  SettingsStore store;
  if (verb == "path") {
    Out(store.Path() + "\n");
    return kExitOk;
  }
  TOptions options;
  options.LoadSettings(store);
  if (verb == "list") {
    std::string text;
    for (const auto& [name, value] : options.ListValues())
      text += name + "=" + value + "\n";
    Out(text);
    return kExitOk;
  }
  const std::string& name = pos[1];
  if (verb == "get") {
    if (name == "Runs" || name == "Options/Runs") {
      Out(store.Read("Options", "Runs").value_or("0") + "\n");
      return kExitOk;
    }
    const auto value = options.GetByName(name);
    if (!value) return Fail(kExitFailure, "unknown setting '" + name + "'");
    Out(*value + "\n");
    return kExitOk;
  }
  if (!options.GetByName(name)) return Fail(kExitFailure, "unknown setting '" + name + "'");
  if (!options.SetByName(name, pos[2])) {
    return Fail(kExitFailure, "invalid value '" + pos[2] + "' for " + name);
  }
  if (!options.SaveSettings(store)) {
    return Fail(kExitFailure, "cannot write the settings to " + store.Path());
  }
  Out(name + "=" + options.GetByName(name).value_or("") + "\n");
  return kExitOk;
}

}  // namespace trawlonix::cli
