// The main window: command rules, the directory and link trees, the status
// bar, the log box, the result lists, the close question, opening and saving.
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <tuple>

#include <QTextBrowser>

#include <QCheckBox>
#include "engine/RunControl.h"
#include "model/projectfile.h"
#include "model/sidecar.h"
#include "platform/SettingsStore.h"
#include "tst_main_modal.h"
#include "ui/Dlg_NewSpider.h"
#include "ui/Dlg_Options.h"
#include "ui/Dlg_Splash.h"
#include "ui/Dlg_TXDProperty.h"
#include "ui/Frm_CheckCollectedLinksProgress.h"
#include "ui/Frm_TrawlonixMain.h"
#include "ui/ProjectChoicesPanel.h"
#include "ui/TxHelp.h"
#include "ui/TxStatusBar.h"

using namespace trawlonix;

namespace {

TURL U(const char* text) {
  TURL u;
  ParseURL(text, false, u);
  return u;
}

QString Shown(const char* text) {
  return QString::fromUtf8(text).replace('\r', '\n');
}

QStringList ChildKeys(QTreeWidget* tree, QTreeWidgetItem* parent) {
  QStringList out;
  const int n = parent ? parent->childCount() : tree->topLevelItemCount();
  for (int i = 0; i < n; ++i)
    out << (parent ? parent->child(i) : tree->topLevelItem(i))->text(0);
  return out;
}

int Icon(const QTreeWidgetItem* item) {
  return item->data(0, kIconRole).toInt();
}
int SelIcon(const QTreeWidgetItem* item) {
  return item->data(0, kSelIconRole).toInt();
}

}  // namespace

class TstMain : public QObject {
  Q_OBJECT
  QTemporaryDir temp_;

  std::unique_ptr<TTrawlonixMainForm> MakeWindow() {
    auto w = std::make_unique<TTrawlonixMainForm>();
    w->AutoActivate = false;
    w->OptionsDlg->LoadSettings();
    return w;
  }

  // A loaded, unsaved project (the new-project question answered No).
  void MakeLoaded(TTrawlonixMainForm& w, const QString& url = "http://127.0.0.1:9/") {
    TrawlonixDefinition def;
    def.StartingUrl = url.toStdString();
    def.ProjectName = "proj";
    def.LocalPath = temp_.filePath("mirror").toStdString();
    tst::ModalAnswerer a;
    a.Press(QMessageBox::No);
    w.AdoptNewProject(def);
    QVERIFY(a.Done());
    QCOMPARE(a.Texts(), QStringList{QStringLiteral("您想要现在保存新方案吗？")});
  }

 private slots:
  // Help windows have no parent; without an event loop nothing ends them.
  void cleanupTestCase() { ui::DeleteHelpWindows(); }

  void initTestCase() {
    QVERIFY(temp_.isValid());
    qputenv("TRAWLONIX_SETTINGS", temp_.filePath("settings.conf").toUtf8());
  }

  void commandRules_data() {
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QStringList>("enabled");
    const QStringList always = {"Status", "Help", "About"};
    const QStringList idle = {"New",     "Open",    "Settings", "Quit",    "Check",
                              "Export0", "Export1", "Export2",  "Delete0", "Delete1",
                              "Delete2", "Clear0",  "Clear1",   "Clear2"};
    QTest::newRow("nothing loaded") << false << false << (always + idle);
    QTest::newRow("loaded, idle") << true << false
                                  << (always + idle +
                                      QStringList{"Save", "Prop", "Start", "Browser"});
    QTest::newRow("loaded, running") << true << true << (always + QStringList{"Stop", "Browser"});
    QTest::newRow("running, nothing loaded") << false << true << (always + QStringList{"Stop"});
  }
  void commandRules() {
    QFETCH(bool, loaded);
    QFETCH(bool, running);
    QFETCH(QStringList, enabled);
    auto w = MakeWindow();
    w->Loaded = loaded;
    w->RunStateChanged(running);
    const QStringList all = {"New",     "Open",    "Save",     "Prop",    "Start",   "Stop",
                             "Status",  "Browser", "Settings", "Quit",    "Check",   "Export0",
                             "Export1", "Export2", "Delete0",  "Delete1", "Delete2", "Clear0",
                             "Clear1",  "Clear2",  "Help",     "About"};
    for (const QString& id : all) {
      QVERIFY2(w->Command(id), qPrintable(id));
      QCOMPARE(w->CommandEnabled(id), enabled.contains(id));
      if (QAction* tool = w->ToolCommand(id)) QCOMPARE(tool->isEnabled(), enabled.contains(id));
    }
    w->RunStateChanged(false);
  }

  void toolbarHasEightCaptionedButtons() {
    auto w = MakeWindow();
    QStringList captions;
    for (QAction* a : w->ToolBar->actions())
      if (!a->isSeparator()) captions << a->text();
    QCOMPARE(captions,
             (QStringList{"新建", "打开", "选项", "保存", "开始", "停止", "状态", "浏览器"}));
    QCOMPARE(w->ToolBar->windowTitle(), QStringLiteral("工具栏"));
    QCOMPARE(w->ToolBar->allowedAreas(), Qt::AllToolBarAreas);
  }

