// The polite-crawl options of trawlonix-cli: robots.txt, pacing, patterns
// and size limits (the project's choices, kept beside its file), and the
// run's identity and cookies.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/Translate.h"
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
    QT_TRANSLATE_NOOP("Cli",
                      "礼貌 (随方案保存):\n"
                      "      --ignore-robots       不读取也不遵守 robots.txt (默认: 遵守；\n"
                      "                            --obey-robots 重新打开)\n"
                      "      --wait 秒数           对同一服务器的两个请求之间暂停\n"
                      "      --random-wait         每次暂停在 --wait 的 0.5 到 1.5 倍之间变化\n"
                      "      --limit-rate 数量     整个运行每秒的字节数 (例如 200k, 1.5m)；\n"
                      "                            每次一个请求\n"
                      "      --max-per-server N    一个服务器同时的请求数 (默认: 所有连接)\n"
                      "  -A, --accept 列表         只获取名称符合逗号分隔的模式之一的文件\n"
                      "                            ('*.pdf,*.zip'；没有 * 或 ? 的词是后缀)；\n"
                      "                            页面仍然被读取\n"
                      "  -R, --reject 列表         不获取名称符合的文件\n"
                      "      --accept-url 模式     只获取符合该模式的 URL (可重复)\n"
                      "      --reject-url 模式     不获取符合该模式的 URL (可重复)\n"
                      "      --max-file-size 数量  丢弃大于它的文件 (例如 10m)\n"
                      "      --quota 数量          达到该数量后不再请求新文件 (退出状态 5)\n"
                      "      --no-patterns         忘记保存的模式和大小限制\n");

inline constexpr const char* kRunIdentityHelp =
    QT_TRANSLATE_NOOP("Cli",
                      "身份和 Cookie (本次运行):\n"
                      "      --user-agent 文本     每个请求的 User-Agent (默认: 设置 UserAgent)\n"
                      "      --load-cookies 文件   以一个 cookies.txt 文件中的 Cookie 开始\n"
                      "      --save-cookies 文件   结束时把 Cookie 写入一个 cookies.txt 文件\n");

}  // namespace trawlonix::cli
