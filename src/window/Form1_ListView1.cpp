// The input list's own handlers: removal of the current entry.
#include <QKeyEvent>

#include "filelist/InputListModel.h"
#include "gui/ListView.h"
#include "gui/MousePointer.h"
#include "window/Form1.h"

namespace vistarel {

namespace {

// Removes the current entry, unless a long operation runs (the hourglass) or
// there is no current entry.
void RemoveCurrentEntry(const Form1& window) {
  if (window.MousePointer() == mouse_pointer::kBusy)
    return;
  InputListModel& list = window.InputList();
  if (list.Count() < 1)
    return;
  const QModelIndex current = window.ListView1()->currentIndex();
  if (!current.isValid())
    return;
  list.Remove(current.row() + 1);
}

}  // namespace

void Form1::ListView1_DblClick() {
  RemoveCurrentEntry(*this);
}

// Any key removes the current entry, whatever the key.
void Form1::ListView1_KeyDown(QKeyEvent* /*event*/) {
  RemoveCurrentEntry(*this);
}

}  // namespace vistarel
