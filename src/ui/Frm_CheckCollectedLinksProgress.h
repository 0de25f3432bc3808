// The modal window that runs while the collected links are checked: a label,
// a progress bar and a cancel button (also Escape); no title-bar buttons.
// Besides the window itself it carries the check's user-interface steps: the
// status-bar progress text, the cancel request, and the end of the check with
// its completion box. The check itself belongs to the crawl engine
// (engine/LinkCheck.h); the caller connects it through TLinkCheckHooks and
// reports each finished row with CheckProgress() and the end with
// CheckFinished():
//
//   TLinkCheck check(host, options);            // host: the window's CrawlHost
//   hooks.Start = [&] { check.Start(onlySelected, resultMode); };
//   hooks.Abort = [&] { check.AbortAll(); };
//   hooks.Log   = [&](const std::string& s) { host.AppendLog(s); };
//   progress->Run(check.CountToCheck(onlySelected), statusBar, hooks);
//   // host.CheckProgress(done, toCheck) -> progress->CheckProgress(done, toCheck)
//   // host.CheckDone()                  -> progress->CheckFinished()
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace trawlonix {

namespace ui {
class TxStatusBar;
}

// What the window needs from the main window and the engine.
struct TLinkCheckHooks {
  // Starts the engine's check; called once the window's modal loop runs, so
  // the check's events are handled behind the window.
  std::function<void()> Start;
  // The engine's AbortAll: aborted checks report nothing, the engine ends
  // without starting more and then reports its end (CheckFinished).
  std::function<void()> Abort;
  // A line for the log box.
  std::function<void(const std::string&)> Log;
};

class TCheckCollectedLinksProgress : public QDialog {
 public:
  explicit TCheckCollectedLinksProgress(QWidget* parent = nullptr);

  // Runs a check of `toCheck` rows: the status bar (may be null) shows an
  // empty simple text, the bar goes from 0 to `toCheck`, the cancel button
  // requests the abort, and the window is shown modally until CheckFinished().
  void Run(int toCheck, ui::TxStatusBar* statusBar, TLinkCheckHooks hooks);

  // One row was checked: the bar steps by one and the status bar says
  // "%d 个链接（总共 %d 个需要检查）已经处理完了。".
  void CheckStepped();
  // The same with the engine's count: `done` rows of `toCheck`.
  void CheckProgress(int done, int toCheck);
  // The check ended (by completion or after the abort): logs the
  // interruption when the user cancelled, returns the status bar to its
  // panels, closes the window and shows "所有链接的检查已经完成。".
  void CheckFinished();

  // The cancel request: once only, logs "正在中断过程..." and calls Abort.
  void StopLinkCheck();
  bool AbortRequested() const { return abortRequested_; }
  bool Active() const { return active_; }

  // The window's own parts: the cancel button calls the callback when one is set.
  void SetCancelCallback(std::function<void()> callback) { cancel_ = std::move(callback); }
  void CancelButtonClick();

  static QString ProgressText(int done, int toCheck);

  QLabel* Label = nullptr;
  QProgressBar* PB = nullptr;
  QPushButton* Button_Cancel = nullptr;

  // Escape cancels the check instead of closing the window.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::function<void()> cancel_;
  TLinkCheckHooks hooks_;
  ui::TxStatusBar* statusBar_ = nullptr;
  int toCheck_ = 0;
  bool abortRequested_ = false;
  bool active_ = false;
};

}  // namespace trawlonix
