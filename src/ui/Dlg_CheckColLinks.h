// The options of a check of the collected links: which links, and what to do
// with the result.
#pragma once

#include <QDialog>

class QButtonGroup;
class QRadioButton;

namespace trawlonix {

class TCheckColLinksDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TCheckColLinksDlg(QWidget* parent = nullptr);
  // Without a selection only "all links" is possible; with one, "only the
  // selected links" is preselected. The result choice goes back to index 0.
  void Preset(bool hasSelection);
  bool OnlySelected() const;
  int ResultIndex() const;  // 0..4
  void SetResultIndex(int index);

  QRadioButton* RB_AllLinks;
  QRadioButton* RB_MarkedLinks;
  QButtonGroup* RG_Result;
};

}  // namespace trawlonix
