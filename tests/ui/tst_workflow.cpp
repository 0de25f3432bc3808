// A new user's whole session in the main window, against the scripted test
// server on 127.0.0.1: the new-project wizard, a run, checks of the collected
// links, the export of all three lists, a change of the project's
// properties, saving, quitting, starting again, updating the project and
// saving it again over the same file.
// Every step goes through the window's own commands and dialogs; the tests
// answer the dialogs the way a user fills them in.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "TestServer.h"
#include "engine/LinkCheck.h"
#include "model/projectfile.h"
#include "tst_main_modal.h"
#include "ui/Dlg_CheckColLinks.h"
#include "ui/Dlg_Continue.h"
#include "ui/Dlg_Export.h"
#include "ui/Dlg_NewSpider.h"
#include "ui/Dlg_Options.h"
#include "ui/Dlg_Results.h"
#include "ui/Dlg_TXDProperty.h"
#include "ui/Frm_CheckCollectedLinksProgress.h"
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

QString ReadFile(const QString& name) {
  QFile f(name);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll());
}

QStringList Column(QTreeWidget* lv, int column) {
  QStringList out;
  for (int i = 0; i < lv->topLevelItemCount(); ++i)
    out << lv->topLevelItem(i)->text(column);
  return out;
}

QList<bool> Selection(QTreeWidget* lv) {
  QList<bool> out;
  for (int i = 0; i < lv->topLevelItemCount(); ++i)
    out << lv->topLevelItem(i)->isSelected();
  return out;
}

// Runs `step` on the dialog once its own modal loop runs: a step that opens
// a further modal window must not block the answerer's timer.
template <typename Dlg>
tst::ModalAnswerer::Handler Later(std::function<void(Dlg*)> step) {
  return [step](QWidget* shown) {
    auto* d = dynamic_cast<Dlg*>(shown);
    QVERIFY2(d, shown->metaObject()->className());
    QTimer::singleShot(0, d, [d, step] { step(d); });
  };
}

struct Results {
  QString status;
  QString checked;
};

void ExpectResults(tst::ModalAnswerer& a, TTrawlonixMainForm& w, Results& out) {
  a.Then([&w, &out](QWidget* shown) {
    QCOMPARE(shown, static_cast<QWidget*>(w.ResultsDlg));
    out.status = w.ResultsDlg->Show_Status->text();
    out.checked = w.ResultsDlg->Show_FilesChecked->text();
    w.ResultsDlg->accept();
  });
}

// What the project commands looked like while a check ran.
struct DuringCheck {
  QStringList enabled;
  int barMaximum = -1;
  bool running = false;
};

// Queues the check's options (which rows, which result mode), the progress
// window (left alone until the check ends) and the completion box.
void ExpectCheck(tst::ModalAnswerer& a, TTrawlonixMainForm& w, bool onlySelected, int mode,
                 DuringCheck& during) {
  a.Then([&w, onlySelected, mode](QWidget* shown) {
    QCOMPARE(shown, static_cast<QWidget*>(w.CheckColLinksDlg));
    (onlySelected ? w.CheckColLinksDlg->RB_MarkedLinks : w.CheckColLinksDlg->RB_AllLinks)
        ->setChecked(true);
    w.CheckColLinksDlg->SetResultIndex(mode);
    w.CheckColLinksDlg->accept();
  });
  a.Then([&w, &during](QWidget* shown) {
    if (auto* box = qobject_cast<QMessageBox*>(shown)) box->button(QMessageBox::Ok)->click();
    QCOMPARE(shown, static_cast<QWidget*>(w.CheckProgressWin));
    during.running = w.Running() && w.Checking();
    during.barMaximum = w.CheckProgressWin->PB->maximum();
    for (const char* id : {"New", "Open", "Save", "Prop", "Start", "Settings", "Quit", "Check",
                           "Export0", "Export1", "Export2", "Delete0", "Clear0", "Status"})
      if (w.CommandEnabled(QString::fromLatin1(id))) during.enabled << id;
  });
  a.Press(QMessageBox::Ok);  // "所有链接的检查已经完成。"
}

