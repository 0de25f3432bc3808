#include "ui/Dlg_Results.h"
#include "settings/Language.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace trawlonix {

TResultsDlg::TResultsDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TResultsDlg"));
  setWindowTitle(qtr("Results", "方案结果"));
  auto* grid = new QGridLayout;
  int row = 0;
  auto value = [&](const QString& caption, int indent) {
    auto* v = new QLabel(QStringLiteral("0"));
    v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    v->setMinimumWidth(60);
    grid->addWidget(v, row, indent);
    grid->addWidget(new QLabel(caption), row, indent + 1, 1, 2 - indent);
    ++row;
    return v;
  };
  grid->addWidget(new QLabel(qtr("Results", "状态:")), row, 0);
  Show_Status = new QLabel;
  Show_Status->setStyleSheet(QStringLiteral("font-weight: bold"));
  grid->addWidget(Show_Status, row, 1, 1, 2);
  ++row;
  Show_KBRecv = value(qtr("Results", "KB 已接收"), 0);
  Show_FilesInQueue = value(qtr("Results", "个文件(总共)"), 0);
  Show_HTDocsInQueue = value(qtr("Results", "个是 HTML 文档"), 1);
  Show_FilesLoaded = value(qtr("Results", "个文件被接收"), 0);
  Show_HTDocsLoaded = value(qtr("Results", "个是 HTML 文档"), 1);
  Show_FilesChecked = value(qtr("Results", "个文件被检查"), 0);
  Show_HTDocsChecked = value(qtr("Results", "个是 HTML 文档"), 1);
  auto* ok = new QPushButton(qtr("Results", "确定(&O)"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* box = new QVBoxLayout(this);
  box->addLayout(grid);
  box->addWidget(ok, 0, Qt::AlignHCenter);
  setModal(true);
}

void TResultsDlg::SetResults(const QString& status, const TCounters& t) {
  Show_Status->setText(status);
  Show_KBRecv->setNum(t[TCounters::kKiloBytes]);
  Show_FilesInQueue->setNum(t[TCounters::kQueued]);
  Show_HTDocsInQueue->setNum(t[TCounters::kQueuedHt]);
  Show_FilesLoaded->setNum(t[TCounters::kReceived]);
  Show_HTDocsLoaded->setNum(t[TCounters::kReceivedHt]);
  Show_FilesChecked->setNum(t[TCounters::kChecked]);
  Show_HTDocsChecked->setNum(t[TCounters::kCheckedHt]);
}

}  // namespace trawlonix
