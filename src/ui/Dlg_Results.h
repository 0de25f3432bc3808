// The results window shown after every crawl run.
#pragma once

#include <QDialog>

#include "engine/CrawlHost.h"

class QLabel;

namespace trawlonix {

class TResultsDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TResultsDlg(QWidget* parent = nullptr);
  // `status` is "已结束" or "被中断".
  void SetResults(const QString& status, const TCounters& totals);

  QLabel* Show_Status;
  QLabel* Show_KBRecv;
  QLabel* Show_FilesInQueue;
  QLabel* Show_HTDocsInQueue;
  QLabel* Show_FilesLoaded;
  QLabel* Show_HTDocsLoaded;
  QLabel* Show_FilesChecked;
  QLabel* Show_HTDocsChecked;
};

}  // namespace trawlonix
