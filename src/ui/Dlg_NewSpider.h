// The new-project wizard: nine pages that fill one project record. The caller
// shows it with Execute(); on OK it adopts the wizard's record (Adopt). The
// checks and normalisations are those of model/ProjectSetup, shared with
// trawlonix-cli's "new".
#pragma once

#include <QDialog>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "model/tx_types.h"
#include "polite/ProjectChoices.h"
#include "ui/WizardFrame.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QWidget;

namespace trawlonix {

struct TOptions;

// The texts of the limit modes, index = TLimitMode; the last one ("<永不下载>")
// is offered only for images, embedded objects and other references.
const QStringList& LimitModeTexts();
// The texts of the collect options, index = TCollectOption.
const QStringList& CollectOptionTexts();

class TProjectChoicesPanel;

class TNewSpiderDlg : public QDialog {
 public:
  // Regeln (robots.txt, pacing, patterns, sizes) is shown just before Fertig;
  // it comes last in the numbering so that the other pages keep their help
  // contexts.
  enum Page {
    Generel = 0,
    Passwort,
    Aktionen,
    Lokal,
    Limits_HTDOC,
    Limits_EMBED,
    Positivliste,
    Negativliste,
    Fertig,
    Regeln,
    kPageCount
  };

  // `options` gives "DefaultLocalPath"; it must outlive the wizard (may be null).
  explicit TNewSpiderDlg(const TOptions* options = nullptr, QWidget* parent = nullptr);
  // The settings are created after the wizard at start-up; the main window
  // hands them over once they exist.
  void SetOptions(const TOptions* options) { options_ = options; }

  // Shows the wizard modally from its first page with a reset record. True
  // when the user finished it; the result is Definition().
  bool Execute();
  const TrawlonixDefinition& Definition() const { return def_; }
  // The crawl choices of the finished wizard (the defaults on every showing).
  const TProjectChoices& Choices() const { return choices_; }

  // What the main window takes over from a finished wizard: every field the
  // wizard asks for and the contents of both prefix lists (copied into the
  // target's own list objects). HTMLRenList, OnlyRenameSkriptURL and StrictUrl
  // of the target keep their values.
  static void Adopt(const TrawlonixDefinition& wizard, TrawlonixDefinition& target);

  // The summary of the last page, line by line.
  static std::vector<std::string> SummaryLines(const TrawlonixDefinition& def);

  // "帮助" shows help context 4089 minus the page index (4080 for Regeln) in
  // the help window "txhelp"; a set OnHelp replaces that (tests).
  std::function<void(int context, const QString& window)> OnHelp;

  int CurrentPage() const;
  QString PageLabel() const;  // the number label as shown ("1." ...)
  QString PageTitle() const;

  // Page navigation as the buttons run it (public for tests and pictures).
  void NextClick();
  void BackClick();

  // Controls, named as the window names them.
  QLineEdit* Edit_StartingUrl = nullptr;
  QLineEdit* Edit_ProjectName = nullptr;
  QCheckBox* CB_UsePwd = nullptr;
  QLineEdit* Edit_Username = nullptr;
  QLineEdit* Edit_Password = nullptr;
  QCheckBox* CB_actSaveFiles = nullptr;
  QCheckBox* CB_actEMails = nullptr;
  QCheckBox* CB_actBLinks = nullptr;
  QCheckBox* CB_actCollect = nullptr;
  QComboBox* CB_actColOpt = nullptr;
  QLineEdit* Edit_LocalPath = nullptr;
  QPushButton* Button_Browse = nullptr;
  QCheckBox* CB_ChgLocLink = nullptr;
  QCheckBox* CB_ChgJScriptLink = nullptr;
  QCheckBox* CB_ChgExtLink = nullptr;
  QCheckBox* CB_LevelLimit = nullptr;
  QSpinBox* SEdit_MaxLevel = nullptr;
  QComboBox* CB_LimitHtDocs = nullptr;
  QComboBox* CB_LimitIlImages = nullptr;
  QComboBox* CB_LimitEmbeded = nullptr;
  QComboBox* CB_LimitLinked = nullptr;
  QListWidget* ListBox_Positivlist = nullptr;
  QListWidget* ListBox_Negativlist = nullptr;
  std::array<QPushButton*, 3> PositivButtons{};  // 添加, 更改, 删除
  std::array<QPushButton*, 3> NegativButtons{};
  TProjectChoicesPanel* ChoicesPanel = nullptr;
  QPlainTextEdit* Memo_Fertig = nullptr;
  QPushButton* Button_Back = nullptr;
  QPushButton* Button_Next = nullptr;
  QPushButton* Button_Cancel = nullptr;
  QPushButton* Button_Help = nullptr;

  // The start-URL field's exit step (normalisation, messages, name proposal).
  void Edit_StartingUrlExit();
  void Edit_LocalPathExit();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QWidget* BuildGenerel();
  QWidget* BuildPasswort();
  QWidget* BuildAktionen();
  QWidget* BuildLokal();
  QWidget* BuildLimitsHtdoc();
  QWidget* BuildLimitsEmbed();
  QWidget* BuildList(bool positive);
  QWidget* BuildFertig();
  QWidget* BuildRegeln();

  void FormShow();
  void FillControls();
  void LeavePage(int page);
  bool ValidatePage(int page);
  void EnterPage(int page);
  void ShowPage(int page);
  void SetNextToFinish(bool finish);
  void UpdateEnabling();
  void UpdateListButtons(bool positive);
  void BrowseClick();

  const TOptions* options_;
  TrawlonixDefinition def_;
  TProjectChoices choices_;
  QStackedWidget* pages_ = nullptr;
  QLabel* numberLabel_ = nullptr;
  QLabel* titleLabel_ = nullptr;
  std::array<QString, kPageCount> labels_;
  bool finishMode_ = false;
  bool inExit_ = false;
};

}  // namespace trawlonix
