// The main window as the crawl host: the directory tree with its ordering
// rules, the link tree, the result lists, the log box, the status bar and
// the slot status window, fed by the engine's batches on the UI thread.
#include <QListWidget>
#include <QTimer>
#include <QTreeWidget>

#include "engine/RunControl.h"
#include "model/SpiderTools.h"
#include "settings/Language.h"
#include "ui/Dlg_Continue.h"
#include "ui/Dlg_Options.h"
#include "ui/Dlg_Results.h"
#include "ui/Frm_Info.h"
#include "ui/Frm_TrawlonixMain.h"
#include "ui/TxIcons.h"
#include "ui/TxMessages.h"
#include "ui/TxStatusBar.h"

namespace trawlonix {

using ui::Q;

namespace {

QByteArray Bytes(std::string_view s) {
  return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

QByteArray KeyOf(const QTreeWidgetItem* item) {
  return item->data(0, kKeyRole).toByteArray();
}

void SetIcons(QTreeWidgetItem* item, int icon, int selected) {
  item->setData(0, kIconRole, icon);
  item->setData(0, kSelIconRole, selected);
  item->setIcon(0, ui::TreeIcon(icon, selected));
}

QTreeWidgetItem* NewItem(const QByteArray& key, int icon, int selected) {
  auto* item = new QTreeWidgetItem;
  item->setData(0, kKeyRole, key);
  item->setText(0, QString::fromUtf8(key));
  SetIcons(item, icon, selected);
  return item;
}

// Children are kept in byte order, so the first child whose key is not less
// than `key` is found by bisection. Returns that position (count when none).
int LowerBound(QTreeWidget* tree, QTreeWidgetItem* parent, const QByteArray& key) {
  int lo = 0;
  int hi = parent ? parent->childCount() : tree->topLevelItemCount();
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    const QTreeWidgetItem* c = parent ? parent->child(mid) : tree->topLevelItem(mid);
    if (KeyOf(c) < key)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

// The child with `key`, or a new one inserted before the first greater child.
QTreeWidgetItem* FindOrInsert(QTreeWidget* tree, QTreeWidgetItem* parent, const QByteArray& key,
                              int icon, int selected) {
  const int pos = LowerBound(tree, parent, key);
  const int count = parent ? parent->childCount() : tree->topLevelItemCount();
  if (pos < count) {
    QTreeWidgetItem* c = parent ? parent->child(pos) : tree->topLevelItem(pos);
    if (KeyOf(c) == key) return c;
  }
  QTreeWidgetItem* item = NewItem(key, icon, selected);
  if (parent)
    parent->insertChild(pos, item);
  else
    tree->insertTopLevelItem(pos, item);
  return item;
}

}  // namespace

TItemHandle TTrawlonixMainForm::Remember(std::vector<QTreeWidgetItem*>& items,
                                         QTreeWidgetItem* item) {
  items.push_back(item);
  return static_cast<TItemHandle>(items.size());
}

QTreeWidgetItem* TTrawlonixMainForm::DirItem(TItemHandle h) const {
  if (h < 1 || h > static_cast<TItemHandle>(dirItems_.size())) return nullptr;
  return dirItems_[static_cast<std::size_t>(h - 1)];
}

QTreeWidgetItem* TTrawlonixMainForm::LinkItem(TItemHandle h) const {
  if (h < 1 || h > static_cast<TItemHandle>(linkItems_.size())) return nullptr;
  return linkItems_[static_cast<std::size_t>(h - 1)];
}

TItemHandle TTrawlonixMainForm::AddDirItem(const TURL& url) {
  if (running_) HoldTrees();
  QTreeWidgetItem* node = FindOrInsert(DirTree, nullptr, Bytes(url.Host), 0, 0);
  std::string path = url.Path.empty() ? std::string() : url.Path.substr(1);
  if (path.empty() || path.back() != '/') path += '/';
  std::size_t start = 0;
  while (start < path.size()) {
    const std::size_t slash = path.find('/', start);
    const std::string_view segment =
        TrimBlanks(std::string_view(path).substr(start, slash - start));
    start = slash + 1;
    if (segment.empty()) continue;
    node = FindOrInsert(DirTree, node, " " + Bytes(segment), 1, 2);
  }
  const std::string& file = url.FileName.empty() ? OptionsDlg->Options.IndexFileName : url.FileName;
  const int icon = FileTypeOf(url, &OptionsDlg->Options.HTMLRecList);
  QTreeWidgetItem* item = FindOrInsert(DirTree, node, Bytes(file), icon, icon);
  return Remember(dirItems_, item);
}

void TTrawlonixMainForm::MarkDirItemLoaded(TItemHandle handle) {
  QTreeWidgetItem* item = DirItem(handle);
  if (!item) return;
  if (running_) HoldTrees();
  const int icon = item->data(0, kIconRole).toInt();
  if (icon >= 3 && icon <= 15 && icon % 2 == 1) SetIcons(item, icon + 1, icon + 1);
}

TItemHandle TTrawlonixMainForm::AddLinkItem(TItemHandle parent, const std::string& text) {
  if (running_) HoldTrees();
  auto* item = new QTreeWidgetItem;
  item->setData(0, kKeyRole, Bytes(text));
  item->setText(0, Q(text));
  if (QTreeWidgetItem* p = LinkItem(parent)) {
    p->addChild(item);
    p->setExpanded(true);
  } else {
    LinkTree->addTopLevelItem(item);
  }
  return Remember(linkItems_, item);
}

void TTrawlonixMainForm::SetLinkItemIcon(TItemHandle handle, int icon) {
  if (QTreeWidgetItem* item = LinkItem(handle)) SetIcons(item, icon, icon);
}

void TTrawlonixMainForm::HoldTrees() {
  // While a crawl runs, the trees are drawn by the refresh timer only: a
  // batch of the worker touches them many times a second.
  if (!treesHeld_) {
    treesHeld_ = true;
    DirTree->setUpdatesEnabled(false);
    LinkTree->setUpdatesEnabled(false);
  }
  ScheduleRefresh();
}

void TTrawlonixMainForm::ReleaseTrees() {
  if (!treesHeld_ || treeUpdateDepth_ > 0) return;
  treesHeld_ = false;
  for (QTreeWidget* tree : {DirTree, LinkTree}) {
    tree->setUpdatesEnabled(true);
    if (tree->isVisible()) tree->viewport()->repaint();
  }
}

void TTrawlonixMainForm::BeginTreeUpdate() {
  if (running_) {
    ++treeUpdateDepth_;
    HoldTrees();
    return;
  }
  if (treeUpdateDepth_++ == 0) {
    DirTree->setUpdatesEnabled(false);
    LinkTree->setUpdatesEnabled(false);
  }
}

void TTrawlonixMainForm::EndTreeUpdate() {
  if (treeUpdateDepth_ == 0) return;
  if (--treeUpdateDepth_ == 0 && !treesHeld_) {
    DirTree->setUpdatesEnabled(true);
    LinkTree->setUpdatesEnabled(true);
  }
}

void TTrawlonixMainForm::ExpandDirTree() {
  if (running_) HoldTrees();
  DirTree->expandAll();
}

void TTrawlonixMainForm::ClearTrees() {
  DirTree->clear();
  LinkTree->clear();
  dirItems_.clear();
  linkItems_.clear();
}

void TTrawlonixMainForm::AddResultRow(int list, const QStringList& columns) {
  auto* item = new QTreeWidgetItem(columns);
  ListView(list)->addTopLevelItem(item);
}

bool TTrawlonixMainForm::OfferCollectedLink(const std::string& url,
                                            const std::string& firstOccurrence) {
  const auto row = Results.OfferCollectedLink(url, firstOccurrence);
  if (!row) return false;
  runChanged_ = true;
  const TResultRow& r = Results.Rows(TResultLists::kLinks)[*row];
  AddResultRow(0,
               {Q(r.Text), Q(r.Reference), Q(r.FirstOccurrence), Q(ShownTestResult(r.TestResult))});
  return true;
}

bool TTrawlonixMainForm::OfferEMail(const std::string& address,
                                    const std::string& firstOccurrence) {
  const auto row = Results.OfferEMail(address, firstOccurrence);
  if (!row) return false;
  runChanged_ = true;
  const TResultRow& r = Results.Rows(TResultLists::kEMails)[*row];
  AddResultRow(1, {Q(r.Text), Q(r.Reference), Q(r.FirstOccurrence)});
  return true;
}

bool TTrawlonixMainForm::OfferBrokenLink(const std::string& url, const std::string& errorText,
                                         const std::string& firstOccurrence) {
  const auto row = Results.OfferBrokenLink(url, errorText, firstOccurrence);
  if (!row) return false;
  runChanged_ = true;
  AddResultRow(2, {Q(url), Q(errorText), Q(firstOccurrence)});
  return true;
}

void TTrawlonixMainForm::SetLastRowReference(const std::string& text) {
  for (const auto& ref : Results.SetLastRowReference(text)) {
    if (QTreeWidgetItem* item = ListView(ref.list)->topLevelItem(static_cast<int>(ref.row)))
      item->setText(1, Q(text));
  }
}

void TTrawlonixMainForm::ScheduleRefresh() {
  if (!viewTimer_->isActive()) viewTimer_->start();
}

void TTrawlonixMainForm::AppendLog(const std::string& line) {
  pendingLog_.push_back(Q(line));
  // Only the last LogLines lines can ever be shown.
  const std::size_t max = static_cast<std::size_t>(std::max(OptionsDlg->Options.LogLines, 1));
  if (pendingLog_.size() > 2 * max)
    pendingLog_.erase(pendingLog_.begin(), pendingLog_.end() - static_cast<std::ptrdiff_t>(max));
  if (running_)
    ScheduleRefresh();
  else
    RefreshViews();
}

void TTrawlonixMainForm::ClearLog() {
  pendingLog_.clear();
  LogBox->clear();
}

void TTrawlonixMainForm::CountersChanged(const TCounters& delta, const TCounters&) {
  countersDirty_ = true;
  // Queued, fetched or checked entries are changes of the spider list.
  if (running_ && !delta.IsZero()) runChanged_ = true;
  if (running_)
    ScheduleRefresh();
  else
    RefreshViews();
}

void TTrawlonixMainForm::SetSlotUrl(int slot, const std::string& url) {
  if (slot < 0 || slot >= static_cast<int>(slotViews_.size())) return;
  SlotView& v = slotViews_[static_cast<std::size_t>(slot)];
  v.url = Q(url);
  v.dirty = true;
  ScheduleRefresh();
}

void TTrawlonixMainForm::SetSlotInfo(int slot, const std::string& info) {
  if (slot < 0 || slot >= static_cast<int>(slotViews_.size())) return;
  SlotView& v = slotViews_[static_cast<std::size_t>(slot)];
  v.info = Q(info);
  v.dirty = true;
  ScheduleRefresh();
}

void TTrawlonixMainForm::SetSlotProgress(int slot, int position) {
  if (slot < 0 || slot >= static_cast<int>(slotViews_.size())) return;
  SlotView& v = slotViews_[static_cast<std::size_t>(slot)];
  v.progress = position;
  v.dirty = true;
  ScheduleRefresh();
}

void TTrawlonixMainForm::RefreshViews() {
  viewTimer_->stop();
  ReleaseTrees();
  if (!pendingLog_.empty()) {
    const int max = std::max(OptionsDlg->Options.LogLines, 1);
    const int fresh = static_cast<int>(std::min<std::size_t>(pendingLog_.size(), max));
    QStringList lines;
    lines.reserve(fresh);
    for (std::size_t i = pendingLog_.size() - static_cast<std::size_t>(fresh);
         i < pendingLog_.size(); ++i)
      lines << pendingLog_[i];
    pendingLog_.clear();
    LogBox->setUpdatesEnabled(false);
    // The oldest lines go first, so that the box never holds more than max.
    int drop = LogBox->count() + fresh - max;
    if (drop >= LogBox->count()) {
      LogBox->clear();
    } else {
      while (drop-- > 0)
        delete LogBox->takeItem(0);
    }
    LogBox->addItems(lines);
    LogBox->setCurrentRow(LogBox->count() - 1);
    LogBox->scrollToBottom();
    LogBox->setUpdatesEnabled(true);
  }
  if (countersDirty_) {
    countersDirty_ = false;
    ShowCounters();
  }
  for (std::size_t i = 0; i < slotViews_.size(); ++i) {
    SlotView& v = slotViews_[i];
    if (!v.dirty) continue;
    v.dirty = false;
    const int slot = static_cast<int>(i);
    InfoForm->SetSlotUrl(slot, v.url);
    InfoForm->SetSlotInfo(slot, v.info);
    InfoForm->SetSlotProgress(slot, v.progress);
  }
}

void TTrawlonixMainForm::SetSlotCount(int count) {
  RefreshViews();
  slotViews_.assign(static_cast<std::size_t>(std::max(count, 0)), SlotView{});
  InfoForm->SetSlotCount(count);
}

CrawlHost::StartChoice TTrawlonixMainForm::AskStartChoice(bool canContinue) {
  return ContinueDlg->Ask(canContinue);
}

void TTrawlonixMainForm::RunStateChanged(bool running) {
  running_ = running;
  // A run that changed the crawl state leaves a project to save: closing and
  // opening another then ask, and the save question after a stop has
  // something to keep.
  if (running)
    runChanged_ = false;
  else if (runChanged_)
    Definition.Modified = true;
  if (!running) RefreshViews();
  UpdateCommands();
  if (!running) {
    DirTree->viewport()->update();
    LinkTree->viewport()->update();
  }
  ShowCounters();
}

void TTrawlonixMainForm::ShowResults(const std::string& status, const TCounters& totals) {
  ResultsDlg->SetResults(Q(status), totals);
  ResultsDlg->exec();
}

bool TTrawlonixMainForm::AskSaveAfterInterrupt() {
  return ui::ConfirmYesNo(
      this, qtr("MainWindow",
                "在执行过程中您中断了方案。为了在下次使用时能够再继续该过程，您必须再次保存方案，"
                "只有这样，有关哪些文档已经下载了的信息才能够被保存。\r您想要现在保存吗？"));
}

}  // namespace trawlonix
