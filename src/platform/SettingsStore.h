#pragma once

#include <QString>

namespace vistarel {

// The per-user settings store: the program's one remembered value lives here.
class ISettingsStore {
 public:
  virtual ~ISettingsStore() = default;
  virtual QString Read(const QString& key, const QString& defaultValue) = 0;
  virtual void Write(const QString& key, const QString& value) = 0;
};

}  // namespace vistarel
