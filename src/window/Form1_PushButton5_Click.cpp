// "Help"
#include "base/Addresses.h"
#include "platform/Dialogs.h"
#include "report/HandlerGuard.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {
QString HelpText() {
  return u"Questions? Please contact Team Quorvane at "_s + QString::fromUtf16(kContactPage);
}
}  // namespace

void Form1::PushButton5_Click() {
  HandlerGuard guard(*platform_.dialogs, u"PushButton5_Click"_s);
  guard.Run([&] {
    guard.Step(100, [&] {
      platform_.dialogs->MessageBox(HelpText(), QString::fromUtf16(kProductName), BoxIcon::None,
                                    BoxButtons::Ok);
    });
  });
}

}  // namespace vistarel
