// The subcommands of trawlonix-cli. Each lives in its own cmd_<name>.cpp and
// is listed once in kCommands; main.cpp dispatches through the table.
#pragma once

#include <string>
#include <vector>

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

inline constexpr Command kCommands[] = {
    {"new", "create a project file from a start URL and options", RunNew},
    {"info", "show the settings and crawl state stored in a project file", RunInfo},
    {"settings", "list, read or change the application settings", RunSettings},
    {"run", "run a project: mirror its site, continue or update it", RunRun},
    {"mirror", "create a project for a URL and run it in one step", RunMirror},
    {"check", "check a list of URLs with HEAD requests and print each result", RunCheck},
};

}  // namespace trawlonix::cli