  void dirTreeOrdering() {
    auto w = MakeWindow();
    // Inserted in an order that would leave them unsorted if appended.
    const char* urls[] = {
        "http://b.com/x.html",       "http://a.com/z/y.html",  "http://a.com/",
        "http://a.com/b/pic.gif",    "http://a.com/b/Pic.gif", "http://a.com/b/",
        "http://a.com//b/ /c/s.css", "http://B.org/q.js",      "http://a.com/b/pic.gif"};
    std::vector<TItemHandle> h;
    for (const char* u : urls)
      h.push_back(w->AddDirItem(U(u)));
    QTreeWidget* t = w->DirTree;
    // Host names are lower case after parsing; hosts stay siblings in byte order.
    QCOMPARE(ChildKeys(t, nullptr), (QStringList{"a.com", "b.com", "b.org"}));
    QTreeWidgetItem* a = t->topLevelItem(0);
    QCOMPARE(Icon(a), 0);
    // Segments carry a leading blank, so they sort before file names.
    QCOMPARE(ChildKeys(t, a), (QStringList{" b", " z", "index.html"}));
    QTreeWidgetItem* b = a->child(0);
    QCOMPARE(Icon(b), 1);
    QCOMPARE(SelIcon(b), 2);
    // Byte order is case-sensitive: "P" before "p"; empty and blank segments vanish.
    QCOMPARE(ChildKeys(t, b), (QStringList{" c", "Pic.gif", "index.html", "pic.gif"}));
    QCOMPARE(ChildKeys(t, b->child(0)), QStringList{"s.css"});
    QCOMPARE(Icon(b->child(0)->child(0)), 21);
    QCOMPARE(Icon(b->child(3)), 5);
    QCOMPARE(Icon(a->child(2)), 3);
    // The same URL gives the same item.
    QCOMPARE(w->DirItem(h[3]), w->DirItem(h[8]));
    QCOMPARE(w->DirItem(h[1])->text(0), QStringLiteral("y.html"));

    // Loaded marks: odd icons 3..15 move to the next even one; others stay.
    w->MarkDirItemLoaded(h[0]);
    w->MarkDirItemLoaded(h[3]);
    w->MarkDirItemLoaded(h[6]);
    w->MarkDirItemLoaded(h[0]);
    QCOMPARE(Icon(w->DirItem(h[0])), 4);
    QCOMPARE(SelIcon(w->DirItem(h[0])), 4);
    QCOMPARE(Icon(w->DirItem(h[3])), 6);
    QCOMPARE(Icon(w->DirItem(h[6])), 21);
    w->MarkDirItemLoaded(0);
    w->MarkDirItemLoaded(999);
  }

  void dirTreeUsesIndexFileNameSetting() {
    auto w = MakeWindow();
    w->OptionsDlg->Options.IndexFileName = "default.htm";
    const TItemHandle h = w->AddDirItem(U("http://h.net/d/"));
    QCOMPARE(w->DirItem(h)->text(0), QStringLiteral("default.htm"));
    QCOMPARE(Icon(w->DirItem(h)), 3);
  }

  void linkTree() {
    auto w = MakeWindow();
    const TItemHandle top = w->AddLinkItem(0, "a.html");
    const TItemHandle child = w->AddLinkItem(top, "b/c.gif");
    const TItemHandle stray = w->AddLinkItem(12345, "x.html");
    QCOMPARE(w->LinkTree->topLevelItemCount(), 2);
    QCOMPARE(w->LinkItem(child)->parent(), w->LinkItem(top));
    QVERIFY(w->LinkItem(top)->isExpanded());
    QVERIFY(!w->LinkItem(stray)->parent());
    w->SetLinkItemIcon(child, 17);
    QCOMPARE(Icon(w->LinkItem(child)), 17);
  }

  void statusBarTexts() {
    auto w = MakeWindow();
    auto* s = w->Status;
    QCOMPARE(s->PanelText(0), QStringLiteral("0 KB 已接收"));
    QCOMPARE(s->PanelText(3), QStringLiteral("100.00% 已完成"));
    TCounters delta;
    delta[TCounters::kByteRest] = 1500;
    delta[TCounters::kKiloBytes] = 2;
    delta[TCounters::kQueued] = 8;
    delta[TCounters::kQueuedHt] = 3;
    delta[TCounters::kReceived] = 6;
    delta[TCounters::kReceivedHt] = 2;
    w->RunControl().MutableTotals().Add(delta);
    w->CountersChanged(delta, w->RunControl().Totals());
    QCOMPARE(s->PanelText(0), QStringLiteral("3 KB 已接收"));
    QCOMPARE(s->PanelText(1), QStringLiteral("8 个文件在队列中 (其中 3 个超文本文档)"));
    QCOMPARE(s->PanelText(2), QStringLiteral("6 个文件已经接收 (其中 2 个超文本文档)"));
    QCOMPARE(s->PanelText(3), QStringLiteral("75.00% 已完成"));
    // An update run shows the checked figures.
    auto texts = TRunControl::StatusTexts(w->RunControl().Totals(), true);
    QCOMPARE(QString::fromStdString(texts[2]),
             QStringLiteral("0 个文件已经检查 (其中 0 个超文本文档)"));
    QCOMPARE(QString::fromStdString(texts[3]), QStringLiteral("0.00% 已完成"));
    // Simple-text mode hides the panels and comes back.
    s->SetSimpleText("x");
    QVERIFY(s->IsSimple());
    s->SetPanels();
    QVERIFY(!s->IsSimple());
    QCOMPARE(s->PanelText(0), QStringLiteral("3 KB 已接收"));
  }

