// The program's main block: the application object with its title, the main
// window (which creates the other windows), and the message loop.
#include <QApplication>

#include "settings/Language.h"
#include "settings/Settings.h"
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
  // "--lang en|zh" overrides the setting and the locale for this run.
  std::vector<std::string> args;
  for (const QString& a : QApplication::arguments().mid(1))
    args.push_back(a.toStdString());
  trawlonix::TOptions options;
  options.LoadSettings();
  trawlonix::InstallLanguage(
      trawlonix::ChooseLanguage(trawlonix::TakeLanguageArgument(args), options.Language));
  // Qt's own dialogs in the same language.
  trawlonix::ui::InstallQtTranslations(app);
  trawlonix::TTrawlonixMainForm window(args.empty() ? QString() : QString::fromStdString(args[0]));
  window.show();
  return app.exec();
}
