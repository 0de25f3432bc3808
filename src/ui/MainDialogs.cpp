// The main window's commands that go through a dialog of their own: the
// new-project wizard, the project properties, the export wizard of each
// result list and the check of the collected links, with the rows of the
// collected links list as the check sees them.
#include <QTreeWidget>
#include <algorithm>

#include "engine/LinkCheck.h"
#include "ui/Dlg_CheckColLinks.h"
#include "ui/Dlg_Export.h"
#include "ui/Dlg_NewSpider.h"
#include "ui/Dlg_Options.h"
#include "ui/Dlg_TXDProperty.h"
#include "ui/Frm_CheckCollectedLinksProgress.h"
#include "ui/Frm_Info.h"
#include "ui/Frm_TrawlonixMain.h"
#include "ui/TxMessages.h"
#include "ui/TxStatusBar.h"

namespace trawlonix {

using ui::Q;
using ui::S;

void TTrawlonixMainForm::NewProject() {
  if (running_) return;
  // A new project replaces the open one: its unsaved changes are offered first.
  if (!AskSaveChanges()) return;
  if (NewSpiderDlg->Execute()) AdoptNewProject(NewSpiderDlg->Definition(), NewSpiderDlg->Choices());
}

void TTrawlonixMainForm::ProjectProperties() {
  if (running_ || !Loaded) return;
  TProjectChoices choices = Choices;
  if (!PropDlg->EditProperties(Definition, choices)) return;
  SetChoices(choices);
  Definition.Modified = true;
}

void TTrawlonixMainForm::ExportList(int list) {
  if (running_) return;
  list = std::clamp(list, 0, 2);
  ExportDlg->Export(static_cast<TExportKind>(list), ListView(list));
}

void TTrawlonixMainForm::CheckCollectedLinks() {
  if (running_) return;
  InfoForm->close();
  if (LV_CollectedLinks->topLevelItemCount() == 0) return;
  CheckColLinksDlg->Preset(!LV_CollectedLinks->selectedItems().isEmpty());
  if (CheckColLinksDlg->exec() != QDialog::Accepted) return;
  const bool onlySelected = CheckColLinksDlg->OnlySelected();
  const int mode =
      std::clamp(CheckColLinksDlg->ResultIndex(), int{lcm_FillOnly}, int{lcm_DeleteBad});

  TLinkCheck check(*this, OptionsDlg->Options);
  TLinkCheckHooks hooks;
  hooks.Start = [this, &check, onlySelected, mode] {
    // A check that cannot start would never report its end and leave the
    // modal window open.
    if (!check.Start(onlySelected, mode)) CheckProgressWin->CheckFinished();
  };
  hooks.Abort = [&check] { check.AbortAll(); };
  hooks.Log = [this](const std::string& line) { AppendLog(line); };
  // While the check runs the window takes no project commands.
  checking_ = true;
  running_ = true;
  UpdateCommands();
  CheckProgressWin->Run(check.CountToCheck(onlySelected), Status, std::move(hooks));
  checking_ = false;
  running_ = false;
  RefreshViews();
  UpdateCommands();
}

// ---- The collected links as the check sees them ----

int TTrawlonixMainForm::CollectedLinkCount() {
  return LV_CollectedLinks->topLevelItemCount();
}

std::string TTrawlonixMainForm::CollectedLinkUrl(int row) {
  const auto& rows = Results.Rows(TResultLists::kLinks);
  if (row >= 0 && static_cast<std::size_t>(row) < rows.size())
    return rows[static_cast<std::size_t>(row)].Text;
  const QTreeWidgetItem* item = LV_CollectedLinks->topLevelItem(row);
  return item ? S(item->text(0)) : std::string();
}

bool TTrawlonixMainForm::CollectedLinkSelected(int row) {
  const QTreeWidgetItem* item = LV_CollectedLinks->topLevelItem(row);
  return item && item->isSelected();
}

void TTrawlonixMainForm::SetCollectedLinkResult(int row, const std::string& text) {
  QTreeWidgetItem* item = LV_CollectedLinks->topLevelItem(row);
  if (!item) return;
  item->setText(3, Q(ShownTestResult(text)));
  auto& rows = Results.MutableRows(TResultLists::kLinks);
  if (static_cast<std::size_t>(row) < rows.size())
    rows[static_cast<std::size_t>(row)].TestResult = text;
}

void TTrawlonixMainForm::SetCollectedLinkSelected(int row, bool selected) {
  QTreeWidgetItem* item = LV_CollectedLinks->topLevelItem(row);
  if (!item) return;
  item->setSelected(selected);
  auto& rows = Results.MutableRows(TResultLists::kLinks);
  if (static_cast<std::size_t>(row) < rows.size())
    rows[static_cast<std::size_t>(row)].Selected = selected;
}

void TTrawlonixMainForm::DeleteCollectedLink(int row) {
  if (row < 0 || row >= LV_CollectedLinks->topLevelItemCount()) return;
  delete LV_CollectedLinks->takeTopLevelItem(row);
  auto& rows = Results.MutableRows(TResultLists::kLinks);
  if (static_cast<std::size_t>(row) < rows.size()) rows.erase(rows.begin() + row);
}

void TTrawlonixMainForm::CheckProgress(int done, int toCheck) {
  CheckProgressWin->CheckProgress(done, toCheck);
}

void TTrawlonixMainForm::CheckDone() {
  CheckProgressWin->CheckFinished();
}

}  // namespace trawlonix
