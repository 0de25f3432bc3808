// The link-check progress window and the user-interface steps of a check:
// the bar and the status-bar text per checked row, cancelling (button and
// Escape) once only, and the end with its log line and completion box. The
// check itself is played by a timer-driven stand-in with the engine's
// contract: rows finish one by one; after an abort nothing more is reported
// and the end follows.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "ui/Frm_CheckCollectedLinksProgress.h"
#include "ui/TxStatusBar.h"
#include "ui_test_support.h"

using namespace trawlonix;

namespace {

using uitest::BoxAnswerer;
using uitest::Shoot;
using uitest::ShotDir;

// Finishes one row every `intervalMs`; Abort stops further rows and reports
// the end a little later, as the engine does once its slots are aborted.
class FakeCheck {
 public:
  FakeCheck(TCheckCollectedLinksProgress& window, int rows, int intervalMs)
      : window_(window), rows_(rows) {
    timer_.setInterval(intervalMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (done_ < rows_) {
        ++done_;
        window_.CheckStepped();
        statusTexts << statusBar->SimpleText();
        onStep(done_);
      }
      if (done_ == rows_) {
        timer_.stop();
        window_.CheckFinished();
      }
    });
  }
  TLinkCheckHooks Hooks() {
    TLinkCheckHooks h;
    h.Start = [this] {
      ++starts;
      timer_.start();
    };
    h.Abort = [this] {
      ++aborts;
      timer_.stop();
      QTimer::singleShot(20, [this] { window_.CheckFinished(); });
    };
    h.Log = [this](const std::string& line) { log << QString::fromStdString(line); };
    return h;
  }
  ui::TxStatusBar* statusBar = nullptr;
  QStringList statusTexts;
  QStringList log;
  int starts = 0;
  int aborts = 0;
  std::function<void(int)> onStep = [](int) {};

 private:
  TCheckCollectedLinksProgress& window_;
  int rows_;
  int done_ = 0;
  QTimer timer_;
};

}  // namespace

class CheckTest : public QObject {
  Q_OBJECT

 private slots:
  void windowParts() {
    TCheckCollectedLinksProgress w;
    QCOMPARE(w.windowTitle(), QStringLiteral("正在检查收集的链接..."));
    QCOMPARE(w.Button_Cancel->text(), QStringLiteral("取消(&A)"));
    QVERIFY(!(w.windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(w.windowFlags() & Qt::WindowSystemMenuHint));
    QCOMPARE(TCheckCollectedLinksProgress::ProgressText(2, 7),
             QStringLiteral("2 个链接（总共 7 个需要检查）已经处理完了。"));
    int calls = 0;
    w.CancelButtonClick();  // no callback set: nothing happens
    w.SetCancelCallback([&] { ++calls; });
    w.Button_Cancel->click();
    QCOMPARE(calls, 1);
  }

  void pictures() {
    if (ShotDir().isEmpty()) QSKIP("TX_DIALOG_SHOTS not set");
    BoxAnswerer boxes;
    ui::TxStatusBar bar;
    TCheckCollectedLinksProgress w;
    FakeCheck check(w, 12, 40);
    check.statusBar = &bar;
    check.onStep = [&](int done) {
      if (done == 5) Shoot(&w, QStringLiteral("check-progress.png"));
    };
    w.Run(12, &bar, check.Hooks());
  }

  void runsToTheEnd() {
    BoxAnswerer boxes;
    ui::TxStatusBar bar;
    bar.SetPanelText(1, QStringLiteral("panel"));
    TCheckCollectedLinksProgress w;
    FakeCheck check(w, 3, 10);
    check.statusBar = &bar;
    bool modalWhileRunning = false;
    check.onStep = [&](int) {
      modalWhileRunning = QApplication::activeModalWidget() == &w && bar.IsSimple();
    };
    w.Run(3, &bar, check.Hooks());
    QCOMPARE(check.starts, 1);
    QVERIFY(modalWhileRunning);
    QCOMPARE(w.PB->maximum(), 3);
    QCOMPARE(w.PB->value(), 3);
    QCOMPARE(check.statusTexts, (QStringList{"1 个链接（总共 3 个需要检查）已经处理完了。",
                                             "2 个链接（总共 3 个需要检查）已经处理完了。",
                                             "3 个链接（总共 3 个需要检查）已经处理完了。"}));
    QVERIFY(check.log.isEmpty());
    QCOMPARE(boxes.texts, QStringList{"所有链接的检查已经完成。"});
    QVERIFY(!w.isVisible());
    QVERIFY(!bar.IsSimple());
    QCOMPARE(bar.PanelText(1), QStringLiteral("panel"));
    QVERIFY(!w.Active());
  }

  void cancelByEscapeOnce() {
    BoxAnswerer boxes;
    ui::TxStatusBar bar;
    TCheckCollectedLinksProgress w;
    FakeCheck check(w, 50, 15);
    check.statusBar = &bar;
    check.onStep = [&](int done) {
      if (done == 2) {
        // Escape twice, then the button: one abort request only.
        QTest::keyClick(&w, Qt::Key_Escape);
        QTest::keyClick(&w, Qt::Key_Escape);
        w.Button_Cancel->click();
        QVERIFY(w.isVisible());  // Escape does not close the window by itself
      }
    };
    w.Run(50, &bar, check.Hooks());
    QCOMPARE(check.aborts, 1);
    QCOMPARE(check.log, (QStringList{"正在中断过程...", "所有过程被中断"}));
    QCOMPARE(w.PB->value(), 2);
    QCOMPARE(boxes.texts, QStringList{"所有链接的检查已经完成。"});
    QVERIFY(!w.isVisible());
    QVERIFY(!w.AbortRequested());
  }

  void closeIgnoredWhileRunning() {
    BoxAnswerer boxes;
    TCheckCollectedLinksProgress w;
    FakeCheck check(w, 3, 10);
    bool stillShown = false;
    check.onStep = [&](int done) {
      if (done == 1) {
        w.close();
        stillShown = w.isVisible();
      }
    };
    ui::TxStatusBar bar;
    check.statusBar = &bar;
    w.Run(3, &bar, check.Hooks());
    QVERIFY(stillShown);
    QCOMPARE(w.PB->value(), 3);
  }

  void reusedForASecondCheck() {
    BoxAnswerer boxes;
    ui::TxStatusBar bar;
    TCheckCollectedLinksProgress w;
    {
      FakeCheck first(w, 5, 5);
      first.statusBar = &bar;
      first.onStep = [&](int done) {
        if (done == 1) w.Button_Cancel->click();
      };
      w.Run(5, &bar, first.Hooks());
    }
    FakeCheck second(w, 2, 5);
    second.statusBar = &bar;
    w.Run(2, &bar, second.Hooks());
    QCOMPARE(w.PB->value(), 2);
    QCOMPARE(w.PB->maximum(), 2);
    QVERIFY(second.log.isEmpty());
    QCOMPARE(boxes.texts.size(), 2);
  }
};

QTEST_MAIN(CheckTest)
#include "tst_check.moc"
