#include "ControlFactory.h"

#include <cstring>

namespace platform {

QWidget* CreateControl(const char* windowClass, QWidget* parent, DWORD style) {
  static constexpr struct {
    const char* windowClass;
    QWidget* (*make)(QWidget* parent, DWORD style);
  } kMakers[] = {{"Button", &MakeButton},           {"Edit", &MakeEdit},
                 {"Static", &MakeStatic},           {"ComboBox", &MakeComboBox},
                 {"SysListView32", &MakeListView},  {"msctls_progress32", &MakeProgressBar},
                 {"Picture", &MakePicture}};
  for (const auto& maker : kMakers)
    if (windowClass && std::strcmp(maker.windowClass, windowClass) == 0) return maker.make(parent, style);
  return nullptr;
}

}  // namespace platform
