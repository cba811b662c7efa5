#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace vistarel {

// Shows a top-level window centred on its screen's available area, frame
// included. A window manager's frame is known only once the window is mapped:
// until then the window is centred by its client area, and it is moved when
// its frame is known, and again if the frame grows within the first seconds,
// so that the frame sits in the centre. Without a frame (no window manager)
// the first placement stands.
void ShowCentred(QWidget& window);

// The top-left point that centres a frame of `frame` size in `area`. A frame
// larger than the area on an axis starts where the area starts on it: a fixed
// window taller than the screen keeps its title bar, the only handle to move
// it by, on the screen, and its top-left corner with it.
QPoint CentredPosition(const QSize& frame, const QRect& area);

}  // namespace vistarel
