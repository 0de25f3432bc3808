// trawlonix-cli settings: the application settings in the same store the
// desktop program uses, with the same defaults and clamps.
#include <string>

#include "base/Translate.h"
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "platform/SettingsStore.h"
#include "settings/Settings.h"

namespace trawlonix::cli {

namespace {

enum { kHelp };

const char kUsage[] = QT_TRANSLATE_NOOP(
    "Cli",
    "用法: trawlonix-cli settings [list]\n"
    "      trawlonix-cli settings get 名称\n"
    "      trawlonix-cli settings set 名称 值\n"
    "      trawlonix-cli settings path\n"
    "\n"
    "显示或修改应用程序设置。名称是保存的值的名称，例如 MaxThreads, TimeOut,\n"
    "ProxyServer, Systemitem_3, EXT_Count 或 EXT_ext_1 (也接受 \"Options/\" 或\n"
    "\"HTMLRec/\" 前缀)。数字像设置对话框那样被限制在它们的范围内；开关是 0 或 1。\n"
    "设置保存在 $TRAWLONIX_SETTINGS 中，否则在\n"
    "$XDG_CONFIG_HOME/Morvek/Trawlonix.conf 中。\n"
    "\n"
    "  -h, --help  显示本帮助\n");

std::string UnknownSetting(const std::string& name) {
  return TrArgs(translate("Cli", "未知的设置 '%1'"), {name});
}

}  // namespace

int RunSettings(const Args& args) {
  const ParsedArgs p = ParseOptions(args, {{"help", 'h', false, kHelp}});
  if (!p.error.empty()) return UsageError("settings", p.error);
  if (!p.options.empty()) {
    Out(TrText("Cli", kUsage));
    return kExitOk;
  }
  const auto& pos = p.positionals;
  const std::string verb = pos.empty() ? "list" : pos[0];
  const std::size_t want = verb == "get" ? 2 : verb == "set" ? 3 : 1;
  if (verb != "list" && verb != "get" && verb != "set" && verb != "path") {
    return UsageError("settings", TrArgs(translate("Cli", "未知的操作 '%1'"), {verb}));
  }
  if (pos.size() > want || (!pos.empty() && pos.size() < want)) {
    return UsageError("settings",
                      pos.size() < want ? translate("Cli", "缺少参数") : TooManyArguments());
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
    if (!value) return Fail(kExitFailure, UnknownSetting(name));
    Out(*value + "\n");
    return kExitOk;
  }
  if (!options.GetByName(name)) return Fail(kExitFailure, UnknownSetting(name));
  if (!options.SetByName(name, pos[2])) {
    return Fail(kExitFailure, TrArgs(translate("Cli", "'%1' 不是 %2 的有效值"), {pos[2], name}));
  }
  if (!options.SaveSettings(store)) {
    return Fail(kExitFailure, TrArgs(translate("Cli", "设置不能被写入到 %1"), {store.Path()}));
  }
  Out(name + "=" + options.GetByName(name).value_or("") + "\n");
  return kExitOk;
}

}  // namespace trawlonix::cli
