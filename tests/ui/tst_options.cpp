// The settings dialog: defaults, the round trip through the settings file,
// clamping, the enabled-state rules and the recognition list editing.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "platform/SettingsStore.h"
#include "tst_main_modal.h"
#include "ui/Dlg_AddHTMLRec.h"
#include "ui/Dlg_Options.h"
#include "ui_test_support.h"

using namespace trawlonix;

class TstOptions : public QObject {
  Q_OBJECT
  QTemporaryDir temp_;
  QString file_;
  int n_ = 0;

  // A fresh settings file for each test.
  void Fresh() {
    file_ = temp_.filePath(QStringLiteral("s%1.conf").arg(++n_));
    qputenv("TRAWLONIX_SETTINGS", file_.toUtf8());
  }

  static void AddRow(TOptionsDlg& dlg, const QString& ext, const QString& desc) {
    tst::ModalAnswerer a;
    a.Then([&](QWidget* w) {
      QCOMPARE(w, static_cast<QWidget*>(dlg.AddHTMLRecDlg));
      QCOMPARE(w->windowTitle(), QStringLiteral("新的文件扩展名将作为 HTML/文本识别"));
      QVERIFY(dlg.AddHTMLRecDlg->Edit_Extension->text().isEmpty());
      dlg.AddHTMLRecDlg->Edit_Extension->setText(ext);
      dlg.AddHTMLRecDlg->Edit_Description->setText(desc);
      dlg.AddHTMLRecDlg->accept();
    });
    dlg.AddRecClick();
    QVERIFY(a.Done());
  }

 private slots:
  void initTestCase() { QVERIFY(temp_.isValid()); }
  void init() { Fresh(); }

  void defaultsOnFirstStart() {
    TOptionsDlg dlg;
    dlg.LoadSettings();
    QCOMPARE(dlg.windowTitle(), QStringLiteral("全局选项"));
    QCOMPARE(dlg.Edit_MaxThreads->value(), 10);
    QCOMPARE(dlg.Edit_Timeout->value(), 240);
    QCOMPARE(dlg.Edit_Errcount->value(), 4);
    QCOMPARE(dlg.Edit_LogLines->value(), 50);
    QCOMPARE(dlg.Edit_IndexFileName->text(), QStringLiteral("index.html"));
    QVERIFY(!dlg.CB_UseProxy->isChecked());
    QCOMPARE(dlg.Edit_ProxyPort->value(), 80);
    QVERIFY(dlg.CB_Reference->isChecked());
    QVERIFY(dlg.CB_LogFile->isChecked());
    QVERIFY(!dlg.CB_ShowLinkStructure->isChecked());
    QVERIFY(!dlg.CB_Http10->isChecked());
    QVERIFY(dlg.CB_CheckCertificate->isChecked());
    QVERIFY(dlg.Edit_CACertificate->text().isEmpty() && dlg.Edit_CACertificate->isEnabled());
    QCOMPARE(dlg.CLB_HTMLRec->topLevelItemCount(), 10);
    for (int i = 0; i < 10; ++i)
      QCOMPARE(dlg.CLB_HTMLRec->topLevelItem(i)->checkState(0), Qt::Checked);
    QCOMPARE(dlg.CLB_HTMLRec->topLevelItem(0)->text(0), QStringLiteral(" .html"));
    QCOMPARE(dlg.CLB_HTMLRec->topLevelItem(0)->text(1), QStringLiteral("超文本文档"));
    QCOMPARE(dlg.CLB_HTMLRec->topLevelItem(9)->text(1), QStringLiteral("活动服务器页面"));
    QVERIFY(!dlg.Btn_DelRec->isEnabled());
    QStringList tabs;
    for (int i = 0; i < dlg.Tabs->count(); ++i)
      tabs << dlg.Tabs->tabText(i);
    QCOMPARE(tabs, (QStringList{"下载", "本地", "代理", "记录日志", "HTML 识别"}));
  }

