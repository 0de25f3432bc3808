// Whole runs with the main window as the crawl host, against the scripted
// test server on 127.0.0.1: start, results window, lists and trees, save,
// reopen; and a stopped run with its save question and the continue choice.
#include <sys/resource.h>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "TestServer.h"
#include "engine/RunControl.h"
#include "model/projectfile.h"
#include "settings/Language.h"
#include "tst_main_modal.h"
#include "ui/Dlg_Continue.h"
#include "ui/Dlg_Options.h"
#include "ui/Dlg_Results.h"
#include "ui/Frm_Info.h"
#include "ui/Frm_TrawlonixMain.h"
#include "ui/TxStatusBar.h"

using namespace trawlonix;

namespace {

void WriteFile(const QString& name, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(name).absolutePath());
  QFile f(name);
  QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

QStringList Column(QTreeWidget* lv, int column) {
  QStringList out;
  for (int i = 0; i < lv->topLevelItemCount(); ++i)
    out << lv->topLevelItem(i)->text(column);
  return out;
}

double Seconds(const timeval& t) {
  return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}
double OwnCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return Seconds(u.ru_utime) + Seconds(u.ru_stime);
}
// CPU of the children waited for so far (trawlonix-cli; nginx still runs).
double ChildrenCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return Seconds(u.ru_utime) + Seconds(u.ru_stime);
}

struct Results {
  QString status;
  QStringList figures;
};

// Queues the answer for the results window: record its labels and close it.
void ExpectResults(tst::ModalAnswerer& a, TTrawlonixMainForm& w, Results& out) {
  a.Then([&w, &out](QWidget* shown) {
    TResultsDlg* d = w.ResultsDlg;
    QCOMPARE(shown, static_cast<QWidget*>(d));
    out.status = d->Show_Status->text();
    for (QLabel* l :
         {d->Show_KBRecv, d->Show_FilesInQueue, d->Show_HTDocsInQueue, d->Show_FilesLoaded,
          d->Show_HTDocsLoaded, d->Show_FilesChecked, d->Show_HTDocsChecked})
      out.figures << l->text();
    d->accept();
  });
}

}  // namespace

class TstEndToEnd : public QObject {
  Q_OBJECT
  QTemporaryDir temp_;

  QString P(const QString& rel) const { return temp_.filePath(rel); }

  std::unique_ptr<TTrawlonixMainForm> MakeWindow() {
    auto w = std::make_unique<TTrawlonixMainForm>();
    w->AutoActivate = false;
    w->OptionsDlg->LoadSettings();
    w->ApplyLinkStructureSetting(false);
    w->show();
    return w;
  }

  QString MakeProject(const QString& name, const std::string& start) {
    TrawlonixDefinition def;
    ResetDefinition(def);
    def.StartingUrl = start;
    def.ProjectName = name.toStdString();
    def.LocalPath = P("mirror-" + name).toStdString();
    def.actCollect = true;
    def.actColOpt = coLinksToOtherServers;
    TSpiderList spider;
    TCGIRedirectList redirects;
    const QString file = P(name + ".txp");
    [&] { QVERIFY(SaveProject(file.toStdString(), def, spider, redirects).ok); }();
    return file;
  }

 private slots:
  void initTestCase() {
    QVERIFY(temp_.isValid());
    WriteFile(P("settings.conf"),
              "[Options]\nMaxThreads=3\nLogFile=1\nShowLinkStructure=1\nLogLines=500\n");
    qputenv("TRAWLONIX_SETTINGS", P("settings.conf").toUtf8());
  }

  // A run whose start page cannot be fetched names the cause in the results,
  // as the command line's summary and exit code do.
  void resultsNameTheCause() {
    const QString file = MakeProject("closed", "http://127.0.0.1:1/");
    auto w = MakeWindow();
    tst::ModalAnswerer a;
    w->OpenProjectFile(file);
    Results r;
    ExpectResults(a, *w, r);
    w->StartProject();
    QTRY_VERIFY_WITH_TIMEOUT(!w->Running() && a.Done(), 60000);
    QCOMPARE(r.status, QStringLiteral("已结束 (起始页面不能被获取)"));
  }

