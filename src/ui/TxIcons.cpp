#include "ui/TxIcons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <array>

namespace trawlonix::ui {

namespace {

constexpr int kSize = 16;

QPixmap Blank(int size = kSize) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  return pm;
}

void DrawHost(QPainter& p) {
  p.setPen(QPen(QColor(20, 60, 140), 1));
  p.setBrush(QColor(90, 150, 230));
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(230, 240, 255), 1));
  p.drawEllipse(QRectF(5, 1.5, 6, 13));
  p.drawLine(QPointF(2, 8), QPointF(14, 8));
  p.drawLine(QPointF(3, 5), QPointF(13, 5));
  p.drawLine(QPointF(3, 11), QPointF(13, 11));
}

void DrawFolder(QPainter& p, bool open) {
  p.setPen(QPen(QColor(150, 110, 20), 1));
  p.setBrush(QColor(240, 200, 80));
  p.drawRect(QRectF(1.5, 3.5, 5, 2));
  p.drawRect(QRectF(1.5, 4.5, 13, 9));
  if (open) {
    p.setBrush(QColor(255, 225, 130));
    QPolygonF lid;
    lid << QPointF(3.5, 7.5) << QPointF(15.5, 7.5) << QPointF(13.5, 13.5) << QPointF(1.5, 13.5);
    p.drawPolygon(lid);
  }
}

struct TypeLook {
  QColor color;
  const char* mark;
};

TypeLook LookOf(int code) {
  switch (code) {
    case 3:
      return {QColor(30, 90, 200), "H"};
    case 5:
      return {QColor(30, 150, 60), "I"};
    case 9:
      return {QColor(160, 60, 170), "S"};
    case 11:
      return {QColor(200, 90, 20), "V"};
    case 13:
      return {QColor(140, 80, 30), "J"};
    case 15:
      return {QColor(210, 30, 40), "F"};
    case 19:
      return {QColor(190, 160, 0), "js"};
    case 21:
      return {QColor(20, 150, 150), "C"};
    default:
      return {QColor(110, 110, 110), ""};
  }
}

void DrawPage(QPainter& p, int code, bool loaded) {
  const TypeLook look = LookOf(code);
  QPainterPath page;
  page.moveTo(2.5, 0.5);
  page.lineTo(10.5, 0.5);
  page.lineTo(13.5, 3.5);
  page.lineTo(13.5, 15.5);
  page.lineTo(2.5, 15.5);
  page.closeSubpath();
  p.setPen(QPen(loaded ? look.color.darker(140) : QColor(150, 150, 150), 1));
  p.setBrush(loaded ? QColor(255, 255, 255) : QColor(236, 236, 236));
  p.drawPath(page);
  p.drawLine(QPointF(10.5, 0.5), QPointF(10.5, 3.5));
  p.drawLine(QPointF(10.5, 3.5), QPointF(13.5, 3.5));
  QColor band = look.color;
  if (!loaded) band = band.lighter(150);
  p.fillRect(QRectF(3, 5, 10, 7), band);
  if (*look.mark) {
    QFont f = p.font();
    f.setPixelSize(7);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(3, 5, 10, 7), Qt::AlignCenter, QString::fromLatin1(look.mark));
  }
  if (loaded) {
    p.setPen(QPen(QColor(0, 150, 0), 2));
    p.drawLine(QPointF(8, 13), QPointF(10, 15));
    p.drawLine(QPointF(10, 15), QPointF(15, 9));
  }
}

void DrawLink(QPainter& p, bool followed) {
  const QColor c = followed ? QColor(30, 90, 200) : QColor(140, 140, 140);
  p.setPen(QPen(c, 2));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(1.5, 5.5, 7, 5), 2.5, 2.5);
  p.drawRoundedRect(QRectF(7.5, 5.5, 7, 5), 2.5, 2.5);
  if (!followed) {
    p.setPen(QPen(QColor(200, 30, 30), 2));
    p.drawLine(QPointF(10, 10), QPointF(15, 15));
    p.drawLine(QPointF(15, 10), QPointF(10, 15));
  } else {
    p.setPen(QPen(QColor(0, 150, 0), 2));
    p.drawLine(QPointF(9, 13), QPointF(11, 15));
    p.drawLine(QPointF(11, 15), QPointF(15, 11));
  }
}

