#include "ui/Frm_CheckCollectedLinksProgress.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "base/Translate.h"
#include "settings/Language.h"
#include "ui/TxMessages.h"
#include "ui/TxStatusBar.h"

namespace trawlonix {

TCheckCollectedLinksProgress::TCheckCollectedLinksProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("TCheckCollectedLinksProgress"));
  setWindowTitle(qtr("CheckProgress", "正在检查收集的链接..."));
  setModal(true);
  Label = new QLabel(qtr("CheckProgress", "正在检查收集的链接..."), this);
  PB = new QProgressBar(this);
  PB->setRange(0, 0);
  PB->setTextVisible(false);
  PB->setMinimumWidth(320);
  Button_Cancel = new QPushButton(qtr("CheckProgress", "取消(&A)"), this);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(Button_Cancel);
  row->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label);
  layout->addWidget(PB);
  layout->addLayout(row);
  connect(Button_Cancel, &QPushButton::clicked, this,
          &TCheckCollectedLinksProgress::CancelButtonClick);
  setFixedSize(sizeHint());
}

QString TCheckCollectedLinksProgress::ProgressText(int done, int toCheck) {
  return qtr("CheckProgress", "%1 个链接（总共 %2 个需要检查）已经处理完了。")
      .arg(done)
      .arg(toCheck);
}

void TCheckCollectedLinksProgress::CancelButtonClick() {
  if (cancel_) cancel_();
}

void TCheckCollectedLinksProgress::reject() {
  CancelButtonClick();
}

void TCheckCollectedLinksProgress::closeEvent(QCloseEvent* event) {
  // Only the end of the check closes the window.
  if (active_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TCheckCollectedLinksProgress::Run(int toCheck, ui::TxStatusBar* statusBar,
                                       TLinkCheckHooks hooks) {
  hooks_ = std::move(hooks);
  statusBar_ = statusBar;
  toCheck_ = toCheck;
  abortRequested_ = false;
  active_ = true;
  if (statusBar_ != nullptr) statusBar_->SetSimpleText(QString());
  SetCancelCallback([this] { StopLinkCheck(); });
  PB->setRange(0, std::max(0, toCheck));
  PB->setValue(0);
  QTimer::singleShot(0, this, [this] {
    if (active_ && hooks_.Start) hooks_.Start();
  });
  exec();
}

void TCheckCollectedLinksProgress::CheckStepped() {
  PB->setValue(std::min(PB->maximum(), PB->value() + 1));
  if (statusBar_ != nullptr) statusBar_->SetSimpleText(ProgressText(PB->value(), toCheck_));
}

void TCheckCollectedLinksProgress::CheckProgress(int done, int toCheck) {
  toCheck_ = toCheck;
  PB->setMaximum(std::max(0, toCheck));
  PB->setValue(std::clamp(done, 0, PB->maximum()));
  if (statusBar_ != nullptr) statusBar_->SetSimpleText(ProgressText(done, toCheck));
}

void TCheckCollectedLinksProgress::StopLinkCheck() {
  if (abortRequested_ || !active_) return;
  if (hooks_.Log) hooks_.Log(translate("LinkCheck", "正在中断过程..."));
  abortRequested_ = true;
  if (hooks_.Abort) hooks_.Abort();
}

void TCheckCollectedLinksProgress::CheckFinished() {
  if (!active_) return;
  if (abortRequested_ && hooks_.Log) hooks_.Log(translate("LinkCheck", "所有过程被中断"));
  abortRequested_ = false;
  active_ = false;
  if (statusBar_ != nullptr) {
    statusBar_->SetSimpleText(QString());
    statusBar_->SetPanels();
  }
  done(QDialog::Accepted);
  ui::InfoBox(parentWidget(), qtr("CheckProgress", "所有链接的检查已经完成。"));
}

}  // namespace trawlonix
