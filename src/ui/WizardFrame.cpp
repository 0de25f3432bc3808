#include "ui/WizardFrame.h"
#include "settings/Language.h"

#include <QDialog>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QtMath>

namespace trawlonix {

TWizardPicture::TWizardPicture(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
  setFixedWidth(130);
  setMinimumHeight(260);
}

void TWizardPicture::SetKind(Kind kind) {
  kind_ = kind;
  update();
}

void TWizardPicture::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, QColor(0x1d, 0x3b, 0x6e));
  g.setColorAt(1, QColor(0x4f, 0x8a, 0xc9));
  p.fillRect(rect(), g);
  const QPointF c(width() / 2.0, height() / 2.5);
  const double r = width() * 0.38;
  p.setPen(QPen(QColor(255, 255, 255, 200), 1.2));
  if (kind_ == Mail) {
    const QRectF env(c.x() - r, c.y() - r * 0.65, 2 * r, 1.3 * r);
    p.drawRect(env);
    p.drawLine(env.topLeft(), QPointF(c.x(), c.y() + r * 0.1));
    p.drawLine(env.topRight(), QPointF(c.x(), c.y() + r * 0.1));
  } else {
    // A web: radial threads and rings; links add a chain below it.
    const int spokes = 8;
    for (int i = 0; i < spokes; ++i) {
      const double a = 2 * M_PI * i / spokes;
      p.drawLine(c, c + QPointF(std::cos(a) * r, std::sin(a) * r));
    }
    for (int ring = 1; ring <= 4; ++ring) {
      QPainterPath path;
      for (int i = 0; i <= spokes; ++i) {
        const double a = 2 * M_PI * i / spokes;
        const QPointF pt = c + QPointF(std::cos(a), std::sin(a)) * (r * ring / 4.0);
        if (i == 0) {
          path.moveTo(pt);
        } else {
          path.lineTo(pt);
        }
      }
      p.drawPath(path);
    }
    if (kind_ == Links) {
      for (int i = 0; i < 3; ++i)
        p.drawEllipse(QRectF(c.x() - 22 + i * 14, c.y() + r + 20, 22, 12));
    }
  }
  QFont f = font();
  f.setBold(true);
  f.setPointSize(f.pointSize() + 2);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRectF(0, height() - 60, width(), 40), Qt::AlignCenter, QStringLiteral("Trawlonix"));
}

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
