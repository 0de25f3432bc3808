// The picture of the "浏览器" toolbar button: the icon of the desktop's
// default program for HTML files, else a themed web-browser icon, else the
// program's own globe.
#pragma once

#include <QIcon>

namespace trawlonix::ui {

QIcon DefaultBrowserIcon();

}  // namespace trawlonix::ui
