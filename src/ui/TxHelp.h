// The help viewer: HTML topics shipped inside the program (help/*.html in
// the resource file), shown by context number in one reusable window per
// help-window name ("txmain", "txhelp").
#pragma once

#include <QString>

class QTextBrowser;

namespace trawlonix::ui {

// Shows topic `context` in the help window `windowName`, creating the window
// on first use. An unknown number shows the contents page.
void ShowHelpContext(const QString& windowName, int context);
// Shows the contents page in the window "txmain".
void ShowHelpContents();
// The resource path of a topic, or an empty string when there is none.
QString HelpTopicPath(int context);
// The window of that name, or nullptr while it was never opened.
QTextBrowser* HelpWindow(const QString& windowName);
// Deletes every help window now. The program does it when it quits; a host
// without an event loop (a test) calls it before the application goes.
void DeleteHelpWindows();

}  // namespace trawlonix::ui
