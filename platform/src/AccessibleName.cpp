#include "AccessibleName.h"

#include <QLabel>
#include <QVariant>
#include <QWidget>

namespace platform {

namespace {

// Set on a control whose accessible name is its caption's.
constexpr const char* kNamedByCaption = "qy_namedbycaption";

}  // namespace

QString WithoutMnemonic(const QString& caption) {
  QString text = caption;
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return text;
}

void NameAfterCaption(QWidget* control, const QString& caption) {
  control->setAccessibleName(WithoutMnemonic(caption));
  control->setProperty(kNamedByCaption, true);
}

void NameAfterLabel(QWidget* edit, QWidget* label) {
  if (auto* l = qobject_cast<QLabel*>(label)) {
    l->setBuddy(edit);
    edit->setAccessibleName(WithoutMnemonic(l->text()));
  }
}

void CaptionChanged(QWidget* control, const QString& text) {
  if (control->property(kNamedByCaption).toBool()) control->setAccessibleName(WithoutMnemonic(text));
  // The edit box a label names is renamed with it, unless it was named otherwise.
  auto* label = qobject_cast<QLabel*>(control);
  QWidget* buddy = label ? label->buddy() : nullptr;
  if (buddy && buddy->accessibleName() == WithoutMnemonic(label->text()))
    buddy->setAccessibleName(WithoutMnemonic(text));
}

}  // namespace platform
