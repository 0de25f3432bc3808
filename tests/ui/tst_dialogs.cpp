// The small dialogs: resume prompt, results, slot status window, link-check
// options, splash, add-extension dialog, and the help topics.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBrowser>

#include "tst_main_modal.h"
#include "ui/Dlg_CheckColLinks.h"
#include "ui/Dlg_Continue.h"
#include "ui/Dlg_Results.h"
#include "ui/Dlg_Splash.h"
#include "ui/Frm_Info.h"
#include "ui/TxHelp.h"

using namespace trawlonix;

class TstDialogs : public QObject {
  Q_OBJECT
 private slots:
  // Help windows have no parent; without an event loop nothing ends them.
  void cleanupTestCase() { ui::DeleteHelpWindows(); }

  void resumePromptPresets_data() {
    QTest::addColumn<bool>("canContinue");
    QTest::addColumn<bool>("continueEnabled");
    QTest::addColumn<bool>("readyShown");
    QTest::addColumn<int>("preset");
    QTest::newRow("pending entries")
        << true << true << false << int(CrawlHost::StartChoice::Continue);
    QTest::newRow("complete project")
        << false << false << true << int(CrawlHost::StartChoice::Update);
  }
  void resumePromptPresets() {
    QFETCH(bool, canContinue);
    QFETCH(bool, continueEnabled);
    QFETCH(bool, readyShown);
    QFETCH(int, preset);
    TContinueDlg dlg;
    // A previous answer must not leak into the next showing.
    dlg.RB_Restart->setChecked(true);
    dlg.Preset(canContinue);
    QCOMPARE(dlg.RB_Continue->isEnabled(), continueEnabled);
    QCOMPARE(!dlg.Show_Ready->isHidden(), readyShown);
    QCOMPARE(int(dlg.Choice()), preset);
  }

