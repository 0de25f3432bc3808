// The export wizard: asks which rows of a result list to write, in which
// format and layout, asks for a file name, and has the export writer write it.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/export/ExportOptions.h"

class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeWidget;

namespace trawlonix {

class TWizardPicture;

class TExportDlg : public QDialog {
 public:
  enum Page { Auswahl = 0, ExportFormat, FormatTextdatei, FormatHTML, kPageCount };

  explicit TExportDlg(QWidget* parent = nullptr);

  // The whole export of one list: refuses an empty list, shows the wizard,
  // writes the chosen file. Every failure ends in one error box.
  void Export(TExportKind kind, const std::vector<TExportRow>& rows);
  // The same for the rows of a report list view, in list order.
  void Export(TExportKind kind, const QTreeWidget* listView);
  // A list view's rows as the export takes them: every column's text and
  // whether the row is selected.
  static std::vector<TExportRow> RowsOf(const QTreeWidget* listView);

  // Prepares the wizard for `kind` (caption, picture, defaults, first page);
  // Export does this before showing it.
  void Prepare(TExportKind kind);
  // The choices made so far and the chosen file (after the wizard ended).
  const TExportOptions& Options() const { return options_; }
  const QString& FileName() const { return fileName_; }

  // Sets up a save dialog as the finish step shows it: title, filters,
  // overwrite question, default extension and filter by the chosen format.
  void PrepareSaveDialog(QFileDialog& dialog) const;
  // The finish step's question for a file name; by default the save dialog
  // above, run modally. Tests may replace it. True with a name.
  std::function<bool(QString& fileName)> AskFileName;
  // "帮助": contexts 401 onward by page in the window "txhelp"; OnHelp replaces that.
  std::function<void(int context, const QString& window)> OnHelp;

  int CurrentPage() const;
  QString PageTitle() const;
  void NextClick();
  void BackClick();

  QRadioButton* RB_ExportAll = nullptr;
  QRadioButton* RB_ExportMarked = nullptr;
  QRadioButton* RB_FormatText = nullptr;
  QRadioButton* RB_FormatHTML = nullptr;
  QRadioButton* RB_Text_Link = nullptr;
  QRadioButton* RB_Text_Text = nullptr;
  QRadioButton* RB_Text_LinkText = nullptr;
  QRadioButton* RB_Text_TextLink = nullptr;
  QRadioButton* RB_Text_Semikolon = nullptr;
  QRadioButton* RB_Text_Komma = nullptr;
  QRadioButton* RB_Text_Leerzeichen = nullptr;
  QCheckBox* CB_Text_Quotes = nullptr;
  QLineEdit* Edit_HTML_Caption = nullptr;
  QListWidget* LB_HTML_Format = nullptr;
  QComboBox* CCB_HTML_Background = nullptr;
  QComboBox* CCB_HTML_Strong = nullptr;
  QPushButton* Button_Back = nullptr;
  QPushButton* Button_Next = nullptr;
  QPushButton* Button_Cancel = nullptr;
  QPushButton* Button_Help = nullptr;

 private:
  QWidget* BuildAuswahl();
  QWidget* BuildFormat();
  QWidget* BuildText();
  QWidget* BuildHTML();
  QComboBox* ColourCombo(QWidget* parent);
  static void SelectColour(QComboBox* box, const std::string& hex);
  void FillControls();
  void LeavePage(int page);
  void EnterPage(int page);
  void ShowPage(int page);
  void SetNextToFinish(bool finish);
  void Finish();

  TExportKind kind_ = TExportKind::kLinks;
  TExportOptions options_;
  QString fileName_;
  bool finishMode_ = false;
  QStackedWidget* pages_ = nullptr;
  QLabel* numberLabel_ = nullptr;
  QLabel* titleLabel_ = nullptr;
  TWizardPicture* picture_ = nullptr;
};

}  // namespace trawlonix
