#pragma once
// The widgets of the window classes dialog templates name, made from the
// template's style word, and what CStatic and CEdit do on a bare widget.
#include <base/String.h>
#include <platform/Types.h>

class QWidget;

namespace platform {

QWidget* MakeButton(QWidget* parent, DWORD style);
QWidget* MakeEdit(QWidget* parent, DWORD style);
QWidget* MakeStatic(QWidget* parent, DWORD style);
QWidget* MakeComboBox(QWidget* parent, DWORD style);
QWidget* MakeListView(QWidget* parent, DWORD style);
QWidget* MakeProgressBar(QWidget* parent, DWORD style);
QWidget* MakePicture(QWidget* parent, DWORD style);

// A new widget of that window class under parent, or null when no control provides it.
QWidget* CreateControl(const char* windowClass, QWidget* parent, DWORD style);

void SetIconOf(QWidget* label, HICON icon);
// While the line edit shows exactly text, what is typed, pasted or composed
// into it replaces text whole (an empty text: nothing is replaced).
void ReplaceOnTyping(QWidget* lineEdit, const CString& text);

}  // namespace platform