QPixmap Draw(int index) {
  QPixmap pm = Blank();
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  if (index == 0) {
    DrawHost(p);
  } else if (index == 1 || index == 2) {
    DrawFolder(p, index == 2);
  } else if (index == 17 || index == 18) {
    DrawLink(p, index == 18);
  } else if (index >= 3 && index < kTreeIconCount) {
    const int code = (index % 2 == 1) ? index : index - 1;
    DrawPage(p, code, index % 2 == 0);
  }
  return pm;
}

QPixmap ToolGlyph(const QString& name) {
  QPixmap pm = Blank(24);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(1.5, 1.5);
  if (name == QLatin1String("new")) {
    DrawPage(p, 3, true);
  } else if (name == QLatin1String("open")) {
    DrawFolder(p, true);
  } else if (name == QLatin1String("prop")) {
    p.setPen(QPen(QColor(80, 80, 80), 1));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(QColor(30, 90, 200), 2));
    for (int y = 5; y <= 11; y += 3)
      p.drawLine(QPointF(4, y), QPointF(12, y));
  } else if (name == QLatin1String("save")) {
    p.setPen(QPen(QColor(20, 40, 90), 1));
    p.setBrush(QColor(60, 100, 190));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(3.5, 9.5, 9, 5));
  } else if (name == QLatin1String("start")) {
    p.setPen(QPen(QColor(0, 110, 0), 1));
    p.setBrush(QColor(40, 180, 60));
    QPolygonF tri;
    tri << QPointF(4, 2) << QPointF(14, 8) << QPointF(4, 14);
    p.drawPolygon(tri);
  } else if (name == QLatin1String("stop")) {
    p.setPen(QPen(QColor(120, 0, 0), 1));
    p.setBrush(QColor(210, 40, 40));
    p.drawRect(QRectF(3.5, 3.5, 9, 9));
  } else if (name == QLatin1String("status")) {
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    for (int i = 0; i < 3; ++i) {
      p.drawRect(QRectF(1.5, 2.5 + i * 4.5, 13, 3));
      p.fillRect(QRectF(2, 3 + i * 4.5, 4 + i * 3, 2), QColor(40, 170, 60));
    }
  } else if (name == QLatin1String("browser")) {
    DrawHost(p);
  }
  return pm;
}

}  // namespace

QPixmap TreePixmap(int index) {
  static std::array<QPixmap, kTreeIconCount> cache;
  if (index < 0 || index >= kTreeIconCount) index = 7;
  QPixmap& pm = cache[static_cast<std::size_t>(index)];
  if (pm.isNull()) pm = Draw(index);
  return pm;
}

QIcon TreeIcon(int normal, int selected) {
  static QHash<int, QIcon> cache;
  const int key = normal * 64 + selected;
  auto it = cache.find(key);
  if (it != cache.end()) return *it;
  QIcon icon;
  icon.addPixmap(TreePixmap(normal), QIcon::Normal);
  icon.addPixmap(TreePixmap(selected), QIcon::Selected);
  cache.insert(key, icon);
  return icon;
}

QIcon ToolIcon(const QString& name) {
  return QIcon(ToolGlyph(name));
}

QPixmap AppPixmap(int size) {
  QPixmap pm = Blank(size);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  // A globe with a trawl net: the same picture as data/trawlonix.svg.
  p.setPen(QPen(QColor(20, 60, 140), 3));
  p.setBrush(QColor(70, 140, 225));
  p.drawEllipse(QRectF(6, 6, 52, 52));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(225, 240, 255), 2.5));
  p.drawEllipse(QRectF(20, 6, 24, 52));
  p.drawLine(QPointF(6, 32), QPointF(58, 32));
  p.drawLine(QPointF(10, 19), QPointF(54, 19));
  p.drawLine(QPointF(10, 45), QPointF(54, 45));
  p.setPen(QPen(QColor(240, 160, 20), 4));
  p.drawLine(QPointF(38, 38), QPointF(60, 60));
  p.setBrush(QColor(255, 200, 60));
  p.setPen(QPen(QColor(150, 90, 0), 2));
  p.drawEllipse(QRectF(28, 28, 18, 18));
  return pm;
}

QIcon AppIcon() {
  QIcon icon;
  for (int s : {16, 24, 32, 48, 64, 128})
    icon.addPixmap(AppPixmap(s));
  return icon;
}

}  // namespace trawlonix::ui
