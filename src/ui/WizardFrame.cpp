#include "ui/WizardFrame.h"
#include "settings/Language.h"

#include <QDialog>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace trawlonix {

namespace {

QFrame* SunkenLine(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

}  // namespace

QString WizardNextCaption(bool finish) {
  return finish ? qtr("Wizard", "完成(&F)") : qtr("Wizard", "继续(&W) >");
}

TWizardFrame BuildWizardFrame(QDialog* dialog, QStackedWidget* pages, TWizardPicture::Kind kind) {
  TWizardFrame f;
  f.numberLabel = new QLabel(dialog);
  f.titleLabel = new QLabel(dialog);
  QFont big = dialog->font();
  big.setPointSize(big.pointSize() + 5);
  big.setBold(true);
  f.numberLabel->setFont(big);
  f.titleLabel->setFont(big);
  auto* header = new QHBoxLayout;
  header->addWidget(f.numberLabel);
  header->addWidget(f.titleLabel, 1);
  QFrame* line = SunkenLine(dialog);
  auto* right = new QVBoxLayout;
  right->addLayout(header);
  right->addWidget(line);
  right->addWidget(pages, 1);
  f.picture = new TWizardPicture(kind, dialog);
  auto* top = new QHBoxLayout;
  top->addWidget(f.picture);
  top->addLayout(right, 1);

  f.back = new QPushButton(qtr("Wizard", "< 后退(&Z)"), dialog);
  f.next = new QPushButton(WizardNextCaption(false), dialog);
  f.cancel = new QPushButton(qtr("Wizard", "取消"), dialog);
  f.help = new QPushButton(qtr("Wizard", "帮助"), dialog);
  f.next->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(f.back);
  buttons->addWidget(f.next);
  buttons->addSpacing(8);
  buttons->addWidget(f.cancel);
  buttons->addWidget(f.help);
  QFrame* bottomLine = SunkenLine(dialog);

  auto* layout = new QVBoxLayout(dialog);
  layout->addLayout(top, 1);
  layout->addWidget(bottomLine);
  layout->addLayout(buttons);
  return f;
}

}  // namespace trawlonix
