#pragma once
// Answers to the modal UI that tests meet more than once: the popup menu and
// the file dialog, each answered from a queued timer as a user would.
#include "support/TestSupport.h"

#include <platform/String.h>

#include <QAction>
#include <QFileDialog>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QTest>

namespace test {

// What a popup menu showed before it was answered.
struct MenuSeen {
  QStringList texts;
  QRect geometry;
  QImage image;             // the menu as painted, with the chosen item highlighted
  QList<QRect> itemRects;   // in image coordinates
};

// Chooses the item at index (among the menu's actions) with the keyboard; -1,
// or an item that cannot be chosen, closes the menu without a choice.
inline void ChooseInMenu(int index, MenuSeen* seen = nullptr) {
  WhenModal([index, seen](QWidget* w) {
    QPointer<QMenu> menu = qobject_cast<QMenu*>(w);
    if (!menu) return;
    const auto actions = menu->actions();
    const bool valid = index >= 0 && index < actions.size();
    if (valid) menu->setActiveAction(actions[index]);
    if (seen) {
      for (QAction* a : actions) {
        seen->texts << a->text();
        seen->itemRects << menu->actionGeometry(a);
      }
      seen->geometry = menu->geometry();
      seen->image = menu->grab().toImage();
    }
    if (valid) QTest::keyClick(menu, Qt::Key_Return);
    if (menu && menu->isVisible()) QTest::keyClick(menu, Qt::Key_Escape);
  });
}

// What a file dialog showed before it was answered.
struct FileDialogSeen {
  QStringList filters;
  QStringList selected;
  QString defaultSuffix;
};

// Chooses path in the next file dialog, or cancels it when path is empty.
inline void AnswerFileDialog(const CString& path, FileDialogSeen* seen = nullptr) {
  WhenModal([path, seen](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    if (!dialog) return;
    if (seen) *seen = {dialog->nameFilters(), dialog->selectedFiles(), dialog->defaultSuffix()};
    if (path.IsEmpty()) {
      QMetaObject::invokeMethod(dialog, "reject");
      return;
    }
    dialog->selectFile(QString::fromUtf8(path.GetString()));
    QMetaObject::invokeMethod(dialog, "accept");
  });
}

}  // namespace test
