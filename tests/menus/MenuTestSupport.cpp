#include "MenuTestSupport.h"

#include "support/TestSupport.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QTest>

namespace test {

void ChooseInMenu(int index, MenuSeen* seen) {
  WhenModal([index, seen](QWidget* w) {
    QPointer<QMenu> menu = qobject_cast<QMenu*>(w);
    if (!menu) return;
    const auto actions = menu->actions();
    if (index >= 0 && index < actions.size()) menu->setActiveAction(actions[index]);
    if (seen) {
      for (QAction* a : actions) {
        seen->texts << a->text();
        seen->itemRects << menu->actionGeometry(a);
      }
      seen->geometry = menu->geometry();
      seen->image = menu->grab().toImage();
    }
    if (index >= 0 && index < actions.size()) QTest::keyClick(menu, Qt::Key_Return);
    // A grayed item cannot be chosen: the menu is still open and is closed.
    if (menu && menu->isVisible()) QTest::keyClick(menu, Qt::Key_Escape);
  });
}

}  // namespace test
