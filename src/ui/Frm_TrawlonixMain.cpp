#include "ui/Frm_TrawlonixMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "engine/RunControl.h"
#include "platform/SettingsStore.h"
#include "polite/ProjectChoices.h"
#include "settings/Language.h"
#include "ui/BrowserIcon.h"
#include "ui/Dlg_CheckColLinks.h"
#include "ui/Dlg_Continue.h"
#include "ui/Dlg_Export.h"
#include "ui/Dlg_NewSpider.h"
#include "ui/Dlg_Options.h"
#include "ui/Dlg_Results.h"
#include "ui/Dlg_Splash.h"
#include "ui/Dlg_TXDProperty.h"
#include "ui/Frm_CheckCollectedLinksProgress.h"
#include "ui/Frm_Info.h"
#include "ui/TxHelp.h"
#include "ui/TxIcons.h"
#include "ui/TxMessages.h"
#include "ui/TxStatusBar.h"

namespace trawlonix {

using ui::Q;
using ui::S;

namespace {

QTreeWidget* MakeReportList(const QStringList& columns) {
  auto* lv = new QTreeWidget;
  lv->setColumnCount(static_cast<int>(columns.size()));
  lv->setHeaderLabels(columns);
  lv->setRootIsDecorated(false);
  lv->setUniformRowHeights(true);
  lv->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lv->setAllColumnsShowFocus(true);
  for (int i = 0; i < columns.size(); ++i)
    lv->header()->resizeSection(i, 200);
  lv->header()->setStretchLastSection(false);
  return lv;
}

// Shown in the empty link tree while the link structure is switched off.
QString LinkTreeOffNote() {
  return qtr("MainWindow", "链接结构已关闭，可以在“文件 → 设置 → 记录日志”中打开。");
}

QTreeWidget* MakeTree() {
  auto* tv = new QTreeWidget;
  tv->setHeaderHidden(true);
  tv->setUniformRowHeights(true);
  tv->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tv->setIconSize(QSize(16, 16));
  return tv;
}

}  // namespace

TTrawlonixMainForm::TTrawlonixMainForm(const QString& commandLineProject, QWidget* parent)
    : QMainWindow(parent) {
  setObjectName(QStringLiteral("TTrawlonixMainForm"));
  setWindowTitle(QStringLiteral("Morvek Trawlonix"));
  setWindowIcon(ui::AppIcon());
  resize(696, 483);

  // The windows of the program, created once, in start-up order; the
  // wizard learns the settings (its default local path) once they exist.
  NewSpiderDlg = new TNewSpiderDlg(nullptr, this);
  OptionsDlg = new TOptionsDlg(this);
  NewSpiderDlg->SetOptions(&OptionsDlg->Options);
  PropDlg = new TTXDPropertyDlg(this);
  ResultsDlg = new TResultsDlg(this);
  ContinueDlg = new TContinueDlg(this);
  SplashDlg = new TSplashDlg(this);
  InfoForm = new TInfoForm(this);
  CheckColLinksDlg = new TCheckColLinksDlg(this);
  CheckProgressWin = new TCheckCollectedLinksProgress(this);
  ExportDlg = new TExportDlg(this);

  viewTimer_ = new QTimer(this);
  viewTimer_->setSingleShot(true);
  viewTimer_->setInterval(kViewRefreshMs);
  connect(viewTimer_, &QTimer::timeout, this, [this] { RefreshViews(); });

  BuildViews();
  SetLinkTreeEnabled(ShowLinkStructure);
  BuildMenus();
  BuildToolBar();

  ResetDefinition(Definition);
  Definition.Modified = false;
  run_ = std::make_unique<TRunControl>(*this, Definition, SpiderList, RedirectList,
                                       OptionsDlg->Options);
  run_->OnRunEnded = [this](bool) {
    UpdateCommands();
    DirTree->viewport()->update();
    LinkTree->viewport()->update();
  };
  UpdateCommands();
  ShowCounters();
  RestorePlacement();

  const QString trimmed = commandLineProject.trimmed();
  if (!trimmed.isEmpty() && QFileInfo(trimmed).isFile()) commandLineProject_ = trimmed;
}

TTrawlonixMainForm::~TTrawlonixMainForm() {
  // The run control waits for a worker that may still call into the views.
  run_.reset();
}

void TTrawlonixMainForm::BuildViews() {
  DirTree = MakeTree();
  DirTree->setObjectName(QStringLiteral("DirTree"));
  LinkTree = MakeTree();
  LinkTree->setObjectName(QStringLiteral("LinkTree"));
  linkTreeNote_ = new QLabel(LinkTreeOffNote());
  linkTreeNote_->setObjectName(QStringLiteral("LinkTreeOffNote"));
  linkTreeNote_->setWordWrap(true);
  auto* noteBox = new QVBoxLayout(LinkTree->viewport());
  noteBox->addWidget(linkTreeNote_, 0, Qt::AlignTop);
  TreePages = new QTabWidget;
  TreePages->addTab(DirTree, qtr("MainWindow", "目录结构"));
  TreePages->addTab(LinkTree, qtr("MainWindow", "链接结构"));

  LV_CollectedLinks =
      MakeReportList({QStringLiteral("URL"), qtr("MainWindow", "参考文本"),
                      qtr("MainWindow", "第一次出现"), qtr("MainWindow", "测试结果")});
  LV_CollectedLinks->setObjectName(QStringLiteral("LV_CollectedLinks"));
  LV_CollectedEMails = MakeReportList({qtr("MainWindow", "电邮地址"), qtr("MainWindow", "参考文本"),
                                       qtr("MainWindow", "第一次出现")});
  LV_CollectedEMails->setObjectName(QStringLiteral("LV_CollectedEMails"));
  LV_BrokenLinks = MakeReportList(
      {QStringLiteral("URL"), qtr("MainWindow", "错误信息"), qtr("MainWindow", "第一次出现")});
  LV_BrokenLinks->setObjectName(QStringLiteral("LV_BrokenLinks"));
  ListPages = new QTabWidget;
  ListPages->addTab(LV_CollectedLinks, qtr("MainWindow", "收集的链接"));
  ListPages->addTab(LV_CollectedEMails, qtr("MainWindow", "收集的电邮地址"));
  ListPages->addTab(LV_BrokenLinks, qtr("MainWindow", "错误链接"));

  auto* upper = new QSplitter(Qt::Horizontal);
  upper->addWidget(TreePages);
  upper->addWidget(ListPages);
  upper->setStretchFactor(0, 1);
  upper->setStretchFactor(1, 2);
  LogBox = new QListWidget;
  LogBox->setObjectName(QStringLiteral("LogBox"));
  LogBox->setUniformItemSizes(true);
  LogBox->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* split = new QSplitter(Qt::Vertical);
  split->setObjectName(QStringLiteral("Splitter"));
  split->addWidget(upper);
  split->addWidget(LogBox);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);
  setCentralWidget(split);

