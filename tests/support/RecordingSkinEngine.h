#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include "base/Failure.h"
#include "platform/SkinEngine.h"

namespace vistarel::test {

// Records every operation with its arguments, one line each
// ("LoadSkin(/p/x/o.cjs, )", "ApplyOptions() = 6", "SetApplyOptions(7)", ...).
// Fails the operation named in `failOn`.
class RecordingSkinEngine final : public ISkinEngine {
 public:
  void LoadSkin(const QString& path, const QString& variant) override {
    Record(QStringLiteral("LoadSkin(%1, %2)").arg(path, variant), QStringLiteral("LoadSkin"));
  }
  qint32 ApplyOptions() override {
    Record(QStringLiteral("ApplyOptions() = %1").arg(options), QStringLiteral("ApplyOptions"));
    return options;
  }
  void SetApplyOptions(qint32 value) override {
    Record(QStringLiteral("SetApplyOptions(%1)").arg(value), QStringLiteral("SetApplyOptions"));
    options = value;
  }
  void SetSkinOwnedWindows(bool on) override {
    Record(QStringLiteral("SetSkinOwnedWindows(%1)").arg(Text(on)),
           QStringLiteral("SetSkinOwnedWindows"));
  }
  void SetSkinBoxes(bool on) override {
    Record(QStringLiteral("SetSkinBoxes(%1)").arg(Text(on)), QStringLiteral("SetSkinBoxes"));
  }
  void ApplyWindow(QWidget& window) override {
    Record(QStringLiteral("ApplyWindow(%1)").arg(window.objectName()),
           QStringLiteral("ApplyWindow"));
    appliedTo = &window;
  }

  QStringList calls;
  qint32 options = 0;
  QString failOn;
  QWidget* appliedTo = nullptr;

 private:
  static QString Text(bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); }
  void Record(const QString& call, const QString& name) {
    calls << call;
    if (name == failOn)
      throw Failure(QStringLiteral("The skin engine rejected the call: ") + name);
  }
};

}  // namespace vistarel::test
