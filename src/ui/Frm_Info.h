// The status window of the download slots: one panel per slot with the URL
// being fetched, an information text and a progress bar (0..10000).
#pragma once

#include <QSize>
#include <QWidget>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QScrollArea;
class QVBoxLayout;
class QFrame;

namespace trawlonix {

class TInfoForm : public QWidget {
  Q_OBJECT
 public:
  explicit TInfoForm(QWidget* parent = nullptr);

  // Keeps the template panel and makes `count` panels in all, every one
  // cleared; 0 or less closes the window.
  void SetSlotCount(int count);
  int SlotCount() const { return count_; }
  // Indices outside 0..SlotCount()-1 are ignored.
  void SetSlotUrl(int slot, const QString& url);
  void SetSlotInfo(int slot, const QString& info);
  void SetSlotProgress(int slot, int position);

  QString SlotUrl(int slot) const;
  QString SlotInfo(int slot) const;
  int SlotProgress(int slot) const;
  bool SlotPanelVisible(int slot) const;

  // The fixed window width and the minimum height the sizing rules give:
  // slot panel + vertical scroll bar + 6 wide; one slot panel, the top panel,
  // the status bar and 12 pixels high (the frame and caption are the window
  // manager's).
  QSize RuledSize() const;

  QPushButton* CloseButton;
  QStatusBar* StatusBar;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Panel {
    QFrame* frame;
    QLabel* url;
    QLabel* info;
    QProgressBar* progress;
  };
  Panel MakePanel();
  const Panel* At(int slot) const;

  QWidget* top_;
  QScrollArea* scroll_;
  QVBoxLayout* list_;
  std::vector<Panel> panels_;  // [0] is the template
  int count_ = 0;
};

}  // namespace trawlonix
