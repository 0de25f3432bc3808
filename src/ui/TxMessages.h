// The program's three kinds of message boxes: error (OK), information (OK)
// and confirmation (Yes/No, or Yes/No/Cancel), all application modal, with
// Chinese buttons. A "\r" in a text starts a new line.
#pragma once

#include <QString>
#include <string>

class QWidget;

namespace trawlonix::ui {

inline const QString kAppTitle = QStringLiteral("Morvek Trawlonix 2");

QString Q(const std::string& s);  // UTF-8 bytes to QString
std::string S(const QString& s);  // QString to UTF-8 bytes

void ErrorBox(QWidget* parent, const QString& text);
void InfoBox(QWidget* parent, const QString& text);
bool ConfirmYesNo(QWidget* parent, const QString& text);
enum class TAnswer { Yes, No, Cancel };
TAnswer ConfirmYesNoCancel(QWidget* parent, const QString& text);

}  // namespace trawlonix::ui
