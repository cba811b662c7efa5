// "Clear List" under the result table: removes every row, keeps every column.
#include "extract/ResultTableModel.h"
#include "report/HandlerGuard.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

void Form1::PushButton6_Click() {
  // Refused while a run fills rows or an export reads them.
  if (!resultTableUse_.IsFree())
    return;
  HandlerGuard guard(*platform_.dialogs, u"PushButton6_Click"_s);
  guard.Run([&] { guard.Step(100, [&] { resultTable_->RemoveAllRows(); }); });
}

}  // namespace vistarel