  Status = new ui::TxStatusBar;
  setStatusBar(Status);
}

QAction* TTrawlonixMainForm::AddCommand(QMenu* menu, const QString& id, const QString& text,
                                        std::function<void()> fn) {
  QAction* a = menu->addAction(text);
  a->setObjectName(QStringLiteral("MI_") + id);
  connect(a, &QAction::triggered, this, std::move(fn));
  commands_.insert(id, a);
  return a;
}

void TTrawlonixMainForm::BuildMenus() {
  QMenuBar* bar = menuBar();
  QMenu* file = bar->addMenu(qtr("MainWindow", "文件(&D)"));
  AddCommand(file, QStringLiteral("New"), qtr("MainWindow", "新建方案(&N)..."),
             [this] { NewProject(); });
  AddCommand(file, QStringLiteral("Open"), qtr("MainWindow", "打开方案(&O)..."),
             [this] { OpenProject(); });
  AddCommand(file, QStringLiteral("Save"), qtr("MainWindow", "保存方案(&S)..."),
             [this] { SaveProject(); });
  file->addSeparator();
  AddCommand(file, QStringLiteral("Settings"), qtr("MainWindow", "设置(&E)..."),
             [this] { ShowSettings(); });
  file->addSeparator();
  QAction* quit = file->addAction(qtr("MainWindow", "退出(&B)"));
  quit->setObjectName(QStringLiteral("MI_Quit"));
  connect(quit, &QAction::triggered, this, &QWidget::close);
  commands_.insert(QStringLiteral("Quit"), quit);

  QMenu* project = bar->addMenu(qtr("MainWindow", "方案(&P)"));
  AddCommand(project, QStringLiteral("Start"), qtr("MainWindow", "启动方案(&S)"),
             [this] { StartProject(); });
  AddCommand(project, QStringLiteral("Stop"), qtr("MainWindow", "停止方案(&A)"),
             [this] { StopProject(); });
  project->addSeparator();
  AddCommand(project, QStringLiteral("Prop"), qtr("MainWindow", "更改方案(&A)..."),
             [this] { ProjectProperties(); });
  AddCommand(project, QStringLiteral("Status"), qtr("MainWindow", "状态(&T)"),
             [this] { ShowStatusWindow(); });

  const QString listMenus[3] = {qtr("MainWindow", "收集的链接(&L)"),
                                qtr("MainWindow", "收集的电邮(&E)"),
                                qtr("MainWindow", "错误链接(&F)")};
  for (int list = 0; list < 3; ++list) {
    QMenu* m = bar->addMenu(listMenus[list]);
    QMenu* ctx = new QMenu(this);
    auto both = [&](const QString& id, const QString& text, const QString& ctxText,
                    std::function<void()> fn) {
      QAction* a = m->addAction(text);
      a->setObjectName(QStringLiteral("MI_") + id);
      connect(a, &QAction::triggered, this, fn);
      commands_.insert(id, a);
      QAction* c = ctx->addAction(ctxText);
      c->setObjectName(QStringLiteral("PM_") + id);
      connect(c, &QAction::triggered, this, fn);
      // Context items are not switched with the commands: they stay
      // enabled, and the handlers refuse to act while a run is active.
    };
    if (list == 0) {
      both(QStringLiteral("Check"), qtr("MainWindow", "检查(&U)"), qtr("MainWindow", "检查"),
           [this] { CheckCollectedLinks(); });
    }
    both(QStringLiteral("Export%1").arg(list), qtr("MainWindow", "导出(&E)"),
         qtr("MainWindow", "导出"), [this, list] { ExportList(list); });
    m->addSeparator();
    ctx->addSeparator();
    both(QStringLiteral("Delete%1").arg(list), qtr("MainWindow", "删除"), qtr("MainWindow", "删除"),
         [this, list] { DeleteSelected(list); });
    both(QStringLiteral("Clear%1").arg(list), qtr("MainWindow", "清空列表"),
         qtr("MainWindow", "清空列表"), [this, list] { ClearList(list); });
    QTreeWidget* lv = ListView(list);
    lv->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lv, &QWidget::customContextMenuRequested, this,
            [lv, ctx](const QPoint& pos) { ctx->popup(lv->viewport()->mapToGlobal(pos)); });
  }

  QMenu* help = bar->addMenu(qtr("MainWindow", "帮助(&H)"));
  AddCommand(help, QStringLiteral("Help"), qtr("MainWindow", "帮助主题(&H)"),
             [this] { ShowHelpIndex(); });
  help->addSeparator();
  AddCommand(help, QStringLiteral("About"), qtr("MainWindow", "关于(&I)..."),
             [this] { ShowAbout(); });
}

