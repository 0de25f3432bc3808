// TLinkCheck: checks the collected links of a host with HEAD requests, the
// way the desktop window's "检查" command and trawlonix-cli do it. Each row's
// "测试结果" becomes "通过" or "坏的: <status> <reason>", and the result mode
// then marks or deletes good or bad rows.
//
// Lives in the host's thread and must be used there; that thread needs a
// running event loop (the desktop's modal progress window, or the command
// line's QCoreApplication / QEventLoop), since the check's fetches and all
// their events run on it. The crawl worker runs in check mode behind it.
//
// Use from the desktop:
//   TLinkCheck check(host, options);
//   const int toCheck = check.CountToCheck(onlySelected);
//   progress window Run(toCheck, ..., hooks{Start: check.Start(onlySelected, mode),
//                                           Abort: check.AbortAll()});
//   host.CheckProgress(done, toCheck) steps the bar; host.CheckDone() ends it.
#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "engine/CrawlHost.h"
#include "engine/TrawlonixThread.h"
#include "settings/Settings.h"

namespace trawlonix {

// The result modes, in the order of the options dialog's choice.
enum TLinkCheckMode {
  lcm_FillOnly = 0,    // "只添加结果列"
  lcm_MarkGood = 1,    // "标出正确的链接": good rows selected, bad ones deselected
  lcm_DeleteGood = 2,  // "从列表中删除正确的链接"
  lcm_MarkBad = 3,     // "标出无效的链接": bad rows selected, good ones deselected
  lcm_DeleteBad = 4,   // "从列表中删除无效的链接"
};

// The result of a row whose address is not http or https (never requested).
inline constexpr const char* kNotAWebAddress = "未检查: 不是网址";

// "%d 个链接（总共 %d 个需要检查）已经处理完了。"
std::string LinkCheckProgressText(int done, int toCheck);

class TLinkCheck : public QObject, public TCrawlSink {
 public:
  TLinkCheck(CrawlHost& host, const TOptions& options);
  ~TLinkCheck() override;  // cancels a running check and waits for its end

  // The rows a check would cover: all rows, or the selected ones.
  int CountToCheck(bool onlySelected) const;

  // Starts a check of the host's collected links. False when a check is
  // running or `resultMode` is not 0 to 4. The end is always reported later,
  // never inside this call: host.CheckDone(), then OnFinished.
  bool Start(bool onlySelected, int resultMode);

  // Cancels: the checks in flight are aborted and report nothing (their rows
  // keep their text), no more are started, then the end is reported. No log
  // lines (the desktop's progress window writes its own).
  void AbortAll();
  // The cancel command with its log lines: "正在中断过程..." once, and
  // "所有过程被中断" when the check has ended.
  void Stop();

  bool Running() const { return worker_ != nullptr; }
  bool AbortRequested() const { return aborted_; }
  // Rows checked so far (of the running or last check) and rows to check.
  int Done() const;
  int ToCheck() const { return toCheck_; }

  // Called after host.CheckDone(); `aborted` tells whether it was cancelled.
  std::function<void(bool aborted)> OnFinished;

  // Tests shorten the inactivity limit below a second.
  int TimeoutMsForTests = 0;

  // TCrawlSink (host's thread).
  QObject* Context() override { return this; }
  void ExecuteBatch(HostBatch&) override {}
  void CrawlDone() override {}
  void CheckDone() override {}

 private:
  void Ended();

  CrawlHost& host_;
  const TOptions& options_;
  TTrawlonixThread* worker_ = nullptr;
  int toCheck_ = 0;
  int done_ = 0;
  bool aborted_ = false;
  bool stopRequested_ = false;
};

}  // namespace trawlonix
