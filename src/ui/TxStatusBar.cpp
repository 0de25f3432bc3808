#include "ui/TxStatusBar.h"

#include <QLabel>
#include <algorithm>

#include "settings/Language.h"

namespace trawlonix::ui {

namespace {

// The panels' widths at the least (received kilobytes, queued files,
// received or checked files, percentage done).
constexpr int kMinimumWidths[4] = {100, 250, 250, 50};
// The percentage panel is made for its widest text from the start, so that
// it does not change width while a run counts up.
QString WidestPercentage() {
  return qtr("MainWindow", "100.00% 已完成");
}

int TextWidth(const QLabel* label, const QString& text) {
  return label->fontMetrics().horizontalAdvance(text) + 2 * label->frameWidth() +
         2 * label->margin() + 8;
}

}  // namespace

TxStatusBar::TxStatusBar(QWidget* parent) : QStatusBar(parent) {
  setObjectName(QStringLiteral("StatusBar"));
  for (int i = 0; i < 4; ++i) {
    auto* l = new QLabel;
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    if (i < 3)
      l->setFixedWidth(kMinimumWidths[i]);
    else
      l->setMinimumWidth(std::max(kMinimumWidths[i], TextWidth(l, WidestPercentage())));
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
  if (l->text() == text) return;
  l->setText(text);
  // A panel grows to show its whole text (large counts, another font) and
  // never shrinks back, so the panels do not shift to and fro during a run.
  const int needed = TextWidth(l, text);
  if (needed <= l->minimumWidth()) return;
  if (panel < 3)
    l->setFixedWidth(needed);
  else
    l->setMinimumWidth(needed);
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
