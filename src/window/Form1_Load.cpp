// The start-up sequence of the main window.
#include <QIcon>

#include "base/Addresses.h"
#include "extract/ResultColumns.h"
#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "gui/ListView.h"
#include "gui/MousePointer.h"
#include "gui/Skin.h"
#include "gui/Splash.h"
#include "gui/StartupHelpers.h"
#include "report/HandlerGuard.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

void Form1::Form_Load() {
  HandlerGuard guard(*platform_.dialogs, u"Form_Load"_s);
  guard.Run([&] {
    guard.Step(102, [&] { ApplySkin(*this, platform_); });

    const QString handPointer = ProgramFile(platform_.programFolder, u"HAND-M.CUR"_s);
    if (guard.Test(104, [&] { return FileExists(handPointer); })) {
      guard.Step(106, [&] {
        handCursor_ = LoadCursorFile(handPointer);
        hasHandImage_ = true;
      });
    }

    guard.Step(108,
               [&] { MaybeOpenHomePage(*platform_.clock, *platform_.random, *platform_.launcher); });
    guard.Step(110, [&] { splash_->SplashShow(); });
    guard.Step(126, [&] { setWindowTitle(QString::fromUtf16(kProductName)); });
    guard.Step(126, [&] { setWindowIcon(QIcon(u":/vistarel/vistarel.png"_s)); });
    CreateColumns(guard);
  });
}

// The columns of both tables, each a numbered step of the start-up sequence.
void Form1::CreateColumns(HandlerGuard& guard) {
  guard.Step(128, [&] { inputList_->SetHeader(QString::fromUtf16(kInputListHeader)); });
  guard.Step(130, [&] { inputList_->SetColumnWidth(kInputListColumnWidth); });

  int line = 130;
  for (const FixedColumn& column : FixedColumns()) {
    line += 2;
    guard.Step(line, [&] { resultTable_->AppendColumn(QString::fromUtf16(column.header)); });
  }

  for (int column = 1; column <= static_cast<int>(kLeadingColumnWidths.size()); ++column) {
    line += 2;
    guard.Step(line, [&] {
      resultTable_->SetColumnWidth(column, kLeadingColumnWidths[static_cast<size_t>(column - 1)]);
    });
  }
}

}  // namespace vistarel
