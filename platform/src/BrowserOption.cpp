#include <platform/BrowserOption.h>
#include <platform/Wnd.h>

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialog>

void BrowseForFolder_AddCheckBox(HWND browser, const char* caption, BOOL* checked) {
  auto* dialog = browser ? qobject_cast<QDialog*>(browser->GetWidget()) : nullptr;
  auto* layout = dialog ? qobject_cast<QBoxLayout*>(dialog->layout()) : nullptr;
  if (!layout || !checked) return;
  auto* box = new QCheckBox(QString::fromUtf8(caption ? caption : ""), dialog);
  box->setAccessibleName(box->text());
  box->setChecked(*checked != FALSE);
  QObject::connect(box, &QCheckBox::toggled, box, [checked](bool on) { *checked = on ? TRUE : FALSE; });
  // Between the tree and the buttons.
  layout->insertWidget(layout->count() - 1, box);
}
