// The main window's status bar: four panels (received kilobytes
// right-aligned, queued files, received or checked files, and the rest for
// the percentage done), each growing to show its whole text at the current
// font, or one simple text while a long operation runs.
#pragma once

#include <QStatusBar>
#include <array>

class QLabel;

namespace trawlonix::ui {

class TxStatusBar : public QStatusBar {
  Q_OBJECT
 public:
  explicit TxStatusBar(QWidget* parent = nullptr);

  void SetPanelText(int panel, const QString& text);
  QString PanelText(int panel) const;
  const QLabel* PanelLabel(int panel) const { return panels_.at(static_cast<std::size_t>(panel)); }
  // Switches to the single text (drawn at once, for loops that block the
  // event loop); SetPanels switches back.
  void SetSimpleText(const QString& text);
  void SetPanels();
  bool IsSimple() const { return simple_; }
  QString SimpleText() const;

 private:
  std::array<QLabel*, 4> panels_{};
  QLabel* simpleLabel_;
  bool simple_ = false;
};

}  // namespace trawlonix::ui
