#include "ui/TxStatusBar.h"

#include <QLabel>

namespace trawlonix::ui {

TxStatusBar::TxStatusBar(QWidget* parent) : QStatusBar(parent) {
  setObjectName(QStringLiteral("StatusBar"));
  const int widths[4] = {100, 250, 250, 50};
  for (int i = 0; i < 4; ++i) {
    auto* l = new QLabel;
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    if (i < 3)
      l->setFixedWidth(widths[i]);
    else
      l->setMinimumWidth(widths[i]);
    if (i == 0) l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addWidget(l, i == 3 ? 1 : 0);
    panels_[static_cast<std::size_t>(i)] = l;
  }
  simpleLabel_ = new QLabel;
  simpleLabel_->hide();
  addWidget(simpleLabel_, 1);
}

void TxStatusBar::SetPanelText(int panel, const QString& text) {
  if (panel < 0 || panel > 3) return;
  QLabel* l = panels_[static_cast<std::size_t>(panel)];
  if (l->text() != text) l->setText(text);
}

QString TxStatusBar::PanelText(int panel) const {
  if (panel < 0 || panel > 3) return {};
  return panels_[static_cast<std::size_t>(panel)]->text();
}

void TxStatusBar::SetSimpleText(const QString& text) {
  if (!simple_) {
    for (auto* l : panels_)
      l->hide();
    simpleLabel_->show();
    simple_ = true;
  }
  if (simpleLabel_->text() != text) {
    simpleLabel_->setText(text);
    if (isVisible()) simpleLabel_->repaint();
  }
}

void TxStatusBar::SetPanels() {
  if (!simple_) return;
  simpleLabel_->hide();
  for (auto* l : panels_)
    l->show();
  simple_ = false;
}

QString TxStatusBar::SimpleText() const {
  return simpleLabel_->text();
}

}  // namespace trawlonix::ui