void TTrawlonixMainForm::BuildToolBar() {
  ToolBar = new QToolBar(qtr("MainWindow", "工具栏"), this);
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  ToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  ToolBar->setIconSize(QSize(24, 24));
  ToolBar->setAllowedAreas(Qt::AllToolBarAreas);
  ToolBar->setMovable(true);
  ToolBar->setFloatable(true);
  addToolBar(Qt::TopToolBarArea, ToolBar);
  struct Button {
    const char* id;
    const char* caption;
    const char* glyph;
    std::function<void()> fn;
  };
  const Button buttons[] = {
      {"New", QT_TRANSLATE_NOOP("MainWindow", "新建"), "new", [this] { NewProject(); }},
      {"Open", QT_TRANSLATE_NOOP("MainWindow", "打开"), "open", [this] { OpenProject(); }},
      {"Prop", QT_TRANSLATE_NOOP("MainWindow", "选项"), "prop", [this] { ProjectProperties(); }},
      {"Save", QT_TRANSLATE_NOOP("MainWindow", "保存"), "save", [this] { SaveProject(); }},
      {nullptr, nullptr, nullptr, {}},
      {"Start", QT_TRANSLATE_NOOP("MainWindow", "开始"), "start", [this] { StartProject(); }},
      {"Stop", QT_TRANSLATE_NOOP("MainWindow", "停止"), "stop", [this] { StopProject(); }},
      {nullptr, nullptr, nullptr, {}},
      {"Status", QT_TRANSLATE_NOOP("MainWindow", "状态"), "status", [this] { ShowStatusWindow(); }},
      {nullptr, nullptr, nullptr, {}},
      {"Browser", QT_TRANSLATE_NOOP("MainWindow", "浏览器"), "browser",
       [this] { ShowInBrowser(); }},
  };
  for (const Button& b : buttons) {
    if (!b.id) {
      ToolBar->addSeparator();
      continue;
    }
    const QString id = QString::fromLatin1(b.id);
    QIcon icon = id == QLatin1String("Browser") ? ui::DefaultBrowserIcon()
                                                : ui::ToolIcon(QString::fromLatin1(b.glyph));
    QAction* a = ToolBar->addAction(icon, QtrText("MainWindow", b.caption));
    a->setObjectName(QStringLiteral("SpeedButton_") + id);
    connect(a, &QAction::triggered, this, b.fn);
    toolCommands_.insert(id, a);
  }
  // A toolbar closed while floating comes back at its last dock.
  connect(ToolBar, &QToolBar::topLevelChanged, this, [this](bool floating) {
    if (!floating) toolBarArea_ = toolBarArea(ToolBar);
  });
  connect(ToolBar, &QToolBar::visibilityChanged, this, [this](bool visible) {
    if (visible || !ToolBar->isFloating() || !isVisible()) return;
    QTimer::singleShot(0, this, [this] {
      const Qt::ToolBarArea area =
          toolBarArea_ == Qt::NoToolBarArea ? Qt::TopToolBarArea : toolBarArea_;
      addToolBar(area, ToolBar);
      ToolBar->show();
    });
  });
}

