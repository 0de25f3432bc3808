#include "cli/ConsoleHost.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>

#include "base/Translate.h"
#include "engine/LinkCheck.h"
#include "engine/RunControl.h"
#include "model/projectfile.h"
#include "model/sidecar.h"

namespace trawlonix {

TConsoleHost::TConsoleHost(std::FILE* out, std::FILE* err, bool quiet)
    : out_(out), err_(err), quiet_(quiet), progress_(!quiet && ::isatty(fileno(err)) == 1) {}

TConsoleHost::~TConsoleHost() {
  ClearProgress();
}

void TConsoleHost::ClearProgress() {
  if (!progressShown_) return;
  std::fputs("\r\x1b[K", err_);
  std::fflush(err_);
  progressShown_ = false;
}

void TConsoleHost::AppendLog(const std::string& line) {
  if (quiet_ || !LogLines) return;
  ClearProgress();
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fputc('\n', out_);
}

void TConsoleHost::DrawProgress(const TCounters& totals, bool force) {
  if (!progress_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && progressShown_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
  lastDraw_ = now;
  std::fflush(out_);
  const auto t = TRunControl::StatusTexts(totals, UpdateRun);
  std::fprintf(err_, "\r\x1b[K%s | %s | %s | %s", t[0].c_str(), t[1].c_str(), t[2].c_str(),
               t[3].c_str());
  std::fflush(err_);
  progressShown_ = true;
}

void TConsoleHost::CountersChanged(const TCounters&, const TCounters& totals) {
  DrawProgress(totals, false);
}

TItemHandle TConsoleHost::AddDirItem(const TURL&) {
  return nextItem_++;
}
TItemHandle TConsoleHost::AddLinkItem(TItemHandle, const std::string&) {
  return nextItem_++;
}

bool TConsoleHost::OfferCollectedLink(const std::string& url, const std::string& first) {
  return Results.OfferCollectedLink(url, first).has_value();
}
bool TConsoleHost::OfferEMail(const std::string& address, const std::string& first) {
  return Results.OfferEMail(address, first).has_value();
}
bool TConsoleHost::OfferBrokenLink(const std::string& url, const std::string& errorText,
                                   const std::string& first) {
  return Results.OfferBrokenLink(url, errorText, first).has_value();
}
void TConsoleHost::SetLastRowReference(const std::string& text) {
  Results.SetLastRowReference(text);
}

CrawlHost::StartChoice TConsoleHost::AskStartChoice(bool canContinue) {
  return canContinue ? StartChoice::Continue : StartChoice::Update;
}

void TConsoleHost::RunStateChanged(bool running) {
  if (!running) ClearProgress();
  std::fflush(out_);
}

void TConsoleHost::ShowResults(const std::string& status, const TCounters& t) {
  ClearProgress();
  auto n = [&t](int counter) { return std::to_string(t[counter]); };
  const std::string text =
      TrArgs(translate("Cli",
                       "方案结果\n状态: %1\n%2 KB 已接收\n%3 个文件(总共)\n%4 个是 HTML 文档\n"
                       "%5 个文件被接收\n%6 个是 HTML 文档\n%7 个文件被检查\n%8 个是 HTML 文档\n"),
             {status, n(TCounters::kKiloBytes), n(TCounters::kQueued), n(TCounters::kQueuedHt),
              n(TCounters::kReceived), n(TCounters::kReceivedHt), n(TCounters::kChecked),
              n(TCounters::kCheckedHt)});
  std::fputs(text.c_str(), out_);
  std::fflush(out_);
}

void TConsoleHost::PrintResultLists() {
  static const char* const kTitles[3] = {QT_TRANSLATE_NOOP("Cli", "收集的链接"),
                                         QT_TRANSLATE_NOOP("Cli", "收集的电邮地址"),
                                         QT_TRANSLATE_NOOP("Cli", "错误链接")};
  for (int l = 0; l < 3; ++l) {
    const auto& rows = Results.Rows(static_cast<TResultLists::ListId>(l));
    std::fprintf(out_, "%s: %zu\n", TrText("Cli", kTitles[l]).c_str(), rows.size());
    for (const auto& r : rows) {
      std::fprintf(out_, "  %s\t%s\t%s\n", r.Text.c_str(), r.Reference.c_str(),
                   r.FirstOccurrence.c_str());
    }
  }
  std::fflush(out_);
}

bool TConsoleHost::SaveProject() {
  return Saver ? Saver() : false;
}

int TConsoleHost::CollectedLinkCount() {
  return static_cast<int>(Results.Rows(TResultLists::kLinks).size());
}

namespace {
template <typename Rows>
auto* RowAt(Rows& rows, int row) {
  return row >= 0 && static_cast<std::size_t>(row) < rows.size()
             ? &rows[static_cast<std::size_t>(row)]
             : nullptr;
}
}  // namespace

std::string TConsoleHost::CollectedLinkUrl(int row) {
  const auto* r = RowAt(Results.Rows(TResultLists::kLinks), row);
  return r ? r->Text : std::string();
}

bool TConsoleHost::CollectedLinkSelected(int row) {
  const auto* r = RowAt(Results.Rows(TResultLists::kLinks), row);
  return r && r->Selected;
}

void TConsoleHost::SetCollectedLinkResult(int row, const std::string& text) {
  if (auto* r = RowAt(Results.MutableRows(TResultLists::kLinks), row)) r->TestResult = text;
}

void TConsoleHost::SetCollectedLinkSelected(int row, bool selected) {
  if (auto* r = RowAt(Results.MutableRows(TResultLists::kLinks), row)) r->Selected = selected;
}

void TConsoleHost::DeleteCollectedLink(int row) {
  auto& rows = Results.MutableRows(TResultLists::kLinks);
  if (RowAt(rows, row)) rows.erase(rows.begin() + row);
}

void TConsoleHost::CheckProgress(int done, int toCheck) {
  if (!progress_) return;
  std::fflush(out_);
  std::fprintf(err_, "\r\x1b[K%s", LinkCheckProgressText(done, toCheck).c_str());
  std::fflush(err_);
  progressShown_ = true;
}

void TConsoleHost::CheckDone() {
  ClearProgress();
  std::fflush(out_);
}

// ---- The whole console run ----------------------------------------------

namespace {
// The causes named under the results (one sentence each, whole).
const char kCauseSaveFailed[] = QT_TRANSLATE_NOOP("Cli", "原因: 方案文件不能被保存。");
const char kCauseStartPage[] = QT_TRANSLATE_NOOP("Cli", "原因: 起始页面不能被获取。");
const char kCauseNotStored[] = QT_TRANSLATE_NOOP("Cli", "原因: %d 个文件不能被写入。");
const char kCauseEntryCap[] =
    QT_TRANSLATE_NOOP("Cli", "原因: 条目数达到上限 (%d)，运行结束。可以用更大的上限继续。");
}  // namespace

int ExitCodeOf(bool interrupted, bool saveFailed, bool startPageFetched, int notStored,
               bool endedByLimit) {
  if (saveFailed) return 1;
  if (interrupted) return kExitInterrupted;
  if (endedByLimit) return kExitLimit;
  if (!startPageFetched) return kExitStartPageFailed;
  if (notStored > 0) return kExitNotStored;
  return 0;
}

std::string ExitCauseLine(int exitCode, int notStored, int maxEntries) {
  char buf[256];
  switch (exitCode) {
    case 1:
      return TrText("Cli", kCauseSaveFailed);
    case kExitStartPageFailed:
      return TrText("Cli", kCauseStartPage);
    case kExitNotStored:
      std::snprintf(buf, sizeof buf, TrText("Cli", kCauseNotStored).c_str(), notStored);
      return buf;
    case kExitLimit:
      std::snprintf(buf, sizeof buf, TrText("Cli", kCauseEntryCap).c_str(), maxEntries);
      return buf;
    default:
      return {};
  }
}

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const int saved = errno;
  const char b = 1;
  if (g_signalPipe[1] >= 0) (void)!::write(g_signalPipe[1], &b, 1);
  errno = saved;
}

// While it lives, SIGINT, SIGTERM and SIGHUP (a closed terminal or ssh
// session) call `onSignal` from the event loop of
// the creating thread (through a pipe, so the handler itself stays safe).
class TSignalStop {
 public:
  explicit TSignalStop(std::function<void()> onSignal) {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [fn = std::move(onSignal)] {
      char buf[16];
      while (::read(g_signalPipe[0], buf, sizeof buf) > 0) {
      }
      fn();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &oldInt_);
    sigaction(SIGTERM, &sa, &oldTerm_);
    sigaction(SIGHUP, &sa, &oldHup_);
    ok_ = true;
  }
  ~TSignalStop() {
    if (!ok_) return;
    if (ignoreAfter_) {
      // The run was stopped and the process is on its way out with 130: a
      // repeated Ctrl-C must not kill it between saving and exiting.
      struct sigaction ign {};
      ign.sa_handler = SIG_IGN;
      sigemptyset(&ign.sa_mask);
      sigaction(SIGINT, &ign, nullptr);
      sigaction(SIGTERM, &ign, nullptr);
      sigaction(SIGHUP, &ign, nullptr);
    } else {
      sigaction(SIGINT, &oldInt_, nullptr);
      sigaction(SIGTERM, &oldTerm_, nullptr);
      sigaction(SIGHUP, &oldHup_, nullptr);
    }
    notifier_.reset();
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
  }
  bool Ok() const { return ok_; }
  void IgnoreFromNowOn() { ignoreAfter_ = true; }