  void enabledStates() {
    TOptionsDlg dlg;
    dlg.LoadSettings();
    QVERIFY(!dlg.Edit_ProxyServer->isEnabled());
    QVERIFY(!dlg.Edit_ProxyPassword->isEnabled());
    dlg.CB_UseProxy->setChecked(true);
    for (QWidget* w :
         {static_cast<QWidget*>(dlg.Edit_ProxyServer), static_cast<QWidget*>(dlg.Edit_ProxyPort),
          static_cast<QWidget*>(dlg.Edit_ProxyUsername),
          static_cast<QWidget*>(dlg.Edit_ProxyPassword)})
      QVERIFY(w->isEnabled());
    QVERIFY(dlg.CB_AppendLogFile->isEnabled());
    dlg.CB_LogFile->setChecked(false);
    QVERIFY(!dlg.CB_AppendLogFile->isEnabled());
    // Loading puts the stored state back, enabled states included.
    dlg.LoadSettings();
    QVERIFY(!dlg.Edit_ProxyServer->isEnabled());
    QVERIFY(dlg.CB_AppendLogFile->isEnabled());
  }

  void helpContextPerTab() {
    TOptionsDlg dlg;
    const int expected[] = {2088, 2087, 2086, 2089, 2085};
    for (int i = 0; i < 5; ++i) {
      dlg.Tabs->setCurrentIndex(i);
      QCOMPARE(dlg.CurrentHelpContext(), expected[i]);
    }
  }

  void roundTrip() {
    {
      TOptionsDlg dlg;
      dlg.LoadSettings();
      dlg.Edit_MaxThreads->setValue(20);
      dlg.Edit_Timeout->setValue(30);
      dlg.Edit_Errcount->setValue(2);
      dlg.CB_RetryAll->setChecked(true);
      dlg.CB_Reference->setChecked(false);
      dlg.Edit_IndexFileName->setText("  start.htm ");
      dlg.Edit_DefaultLocalPath->setText("/tmp/mirror");
      dlg.Edit_DefaultProjectPath->setText("/tmp/projects");
      dlg.CB_UseProxy->setChecked(true);
      dlg.Edit_ProxyServer->setText(" proxy.local ");
      dlg.Edit_ProxyPort->setValue(3128);
      dlg.Edit_ProxyUsername->setText(QStringLiteral("用户"));
      dlg.Edit_ProxyPassword->setText("s3cret");
      dlg.CB_AppendLogFile->setChecked(false);
      dlg.Edit_LogLines->setValue(100);
      dlg.CB_ShowLinkStructure->setChecked(true);
      dlg.CLB_HTMLRec->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
      AddRow(dlg, " * PHP5 * ", QStringLiteral(" PHP 五 "));
      AddRow(dlg, "", "empty");
      QCOMPARE(dlg.CLB_HTMLRec->topLevelItemCount(), 12);
      QCOMPARE(dlg.CLB_HTMLRec->topLevelItem(10)->checkState(0), Qt::Unchecked);
      QVERIFY(dlg.SaveSettings());
      QCOMPARE(dlg.Edit_IndexFileName->text(), QStringLiteral("start.htm"));
    }
    QFile f(file_);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray stored = f.readAll();
    QVERIFY(!stored.contains("s3cret"));
    QVERIFY(stored.contains("ProxyPassword="));

    TOptionsDlg dlg;
    dlg.LoadSettings();
    QCOMPARE(dlg.Edit_MaxThreads->value(), 20);
    QCOMPARE(dlg.Edit_Timeout->value(), 30);
    QCOMPARE(dlg.Edit_Errcount->value(), 2);
    QVERIFY(dlg.CB_RetryAll->isChecked());
    QVERIFY(!dlg.CB_Reference->isChecked());
    QCOMPARE(dlg.Edit_IndexFileName->text(), QStringLiteral("start.htm"));
    QCOMPARE(dlg.Edit_DefaultLocalPath->text(), QStringLiteral("/tmp/mirror"));
    QCOMPARE(dlg.Edit_DefaultProjectPath->text(), QStringLiteral("/tmp/projects"));
    QVERIFY(dlg.CB_UseProxy->isChecked());
    QVERIFY(dlg.Edit_ProxyServer->isEnabled());
    QCOMPARE(dlg.Edit_ProxyServer->text(), QStringLiteral("proxy.local"));
    QCOMPARE(dlg.Edit_ProxyPort->value(), 3128);
    QCOMPARE(dlg.Edit_ProxyUsername->text(), QStringLiteral("用户"));
    QCOMPARE(dlg.Edit_ProxyPassword->text(), QStringLiteral("s3cret"));
    QVERIFY(!dlg.CB_AppendLogFile->isChecked());
    QCOMPARE(dlg.Edit_LogLines->value(), 100);
    QVERIFY(dlg.CB_ShowLinkStructure->isChecked());
    QCOMPARE(dlg.CLB_HTMLRec->topLevelItemCount(), 12);
    QCOMPARE(dlg.CLB_HTMLRec->topLevelItem(2)->checkState(0), Qt::Unchecked);
    QCOMPARE(dlg.CLB_HTMLRec->topLevelItem(10)->text(0), QStringLiteral(" .* php5 *"));
    QCOMPARE(dlg.CLB_HTMLRec->topLevelItem(10)->text(1), QStringLiteral("php 五"));
    QCOMPARE(dlg.CLB_HTMLRec->topLevelItem(11)->text(0), QStringLiteral(" ."));
    QVERIFY(dlg.IsHTMLRecExtension("* php5 *"));
    QVERIFY(dlg.IsHTMLRecExtension("SHTML"));  // unchecked rows still count
    QCOMPARE(dlg.Options.HTMLRecList.size(), std::size_t(11));
  }

