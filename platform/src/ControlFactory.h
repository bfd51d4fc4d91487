#pragma once
// Dialog templates name their controls by window class ("Button", "Edit",
// "Static", "ComboBox", "SysListView32", "msctls_progress32", "Picture"); the
// platform code that provides a control makes its widget from the template's
// style word. Internal to the platform layer.
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

}  // namespace platform
