#include "desktop/QtSettingsStore.h"

namespace vistarel {

namespace {
const QString kGroup = QStringLiteral("Vistarel");
}

QtSettingsStore::QtSettingsStore()
    : settings_(
          std::make_unique<QSettings>(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"))) {}

QtSettingsStore::QtSettingsStore(const QString& fileName)
    : settings_(std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {}

QString QtSettingsStore::Read(const QString& key, const QString& defaultValue) {
  settings_->beginGroup(kGroup);
  const QString value = settings_->value(key, defaultValue).toString();
  settings_->endGroup();
  return value;
}

void QtSettingsStore::Write(const QString& key, const QString& value) {
  settings_->beginGroup(kGroup);
  settings_->setValue(key, value);
  settings_->endGroup();
  settings_->sync();
}

}  // namespace vistarel
