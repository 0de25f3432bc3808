// The program's main window: owns the open project (record, spider list,
// redirect list, result lists), shows it (directory and link trees, three
// result lists, log box, status bar) and carries the project commands. It is
// the crawl host of its runs: the engine's run control drives a crawl, the
// window supplies the views.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "engine/CrawlHost.h"
#include "engine/ResultLists.h"
#include "model/SpiderList.h"
#include "model/tx_types.h"
#include "polite/ProjectChoices.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QTabWidget;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

namespace trawlonix {

class TCheckColLinksDlg;
class TCheckCollectedLinksProgress;
class TContinueDlg;
class TExportDlg;
class TInfoForm;
class TNewSpiderDlg;
class TOptionsDlg;
class TResultsDlg;
class TRunControl;
class TSplashDlg;
class TTXDPropertyDlg;
namespace ui {
class TxStatusBar;
}

// Item data roles of the tree items.
inline constexpr int kKeyRole = Qt::UserRole;          // byte text the ordering compares
inline constexpr int kIconRole = Qt::UserRole + 1;     // image-list index
inline constexpr int kSelIconRole = Qt::UserRole + 2;  // selected image-list index

class TTrawlonixMainForm : public QMainWindow, public CrawlHost {
  Q_OBJECT
 public:
  // `commandLineProject`: the first command-line parameter (trimmed here); it
  // is opened at the first activation when it names an existing file.
  explicit TTrawlonixMainForm(const QString& commandLineProject = {}, QWidget* parent = nullptr);
  ~TTrawlonixMainForm() override;

  // ---- Project state ----
  TrawlonixDefinition Definition;
  TSpiderList SpiderList;
  TCGIRedirectList RedirectList;
  TResultLists Results;
  // The crawl choices (robots.txt, pacing, patterns, sizes), set by the
  // wizard and the properties dialog. SetChoices also writes them into the
  // sidecar's extras (Results.Extras), where the run and the save take them.
  TProjectChoices Choices;
  void SetChoices(const TProjectChoices& choices);
  bool Loaded = false;
  bool ShowLinkStructure = false;
  bool Modified() const { return Definition.Modified; }
  bool Running() const { return running_; }
  QString ProjectFile() const { return projectFile_; }
  TRunControl& RunControl() { return *run_; }

  // ---- Windows created at start-up (in this order) ----
  TNewSpiderDlg* NewSpiderDlg;
  TOptionsDlg* OptionsDlg;
  TTXDPropertyDlg* PropDlg;
  TResultsDlg* ResultsDlg;
  TContinueDlg* ContinueDlg;
  TSplashDlg* SplashDlg;
  TInfoForm* InfoForm;
  TCheckColLinksDlg* CheckColLinksDlg;
  TCheckCollectedLinksProgress* CheckProgressWin;
  TExportDlg* ExportDlg;

  // ---- Views ----
  QTreeWidget* DirTree;
  QTreeWidget* LinkTree;
  QTreeWidget* LV_CollectedLinks;
  QTreeWidget* LV_CollectedEMails;
  QTreeWidget* LV_BrokenLinks;
  QListWidget* LogBox;
  ui::TxStatusBar* Status;
  QToolBar* ToolBar;
  QTabWidget* TreePages;
  QTabWidget* ListPages;
  QTreeWidget* ListView(int list) const;  // 0 links, 1 e-mail, 2 broken

  // ---- Start-up ----
  // Loads the settings, counts the start (help topic 10000 on the first),
  // shows the splash window, applies the link-structure setting and opens
  // the command-line project. Runs once; the first show calls it unless
  // AutoActivate is false.
  void FirstActivation();
  bool AutoActivate = true;
  bool ShowSplashAtStart = true;

  // ---- Commands (one function each) ----
  void UpdateCommands();
  // Command ids: "New", "Open", "Save", "Prop", "Start", "Stop", "Status",
  // "Browser", "Settings", "Quit", "Check", "Export0".."Export2",
  // "Delete0".."Delete2", "Clear0".."Clear2", "Help", "About".
  bool CommandEnabled(const QString& id) const;
  QAction* Command(const QString& id) const;      // the menu action (toolbar for "Browser")
  QAction* ToolCommand(const QString& id) const;  // the toolbar action, or nullptr

  // Offers to save a changed project, then runs the new-project wizard and
  // adopts its record.
  void NewProject();
  // The properties dialog on the open project's record; OK marks it changed.
  void ProjectProperties();
  // The export wizard for list 0 (links), 1 (e-mail) or 2 (broken) with
  // that list view's rows.
  void ExportList(int list);
  // The check of the collected links: its options, then the check behind
  // the modal progress window. The window counts as running meanwhile.
  void CheckCollectedLinks();
  bool Checking() const { return checking_; }
  // What New does once the wizard closed with OK: adopt its record and choices.
  void AdoptNewProject(const TrawlonixDefinition& wizard, const TProjectChoices& choices = {});
  void OpenProject();
  void OpenProjectFile(const QString& fileName);
  bool SaveProject() override;
  void StartProject();
  void StopProject();
  void ShowStatusWindow();
  void ShowInBrowser();
  void ShowSettings();
  void DeleteSelected(int list);
  void ClearList(int list);
  void ShowHelpIndex();
  void ShowAbout();

