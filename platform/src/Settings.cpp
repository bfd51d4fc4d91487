#include <platform/Settings.h>

#include "Handles.h"

#include <QDir>
#include <QSettings>

namespace platform {

namespace {

QString SettingsFile() {
  QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (home.isEmpty()) home = QDir::homePath() + "/.config";
  return home + "/quillory/quillory.conf";
}

}  // namespace

CString ReadSetting(const char* key, const CString& fallback) {
  const QSettings settings(SettingsFile(), QSettings::IniFormat);
  const QVariant value = settings.value(QString::fromUtf8(key));
  return value.isValid() ? FromQt(value.toString()) : fallback;
}

void WriteSetting(const char* key, const CString& value) {
  QSettings settings(SettingsFile(), QSettings::IniFormat);
  settings.setValue(QString::fromUtf8(key), ToQt(value));
}

}  // namespace platform
