#include "ControlFactory.h"

#include <map>
#include <string>

namespace platform {

namespace {

std::map<std::string, ControlFactory>& Factories() {
  static std::map<std::string, ControlFactory> factories;
  return factories;
}

}  // namespace

void RegisterControlFactory(const char* windowClass, ControlFactory factory) {
  Factories()[windowClass] = factory;
}

QWidget* CreateControl(const char* windowClass, QWidget* parent, DWORD style) {
  const auto it = Factories().find(windowClass);
  return it == Factories().end() ? nullptr : it->second(parent, style);
}

}  // namespace platform
