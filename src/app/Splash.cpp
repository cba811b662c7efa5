#include "app/Splash.h"

namespace vistarel {

Splash::Splash(const Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), platform_(platform) {}

void Splash::SplashShow() {
  // Built with the splash issue.
}

}  // namespace vistarel