  void logBoxKeepsLastLines() {
    auto w = MakeWindow();
    w->OptionsDlg->Options.LogLines = 10;
    for (int i = 0; i < 15; ++i)
      w->AppendLog("line " + std::to_string(i));
    QCOMPARE(w->LogBox->count(), 10);
    QCOMPARE(w->LogBox->item(0)->text(), QStringLiteral("line 5"));
    QCOMPARE(w->LogBox->currentRow(), 9);
    w->ClearLog();
    QCOMPARE(w->LogBox->count(), 0);
  }

  void resultListsDeleteAndClear() {
    auto w = MakeWindow();
    QVERIFY(w->OfferCollectedLink("http://x/1", "p1"));
    QVERIFY(w->OfferCollectedLink("http://x/2", "p1"));
    w->SetLastRowReference("二");
    QVERIFY(w->OfferCollectedLink("http://x/3", "p2"));
    QVERIFY(!w->OfferCollectedLink("http://x/1", "p9"));
    QTreeWidget* lv = w->LV_CollectedLinks;
    QCOMPARE(lv->topLevelItemCount(), 3);
    QCOMPARE(lv->topLevelItem(1)->text(1), QStringLiteral("二"));
    QCOMPARE(lv->topLevelItem(0)->text(1), QStringLiteral("<\?\?\?>"));
    QCOMPARE(lv->topLevelItem(0)->text(3), QStringLiteral("- 未检查 -"));
    QCOMPARE(lv->header()->sectionSize(0), 200);

    w->DeleteSelected(0);  // nothing selected: nothing happens
    QCOMPARE(lv->topLevelItemCount(), 3);
    lv->topLevelItem(0)->setSelected(true);
    lv->topLevelItem(2)->setSelected(true);
    w->DeleteSelected(0);
    QCOMPARE(lv->topLevelItemCount(), 1);
    QCOMPARE(lv->topLevelItem(0)->text(0), QStringLiteral("http://x/2"));
    // A deleted URL may be collected again.
    QVERIFY(w->OfferCollectedLink("http://x/1", "p3"));
    QCOMPARE(w->Results.Rows(TResultLists::kLinks).size(), std::size_t(2));

    QVERIFY(w->OfferEMail("a@b.c", "p1"));
    QVERIFY(w->OfferBrokenLink("http://x/9", "404 Not Found", "p1"));
    QCOMPARE(w->LV_BrokenLinks->topLevelItem(0)->text(1), QStringLiteral("404 Not Found"));

    struct Case {
      int list;
      const char* question;
    } cases[] = {{0, "您肯定想要删除所有收集的链接吗？"},
                 {1, "您肯定想要删除所有收集的电子邮件地址吗？"},
                 {2, "您肯定想要删除所有错误链接吗？"}};
    for (const Case& c : cases) {
      tst::ModalAnswerer a;
      a.Press(QMessageBox::No);
      w->ClearList(c.list);
      QVERIFY(w->ListView(c.list)->topLevelItemCount() > 0);
      a.Press(QMessageBox::Yes);
      w->ClearList(c.list);
      QCOMPARE(w->ListView(c.list)->topLevelItemCount(), 0);
      QCOMPARE(a.Texts(),
               (QStringList{QString::fromUtf8(c.question), QString::fromUtf8(c.question)}));
    }
  }

  void contextMenusStayEnabled() {
    auto w = MakeWindow();
    w->RunStateChanged(true);
    for (const char* id : {"PM_Check", "PM_Export0", "PM_Export1", "PM_Export2", "PM_Delete0",
                           "PM_Delete2", "PM_Clear1"}) {
      const auto items = w->findChildren<QAction*>(QString::fromLatin1(id));
      QCOMPARE(items.size(), 1);
      QVERIFY2(items[0]->isEnabled(), id);
    }
    // Only the collected links list has the check.
    QCOMPARE(w->findChildren<QAction*>(QStringLiteral("PM_Check")).size(), 1);
    w->RunStateChanged(false);
  }

  // While a run is active the context items stay enabled, but their commands
  // do nothing: no dialog opens, no row changes.
  void dialogCommandsRefusedWhileRunning() {
    auto w = MakeWindow();
    MakeLoaded(*w);
    QVERIFY(w->OfferCollectedLink("http://x/1", "p"));
    w->LV_CollectedLinks->topLevelItem(0)->setSelected(true);
    w->RunStateChanged(true);
    tst::ModalAnswerer a;
    for (const char* id : {"PM_Check", "PM_Export0", "PM_Export1", "PM_Export2"})
      w->findChild<QAction*>(QString::fromLatin1(id))->trigger();
    w->NewProject();
    w->ProjectProperties();
    QTest::qWait(30);
    QCOMPARE(a.Handled(), 0);
    QCOMPARE(w->LV_CollectedLinks->topLevelItem(0)->text(3), QStringLiteral("- 未检查 -"));
    w->RunStateChanged(false);
  }

