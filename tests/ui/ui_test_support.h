// Helpers the dialog test programs share: answering the modal windows a test
// provokes, and the documentation pictures.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <functional>

namespace uitest {

// Answers every message box that becomes the active modal widget (`answer`,
// else OK, else its first button) and hands any other modal dialog to
// `other`. Records the boxes' texts and icons. With `deferOther` the dialog
// is handed over only after the timer's slot has returned, for dialogs that
// open further modal windows of their own.
class ModalAnswerer {
 public:
  explicit ModalAnswerer(QMessageBox::StandardButton answer = QMessageBox::Yes,
                         bool deferOther = false)
      : answer_(answer), deferOther_(deferOther) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }
  QStringList texts;
  QList<QMessageBox::Icon> icons;
  std::function<void(QWidget*)> other;

 private:
  void Poll() {
    QWidget* w = QApplication::activeModalWidget();
    if (w == nullptr || w->property("answered").toBool()) return;
    w->setProperty("answered", true);
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      texts << box->text();
      icons << box->icon();
      QAbstractButton* b = box->button(answer_);
      if (b == nullptr) b = box->button(QMessageBox::Ok);
      if (b == nullptr) b = box->buttons().value(0);
      QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
    } else if (other) {
      if (deferOther_) {
        QTimer::singleShot(0, w, [this, w] { other(w); });
      } else {
        other(w);
      }
    }
  }
  QMessageBox::StandardButton answer_;
  bool deferOther_;
  QTimer timer_;
};

// Answers every message box that becomes the active modal widget with its
// first button and records its text.
class BoxAnswerer {
 public:
  BoxAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || box->property("answered").toBool()) return;
      box->setProperty("answered", true);
      texts << box->text();
      QMetaObject::invokeMethod(box->buttons().value(0), "click", Qt::QueuedConnection);
    });
    timer_.start();
  }
  QStringList texts;

 private:
  QTimer timer_;
};

// Pictures for the documentation: only when TX_DIALOG_SHOTS names a folder
// (scripts/screenshots-dialogs.sh runs the "pictures" function under Xvfb).
inline QString ShotDir() {
  return qEnvironmentVariable("TX_DIALOG_SHOTS");
}

inline void Shoot(QWidget* w, const QString& name) {
  QVERIFY(QTest::qWaitForWindowExposed(w));
  QTest::qWait(150);
  QVERIFY(w->grab().save(ShotDir() + QLatin1Char('/') + name));
}

}  // namespace uitest
