#pragma once

#include <QFocusFrame>

namespace vistarel {

// A ring in the highlight colour around whichever control of `window` has the
// keyboard focus, drawn just outside the control so that neither the style
// nor a skin hides it: the style's own cue is a thin outline on a button and
// nothing at all on an empty table. A skin picks the colour with the ring's
// selection-background-color.
class FocusRing final : public QFocusFrame {
  Q_OBJECT

 public:
  explicit FocusRing(QWidget& window);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Follow(QWidget* focused);

  QWidget& window_;
};

}  // namespace vistarel
