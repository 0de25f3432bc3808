// trawlonix-cli check: checks a list of URLs with HEAD requests, as the
// window's check of collected links does, and prints each result.
#include <QFile>
#include <cstdio>
#include <string>

#include "base/Translate.h"
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
    {"log", 0, false, kLog},     {"separator", 0, true, kSeparator}, {"verbose", 'v', false, kLog},
};

const char kUsage[] = QT_TRANSLATE_NOOP(
    "Cli",
    "用法: trawlonix-cli check 文件 [--threads N] [--separator S] [--verbose] [--quiet]\n"
    "\n"
    "用 HEAD 请求检查文件中列出的 URL ('-' 表示标准输入)，使用设置中的用户代理、\n"
    "超时和代理服务器，与检查方案收集的链接的方式相同。文件每行一个 URL，或者是\n"
    "一个列表的文本导出: 以双引号开头的行取引号中的字段，其他行取到第一个空白\n"
    "(或到 --separator 给出的分隔符) 为止的文本。跳过空行和以 '#' 开头的行。\n"
    "\n"
    "按文件中的顺序每个 URL 显示一行: URL、一个制表符和结果 (\"通过\" 或 \"坏的: \"\n"
    "加上状态和原因)。标准输出是终端时显示一个进度行。Ctrl-C 取消正在进行的\n"
    "检查；没有检查的 URL 显示为 \"- 未检查 -\"。\n"
    "\n"
    "  -t, --threads N     同时检查的数量 (1..64；默认: 设置 MaxThreads)\n"
    "      --separator S   不带引号的文本导出的字段分隔符: ';', ','\n"
    "  -v, --verbose, --log  同时显示日志行 (HEAD 请求和结果)\n"
    "  -q, --quiet         不显示进度行\n"
    "  -h, --help          显示本帮助\n"
    "      --ca-certificate 文件   对 https 除系统的证书之外还信任该文件 (PEM)\n"
    "                              中的 CA 证书\n"
    "      --no-check-certificate  不检查 https 证书 (在日志中记录一次)\n"
    "\n"
    "退出状态: 0 每个 URL 都是好的，1 有坏的 URL 或文件不能被读取，130 被中断，\n"
    "2 用法错误。\n");

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
        Out(TrText("Cli", kUsage));
        return kExitOk;
      case kThreads: {
        const auto n = ParseNumber(o.value, 1, kMaxSlots);
        if (!n) return UsageError("check", InvalidValue(o));
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
          return UsageError("check", InvalidValue(o));
        break;
      default:
        break;
    }
  }
  if (p.positionals.empty()) return UsageError("check", translate("Cli", "缺少文件"));
  if (p.positionals.size() > 1) return UsageError("check", TooManyArguments());
  options.ClampSettings();

  const std::string& name = p.positionals.front();
  QFile file;
  const bool opened = name == "-" ? file.open(stdin, QIODevice::ReadOnly)
                                  : (file.setFileName(QString::fromStdString(name)),
                                     file.open(QIODevice::ReadOnly));
  if (!opened) return Fail(kExitFailure, CannotRead(name));

  TConsoleHost host(stdout, log     ? TOutputLevel::Verbose
                            : quiet ? TOutputLevel::Quiet
                                    : TOutputLevel::Normal);
  auto& rows = host.Results.MutableRows(TResultLists::kLinks);
  while (!file.atEnd()) {
    const QByteArray line = file.readLine();
    std::string url = CheckListUrl(std::string_view(line.constData(), line.size()), separator);
    if (!url.empty()) rows.push_back({url, {}, {}, kTestNotChecked, false});
  }
  if (file.error() != QFileDevice::NoError) return Fail(kExitFailure, CannotRead(name));

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
