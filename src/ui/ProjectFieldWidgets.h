// Groups of controls that the new-project wizard and the project properties
// dialog both show for the same project fields. Each builder makes a page
// without a parent (the dialog takes it into its stack or tabs), creates the
// controls in the order that gives the page its tab order, and hands them back
// through the references; the dialog connects them to its own slots.
#pragma once

#include <QString>
#include <QStringList>
#include <array>

#include "polite/ListWarnings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace trawlonix {

// A combo box offering the first `modes` limit mode texts.
QComboBox* LimitCombo(int modes, QWidget* parent);

// The password page: `useText` on the check box above the user name and the
// (hidden) password, both limited to 128 bytes.
QWidget* BuildPasswordPage(const QString& useText, QCheckBox*& usePwd, QLineEdit*& username,
                           QLineEdit*& password);

// The actions page: three check boxes and the collect check box with its
// option combo beside it.
QWidget* BuildActionsPage(QCheckBox*& saveFiles, QCheckBox*& eMails, QCheckBox*& bLinks,
                          QCheckBox*& collect, QComboBox*& colOpt);

// A prefix list's buttons: the first (添加) is always available, the other
// two only while an entry is selected.
void UpdatePrefixListButtons(const QListWidget* list, const std::array<QPushButton*, 3>& buttons);

// The limit modes of four combo boxes (hypertext, images, objects, other) and
// the entries of both prefix lists, as the list warnings judge them.
TListUse ListUseOf(const std::array<const QComboBox*, 4>& modes, const QListWidget* positive,
                   const QListWidget* negative);
// The translated warnings about list entries that would do nothing.
QStringList ListWarningTexts(const TListUse& use);

}  // namespace trawlonix
