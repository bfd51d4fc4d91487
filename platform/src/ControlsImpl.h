#pragma once
// What CStatic and CEdit do, on the widget itself, so that platform code can
// do it for a control that no such object wraps.
#include <base/String.h>
#include <platform/Types.h>

class QWidget;

namespace platform {

void SetIconOf(QWidget* label, HICON icon);
// While the line edit shows exactly text, what is typed, pasted or composed
// into it replaces text whole (an empty text: nothing is replaced).
void ReplaceOnTyping(QWidget* lineEdit, const CString& text);

}  // namespace platform
