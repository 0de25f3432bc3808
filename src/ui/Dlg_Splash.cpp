#include "ui/Dlg_Splash.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "settings/Language.h"
#include "ui/TxIcons.h"

namespace trawlonix {

TSplashDlg::TSplashDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TSplashDlg"));
  setWindowTitle(QStringLiteral("Morvek Trawlonix"));
  auto* box = new QVBoxLayout(this);
  auto* picture = new QLabel;
  picture->setPixmap(ui::AppPixmap(96));
  picture->setAlignment(Qt::AlignCenter);
  box->addWidget(picture);
  auto* title = new QLabel(QStringLiteral("Morvek Trawlonix 2"));
  QFont f = title->font();
  f.setPointSizeF(f.pointSizeF() * 1.6);
  f.setBold(true);
  title->setFont(f);
  title->setAlignment(Qt::AlignCenter);
  box->addWidget(title);
  Version_Label = new QLabel(qtr("Splash", "版本: %1.%2 构建: %3")
                                 .arg(kVersionMajor)
                                 .arg(kVersionMinor)
                                 .arg(kVersionBuild));
  Version_Label->setAlignment(Qt::AlignCenter);
  box->addWidget(Version_Label);
  URLLabel = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(kMakerUrl));
  URLLabel->setAlignment(Qt::AlignCenter);
  URLLabel->setCursor(Qt::PointingHandCursor);
  URLLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  connect(URLLabel, &QLabel::linkActivated, this,
          [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
  box->addWidget(URLLabel);
  auto* ok = new QPushButton(qtr("Splash", "确定"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  box->addWidget(ok, 0, Qt::AlignHCenter);
  setModal(true);
}

}  // namespace trawlonix
