// The crawl host of trawlonix-cli: log lines on standard output, a progress
// line on standard error when that is a terminal, result lists in memory,
// and the figures of the results window at the end. Also runs a whole crawl
// of an opened project from the command line (RunProjectFromConsole), with
// SIGINT/SIGTERM working as the stop command.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/CrawlHost.h"
#include "engine/ResultLists.h"
#include "model/SpiderList.h"
#include "model/tx_types.h"
#include "settings/Settings.h"

namespace trawlonix {

class TConsoleHost : public CrawlHost {
 public:
  TConsoleHost(std::FILE* out, std::FILE* err, bool quiet);
  ~TConsoleHost() override;

  void AppendLog(const std::string& line) override;
  void CountersChanged(const TCounters& delta, const TCounters& totals) override;
  TItemHandle AddDirItem(const TURL& url) override;
  void MarkDirItemLoaded(TItemHandle) override {}
  TItemHandle AddLinkItem(TItemHandle parent, const std::string& text) override;
  void SetLinkItemIcon(TItemHandle, int) override {}
  bool OfferCollectedLink(const std::string& url, const std::string& firstOccurrence) override;
  bool OfferEMail(const std::string& address, const std::string& firstOccurrence) override;
  bool OfferBrokenLink(const std::string& url, const std::string& errorText,
                       const std::string& firstOccurrence) override;
  void SetLastRowReference(const std::string& text) override;
  void ForgetLastRow() override { Results.ForgetLastRow(); }
  void SetSlotUrl(int, const std::string&) override {}
  void SetSlotInfo(int, const std::string&) override {}
  void SetSlotProgress(int, int) override {}

  StartChoice AskStartChoice(bool canContinue) override;
  void SetSlotCount(int) override {}
  void RunStateChanged(bool running) override;
  void ShowResults(const std::string& status, const TCounters& totals) override;
  bool AskSaveAfterInterrupt() override { return false; }
  bool SaveProject() override;

  // The link check works on Results' collected links.
  int CollectedLinkCount() override;
  std::string CollectedLinkUrl(int row) override;
  bool CollectedLinkSelected(int row) override;
  void SetCollectedLinkResult(int row, const std::string& text) override;
  void SetCollectedLinkSelected(int row, bool selected) override;
  void DeleteCollectedLink(int row) override;
  void CheckProgress(int done, int toCheck) override;
  void CheckDone() override;

  // What SaveProject saves (the command sets it up after opening).
  std::function<bool()> Saver;
  bool UpdateRun = false;
  // False: log lines are not printed (the progress line still is).
  bool LogLines = true;
  TResultLists Results;
  void PrintResultLists();

 private:
  void DrawProgress(const TCounters& totals, bool force);
  void ClearProgress();

  std::FILE* out_;
  std::FILE* err_;
  bool quiet_;
  bool progress_;  // standard error is a terminal
  bool progressShown_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
  TItemHandle nextItem_ = 1;
};

// The exit status of a console run, besides 0 (the start page is fetched and
// every received document is stored), 1 (failure, such as a project that
// could not be opened or saved), 2 (usage error) and 130 (interrupted).
inline constexpr int kExitNotStored = 3;        // documents could not be written
inline constexpr int kExitStartPageFailed = 4;  // the start page could not be fetched
inline constexpr int kExitLimit = 5;            // a limit of the run ended it (entry cap)
inline constexpr int kExitInterrupted = 130;

// The exit status of a run that ended as `outcome` tells, and the one-line
// cause printed with the results (empty for 0 and for an interruption).
int ExitCodeOf(bool interrupted, bool saveFailed, bool startPageFetched, int notStored,
               bool endedByLimit = false);
std::string ExitCauseLine(int exitCode, int notStored, int maxEntries = 0);

struct TConsoleRunArgs {
  std::string ProjectFile;
  std::optional<CrawlHost::StartChoice> Choice;  // unset: what the resume prompt preselects
  std::optional<int> Threads;
  std::optional<int> MaxEntries;  // unset: the setting MaxEntries
  bool Quiet = false;
  bool NoSave = false;
  // With a preloaded project: also load the result lists saved beside it.
  bool LoadSidecar = false;
  // Runs after the crawl ended and the project was saved, with the host that
  // holds the result lists; its result, when not 0, becomes the exit code.
  std::function<int(TConsoleHost& host, const TOptions& options, bool interrupted)> AfterRun;
};

// Checks the collected links in host.Results (LinkCheck.h) with a local event
// loop; SIGINT/SIGTERM cancel it like the cancel button. Returns true when it
// ran to its end, false when it was cancelled. Needs a QCoreApplication.
bool CheckLinksFromConsole(TConsoleHost& host, const TOptions& options, bool onlySelected,
                           int resultMode, int timeoutMsForTests = 0);

// Opens the project, runs it to its end (or until SIGINT/SIGTERM), prints the
// results and saves the project unless NoSave. Needs a QCoreApplication.
// Returns 0 when the run finished, 130 when it was interrupted, 1 on errors.
// `options` are the loaded settings; `preloaded` (optional) skips opening.
struct TOpenedProject {
  TrawlonixDefinition Definition;
  TSpiderList Spider;
  TCGIRedirectList Redirects;
};
int RunProjectFromConsole(const TConsoleRunArgs& args, TOptions options,
                          TOpenedProject* preloaded = nullptr);
// Saves the project file and the result lists beside it, each atomically;
// false (the message printed) when either could not be saved.
bool SaveProjectAndLists(const std::string& projectFile, TOpenedProject& p,
                         const TResultLists& results);

}  // namespace trawlonix
