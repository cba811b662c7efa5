#include "gui/ProgressBar.h"

#include <algorithm>
#include <cmath>

namespace vistarel {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 1000);
  setTextVisible(true);
  setAlignment(Qt::AlignCenter);
}

void ProgressBar::SetValue(double value) {
  value_ = value;
  const double shown = std::isfinite(value) ? std::clamp(value, 0.0, 100.0) : 0.0;
  setValue(static_cast<int>(std::lround(shown * 10)));
}

void ProgressBar::SetCaption(const QString& caption) {
  caption_ = caption;
  update();
}

}  // namespace vistarel
