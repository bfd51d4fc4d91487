// The widgets behind the "Button", "Edit" and "Static" window classes, made
// from the style word of a dialog template.
#include <platform/Controls.h>

#include "Handles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVariant>

#include <algorithm>
#include <utility>

namespace {

constexpr const char* kIcon = "qy_icon";

// A static control with SS_NOTIFY reports clicks to its owner, as a button does.
class NotifyingLabel : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
      CWnd::FromWidget(this)->SendCommand(STN_CLICKED);
  }
};

// Selects the whole text of an edit box that shows its marker, just before
// typing, a paste or an input method's text would go in, so they replace it.
class MarkerReplacer : public QObject {
 public:
  MarkerReplacer(QWidget* edit, QString marker) : QObject(edit), m_pEdit(edit), m_strMarker(std::move(marker)) {
    edit->installEventFilter(this);
    // An editable combo box takes the keys itself and hands them to its line
    // edit directly, past the edit's filters.
    if (auto* combo = qobject_cast<QComboBox*>(edit->parentWidget())) combo->installEventFilter(this);
  }
  void SetMarker(QString marker) { m_strMarker = std::move(marker); }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    auto* line = qobject_cast<QLineEdit*>(m_pEdit);
    auto* lines = qobject_cast<QPlainTextEdit*>(m_pEdit);
    const bool readOnly = line ? line->isReadOnly() : lines->isReadOnly();
    if (m_strMarker.isEmpty() || readOnly || (line ? line->text() : lines->toPlainText()) != m_strMarker) return false;
    bool inserts = false;
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      inserts = key->matches(QKeySequence::Paste) || (!key->text().isEmpty() && key->text().front().isPrint());
    } else if (event->type() == QEvent::InputMethod) {
      inserts = !static_cast<QInputMethodEvent*>(event)->commitString().isEmpty();
    }
    if (inserts && line) line->selectAll();
    if (inserts && lines) lines->selectAll();
    return false;
  }

 private:
  QWidget* m_pEdit;
  QString m_strMarker;
};

}  // namespace

QWidget* platform::MakeButton(QWidget* parent, DWORD style) {
  QAbstractButton* button = nullptr;
  switch (style & BS_TYPEMASK) {
    case BS_GROUPBOX:
      return new QGroupBox(parent);
    case BS_AUTOCHECKBOX:
      button = new QCheckBox(parent);
      break;
    default: {
      auto* push = new QPushButton(parent);
      push->setDefault((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
      push->setAutoDefault(false);
      button = push;
      break;
    }
  }
  QObject::connect(button, &QAbstractButton::clicked, button,
                   [button] { CWnd::FromWidget(button)->SendCommand(BN_CLICKED); });
  return button;
}

QWidget* platform::MakeEdit(QWidget* parent, DWORD style) {
  if (style & ES_MULTILINE) {
    // Several lines: Enter starts a new one; the text is the property "plainText".
    auto* lines = new QPlainTextEdit(parent);
    lines->setReadOnly((style & ES_READONLY) != 0);
    lines->setTabChangesFocus(true);
    QObject::connect(lines, &QPlainTextEdit::textChanged, lines,
                     [lines] { CWnd::FromWidget(lines)->SendCommand(EN_CHANGE); });
    return lines;
  }
  auto* edit = new QLineEdit(parent);
  edit->setReadOnly((style & ES_READONLY) != 0);
  QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] { CWnd::FromWidget(edit)->SendCommand(EN_CHANGE); });
  return edit;
}

QWidget* platform::MakeStatic(QWidget* parent, DWORD style) {
  QLabel* label = (style & SS_NOTIFY) ? new NotifyingLabel(parent) : new QLabel(parent);
  if (style & SS_NOTIFY) label->setFocusPolicy(Qt::TabFocus);
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: label->setAlignment(Qt::AlignHCenter | Qt::AlignTop); break;
    case SS_RIGHT: label->setAlignment(Qt::AlignRight | Qt::AlignTop); break;
    case SS_ICON:
    case SS_BITMAP:
      label->setAlignment((style & SS_CENTERIMAGE) ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
      break;
    default: label->setAlignment(Qt::AlignLeft | Qt::AlignTop); break;
  }
  return label;
}

namespace platform {

void SetIconOf(QWidget* widget, HICON icon) {
  auto* label = qobject_cast<QLabel*>(widget);
  if (!label) return;
  label->setProperty(kIcon, QVariant::fromValue(reinterpret_cast<quintptr>(icon)));
  if (icon) {
    const QSize size = label->size().isEmpty() ? QSize(32, 32) : label->size().boundedTo(QSize(32, 32));
    label->setPixmap(IconOf(icon).pixmap(size));
  } else if (!label->pixmap().isNull()) {
    // Clearing the picture of a text static leaves its text alone.
    label->setPixmap(QPixmap());
  }
}

void ReplaceOnTyping(QWidget* widget, const CString& text) {
  QWidget* edit = qobject_cast<QLineEdit*>(widget) ? widget : qobject_cast<QPlainTextEdit*>(widget);
  if (!edit) return;
  for (QObject* child : edit->children())
    if (auto* replacer = dynamic_cast<MarkerReplacer*>(child)) {
      replacer->SetMarker(ToQt(text));
      return;
    }
  new MarkerReplacer(edit, ToQt(text));
}

}  // namespace platform

HICON CStatic::SetIcon(HICON icon) {
  const QWidget* label = GetWidget();
  const HICON previous = label ? reinterpret_cast<HICON>(label->property(kIcon).value<quintptr>()) : nullptr;
  platform::SetIconOf(GetWidget(), icon);
  return previous;
}

void CEdit::SetSel(int start, int end) {
  auto* edit = qobject_cast<QLineEdit*>(GetWidget());
  if (!edit) return;
  const int length = static_cast<int>(edit->text().size());
  const int from = std::clamp(start, 0, length);
  edit->setSelection(from, (end < 0 ? length : std::clamp(end, from, length)) - from);
}

void CEdit::SetReplacedByTyping(const CString& text) { platform::ReplaceOnTyping(GetWidget(), text); }

BOOL CEdit::SetCueBanner(const CString& text) {
  auto* edit = qobject_cast<QLineEdit*>(GetWidget());
  if (edit) edit->setPlaceholderText(platform::ToQt(text));
  return edit ? TRUE : FALSE;
}
