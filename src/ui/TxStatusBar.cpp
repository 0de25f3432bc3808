#include "ui/TxStatusBar.h"

#include <QLabel>
#include <algorithm>

namespace trawlonix::ui {

TxStatusBar::TxStatusBar(QWidget* parent) : QStatusBar(parent) {
  setObjectName(QStringLiteral("StatusBar"));
  for (int i = 0; i < 4; ++i) {
    auto* l = new QLabel;
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    const int width = PanelWidth(i, l);
    if (i < 3)
      l->setFixedWidth(width);
    else
      l->setMinimumWidth(width);
    if (i == 0) l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addWidget(l, i == 3 ? 1 : 0);
    panels_[static_cast<std::size_t>(i)] = l;
  }
  simpleLabel_ = new QLabel;
  simpleLabel_->hide();
  addWidget(simpleLabel_, 1);
}

const std::array<QString, 4>& TxStatusBar::LongestTexts() {
  // The widest texts the panels are made for: counts of a large crawl.
  static const std::array<QString, 4> texts = {
      QStringLiteral("9999999 KB 已接收"),
      QStringLiteral("999999 个文件在队列中 (其中 999999 个超文本文档)"),
      QStringLiteral("999999 个文件已经接收 (其中 999999 个超文本文档)"),
      QStringLiteral("100.00% 已完成")};
  return texts;
}

int TxStatusBar::PanelWidth(int panel, const QLabel* label) {
  const int minimum[4] = {100, 250, 250, 50};
  const int margin = 2 * label->frameWidth() + 2 * label->margin() + 8;
  const int text =
      label->fontMetrics().horizontalAdvance(LongestTexts()[static_cast<std::size_t>(panel)]);
  return std::max(minimum[panel], text + margin);
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
