// The settings dialog and the one holder of the application settings: every
// window reads the settings from TOptionsDlg::Options; only this dialog
// writes them.
#pragma once

#include <QDialog>
#include <string_view>

#include "settings/Settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTreeWidget;

namespace trawlonix {

class SettingsStore;
class TAddHTMLRecDlg;

class TOptionsDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TOptionsDlg(QWidget* parent = nullptr);

  TOptions Options;

  // Reads the store (the default one: TRAWLONIX_SETTINGS or the user's file)
  // and puts the values into the controls.
  void LoadSettings();
  void LoadSettings(SettingsStore& store);
  // Takes the values from the controls, clamps and writes them.
  bool SaveSettings();
  bool SaveSettings(SettingsStore& store);
  // Reload, show modally, save on OK. True when the user pressed OK.
  bool Execute();

  bool IsHTMLRecExtension(std::string_view ext) const { return Options.IsHTMLRecExtension(ext); }
  // The ten built-in rows only, row 1 selected, delete disabled.
  void FillSystemItems();
  // The help context of the tab now shown.
  int CurrentHelpContext() const;

  // The add-extension dialog of the recognition tab.
  TAddHTMLRecDlg* AddHTMLRecDlg = nullptr;

  // Controls, by tab.
  QTabWidget* Tabs;
  QCheckBox* CB_Reference;
  QSpinBox* Edit_MaxThreads;
  QSpinBox* Edit_Timeout;
  QSpinBox* Edit_Errcount;
  QCheckBox* CB_RetryAll;
  QCheckBox* CB_Http10;
  QCheckBox* CB_CheckCertificate;
  QLineEdit* Edit_CACertificate;
  QPushButton* Btn_CACertificate;
  QLineEdit* Edit_IndexFileName;
  QLineEdit* Edit_DefaultLocalPath;
  QLineEdit* Edit_DefaultProjectPath;
  QComboBox* CB_Language;  // follow the locale, English, Chinese
  QCheckBox* CB_UseProxy;
  QLineEdit* Edit_ProxyServer;
  QSpinBox* Edit_ProxyPort;
  QLineEdit* Edit_ProxyUsername;
  QLineEdit* Edit_ProxyPassword;
  QCheckBox* CB_LogFile;
  QCheckBox* CB_AppendLogFile;
  QSpinBox* Edit_LogLines;
  QCheckBox* CB_ShowLinkStructure;
  QTreeWidget* CLB_HTMLRec;
  QPushButton* Btn_AddRec;
  QPushButton* Btn_DelRec;

  // Handlers (public so that tests can drive them without clicks).
  void CB_UseProxyClick();
  void CB_LogFileClick();
  void CB_CheckCertificateClick();
  void CLB_HTMLRecClick();
  void AddRecClick();
  void DelRecClick();

 private:
  void PutControls();
  void TakeControls();
  void AppendRow(const THTMLRecRow& row);
  QWidget* BuildConnectionGroup();
  QList<QLabel*> proxyLabels_;
};

}  // namespace trawlonix
