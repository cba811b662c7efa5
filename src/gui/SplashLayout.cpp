#include "gui/SplashLayout.h"

namespace vistarel {

SplashLayout LayOutSplash(QSize pictureTwips) {
  SplashLayout layout;
  layout.image = QRect(0, 0, pictureTwips.width(), pictureTwips.height() + kSplashBand);
  const int w = layout.image.width();
  const int h = layout.image.height();
  layout.window = QSize(w, h);
  layout.check = QRect(kCheckLeft, h - kCheckHeight - kCheckGap, kCheckWidth, kCheckHeight);
  layout.lines = {{
      {0, 0, 0, kFrameLineLength},
      {0, 0, kFrameLineLength, 0},
      {w - kFrameInset, 0, w - kFrameInset, kFrameLineLength},
      {0, h - kFrameInset, kFrameLineLength, h - kFrameInset},
  }};
  return layout;
}

}  // namespace vistarel
