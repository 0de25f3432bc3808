#include "ui/Dlg_NewNegPosListElement.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValidator>

#include "settings/Language.h"
#include "ui/TxMessages.h"

namespace trawlonix {

namespace {

QString Q(const std::string& s) {
  return ui::Q(s);
}

// Refuses an edit that makes the text longer than the limit in UTF-8 bytes.
class ByteLimitValidator : public QValidator {
 public:
  ByteLimitValidator(int bytes, QObject* parent) : QValidator(parent), bytes_(bytes) {}
  State validate(QString& input, int&) const override {
    return input.toUtf8().size() <= bytes_ ? Acceptable : Invalid;
  }

 private:
  int bytes_;
};

}  // namespace

void LimitFieldBytes(QLineEdit* edit, int bytes) {
  edit->setMaxLength(bytes);
  edit->setValidator(new ByteLimitValidator(bytes, edit));
}

std::string Utf8Within(const QString& text, int bytes) {
  std::string s = ui::S(text);
  if (s.size() <= static_cast<std::size_t>(bytes)) return s;
  std::size_t end = static_cast<std::size_t>(bytes);
  // Back up over continuation bytes to the start of the cut character.
  while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80)
    --end;
  s.resize(end);
  return s;
}

void ShowSetupMessage(QWidget* parent, const TSetupMessage& message) {
  if (message.kind == TSetupMessageKind::Error) {
    ui::ErrorBox(parent, Q(message.text));
  } else {
    ui::InfoBox(parent, Q(message.text));
  }
}

void ShowSetupMessages(QWidget* parent, const std::vector<TSetupMessage>& messages) {
  for (const TSetupMessage& m : messages)
    ShowSetupMessage(parent, m);
}

TNewNegPosListElementDlg::TNewNegPosListElementDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TNewNegPosListElementDlg"));
  auto* tabs = new QTabWidget(this);
  auto* page = new QWidget;
  auto* pageLayout = new QVBoxLayout(page);
  auto* label = new QLabel(qtr("ListEntry", "URL 前缀:"), page);
  Edit_URL = new QLineEdit(page);
  Edit_URL->setObjectName(QStringLiteral("Edit_URL"));
  Edit_URL->setMinimumWidth(360);
  label->setBuddy(Edit_URL);
  pageLayout->addWidget(label);
  pageLayout->addWidget(Edit_URL);
  pageLayout->addStretch();
  tabs->addTab(page, qtr("ListEntry", "新的条目"));

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton(qtr("ListEntry", "确定"), QDialogButtonBox::AcceptRole);
  buttons->addButton(qtr("ListEntry", "取消"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &TNewNegPosListElementDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TNewNegPosListElementDlg::reject);
  connect(Edit_URL, &QLineEdit::editingFinished, this, &TNewNegPosListElementDlg::Edit_URLExit);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  layout->addWidget(buttons);
}

void TNewNegPosListElementDlg::Edit_URLExit() {
  if (busy_ || !isVisible()) return;
  busy_ = true;
  TPrefixChange change = NormaliseListPrefix(ui::S(Edit_URL->text()));
  Edit_URL->setText(Q(change.url));
  ShowSetupMessages(this, change.messages);
  busy_ = false;
}

void TNewNegPosListElementDlg::accept() {
  if (busy_) return;
  busy_ = true;
  std::string normalised;
  TSetupReport report = CheckListEntry(ui::S(Edit_URL->text()), normalised);
  Edit_URL->setText(Q(normalised));
  ShowSetupMessages(this, report.messages);
  busy_ = false;
  if (!report.ok) {
    Edit_URL->setFocus();
    return;
  }
  QDialog::accept();
}

bool TNewNegPosListElementDlg::Execute(const QString& caption, std::string& url) {
  setWindowTitle(caption);
  Edit_URL->setText(Q(url));
  Edit_URL->selectAll();
  Edit_URL->setFocus();
  if (exec() != QDialog::Accepted) return false;
  url = ui::S(Edit_URL->text());
  return true;
}

void AddPrefixEntry(QWidget* parent, QListWidget* list, bool positive) {
  TNewNegPosListElementDlg dlg(parent);
  std::string url;
  const QString caption = positive ? qtr("ListEntry", "添加新的条目到正列表")
                                   : qtr("ListEntry", "添加新的条目到负列表");
  if (dlg.Execute(caption, url)) list->addItem(Q(url));
}

void ChangePrefixEntry(QWidget* parent, QListWidget* list, bool positive) {
  QListWidgetItem* item = list->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  TNewNegPosListElementDlg dlg(parent);
  std::string url = ui::S(item->text());
  const QString caption =
      positive ? qtr("ListEntry", "更改正列表的条目") : qtr("ListEntry", "更改负列表的条目");
  if (dlg.Execute(caption, url)) item->setText(Q(url));
}

void DeletePrefixEntry(QWidget* parent, QListWidget* list) {
  QListWidgetItem* item = list->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  if (!ui::ConfirmYesNo(parent, qtr("ListEntry", "您真的想要删除条目 %1 吗？").arg(item->text())))
    return;
  delete list->takeItem(list->row(item));
}

std::vector<std::string> ListBoxItems(const QListWidget* list) {
  std::vector<std::string> items;
  items.reserve(static_cast<std::size_t>(list->count()));
  for (int i = 0; i < list->count(); ++i)
    items.push_back(list->item(i)->text().toStdString());
  return items;
}

void FillListBox(QListWidget* list, const std::vector<std::string>& items) {
  list->clear();
  for (const std::string& s : items)
    list->addItem(Q(s));
}

}  // namespace trawlonix
