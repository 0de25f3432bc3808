// The dialog that adds a file extension to the hypertext recognition list.
#pragma once

#include <QDialog>

class QLineEdit;

namespace trawlonix {

class TAddHTMLRecDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TAddHTMLRecDlg(QWidget* parent = nullptr);
  // Empties both fields and focuses the extension field.
  void Prepare();

  QLineEdit* Edit_Extension;
  QLineEdit* Edit_Description;
};

}  // namespace trawlonix
