#include "ui/Dlg_CheckColLinks.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "settings/Language.h"
#include "ui/TxHelp.h"

namespace trawlonix {

TCheckColLinksDlg::TCheckColLinksDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TCheckColLinksDlg"));
  setWindowTitle(qtr("CheckLinks", "检查收集的链接..."));
  auto* box = new QVBoxLayout(this);
  auto* which = new QGroupBox(qtr("CheckLinks", "检查"));
  auto* wl = new QVBoxLayout(which);
  RB_AllLinks = new QRadioButton(qtr("CheckLinks", "所有收集的链接"));
  RB_MarkedLinks = new QRadioButton(qtr("CheckLinks", "只要选定的链接"));
  wl->addWidget(RB_AllLinks);
  wl->addWidget(RB_MarkedLinks);
  box->addWidget(which);
  auto* result = new QGroupBox(qtr("CheckLinks", "结果"));
  auto* rl = new QVBoxLayout(result);
  RG_Result = new QButtonGroup(this);
  const char* texts[] = {QT_TRANSLATE_NOOP("CheckLinks", "只添加结果列"),
                         QT_TRANSLATE_NOOP("CheckLinks", "标出正确的链接"),
                         QT_TRANSLATE_NOOP("CheckLinks", "从列表中删除正确的链接"),
                         QT_TRANSLATE_NOOP("CheckLinks", "标出无效的链接"),
                         QT_TRANSLATE_NOOP("CheckLinks", "从列表中删除无效的链接")};
  for (int i = 0; i < 5; ++i) {
    auto* rb = new QRadioButton(QtrText("CheckLinks", texts[i]));
    RG_Result->addButton(rb, i);
    rl->addWidget(rb);
  }
  box->addWidget(result);
  auto* buttons = new QHBoxLayout;
  auto* help = new QPushButton(qtr("CheckLinks", "帮助(&H)"));
  auto* cancel = new QPushButton(qtr("CheckLinks", "取消(&A)"));
  auto* ok = new QPushButton(qtr("CheckLinks", "确定(&O)"));
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
