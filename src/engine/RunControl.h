// The run-control steps of a crawl that every host performs the same way:
// the start choice (continue, restart, update) with its preparation, the stop
// request, the hand-over of the worker's batches, and the end of a crawl with
// its results and save question. The desktop window and trawlonix-cli both
// drive runs through this class and only supply their views (CrawlHost).
//
// Lives in the host's thread. While a run is active the host must not touch
// the project record, the spider list or the redirect list.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "engine/CrawlHost.h"
#include "engine/LogFile.h"
#include "engine/TrawlonixThread.h"

namespace trawlonix {

class TRunControl : public QObject, public TCrawlSink {
 public:
  TRunControl(CrawlHost& host, TrawlonixDefinition& def, TSpiderList& spider,
              TCGIRedirectList& redirects, const TOptions& options);
  ~TRunControl() override;

  // Starts a run. With `choice` unset the host is asked when the spider list
  // is not empty (an empty list always restarts). False when nothing started
  // (the host cancelled, or a run is active).
  bool Start(std::optional<CrawlHost::StartChoice> choice = std::nullopt);
  // The stop command: logs "正在中断过程..." once and has the worker abort
  // every fetch; the aborted entries stay pending.
  void Stop();

  bool Running() const { return running_; }
  bool AbortRequested() const { return abortRequested_; }
  bool UpdateRun() const { return updateRun_; }
  const TCounters& Totals() const { return totals_; }
  TCounters& MutableTotals() { return totals_; }
  const std::string& LocalDir() const { return localDir_; }
  // The choice the resume question preselects: restart for an empty list,
  // continue while entries are pending, update for a complete project.
  CrawlHost::StartChoice DefaultChoice();

  // Totals of an opened project as the trees show it: queued and received
  // files (and hypertext among them) from the spider list.
  void RecountTotals();

  // Called once the worker thread has ended and the end of the crawl was
  // handled (after the results and the save question); `interrupted` tells
  // whether the user stopped it.
  std::function<void(bool interrupted)> OnRunEnded;

  // What the last run achieved, known once OnRunEnded is called: whether the
  // start page was received (in this or an earlier run; stored or not) and
  // how many received documents could not be stored, and whether a limit
  // ended it.
  struct Outcome {
    bool StartPageFetched = false;
    int NotStored = 0;
    // The run ended because the spider list was full (MaxEntries).
    bool EndedByEntryCap = false;
    bool QuotaReached = false;  // the run stopped asking for files at its quota
  };
  const Outcome& LastOutcome() const { return outcome_; }

  // Called every CheckpointSeconds of the options (0: never) while a run is
  // active, at a moment when the worker waits and the project may be read,
  // so that the host can save a checkpoint of it.
  std::function<void()> OnCheckpoint;

  // The project's polite-crawl choices and the run's cookie jar (a fresh
  // one per run when none is given), read when a run starts.
  TPoliteSetup Polite;

  // Tests shorten the fetch time-out below a second.
  int TimeoutMsForTests = 0;
  // False: the line for every link added to the spider list is left out of
  // the log (and the log file). On a big site it is most of the log, written
  // at several MB/s; the command line keeps it for --verbose only.
  bool LogAddedLinks = true;
  // ... and the window of the transfer-rate floor.
  int RateWindowMsForTests = 0;

  // The four status-bar texts for `totals`.
  static std::array<std::string, 4> StatusTexts(const TCounters& totals, bool updateRun);

  // TCrawlSink (host thread, while the worker waits).
  QObject* Context() override { return this; }
  void ExecuteBatch(HostBatch& batch) override;
  void CrawlDone() override;

 private:
  void AppendLog(const std::string& line);
  bool HasPending();

  CrawlHost& host_;
  TrawlonixDefinition& def_;
  TSpiderList& spider_;
  TCGIRedirectList& redirects_;
  const TOptions& options_;
  TTrawlonixThread* worker_ = nullptr;
  TLogFile logFile_;
  TCounters totals_;
  std::string localDir_;
  bool running_ = false;
  bool abortRequested_ = false;
  bool updateRun_ = false;
  Outcome outcome_;
  QElapsedTimer checkpointClock_;
};

}  // namespace trawlonix