  void resumePromptAnswers() {
    TContinueDlg dlg;
    tst::ModalAnswerer a;
    a.Then([&](QWidget*) {
      dlg.RB_Restart->setChecked(true);
      dlg.accept();
    });
    QCOMPARE(dlg.Ask(true), CrawlHost::StartChoice::Restart);
    a.Close(false);
    QCOMPARE(dlg.Ask(true), CrawlHost::StartChoice::Cancel);
    a.Close(true);
    QCOMPARE(dlg.Ask(false), CrawlHost::StartChoice::Update);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("再继续方案"));
  }

  void resultsWindow() {
    TResultsDlg dlg;
    TCounters t;
    t[TCounters::kKiloBytes] = 12;
    t[TCounters::kQueued] = 30;
    t[TCounters::kQueuedHt] = 10;
    t[TCounters::kReceived] = 29;
    t[TCounters::kReceivedHt] = 9;
    t[TCounters::kChecked] = 3;
    t[TCounters::kCheckedHt] = 1;
    dlg.SetResults(QStringLiteral("被中断"), t);
    QCOMPARE(dlg.Show_Status->text(), QStringLiteral("被中断"));
    const QLabel* labels[] = {dlg.Show_KBRecv,       dlg.Show_FilesInQueue, dlg.Show_HTDocsInQueue,
                              dlg.Show_FilesLoaded,  dlg.Show_HTDocsLoaded, dlg.Show_FilesChecked,
                              dlg.Show_HTDocsChecked};
    const char* expected[] = {"12", "30", "10", "29", "9", "3", "1"};
    for (int i = 0; i < 7; ++i)
      QCOMPARE(labels[i]->text(), QString::fromLatin1(expected[i]));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("方案结果"));
  }

  void slotStatusWindow() {
    TInfoForm f;
    QCOMPARE(f.windowTitle(), QStringLiteral("下载线程的状态:"));
    QVERIFY(f.windowFlags() & Qt::WindowStaysOnTopHint);
    f.SetSlotCount(3);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QCOMPARE(f.SlotCount(), 3);
    for (int i = 0; i < 3; ++i)
      QVERIFY(f.SlotPanelVisible(i));
    f.SetSlotUrl(2, "http://127.0.0.1/x");
    f.SetSlotInfo(2, QStringLiteral("正在工作！"));
    f.SetSlotProgress(2, 5000);
    f.SetSlotUrl(3, "ignored");
    f.SetSlotProgress(-1, 7);
    QCOMPARE(f.SlotUrl(2), QStringLiteral("http://127.0.0.1/x"));
    QCOMPARE(f.SlotInfo(2), QStringLiteral("正在工作！"));
    QCOMPARE(f.SlotProgress(2), 5000);
    QCOMPARE(f.SlotUrl(3), QString());
    // Sizing: the width is fixed at the rule's value, the minimum height too.
    const QSize rule = f.RuledSize();
    QCOMPARE(f.minimumWidth(), rule.width());
    QCOMPARE(f.maximumWidth(), rule.width());
    QCOMPARE(f.minimumHeight(), rule.height());
    // A new count clears every panel; fewer panels remove the rest.
    f.SetSlotCount(2);
    QCOMPARE(f.SlotCount(), 2);
    QCOMPARE(f.SlotUrl(1), QString());
    QCOMPARE(f.SlotProgress(1), 0);
    QCOMPARE(f.findChildren<QProgressBar*>().size(), 2);
    QVERIFY(f.isVisible());
    // Zero closes the window and hides the template panel.
    f.SetSlotCount(0);
    QVERIFY(!f.isVisible());
    QCOMPARE(f.findChildren<QProgressBar*>().size(), 1);
    QVERIFY(!f.SlotPanelVisible(0));
    f.SetSlotCount(64);
    QCOMPARE(f.findChildren<QProgressBar*>().size(), 64);
    // The close button hides the window.
    f.show();
    f.CloseButton->click();
    QVERIFY(!f.isVisible());
    QCOMPARE(f.CloseButton->text(), QStringLiteral("关闭(&S)"));
  }

  void checkOptions() {
    TCheckColLinksDlg dlg;
    dlg.SetResultIndex(3);
    dlg.Preset(false);
    QVERIFY(!dlg.RB_MarkedLinks->isEnabled());
    QVERIFY(dlg.RB_AllLinks->isChecked());
    QVERIFY(!dlg.OnlySelected());
    QCOMPARE(dlg.ResultIndex(), 0);
    dlg.SetResultIndex(4);
    dlg.Preset(true);
    QVERIFY(dlg.RB_MarkedLinks->isEnabled());
    QVERIFY(dlg.OnlySelected());
    QCOMPARE(dlg.ResultIndex(), 0);
  }

  void splashVersion() {
    TSplashDlg dlg;
    QCOMPARE(dlg.Version_Label->text(), QStringLiteral("版本: 2.7 构建: 6"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Morvek Trawlonix"));
    QCOMPARE(dlg.URLLabel->cursor().shape(), Qt::PointingHandCursor);
  }

  void helpTopics() {
    QList<int> contexts = {10000, 3089};
    for (int i = 2085; i <= 2089; ++i)
      contexts << i;
    for (int i = 1081; i <= 1089; ++i)
      contexts << i;
    for (int i = 4080; i <= 4089; ++i)
      contexts << i;
    for (int i = 401; i <= 409; ++i)
      contexts << i;
    for (int c : contexts)
      QVERIFY2(!ui::HelpTopicPath(c).isEmpty(), qPrintable(QString::number(c)));
    QVERIFY(ui::HelpTopicPath(1).isEmpty());
    // One window per name, reused.
    ui::ShowHelpContext("txhelp", 3089);
    QTextBrowser* w = ui::HelpWindow("txhelp");
    QVERIFY(w);
    QVERIFY(w->source().toString().endsWith("3089.html"));
    QVERIFY(w->toPlainText().contains(QStringLiteral("检查收集的链接")));
    ui::ShowHelpContext("txhelp", 2088);
    QCOMPARE(ui::HelpWindow("txhelp"), w);
    QVERIFY(w->source().toString().endsWith("2088.html"));
    ui::ShowHelpContext("txmain", 10000);
    QVERIFY(ui::HelpWindow("txmain") != w);
    ui::ShowHelpContext("txhelp", 77);  // unknown: the contents
    QVERIFY(w->source().toString().endsWith("index.html"));
    QVERIFY(!ui::HelpWindow("nothing"));
  }
};

QTEST_MAIN(TstDialogs)
#include "tst_dialogs.moc"
