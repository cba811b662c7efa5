#pragma once

#include <QWidget>

#include "platform/Platform.h"

namespace vistarel {

// The splash window shown alone at start-up.
class Splash final : public QWidget {
  Q_OBJECT

 public:
  explicit Splash(const Platform& platform, QWidget* parent = nullptr);

  // Decides whether to show the splash, shows it, waits and hides it again.
  void SplashShow();

 private:
  Platform platform_;
};

}  // namespace vistarel
