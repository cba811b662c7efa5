#pragma once

#include <QRect>

#include <cmath>

namespace vistarel {

// Positions and sizes of the design are in twips, 1/1440 inch: 15 twips make one
// pixel at 96 dots per inch.
inline int TwipsToPixels(int twips, double dpi) {
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

inline int PixelsToTwips(int pixels, double dpi) {
  return static_cast<int>(std::lround(pixels * 1440.0 / dpi));
}

inline QRect TwipsRect(int left, int top, int width, int height, double dpi) {
  return {TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(width, dpi),
          TwipsToPixels(height, dpi)};
}

}  // namespace vistarel