// Takes what the save dialog proposes, as a user pressing Enter would, and
// answers the overwrite question with Yes.
void SaveAsProposed(tst::ModalAnswerer& a, QString& proposed) {
  a.Then([&proposed](QWidget* shown) {
    auto* fd = qobject_cast<QFileDialog*>(shown);
    QVERIFY(fd);
    proposed = fd->selectedFiles().value(0);
    QTimer::singleShot(0, fd, [fd] { static_cast<QDialog*>(fd)->accept(); });
  });
  a.Press(QMessageBox::Yes);
}

// Queues the export wizard's answers and the file name of its save dialog.
void ExpectExport(tst::ModalAnswerer& a, bool onlySelected, bool html, const QString& file) {
  a.Then(Later<TExportDlg>([onlySelected, html](TExportDlg* d) {
    (onlySelected ? d->RB_ExportMarked : d->RB_ExportAll)->setChecked(true);
    d->NextClick();
    (html ? d->RB_FormatHTML : d->RB_FormatText)->setChecked(true);
    d->NextClick();
    if (!html) {
      d->RB_Text_LinkText->setChecked(true);
      d->RB_Text_Semikolon->setChecked(true);
    }
    d->NextClick();  // finish: the save dialog
  }));
  a.ChooseFile(file);
}

}  // namespace

class TstWorkflow : public QObject {
  Q_OBJECT
  QTemporaryDir temp_;

  QString P(const QString& rel) const { return temp_.filePath(rel); }

 private slots:
  void initTestCase() {
    QVERIFY(temp_.isValid());
    WriteFile(P("settings.conf"), "[Options]\nMaxThreads=2\nShowLinkStructure=1\nRuns=3\n");
    qputenv("TRAWLONIX_SETTINGS", P("settings.conf").toUtf8());
  }

