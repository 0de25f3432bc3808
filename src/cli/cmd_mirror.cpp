// trawlonix-cli mirror: `new` and `run` in one step.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QString>
#include <cstdio>
#include <string>

#include "base/Translate.h"
#include "cli/ConsoleHost.h"
#include "cli/PoliteOptions.h"
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "model/projectfile.h"
#include "settings/Settings.h"
#include "url/urlparser.h"

namespace trawlonix::cli {

bool ParseRunOptions(const std::string& command, const Args& args, TConsoleRunArgs& run,
                     std::vector<std::string>* rest, bool* help);

namespace {

const char kUsage[] = QT_TRANSLATE_NOOP(
    "Cli",
    "用法: trawlonix-cli mirror URL [目录] [选项]\n"
    "\n"
    "为 URL 创建一个方案，以该目录为本地目录 (不存在时创建；默认: 设置\n"
    "DefaultLocalPath，否则为当前目录)，并运行它。方案文件保存为 目录/名称.txp。\n"
    "\n"
    "选项是 'trawlonix-cli new' 的选项 (限制、动作、--name 等；不包括 --output)\n"
    "和 'trawlonix-cli run' 的选项 (--threads N, --max-entries N, --quiet,\n"
    "--verbose, --log-file 文件, --no-save, --ca-certificate 文件,\n"
    "--no-check-certificate)。\n"
    "\n"
    "当目录中已经有同名的方案时，mirror 以它自己的设置和结果列表继续它 (方案\n"
    "已完整时更新它):\n"
    "      --restart     改为用这里给出的选项重新开始\n"
    "      --force       替换起始 URL 不同的方案 (否则拒绝)\n"
    "\n"
    "退出状态:\n"
    "    0  起始页面已获取，每个接收的文件都已保存\n"
    "    1  失败 (方案不能被打开或保存，导出失败)\n"
    "    2  用法错误\n"
    "    3  有文件不能被写入 (以后的 --continue 会再次获取它们)\n"
    "    4  起始页面不能被获取\n"
    "    5  一个限制结束了运行 (--max-entries 或 --quota)；以后用更大的限制运行会继续\n"
    "  130  被中断 (SIGINT, SIGTERM 或 SIGHUP；方案已保存)\n");

const char kOtherStartUrl[] =
    QT_TRANSLATE_NOOP("Cli", "方案文件 %s 属于另一个起始 URL。使用 --force 替换它。");
const char kUnreadableProject[] =
    QT_TRANSLATE_NOOP("Cli", "方案文件 %s 不能被读取。使用 --force 替换它。");

std::string WithFile(const char* untranslated, const std::string& file) {
  const std::string translated = TrText("Cli", untranslated);
  const char* text = translated.c_str();
  std::string s = text;
  s.replace(s.find("%s"), 2, file);
  return s;
}

// Runs `new` with its messages on standard error and its success line
// dropped (the project is saved under its own name after the run).
int CreateProject(const Args& newArgs) {
  std::fflush(stdout);
  const int saved = ::dup(1);
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (saved >= 0 && null >= 0) ::dup2(null, 1);
  const int rc = RunNew(newArgs);
  std::fflush(stdout);
  if (saved >= 0) {
    ::dup2(saved, 1);
    ::close(saved);
  }
  if (null >= 0) ::close(null);
  return rc;
}

// The project of that name is already in the directory: it is continued
// (its own record, lists and crawl state), restarted with the new record
// (--restart), or replaced when it belongs to another start URL (only with
// --force). Returns an exit code when the run must not go on, else -1 with
// `project` and `run` set up.
int TakeExistingProject(TConsoleRunArgs& run, TOpenedProject& project, bool restart, bool force) {
  TOpenedProject old;
  const TOpenResult opened =
      OpenProject(run.ProjectFile, old.Definition, old.Spider, old.Redirects);
  if (!opened.ok) {
    if (force) return -1;
    Fail(kExitFailure, MessageLines(opened.message));
    return Fail(kExitFailure, WithFile(kUnreadableProject, run.ProjectFile));
  }
  if (old.Definition.StartingUrl != project.Definition.StartingUrl) {
    if (force) return -1;  // a new project in its place, without the old lists
    return Fail(kExitFailure, WithFile(kOtherStartUrl, run.ProjectFile) + " (" +
                                  old.Definition.StartingUrl + ")");
  }
  run.LoadSidecar = true;
  if (restart) return -1;
  const int maxErrors = project.Spider.MaxErrors;
  if (!OpenProject(run.ProjectFile, project.Definition, project.Spider, project.Redirects).ok)
    return Fail(kExitFailure, WithFile(kUnreadableProject, run.ProjectFile));
  project.Spider.MaxErrors = maxErrors;
  run.Choice.reset();  // continue while entries are pending, else update
  return -1;
}

}  // namespace

int RunMirror(const Args& givenArgs) {
  TOptions options;
  options.LoadSettings();
  Args args = givenArgs;
  if (const std::string e = TakeTlsOptions(args, options); !e.empty())
    return UsageError("mirror", e);
  TPoliteArgs polite;
  if (const std::string e = TakePoliteOptions(args, polite, true); !e.empty())
    return UsageError("mirror", e);
  TConsoleRunArgs run;
  ApplyPoliteArgs(polite, options, run);
  bool help = false;
  std::vector<std::string> rest;
  if (!ParseRunOptions("mirror", args, run, &rest, &help)) return kExitUsage;
  if (help) {
    Out(TrText("Cli", kUsage));
    Out("\n" + TrText("Cli", kPoliteOptionsHelp) + "\n" + TrText("Cli", kRunIdentityHelp));
    return kExitOk;
  }
  if (rest.empty() || rest[0].empty() || rest[0][0] == '-')
    return UsageError("mirror", MissingStartUrl());
  const std::string url = rest[0];
  rest.erase(rest.begin());
  std::string dir = options.DefaultLocalPath.empty() ? "." : options.DefaultLocalPath;
  if (!rest.empty() && !rest[0].empty() && rest[0][0] != '-') {
    dir = rest[0];
    rest.erase(rest.begin());
  }
  bool restart = false;
  bool force = false;
  for (auto it = rest.begin(); it != rest.end();) {
    const std::string& a = *it;
    if (a == "-o" || a.rfind("--output", 0) == 0 || a == "--dir" || a == "-d")
      return UsageError("mirror",
                        TrArgs(translate("Cli", "'%1' 不是 mirror 的选项 (请给出目录)"), {a}));
    if (a == "--restart" || a == "--force" || a == "-f") {
      (a == "--restart" ? restart : force) = true;
      it = rest.erase(it);
    } else {
      ++it;
    }
  }
  if (!QDir().mkpath(QString::fromStdString(dir)))
    return Fail(kExitFailure, TrArgs(translate("Cli", "不能创建目录 '%1'"), {dir}));
  const std::string absDir = QDir(QString::fromStdString(dir)).absolutePath().toStdString();

  const std::string temp = absDir + "/.trawlonix-mirror-" + std::to_string(::getpid()) + ".txp";
  Args newArgs = {url, "--dir", absDir, "--output", temp, "--force"};
  newArgs.insert(newArgs.end(), rest.begin(), rest.end());
  const int rc = CreateProject(newArgs);
  if (rc != kExitOk) {
    std::remove(temp.c_str());
    return rc;
  }
  TOpenedProject project;
  const TOpenResult opened =
      OpenProject(temp, project.Definition, project.Spider, project.Redirects);
  std::remove(temp.c_str());
  if (!opened.ok) return Fail(kExitFailure, MessageLines(opened.message));
  project.Spider.MaxErrors = options.ErrorCount;
  run.ProjectFile = absDir + "/" + project.Definition.ProjectName.str() + ".txp";
  run.Choice = CrawlHost::StartChoice::Restart;
  struct stat st {};
  if (::stat(run.ProjectFile.c_str(), &st) == 0) {
    const int rc = TakeExistingProject(run, project, restart, force);
    if (rc >= 0) return rc;
  }
  if (run.Level != TOutputLevel::Quiet)
    Out(TrArgs(translate("Cli", "方案文件: %1"), {run.ProjectFile}) + "\n");
  // A start page that could not be fetched (a refused certificate, say) is a
  // failed mirror, not a finished one.
  TURL start;
  ParseURL(project.Definition.StartingUrl, project.Definition.StrictUrl, start);
  const std::string startUrl = ComposeURL(start);
  run.AfterRun = [startUrl](TConsoleHost& host, const TOptions&, bool) {
    for (const TResultRow& row : host.Results.Rows(TResultLists::kBroken)) {
      if (row.Text != startUrl) continue;
      Err(std::string(kProgram) + ": " +
          TrArgs(translate("Cli", "起始页面不能被获取: %1"), {MessageLines(row.Reference)}) + "\n");
      return kExitFailure;
    }
    return kExitOk;
  };
  return RunProjectFromConsole(run, options, &project);
}

}  // namespace trawlonix::cli
