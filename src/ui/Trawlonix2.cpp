// The program's main block: the application object with its title, the main
// window (which creates the other windows), and the message loop.
#include <QApplication>

#include "ui/Frm_TrawlonixMain.h"
#include "ui/TxIcons.h"
#include "ui/TxLanguage.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("trawlonix"));
  // The title "Morvek Trawlonix 2" heads the message boxes; it is not set as
  // the display name, which would be appended to every window caption.
  QApplication::setOrganizationName(QStringLiteral("Morvek"));
  QApplication::setDesktopFileName(QStringLiteral("trawlonix"));
  QApplication::setWindowIcon(trawlonix::ui::AppIcon());
  trawlonix::ui::InstallQtTranslations(app);
  const QStringList args = QApplication::arguments();
  trawlonix::TTrawlonixMainForm window(args.size() > 1 ? args.at(1) : QString());
  window.show();
  return app.exec();
}
