// The project properties dialog: everything the new-project wizard asks for,
// on tabs and without checks (only the amounts of the rules tab must be
// readable), plus how a last path segment without a dot is read and the list
// of extensions that get ".html" appended. It edits the caller's record, and
// only when the user presses "确定". Below the tabs, a warning line names the
// list entries that the chosen limit modes would ignore, as the user edits.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "model/tx_types.h"
#include "polite/ProjectChoices.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace trawlonix {

class TProjectChoicesPanel;

class TTXDPropertyDlg : public QDialog {
 public:
  explicit TTXDPropertyDlg(QWidget* parent = nullptr);
  ~TTXDPropertyDlg() override;

  // Fills the controls from `def`, shows the dialog modally; on "确定" writes
  // every control back into `def` (the prefix and rename lists are replaced
  // in their existing list objects) and returns true. On "取消" `def` is left
  // exactly as it was and the result is false.
  bool EditProperties(TrawlonixDefinition& def);
  // The same with the project's crawl choices on the tab "规则". "确定" with
  // an amount that cannot be read shows why, opens that tab and keeps the
  // dialog open.
  bool EditProperties(TrawlonixDefinition& def, TProjectChoices& choices);

  // The steps of EditProperties, open for tests.
  void FillFrom(const TrawlonixDefinition& def);
  void WriteTo(TrawlonixDefinition& def) const;
  void FillFrom(const TProjectChoices& choices);
  // False (with the message shown) when an amount cannot be read.
  bool WriteTo(TProjectChoices& choices);

  // "添加条目" asks for an extension and a description; by default through
  // the add dialog of the settings. Tests replace it. True with the values on OK.
  std::function<bool(const QString& caption, QString& extension, QString& description)>
      AskExtension;
  // "帮助": context 1089 minus the tab index in the help window "txhelp"
  // (1081 for the rules tab);
  // a set OnHelp replaces that.
  std::function<void(int context, const QString& window)> OnHelp;

  // The rename list's row text: " ." + extension + tab + description.
  static QString RenameRowText(const QTreeWidgetItem* row);
  static constexpr int kBuiltInRenameRows = 2;

  void AddRenameRowClick();
  void DeleteRenameRowClick();

  QTabWidget* Tabs = nullptr;
  QLineEdit* Edit_StartingURL = nullptr;
  QLineEdit* Edit_ProjectName = nullptr;
  QCheckBox* CB_LevelLimit = nullptr;
  QSpinBox* SEdit_MaxLevel = nullptr;
  QComboBox* CB_StrictUrl = nullptr;
  QCheckBox* CB_UsePwd = nullptr;
  QLineEdit* Edit_Username = nullptr;
  QLineEdit* Edit_Password = nullptr;
  QCheckBox* CB_actSaveFiles = nullptr;
  QCheckBox* CB_actEMails = nullptr;
  QCheckBox* CB_actBLinks = nullptr;
  QCheckBox* CB_actCollect = nullptr;
  QComboBox* CB_actColOpt = nullptr;
  QLineEdit* Edit_LocalPath = nullptr;
  QCheckBox* CB_ChgLocLink = nullptr;
  QCheckBox* CB_ChgExtLink = nullptr;
  QCheckBox* CB_ChgJScriptLink = nullptr;
  QComboBox* CB_LimitHtDocs = nullptr;
  QComboBox* CB_LimitIlImages = nullptr;
  QComboBox* CB_LimitEmbeded = nullptr;
  QComboBox* CB_LimitLinked = nullptr;
  QListWidget* ListBox_Positivlist = nullptr;
  QListWidget* ListBox_Negativlist = nullptr;
  std::array<QPushButton*, 3> PositivButtons{};  // 添加, 删除, 更改
  std::array<QPushButton*, 3> NegativButtons{};
  QTreeWidget* CLB_HTMLRen = nullptr;
  QPushButton* Button_AddRen = nullptr;
  QPushButton* Button_DeleteRen = nullptr;
  QCheckBox* CB_OnlyRenameSkriptURL = nullptr;
  TProjectChoicesPanel* ChoicesPanel = nullptr;
  QWidget* TabSheet_Rules = nullptr;
  // The list warnings (hidden while there are none); every warning is in its tool tip.
  QLabel* Label_ListWarnings = nullptr;
  QPushButton* Button_OK = nullptr;
  QPushButton* Button_Cancel = nullptr;
  QPushButton* Button_Help = nullptr;

 private:
  QWidget* BuildGeneral();
  QWidget* BuildPassword();
  QWidget* BuildActions();
  QWidget* BuildLocal();
  QWidget* BuildLimits();
  QWidget* BuildList(bool positive);
  QWidget* BuildRename();
  void UpdateEnabling();
  void UpdateListButtons(bool positive);
  void UpdateRenameButtons();
  QWidget* BuildListWarnings();
  void UpdateListWarnings();
  QTreeWidgetItem* AddRenameRow(const QString& ext, const QString& description, bool checked);
  void OkClick();

  QWidget* listWarningsRow_ = nullptr;
  TProjectChoices* editedChoices_ = nullptr;  // set while EditProperties shows the rules
};

}  // namespace trawlonix
