#pragma once

#include <QBasicTimer>
#include <QTreeView>

class QDragMoveEvent;
class QDropEvent;
class QKeyEvent;

namespace vistarel {

// A table in report view (rows under column headers) that passes the events the
// main window handles on to it: double-click anywhere, every key press, pointer
// moves (over the rows and over the column header), and drags and drops.
//
// The tree view lays out all its rows again for every row appended, and looks
// up every changed row from the top; with a million rows each costs tens of
// milliseconds, on every pass of a run's yields. A flat list of rows of one
// height needs neither: appended rows are taken in at most so often that the
// layouts take about a tenth of the time, and a change is repainted when it
// shows, without a look-up.
//
// With the focus, the current row shows as selected: it is the row a key acts
// on (the input list removes it), and the style marks it with a faint tint at
// most.
class ListView final : public QTreeView {
  Q_OBJECT

 public:
  explicit ListView(QWidget* parent = nullptr);

  // When set, every key press goes to keyDown instead of moving the current row.
  void SetTakesAllKeys(bool takes) { takesAllKeys_ = takes; }

 Q_SIGNALS:
  void dblClick();
  void keyDown(QKeyEvent* event);
  void mouseMoved();
  // The handler accepts or ignores the event; ignoring refuses the drop.
  void oleDragOver(QDragMoveEvent* event);
  void oleDragDrop(QDropEvent* event);

 public Q_SLOTS:
  void doItemsLayout() override;

 protected:
  void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
  void resizeEvent(QResizeEvent* event) override;
  void rowsInserted(const QModelIndex& parent, int start, int end) override;
  void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles = {}) override;
  void timerEvent(QTimerEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  class WholeFrame;

  WholeFrame* wholeFrame_;
  bool takesAllKeys_ = false;
  QBasicTimer takeInRows_;
  qint64 lastLayoutNs_ = 0;
};

}  // namespace vistarel
