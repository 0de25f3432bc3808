#include "ui/ProjectFieldWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/Language.h"
#include "ui/Dlg_NewNegPosListElement.h"
#include "ui/Dlg_NewSpider.h"

namespace trawlonix {

QComboBox* LimitCombo(int modes, QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (int i = 0; i < modes; ++i)
    box->addItem(LimitModeTexts().at(i));
  return box;
}

QWidget* BuildPasswordPage(const QString& useText, QCheckBox*& usePwd, QLineEdit*& username,
                           QLineEdit*& password) {
  auto* page = new QWidget;
  auto* l = new QVBoxLayout(page);
  usePwd = new QCheckBox(useText, page);
  username = new QLineEdit(page);
  LimitFieldBytes(username, 128);
  password = new QLineEdit(page);
  LimitFieldBytes(password, 128);
  password->setEchoMode(QLineEdit::Password);
  auto* form = new QFormLayout;
  form->addRow(qtr("ProjectFields", "用户名"), username);
  form->addRow(qtr("ProjectFields", "密码"), password);
  l->addWidget(usePwd);
  l->addLayout(form);
  l->addStretch();
  return page;
}

QWidget* BuildActionsPage(QCheckBox*& saveFiles, QCheckBox*& eMails, QCheckBox*& bLinks,
                          QCheckBox*& collect, QComboBox*& colOpt) {
  auto* page = new QWidget;
  auto* l = new QVBoxLayout(page);
  saveFiles = new QCheckBox(qtr("ProjectFields", "本地保存下载的文件"), page);
  eMails = new QCheckBox(qtr("ProjectFields", "收集所包含的电邮地址"), page);
  bLinks = new QCheckBox(qtr("ProjectFields", "列出错误链接"), page);
  collect = new QCheckBox(qtr("ProjectFields", "收集这些链接:"), page);
  colOpt = new QComboBox(page);
  colOpt->addItems(CollectOptionTexts());
  for (QCheckBox* b : {saveFiles, eMails, bLinks})
    l->addWidget(b);
  auto* row = new QHBoxLayout;
  row->addWidget(collect);
  row->addWidget(colOpt, 1);
  l->addLayout(row);
  l->addStretch();
  return page;
}

void UpdatePrefixListButtons(const QListWidget* list, const std::array<QPushButton*, 3>& buttons) {
  const bool selected = !list->selectedItems().isEmpty();
  buttons[1]->setEnabled(selected);
  buttons[2]->setEnabled(selected);
}

TListUse ListUseOf(const std::array<const QComboBox*, 4>& modes, const QListWidget* positive,
                   const QListWidget* negative) {
  TListUse use;
  for (std::size_t i = 0; i < modes.size(); ++i)
    use.Modes[i] = modes[i]->currentIndex();
  use.Positive = ListBoxItems(positive);
  use.Negative = ListBoxItems(negative);
  return use;
}

QStringList ListWarningTexts(const TListUse& use) {
  QStringList texts;
  for (const TListWarning& w : JudgeListEntries(use))
    texts << QString::fromStdString(w.Text);
  return texts;
}

}  // namespace trawlonix
