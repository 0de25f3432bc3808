// The project commands of the main window: open, save, adopting a new
// project, the browser command, the link-structure setting and the rebuild
// of the trees from the spider list.
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QTreeWidget>
#include <QUrl>
#include <cmath>
#include <cstdio>

#include "engine/RunControl.h"
#include "model/SpiderTools.h"
#include "model/projectfile.h"
#include "model/sidecar.h"
#include "settings/Language.h"
#include "ui/Dlg_Options.h"
#include "ui/Frm_TrawlonixMain.h"
#include "ui/TxMessages.h"
#include "ui/TxStatusBar.h"

namespace trawlonix {

using ui::Q;
using ui::S;

namespace {

QString RestoreQuestion() {
  return qtr("MainWindow", "恢复文件 %1 比方案更新 (上次运行没有正常结束)。\n您想要恢复它吗？");
}

QString ProjectFilter() {
  return qtr("MainWindow", "Trawlonix 方案 (*.txp);;所有文件 (*.*)");
}

// Shows the hourglass for as long as it lives.
struct BusyCursor {
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

// Cuts a UTF-8 text to at most `n` bytes without splitting a character.
std::string CutUtf8(const std::string& s, std::size_t n) {
  if (s.size() <= n) return s;
  std::size_t end = n;
  while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80)
    --end;
  return s.substr(0, end);
}

}  // namespace

QString TTrawlonixMainForm::AskProjectFile(bool save) {
  QFileDialog dlg(this);
  dlg.setObjectName(QStringLiteral("TxFileDialog"));
  dlg.setOption(QFileDialog::DontUseNativeDialog, true);
  dlg.setNameFilter(ProjectFilter());
  dlg.setDefaultSuffix(QStringLiteral("txp"));
  const QString dir = Q(OptionsDlg->Options.DefaultProjectPath);
  if (!dir.isEmpty()) dlg.setDirectory(dir);
  if (save) {
    dlg.setWindowTitle(qtr("MainWindow", "Trawlonix 方案保存为"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    if (!projectFile_.isEmpty()) {
      // Saving again lands where the project came from, not in a new file
      // that would leave the opened one stale.
      const QFileInfo at(projectFile_);
      dlg.setDirectory(at.absolutePath());
      dlg.selectFile(at.fileName());
    } else {
      const std::string proposed = CutUtf8(OptionsDlg->Options.DefaultProjectPath.empty()
                                               ? Definition.ProjectName.str() + ".txp"
                                               : OptionsDlg->Options.DefaultProjectPath + "/" +
                                                     Definition.ProjectName.str() + ".txp",
                                           132);
      dlg.selectFile(QFileInfo(Q(proposed)).fileName());
    }
  } else {
    dlg.setWindowTitle(qtr("MainWindow", "打开 Trawlonix 方案"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
  }
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  return dlg.selectedFiles().first();
}

void TTrawlonixMainForm::ResetProjectViews() {
  ClearTrees();
  run_->MutableTotals().Clear();
  ShowCounters();
}

void TTrawlonixMainForm::OpenProject() {
  if (running_) return;
  // Opening replaces the project: unsaved changes are offered first.
  if (!AskSaveChanges()) return;
  QString file = commandLineProject_;
  commandLineProject_.clear();
  if (file.isEmpty()) file = AskProjectFile(false);
  if (file.isEmpty()) return;
  OpenProjectFile(file);
}

void TTrawlonixMainForm::OpenProjectFile(const QString& fileName) {
  if (running_) return;
  // The checkpoints of a run that did not end normally, when the user takes
  // them, are read instead of the project file (which stays as it is until
  // they save).
  const bool restore = OfferRecovery(fileName);
  const std::string source = restore ? RecoveryPathFor(S(fileName)) : S(fileName);
  TOpenResult res;
  {
    BusyCursor busy;
    Status->SetSimpleText(QtrText("ProjectFile", txp_text::kLoading));
    res =
        trawlonix::OpenProject(source, Definition, SpiderList, RedirectList,
                               [this](const std::string& text) { Status->SetSimpleText(Q(text)); });
    if (res.discarded) {
      Loaded = false;
      ResetProjectViews();
      UpdateCommands();
    }
    if (res.ok) {
      Loaded = true;
      projectFile_ = QFileInfo(fileName).absoluteFilePath();
      if (restore) Definition.Modified = true;
      InstallCheckpoints();
      LoadResultLists(source);
      UpdateCommands();
      Status->SetSimpleText(qtr("MainWindow", "正在重新建立目录结构..."));
      RebuildTrees();
    }
    Status->SetPanels();
  }
  if (!res.ok) {
    ui::ErrorBox(this, Q(res.message));
    return;
  }
  if (res.resume)
    ui::InfoBox(this,
                res.info.empty() ? QtrText("ProjectFile", txp_text::kResumeInfo) : Q(res.info));
}

bool TTrawlonixMainForm::SaveProject() {
  if (running_ || !Loaded) return false;
  const QString file = AskProjectFile(true);
  if (file.isEmpty()) return false;
  TSaveResult res;
  const bool wasModified = Definition.Modified;
  {
    Status->SetSimpleText(QtrText("ProjectFile", txp_text::kSaving));
    BusyCursor busy;
    res =
        trawlonix::SaveProject(S(file), Definition, SpiderList, RedirectList,
                               [this](const std::string& text) { Status->SetSimpleText(Q(text)); });
    Status->SetSimpleText(QString());
    Status->SetPanels();
  }
  if (!res.ok) {
    // A project that was not saved still has its changes to offer.
    Definition.Modified = wasModified;
    ui::ErrorBox(this, Q(res.message));
    return false;
  }
  projectFile_ = QFileInfo(file).absoluteFilePath();
  InstallCheckpoints();
  if (!SaveResultLists(S(file))) return false;
  // The checkpoints are in the user's own file now.
  const std::string recovery = RecoveryPathFor(S(file));
  std::remove(recovery.c_str());
  std::remove(SidecarPathFor(recovery).c_str());
  return true;
}

bool TTrawlonixMainForm::LoadResultLists(const std::string& projectFile) {
  TSidecar sidecar;
  const TSidecarResult r = LoadSidecar(SidecarPathFor(projectFile), sidecar);
  if (r.missing) return true;  // a project saved without its lists opens as before
  if (!r.ok) {
    ui::ErrorBox(this, Q(r.message));
    return false;
  }
  Results.Assign(sidecar);
  ShowResultLists();
  return true;
}

void TTrawlonixMainForm::ShowResultLists() {
  for (int l = 0; l < 3; ++l) {
    QTreeWidget* lv = ListView(l);
    lv->setUpdatesEnabled(false);
    lv->clear();
    for (const TResultRow& r : Results.Rows(static_cast<TResultLists::ListId>(l))) {
      QStringList columns{Q(r.Text), Q(r.Reference), Q(r.FirstOccurrence)};
      if (l == 0) columns << Q(r.TestResult);
      auto* item = new QTreeWidgetItem(columns);
      lv->addTopLevelItem(item);
      item->setSelected(r.Selected);
    }
    lv->setUpdatesEnabled(true);
  }
}

bool TTrawlonixMainForm::SaveResultLists(const std::string& projectFile) {
  TSidecar sidecar;
  Results.CopyTo(sidecar);
  // The selection is the list views' own.
  for (int l = 0; l < 3; ++l) {
    auto& rows = sidecar.Lists[static_cast<std::size_t>(l)];
    const QTreeWidget* lv = ListView(l);
    for (int i = 0; i < lv->topLevelItemCount() && static_cast<std::size_t>(i) < rows.size(); ++i)
      rows[static_cast<std::size_t>(i)].Selected = lv->topLevelItem(i)->isSelected();
  }
  const TSidecarResult r =
      SaveSidecar(SidecarPathFor(projectFile), sidecar, !Definition.Password.empty());
  if (!r.ok) ui::ErrorBox(this, Q(r.message));
  return r.ok;
}

void TTrawlonixMainForm::InstallCheckpoints() {
  if (!run_->OnCheckpoint) run_->OnCheckpoint = [this] { SaveRecoveryCheckpoint(); };
}

void TTrawlonixMainForm::SaveRecoveryCheckpoint() {
  if (projectFile_.isEmpty()) return;  // a new project has no place for one yet
  const std::string recovery = RecoveryPathFor(S(projectFile_));
  // Only the user's own save clears the changed mark.
  // The lists first, as on the command line: a project never holds more
  // than its lists.
  TSidecar sidecar;
  Results.CopyTo(sidecar);
  if (!SaveSidecar(SidecarPathFor(recovery), sidecar, !Definition.Password.empty()).ok) return;
  const bool modified = Definition.Modified;
  trawlonix::SaveProject(recovery, Definition, SpiderList, RedirectList);
  Definition.Modified = modified;  // a failed checkpoint is tried again by the next one
}

bool TTrawlonixMainForm::OfferRecovery(const QString& fileName) {
  const std::string recovery = RecoveryPathFor(S(fileName));
  const QFileInfo saved(fileName);
  const QFileInfo checkpoint(Q(recovery));
  if (!checkpoint.isFile() || checkpoint.lastModified() <= saved.lastModified()) return false;
  if (ui::ConfirmYesNo(this, RestoreQuestion().arg(checkpoint.fileName()))) return true;
  // Declined: the checkpoints are not offered again.
  std::remove(recovery.c_str());
  std::remove(SidecarPathFor(recovery).c_str());
  return false;
}

void TTrawlonixMainForm::AdoptNewProject(const TrawlonixDefinition& w) {
  if (running_) return;
  TrawlonixDefinition& d = Definition;
  d.StartingUrl = w.StartingUrl;
  d.ProjectName = w.ProjectName;
  d.LevelLimit = w.LevelLimit;
  d.MaxLevel = w.MaxLevel;
  d.UsePwd = w.UsePwd;
  d.Username = w.Username;
  d.Password = w.Password;
  d.actSaveFiles = w.actSaveFiles;
  d.actEMails = w.actEMails;
  d.actBLinks = w.actBLinks;
  d.actCollect = w.actCollect;
  d.actColOpt = w.actColOpt;
  d.LocalPath = w.LocalPath;
  d.ChgLocLink = w.ChgLocLink;
  d.ChgExtLink = w.ChgExtLink;
  d.ChgJScriptLink = w.ChgJScriptLink;
  d.LimitHtDocs = w.LimitHtDocs;
  d.LimitIlImages = w.LimitIlImages;
  d.LimitEmbeded = w.LimitEmbeded;
  d.LimitLinked = w.LimitLinked;
  // The lists are copied by content: the record keeps its own list objects.
  if (d.Positivlist.get() != w.Positivlist.get()) *d.Positivlist = *w.Positivlist;
  if (d.Negativlist.get() != w.Negativlist.get()) *d.Negativlist = *w.Negativlist;
  ClearTrees();
  // A new project starts with the default polite-crawl choices, not with
  // those of the project open before.
  Results.Extras.clear();
  LogBox->clear();
  SpiderList.Clear();
  RedirectList.Clear();
  SpiderList.MaxErrors = OptionsDlg->Options.ErrorCount;
  Loaded = true;
  projectFile_.clear();
  InstallCheckpoints();
  run_->MutableTotals().Clear();
  ShowCounters();
  d.Modified = true;
  UpdateCommands();
  if (ui::ConfirmYesNo(this, qtr("MainWindow", "您想要现在保存新方案吗？"))) SaveProject();
}

std::string TTrawlonixMainForm::StartPageFile() {
  TURL url;
  if (!ParseURL(Definition.StartingUrl, Definition.StrictUrl, url)) return {};
  TNamingOptions opt;
  opt.IndexFileName = OptionsDlg->Options.IndexFileName;
  opt.HTMLRenList = Definition.HTMLRenList.get();
  opt.OnlyRenameSkriptURL = Definition.OnlyRenameSkriptURL;
  if (HasScriptQuery(url)) {
    // The number a fetch gave this query; looked up without adding one, so
    // the browser command never changes the project.
    bool found = false;
    for (std::int32_t i = 0; i < RedirectList.Count(); ++i) {
      if (SameURL(RedirectList[i], url)) {
        opt.RedirectNumber = RedirectList[i].Number;
        found = true;
        break;
      }
    }
    if (!found) return {};
  }
  return LocalFileName(LocalRootOf(Definition.LocalPath.str()), url, opt).value_or(std::string());
}

void TTrawlonixMainForm::ShowInBrowser() {
  if (!Loaded) return;
  const std::string name = StartPageFile();
  const QFileInfo info(Q(name));
  if (name.empty() || !info.isFile()) {
    ui::ErrorBox(this,
                 qtr("MainWindow",
                     "在指定的目录中不能找到网站。很可能还没有启动方案或者文件已经被删除了。"));
    return;
  }
  const QUrl page = QUrl::fromLocalFile(info.absoluteFilePath());
  const bool opened = OpenInBrowser ? OpenInBrowser(page) : QDesktopServices::openUrl(page);
  if (!opened)
    ui::ErrorBox(this,
                 qtr("MainWindow", "没有程序能够打开保存的网页。请检查桌面的默认浏览器设置。"));
}

void TTrawlonixMainForm::ApplyLinkStructureSetting(bool previous) {
  const bool now = OptionsDlg->Options.ShowLinkStructure;
  ShowLinkStructure = now;
  if (now && !previous) {
    SetLinkTreeEnabled(true);
    if (Loaded) {
      ui::InfoBox(this, qtr("MainWindow", "现在必须重新建立链接结构。"));
      ClearTrees();
      RebuildTrees();
    }
  } else if (!now && previous) {
    LinkTree->clear();
    linkItems_.clear();
    for (std::int32_t i = 0; i < SpiderList.Count(); ++i)
      SpiderList.SetItems(i, SpiderList[i].DirItem, 0);
    SetLinkTreeEnabled(false);
  }
}

void TTrawlonixMainForm::RebuildTrees() {
  const TOptions& o = OptionsDlg->Options;
  TCounters& t = run_->MutableTotals();
  BeginTreeUpdate();
  t.Clear();
  ClearTrees();
  const std::int32_t n = SpiderList.Count();
  int shown = -1;
  for (std::int32_t i = 0; i < n; ++i) {
    const AGetEntry& e = SpiderList[i];
    const TItemHandle dir = AddDirItem(e.URL);
    if (e.Fetched) MarkDirItemLoaded(dir);
    TItemHandle link = 0;
    const bool ht = o.IsHTMLRecExtension(e.URL.Ext);
    if (ShowLinkStructure && e.Referrer >= 0) {
      const AGetEntry* ref = SpiderList.GetEntry(e.Referrer);
      TItemHandle parent = 0;
      if (ref && e.Referrer > 0) parent = ref->LinkItem;
      const std::string text =
          RelativeLink(ref ? ref->URL.Path : std::string(), e.URL.Path, e.URL.FileName);
      link = AddLinkItem(parent, text);
      const TFileType ft = FileTypeOf(e.URL, &o.HTMLRecList);
      const int icon =
          (ref && e.Level < ref->Level && ft == ftHypertext) ? 18 : static_cast<int>(ft) + 1;
      SetLinkItemIcon(link, icon);
    }
    SpiderList.SetItems(i, dir, link);
    ++t[TCounters::kQueued];
    if (ht) ++t[TCounters::kQueuedHt];
    if (e.Fetched) {
      ++t[TCounters::kReceived];
      if (ht) ++t[TCounters::kReceivedHt];
    }
    const int pct = static_cast<int>(std::lround(100.0 * (i + 1) / n));
    if (pct != shown) {
      shown = pct;
      Status->SetSimpleText(
          qtr("MainWindow", "正在重新建立目录结构 ...        %1% 已完成").arg(pct));
    }
  }
  if (n == 0)
    Status->SetSimpleText(qtr("MainWindow", "正在重新建立目录结构 ...        100% 已完成"));
  EndTreeUpdate();
  // The progress text has done its job: the panels come back with the counts.
  Status->SetPanels();
  ShowCounters();
}

void TTrawlonixMainForm::ShowCounters() {
  const auto texts = TRunControl::StatusTexts(run_->Totals(), run_->UpdateRun());
  for (int i = 0; i < 4; ++i)
    Status->SetPanelText(i, Q(texts[static_cast<std::size_t>(i)]));
}

}  // namespace trawlonix
