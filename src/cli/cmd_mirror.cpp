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
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "model/projectfile.h"
#include "settings/Settings.h"
#include "url/urlparser.h"

namespace trawlonix::cli {

bool ParseRunOptions(const std::string& command, const Args& args, TConsoleRunArgs& run,
                     std::vector<std::string>* rest, bool* help);

namespace {

const char* const kUsage =
    "Usage: trawlonix-cli mirror URL [DIR] [OPTIONS]\n"
    "\n"
    "Create a project for URL with DIR as its local directory (created when\n"
    "missing; default: the setting DefaultLocalPath, else the current directory)\n"
    "and run it. The project file is saved as DIR/NAME.txp.\n"
    "\n"
    "OPTIONS are those of 'trawlonix-cli new' (limits, actions, --name, ...;\n"
    "not --output) and of 'trawlonix-cli run' (--threads N, --max-entries N,\n"
    "--quiet, --no-save,\n"
    "--ca-certificate FILE, --no-check-certificate).\n"
    "\n"
    "When DIR already holds the project of that name, mirror continues it (or\n"
    "updates it when it is complete) with its own settings and result lists:\n"
    "      --restart     start it anew with the options given here instead\n"
    "      --force       replace a project whose start URL is a different one\n"
    "                    (refused otherwise)\n"
    "\n"
    "Exit status:\n"
    "    0  the start page was fetched and every received file was stored\n"
    "    1  failure (the project could not be opened or saved, a failed export)\n"
    "    2  usage error\n"
    "    3  files could not be written (a later --continue fetches them again)\n"
    "    4  the start page could not be fetched\n"
    "    5  a limit ended the run (--max-entries); a later run with a larger one goes on\n"
    "  130  interrupted (SIGINT, SIGTERM or SIGHUP; the project is saved)\n";

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
  TConsoleRunArgs run;
  bool help = false;
  std::vector<std::string> rest;
  if (!ParseRunOptions("mirror", args, run, &rest, &help)) return kExitUsage;
  if (help) {
    Out(kUsage);
    return kExitOk;
  }
  if (rest.empty() || rest[0].empty() || rest[0][0] == '-')
    return UsageError("mirror", "missing start URL");
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
      return UsageError("mirror", "'" + a + "' is not an option of mirror (use DIR)");
    if (a == "--restart" || a == "--force" || a == "-f") {
      (a == "--restart" ? restart : force) = true;
      it = rest.erase(it);
    } else {
      ++it;
    }
  }
  if (!QDir().mkpath(QString::fromStdString(dir)))
    return Fail(kExitFailure, "cannot create the directory '" + dir + "'");
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
  if (!run.Quiet) Out("Project file: " + run.ProjectFile + "\n");
  // A start page that could not be fetched (a refused certificate, say) is a
  // failed mirror, not a finished one.
  TURL start;
  ParseURL(project.Definition.StartingUrl, project.Definition.StrictUrl, start);
  const std::string startUrl = ComposeURL(start);
  run.AfterRun = [startUrl](TConsoleHost& host, const TOptions&, bool) {
    for (const TResultRow& row : host.Results.Rows(TResultLists::kBroken)) {
      if (row.Text != startUrl) continue;
      Err(std::string(kProgram) +
          ": the start page could not be fetched: " + MessageLines(row.Reference) + "\n");
      return kExitFailure;
    }
    return kExitOk;
  };
  return RunProjectFromConsole(run, options, &project);
}

}  // namespace trawlonix::cli
