// The main window as a user lives with it: where "保存" proposes to save,
// which runs leave the project changed, quitting with other windows open,
// widths at the default font, the remembered size, Qt's own dialogs in the
// interface language and the browser command's failure.
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include "TestServer.h"
#include "engine/RunControl.h"
#include "model/projectfile.h"
#include "platform/SettingsStore.h"
#include "tst_main_modal.h"
#include "ui/Dlg_Options.h"
#include "ui/Frm_Info.h"
#include "ui/Frm_TrawlonixMain.h"
#include "ui/TxHelp.h"
#include "ui/TxLanguage.h"
#include "ui/TxMessages.h"
#include "ui/TxStatusBar.h"

using namespace trawlonix;

namespace {

using Choice = CrawlHost::StartChoice;

void WriteFile(const QString& name, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(name).absolutePath());
  QFile f(name);
  QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

// What the save dialog proposed (folder and file), accepted as it stands;
// saving over an existing file answers the overwrite question with Yes.
void AcceptProposal(tst::ModalAnswerer& a, QString& proposed, bool overwrite) {
  a.Then([&proposed](QWidget* shown) {
    auto* fd = qobject_cast<QFileDialog*>(shown);
    QVERIFY(fd);
    proposed = fd->selectedFiles().value(0);
    // Accepted once the dialog's own loop runs: the overwrite question is a
    // further modal window.
    QTimer::singleShot(0, fd, [fd] { static_cast<QDialog*>(fd)->accept(); });
  });
  if (overwrite) a.Press(QMessageBox::Yes);
}

}  // namespace

class TstMainLife : public QObject {
  Q_OBJECT
  QTemporaryDir temp_;

  QString P(const QString& rel) const { return temp_.filePath(rel); }

  std::unique_ptr<TTrawlonixMainForm> MakeWindow() {
    auto w = std::make_unique<TTrawlonixMainForm>();
    w->AutoActivate = false;
    w->OptionsDlg->LoadSettings();
    w->OptionsDlg->Options.DefaultProjectPath = P("projects").toStdString();
    return w;
  }

  // A loaded project that was never saved (the new-project question
  // answered No).
  void MakeLoaded(TTrawlonixMainForm& w, const QString& url) {
    TrawlonixDefinition def;
    def.StartingUrl = url.toStdString();
    def.ProjectName = "demo";
    def.LocalPath = P("mirror").toStdString();
    tst::ModalAnswerer a;
    a.Press(QMessageBox::No);
    w.AdoptNewProject(def);
    QVERIFY(a.Done());
  }

 private slots:
  // Help windows have no parent; without an event loop nothing ends them.
  void cleanupTestCase() { ui::DeleteHelpWindows(); }

  void initTestCase() {
    QVERIFY(temp_.isValid());
    QVERIFY(QDir().mkpath(P("projects")));
    qputenv("TRAWLONIX_SETTINGS", P("settings.conf").toUtf8());
  }

  // Only a never-saved project starts in the default project folder; after
  // a save-as or an open, "保存" proposes that very file again, and taking
  // the proposal overwrites it instead of leaving it stale.
  void saveProposesTheProjectFile_data() {
    QTest::addColumn<bool>("opened");
    QTest::newRow("after save-as") << false;
    QTest::newRow("after open") << true;
  }
  void saveProposesTheProjectFile() {
    QFETCH(bool, opened);
    QFile::remove(P("projects/demo.txp"));
    auto w = MakeWindow();
    MakeLoaded(*w, "http://127.0.0.1:9/");
    tst::ModalAnswerer a;
    QString proposed;
    AcceptProposal(a, proposed, false);
    QVERIFY(w->SaveProject());
    QCOMPARE(proposed, P("projects/demo.txp"));
    const QString elsewhere = P(opened ? "opened/kept.txp" : "saved/kept.txp");
    QDir().mkpath(QFileInfo(elsewhere).absolutePath());
    if (opened) {
      QVERIFY(QFile::copy(P("projects/demo.txp"), elsewhere));
      w->OpenProjectFile(elsewhere);
    } else {
      a.ChooseFile(elsewhere);
      QVERIFY(w->SaveProject());
    }
    QVERIFY(a.Done());
    w->Definition.ProjectName = "renamed";
    w->Definition.Modified = true;
    AcceptProposal(a, proposed, true);
    QVERIFY(w->SaveProject());
    QVERIFY(a.Done());
    QVERIFY2(a.Unexpected().isEmpty(), qPrintable(a.Unexpected().join(", ")));
    QCOMPARE(proposed, elsewhere);
    QVERIFY(!w->Modified());
    // The project file and, beside it, its result lists: nothing else.
    QCOMPARE(QDir(QFileInfo(elsewhere).absolutePath()).entryList(QDir::Files),
             (QStringList{"kept.txp", "kept.txs"}));
    TrawlonixDefinition def;
    TSpiderList spider;
    TCGIRedirectList redirects;
    QVERIFY(trawlonix::OpenProject(elsewhere.toStdString(), def, spider, redirects).ok);
    QCOMPARE(def.ProjectName.str(), std::string("renamed"));
  }