 private:
  bool ignoreAfter_ = false;
  std::unique_ptr<QSocketNotifier> notifier_;
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
  struct sigaction oldHup_ {};
  bool ok_ = false;
};

}  // namespace

bool CheckLinksFromConsole(TConsoleHost& host, const TOptions& options, bool onlySelected,
                           int resultMode, int timeoutMsForTests) {
  TLinkCheck check(host, options);
  check.TimeoutMsForTests = timeoutMsForTests;
  QEventLoop loop;
  bool ended = false;
  bool aborted = false;
  check.OnFinished = [&](bool wasAborted) {
    ended = true;
    aborted = wasAborted;
    loop.quit();
  };
  TSignalStop stopOnSignal([&] { check.Stop(); });
  if (!check.Start(onlySelected, resultMode)) return false;
  if (!ended) loop.exec();
  return !aborted;
}

bool SaveProjectAndLists(const std::string& projectFile, TOpenedProject& p,
                         const TResultLists& results) {
  // The lists go first: killed between the two saves, the project then
  // still has pending what the newer lists already hold (found again, and
  // taken as a duplicate), while the other order would lose rows for good.
  TSidecar sidecar;
  results.CopyTo(sidecar);
  const TSidecarResult s =
      SaveSidecar(SidecarPathFor(projectFile), sidecar, !p.Definition.Password.empty());
  if (!s.ok) std::fprintf(stderr, "%s\n", s.message.c_str());
  const TSaveResult r = SaveProject(projectFile, p.Definition, p.Spider, p.Redirects);
  if (!r.ok) std::fprintf(stderr, "%s\n", r.message.c_str());
  return s.ok && r.ok;
}