QTreeWidget* TTrawlonixMainForm::ListView(int list) const {
  switch (list) {
    case 0:
      return LV_CollectedLinks;
    case 1:
      return LV_CollectedEMails;
    default:
      return LV_BrokenLinks;
  }
}

QAction* TTrawlonixMainForm::Command(const QString& id) const {
  if (QAction* a = commands_.value(id)) return a;
  return toolCommands_.value(id);
}

QAction* TTrawlonixMainForm::ToolCommand(const QString& id) const {
  return toolCommands_.value(id);
}

bool TTrawlonixMainForm::CommandEnabled(const QString& id) const {
  const QAction* a = Command(id);
  return a && a->isEnabled();
}

void TTrawlonixMainForm::SetCommandEnabled(const QString& id, bool enabled) {
  if (QAction* a = commands_.value(id)) a->setEnabled(enabled);
  if (QAction* a = toolCommands_.value(id)) a->setEnabled(enabled);
}

void TTrawlonixMainForm::UpdateCommands() {
  const bool idle = !running_;
  SetCommandEnabled(QStringLiteral("New"), idle);
  SetCommandEnabled(QStringLiteral("Open"), idle);
  SetCommandEnabled(QStringLiteral("Save"), idle && Loaded);
  SetCommandEnabled(QStringLiteral("Prop"), idle && Loaded);
  SetCommandEnabled(QStringLiteral("Start"), idle && Loaded);
  SetCommandEnabled(QStringLiteral("Stop"), running_);
  SetCommandEnabled(QStringLiteral("Status"), true);
  SetCommandEnabled(QStringLiteral("Browser"), Loaded);
  SetCommandEnabled(QStringLiteral("Settings"), idle);
  SetCommandEnabled(QStringLiteral("Quit"), idle);
  SetCommandEnabled(QStringLiteral("Check"), idle);
  for (int list = 0; list < 3; ++list) {
    SetCommandEnabled(QStringLiteral("Export%1").arg(list), idle);
    SetCommandEnabled(QStringLiteral("Delete%1").arg(list), idle);
    SetCommandEnabled(QStringLiteral("Clear%1").arg(list), idle);
  }
  SetCommandEnabled(QStringLiteral("Help"), true);
  SetCommandEnabled(QStringLiteral("About"), true);
}

// ---- Start-up and closing ----

void TTrawlonixMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!activated_ && AutoActivate) QTimer::singleShot(0, this, [this] { FirstActivation(); });
}

void TTrawlonixMainForm::FirstActivation() {
  if (activated_) return;
  activated_ = true;
  OptionsDlg->LoadSettings();
  const std::int32_t runs = TOptions::CountStart();
  if (ShowSplashAtStart) SplashDlg->exec();
  if (runs == 0) ui::ShowHelpContext(QStringLiteral("txmain"), 10000);
  ShowLinkStructure = OptionsDlg->Options.ShowLinkStructure;
  SetLinkTreeEnabled(ShowLinkStructure);
  if (!commandLineProject_.isEmpty() && QFileInfo(commandLineProject_).isFile()) {
    const QString file = commandLineProject_;
    commandLineProject_.clear();
    OpenProjectFile(file);
  }
}

