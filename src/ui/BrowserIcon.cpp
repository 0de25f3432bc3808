#include "ui/BrowserIcon.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "ui/TxIcons.h"

namespace trawlonix::ui {

namespace {

// The Icon= entry of the desktop file `desktopId`, searched in the data
// directories the desktop uses.
QString IconOfDesktopEntry(const QString& desktopId) {
  const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
  if (path.isEmpty()) return {};
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  bool inEntry = false;
  while (!f.atEnd()) {
    const QByteArray line = f.readLine(4096).trimmed();
    if (line.startsWith('[')) inEntry = line == "[Desktop Entry]";
    if (inEntry && line.startsWith("Icon=")) return QString::fromUtf8(line.mid(5)).trimmed();
  }
  return {};
}

QString DefaultHtmlHandler() {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (tool.isEmpty()) return {};
  QProcess p;
  p.start(tool, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
  if (!p.waitForFinished(1500)) {
    p.kill();
    p.waitForFinished(500);
    return {};
  }
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

}  // namespace

QIcon DefaultBrowserIcon() {
  if (qEnvironmentVariable("QT_QPA_PLATFORM") != QLatin1String("offscreen")) {
    const QString handler = DefaultHtmlHandler();
    if (!handler.isEmpty()) {
      const QString name = IconOfDesktopEntry(handler);
      if (!name.isEmpty()) {
        QIcon icon = name.startsWith(QLatin1Char('/')) ? QIcon(name) : QIcon::fromTheme(name);
        if (!icon.isNull()) return icon;
      }
    }
  }
  QIcon themed = QIcon::fromTheme(QStringLiteral("web-browser"));
  if (!themed.isNull()) return themed;
  return ToolIcon(QStringLiteral("browser"));
}

}  // namespace trawlonix::ui
