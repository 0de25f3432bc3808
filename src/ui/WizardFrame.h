// The frame the wizards (new project, export) share: the picture on the
// left; on the right the page number and title in large type above a line
// and the page stack; below a second line the buttons "< 后退(&Z)",
// "继续(&W) >" (the default), "取消" and "帮助". The dialog keeps the parts
// and connects the buttons itself.
#pragma once

#include <QString>

#include <QWidget>

class QDialog;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace trawlonix {

// The picture panel on the left of the wizards: a drawn web for the
// new-project wizard and for link lists, an envelope for e-mail lists.
class TWizardPicture : public QWidget {
 public:
  enum Kind { Web, Links, Mail };
  explicit TWizardPicture(Kind kind, QWidget* parent = nullptr);
  void SetKind(Kind kind);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Kind kind_;
};

struct TWizardFrame {
  TWizardPicture* picture = nullptr;
  QLabel* numberLabel = nullptr;
  QLabel* titleLabel = nullptr;
  QPushButton* back = nullptr;
  QPushButton* next = nullptr;
  QPushButton* cancel = nullptr;
  QPushButton* help = nullptr;
};

// Lays out `dialog` around `pages` (already filled).
TWizardFrame BuildWizardFrame(QDialog* dialog, QStackedWidget* pages, TWizardPicture::Kind kind);

// The caption of the next button: "完成(&F)" on the last step, else "继续(&W) >".
QString WizardNextCaption(bool finish);

}  // namespace trawlonix
