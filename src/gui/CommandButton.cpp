#include "gui/CommandButton.h"

#include <QKeyEvent>

namespace vistarel {

CommandButton::CommandButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {}

// Once per key press: a held Enter repeats, and every repeat that reached the
// button would press it again.
void CommandButton::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
    QPushButton::keyPressEvent(event);
    return;
  }
  if (!event->isAutoRepeat())
    click();
  event->accept();
}

}  // namespace vistarel
