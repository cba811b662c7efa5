// The input list's own handlers: removal of the current entry and "Clear List".
#include <QKeyEvent>

#include "filelist/InputListModel.h"
#include "gui/ListView.h"
#include "gui/MousePointer.h"
#include "report/HandlerGuard.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

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

void Form1::PushButton7_Click() {
  HandlerGuard guard(*platform_.dialogs, u"PushButton7_Click"_s);
  guard.Run([&] { guard.Step(100, [&] { inputList_->Clear(); }); });
}

}  // namespace vistarel
