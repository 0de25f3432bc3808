#include "ui/Frm_Info.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include "settings/Language.h"
#include "ui/TxIcons.h"

namespace trawlonix {

namespace {
constexpr int kPanelWidth = 440;
}

TInfoForm::TInfoForm(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("TInfoForm"));
  setWindowTitle(qtr("SlotWindow", "下载线程的状态:"));
  setWindowIcon(ui::AppIcon());
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  top_ = new QWidget;
  auto* tl = new QHBoxLayout(top_);
  tl->setContentsMargins(4, 4, 4, 4);
  CloseButton = new QPushButton(qtr("SlotWindow", "关闭(&S)"));
  connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
  tl->addWidget(CloseButton);
  tl->addStretch();
  box->addWidget(top_);
  scroll_ = new QScrollArea;
  scroll_->setWidgetResizable(true);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  auto* inner = new QWidget;
  list_ = new QVBoxLayout(inner);
  list_->setContentsMargins(0, 0, 0, 0);
  list_->setSpacing(2);
  list_->addStretch();
  scroll_->setWidget(inner);
  box->addWidget(scroll_, 1);
  StatusBar = new QStatusBar;
  StatusBar->setSizeGripEnabled(false);
  box->addWidget(StatusBar);
  panels_.push_back(MakePanel());
  panels_[0].frame->hide();
  resize(RuledSize().width(), 300);
}

TInfoForm::Panel TInfoForm::MakePanel() {
  Panel p;
  p.frame = new QFrame;
  p.frame->setFrameShape(QFrame::StyledPanel);
  p.frame->setFixedWidth(kPanelWidth);
  auto* l = new QVBoxLayout(p.frame);
  l->setContentsMargins(4, 2, 4, 2);
  l->setSpacing(1);
  p.url = new QLabel;
  p.url->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  p.info = new QLabel;
  p.info->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  p.progress = new QProgressBar;
  p.progress->setRange(0, 10000);
  p.progress->setValue(0);
  p.progress->setTextVisible(false);
  p.progress->setMaximumHeight(10);
  l->addWidget(p.url);
  l->addWidget(p.info);
  l->addWidget(p.progress);
  list_->insertWidget(list_->count() - 1, p.frame);
  return p;
}

void TInfoForm::SetSlotCount(int count) {
  while (panels_.size() > 1) {
    delete panels_.back().frame;
    panels_.pop_back();
  }
  count_ = count > 0 ? count : 0;
  panels_[0].frame->setVisible(count_ > 0);
  while (static_cast<int>(panels_.size()) < count_)
    panels_.push_back(MakePanel());
  for (auto& p : panels_) {
    p.url->clear();
    p.info->clear();
    p.progress->setValue(0);
  }
  if (count_ == 0) close();
}

const TInfoForm::Panel* TInfoForm::At(int slot) const {
  if (slot < 0 || slot >= count_) return nullptr;
  return &panels_[static_cast<std::size_t>(slot)];
}

void TInfoForm::SetSlotUrl(int slot, const QString& url) {
  if (auto* p = At(slot)) p->url->setText(url);
}

void TInfoForm::SetSlotInfo(int slot, const QString& info) {
  if (auto* p = At(slot)) p->info->setText(info);
}

void TInfoForm::SetSlotProgress(int slot, int position) {
  if (auto* p = At(slot)) p->progress->setValue(std::clamp(position, 0, 10000));
}

QString TInfoForm::SlotUrl(int slot) const {
  return At(slot) ? At(slot)->url->text() : QString();
}
QString TInfoForm::SlotInfo(int slot) const {
  return At(slot) ? At(slot)->info->text() : QString();
}
int TInfoForm::SlotProgress(int slot) const {
  return At(slot) ? At(slot)->progress->value() : -1;
}
bool TInfoForm::SlotPanelVisible(int slot) const {
  return At(slot) && !At(slot)->frame->isHidden();
}

QSize TInfoForm::RuledSize() const {
  const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int panelH = panels_.empty() ? 0 : panels_[0].frame->sizeHint().height();
  const int w = kPanelWidth + sb + 6;
  const int h = panelH + top_->sizeHint().height() + StatusBar->sizeHint().height() + 12;
  return {w, h};
}

void TInfoForm::showEvent(QShowEvent* event) {
  const QSize s = RuledSize();
  setFixedWidth(s.width());
  setMinimumHeight(s.height());
  QWidget::showEvent(event);
}

}  // namespace trawlonix
