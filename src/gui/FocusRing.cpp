#include "gui/FocusRing.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace vistarel {

using namespace Qt::StringLiterals;

FocusRing::FocusRing(QWidget& window) : QFocusFrame(&window), window_(window) {
  setObjectName(u"FocusRing"_s);
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { Follow(now); });
  Follow(QApplication::focusWidget());
}

// Only the window's own controls: a box or the splash has its own.
void FocusRing::Follow(QWidget* focused) {
  setWidget(focused != nullptr && focused->parentWidget() == &window_ ? focused : nullptr);
}

// The frame spans the style's focus margin around the control, the part of it
// that shows; the ring fills that margin.
void FocusRing::paintEvent(QPaintEvent*) {
  if (widget() == nullptr)
    return;
  const qreal width = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(palette().color(QPalette::Highlight), width));
  painter.setBrush(Qt::NoBrush);
  const qreal half = width / 2;
  painter.drawRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half), width + 1, width + 1);
}

}  // namespace vistarel
