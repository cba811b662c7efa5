// "Clear List" under the input list: removes every entry.
#include "filelist/InputListModel.h"
#include "report/HandlerGuard.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

void Form1::PushButton7_Click() {
  HandlerGuard guard(*platform_.dialogs, u"PushButton7_Click"_s);
  guard.Run([&] { guard.Step(100, [&] { inputList_->Clear(); }); });
}

}  // namespace vistarel
