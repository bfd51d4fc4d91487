#pragma once
// What CButton and CStatic do, on the widget itself, so that platform code can
// do it for a control that no such object wraps.
#include <platform/Types.h>

class QWidget;

namespace platform {

int CheckOf(const QWidget* button);
void SetCheckOf(QWidget* button, int check);
void SetIconOf(QWidget* label, HICON icon);
HICON IconShownBy(const QWidget* label);
void SetBitmapOf(QWidget* label, HBITMAP bitmap);

}  // namespace platform