  void runSaveReopenUpdate() {
    WriteFile(P("site/index.html"),
              "<HTML><BODY><A HREF=\"a.html\">A</A> <A HREF=\"b/c.html\">C</A>"
              "<IMG SRC=\"img.gif\"><A HREF=\"missing.html\">gone</A>"
              "<A HREF=\"mailto:info@example.cn\">mail</A>"
              "<A HREF=\"http://127.0.0.2/other.html\">other</A></BODY></HTML>");
    WriteFile(P("site/a.html"), "<HTML><A HREF=\"b/c.html\">again</A></HTML>");
    WriteFile(P("site/b/c.html"), "<HTML><A HREF=\"../a.html\">up</A></HTML>");
    WriteFile(P("site/img.gif"), QByteArray("GIF89a") + QByteArray(2000, 'x'));
    testsupport::TestServer server;
    QVERIFY2(server.start(P("site")), qPrintable(server.errorString()));
    const QString file = MakeProject("demo", server.baseUrl().toStdString());

    auto w = MakeWindow();
    QVERIFY(w->ShowLinkStructure);
    tst::ModalAnswerer a;
    w->OpenProjectFile(file);
    QVERIFY(w->Loaded);
    QCOMPARE(a.Handled(), 0);  // an empty crawl state: no resume note

    Results r;
    ExpectResults(a, *w, r);
    QElapsedTimer clock;
    clock.start();
    w->StartProject();  // empty spider list: restart without asking
    QVERIFY(w->Running());
    QVERIFY(w->CommandEnabled("Stop"));
    QVERIFY(!w->CommandEnabled("Open"));
    QTRY_VERIFY_WITH_TIMEOUT(!w->Running() && a.Done(), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(w->CommandEnabled("Start"), 5000);
    qInfo("window-hosted run: %lld ms", static_cast<long long>(clock.elapsed()));
    QVERIFY(a.Unexpected().isEmpty());

    // Queued: index, a, c, img, missing; four received, the missing one
    // broken. Hypertext goes by extension, and the start URL has none.
    QCOMPARE(r.status, QStringLiteral("已结束"));
    QCOMPARE(r.figures.mid(1), (QStringList{"5", "3", "4", "2", "0", "0"}));
    QCOMPARE(w->Status->PanelText(1), QStringLiteral("5 个文件在队列中 (其中 3 个超文本文档)"));
    QCOMPARE(w->Status->PanelText(2), QStringLiteral("4 个文件已经接收 (其中 2 个超文本文档)"));
    QCOMPARE(w->Status->PanelText(3), QStringLiteral("80.00% 已完成"));
    QCOMPARE(Column(w->LV_BrokenLinks, 0), QStringList{server.baseUrl() + "missing.html"});
    QVERIFY(w->LV_BrokenLinks->topLevelItem(0)->text(1).startsWith("404"));
    QCOMPARE(w->LV_BrokenLinks->topLevelItem(0)->text(2), server.baseUrl());
    QCOMPARE(Column(w->LV_CollectedEMails, 0), QStringList{"info@example.cn"});
    // A mail link is also a link to another server; anchor texts replace "<???>".
    QCOMPARE(Column(w->LV_CollectedLinks, 0),
             (QStringList{"mailto://info@example.cn/", "http://127.0.0.2/other.html"}));
    QCOMPARE(Column(w->LV_CollectedLinks, 1), (QStringList{"mail", "other"}));
    QCOMPARE(Column(w->LV_CollectedLinks, 2), (QStringList{server.baseUrl(), server.baseUrl()}));
    // Directory tree: one host, the segment " b" first, loaded icons.
    QCOMPARE(w->DirTree->topLevelItemCount(), 1);
    QTreeWidgetItem* host = w->DirTree->topLevelItem(0);
    QStringList names;
    for (int i = 0; i < host->childCount(); ++i)
      names << host->child(i)->text(0);
    QCOMPARE(names, (QStringList{" b", "a.html", "img.gif", "index.html", "missing.html"}));
    QCOMPARE(host->child(1)->data(0, kIconRole).toInt(), 4);
    QCOMPARE(host->child(2)->data(0, kIconRole).toInt(), 6);
    QCOMPARE(host->child(4)->data(0, kIconRole).toInt(), 3);
    QVERIFY(w->LinkTree->topLevelItemCount() >= 4);
    // Log box and log file.
    QVERIFY(w->LogBox->count() > 10);
    QCOMPARE(w->InfoForm->SlotCount(), 0);
    QVERIFY(QFile::exists(P("mirror-demo/demo.log")));
    QVERIFY(QFile::exists(P("mirror-demo/127.0.0.1/b/c.html")));

    // Save and reopen: the same trees and totals, no resume note (complete).
    a.ChooseFile(P("demo2.txp"));
    QVERIFY(w->SaveProject());
    QVERIFY(a.Done());
    auto w2 = MakeWindow();
    w2->OpenProjectFile(P("demo2.txp"));
    QVERIFY(a.Done());
    QCOMPARE(a.Handled(), 2);
    QCOMPARE(w2->DirTree->topLevelItem(0)->childCount(), 5);
    QCOMPARE(w2->Status->PanelText(2), QStringLiteral("4 个文件已经接收 (其中 2 个超文本文档)"));

    // Starting a complete project asks; continue is off and update preset.
    bool continueEnabled = true;
    a.Then([&](QWidget* shown) {
      QCOMPARE(shown, static_cast<QWidget*>(w2->ContinueDlg));
      continueEnabled = w2->ContinueDlg->RB_Continue->isEnabled();
      QVERIFY(w2->ContinueDlg->RB_Update->isChecked());
      w2->ContinueDlg->accept();
    });
    Results r2;
    ExpectResults(a, *w2, r2);
    w2->StartProject();
    QTRY_VERIFY_WITH_TIMEOUT(!w2->Running() && a.Done(), 60000);
    QVERIFY(!continueEnabled);
    QCOMPARE(r2.status, QStringLiteral("已结束"));
    QCOMPARE(r2.figures.value(5), QStringLiteral("4"));  // checked
    QCOMPARE(w2->Status->PanelText(2), QStringLiteral("4 个文件已经检查 (其中 2 个超文本文档)"));
  }

  void stopSaveAndContinue() {
    QByteArray index;
    for (int i = 0; i < 30; ++i)
      index += "<A HREF=\"p" + QByteArray::number(i) + ".html\">x</A>";
    WriteFile(P("slow/index.html"), index);
    for (int i = 0; i < 30; ++i)
      WriteFile(P("slow/p%1.html").arg(i), "page");
    testsupport::TestServer server;
    testsupport::TestServer::Options o;
    o.root = P("slow");
    o.script = R"({"/p*": {"header_delay_ms": 150}})";
    QVERIFY2(server.start(o), qPrintable(server.errorString()));
    const QString file = MakeProject("slow", server.baseUrl().toStdString());
    auto w = MakeWindow();
    w->OpenProjectFile(file);

    tst::ModalAnswerer a;
    Results r;
    ExpectResults(a, *w, r);
    a.Press(QMessageBox::Yes);  // save now?
    a.ChooseFile(P("slow2.txp"));
    w->StartProject();
    QTRY_VERIFY_WITH_TIMEOUT(w->SpiderList.Count() > 5, 20000);
    QVERIFY(w->InfoForm->SlotCount() == 3);
    // The slot window follows the slots (a 150 ms answer keeps them busy).
    QTRY_VERIFY_WITH_TIMEOUT(w->InfoForm->SlotUrl(0).startsWith(server.baseUrl()), 5000);
    QCOMPARE(w->InfoForm->SlotInfo(0), QStringLiteral("正在工作！"));
    w->StopProject();
    w->StopProject();
    QTRY_VERIFY_WITH_TIMEOUT(!w->Running() && a.Done(), 30000);
    QCOMPARE(r.status, QStringLiteral("被中断"));
    QVERIFY(a.Texts().value(0).startsWith(QStringLiteral("在执行过程中您中断了方案。")));
    QVERIFY(QFile::exists(P("slow2.txp")));
    int stops = 0;
    for (int i = 0; i < w->LogBox->count(); ++i)
      stops += w->LogBox->item(i)->text() == QStringLiteral("正在中断过程...");
    QCOMPARE(stops, 1);
    QCOMPARE(w->LogBox->item(w->LogBox->count() - 1)->text(), QStringLiteral("所有过程被中断"));

    // Reopened: the resume note, then continue is offered and preset.
    auto w2 = MakeWindow();
    a.Press(QMessageBox::Ok);
    w2->OpenProjectFile(P("slow2.txp"));
    QVERIFY(a.Done());
    a.Then([&](QWidget*) {
      QVERIFY(w2->ContinueDlg->RB_Continue->isEnabled());
      QVERIFY(w2->ContinueDlg->RB_Continue->isChecked());
      w2->ContinueDlg->accept();
    });
    Results r2;
    ExpectResults(a, *w2, r2);
    w2->StartProject();
    QTRY_VERIFY_WITH_TIMEOUT(!w2->Running() && a.Done(), 60000);
    QCOMPARE(r2.status, QStringLiteral("已结束"));
    for (std::int32_t i = 0; i < w2->SpiderList.Count(); ++i)
      QVERIFY(w2->SpiderList[i].Fetched);
    QCOMPARE(w2->SpiderList.Count(), 31);
  }

  // Not a check: the wall time of one crawl of a generated site with the
  // window as host against trawlonix-cli on the same site, and the longest
  // stall of the window's event loop meanwhile, and the CPU time of both.
  // Runs only when TX_UI_BENCH_PAGES names the page count (e.g. 5000);
  // TX_UI_BENCH_SITE names a site generated before, TX_UI_BENCH_LINKS=0 runs
  // without the link structure tree.
  void windowAgainstCliWallTime() {
    const int pages = qEnvironmentVariableIntValue("TX_UI_BENCH_PAGES");
    if (pages <= 0) QSKIP("set TX_UI_BENCH_PAGES to measure");
    if (!testsupport::NginxServer::available()) QSKIP("nginx not installed");
    // TX_UI_BENCH_SITE may name a site generated before (tools/sitegen.py).
    QString site = qEnvironmentVariable("TX_UI_BENCH_SITE");
    if (site.isEmpty()) {
      site = P("gen");
      QProcess gen;
      gen.start("python3", {TX_SOURCE_DIR "/tools/sitegen.py", "--out", site, "--pages",
                            QString::number(pages)});
      QVERIFY(gen.waitForFinished(300000));
    }
    testsupport::NginxServer nginx;
    QVERIFY2(nginx.start(site, {}, 1800), qPrintable(nginx.errorString()));
    const std::string url = nginx.baseUrl().toStdString();

    const QString cliProject = MakeProject("benchcli", url);
    QElapsedTimer clock;
    clock.start();
    QProcess cli;
    cli.setProcessChannelMode(QProcess::MergedChannels);
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.start(TX_BINARY_DIR "/src/cli/trawlonix-cli", {"run", cliProject, "--quiet", "--no-save"});
    QVERIFY(cli.waitForFinished(1800000));
    const qint64 cliMs = clock.elapsed();
    const double cliCpu = ChildrenCpuSeconds();
    // TX_UI_BENCH_LINKS=0 measures without the link structure tree.

    const QString file = MakeProject("benchui", url);
    auto w = MakeWindow();
    if (qEnvironmentVariable("TX_UI_BENCH_LINKS") == QLatin1String("0")) {
      w->OptionsDlg->Options.ShowLinkStructure = false;
      w->ApplyLinkStructureSetting(true);
    }
    w->OpenProjectFile(file);
    tst::ModalAnswerer a;
    Results r;
    ExpectResults(a, *w, r);
    qint64 maxGap = 0;
    QElapsedTimer gap;
    QTimer beat;
    beat.setInterval(10);
    connect(&beat, &QTimer::timeout, [&] { maxGap = std::max(maxGap, gap.restart()); });
    const double cpuBefore = OwnCpuSeconds();
    clock.restart();
    gap.start();
    beat.start();
    // A real event loop: QTRY_* sleeps between its rounds of event
    // processing, which would add a pause to every hand-over of a batch.
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
      if (!w->Running() && a.Done()) loop.quit();
    });
    poll.start(20);
    QTimer::singleShot(1800000, &loop, &QEventLoop::quit);
    w->StartProject();
    loop.exec();
    QVERIFY(!w->Running() && a.Done());
    const qint64 uiMs = clock.elapsed();
    const double uiCpu = OwnCpuSeconds() - cpuBefore;
    beat.stop();
    qInfo(
        "%d pages: trawlonix-cli %lld ms, window %lld ms, ratio %.2f, files received %s, "
        "longest event-loop gap %lld ms; CPU s: cli %.2f, window %.2f",
        pages, static_cast<long long>(cliMs), static_cast<long long>(uiMs),
        double(uiMs) / double(std::max<qint64>(cliMs, 1)), qPrintable(r.figures.value(3)),
        static_cast<long long>(maxGap), cliCpu, uiCpu);
  }

  // The main window after a crawl of the bundled demo site, in Chinese and
  // in English, for the README: only when TX_DIALOG_SHOTS names a folder
  // (scripts/screenshots.sh runs it with QT_QPA_PLATFORM=offscreen).
  void pictures() {
    const QString out = qEnvironmentVariable("TX_DIALOG_SHOTS");
    if (out.isEmpty()) QSKIP("TX_DIALOG_SHOTS not set");
    testsupport::TestServer server;
    QVERIFY2(server.start(QStringLiteral(TX_SOURCE_DIR "/examples/demo-site")),
             qPrintable(server.errorString()));
    const std::pair<UiLanguage, QString> languages[] = {{UiLanguage::Chinese, "zh"},
                                                        {UiLanguage::English, "en"}};
    for (const auto& [language, suffix] : languages) {
      InstallLanguage(language);
      const QString file = MakeProject("demo-" + suffix, server.baseUrl().toStdString());
      auto w = MakeWindow();
      w->resize(960, 680);
      tst::ModalAnswerer a;
      w->OpenProjectFile(file);
      Results r;
      ExpectResults(a, *w, r);
      w->StartProject();
      QTRY_VERIFY_WITH_TIMEOUT(!w->Running() && a.Done(), 60000);
      QTRY_VERIFY_WITH_TIMEOUT(w->CommandEnabled("Start"), 5000);
      w->DirTree->expandAll();
      QTest::qWait(200);
      QVERIFY(w->grab().save(out + "/screenshot-main-" + suffix + ".png"));
    }
    InstallLanguage(UiLanguage::Chinese);
  }
};

QTEST_MAIN(TstEndToEnd)
#include "tst_endtoend.moc"
