#pragma once

#include "platform/SettingsStore.h"

#include <QSettings>

#include <memory>

namespace vistarel {

// The per-user settings of the maker Quorvane, group "Vistarel"
// (~/.config/Quorvane/Quorvane.conf on Linux).
class QtSettingsStore final : public ISettingsStore {
 public:
  QtSettingsStore();
  // A store in the given file, in the same format; for tests.
  explicit QtSettingsStore(const QString& fileName);

  QString Read(const QString& key, const QString& defaultValue) override;
  void Write(const QString& key, const QString& value) override;

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace vistarel
