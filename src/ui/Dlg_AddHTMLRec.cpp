#include "ui/Dlg_AddHTMLRec.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace trawlonix {

TAddHTMLRecDlg::TAddHTMLRecDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TAddHTMLRecDlg"));
  setWindowTitle(QStringLiteral("作为 HTML/文本 识别新的文件扩展名"));
  auto* box = new QVBoxLayout(this);
  auto* tabs = new QTabWidget;
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  Edit_Extension = new QLineEdit;
  Edit_Extension->setMaxLength(15);
  Edit_Description = new QLineEdit;
  Edit_Description->setMaxLength(255);
  form->addRow(QStringLiteral("文件扩展名"), Edit_Extension);
  form->addRow(QStringLiteral("描述"), Edit_Description);
  tabs->addTab(page, QStringLiteral("新的文件扩展名"));
  box->addWidget(tabs);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(QStringLiteral("确定(&O)"));
  auto* cancel = new QPushButton(QStringLiteral("取消(&A)"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  box->addLayout(buttons);
  setModal(true);
  resize(380, sizeHint().height());
}

void TAddHTMLRecDlg::Prepare() {
  Edit_Extension->clear();
  Edit_Description->clear();
  Edit_Extension->setFocus();
}

}  // namespace trawlonix
