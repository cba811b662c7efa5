// "Copy Results To Clipboard"
#include "base/Addresses.h"
#include "export/CopyListToClipboard.h"
#include "platform/Dialogs.h"
#include "report/HandlerGuard.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

void Form1::PushButton4_Click() {
  // The table is neither cleared nor refilled while this reads it.
  const ResultTableUse::Claim reading = resultTableUse_.ClaimToRead();
  HandlerGuard guard(*platform_.dialogs, u"PushButton4_Click"_s);
  guard.Run([&] {
    guard.Step(100, [&] { CopyListToClipboard(*resultTable_, *platform_.clipboard, pump_); });
    guard.Step(102, [&] {
      platform_.dialogs->MessageBox(CopiedMessage(), QString::fromUtf16(kProductName),
                                    BoxIcon::None, BoxButtons::Ok);
    });
  });
}

}  // namespace vistarel
