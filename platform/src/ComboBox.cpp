// The widget behind the "ComboBox" window class: a box to type into with a
// list to choose from (CBS_DROPDOWN), or the list alone (CBS_DROPDOWNLIST).
#include <platform/Controls.h>

#include "Handles.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

// Enter while names are offered but none is chosen from them is the
// window's Enter (Update, Apply), as it is without the offer.
class EnterPassesOffer : public QObject {
 public:
  EnterPassesOffer(QComboBox* combo, QAbstractItemView* popup) : QObject(combo), m_pCombo(combo), m_pPopup(popup) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || m_pPopup->currentIndex().isValid()) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    m_pPopup->hide();
    QCoreApplication::sendEvent(m_pCombo->lineEdit(), event);
    return true;
  }

 private:
  QComboBox* m_pCombo;
  QAbstractItemView* m_pPopup;
};

QComboBox* ComboOf(const CWnd* wnd) { return qobject_cast<QComboBox*>(wnd->GetWidget()); }

}  // namespace

QWidget* platform::MakeComboBox(QWidget* parent, DWORD style) {
  auto* combo = new QComboBox(parent);
  combo->setMaxVisibleItems(20);
  if ((style & CBS_TYPEMASK) == CBS_DROPDOWN) {
    combo->setEditable(true);
    // What is typed stays what is typed: Enter adds no item, and the items
    // that contain the typing are offered below the box, not written into it.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->completer()->setCompletionMode(QCompleter::PopupCompletion);
    combo->completer()->setFilterMode(Qt::MatchContains);
    combo->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    QAbstractItemView* popup = combo->completer()->popup();
    popup->installEventFilter(new EnterPassesOffer(combo, popup));
    QObject::connect(combo, &QComboBox::editTextChanged, combo,
                     [combo] { CWnd::FromWidget(combo)->SendCommand(CBN_EDITCHANGE); });
  }
  QObject::connect(combo, &QComboBox::currentIndexChanged, combo,
                   [combo] { CWnd::FromWidget(combo)->SendCommand(CBN_SELCHANGE); });
  return combo;
}

int CComboBox::AddString(const CString& text) {
  QComboBox* combo = ComboOf(this);
  if (!combo) return CB_ERR;
  // Adding to an empty list would choose the item: nothing is chosen, and
  // the box keeps its text, until the program or the user chooses.
  const QString shown = combo->currentText();
  const int chosen = combo->currentIndex();
  const QSignalBlocker quiet(combo);
  combo->addItem(platform::ToQt(text));
  if (chosen < 0) {
    combo->setCurrentIndex(-1);
    if (combo->isEditable()) combo->setEditText(shown);
  }
  return combo->count() - 1;
}

int CComboBox::GetCurSel() const {
  const QComboBox* combo = ComboOf(this);
  return combo && combo->currentIndex() >= 0 ? combo->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int index) {
  QComboBox* combo = ComboOf(this);
  if (!combo || index >= combo->count()) return CB_ERR;
  combo->setCurrentIndex(index < 0 ? -1 : index);
  return index < 0 ? CB_ERR : index;
}

BOOL CComboBox::SetCueBanner(const CString& text) {
  QComboBox* combo = ComboOf(this);
  if (!combo) return FALSE;
  if (combo->lineEdit())
    combo->lineEdit()->setPlaceholderText(platform::ToQt(text));
  else
    combo->setPlaceholderText(platform::ToQt(text));
  return TRUE;
}

void CComboBox::SetReplacedByTyping(const CString& text) {
  if (QComboBox* combo = ComboOf(this)) platform::ReplaceOnTyping(combo->lineEdit(), text);
}
