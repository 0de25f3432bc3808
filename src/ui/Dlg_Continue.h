// The resume prompt shown before a run of a project that already holds crawl
// state: continue, update or restart.
#pragma once

#include <QDialog>

#include "engine/CrawlHost.h"

class QLabel;
class QRadioButton;

namespace trawlonix {

class TContinueDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TContinueDlg(QWidget* parent = nullptr);
  // A complete project (`canContinue` false) cannot resume: continue is
  // disabled, the "complete" note shown and update preselected.
  void Preset(bool canContinue);
  // The start mode the checked button stands for.
  CrawlHost::StartChoice Choice() const;
  // Preset, show modally, and the choice (Cancel when cancelled).
  CrawlHost::StartChoice Ask(bool canContinue);

  QRadioButton* RB_Continue;
  QRadioButton* RB_Update;
  QRadioButton* RB_Restart;
  QLabel* Show_Ready;
};

}  // namespace trawlonix
