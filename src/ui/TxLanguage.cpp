#include "ui/TxLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace trawlonix::ui {

QLocale InterfaceLocale() {
  return QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
}

bool InstallQtTranslations(QCoreApplication& app) {
  // One translator for the program's lifetime; a second call reuses it.
  static QTranslator* translator = nullptr;
  if (translator) return !translator->isEmpty();
  translator = new QTranslator(&app);
  const bool ok = translator->load(InterfaceLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                                   QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (ok) app.installTranslator(translator);
  return ok;
}

}  // namespace trawlonix::ui