  // The connection controls write the values trawlonix-cli reads, and read
  // them back; the CA file is only editable while certificates are checked.
  void connectionRoundTrip_data() {
    QTest::addColumn<bool>("http10");
    QTest::addColumn<bool>("check");
    QTest::addColumn<QString>("ca");
    QTest::newRow("checked with a CA file") << false << true << QStringLiteral("/证书/ca.pem");
    QTest::newRow("HTTP/1.0, unchecked") << true << false << QString();
  }
  void connectionRoundTrip() {
    QFETCH(bool, http10);
    QFETCH(bool, check);
    QFETCH(QString, ca);
    {
      TOptionsDlg dlg;
      dlg.LoadSettings();
      dlg.CB_Http10->setChecked(http10);
      dlg.CB_CheckCertificate->setChecked(check);
      dlg.Edit_CACertificate->setText(QStringLiteral(" %1 ").arg(ca));
      QCOMPARE(dlg.Edit_CACertificate->isEnabled(), check);
      QVERIFY(dlg.SaveSettings());
    }
    TOptions stored;
    SettingsStore store(file_.toStdString());
    stored.LoadSettings(store);
    QCOMPARE(stored.Http10, http10);
    QCOMPARE(stored.CheckCertificate, check);
    QCOMPARE(QString::fromStdString(stored.CACertificate), ca);
    TOptionsDlg dlg;
    dlg.LoadSettings();
    QCOMPARE(dlg.CB_Http10->isChecked(), http10);
    QCOMPARE(dlg.CB_CheckCertificate->isChecked(), check);
    QCOMPARE(dlg.Edit_CACertificate->text(), ca);
    QCOMPARE(dlg.Btn_CACertificate->isEnabled(), check);
  }

  void extensionTrimmedAndLowered() {
    TOptionsDlg dlg;
    dlg.LoadSettings();
    AddRow(dlg, "  PHP5 ", "x");
    QVERIFY(dlg.SaveSettings());
    TOptionsDlg again;
    again.LoadSettings();
    QVERIFY(again.IsHTMLRecExtension("php5"));
    QVERIFY(again.IsHTMLRecExtension(" PHP5"));
  }

