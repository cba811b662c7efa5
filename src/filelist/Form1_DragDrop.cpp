// Drops of files and folders on the input list.
#include <QDragMoveEvent>
#include <QDropEvent>

#include "app/Form1.h"

namespace vistarel {

void Form1::ListView1_OLEDragOver(QDragMoveEvent* event) {
  // Built with the drag-and-drop issue; until then nothing may drop.
  event->ignore();
}

void Form1::ListView1_OLEDragDrop(QDropEvent* /*event*/) {}

}  // namespace vistarel
