#include "ui/Dlg_Continue.h"
#include "settings/Language.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace trawlonix {

TContinueDlg::TContinueDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TContinueDlg"));
  setWindowTitle(qtr("Continue", "再继续方案"));
  auto* box = new QVBoxLayout(this);
  box->addWidget(new QLabel(qtr("Continue", "方案已经部分或者全部执行了。")));
  box->addWidget(new QLabel(qtr("Continue", "因此请您选择一个如何进一步处理的方法:")));
  RB_Continue = new QRadioButton(qtr("Continue", "再继续方案"));
  RB_Update = new QRadioButton(qtr("Continue", "刷新方案"));
  RB_Restart = new QRadioButton(qtr("Continue", "重新启动方案"));
  Show_Ready = new QLabel(qtr("Continue", "(方案已经完整)"));
  auto* cont = new QHBoxLayout;
  cont->addWidget(RB_Continue);
  cont->addWidget(Show_Ready);
  cont->addStretch();
  box->addLayout(cont);
  box->addWidget(RB_Update);
  box->addWidget(RB_Restart);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(qtr("Continue", "确定(&O)"));
  auto* cancel = new QPushButton(qtr("Continue", "取消(&A)"));
  auto* help = new QPushButton(qtr("Continue", "帮助(&H)"));
  help->setEnabled(false);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addWidget(help);
  box->addLayout(buttons);
  setModal(true);
}

void TContinueDlg::Preset(bool canContinue) {
  RB_Continue->setEnabled(canContinue);
  Show_Ready->setVisible(!canContinue);
  if (canContinue)
    RB_Continue->setChecked(true);
  else
    RB_Update->setChecked(true);
}

CrawlHost::StartChoice TContinueDlg::Choice() const {
  if (RB_Continue->isChecked()) return CrawlHost::StartChoice::Continue;
  if (RB_Restart->isChecked()) return CrawlHost::StartChoice::Restart;
  if (RB_Update->isChecked()) return CrawlHost::StartChoice::Update;
  return CrawlHost::StartChoice::Cancel;
}

CrawlHost::StartChoice TContinueDlg::Ask(bool canContinue) {
  Preset(canContinue);
  if (exec() != QDialog::Accepted) return CrawlHost::StartChoice::Cancel;
  return Choice();
}

}  // namespace trawlonix
