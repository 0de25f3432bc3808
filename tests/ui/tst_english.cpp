// The interface language: how it is chosen, and the window, a dialog and the
// help topics in English; switching back gives the Chinese texts again.
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "base/Translate.h"
#include "settings/Language.h"
#include "ui/Dlg_NewSpider.h"
#include "ui/Dlg_Options.h"
#include "ui/Frm_TrawlonixMain.h"
#include "ui/ProjectChoicesPanel.h"
#include "ui/TxHelp.h"
#include "ui_test_support.h"

using namespace trawlonix;

namespace {

QStringList MenuTitles(QWidget& w) {
  QStringList out;
  for (QAction* a : w.findChild<QMenuBar*>()->actions())
    out << a->text();
  return out;
}

}  // namespace

class TstEnglish : public QObject {
  Q_OBJECT
  QTemporaryDir temp_;

 private slots:
  void initTestCase() {
    QVERIFY(temp_.isValid());
    qputenv("TRAWLONIX_SETTINGS", temp_.filePath(QStringLiteral("s.conf")).toUtf8());
  }
  void cleanup() { InstallLanguage(UiLanguage::Chinese); }

  void choice_data() {
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcMessages");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<bool>("english");
    QTest::newRow("LANG zh") << QByteArray() << QByteArray() << QByteArray("zh_CN.UTF-8")
                             << QString() << QString() << false;
    QTest::newRow("LANG en") << QByteArray() << QByteArray() << QByteArray("en_US.UTF-8")
                             << QString() << QString() << true;
    QTest::newRow("LANG C") << QByteArray() << QByteArray() << QByteArray("C") << QString()
                            << QString() << true;
    QTest::newRow("nothing set") << QByteArray() << QByteArray() << QByteArray() << QString()
                                 << QString() << true;
    QTest::newRow("LC_MESSAGES over LANG")
        << QByteArray() << QByteArray("zh_TW") << QByteArray("en_GB") << QString() << QString()
        << false;
    QTest::newRow("LC_ALL over all") << QByteArray("en_US") << QByteArray("zh_CN")
                                     << QByteArray("zh_CN") << QString() << QString() << true;
    QTest::newRow("setting over locale") << QByteArray() << QByteArray() << QByteArray("zh_CN")
                                         << QString() << QString("en") << true;
    QTest::newRow("argument over setting") << QByteArray() << QByteArray() << QByteArray("en_US")
                                           << QString("ZH") << QString("en") << false;
    QTest::newRow("bad argument ignored") << QByteArray() << QByteArray() << QByteArray("zh_CN")
                                          << QString("fr") << QString() << false;
  }
  void choice() {
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcMessages);
    QFETCH(QByteArray, lang);
    QFETCH(QString, argument);
    QFETCH(QString, setting);
    QFETCH(bool, english);
    const QByteArray saved[3] = {qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG")};
    qputenv("LC_ALL", lcAll);
    qputenv("LC_MESSAGES", lcMessages);
    qputenv("LANG", lang);
    const UiLanguage got = ChooseLanguage(argument.toStdString(), setting.toStdString());
    qputenv("LC_ALL", saved[0]);
    qputenv("LC_MESSAGES", saved[1]);
    qputenv("LANG", saved[2]);
    QCOMPARE(got == UiLanguage::English, english);
  }

  void argumentTakenOut() {
    std::vector<std::string> args = {"run", "--lang", "en", "p.txp"};
    QCOMPARE(TakeLanguageArgument(args), std::string("en"));
    QCOMPARE(args, (std::vector<std::string>{"run", "p.txp"}));
    args = {"--lang=zh", "x"};
    QCOMPARE(TakeLanguageArgument(args), std::string("zh"));
    args = {"run", "--", "--lang", "en"};
    QCOMPARE(TakeLanguageArgument(args), std::string());
    args = {"run", "--lang"};
    QCOMPARE(TakeLanguageArgument(args), std::string("-"));
  }

  void windowDialogAndHelpInEnglish() {
    InstallLanguage(UiLanguage::English);
    TTrawlonixMainForm w;
    w.AutoActivate = false;
    QCOMPARE(MenuTitles(w), (QStringList{"&File", "&Project", "Collected &links",
                                         "Collected &e-mails", "&Broken links", "&Help"}));
    QCOMPARE(w.ListPages->tabText(2), QStringLiteral("Broken links"));
    TOptionsDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Global options"));
    QVERIFY(ui::HelpTopicPath(2088).startsWith(QStringLiteral(":/help/en/")));
    // The plain-C++ layers reach the same catalog through the hook.
    QCOMPARE(translate("LinkCheck", "所有过程被中断"), std::string("All processes stopped"));
  }

  void backToChinese() {
    InstallLanguage(UiLanguage::English);
    InstallLanguage(UiLanguage::Chinese);
    TTrawlonixMainForm w;
    w.AutoActivate = false;
    QCOMPARE(MenuTitles(w).first(), QStringLiteral("文件(&D)"));
    QCOMPARE(ui::HelpTopicPath(2088), QStringLiteral(":/help/2088.html"));
    QCOMPARE(translate("LinkCheck", "所有过程被中断"), std::string("所有过程被中断"));
  }

  // The wizard's first page in English for the README
  // (scripts/screenshots-dialogs.sh).
  void pictures() {
    if (uitest::ShotDir().isEmpty()) QSKIP("TX_DIALOG_SHOTS not set");
    InstallLanguage(UiLanguage::English);
    TOptions options;
    options.DefaultLocalPath = QDir::tempPath().toStdString();
    TNewSpiderDlg w(&options);
    w.show();
    w.Edit_StartingUrl->setText(QStringLiteral("www.example.com/docs/"));
    w.Edit_StartingUrlExit();
    uitest::Shoot(&w, QStringLiteral("wizard-page1-en.png"));
    w.Edit_ProjectName->setText(QStringLiteral("example"));
    while (w.CurrentPage() != TNewSpiderDlg::Regeln)
      w.NextClick();
    w.ChoicesPanel->Edit_Wait->setText(QStringLiteral("1.5"));
    w.ChoicesPanel->CB_RandomWait->setChecked(true);
    w.ChoicesPanel->Memo_RejectName->setPlainText(QStringLiteral("*.iso\n*.zip"));
    w.ChoicesPanel->Memo_RejectUrl->setPlainText(QStringLiteral("*/private/*"));
    w.ChoicesPanel->Edit_MaxFileSize->setText(QStringLiteral("10M"));
    uitest::Shoot(&w, QStringLiteral("wizard-rules-en.png"));
  }
};

QTEST_MAIN(TstEnglish)
#include "tst_english.moc"
