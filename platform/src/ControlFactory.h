#pragma once
// Dialog templates name their controls by window class ("Button", "Edit",
// "Static", "SysListView32", "msctls_progress32", ...). The platform code that
// provides a control registers how to make its widget, so a template can make
// any control without knowing its implementation.
#include <platform/Types.h>

class QWidget;

namespace platform {

using ControlFactory = QWidget* (*)(QWidget* parent, DWORD style);

// Registers the maker of a window class; the last registration wins.
void RegisterControlFactory(const char* windowClass, ControlFactory factory);
// A new widget of that window class under parent, or null when none is registered.
QWidget* CreateControl(const char* windowClass, QWidget* parent, DWORD style);

// Registers a factory at load time: static platform::ControlRegistration r("X", &Make);
struct ControlRegistration {
  ControlRegistration(const char* windowClass, ControlFactory factory) {
    RegisterControlFactory(windowClass, factory);
  }
};

}  // namespace platform