  void newUserSession() {
    // The start directory holds two pages and links to one missing page;
    // two links lead out of it (an existing page and a missing one), so
    // they are collected instead of followed.
    WriteFile(P("site/start/index.html"),
              "<HTML><BODY><A HREF=\"page.html\">Page</A> <A HREF=\"missing.html\">lost</A>"
              "<A HREF=\"../ok.html\">fine</A> <A HREF=\"../gone.html\">gone</A>"
              "<A HREF=\"mailto:team@example.cn\">mail us</A></BODY></HTML>");
    WriteFile(P("site/start/page.html"), "<HTML><A HREF=\"index.html\">home</A></HTML>");
    WriteFile(P("site/ok.html"), "<HTML>ok</HTML>");
    QVERIFY(QDir().mkpath(P("mirror")));
    // The two collected pages answer slowly, so that the check's progress
    // window is surely on screen for a while.
    testsupport::TestServer server;
    testsupport::TestServer::Options o;
    o.root = P("site");
    o.script = R"({"/ok.html": {"header_delay_ms": 300}, "/gone.html": {"header_delay_ms": 300}})";
    QVERIFY2(server.start(o), qPrintable(server.errorString()));
    const QString base = server.baseUrl();

    auto w = std::make_unique<TTrawlonixMainForm>();
    w->AutoActivate = false;
    w->OptionsDlg->LoadSettings();
    w->ApplyLinkStructureSetting(false);
    w->show();
    tst::ModalAnswerer a;

    // ---- New: the wizard, then "save the new project now?" ----
    QVERIFY(w->CommandEnabled("New"));
    QVERIFY(!w->CommandEnabled("Prop"));
    QString proposedName;
    int finishPage = -1;
    a.Then(Later<TNewSpiderDlg>([&](TNewSpiderDlg* d) {
      d->Edit_StartingUrl->setText(base + "start/");
      d->Edit_StartingUrlExit();
      proposedName = d->Edit_ProjectName->text();
      d->Edit_ProjectName->setText("site");
      d->NextClick();  // password
      d->NextClick();  // actions
      d->CB_actEMails->setChecked(true);
      d->CB_actBLinks->setChecked(true);
      d->CB_actCollect->setChecked(true);
      d->CB_actColOpt->setCurrentIndex(coUnprocessedLinks);
      d->NextClick();  // local directory
      d->Edit_LocalPath->setText(P("mirror"));
      d->NextClick();  // limits of documents
      d->NextClick();  // limits of embedded objects
      d->NextClick();  // rules
      d->NextClick();  // summary
      finishPage = d->CurrentPage();
      d->NextClick();  // "完成(&F)"
    }));
    a.Press(QMessageBox::Yes);
    a.ChooseFile(P("site.txp"));
    w->Command("New")->trigger();
    QVERIFY(a.Done());
    QVERIFY2(a.Unexpected().isEmpty(), qPrintable(a.Unexpected().join(", ")));
    QCOMPARE(finishPage, int{TNewSpiderDlg::Fertig});
    QVERIFY(!proposedName.isEmpty());
    QCOMPARE(a.Texts(), QStringList{QStringLiteral("您想要现在保存新方案吗？")});
    QVERIFY(w->Loaded);
    QVERIFY(!w->Modified());
    QVERIFY(QFile::exists(P("site.txp")));
    QCOMPARE(w->Definition.StartingUrl, (base + "start/").toStdString());
    QCOMPARE(w->Definition.ProjectName.str(), std::string("site"));
    QCOMPARE(w->Definition.LocalPath.str(), P("mirror").toStdString());
    QVERIFY(w->CommandEnabled("Prop") && w->CommandEnabled("Start"));
    QVERIFY(w->ToolCommand("Prop")->isEnabled());

    // ---- Start from the toolbar; the results window ends the run ----
    Results r;
    ExpectResults(a, *w, r);
    w->ToolCommand("Start")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!w->Running() && a.Done(), 60000);
    QCOMPARE(r.status, QStringLiteral("已结束"));
    QVERIFY(QFile::exists(P("mirror/127.0.0.1/start/page.html")));
    QCOMPARE(Column(w->LV_CollectedLinks, 0), (QStringList{base + "ok.html", base + "gone.html"}));
    QCOMPARE(Column(w->LV_CollectedLinks, 1), (QStringList{"fine", "gone"}));
    QCOMPARE(Column(w->LV_CollectedLinks, 3),
             (QStringList{QStringLiteral("- 未检查 -"), QStringLiteral("- 未检查 -")}));
    QCOMPARE(Column(w->LV_CollectedEMails, 0), QStringList{"team@example.cn"});
    // Every row's text belongs to its own link: the mailto anchor's text
    // reaches the e-mail row.
    QCOMPARE(Column(w->LV_CollectedEMails, 1), QStringList{"mail us"});
    QCOMPARE(Column(w->LV_BrokenLinks, 0), QStringList{base + "start/missing.html"});

    // ---- Check all collected links, marking the bad ones ----
    // The good row is selected first: marking moves the selection.
    QTreeWidget* links = w->LV_CollectedLinks;
    links->topLevelItem(0)->setSelected(true);
    DuringCheck during;
    ExpectCheck(a, *w, false, lcm_MarkBad, during);
    w->Command("Check")->trigger();
    QVERIFY(a.Done());
    QVERIFY2(a.Unexpected().isEmpty(), qPrintable(a.Unexpected().join(", ")));
    QVERIFY(during.running);
    QCOMPARE(during.enabled, QStringList{"Status"});
    QCOMPARE(during.barMaximum, 2);
    QCOMPARE(a.Texts().last(), QStringLiteral("所有链接的检查已经完成。"));
    QVERIFY(!w->Running() && !w->Checking());
    QVERIFY(w->CommandEnabled("Check") && w->CommandEnabled("Start"));
    QVERIFY(!w->Status->IsSimple());
    QCOMPARE(links->topLevelItem(0)->text(3), QStringLiteral("通过"));
    QVERIFY2(links->topLevelItem(1)->text(3).startsWith(QStringLiteral("坏的: 404 ")),
             qPrintable(links->topLevelItem(1)->text(3)));
    QCOMPARE(Selection(links), (QList<bool>{false, true}));
    // The rows behind the view follow it.
    const auto& rows = w->Results.Rows(TResultLists::kLinks);
    QCOMPARE(rows.size(), std::size_t{2});
    QCOMPARE(rows[0].TestResult, std::string("通过"));
    QVERIFY(rows[1].Selected && !rows[0].Selected);
    // The check's requests are HEAD requests, one per row.
    QCOMPARE(server.requestsFor("/ok.html").size(), 1);
    QCOMPARE(server.requestsFor("/ok.html").value(0).method, QByteArray("HEAD"));
    QCOMPARE(server.requestsFor("/gone.html").size(), 1);
    bool headLogged = false;
    for (int i = 0; i < w->LogBox->count(); ++i)
      headLogged |= w->LogBox->item(i)->text().contains(" HEAD " + base + "ok.html");
    QVERIFY(headLogged);

