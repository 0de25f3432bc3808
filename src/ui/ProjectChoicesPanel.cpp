#include "ui/ProjectChoicesPanel.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>
#include <optional>

#include "settings/Language.h"
#include "ui/TxMessages.h"

namespace trawlonix {

namespace {

using ui::Q;
using ui::S;

QString SecondsText(double seconds) {
  return seconds > 0 ? QString::number(seconds, 'g', 12) : QString();
}

QString PatternText(const std::vector<std::string>& list) {
  QStringList lines;
  for (const std::string& p : list)
    lines << Q(p);
  return lines.join(QLatin1Char('\n'));
}

QPlainTextEdit* PatternMemo(const char* name, QWidget* parent) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(QLatin1String(name));
  memo->setTabChangesFocus(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setFixedHeight(memo->fontMetrics().lineSpacing() * 2 + 14);
  return memo;
}

QLineEdit* AmountEdit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setMaxLength(32);
  edit->setPlaceholderText(qtr("ProjectChoices", "不限制"));
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
  return edit;
}

// The label of a field as the message names it: the form label without its colon.
QString FieldName(const QWidget* field) {
  return field->property("fieldName").toString();
}

}  // namespace

TProjectChoicesPanel::TProjectChoicesPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ProjectChoicesPanel"));
  auto* l = new QVBoxLayout(this);
  l->setContentsMargins(0, 0, 0, 0);
  auto* top = new QHBoxLayout;
  top->addWidget(BuildPacing(), 3);
  top->addWidget(BuildSizes(), 2);
  l->addLayout(top);
  l->addWidget(BuildPatterns(), 1);
  Fill(TProjectChoices{});
}

QWidget* TProjectChoicesPanel::BuildPacing() {
  auto* box = new QGroupBox(qtr("ProjectChoices", "礼貌"), this);
  auto* form = new QFormLayout(box);
  CB_ObeyRobots = new QCheckBox(qtr("ProjectChoices", "遵守 robots.txt 的规则"), box);
  CB_ObeyRobots->setObjectName(QStringLiteral("CB_ObeyRobots"));
  form->addRow(CB_ObeyRobots);
  Edit_Wait = AmountEdit("Edit_Wait", box);
  Edit_Wait->setPlaceholderText(qtr("ProjectChoices", "不等待"));
  CB_RandomWait = new QCheckBox(qtr("ProjectChoices", "随机变化"), box);
  CB_RandomWait->setObjectName(QStringLiteral("CB_RandomWait"));
  auto* waitRow = new QHBoxLayout;
  waitRow->addWidget(Edit_Wait, 1);
  waitRow->addWidget(CB_RandomWait);
  const QString waitName = qtr("ProjectChoices", "请求间隔(秒)");
  Edit_Wait->setProperty("fieldName", waitName);
  form->addRow(waitName + QLatin1Char(':'), waitRow);
  Edit_LimitRate = AmountEdit("Edit_LimitRate", box);
  const QString rateName = qtr("ProjectChoices", "带宽限制(字节/秒)");
  Edit_LimitRate->setProperty("fieldName", rateName);
  form->addRow(rateName + QLatin1Char(':'), Edit_LimitRate);
  SEdit_MaxPerServer = new QSpinBox(box);
  SEdit_MaxPerServer->setObjectName(QStringLiteral("SEdit_MaxPerServer"));
  SEdit_MaxPerServer->setRange(0, 64);
  SEdit_MaxPerServer->setSpecialValueText(qtr("ProjectChoices", "与连接数相同"));
  form->addRow(qtr("ProjectChoices", "每个服务器的请求数:"), SEdit_MaxPerServer);
  return box;
}

QWidget* TProjectChoicesPanel::BuildSizes() {
  auto* box = new QGroupBox(qtr("ProjectChoices", "大小"), this);
  auto* form = new QFormLayout(box);
  Edit_MaxFileSize = AmountEdit("Edit_MaxFileSize", box);
  const QString fileName = qtr("ProjectChoices", "最大文件大小");
  Edit_MaxFileSize->setProperty("fieldName", fileName);
  form->addRow(fileName + QLatin1Char(':'), Edit_MaxFileSize);
  Edit_Quota = AmountEdit("Edit_Quota", box);
  const QString quotaName = qtr("ProjectChoices", "总限额");
  Edit_Quota->setProperty("fieldName", quotaName);
  form->addRow(quotaName + QLatin1Char(':'), Edit_Quota);
  auto* hint = new QLabel(qtr("ProjectChoices", "例如 500k、2M 或 1G。"), box);
  hint->setWordWrap(true);
  form->addRow(hint);
  return box;
}

