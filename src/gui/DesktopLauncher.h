#pragma once

#include "platform/Launcher.h"

namespace vistarel {

class DesktopLauncher final : public ILauncher {
 public:
  bool OpenUrl(const QUrl& url) override;
  bool StartDetached(const QString& program, const QStringList& arguments) override;
  bool StartDesktopApplication(const QString& desktopId, const QStringList& files) override;
};

}  // namespace vistarel
