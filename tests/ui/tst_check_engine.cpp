// The check of collected links as the desktop runs it: the engine's check
// (TLinkCheck) behind the modal progress window, against the scripted test
// server on 127.0.0.1. Rows live in a report list view like the main window's.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "TestServer.h"
#include "engine/CrawlHost.h"
#include "engine/LinkCheck.h"
#include "settings/Settings.h"
#include "ui/Frm_CheckCollectedLinksProgress.h"
#include "ui/TxStatusBar.h"
#include "ui_test_support.h"

using namespace trawlonix;
using trawlonix::testsupport::TestServer;

namespace {

using uitest::BoxAnswerer;

// The parts of the main window a check uses: the collected links list, the
// log, and the progress window that follows the check.
class ListHost : public CrawlHost {
 public:
  ListHost() {
    list.setColumnCount(4);
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
  }
  void AddRow(const QString& url, bool selected = false) {
    auto* item = new QTreeWidgetItem(&list, {url, "", "", "- 未检查 -"});
    item->setSelected(selected);
  }
  QString Result(int row) const { return list.topLevelItem(row)->text(3); }

  QTreeWidget list;
  QStringList log;
  TCheckCollectedLinksProgress* progress = nullptr;
  QList<int> progressSeen;
  ui::TxStatusBar* bar = nullptr;
  QStringList statusTexts;

  void AppendLog(const std::string& line) override { log << QString::fromStdString(line); }
  void CountersChanged(const TCounters&, const TCounters&) override {}
  TItemHandle AddDirItem(const TURL&) override { return 0; }
  void MarkDirItemLoaded(TItemHandle) override {}
  TItemHandle AddLinkItem(TItemHandle, const std::string&) override { return 0; }
  void SetLinkItemIcon(TItemHandle, int) override {}
  bool OfferCollectedLink(const std::string&, const std::string&) override { return false; }
  bool OfferEMail(const std::string&, const std::string&) override { return false; }
  bool OfferBrokenLink(const std::string&, const std::string&, const std::string&) override {
    return false;
  }
  void SetLastRowReference(const std::string&) override {}
  void SetSlotUrl(int, const std::string&) override {}
  void SetSlotInfo(int, const std::string&) override {}
  void SetSlotProgress(int, int) override {}
  StartChoice AskStartChoice(bool) override { return StartChoice::Cancel; }
  void SetSlotCount(int) override {}
  void RunStateChanged(bool) override {}
  void ShowResults(const std::string&, const TCounters&) override {}
  bool AskSaveAfterInterrupt() override { return false; }
  bool SaveProject() override { return false; }

  int CollectedLinkCount() override { return list.topLevelItemCount(); }
  std::string CollectedLinkUrl(int row) override {
    return list.topLevelItem(row)->text(0).toStdString();
  }
  bool CollectedLinkSelected(int row) override { return list.topLevelItem(row)->isSelected(); }
  void SetCollectedLinkResult(int row, const std::string& text) override {
    list.topLevelItem(row)->setText(3, QString::fromStdString(text));
  }
  void SetCollectedLinkSelected(int row, bool selected) override {
    list.topLevelItem(row)->setSelected(selected);
  }
  void DeleteCollectedLink(int row) override { delete list.takeTopLevelItem(row); }
  void CheckProgress(int done, int toCheck) override {
    progressSeen << done;
    progress->CheckProgress(done, toCheck);
    if (bar != nullptr) statusTexts << bar->SimpleText();
  }
  void CheckDone() override { progress->CheckFinished(); }
};

}  // namespace

class CheckEngineTest : public QObject {
  Q_OBJECT

 private:
  TestServer server_;

  QString Url(const char* path) const { return server_.baseUrl() + QLatin1String(path + 1); }

 private slots:
  void initTestCase() {
    TestServer::Options o;
    o.script =
        "{\"/ok.html\": {\"body\": \"<HTML></HTML>\"},"
        " \"/gone.html\": {\"status\": 404, \"reason\": \"Not Found\"},"
        " \"/nohead\": {\"status\": 405, \"reason\": \"Method Not Allowed\"},"
        " \"/slow/*\": {\"header_delay_ms\": 3000, \"body\": \"x\"}}";
    o.lifetimeSeconds = 120;
    QVERIFY2(server_.start(o), qPrintable(server_.errorString()));
  }

