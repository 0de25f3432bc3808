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
#include "cli/PoliteOptions.h"
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
  kVerbose,
  kLogFile,
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
    {"verbose", 'v', false, kVerbose},
    {"log-file", 0, true, kLogFile},
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

const char kUsage[] = QT_TRANSLATE_NOOP(
    "Cli",
    "用法: trawlonix-cli run 方案.txp [--continue | --restart | --update]\n"
    "                         [--threads N] [--max-entries N]\n"
    "                         [--quiet | --verbose] [--log-file 文件]\n"
    "                         [--no-save]\n"
    "\n"
    "运行方案: 获取它的页面，保存到它的本地目录下，并收集找到的内容。在终端上\n"
    "显示一个进度行，然后每个失败一行，最后是结果；--verbose 则显示完整的日志。\n"
    "每次运行结束时 (完成或被中断) 都保存方案文件。Ctrl-C (SIGINT) 或 SIGTERM\n"
    "像停止命令一样停止运行；以后可以继续它。\n"
    "\n"
    "      --continue    继续被中断的运行 (还有等待的页面时的默认值)\n"
    "      --restart     重新开始 (从未运行过的方案的默认值)\n"
    "      --update      重新获取每个被修改过的页面 (完整方案的默认值)\n"
    "  -t, --threads N   同时获取的数量 (1..64；默认: 设置 MaxThreads)\n"
    "      --max-entries N  方案中的 URL 达到 N 个时结束运行 (100..2000000000；\n"
    "                    默认: 设置 MaxEntries, 1000000)；退出状态 5\n"
    "  -q, --quiet       只显示结果和错误: 没有失败行，没有进度行\n"
    "  -v, --verbose     在标准输出上显示完整的日志 (每个请求和链接)\n"
    "      --log-file 文件  另外把日志写入该文件 (方案自己的日志文件之外)；\n"
    "                    找到的每个链接只在 --verbose 时写入\n"
    "      --no-save     结束时不保存方案文件\n"
    "  -h, --help        显示本帮助\n"
    "      --ca-certificate 文件   对 https 除系统的证书之外还信任该文件 (PEM)\n"
    "                              中的 CA 证书\n"
    "      --no-check-certificate  不检查 https 证书 (在日志中记录一次)\n"
    "\n"
    "爬行之后:\n"
    "      --check-links[=MODE]  导出前用 HEAD 请求检查收集的链接；MODE 0 只填写\n"
    "                    测试结果 (默认)，1 标记好的链接，2 删除好的链接，\n"
    "                    3 标记坏的链接，4 删除坏的链接 (运行被中断时跳过)\n"
    "      --export-links 文件   把收集的链接写入该文件\n"
    "      --export-emails 文件  把收集的电邮地址写入该文件\n"
    "      --export-broken 文件  把错误链接写入该文件\n"
    "      --format text|html    导出格式 (默认 html)\n"
    "      --layout N    HTML 布局: 链接 0..13，电邮地址和错误链接 0..11 (默认 10)\n"
    "      --fields F    文本字段: link, text, link-text (默认), text-link\n"
    "      --separator S 文本分隔符: ';' (默认), ',' 或 ' ' (也可写 semicolon,\n"
    "                    comma, blank)\n"
    "      --no-quotes   文本字段不加双引号\n"
    "      --heading 文本  HTML 标题 (最多 200 个字符)\n"
    "      --background #RRGGBB  HTML 背景颜色 (默认 #FFFFFF)\n"
    "      --highlight #RRGGBB   HTML 突出显示颜色 (默认 #C0C0C0)\n"
    "      --selected-only  只导出检查标记了的行 (MODE 1 或 3)\n"
    "格式选项适用于本次运行的每个导出。空列表的导出不写文件，并作为失败报告。\n"
    "\n"
    "退出状态:\n"
    "    0  起始页面已获取，每个接收的文件都已保存\n"
    "    1  失败 (方案不能被打开或保存，导出失败)\n"
    "    2  用法错误\n"
    "    3  有文件不能被写入 (以后的 --continue 会再次获取它们)\n"
    "    4  起始页面不能被获取\n"
    "    5  一个限制结束了运行 (--max-entries 或 --quota)；以后用更大的限制 --continue 会继续\n"
    "  130  被中断 (SIGINT, SIGTERM 或 SIGHUP；方案已保存)\n");

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
    UsageError(command, InvalidValue(o));
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
        UsageError(command, translate("Cli", "--heading 最多接受 200 个字符"));
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
      const bool withValue =
          a == "--threads" || a == "-t" || a == "--max-entries" || a == "--log-file";
      if (withValue || a.rfind("--threads=", 0) == 0 || a.rfind("--max-entries=", 0) == 0 ||
          a.rfind("--log-file=", 0) == 0 || a == "--quiet" || a == "-q" || a == "--verbose" ||
          a == "-v" || a == "--no-save" || a == "--help" || a == "-h") {
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
          UsageError(command, InvalidValue(o));
          return false;
        }
        run.Threads = static_cast<int>(*n);
        break;
      }
      case kMaxEntries: {
        const auto n = ParseNumber(o.value, 100, 2000000000);
        if (!n) {
          UsageError(command, InvalidValue(o));
          return false;
        }
        run.MaxEntries = static_cast<int>(*n);
        break;
      }
      case kQuiet:
        run.Level = TOutputLevel::Quiet;
        break;
      case kVerbose:
        run.Level = TOutputLevel::Verbose;
        break;
      case kLogFile:
        if (o.value.empty()) {
          UsageError(command, InvalidValue(o));
          return false;
        }
        run.LogFile = o.value;
        break;
      case kNoSave:
        run.NoSave = true;
        break;
      default:
        if (!after) {
          UsageError(command, TrArgs(translate("Cli", "无法识别的选项 '%1'"), {o.spelled}));
          return false;
        }
        if (!TakeAfterRunOption(command, o, *after)) return false;
        break;
    }
  }
  if (modes > 1) {
    UsageError(command, translate("Cli", "--continue、--restart 和 --update 不能同时使用"));
    return false;
  }
  if (!rest) {
    if (p.positionals.empty()) {
      UsageError(command, MissingProjectFile());
      return false;
    }
    if (p.positionals.size() > 1) {
      UsageError(command, TooManyArguments());
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
  TPoliteArgs polite;
  if (const std::string e = TakePoliteOptions(args, polite, true); !e.empty())
    return UsageError("run", e);
  TConsoleRunArgs run;
  ApplyPoliteArgs(polite, options, run);
  TAfterRun after;
  for (int k = 0; k < 3; ++k)
    after.Export[static_cast<std::size_t>(k)] = DefaultExportOptions(static_cast<TExportKind>(k));
  bool help = false;
  if (!ParseRunOptionsImpl("run", args, run, nullptr, &help, &after)) return kExitUsage;
  if (help) {
    Out(TrText("Cli", kUsage));
    Out("\n" + TrText("Cli", kPoliteOptionsHelp) + "\n" + TrText("Cli", kRunIdentityHelp));
    return kExitOk;
  }
  if (after.Any()) {
    const bool quiet = run.Level == TOutputLevel::Quiet;
    run.AfterRun = [&after, quiet](TConsoleHost& host, const TOptions& options, bool interrupted) {
      return AfterCrawl(after, quiet, host, options, interrupted);
    };
  }
  return RunProjectFromConsole(run, options);
}

}  // namespace trawlonix::cli
