#pragma once

#include <QRect>
#include <QSize>

#include <array>

namespace vistarel {

// A straight line from (x1, y1) to (x2, y2), in twips.
struct TwipsLine {
  int x1, y1, x2, y2;
  friend bool operator==(const TwipsLine&, const TwipsLine&) = default;
};

// Where the splash window puts its parts, in twips: the picture at the top
// left with a band under it for the check box, the window as large as both,
// and four lines framing the window.
struct SplashLayout {
  QRect image;  // Image1, picture plus band
  QSize window;
  QRect check;                     // Check1
  std::array<TwipsLine, 4> lines;  // Line1 left, Line2 top, Line3 right, Line4 bottom
};

inline constexpr int kSplashBand = 300;  // under the picture, for the check box
inline constexpr int kCheckLeft = 120;
inline constexpr int kCheckWidth = 4215;
inline constexpr int kCheckHeight = 375;
inline constexpr int kCheckGap = 20;            // between the check box and the bottom edge
inline constexpr int kFrameInset = 10;          // of the right and bottom frame lines
inline constexpr int kFrameLineLength = 10000;  // past any edge; the window cuts it off

// The layout for a picture of the given size in twips.
SplashLayout LayOutSplash(QSize pictureTwips);

}  // namespace vistarel