  void closeWhileRunning() {
    auto w = MakeWindow();
    w->show();
    w->RunStateChanged(true);
    tst::ModalAnswerer a;
    a.Press(QMessageBox::Ok);
    QVERIFY(!w->close());
    QCOMPARE(a.Texts(), QStringList{QStringLiteral("请您首先停止目前的过程！")});
    w->RunStateChanged(false);
  }

  void closeQuestion_data() {
    QTest::addColumn<int>("answer");  // 0 Yes, 1 No, 2 Cancel
    QTest::addColumn<bool>("saveFile");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("modifiedAfter");
    QTest::newRow("cancel keeps the window") << 2 << false << false << true;
    QTest::newRow("no closes") << 1 << false << true << true;
    QTest::newRow("yes, save dialog cancelled") << 0 << false << false << true;
    QTest::newRow("yes, saved") << 0 << true << true << false;
  }
  void closeQuestion() {
    QFETCH(int, answer);
    QFETCH(bool, saveFile);
    QFETCH(bool, closes);
    QFETCH(bool, modifiedAfter);
    auto w = MakeWindow();
    w->show();
    MakeLoaded(*w);
    QVERIFY(w->Modified());
    const QString file =
        temp_.filePath(QStringLiteral("close%1.txp").arg(QTest::currentDataTag()[0]));
    QFile::remove(file);
    tst::ModalAnswerer a;
    const QMessageBox::StandardButton buttons[] = {QMessageBox::Yes, QMessageBox::No,
                                                   QMessageBox::Cancel};
    a.Press(buttons[answer]);
    if (answer == 0) a.ChooseFile(saveFile ? file : QString());
    QCOMPARE(w->close(), closes);
    QVERIFY(a.Done());
    QVERIFY(a.Unexpected().isEmpty());
    QCOMPARE(a.Texts().value(0), QStringLiteral("您想要保存目前方案中的更改吗？"));
    QCOMPARE(w->Modified(), modifiedAfter);
    QCOMPARE(QFile::exists(file), saveFile);
  }

  void closeUnmodifiedAsksNothing() {
    auto w = MakeWindow();
    w->show();
    tst::ModalAnswerer a;
    QVERIFY(w->close());
    QCOMPARE(a.Handled(), 0);
  }