    // ---- Export the selected (bad) links as text ----
    ExpectExport(a, true, false, P("links.txt"));
    w->findChild<QAction*>(QStringLiteral("PM_Export0"))->trigger();  // context menu
    QVERIFY(a.Done());
    QVERIFY2(a.Unexpected().isEmpty(), qPrintable(a.Unexpected().join(", ")));
    const QString linksText = ReadFile(P("links.txt"));
    QVERIFY2(linksText.contains(base + "gone.html"), qPrintable(linksText));
    QVERIFY(!linksText.contains(base + "ok.html"));
    QVERIFY(linksText.contains(QStringLiteral("gone")));

    // ---- Check only the selected row again, deleting it when bad ----
    DuringCheck again;
    ExpectCheck(a, *w, true, lcm_DeleteBad, again);
    w->Command("Check")->trigger();
    QVERIFY(a.Done());
    QCOMPARE(again.barMaximum, 1);
    QCOMPARE(Column(links, 0), QStringList{base + "ok.html"});
    QCOMPARE(Column(links, 3), QStringList{QStringLiteral("通过")});
    QCOMPARE(w->Results.Rows(TResultLists::kLinks).size(), std::size_t{1});
    QCOMPARE(server.requestsFor("/ok.html").size(), 1);
    QCOMPARE(server.requestsFor("/gone.html").size(), 2);

    // ---- Export the e-mail addresses as HTML and the broken links as text ----
    ExpectExport(a, false, true, P("mail.html"));
    w->Command("Export1")->trigger();
    ExpectExport(a, false, false, P("broken.txt"));
    w->Command("Export2")->trigger();
    QVERIFY(a.Done());
    QVERIFY2(a.Unexpected().isEmpty(), qPrintable(a.Unexpected().join(", ")));
    QVERIFY(ReadFile(P("mail.html")).contains(QStringLiteral("mailto:team@example.cn")));
    const QString broken = ReadFile(P("broken.txt"));
    QVERIFY2(broken.contains(base + "start/missing.html"), qPrintable(broken));
    QVERIFY(broken.contains(QStringLiteral("404")));
    // An empty list is refused with the list's name.
    w->LV_CollectedLinks->topLevelItem(0)->setSelected(true);
    w->Command("Delete0")->trigger();
    QCOMPARE(w->LV_CollectedLinks->topLevelItemCount(), 0);
    a.Press(QMessageBox::Ok);
    w->Command("Export0")->trigger();
    QVERIFY(a.Done());
    QCOMPARE(a.Texts().last(), QStringLiteral("收集的链接列表是空的，因此不能够导出！"));

    // ---- Project properties: rename, widen the level limit ----
    a.Then([&w](QWidget* shown) {
      QCOMPARE(shown, static_cast<QWidget*>(w->PropDlg));
      QCOMPARE(w->PropDlg->Edit_ProjectName->text(), QStringLiteral("site"));
      w->PropDlg->Edit_ProjectName->setText(QStringLiteral("站点"));
      w->PropDlg->CB_LevelLimit->setChecked(true);
      w->PropDlg->SEdit_MaxLevel->setValue(7);
      w->PropDlg->Button_OK->click();
    });
    w->ToolCommand("Prop")->trigger();
    QVERIFY(a.Done());
    QVERIFY(w->Modified());
    QCOMPARE(w->Definition.ProjectName.str(), std::string("站点"));
    // Cancel changes nothing, not even the modified flag's reason.
    a.Then([&w](QWidget*) {
      w->PropDlg->Edit_ProjectName->setText(QStringLiteral("other"));
      w->PropDlg->Button_Cancel->click();
    });
    w->Command("Prop")->trigger();
    QVERIFY(a.Done());
    QCOMPARE(w->Definition.ProjectName.str(), std::string("站点"));

