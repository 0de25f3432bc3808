// The pictures of the program, drawn at run time: the image list shared by
// the directory and link trees (indices 0 to 21), the toolbar glyphs and the
// program icon. No image files are shipped.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace trawlonix::ui {

// 0 to 21 are the fixed indices; 22 is the "file-type icon + 1" of a style
// sheet that the link tree can ask for.
inline constexpr int kTreeIconCount = 23;

// Index meanings of the tree image list:
//  0 host; 1 folder; 2 open folder; 3/4 hypertext (not loaded / loaded);
//  5/6 image; 7/8 other; 9/10 sound; 11/12 video; 13/14 Java; 15/16 Flash;
//  17 link not followed; 18 followed link to a hypertext listed already;
//  19/20 JavaScript; 21/22 style sheet.
QPixmap TreePixmap(int index);
// The icon of an item: `normal` drawn normally, `selected` when selected.
QIcon TreeIcon(int normal, int selected);

// Toolbar glyphs by name: "new", "open", "prop", "save", "start", "stop",
// "status", "browser".
QIcon ToolIcon(const QString& name);

// The program icon (the same picture as data/trawlonix.svg).
QIcon AppIcon();
QPixmap AppPixmap(int size);

}  // namespace trawlonix::ui
