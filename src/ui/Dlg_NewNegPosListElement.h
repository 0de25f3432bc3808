// The small dialog that adds or changes one entry of a URL-prefix list. Used
// by the new-project wizard and by the project properties dialog; the entry is
// normalised by the same code the command-line tool uses (model/ProjectSetup).
#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "model/ProjectSetup.h"

class QLineEdit;
class QListWidget;
class QWidget;

namespace trawlonix {

// Shows each message as the program's information or error box.
void ShowSetupMessages(QWidget* parent, const std::vector<TSetupMessage>& messages);
void ShowSetupMessage(QWidget* parent, const TSetupMessage& message);

class TNewNegPosListElementDlg : public QDialog {
 public:
  explicit TNewNegPosListElementDlg(QWidget* parent = nullptr);

  // Shows the dialog modally with `caption`, the field pre-filled with `url`.
  // On OK returns true and leaves the normalised prefix in `url`; on Cancel
  // returns false and leaves `url` alone.
  bool Execute(const QString& caption, std::string& url);

  QLineEdit* Edit_URL = nullptr;

  void accept() override;

 private:
  void Edit_URLExit();
  bool busy_ = false;  // a message box of the field's exit is open
};

// The buttons of a prefix list ("添加", "更改", "删除"), shared by the wizard's
// list pages and the properties dialog's list tabs.
void AddPrefixEntry(QWidget* parent, QListWidget* list, bool positive);
void ChangePrefixEntry(QWidget* parent, QListWidget* list, bool positive);
void DeletePrefixEntry(QWidget* parent, QListWidget* list);

// Keeps a field within `bytes` bytes of UTF-8 (as well as `bytes`
// characters), so that a record field of that size stores it whole: a cut
// in the middle of a character would store a broken byte sequence.
void LimitFieldBytes(QLineEdit* edit, int bytes);
// The text as UTF-8, cut after the last whole character within `bytes`.
std::string Utf8Within(const QString& text, int bytes);

// The list box contents as strings, and back.
std::vector<std::string> ListBoxItems(const QListWidget* list);
void FillListBox(QListWidget* list, const std::vector<std::string>& items);

}  // namespace trawlonix