  // ---- Views of the project ----
  void RebuildTrees();
  void ApplyLinkStructureSetting(bool previous);
  void ShowCounters();
  // How the browser command opens the stored start page; false when no
  // program could open it. Unset: the desktop's opener.
  std::function<bool(const QUrl&)> OpenInBrowser;
  // The local file the browser command opens, or empty when the name is refused.
  std::string StartPageFile();

  // ---- CrawlHost ----
  void AppendLog(const std::string& line) override;
  void CountersChanged(const TCounters& delta, const TCounters& totals) override;
  TItemHandle AddDirItem(const TURL& url) override;
  void MarkDirItemLoaded(TItemHandle item) override;
  TItemHandle AddLinkItem(TItemHandle parent, const std::string& text) override;
  void SetLinkItemIcon(TItemHandle item, int icon) override;
  void BeginTreeUpdate() override;
  void EndTreeUpdate() override;
  void ExpandDirTree() override;
  bool OfferCollectedLink(const std::string& url, const std::string& firstOccurrence) override;
  bool OfferEMail(const std::string& address, const std::string& firstOccurrence) override;
  bool OfferBrokenLink(const std::string& url, const std::string& errorText,
                       const std::string& firstOccurrence) override;
  void SetLastRowReference(const std::string& text) override;
  void SetSlotUrl(int slot, const std::string& url) override;
  void SetSlotInfo(int slot, const std::string& info) override;
  void SetSlotProgress(int slot, int position) override;
  StartChoice AskStartChoice(bool canContinue) override;
  void ClearLog() override;
  void ClearTrees() override;
  void SetSlotCount(int count) override;
  void RunStateChanged(bool running) override;
  void ShowResults(const std::string& status, const TCounters& totals) override;
  bool AskSaveAfterInterrupt() override;
  // The check of the collected links works on LV_CollectedLinks (and the
  // matching rows of Results): URL, selection, "测试结果", deletion.
  int CollectedLinkCount() override;
  std::string CollectedLinkUrl(int row) override;
  bool CollectedLinkSelected(int row) override;
  void SetCollectedLinkResult(int row, const std::string& text) override;
  void SetCollectedLinkSelected(int row, bool selected) override;
  void DeleteCollectedLink(int row) override;
  void CheckProgress(int done, int toCheck) override;
  void CheckDone() override;

  // Applies what a running crawl changed in the log box, the status bar and
  // the slot status window. During a run those views are refreshed from a
  // timer, a few times a second, instead of once per batch of the worker.
  void RefreshViews();
  static constexpr int kViewRefreshMs = 100;

  // Tree items by handle (nullptr for an unknown handle).
  QTreeWidgetItem* DirItem(TItemHandle handle) const;
  QTreeWidgetItem* LinkItem(TItemHandle handle) const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBar();
  void BuildViews();
  QAction* AddCommand(QMenu* menu, const QString& id, const QString& text,
                      std::function<void()> fn);
  void SetCommandEnabled(const QString& id, bool enabled);
  void SetLinkTreeEnabled(bool enabled);
  bool AskSaveChanges();  // false: the user cancelled
  void ResetProjectViews();
  QString AskProjectFile(bool save);
  void RestorePlacement();
  void SavePlacement();
  void AddResultRow(int list, const QStringList& columns);
  // The result lists beside the project file (MainProject.cpp).
  bool LoadResultLists(const std::string& projectFile);
  bool SaveResultLists(const std::string& projectFile);
  void ShowResultLists();
  // Checkpoints of a running crawl go to the recovery file beside the
  // project; the user's own file is written only when they save.
  void InstallCheckpoints();
  void SaveRecoveryCheckpoint();
  bool OfferRecovery(const QString& fileName);
  QString projectFile_;  // opened from or last saved to; empty for a new project
  TItemHandle Remember(std::vector<QTreeWidgetItem*>& items, QTreeWidgetItem* item);

  void ScheduleRefresh();
  void HoldTrees();
  void ReleaseTrees();
  bool treesHeld_ = false;

  std::unique_ptr<TRunControl> run_;
  QTimer* viewTimer_ = nullptr;
  std::vector<QString> pendingLog_;
  bool countersDirty_ = false;
  struct SlotView {
    QString url, info;
    int progress = 0;
    bool dirty = false;
  };
  std::vector<SlotView> slotViews_;
  bool running_ = false;
  bool runChanged_ = false;  // the active run changed the spider or result lists
  bool checking_ = false;
  bool activated_ = false;
  int treeUpdateDepth_ = 0;
  QString commandLineProject_;
  QHash<QString, QAction*> commands_;
  QHash<QString, QAction*> toolCommands_;
  std::vector<QTreeWidgetItem*> dirItems_;   // handle - 1 -> item
  std::vector<QTreeWidgetItem*> linkItems_;  // handle - 1 -> item
  QLabel* linkTreeNote_ = nullptr;           // "switched off" line in the empty link tree
  Qt::ToolBarArea toolBarArea_ = Qt::TopToolBarArea;
};

}  // namespace trawlonix
