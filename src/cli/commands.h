// The subcommands of trawlonix-cli. Each lives in its own cmd_<name>.cpp and
// is listed once in kCommands; main.cpp dispatches through the table.
#pragma once

#include <string>
#include <vector>

#include "base/Translate.h"

namespace trawlonix::cli {

using Args = std::vector<std::string>;  // the arguments after the command name

struct Command {
  const char* name;
  const char* summary;
  int (*run)(const Args& args);  // returns the exit code
};

int RunNew(const Args& args);
int RunInfo(const Args& args);
int RunSettings(const Args& args);
int RunRun(const Args& args);
int RunMirror(const Args& args);
int RunCheck(const Args& args);

// The summaries are looked up in the catalog when the help is printed.
inline constexpr Command kCommands[] = {
    {"new", QT_TRANSLATE_NOOP("Cli", "从起始 URL 和选项创建方案文件"), RunNew},
    {"info", QT_TRANSLATE_NOOP("Cli", "显示方案文件中保存的设置和爬行状态"), RunInfo},
    {"settings", QT_TRANSLATE_NOOP("Cli", "列出、读取或修改应用程序设置"), RunSettings},
    {"run", QT_TRANSLATE_NOOP("Cli", "运行方案: 镜像它的网站，继续或更新它"), RunRun},
    {"mirror", QT_TRANSLATE_NOOP("Cli", "为 URL 创建方案并立即运行它"), RunMirror},
    {"check", QT_TRANSLATE_NOOP("Cli", "用 HEAD 请求检查 URL 列表并逐个显示结果"), RunCheck},
};

}  // namespace trawlonix::cli