  void openRefusals_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("stillLoaded");
    TrawlonixDefinition def;
    TSpiderList spider;
    TCGIRedirectList redirects;
    def.StartingUrl = "http://127.0.0.1/";
    spider.AddURL(U("http://127.0.0.1/"), -10, 0);
    TxpStringWriter out;
    WriteProjectHeader(out, false);
    WriteDefinition(def, out);
    WriteSpiderList(spider, out);
    WriteRedirectList(redirects, out);
    const QByteArray good = QByteArray::fromStdString(out.Data());
    QByteArray newer = good;
    newer[27] = 8;
    QTest::newRow("28 bytes") << good.left(28) << Shown(txp_text::kNotProject) << true;
    QTest::newRow("newer version") << newer << Shown(txp_text::kNewerVersion) << true;
    QTest::newRow("cut short") << good.left(good.size() - 5) << Shown(txp_text::kReadError)
                               << false;
  }
  void openRefusals() {
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QFETCH(bool, stillLoaded);
    auto w = MakeWindow();
    MakeLoaded(*w);
    w->AddDirItem(U("http://127.0.0.1:9/"));
    const QString file = temp_.filePath("bad.txp");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    f.close();
    tst::ModalAnswerer a;
    a.Press(QMessageBox::Ok);
    w->OpenProjectFile(file);
    QCOMPARE(a.Texts(), QStringList{message});
    QCOMPARE(w->Loaded, stillLoaded);
    QCOMPARE(w->DirTree->topLevelItemCount(), stillLoaded ? 1 : 0);
    QCOMPARE(w->CommandEnabled("Start"), stillLoaded);
    QVERIFY(!w->Status->IsSimple());
  }

  void saveAndReopenRebuildsTrees() {
    auto w = MakeWindow();
    MakeLoaded(*w, "http://127.0.0.1:9/");
    // A small crawl state: start page fetched, two links, one pending.
    w->SpiderList.AddURL(U("http://127.0.0.1:9/"), -10, 0);
    w->SpiderList.AddURL(U("http://127.0.0.1:9/d/a.html"), 0, 1);
    w->SpiderList.AddURL(U("http://127.0.0.1:9/img.gif"), 0, 1);
    w->SpiderList.AddURL(U("http://127.0.0.1:9/"), 1, 2);  // duplicate: refused
    w->SpiderList.MarkFetched(0);
    w->SpiderList.MarkFetched(2);
    QCOMPARE(w->SpiderList.Count(), 3);
    // Result lists, saved beside the project.
    QVERIFY(w->OfferEMail("a@site.invalid", "http://127.0.0.1:9/"));
    w->SetLastRowReference("mail");
    QVERIFY(w->OfferBrokenLink("http://127.0.0.1:9/gone", "404 Not Found", "http://127.0.0.1:9/"));
    const QString file = temp_.filePath("round.txp");
    tst::ModalAnswerer a;
    a.ChooseFile(file);
    QVERIFY(w->SaveProject());
    QVERIFY(!w->Modified());
    QVERIFY(a.Done());

    auto w2 = MakeWindow();
    w2->OptionsDlg->Options.ShowLinkStructure = true;
    w2->ShowLinkStructure = true;
    a.Press(QMessageBox::Ok);  // the resume information
    w2->OpenProjectFile(file);
    QVERIFY(a.Done());
    QCOMPARE(a.Texts(), QStringList{Shown(txp_text::kResumeInfo)});
    QVERIFY(w2->Loaded);
    QVERIFY(!w2->Modified());
    QCOMPARE(w2->CommandEnabled("Save"), true);
    QCOMPARE(ChildKeys(w2->DirTree, nullptr), QStringList{"127.0.0.1"});
    QTreeWidgetItem* host = w2->DirTree->topLevelItem(0);
    QCOMPARE(ChildKeys(w2->DirTree, host), (QStringList{" d", "img.gif", "index.html"}));
    QCOMPARE(Icon(host->child(1)), 6);  // image, loaded
    QCOMPARE(Icon(host->child(2)), 4);  // hypertext, loaded
    QCOMPARE(Icon(host->child(0)->child(0)), 3);
    // The link tree: the two links of the start page at the top level.
    QCOMPARE(ChildKeys(w2->LinkTree, nullptr), (QStringList{"d/a.html", "img.gif"}));
    QCOMPARE(Icon(w2->LinkTree->topLevelItem(0)), 4);
    // Hypertext is counted by extension: the directory URL has none.
    QCOMPARE(w2->Status->PanelText(1), QStringLiteral("3 个文件在队列中 (其中 1 个超文本文档)"));
    QCOMPARE(w2->Status->PanelText(2), QStringLiteral("2 个文件已经接收 (其中 0 个超文本文档)"));
    for (std::int32_t i = 0; i < 3; ++i)
      QVERIFY(w2->DirItem(w2->SpiderList[i].DirItem));
    QCOMPARE(w2->LV_CollectedEMails->topLevelItemCount(), 1);
    QCOMPARE(w2->LV_CollectedEMails->topLevelItem(0)->text(1), QStringLiteral("mail"));
    QCOMPARE(w2->LV_BrokenLinks->topLevelItemCount(), 1);
    QCOMPARE(w2->Results.Rows(TResultLists::kBroken)[0].Reference, "404 Not Found");

    // A newer recovery file (the checkpoint of a run that did not end) is
    // offered when the project is opened, and dropped by the next save.
    const std::string recovery = RecoveryPathFor(file.toStdString());
    w2->SpiderList.AddURL(U("http://127.0.0.1:9/b.html"), 0, 1);
    QVERIFY(trawlonix::SaveProject(recovery, w2->Definition, w2->SpiderList, w2->RedirectList).ok);
    QFile rf(QString::fromStdString(recovery));
    QVERIFY(rf.open(QIODevice::ReadWrite));
    QVERIFY(rf.setFileTime(QDateTime::currentDateTime().addSecs(60),
                           QFileDevice::FileModificationTime));
    rf.close();
    auto w3 = MakeWindow();
    a.Press(QMessageBox::Yes);  // restore
    a.Press(QMessageBox::Ok);   // the resume information
    w3->OpenProjectFile(file);
    QVERIFY(a.Done());
    QCOMPARE(w3->SpiderList.Count(), 4);
    QVERIFY(w3->Modified());
    auto w4 = MakeWindow();
    a.Press(QMessageBox::No);  // declined: the project file as saved, the recovery file gone
    a.Press(QMessageBox::Ok);
    w4->OpenProjectFile(file);
    QVERIFY(a.Done());
    QCOMPARE(w4->SpiderList.Count(), 3);
    QVERIFY(!QFile::exists(QString::fromStdString(recovery)));
  }

  // The crawl choices typed on the properties dialog's rules tab are saved
  // in the sidecar and shown again when the project is reopened; an amount
  // that cannot be read is refused on that tab and nothing changes.
  void crawlChoicesRoundTrip_data() {
    QTest::addColumn<QStringList>(
        "typed");  // wait, rate, file, quota, accepted names, refused URLs
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("amounts with units")
        << QStringList{"1.5", "200k", "2 MB", "1g", " *.pdf, *.HTML\n\n*.txt", "*/private/*"}
        << QString()
        << QStringList{"1.5", "200k", "2M", "1G", "*.pdf\n*.HTML\n*.txt", "*/private/*"};
    QTest::newRow("minutes and odd byte counts")
        << QStringList{"2m", "1000", "1536", "0", "", ""} << QString()
        << QStringList{"120", "1000", "1536", "", "", ""};
    QTest::newRow("unreadable amount")
        << QStringList{"1", "fast", "", "", "", ""}
        << QStringLiteral(
               "带宽限制(字节/秒): \"fast\" 不是有效的大小。请输入一个数字，可以带单位 k、M 或 "
               "G，例如 500k 或 2M。")
        << QStringList{"", "", "", "", "", ""};
  }
  void crawlChoicesRoundTrip() {
    QFETCH(QStringList, typed);
    QFETCH(QString, refusal);
    QFETCH(QStringList, shown);
    auto w = MakeWindow();
    MakeLoaded(*w);
    auto fields = [](TTXDPropertyDlg* d) {
      TProjectChoicesPanel* p = d->ChoicesPanel;
      return std::make_tuple(
          QList<QLineEdit*>{p->Edit_Wait, p->Edit_LimitRate, p->Edit_MaxFileSize, p->Edit_Quota},
          p->Memo_AcceptName, p->Memo_RejectUrl, p);
    };
    tst::ModalAnswerer a;
    a.Then([&](QWidget* dlg) {
      auto [edits, names, urls, p] = fields(static_cast<TTXDPropertyDlg*>(dlg));
      for (int i = 0; i < 4; ++i)
        edits[i]->setText(typed[i]);
      names->setPlainText(typed[4]);
      urls->setPlainText(typed[5]);
      p->CB_ObeyRobots->setChecked(false);
      p->SEdit_MaxPerServer->setValue(2);
      QMetaObject::invokeMethod(w->PropDlg->Button_OK, "click", Qt::QueuedConnection);
    });
    if (!refusal.isEmpty()) {
      a.Press(QMessageBox::Ok);
      a.Then([&](QWidget* dlg) {
        QCOMPARE(w->PropDlg->Tabs->currentWidget(), w->PropDlg->TabSheet_Rules);
        static_cast<QDialog*>(dlg)->reject();
      });
    }
    w->ProjectProperties();
    QVERIFY(a.Done());
    QCOMPARE(a.Texts(), refusal.isEmpty() ? QStringList{} : QStringList{refusal});
    if (!refusal.isEmpty()) {
      QVERIFY(w->Choices == TProjectChoices{});
      return;
    }
    // The run reads the choices from the extras, which also carry keys this
    // version does not know; those are saved as they came.
    QVERIFY(LoadChoices(w->Results.Extras) == w->Choices);
    w->Results.Extras["LaterVersionKey"] = "kept";
    const QString file = temp_.filePath(QString("choices-%1.txp").arg(QTest::currentDataTag()));
    a.ChooseFile(file);
    QVERIFY(w->SaveProject());
    QVERIFY(a.Done());

    auto w2 = MakeWindow();
    w2->OpenProjectFile(file);
    QVERIFY(w2->Choices == w->Choices);
    QCOMPARE(w2->Results.Extras["LaterVersionKey"], std::string("kept"));
    a.Then([&](QWidget* dlg) {
      auto [edits, names, urls, p] = fields(static_cast<TTXDPropertyDlg*>(dlg));
      QStringList seen;
      for (QLineEdit* e : edits)
        seen << e->text();
      seen << names->toPlainText() << urls->toPlainText();
      QCOMPARE(seen, shown);
      QVERIFY(!p->CB_ObeyRobots->isChecked());
      QCOMPARE(p->SEdit_MaxPerServer->value(), 2);
      static_cast<QDialog*>(dlg)->reject();
    });
    w2->ProjectProperties();
    QVERIFY(a.Done());
  }

  void browserCommandWithoutStartPage() {
    auto w = MakeWindow();
    MakeLoaded(*w);
    tst::ModalAnswerer a;
    a.Press(QMessageBox::Ok);
    w->ShowInBrowser();
    QCOMPARE(a.Texts(),
             QStringList{QStringLiteral(
                 "在指定的目录中不能找到网站。很可能还没有启动方案或者文件已经被删除了。")});
    QCOMPARE(QString::fromStdString(w->StartPageFile()),
             temp_.filePath("mirror/127.0.0.1/index.html"));
  }

  void linkStructureSetting() {
    auto w = MakeWindow();
    MakeLoaded(*w);
    w->SpiderList.AddURL(U("http://127.0.0.1:9/"), -10, 0);
    w->SpiderList.AddURL(U("http://127.0.0.1:9/a.html"), 0, 1);
    w->SpiderList.AddURL(U("http://127.0.0.1:9/b/c.html"), 1, 2);
    w->SpiderList.AddURL(U("http://127.0.0.1:9/top.html"), 2, 0);
    w->RebuildTrees();
    QCOMPARE(w->LinkTree->topLevelItemCount(), 0);
    // Switched off, the empty tree says where to switch it on.
    const auto* note = w->LinkTree->findChild<QLabel*>(QStringLiteral("LinkTreeOffNote"));
    QVERIFY(note && !note->isHidden() && !note->text().isEmpty());
    w->OptionsDlg->Options.ShowLinkStructure = true;
    tst::ModalAnswerer a;
    a.Press(QMessageBox::Ok);
    w->ApplyLinkStructureSetting(false);
    QCOMPARE(a.Texts(), QStringList{QStringLiteral("现在必须重新建立链接结构。")});
    QVERIFY(w->LinkTree->isEnabled());
    QCOMPARE(ChildKeys(w->LinkTree, nullptr), QStringList{"a.html"});
    QTreeWidgetItem* c = w->LinkTree->topLevelItem(0)->child(0);
    QCOMPARE(c->text(0), QStringLiteral("b/c.html"));
    QCOMPARE(Icon(c), 4);
    // A link back up to a lower level of a hypertext document: icon 18.
    QCOMPARE(c->child(0)->text(0), QStringLiteral("../top.html"));
    QCOMPARE(Icon(c->child(0)), 18);
    // The rebuild's progress text gives way to the panels and their counts.
    QVERIFY(!w->Status->IsSimple());
    QCOMPARE(w->Status->PanelText(1), QStringLiteral("4 个文件在队列中 (其中 3 个超文本文档)"));
    QVERIFY(note->isHidden());

    w->OptionsDlg->Options.ShowLinkStructure = false;
    w->ApplyLinkStructureSetting(true);
    QCOMPARE(w->LinkTree->topLevelItemCount(), 0);
    QVERIFY(!w->LinkTree->isEnabled());
    QVERIFY(!note->isHidden());
    QCOMPARE(a.Handled(), 1);
  }

  void firstActivation() {
    // A first start: the settings are loaded, the start counted, the splash
    // shown, the first-start topic opened and the command-line project read.
    const QString settings = temp_.filePath("first.conf");
    qputenv("TRAWLONIX_SETTINGS", settings.toUtf8());
    {
      SettingsStore store(settings.toStdString());
      store.Write("Options", "ShowLinkStructure", "1");
      store.Write("Options", "MaxThreads", "7");
      store.Write("Placement", "Left", "33");
      store.Write("Placement", "Top", "44");
      QVERIFY(store.Sync());
    }
    TrawlonixDefinition def;
    def.StartingUrl = "http://127.0.0.1:9/";
    TSpiderList spider;
    TCGIRedirectList redirects;
    const QString project = temp_.filePath("cmdline.txp");
    QVERIFY(SaveProject(project.toStdString(), def, spider, redirects).ok);

    TTrawlonixMainForm w("  " + project + " ");
    QCOMPARE(w.pos(), QPoint(33, 44));
    w.AutoActivate = false;
    tst::ModalAnswerer a;
    a.Then([&](QWidget* shown) {
      QCOMPARE(shown, static_cast<QWidget*>(w.SplashDlg));
      w.SplashDlg->accept();
    });
    w.FirstActivation();
    QVERIFY(a.Done());
    QCOMPARE(w.OptionsDlg->Options.MaxThreads, 7);
    QVERIFY(w.ShowLinkStructure);
    QVERIFY(w.LinkTree->isEnabled());
    QVERIFY(w.Loaded);
    QTextBrowser* help = ui::HelpWindow("txmain");
    QVERIFY(help);
    QVERIFY(help->source().toString().endsWith("10000.html"));
    help->setSource(QUrl("qrc:/help/index.html"));
    QCOMPARE(SettingsStore(settings.toStdString()).Read("Options", "Runs").value_or(""),
             std::string("1"));
    w.FirstActivation();  // once only
    QCOMPARE(a.Handled(), 1);

    // The second start shows no first-start topic; closing remembers the place.
    TTrawlonixMainForm w2;
    w2.AutoActivate = false;
    w2.ShowSplashAtStart = false;
    w2.FirstActivation();
    QVERIFY(help->source().toString().endsWith("index.html"));
    QVERIFY(!w2.Loaded);
    w2.show();
    w2.move(55, 66);
    QVERIFY(w2.close());
    SettingsStore store(settings.toStdString());
    QCOMPARE(store.Read("Placement", "Left").value_or(""), std::to_string(w2.pos().x()));
    QCOMPARE(store.Read("Placement", "Top").value_or(""), std::to_string(w2.pos().y()));
    qputenv("TRAWLONIX_SETTINGS", temp_.filePath("settings.conf").toUtf8());
  }

  void settingsCommandAppliesLinkStructure() {
    auto w = MakeWindow();
    MakeLoaded(*w);
    w->SpiderList.AddURL(U("http://127.0.0.1:9/"), -10, 0);
    w->SpiderList.AddURL(U("http://127.0.0.1:9/a.html"), 0, 1);
    w->RebuildTrees();
    tst::ModalAnswerer a;
    a.Then([&](QWidget* shown) {
      QCOMPARE(shown, static_cast<QWidget*>(w->OptionsDlg));
      w->OptionsDlg->CB_ShowLinkStructure->setChecked(true);
      w->OptionsDlg->accept();
    });
    a.Press(QMessageBox::Ok);
    w->ShowSettings();
    QVERIFY(a.Done());
    QCOMPARE(a.Texts(), QStringList{QStringLiteral("现在必须重新建立链接结构。")});
    QVERIFY(w->ShowLinkStructure);
    QCOMPARE(ChildKeys(w->LinkTree, nullptr), QStringList{"a.html"});
    // Cancelled: nothing changes, nothing is asked.
    a.Close(false);
    w->ShowSettings();
    QVERIFY(w->ShowLinkStructure);
    QCOMPARE(a.Handled(), 3);
    // Not offered while a run is active.
    w->RunStateChanged(true);
    w->ShowSettings();
    QCOMPARE(a.Handled(), 3);
    w->RunStateChanged(false);
  }

  void adoptNewProjectKeepsRenameSettings() {
    auto w = MakeWindow();
    w->Definition.HTMLRenList->assign({"asp"});
    w->Definition.StrictUrl = true;
    w->LogBox->addItem("old");
    w->SpiderList.AddURL(U("http://old/"), -10, 0);
    w->OfferEMail("keep@me.cn", "x");
    TrawlonixDefinition def;
    def.StartingUrl = "http://127.0.0.1:9/";
    def.Positivlist->push_back("http://127.0.0.1:9/");
    def.StrictUrl = false;
    tst::ModalAnswerer a;
    a.Press(QMessageBox::No);
    w->AdoptNewProject(def);
    QCOMPARE(*w->Definition.HTMLRenList, (TStringList{"asp"}));
    QVERIFY(w->Definition.StrictUrl);
    QCOMPARE(*w->Definition.Positivlist, (TStringList{"http://127.0.0.1:9/"}));
    QVERIFY(w->Definition.Positivlist != def.Positivlist);
    QCOMPARE(w->SpiderList.Count(), 0);
    QCOMPARE(w->LogBox->count(), 0);
    QCOMPARE(w->LV_CollectedEMails->topLevelItemCount(), 1);
    QVERIFY(w->Loaded && w->Modified());
  }

  // New offers to save the changed project first; Cancel there, or Cancel in
  // the wizard, leaves the open project as it was.
  void newAsksAboutChangesFirst_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("wizardShown");
    QTest::newRow("cancel") << int{QMessageBox::Cancel} << false;
    QTest::newRow("no, then cancel the wizard") << int{QMessageBox::No} << true;
  }
  void newAsksAboutChangesFirst() {
    QFETCH(int, answer);
    QFETCH(bool, wizardShown);
    auto w = MakeWindow();
    MakeLoaded(*w);
    QVERIFY(w->Modified());
    tst::ModalAnswerer a;
    a.Press(static_cast<QMessageBox::StandardButton>(answer));
    bool shown = false;
    if (wizardShown) {
      a.Then([&](QWidget* d) {
        shown = d == w->NewSpiderDlg;
        w->NewSpiderDlg->reject();
      });
    }
    w->Command("New")->trigger();
    QVERIFY(a.Done());
    QCOMPARE(shown, wizardShown);
    QCOMPARE(a.Texts(), QStringList{QStringLiteral("您想要保存目前方案中的更改吗？")});
    QVERIFY(w->Loaded && w->Modified());
    QCOMPARE(w->Definition.ProjectName.str(), std::string("proj"));
  }

  // The check works on the collected links view; the rows behind it follow,
  // rows out of range are ignored, and a deleted URL can be collected again.
  void checkRowsFollowView() {
    auto w = MakeWindow();
    for (const char* u : {"http://x/0", "http://x/1", "http://x/2"})
      QVERIFY(w->OfferCollectedLink(u, "p"));
    QTreeWidget* lv = w->LV_CollectedLinks;
    lv->topLevelItem(2)->setSelected(true);
    QCOMPARE(w->CollectedLinkCount(), 3);
    QCOMPARE(w->CollectedLinkUrl(1), std::string("http://x/1"));
    QVERIFY(w->CollectedLinkSelected(2) && !w->CollectedLinkSelected(0));
    for (int bad : {-1, 3, 1000}) {
      QCOMPARE(w->CollectedLinkUrl(bad), std::string());
      QVERIFY(!w->CollectedLinkSelected(bad));
      w->SetCollectedLinkResult(bad, "x");
      w->SetCollectedLinkSelected(bad, true);
      w->DeleteCollectedLink(bad);
    }
    QCOMPARE(lv->topLevelItemCount(), 3);
    w->SetCollectedLinkResult(0, "通过");
    w->SetCollectedLinkSelected(0, true);
    w->SetCollectedLinkSelected(2, false);
    w->DeleteCollectedLink(1);
    const auto& rows = w->Results.Rows(TResultLists::kLinks);
    QCOMPARE(rows.size(), std::size_t{2});
    QCOMPARE(lv->topLevelItemCount(), 2);
    QCOMPARE(lv->topLevelItem(0)->text(3), QStringLiteral("通过"));
    QCOMPARE(rows[0].TestResult, std::string("通过"));
    QVERIFY(lv->topLevelItem(0)->isSelected() && rows[0].Selected);
    QCOMPARE(lv->topLevelItem(1)->text(0), QStringLiteral("http://x/2"));
    QVERIFY(!lv->topLevelItem(1)->isSelected() && !rows[1].Selected);
    QVERIFY(w->OfferCollectedLink("http://x/1", "again"));
    QVERIFY(!w->OfferCollectedLink("http://x/2", "again"));
    QCOMPARE(lv->topLevelItemCount(), 3);
  }

  // The check's reports reach the progress window: its bar and, at the end,
  // the completion box.
  void checkReportsReachProgressWindow() {
    auto w = MakeWindow();
    w->CheckProgress(2, 5);
    QCOMPARE(w->CheckProgressWin->PB->maximum(), 5);
    QCOMPARE(w->CheckProgressWin->PB->value(), 2);
    tst::ModalAnswerer a;
    w->CheckDone();  // no check active: nothing to close, no box
    QTest::qWait(20);
    QCOMPARE(a.Handled(), 0);
  }

  // An empty collected links list is not checked: no dialog appears.
  void checkOfEmptyListAsksNothing() {
    auto w = MakeWindow();
    tst::ModalAnswerer a;
    w->Command("Check")->trigger();
    QTest::qWait(20);
    QCOMPARE(a.Handled(), 0);
  }
};

QTEST_MAIN(TstMain)
#include "tst_main.moc"