    // ---- Save where the project was saved before, quit ----
    QString proposed;
    SaveAsProposed(a, proposed);
    w->ToolCommand("Save")->trigger();
    QVERIFY(a.Done());
    QCOMPARE(proposed, P("site.txp"));
    QVERIFY(!w->Modified());
    w->Command("Quit")->trigger();
    QVERIFY(a.Done());
    QVERIFY(!w->isVisible());
    w.reset();

    // ---- Start again with the saved project on the command line; update ----
    auto w2 = std::make_unique<TTrawlonixMainForm>(P("site.txp"));
    w2->AutoActivate = false;
    w2->ShowSplashAtStart = false;
    w2->show();
    w2->FirstActivation();
    QVERIFY(w2->Loaded);
    QCOMPARE(w2->Definition.ProjectName.str(), std::string("站点"));
    QVERIFY(w2->Definition.LevelLimit);
    QCOMPARE(int{w2->Definition.MaxLevel}, 7);
    QVERIFY(w2->Definition.actCollect);
    QCOMPARE(int{w2->Definition.actColOpt}, int{coUnprocessedLinks});
    // The result lists are not part of the project file.
    QCOMPARE(w2->LV_CollectedLinks->topLevelItemCount(), 0);
    bool continueEnabled = true;
    a.Then([&](QWidget* shown) {
      QCOMPARE(shown, static_cast<QWidget*>(w2->ContinueDlg));
      continueEnabled = w2->ContinueDlg->RB_Continue->isEnabled();
      QVERIFY(w2->ContinueDlg->RB_Update->isChecked());
      w2->ContinueDlg->accept();
    });
    // Meanwhile the start page changed.
    WriteFile(P("site/start/index.html"),
              "<HTML><BODY><A HREF=\"page.html\">Page</A> <A HREF=\"missing.html\">lost</A>"
              "<A HREF=\"../ok.html\">fine</A> <A HREF=\"../gone.html\">gone</A>"
              "<A HREF=\"../new.html\">new</A><A HREF=\"extra.html\">more</A></BODY></HTML>");
    WriteFile(P("site/start/extra.html"), "<HTML>more</HTML>");
    {
      // A minute ahead, so that the mirror's copy is surely older.
      QFile page(P("site/start/index.html"));
      QVERIFY(page.open(QIODevice::ReadWrite));
      QVERIFY(page.setFileTime(QDateTime::currentDateTime().addSecs(60),
                               QFileDevice::FileModificationTime));
    }
    Results r2;
    ExpectResults(a, *w2, r2);
    w2->Command("Start")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!w2->Running() && a.Done(), 60000);
    QVERIFY2(a.Unexpected().isEmpty(), qPrintable(a.Unexpected().join(", ")));
    QVERIFY(!continueEnabled);
    QCOMPARE(r2.status, QStringLiteral("已结束"));
    QVERIFY(r2.checked.toInt() >= 2);
    // The changed start page was fetched again and its links collected anew.
    QCOMPARE(Column(w2->LV_CollectedLinks, 0),
             (QStringList{base + "ok.html", base + "gone.html", base + "new.html"}));
    QCOMPARE(Column(w2->LV_CollectedLinks, 1), (QStringList{"fine", "gone", "new"}));
    // The update changed the crawl state: it is saved over the opened file,
    // and then quitting asks nothing.
    QVERIFY(w2->Modified());
    SaveAsProposed(a, proposed);
    w2->Command("Save")->trigger();
    QVERIFY(a.Done());
    QCOMPARE(proposed, P("site.txp"));
    const int boxes = a.Handled();
    QVERIFY(w2->close());
    QCOMPARE(a.Handled(), boxes);
    // One project file, holding the update's state.
    QCOMPARE(QDir(temp_.path()).entryList({"*.txp"}, QDir::Files), QStringList{"site.txp"});
    TrawlonixDefinition def;
    TSpiderList spider;
    TCGIRedirectList redirects;
    QVERIFY(OpenProject(P("site.txp").toStdString(), def, spider, redirects).ok);
    QCOMPARE(def.ProjectName.str(), std::string("站点"));
    bool extraFetched = false;
    for (std::int32_t i = 0; i < spider.Count(); ++i)
      extraFetched |= spider[i].URL.FileName == "extra.html" && spider[i].Fetched;
    QVERIFY(extraFetched);
  }

  // An https start URL through the wizard: with the test CA named in the
  // settings the run stores the site; without it the certificate is refused
  // and the run says so (log and broken-link row), never a success.
  void httpsStartUrl_data() {
    QTest::addColumn<bool>("caGiven");
    QTest::newRow("CA in the settings") << true;
    QTest::newRow("CA not given") << false;
  }
  void httpsStartUrl() {
    QFETCH(bool, caGiven);
    const QString tag = caGiven ? "tls-ca" : "tls-noca";
    WriteFile(P("tls/index.html"), "<HTML><A HREF=\"a.html\">A</A><IMG SRC=\"i.gif\"></HTML>");
    WriteFile(P("tls/a.html"), "<HTML><A HREF=\"index.html\">home</A></HTML>");
    WriteFile(P("tls/i.gif"), "GIF89a");
    testsupport::TestCertificates certs;
    QVERIFY(certs.make());
    testsupport::TestServer server;
    testsupport::TestServer::Options o;
    o.root = P("tls");
    o.tlsCert = certs.certFile(testsupport::TestCertificates::Good);
    o.tlsKey = certs.keyFile();
    QVERIFY2(server.start(o), qPrintable(server.errorString()));
    const QString base = server.baseUrl();
    QVERIFY(base.startsWith("https://127.0.0.1:"));
    QVERIFY(QDir().mkpath(P(tag)));
    // The CA comes from the settings file, as the options dialog stores it.
    const QByteArray saved = qgetenv("TRAWLONIX_SETTINGS");
    const QString settings = P(tag + ".conf");
    WriteFile(settings, "[Options]\nMaxThreads=2\nCACertificate=" +
                            (caGiven ? certs.caFile().toUtf8() : QByteArray()) + "\n");
    qputenv("TRAWLONIX_SETTINGS", settings.toUtf8());
    auto w = std::make_unique<TTrawlonixMainForm>();
    w->AutoActivate = false;
    w->OptionsDlg->LoadSettings();
    qputenv("TRAWLONIX_SETTINGS", saved);
    QCOMPARE(w->OptionsDlg->Options.CACertificate.empty(), !caGiven);
    w->show();

    tst::ModalAnswerer a;
    a.Then(Later<TNewSpiderDlg>([&](TNewSpiderDlg* d) {
      d->Edit_StartingUrl->setText(base);
      d->Edit_StartingUrlExit();
      d->Edit_ProjectName->setText(tag);
      for (int page = 0; page < 3; ++page)
        d->NextClick();  // password, actions, local directory
      d->Edit_LocalPath->setText(P(tag));
      for (int page = 0; page < 4; ++page)
        d->NextClick();  // limits of documents, of embedded objects, rules, summary
      QCOMPARE(d->CurrentPage(), int{TNewSpiderDlg::Fertig});
      d->NextClick();  // "完成(&F)"
    }));
    a.Press(QMessageBox::Yes);
    a.ChooseFile(P(tag + ".txp"));
    w->Command("New")->trigger();
    QVERIFY(a.Done());
    QVERIFY2(a.Unexpected().isEmpty(), qPrintable(a.Unexpected().join(", ")));
    // No complaint about the start URL: only the question to save.
    QCOMPARE(a.Texts(), QStringList{QStringLiteral("您想要现在保存新方案吗？")});
    QCOMPARE(w->Definition.StartingUrl, base.toStdString());

    Results r;
    ExpectResults(a, *w, r);
    w->Command("Start")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!w->Running() && a.Done(), 60000);
    QStringList log;
    for (int i = 0; i < w->LogBox->count(); ++i)
      log << w->LogBox->item(i)->text();
    const QString host = P(tag + "/127.0.0.1/");
    if (caGiven) {
      QCOMPARE(r.status, QStringLiteral("已结束"));
      for (const char* name : {"index.html", "a.html", "i.gif"})
        QVERIFY2(QFile::exists(host + name), name);
      QCOMPARE(w->LV_BrokenLinks->topLevelItemCount(), 0);
    } else {
      QCOMPARE(r.status, QStringLiteral("已结束 (起始页面不能被获取)"));
      QVERIFY(!QFile::exists(host + "index.html"));
      QCOMPARE(Column(w->LV_BrokenLinks, 0), QStringList{base});
      QVERIFY2(w->LV_BrokenLinks->topLevelItem(0)->text(1).contains("TLS"),
               qPrintable(w->LV_BrokenLinks->topLevelItem(0)->text(1)));
      QVERIFY2(!log.filter("unable to get local issuer certificate").isEmpty(),
               qPrintable(log.join("\n")));
    }
  }

  // Escape on the progress window cancels the check: the requests in flight
  // are dropped, their rows keep their text, the log tells of the
  // interruption once, and the completion box still ends the check.
  void cancelCheckWithEscape() {
    testsupport::TestServer server;
    testsupport::TestServer::Options o;
    o.script = R"({"/slow*": {"status": 200, "header_delay_ms": 3000}})";
    QVERIFY2(server.start(o), qPrintable(server.errorString()));
    auto w = std::make_unique<TTrawlonixMainForm>();
    w->AutoActivate = false;
    w->OptionsDlg->LoadSettings();
    w->show();
    for (int i = 0; i < 4; ++i)
      QVERIFY(w->OfferCollectedLink((server.baseUrl() + "slow%1.html").arg(i).toStdString(), "p"));
    tst::ModalAnswerer a;
    a.Then([&w](QWidget*) {
      w->CheckColLinksDlg->SetResultIndex(lcm_DeleteBad);
      w->CheckColLinksDlg->accept();
    });
    a.Then([&w, &server](QWidget* shown) {
      QCOMPARE(shown, static_cast<QWidget*>(w->CheckProgressWin));
      // Once both slots wait for their answers.
      QTimer::singleShot(0, shown, [shown, &server] {
        QTRY_VERIFY_WITH_TIMEOUT(server.requests().size() >= 2, 2500);
        QTest::keyClick(shown, Qt::Key_Escape);
      });
    });
    a.Press(QMessageBox::Ok);
    QElapsedTimer clock;
    clock.start();
    w->Command("Check")->trigger();
    QVERIFY(clock.elapsed() < 2800);
    QVERIFY(a.Done());
    QVERIFY2(a.Unexpected().isEmpty(), qPrintable(a.Unexpected().join(", ")));
    QCOMPARE(a.Texts(), QStringList{QStringLiteral("所有链接的检查已经完成。")});
    QCOMPARE(w->LV_CollectedLinks->topLevelItemCount(), 4);
    QCOMPARE(Column(w->LV_CollectedLinks, 3), QStringList(4, QStringLiteral("- 未检查 -")));
    QStringList log;
    for (int i = 0; i < w->LogBox->count(); ++i)
      log << w->LogBox->item(i)->text();
    QCOMPARE(log.count(QStringLiteral("正在中断过程...")), 1);
    QCOMPARE(log.last(), QStringLiteral("所有过程被中断"));
    QVERIFY(!w->Running() && w->CommandEnabled("Check"));
    QVERIFY(!w->Status->IsSimple());
  }
};

QTEST_MAIN(TstWorkflow)
#include "tst_workflow.moc"
