// TLinkCheck: checks the collected links of a host with HEAD requests, the
// way the desktop window's "检查" command and trawlonix-cli do it. Each row's
// "测试结果" becomes "通过" or "坏的: <status> <reason>", and the result mode
// then marks or deletes good or bad rows.
//
// Lives in the host's thread and must be used there; that thread needs a
// running event loop (the desktop's modal progress window, or the command
// line's QCoreApplication / QEventLoop): the check's fetch slots are its own,
// and all their events run on that thread. No other thread is involved.
//
// Use from the desktop:
//   TLinkCheck check(host, options);
//   const int toCheck = check.CountToCheck(onlySelected);
//   progress window Run(toCheck, ..., hooks{Start: check.Start(onlySelected, mode),
//                                           Abort: check.AbortAll()});
//   host.CheckProgress(done, toCheck) steps the bar; host.CheckDone() ends it.
#pragma once

#include <QObject>
#include <array>
#include <functional>
#include <string>

#include "base/Translate.h"
#include "engine/CrawlHost.h"
#include "engine/SlotRequest.h"
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
inline constexpr const char* kNotAWebAddress = QT_TRANSLATE_NOOP("LinkCheck", "未检查: 不是网址");

// "%d 个链接（总共 %d 个需要检查）已经处理完了。"
std::string LinkCheckProgressText(int done, int toCheck);

class TLinkCheck : public QObject {
 public:
  TLinkCheck(CrawlHost& host, const TOptions& options);
  // A running check is cancelled; its slots are aborted and freed at once
  // and no end is reported any more.
  ~TLinkCheck() override;

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

  bool Running() const { return running_; }
  bool AbortRequested() const { return aborted_; }
  // Rows checked so far (of the running or last check) and rows to check.
  int Done() const { return checked_; }
  int ToCheck() const { return toCheck_; }

  // Called after host.CheckDone(); `aborted` tells whether it was cancelled.
  std::function<void(bool aborted)> OnFinished;

  // Tests shorten the inactivity limit below a second.
  int TimeoutMsForTests = 0;

 private:
  // Fills the idle slots with rows taken from the end of the list.
  void StartChecks();
  void StartCheck(int slot, int row);
  // A slot's fetch object reported.
  void CheckDone(int slot, bool success);
  // Marks or deletes the row of a finished check by the result mode.
  void ApplyResult(int slot, int row, bool good);
  // The row of a finished check was deleted: the checks in flight follow.
  void ShiftListIDs(int slot, int row);
  bool AnySlotBusy() const;
  // No more checks: the end is reported from the event loop, outside the
  // fetch object's report that may have led here.
  void FinishCheck();
  void Ended();
  // Detaches, aborts and deletes every slot.
  void DeleteSlots();

  CrawlHost& host_;
  const TOptions& options_;
  std::array<THTTPObject*, kMaxSlots> fetchers_{};
  std::array<TSlotState, kMaxSlots> slotStates_{};
  bool onlySelected_ = false;
  int resultMode_ = lcm_FillOnly;
  int remaining_ = 0;  // rows not yet taken, counted from the start of the list
  int checked_ = 0;    // checks that reported
  int toCheck_ = 0;
  bool running_ = false;
  bool finishing_ = false;
  bool aborted_ = false;
  bool stopRequested_ = false;
};

}  // namespace trawlonix
