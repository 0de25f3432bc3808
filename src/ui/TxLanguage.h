// The interface language of the desktop program (Chinese today): Qt's own
// dialogs and texts (file dialogs, standard buttons, context menus of edit
// fields) are translated to it, and dates shown or written for the user
// follow it rather than the system's locale.
#pragma once

#include <QLocale>

class QCoreApplication;

namespace trawlonix::ui {

// The language every text of the program is written in.
QLocale InterfaceLocale();

// Loads Qt's base translations for the interface language from Qt's
// translation folder and installs them in `app`. False when the file is not
// there (the dialogs then stay in Qt's own English).
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace trawlonix::ui
