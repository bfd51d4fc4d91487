#pragma once
// Answers the next popup menu from a queued timer, the way a user would.
#include <QImage>
#include <QRect>
#include <QStringList>

#include <functional>

class QMenu;

namespace test {

// What the popup showed before it was answered.
struct MenuSeen {
  QStringList texts;
  QRect geometry;
  QImage image;                 // the menu as painted, with the chosen item highlighted
  QList<QRect> itemRects;       // in image coordinates
};

// Chooses item index (by position among the actions) with the keyboard; -1
// closes the menu without a choice. seen, when given, gets what was shown.
void ChooseInMenu(int index, MenuSeen* seen = nullptr);

}  // namespace test
