#include "ui/Dlg_AddHTMLRec.h"
#include "settings/Language.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace trawlonix {

TAddHTMLRecDlg::TAddHTMLRecDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TAddHTMLRecDlg"));
  setWindowTitle(qtr("AddExtension", "作为 HTML/文本 识别新的文件扩展名"));
  auto* box = new QVBoxLayout(this);
  auto* tabs = new QTabWidget;
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  Edit_Extension = new QLineEdit;
  Edit_Extension->setMaxLength(15);
  Edit_Description = new QLineEdit;
  Edit_Description->setMaxLength(255);
  form->addRow(qtr("AddExtension", "文件扩展名"), Edit_Extension);
  form->addRow(qtr("AddExtension", "描述"), Edit_Description);
  tabs->addTab(page, qtr("AddExtension", "新的文件扩展名"));
  box->addWidget(tabs);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(qtr("AddExtension", "确定(&O)"));
  auto* cancel = new QPushButton(qtr("AddExtension", "取消(&A)"));
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