  void checksEveryRowFromTheEnd() {
    BoxAnswerer boxes;
    ListHost host;
    host.AddRow(Url("/ok.html"));
    host.AddRow(Url("/gone.html"));
    host.AddRow(Url("/nohead"));
    TOptions options;
    options.MaxThreads = 1;  // one slot: the order of the requests is the order of the rows
    TLinkCheck check(host, options);
    TCheckCollectedLinksProgress progress;
    host.progress = &progress;
    ui::TxStatusBar bar;
    host.bar = &bar;
    TLinkCheckHooks hooks;
    hooks.Start = [&] { QVERIFY(check.Start(false, lcm_FillOnly)); };
    hooks.Abort = [&] { check.AbortAll(); };
    hooks.Log = [&](const std::string& s) { host.AppendLog(s); };
    server_.clear();
    progress.Run(check.CountToCheck(false), &bar, hooks);

    QCOMPARE(host.Result(0), QStringLiteral("通过"));
    QCOMPARE(host.Result(1), QStringLiteral("坏的: 404 Not Found"));
    QCOMPARE(host.Result(2), QStringLiteral("坏的: 405 Method Not Allowed"));
    QCOMPARE(host.progressSeen, (QList<int>{1, 2, 3}));
    QCOMPARE(progress.PB->value(), 3);
    QCOMPARE(progress.PB->maximum(), 3);
    QCOMPARE(host.statusTexts, (QStringList{"1 个链接（总共 3 个需要检查）已经处理完了。",
                                            "2 个链接（总共 3 个需要检查）已经处理完了。",
                                            "3 个链接（总共 3 个需要检查）已经处理完了。"}));
    QVERIFY(!bar.IsSimple());
    QCOMPARE(boxes.texts, QStringList{"所有链接的检查已经完成。"});
    QVERIFY(!progress.isVisible());
    const auto requests = server_.requests();
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests[0].path, QByteArray("/nohead"));  // the last row first
    for (const auto& r : requests)
      QCOMPARE(r.method, QByteArray("HEAD"));
    QVERIFY(!host.log.contains(QStringLiteral("所有过程被中断")));
  }

  void onlySelectedRows() {
    BoxAnswerer boxes;
    ListHost host;
    for (int i = 0; i < 6; ++i)
      host.AddRow(Url("/ok.html"), i == 1 || i == 4);
    TOptions options;
    TLinkCheck check(host, options);
    TCheckCollectedLinksProgress progress;
    host.progress = &progress;
    TLinkCheckHooks hooks;
    hooks.Start = [&] { check.Start(true, lcm_FillOnly); };
    hooks.Abort = [&] { check.AbortAll(); };
    QCOMPARE(check.CountToCheck(true), 2);
    progress.Run(check.CountToCheck(true), nullptr, hooks);
    QStringList results;
    for (int i = 0; i < 6; ++i)
      results << host.Result(i);
    QCOMPARE(results,
             (QStringList{"- 未检查 -", "通过", "- 未检查 -", "- 未检查 -", "通过", "- 未检查 -"}));
    QCOMPARE(progress.PB->maximum(), 2);
  }

  void cancelStopsTheCheck() {
    BoxAnswerer boxes;
    ListHost host;
    for (int i = 0; i < 8; ++i)
      host.AddRow(Url("/slow/") + QString::number(i));
    TOptions options;
    options.MaxThreads = 2;
    TLinkCheck check(host, options);
    TCheckCollectedLinksProgress progress;
    host.progress = &progress;
    ui::TxStatusBar bar;
    TLinkCheckHooks hooks;
    hooks.Start = [&] {
      check.Start(false, lcm_DeleteBad);
      // Escape while both slots wait for their answers, then the button too.
      QTimer::singleShot(300, &progress, [&] {
        QTest::keyClick(&progress, Qt::Key_Escape);
        progress.Button_Cancel->click();
      });
    };
    hooks.Abort = [&] { check.AbortAll(); };
    hooks.Log = [&](const std::string& s) { host.AppendLog(s); };
    QElapsedTimer clock;
    clock.start();
    progress.Run(check.CountToCheck(false), &bar, hooks);
    QVERIFY2(clock.elapsed() < 2500, "the abort did not end the check early");
    QCOMPARE(host.log.count(QStringLiteral("正在中断过程...")), 1);
    QCOMPARE(host.log.count(QStringLiteral("所有过程被中断")), 1);
    QVERIFY(host.log.indexOf(QStringLiteral("正在中断过程...")) <
            host.log.indexOf(QStringLiteral("所有过程被中断")));
    QCOMPARE(boxes.texts, QStringList{"所有链接的检查已经完成。"});
    QCOMPARE(host.list.topLevelItemCount(), 8);  // nothing reported, nothing deleted
    for (int i = 0; i < 8; ++i)
      QCOMPARE(host.Result(i), QStringLiteral("- 未检查 -"));
    QVERIFY(host.progressSeen.isEmpty());
    QVERIFY(!bar.IsSimple());
    QVERIFY(!check.Running());
  }
};

QTEST_MAIN(CheckEngineTest)
#include "tst_check_engine.moc"
