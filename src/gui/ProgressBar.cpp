#include "gui/ProgressBar.h"

#include <algorithm>
#include <cmath>

namespace vistarel {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 1000);
  setTextVisible(true);
  setAlignment(Qt::AlignCenter);
  nameTimer_.setSingleShot(true);
  nameTimer_.setInterval(kNameInterval);
  connect(&nameTimer_, &QTimer::timeout, this, &ProgressBar::PublishName);
}

void ProgressBar::SetValue(double value) {
  value_ = value;
  const double shown = std::isfinite(value) ? std::clamp(value, 0.0, 100.0) : 0.0;
  setValue(static_cast<int>(std::lround(shown * 10)));
}

void ProgressBar::SetCaption(const QString& caption) {
  caption_ = caption;
  update();
  if (!nameTimer_.isActive()) PublishName();
}

// A run sets a caption per file; each rename is an event a screen reader may
// speak, so renames are a frame apart at least, and the last caption of a burst
// follows when the frame is over.
void ProgressBar::PublishName() {
  if (accessibleName() == caption_) return;
  setAccessibleName(caption_);
  nameTimer_.start();
}

}  // namespace vistarel
