#pragma once
// What CButton and CStatic do, on the widget itself, so that platform code can
// do it for a control that no such object wraps.
#include <base/String.h>
#include <platform/Types.h>

class QWidget;

namespace platform {

int CheckOf(const QWidget* button);
void SetCheckOf(QWidget* button, int check);
void SetIconOf(QWidget* label, HICON icon);
HICON IconShownBy(const QWidget* label);
void SetBitmapOf(QWidget* label, HBITMAP bitmap);
// While the line edit shows exactly text, what is typed, pasted or composed
// into it replaces text whole (an empty text: nothing is replaced).
void ReplaceOnTyping(QWidget* lineEdit, const CString& text);

}  // namespace platform
