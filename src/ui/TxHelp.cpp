#include "ui/TxHelp.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

#include "settings/Language.h"
#include "ui/TxIcons.h"

// The topics live in a static library; referencing its resource initialiser
// keeps the linker from dropping them.
static void InitHelpResources() {
  static bool done = false;
  if (!done) {
    Q_INIT_RESOURCE(trawlonix_ui);
    done = true;
  }
}

namespace trawlonix::ui {

namespace {

// The English topics are their own files under help/en/, same names.
QString HelpFolder() {
  return CurrentLanguage() == UiLanguage::English ? QStringLiteral(":/help/en")
                                                  : QStringLiteral(":/help");
}

QHash<QString, QPointer<QTextBrowser>>& Windows() {
  static QHash<QString, QPointer<QTextBrowser>> windows;
  return windows;
}

QTextBrowser* Ensure(const QString& name) {
  QPointer<QTextBrowser>& w = Windows()[name];
  if (!w) {
    w = new QTextBrowser();
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->setObjectName(QStringLiteral("HelpWindow_") + name);
    w->setWindowTitle(qtr("Help", "Trawlonix 帮助"));
    w->setWindowIcon(AppIcon());
    w->setOpenLinks(true);
    w->setOpenExternalLinks(false);
    w->setSearchPaths({HelpFolder()});
    w->resize(520, 420);
    if (QCoreApplication* app = QCoreApplication::instance())
      QObject::connect(app, &QCoreApplication::aboutToQuit, w, &QObject::deleteLater);
  }
  return w;
}

void Present(QTextBrowser* w, const QString& path) {
  w->setSource(QUrl(QStringLiteral("qrc") + path));
  w->show();
  w->raise();
  w->activateWindow();
}

}  // namespace

QString HelpTopicPath(int context) {
  InitHelpResources();
  const QString path = HelpFolder() + QStringLiteral("/%1.html").arg(context);
  return QFile::exists(path) ? path : QString();
}

void ShowHelpContext(const QString& windowName, int context) {
  QString path = HelpTopicPath(context);
  if (path.isEmpty()) path = HelpFolder() + QStringLiteral("/index.html");
  Present(Ensure(windowName), path);
}

void ShowHelpContents() {
  InitHelpResources();
  Present(Ensure(QStringLiteral("txmain")), HelpFolder() + QStringLiteral("/index.html"));
}

QTextBrowser* HelpWindow(const QString& windowName) {
  auto it = Windows().find(windowName);
  return it == Windows().end() ? nullptr : it->data();
}

void DeleteHelpWindows() {
  for (QPointer<QTextBrowser>& w : Windows())
    delete w.data();
  Windows().clear();
}

}  // namespace trawlonix::ui