QWidget* TProjectChoicesPanel::BuildPatterns() {
  auto* box = new QGroupBox(qtr("ProjectChoices", "模式"), this);
  auto* grid = new QGridLayout(box);
  auto* hint = new QLabel(
      qtr("ProjectChoices",
          "每行一个模式，或者用逗号分隔；* 代表任意个字符，? 代表一个字符。"),
      box);
  hint->setWordWrap(true);
  grid->addWidget(hint, 0, 0, 1, 2);
  Memo_AcceptName = PatternMemo("Memo_AcceptName", box);
  Memo_RejectName = PatternMemo("Memo_RejectName", box);
  Memo_AcceptUrl = PatternMemo("Memo_AcceptUrl", box);
  Memo_RejectUrl = PatternMemo("Memo_RejectUrl", box);
  grid->addWidget(new QLabel(qtr("ProjectChoices", "只接受这些文件名 (例如 *.pdf):"), box), 1, 0);
  grid->addWidget(new QLabel(qtr("ProjectChoices", "拒绝这些文件名 (例如 *.gif):"), box), 1, 1);
  grid->addWidget(Memo_AcceptName, 2, 0);
  grid->addWidget(Memo_RejectName, 2, 1);
  grid->addWidget(new QLabel(qtr("ProjectChoices", "只接受这些 URL:"), box), 3, 0);
  grid->addWidget(new QLabel(qtr("ProjectChoices", "拒绝这些 URL:"), box), 3, 1);
  grid->addWidget(Memo_AcceptUrl, 4, 0);
  grid->addWidget(Memo_RejectUrl, 4, 1);
  return box;
}

void TProjectChoicesPanel::Fill(const TProjectChoices& c) {
  CB_ObeyRobots->setChecked(c.ObeyRobots);
  Edit_Wait->setText(SecondsText(c.WaitSeconds));
  CB_RandomWait->setChecked(c.RandomWait);
  Edit_LimitRate->setText(ByteAmountText(c.LimitRate));
  SEdit_MaxPerServer->setValue(c.MaxPerServer);
  Memo_AcceptName->setPlainText(PatternText(c.Patterns.AcceptName));
  Memo_RejectName->setPlainText(PatternText(c.Patterns.RejectName));
  Memo_AcceptUrl->setPlainText(PatternText(c.Patterns.AcceptUrl));
  Memo_RejectUrl->setPlainText(PatternText(c.Patterns.RejectUrl));
  Edit_MaxFileSize->setText(ByteAmountText(c.Sizes.MaxFileBytes));
  Edit_Quota->setText(ByteAmountText(c.Sizes.MaxTotalBytes));
}

bool TProjectChoicesPanel::Take(TProjectChoices& out, QString& message, QWidget*& field) const {
  // An empty field means "none": no wait, no cap, no limit.
  auto bytes = [&](QLineEdit* edit, std::int64_t& value) {
    const QString text = edit->text().trimmed();
    const auto amount = text.isEmpty() ? std::optional<std::int64_t>(0) : ParseByteAmount(S(text));
    if (amount) {
      value = *amount;
      return true;
    }
    message = qtr("ProjectChoices",
                  "%1: \"%2\" 不是有效的大小。请输入一个数字，可以带单位 k、M 或 G，例如 "
                  "500k 或 2M。")
                  .arg(FieldName(edit), text);
    field = edit;
    return false;
  };
  TProjectChoices c = out;
  const QString waitText = Edit_Wait->text().trimmed();
  const auto wait = waitText.isEmpty() ? std::optional<double>(0) : ParseSecondsAmount(S(waitText));
  if (!wait) {
    message = qtr("ProjectChoices",
                  "%1: \"%2\" 不是有效的时间。请输入秒数，可以带单位 m 或 h，例如 1.5 或 2m。")
                  .arg(FieldName(Edit_Wait), waitText);
    field = Edit_Wait;
    return false;
  }
  c.WaitSeconds = *wait;
  if (!bytes(Edit_LimitRate, c.LimitRate) || !bytes(Edit_MaxFileSize, c.Sizes.MaxFileBytes) ||
      !bytes(Edit_Quota, c.Sizes.MaxTotalBytes)) {
    return false;
  }
  c.ObeyRobots = CB_ObeyRobots->isChecked();
  c.RandomWait = CB_RandomWait->isChecked();
  c.MaxPerServer = SEdit_MaxPerServer->value();
  c.Patterns.AcceptName = SplitPatterns(Memo_AcceptName->toPlainText());
  c.Patterns.RejectName = SplitPatterns(Memo_RejectName->toPlainText());
  c.Patterns.AcceptUrl = SplitPatterns(Memo_AcceptUrl->toPlainText());
  c.Patterns.RejectUrl = SplitPatterns(Memo_RejectUrl->toPlainText());
  out = c;
  return true;
}

bool TProjectChoicesPanel::TakeOrComplain(TProjectChoices& out) {
  QString message;
  QWidget* field = nullptr;
  if (Take(out, message, field)) return true;
  ui::ErrorBox(this, message);
  if (field != nullptr) field->setFocus();
  return false;
}

std::vector<std::string> TProjectChoicesPanel::SplitPatterns(const QString& text) {
  static const QRegularExpression separators(QStringLiteral("[\\r\\n,]"));
  std::vector<std::string> out;
  for (const QString& part : text.split(separators, Qt::SkipEmptyParts)) {
    const QString p = part.trimmed();
    if (!p.isEmpty()) out.push_back(S(p));
  }
  return out;
}

QString TProjectChoicesPanel::ByteAmountText(std::int64_t bytes) {
  if (bytes <= 0) return {};
  static const char units[] = {'G', 'M', 'k'};
  std::int64_t factor = std::int64_t{1} << 30;
  for (char unit : units) {
    if (bytes % factor == 0) return QString::number(bytes / factor) + QLatin1Char(unit);
    factor >>= 10;
  }
  return QString::number(bytes);
}

}  // namespace trawlonix
