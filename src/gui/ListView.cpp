#include "gui/ListView.h"

#include <QAccessible>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QTimerEvent>
#include <QtMath>

#include <algorithm>
#include <climits>
#include <cmath>

namespace vistarel {

namespace {

// A layout quicker than this is done at once, as the tree view does it.
constexpr qint64 kQuickLayoutNs = 1'000'000;
// Rows appended after a layout wait this many times its length, and never
// longer than the most.
constexpr qint64 kWaitPerLayout = 19;
constexpr int kMostWaitMs = 1000;

}  // namespace

// The table's frame drawn again over its header and rows, on whole device
// pixels. At a fractional scale the style draws the frame's lines between
// device pixels: the header and the rows, rounded outward, cover some of them,
// and the window's rounding clips others away.
class ListView::WholeFrame final : public QWidget {
 public:
  explicit WholeFrame(ListView& table) : QWidget(&table), table_(table) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const qreal ratio = devicePixelRatioF();
    if (ratio == std::floor(ratio))
      return;
    QPainter painter(this);
    // From here on in device pixels, from the first one wholly inside the table.
    const QTransform toDevice = painter.deviceTransform();
    const QRectF device = toDevice.mapRect(QRectF(rect()));
    const QPoint topLeft(qCeil(device.left()), qCeil(device.top()));
    const QPoint end(qFloor(device.right()), qFloor(device.bottom()));
    const QTransform beyondWorld = painter.worldTransform().inverted() * toDevice;
    painter.setWorldTransform(QTransform::fromTranslate(topLeft.x(), topLeft.y()) *
                              beyondWorld.inverted());
    const QRect frame(QPoint(0, 0), QSize(end.x() - topLeft.x(), end.y() - topLeft.y()));
    // Only the frame: whatever else the style paints stays under the rows.
    const int line = qCeil(table_.frameWidth() * ratio);
    painter.setClipRegion(QRegion(frame) - QRegion(frame.adjusted(line, line, -line, -line)));
    QStyleOptionFrame option;
    table_.initStyleOption(&option);
    option.rect = frame;
    table_.style()->drawControl(QStyle::CE_ShapedFrame, &option, &painter, &table_);
  }

 private:
  ListView& table_;
};

ListView::ListView(QWidget* parent) : QTreeView(parent), wholeFrame_(new WholeFrame(*this)) {
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

void ListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                       const QModelIndex& index) const {
  if (!hasFocus() || index.row() != currentIndex().row()) {
    QTreeView::drawRow(painter, option, index);
    return;
  }
  QStyleOptionViewItem current = option;
  current.state |= QStyle::State_Selected;
  QTreeView::drawRow(painter, current, index);
}

// Over the header, the rows and the scroll bars.
void ListView::resizeEvent(QResizeEvent* event) {
  QTreeView::resizeEvent(event);
  wholeFrame_->setGeometry(rect());
  wholeFrame_->raise();
}

void ListView::doItemsLayout() {
  takeInRows_.stop();
  QElapsedTimer timer;
  timer.start();
  QTreeView::doItemsLayout();
  lastLayoutNs_ = timer.nsecsElapsed();
}

void ListView::rowsInserted(const QModelIndex& parent, int start, int end) {
  if (parent.isValid() || lastLayoutNs_ < kQuickLayoutNs) {
    QTreeView::rowsInserted(parent, start, end);
    return;
  }
  QAbstractItemView::rowsInserted(parent, start, end);
  if (!takeInRows_.isActive()) {
    const auto waitMs = lastLayoutNs_ * kWaitPerLayout / 1'000'000;
    takeInRows_.start(static_cast<int>(std::min<qint64>(waitMs, kMostWaitMs)), this);
  }
}

void ListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles) {
  if (topLeft.parent().isValid()) {
    QTreeView::dataChanged(topLeft, bottomRight, roles);
    return;
  }
  // The first row sets the height of every row; the tree view measures it again.
  if (topLeft.row() == 0)
    QTreeView::dataChanged(topLeft, bottomRight.siblingAtRow(0), roles);
  const int first = std::max(topLeft.row(), 1);
  if (first > bottomRight.row())
    return;
  // Repainted unless the rows shown are known and none of them changed.
  const QModelIndex top = indexAt(QPoint(0, 0));
  const QModelIndex bottom = indexAt(QPoint(0, viewport()->height() - 1));
  if (!top.isValid() ||
      (first <= (bottom.isValid() ? bottom.row() : INT_MAX) && bottomRight.row() >= top.row())) {
    viewport()->update();
  }
#if QT_CONFIG(accessibility)
  if (QAccessible::isActive()) {
    QAccessibleTableModelChangeEvent change(this, QAccessibleTableModelChangeEvent::DataChanged);
    change.setFirstRow(first);
    change.setFirstColumn(topLeft.column());
    change.setLastRow(bottomRight.row());
    change.setLastColumn(bottomRight.column());
    QAccessible::updateAccessibility(&change);
  }
#endif
}

void ListView::timerEvent(QTimerEvent* event) {
  if (event->timerId() == takeInRows_.timerId()) {
    doItemsLayout();
    return;
  }
  QTreeView::timerEvent(event);
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
  // A key that moves to the last row finds every row there.
  if (takeInRows_.isActive())
    doItemsLayout();
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
