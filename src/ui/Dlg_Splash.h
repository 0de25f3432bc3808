// The splash and about window: picture, version line, the maker's address.
#pragma once

#include <QDialog>

class QLabel;

namespace trawlonix {

inline constexpr int kVersionMajor = 2;
inline constexpr int kVersionMinor = 7;
inline constexpr int kVersionBuild = 6;
inline const QString kMakerUrl = QStringLiteral("https://www.morvek.example/trawlonix/");

class TSplashDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TSplashDlg(QWidget* parent = nullptr);

  QLabel* Version_Label;
  QLabel* URLLabel;
};

}  // namespace trawlonix