void TTrawlonixMainForm::RestorePlacement() {
  SettingsStore store;
  const auto read = [&store](const char* key) {
    const auto text = store.Read("Placement", key);
    return text ? ParseStoredInt(*text) : std::nullopt;
  };
  const auto w = read("Width");
  const auto h = read("Height");
  if (w && h && *w > 0 && *h > 0) {
    // A stored size never exceeds the screen (the file may be hand-edited).
    QSize size(*w, *h);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      size = size.boundedTo(screen->availableGeometry().size());
    resize(size);
  }
  const auto l = read("Left");
  const auto t = read("Top");
  if (l && t) {
    move(*l, *t);
    return;
  }
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
}

void TTrawlonixMainForm::SavePlacement() {
  SettingsStore store;
  store.Write("Placement", "Left", std::to_string(pos().x()));
  store.Write("Placement", "Top", std::to_string(pos().y()));
  store.Write("Placement", "Width", std::to_string(width()));
  store.Write("Placement", "Height", std::to_string(height()));
  store.Sync();
}

bool TTrawlonixMainForm::AskSaveChanges() {
  if (!Definition.Modified) return true;
  switch (ui::ConfirmYesNoCancel(this, qtr("MainWindow", "您想要保存目前方案中的更改吗？"))) {
    case ui::TAnswer::Cancel:
      return false;
    case ui::TAnswer::No:
      return true;
    case ui::TAnswer::Yes:
      SaveProject();
      return !Definition.Modified;
  }
  return false;
}

void TTrawlonixMainForm::closeEvent(QCloseEvent* event) {
  if (running_) {
    ui::ErrorBox(this, qtr("MainWindow", "请您首先停止目前的过程！"));
    event->ignore();
    return;
  }
  if (!AskSaveChanges()) {
    event->ignore();
    return;
  }
  if (activated_) SavePlacement();
  event->accept();
  // The program ends with its main window: help windows, the status window
  // and any other window still open would otherwise keep it running unseen.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != this && w->isVisible()) w->close();
}

// ---- Simple commands ----

void TTrawlonixMainForm::ShowStatusWindow() {
  InfoForm->show();
  InfoForm->raise();
}

void TTrawlonixMainForm::ShowHelpIndex() {
  ui::ShowHelpContents();
}

void TTrawlonixMainForm::ShowAbout() {
  SplashDlg->exec();
}

void TTrawlonixMainForm::ShowSettings() {
  if (running_) return;
  const bool before = ShowLinkStructure;
  if (OptionsDlg->Execute()) ApplyLinkStructureSetting(before);
}

void TTrawlonixMainForm::StartProject() {
  if (running_ || !Loaded) return;
  // The project's polite-crawl choices are kept beside it with the lists.
  run_->Polite.Choices = LoadChoices(Results.Extras);
  run_->Start();
}

void TTrawlonixMainForm::StopProject() {
  if (running_) run_->Stop();
}

void TTrawlonixMainForm::DeleteSelected(int list) {
  if (running_) return;
  QTreeWidget* lv = ListView(list);
  auto& rows = Results.MutableRows(static_cast<TResultLists::ListId>(list));
  lv->setUpdatesEnabled(false);
  for (int i = lv->topLevelItemCount() - 1; i >= 0; --i) {
    if (!lv->topLevelItem(i)->isSelected()) continue;
    delete lv->takeTopLevelItem(i);
    if (static_cast<std::size_t>(i) < rows.size())
      rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
  }
  lv->setUpdatesEnabled(true);
}

void TTrawlonixMainForm::ClearList(int list) {
  if (running_) return;
  const QString questions[3] = {qtr("MainWindow", "您肯定想要删除所有收集的链接吗？"),
                                qtr("MainWindow", "您肯定想要删除所有收集的电子邮件地址吗？"),
                                qtr("MainWindow", "您肯定想要删除所有错误链接吗？")};
  if (!ui::ConfirmYesNo(this, questions[std::clamp(list, 0, 2)])) return;
  ListView(list)->clear();
  Results.Clear(static_cast<TResultLists::ListId>(list));
}

void TTrawlonixMainForm::SetLinkTreeEnabled(bool enabled) {
  QPalette pal = LinkTree->palette();
  const QPalette app = QApplication::palette(LinkTree);
  pal.setColor(QPalette::Base, enabled ? app.color(QPalette::Base) : app.color(QPalette::Button));
  LinkTree->setPalette(pal);
  LinkTree->setEnabled(enabled);
  linkTreeNote_->setVisible(!enabled);
}

}  // namespace trawlonix