  void storedValuesClamped_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("MaxThreads abc") << "MaxThreads"
                                    << "abc" << 10;
    QTest::newRow("MaxThreads 0") << "MaxThreads"
                                  << "0" << 1;
    QTest::newRow("MaxThreads 100") << "MaxThreads"
                                    << "100" << 64;
    QTest::newRow("LogLines 5") << "LogLines"
                                << "5" << 10;
    QTest::newRow("LogLines 900") << "LogLines"
                                  << "900" << 500;
    QTest::newRow("TimeOut 0") << "TimeOut"
                               << "0" << 1;
    QTest::newRow("TimeOut 999") << "TimeOut"
                                 << "999" << 240;
    QTest::newRow("ErrorCount -3") << "ErrorCount"
                                   << "-3" << 1;
  }
  void storedValuesClamped() {
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(int, expected);
    {
      SettingsStore store(file_.toStdString());
      store.Write("Options", name.toStdString(), value.toStdString());
      QVERIFY(store.Sync());
    }
    TOptionsDlg dlg;
    dlg.LoadSettings();
    const QSpinBox* spin = name == "MaxThreads" ? dlg.Edit_MaxThreads
                           : name == "LogLines" ? dlg.Edit_LogLines
                           : name == "TimeOut"  ? dlg.Edit_Timeout
                                                : dlg.Edit_Errcount;
    QCOMPARE(spin->value(), expected);
  }

  void deleteRows() {
    TOptionsDlg dlg;
    dlg.LoadSettings();
    AddRow(dlg, "a1", "");
    AddRow(dlg, "a2", "");
    AddRow(dlg, "a3", "");
    QTreeWidget* list = dlg.CLB_HTMLRec;
    // Built-in rows can never be deleted.
    list->setCurrentItem(list->topLevelItem(9));
    QVERIFY(!dlg.Btn_DelRec->isEnabled());
    dlg.DelRecClick();
    QCOMPARE(list->topLevelItemCount(), 13);
    list->setCurrentItem(list->topLevelItem(11));
    QVERIFY(dlg.Btn_DelRec->isEnabled());
    tst::ModalAnswerer a;
    a.Press(QMessageBox::No);
    dlg.DelRecClick();
    QCOMPARE(list->topLevelItemCount(), 13);
    a.Press(QMessageBox::Yes);
    dlg.DelRecClick();
    QCOMPARE(a.Texts().value(1), QStringLiteral("您肯定想要删除选定的条目吗？"));
    QCOMPARE(list->topLevelItemCount(), 12);
    // The selection stays at the same position...
    QCOMPARE(list->indexOfTopLevelItem(list->currentItem()), 11);
    QCOMPARE(list->currentItem()->text(0), QStringLiteral(" .a3"));
    // ...or moves to the new last row.
    a.Press(QMessageBox::Yes);
    dlg.DelRecClick();
    QCOMPARE(list->indexOfTopLevelItem(list->currentItem()), 10);
    a.Press(QMessageBox::Yes);
    dlg.DelRecClick();
    QCOMPARE(list->topLevelItemCount(), 10);
    QVERIFY(!dlg.Btn_DelRec->isEnabled());
    QVERIFY(a.Done());
    QVERIFY(dlg.SaveSettings());
    SettingsStore store(file_.toStdString());
    QCOMPARE(store.Read("HTMLRec", "EXT_Count").value_or(""), std::string("0"));
  }

  void cancelSavesNothing() {
    TOptionsDlg dlg;
    tst::ModalAnswerer a;
    a.Then([&](QWidget*) {
      dlg.Edit_MaxThreads->setValue(33);
      dlg.reject();
    });
    QVERIFY(!dlg.Execute());
    QCOMPARE(dlg.Options.MaxThreads, 10);
    a.Then([&](QWidget*) {
      // Reopening reloads: the cancelled edit is gone.
      QCOMPARE(dlg.Edit_MaxThreads->value(), 10);
      dlg.Edit_MaxThreads->setValue(12);
      dlg.accept();
    });
    QVERIFY(dlg.Execute());
    QCOMPARE(dlg.Options.MaxThreads, 12);
    SettingsStore store(file_.toStdString());
    QCOMPARE(store.Read("Options", "MaxThreads").value_or(""), std::string("12"));
  }

  // The five tabs as the user first sees them, for the documentation.
  void pictures() {
    if (uitest::ShotDir().isEmpty()) QSKIP("TX_DIALOG_SHOTS not set");
    Fresh();
    TOptionsDlg dlg;
    dlg.show();
    for (int i = 0; i < dlg.Tabs->count(); ++i) {
      dlg.Tabs->setCurrentIndex(i);
      uitest::Shoot(&dlg, QStringLiteral("settings-tab%1.png").arg(i + 1));
    }
  }
};

QTEST_MAIN(TstOptions)
#include "tst_options.moc"
