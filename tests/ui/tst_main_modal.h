// Answers the modal windows a test provokes: a timer watches for the active
// modal widget and hands each new one to the next queued handler. Message
// box texts are recorded in the order they appeared.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>

// fontconfig keeps its caches until the process ends (Qt never calls
// FcFini); the leak checker of the sanitizer build is told so. Each test
// program is one file, so this header is included once per program.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

namespace tst {

class ModalAnswerer : public QObject {
 public:
  using Handler = std::function<void(QWidget*)>;

  ModalAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    timer_.start();
  }

  // Queues a handler for the next modal window.
  void Then(Handler h) { queue_.push_back(std::move(h)); }
  // Message box: press the button with that standard role.
  void Press(QMessageBox::StandardButton button) {
    Then([this, button](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box) {
        unexpected_ << w->metaObject()->className();
        if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
        return;
      }
      if (auto* b = box->button(button)) b->click();
    });
  }
  // File dialog: choose `file` (accept) or cancel when `file` is empty.
  void ChooseFile(const QString& file) {
    Then([this, file](QWidget* w) {
      auto* fd = qobject_cast<QFileDialog*>(w);
      if (!fd) {
        unexpected_ << w->metaObject()->className();
        if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
        return;
      }
      if (file.isEmpty()) {
        fd->reject();
        return;
      }
      fd->selectFile(file);
      chosen_ << file;
      static_cast<QDialog*>(fd)->accept();
    });
  }
  // Any dialog: accept (OK) or reject.
  void Close(bool accept) {
    Then([accept](QWidget* w) {
      if (auto* d = qobject_cast<QDialog*>(w)) accept ? d->accept() : d->reject();
    });
  }

  bool Done() const { return queue_.empty(); }
  const QStringList& Texts() const { return texts_; }
  const QStringList& Unexpected() const { return unexpected_; }
  int Handled() const { return handled_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide && watched == last_) last_ = nullptr;
    return false;
  }

 private:
  void Tick() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible()) {
      last_ = nullptr;
      return;
    }
    if (w == last_) return;
    last_ = w;
    // A dialog shown again (the same object) counts as a new window.
    w->installEventFilter(this);
    if (auto* box = qobject_cast<QMessageBox*>(w)) texts_ << box->text();
    ++handled_;
    if (queue_.empty()) {
      unexpected_ << QStringLiteral("unanswered ") + w->metaObject()->className();
      if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
      return;
    }
    Handler h = std::move(queue_.front());
    queue_.pop_front();
    h(w);
  }

  QTimer timer_;
  std::deque<Handler> queue_;
  QPointer<QWidget> last_;
  QStringList texts_;
  QStringList unexpected_;
  QStringList chosen_;
  int handled_ = 0;
};

}  // namespace tst
