// trawlonix-cli: the command-line host of the program's core.
#include <QCoreApplication>
#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include "base/Translate.h"
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace {

using namespace trawlonix::cli;
using trawlonix::translate;
using trawlonix::TrArgs;
using trawlonix::TrText;

const char kUsageHead[] =
    QT_TRANSLATE_NOOP("Cli",
                      "用法: %1 [--help] [--version] [--lang en|zh] 命令 [参数...]\n\n"
                      "在命令行中镜像网站并查看 Trawlonix 方案。\n\n"
                      "命令:\n");
const char kUsageTail[] = QT_TRANSLATE_NOOP(
    "Cli",
    "\n爬行之后，'run' 可以检查收集的链接 (--check-links[=MODE])，\n"
    "并导出收集的链接、电邮地址和错误链接\n"
    "(--export-links FILE, --export-emails FILE, --export-broken FILE，以及\n"
    "--format text|html, --layout N, --fields, --separator, --no-quotes,\n"
    "--heading, --background, --highlight, --selected-only)。\n"
    "\n用 '%1 命令 --help' 查看一个命令的选项。\n"
    "--lang en|zh 选择界面语言 (默认: 设置 Language，否则依照区域设置)。\n"
    "退出状态: 0 成功，1 失败，2 用法错误；'run' 和 'mirror' 还有\n"
    "3 有文件不能被写入，4 起始页面不能被获取，5 一个限制结束了运行，130 被中断。\n");

void PrintUsage() {
  std::string text = TrArgs(TrText("Cli", kUsageHead), {kProgram});
  for (const Command& c : kCommands) {
    std::string name = c.name;
    name.resize(std::max<std::size_t>(name.size() + 2, 12), ' ');
    text += "  " + name + TrText("Cli", c.summary) + "\n";
  }
  text += TrArgs(TrText("Cli", kUsageTail), {kProgram});
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
  trawlonix::TOptions options;
  options.LoadSettings();
  const bool langOk = lang.empty() || trawlonix::ParseLanguage(lang);
  // A bad --lang is reported in the language the setting or locale chooses.
  trawlonix::InstallLanguage(trawlonix::ChooseLanguage(langOk ? lang : "", options.Language));
  if (!langOk) return UsageError("", translate("Cli", "--lang 只接受 'en' 或 'zh'"));
  if (args.empty()) return UsageError("", translate("Cli", "缺少命令"));
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
    return UsageError("", TrArgs(translate("Cli", "无法识别的选项 '%1'"), {first}));
  }
  for (const Command& c : kCommands) {
    if (first == c.name) return c.run(Args(args.begin() + 1, args.end()));
  }
  return UsageError("", TrArgs(translate("Cli", "未知的命令 '%1'"), {first}));
}
