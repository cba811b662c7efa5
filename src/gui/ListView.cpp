#include "gui/ListView.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace vistarel {

ListView::ListView(QWidget* parent) : QTreeView(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
  // The column header is a table's part too: the pointer over it is over the table.
  header()->viewport()->setMouseTracking(true);
  header()->viewport()->installEventFilter(this);
}

bool ListView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == header()->viewport() && event->type() == QEvent::MouseMove)
    Q_EMIT mouseMoved();
  return QTreeView::eventFilter(watched, event);
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeView::mouseDoubleClickEvent(event);
  Q_EMIT dblClick();
}

void ListView::keyPressEvent(QKeyEvent* event) {
  if (takesAllKeys_) {
    Q_EMIT keyDown(event);
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
  Q_EMIT keyDown(event);
}

void ListView::mouseMoveEvent(QMouseEvent* event) {
  Q_EMIT mouseMoved();
  QTreeView::mouseMoveEvent(event);
}

// Drops are the window's business, never the model's, so the view's own drag
// handling is left out.
void ListView::dragEnterEvent(QDragEnterEvent* event) {
  event->acceptProposedAction();
  Q_EMIT oleDragOver(event);
}

void ListView::dragMoveEvent(QDragMoveEvent* event) {
  event->acceptProposedAction();
  Q_EMIT oleDragOver(event);
}

void ListView::dragLeaveEvent(QDragLeaveEvent* event) { event->accept(); }

void ListView::dropEvent(QDropEvent* event) {
  event->acceptProposedAction();
  Q_EMIT oleDragDrop(event);
}

}  // namespace vistarel
