#pragma once
// Accessible names that follow a control's caption (or an edit box's label)
// as it changes; names given otherwise are left alone.
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
