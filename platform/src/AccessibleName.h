#pragma once
// Accessible names of controls named after their caption. Such a name follows
// the caption: whenever the control's text changes, so does its name, and an
// edit box named after its label follows the label too. Names given for other
// reasons are left alone. Internal to the platform layer.
#include <QString>

class QWidget;

namespace platform {

// The caption as a screen reader says it: "&Help" is "Help", "&&" is "&".
QString WithoutMnemonic(const QString& caption);

// Names control after caption, and keeps it so.
void NameAfterCaption(QWidget* control, const QString& caption);
// Names an edit box after its label, and keeps it so.
void NameAfterLabel(QWidget* edit, QWidget* label);
// The control's text became text: a name that follows it follows.
void CaptionChanged(QWidget* control, const QString& text);

}  // namespace platform