  // A run that changed the spider or result lists leaves the project
  // changed: closing asks to save. A run that found nothing to do does not.
  void runsMarkTheProjectChanged_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("pending");  // an entry left to fetch before the run
    QTest::addColumn<bool>("changed");
    QTest::newRow("finished") << int(Choice::Restart) << false << true;
    QTest::newRow("continued") << int(Choice::Continue) << true << true;
    QTest::newRow("updated") << int(Choice::Update) << false << true;
    QTest::newRow("continued, nothing left") << int(Choice::Continue) << false << false;
  }
  void runsMarkTheProjectChanged() {
    QFETCH(int, choice);
    QFETCH(bool, pending);
    QFETCH(bool, changed);
    WriteFile(P("site/index.html"), "<HTML><A HREF=\"a.html\">a</A></HTML>");
    WriteFile(P("site/a.html"), "<HTML>a</HTML>");
    testsupport::TestServer server;
    testsupport::TestServer::Options o;
    o.root = P("site");
    QVERIFY2(server.start(o), qPrintable(server.errorString()));
    auto w = MakeWindow();
    w->RunControl().TimeoutMsForTests = 5000;
    MakeLoaded(*w, server.baseUrl());
    tst::ModalAnswerer a;
    // A run has ended once its worker is gone, after the results window.
    bool ended = false;
    const auto onEnded = w->RunControl().OnRunEnded;
    w->RunControl().OnRunEnded = [&ended, onEnded](bool interrupted) {
      onEnded(interrupted);
      ended = true;
    };
    const auto run = [&](Choice c) {
      a.Close(true);  // the results window
      ended = false;
      QVERIFY(w->RunControl().Start(c));
      QTRY_VERIFY_WITH_TIMEOUT(ended && a.Done(), 30000);
    };
    if (choice != int(Choice::Restart)) run(Choice::Restart);
    if (pending) {
      w->SpiderList.Clear();
      TURL start;
      QVERIFY(ParseURL(server.baseUrl().toStdString(), false, start));
      w->SpiderList.AddURL(start, -10, 0);
    }
    w->Definition.Modified = false;  // as just saved
    run(static_cast<Choice>(choice));
    QVERIFY2(a.Unexpected().isEmpty(), qPrintable(a.Unexpected().join(", ")));
    QCOMPARE(w->Modified(), changed);
    if (!changed) return;
    a.Press(QMessageBox::Cancel);
    QVERIFY(!w->close());
    QCOMPARE(a.Texts().last(), QStringLiteral("您想要保存目前方案中的更改吗？"));
  }

  // "退出" ends the program: no help window or status window stays behind.
  void quitClosesEveryWindow() {
    auto w = MakeWindow();
    w->show();
    ui::ShowHelpContext(QStringLiteral("txmain"), 10000);
    w->ShowStatusWindow();
    QVERIFY(ui::HelpWindow(QStringLiteral("txmain"))->isVisible());
    w->Command("Quit")->trigger();
    QStringList open;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->isVisible()) open << top->objectName();
    QCOMPARE(open, QStringList{});
  }

  // At the default font the settings dialog shows its five tabs whole and
  // each status panel its longest text.
  void widthsAtTheDefaultFont_data() {
    QTest::addColumn<bool>("updateRun");
    QTest::newRow("run") << false;
    QTest::newRow("update") << true;
  }
  void widthsAtTheDefaultFont() {
    QFETCH(bool, updateRun);
    TOptionsDlg dlg;
    dlg.show();
    QTabBar* bar = dlg.Tabs->tabBar();
    QCOMPARE(bar->count(), 5);
    for (int i = 0; i < bar->count(); ++i)
      QVERIFY2(bar->rect().contains(bar->tabRect(i)), qPrintable(bar->tabText(i)));

    auto w = MakeWindow();
    w->show();
    TCounters t;
    for (int i = TCounters::kQueued; i < TCounters::kCount; ++i)
      t[i] = 99999;
    t[TCounters::kKiloBytes] = 999999;
    const auto texts = TRunControl::StatusTexts(t, updateRun);
    QCOMPARE(QString::fromStdString(texts[3]), QStringLiteral("100.00% 已完成"));
    // The percentage panel has room for it from the start.
    const QLabel* percent = w->Status->PanelLabel(3);
    QVERIFY(percent->contentsRect().width() >=
            percent->fontMetrics().horizontalAdvance(QString::fromStdString(texts[3])));
    for (int i = 0; i < 4; ++i) {
      const QString text = QString::fromStdString(texts[static_cast<std::size_t>(i)]);
      w->Status->SetPanelText(i, text);
      w->layout()->activate();
      const QLabel* panel = w->Status->PanelLabel(i);
      QVERIFY2(panel->contentsRect().width() >= panel->fontMetrics().horizontalAdvance(text),
               qPrintable(text));
    }
  }

  // Closing remembers the size as well as the place; the next window opens so.
  void placementRemembersSize() {
    QSize size;
    {
      auto w = MakeWindow();
      w->ShowSplashAtStart = false;
      w->show();
      size = w->minimumSizeHint() + QSize(20, 30);
      w->resize(size);
      w->FirstActivation();  // only an activated window stores its placement
      QVERIFY(w->close());
    }
    const auto width = SettingsStore().Read("Placement", "Width");
    const auto height = SettingsStore().Read("Placement", "Height");
    QVERIFY(width && height);
    auto w2 = MakeWindow();
    QCOMPARE(QSize(std::stoi(*width), std::stoi(*height)), size);
    QCOMPARE(w2->size(), size);
  }

  // Qt's own dialogs speak the interface language, not English.
  void qtDialogsSpeakTheInterfaceLanguage() {
    QVERIFY(ui::InstallQtTranslations(*QCoreApplication::instance()));
    QFileDialog fd;
    fd.setOption(QFileDialog::DontUseNativeDialog, true);
    auto* lookIn = fd.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    QVERIFY(lookIn);
    QVERIFY2(lookIn->text() != QStringLiteral("Look in:"), qPrintable(lookIn->text()));
  }

  // The browser command says so when no program could open the stored page.
  void browserCommandReportsFailure_data() {
    QTest::addColumn<bool>("opens");
    QTest::newRow("opened") << true;
    QTest::newRow("no program") << false;
  }
  void browserCommandReportsFailure() {
    QFETCH(bool, opens);
    auto w = MakeWindow();
    MakeLoaded(*w, "http://127.0.0.1:9/");
    WriteFile(P("mirror/127.0.0.1/index.html"), "<HTML></HTML>");
    QUrl asked;
    w->OpenInBrowser = [&](const QUrl& url) {
      asked = url;
      return opens;
    };
    tst::ModalAnswerer a;
    if (!opens) a.Press(QMessageBox::Ok);
    w->ToolCommand("Browser")->trigger();
    QVERIFY(a.Done());
    QCOMPARE(asked, QUrl::fromLocalFile(P("mirror/127.0.0.1/index.html")));
    QCOMPARE(a.Handled(), opens ? 0 : 1);
  }
};

QTEST_MAIN(TstMainLife)
#include "tst_mainlife.moc"