int RunProjectFromConsole(const TConsoleRunArgs& args, TOptions options,
                          TOpenedProject* preloaded) {
  std::unique_ptr<TOpenedProject> own;
  TOpenedProject* p = preloaded;
  if (!p) {
    own = std::make_unique<TOpenedProject>();
    p = own.get();
    TOpenResult r = OpenProject(args.ProjectFile, p->Definition, p->Spider, p->Redirects);
    if (!r.ok) {
      std::fprintf(stderr, "%s\n", r.message.c_str());
      return 1;
    }
  }
  if (args.Threads) options.MaxThreads = *args.Threads;
  if (args.MaxEntries) options.MaxEntries = *args.MaxEntries;
  options.ClampSettings();

  TConsoleHost host(stdout, stderr, args.Quiet);
  // The result lists of earlier runs, kept beside the project file.
  const std::string sidecarFile = SidecarPathFor(args.ProjectFile);
  if (!preloaded || args.LoadSidecar) {
    TSidecar sidecar;
    const TSidecarResult loaded = LoadSidecar(sidecarFile, sidecar);
    if (!loaded.ok) {
      std::fprintf(stderr, "%s\n", loaded.message.c_str());
      return 1;
    }
    host.Results.Assign(sidecar);
  }
  bool saveFailed = false;
  host.Saver = [&] {
    saveFailed = !SaveProjectAndLists(args.ProjectFile, *p, host.Results);
    return !saveFailed;
  };
  TRunControl control(host, p->Definition, p->Spider, p->Redirects, options);
  if (!args.NoSave) {
    // Checkpoints go to the project file itself: a killed run continues
    // from the last one.
    control.OnCheckpoint = [&] { host.SaveProject(); };
  }
  control.RecountTotals();
  const CrawlHost::StartChoice choice = args.Choice ? *args.Choice : control.DefaultChoice();
  host.UpdateRun = choice == CrawlHost::StartChoice::Update;

  int exitCode = 1;
  bool ran = false;
  bool interrupted = false;
  {
    // SIGINT and SIGTERM stop the run like the stop command; further signals
    // are ignored until the run has ended and the project is saved.
    TSignalStop stopOnSignal([&] { control.Stop(); });
    if (!stopOnSignal.Ok()) return 1;
    control.OnRunEnded = [&](bool wasInterrupted) {
      interrupted = wasInterrupted;
      if (wasInterrupted) stopOnSignal.IgnoreFromNowOn();
      host.PrintResultLists();
      if (!args.NoSave) host.SaveProject();
      const auto& outcome = control.LastOutcome();
      exitCode = ExitCodeOf(wasInterrupted, saveFailed, outcome.StartPageFetched, outcome.NotStored,
                            outcome.EndedByEntryCap);
      const std::string cause = ExitCauseLine(exitCode, outcome.NotStored, options.MaxEntries);
      if (!cause.empty()) std::fprintf(stdout, "%s\n", cause.c_str());
      std::fflush(stdout);
      QCoreApplication::exit(exitCode);
    };
    if (control.Start(choice)) {
      ran = true;
      QCoreApplication::exec();
    }
  }
  if (ran && args.AfterRun) {
    const int after = args.AfterRun(host, options, interrupted);
    if (after != 0 && exitCode == 0) exitCode = after;
    // A check changed the collected links (results, selection, deletions).
    if (!args.NoSave) {
      TSidecar sidecar;
      host.Results.CopyTo(sidecar);
      const TSidecarResult s = SaveSidecar(sidecarFile, sidecar, !p->Definition.Password.empty());
      if (!s.ok) {
        std::fprintf(stderr, "%s\n", s.message.c_str());
        if (exitCode == 0) exitCode = 1;
      }
    }
  }
  return exitCode;
}

}  // namespace trawlonix
