#include "ui/Dlg_CheckColLinks.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/TxHelp.h"

namespace trawlonix {

TCheckColLinksDlg::TCheckColLinksDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TCheckColLinksDlg"));
  setWindowTitle(QStringLiteral("检查收集的链接..."));
  auto* box = new QVBoxLayout(this);
  auto* which = new QGroupBox(QStringLiteral("检查"));
  auto* wl = new QVBoxLayout(which);
  RB_AllLinks = new QRadioButton(QStringLiteral("所有收集的链接"));
  RB_MarkedLinks = new QRadioButton(QStringLiteral("只要选定的链接"));
  wl->addWidget(RB_AllLinks);
  wl->addWidget(RB_MarkedLinks);
  box->addWidget(which);
  auto* result = new QGroupBox(QStringLiteral("结果"));
  auto* rl = new QVBoxLayout(result);
  RG_Result = new QButtonGroup(this);
  const char* texts[] = {"只添加结果列", "标出正确的链接", "从列表中删除正确的链接",
                         "标出无效的链接", "从列表中删除无效的链接"};
  for (int i = 0; i < 5; ++i) {
    auto* rb = new QRadioButton(QString::fromUtf8(texts[i]));
    RG_Result->addButton(rb, i);
    rl->addWidget(rb);
  }
  box->addWidget(result);
  auto* buttons = new QHBoxLayout;
  auto* help = new QPushButton(QStringLiteral("帮助(&H)"));
  auto* cancel = new QPushButton(QStringLiteral("取消(&A)"));
  auto* ok = new QPushButton(QStringLiteral("确定(&O)"));
  ok->setDefault(true);
  connect(help, &QPushButton::clicked, this,
          [] { ui::ShowHelpContext(QStringLiteral("txhelp"), 3089); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  buttons->addWidget(help);
  buttons->addStretch();
  buttons->addWidget(cancel);
  buttons->addWidget(ok);
  box->addLayout(buttons);
  setModal(true);
  Preset(false);
}

void TCheckColLinksDlg::Preset(bool hasSelection) {
  RB_MarkedLinks->setEnabled(hasSelection);
  if (hasSelection)
    RB_MarkedLinks->setChecked(true);
  else
    RB_AllLinks->setChecked(true);
  SetResultIndex(0);
}

bool TCheckColLinksDlg::OnlySelected() const {
  return RB_MarkedLinks->isChecked();
}

int TCheckColLinksDlg::ResultIndex() const {
  return RG_Result->checkedId();
}

void TCheckColLinksDlg::SetResultIndex(int index) {
  if (auto* b = RG_Result->button(index)) b->setChecked(true);
}

}  // namespace trawlonix
