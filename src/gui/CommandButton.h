#pragma once

#include <QPushButton>

namespace vistarel {

// A button of the main window. Enter and the keypad's Enter press it, as Space
// and a click do: a keyboard user tries Enter first, and Qt's buttons answer
// it only inside dialogs.
class CommandButton final : public QPushButton {
  Q_OBJECT

 public:
  explicit CommandButton(const QString& caption, QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace vistarel
