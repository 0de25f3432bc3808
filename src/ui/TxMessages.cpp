#include "ui/TxMessages.h"
#include "settings/Language.h"

#include <QMessageBox>
#include <QPushButton>

namespace trawlonix::ui {

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string S(const QString& s) {
  return s.toUtf8().toStdString();
}

namespace {

QString Shown(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

QMessageBox::StandardButton Run(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton def) {
  QMessageBox box(icon, kAppTitle, Shown(text), buttons, parent);
  box.setObjectName(QStringLiteral("TxMessageBox"));
  box.setWindowModality(Qt::ApplicationModal);
  if (auto* b = box.button(QMessageBox::Ok)) b->setText(qtr("Messages", "确定"));
  if (auto* b = box.button(QMessageBox::Yes)) b->setText(qtr("Messages", "是(&Y)"));
  if (auto* b = box.button(QMessageBox::No)) b->setText(qtr("Messages", "否(&N)"));
  if (auto* b = box.button(QMessageBox::Cancel)) b->setText(qtr("Messages", "取消"));
  box.setDefaultButton(def);
  box.exec();
  auto* clicked = box.clickedButton();
  if (!clicked)
    return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::No;
  return box.standardButton(clicked);
}

}  // namespace

void ErrorBox(QWidget* parent, const QString& text) {
  Run(parent, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

void InfoBox(QWidget* parent, const QString& text) {
  Run(parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool ConfirmYesNo(QWidget* parent, const QString& text) {
  return Run(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
             QMessageBox::Yes) == QMessageBox::Yes;
}

TAnswer ConfirmYesNoCancel(QWidget* parent, const QString& text) {
  switch (Run(parent, QMessageBox::Question, text,
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes)) {
    case QMessageBox::Yes:
      return TAnswer::Yes;
    case QMessageBox::No:
      return TAnswer::No;
    default:
      return TAnswer::Cancel;
  }
}

}  // namespace trawlonix::ui
