// trawlonix-cli mirror: `new` and `run` in one step.
#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QString>
#include <cstdio>
#include <string>

#include "cli/ConsoleHost.h"
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "model/projectfile.h"
#include "settings/Settings.h"

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
    "not --output) and of 'trawlonix-cli run' (--threads N, --quiet, --no-save).\n"
    "\n"
    "Exit status: 0 finished, 130 interrupted, 1 failure, 2 usage error.\n";

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

}  // namespace

int RunMirror(const Args& args) {
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
  TOptions options;
  options.LoadSettings();
  std::string dir = options.DefaultLocalPath.empty() ? "." : options.DefaultLocalPath;
  if (!rest.empty() && !rest[0].empty() && rest[0][0] != '-') {
    dir = rest[0];
    rest.erase(rest.begin());
  }
  for (const std::string& a : rest) {
    if (a == "-o" || a.rfind("--output", 0) == 0 || a == "--dir" || a == "-d")
      return UsageError("mirror", "'" + a + "' is not an option of mirror (use DIR)");
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
  if (!run.Quiet) Out("Project file: " + run.ProjectFile + "\n");
  return RunProjectFromConsole(run, options, &project);
}

}  // namespace trawlonix::cli
