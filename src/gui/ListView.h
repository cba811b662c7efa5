#pragma once

#include <QTreeView>

class QDragMoveEvent;
class QDropEvent;
class QKeyEvent;

namespace vistarel {

// A table in report view (rows under column headers) that passes the events the
// main window handles on to it: double-click anywhere, every key press, pointer
// moves (over the rows and over the column header), and drags and drops.
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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool takesAllKeys_ = false;
};

}  // namespace vistarel
