#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

// What the handlers leave behind: boxes, dialogs, spreadsheet calls, and rows
// and entries cleared. It grows whenever one of them runs.
int Trace(const test::TestPlatform& f, const Form1& w) {
  const auto& d = f.dialogs;
  return int(d.boxes.size() + d.openDialogs.size() + d.inputBoxes.size() + d.saveDialogs.size() +
             f.spreadsheet.calls.size()) -
         w.ResultTable().RowCount() - w.InputList().Count();
}

std::unique_ptr<Form1> ShownForm(const test::TestPlatform& fakes) {
  auto form = fakes.MakeForm();
  form->show();
  form->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
  return form;
}

TEST(Keyboard, ReturnAndKeypadEnterPressTheFocusedButtonOnceAsAClickDoes) {
  for (const QKeyCombination enter :
       {QKeyCombination(Qt::Key_Return), Qt::KeypadModifier | Qt::Key_Enter}) {
    for (int number = 1; number <= 10; ++number) {
      SCOPED_TRACE(testing::Message() << "PushButton" << number << ", key " << enter.key());
      test::TestPlatform fakes;
      const auto form = ShownForm(fakes);
      form->ResultTable().AddRow(u"/v/a.mp4"_s);
      if (number == 7)  // one to clear; with an entry, Start would run rather than say "none"
        form->InputList().Append(u"/v/a.mp4"_s);
      QPushButton* button = form->PushButton(number);
      button->setFocus();
      const QSignalSpy clicks(button, &QPushButton::clicked);
      const int before = Trace(fakes, *form);
      QTest::keyClick(form->windowHandle(), enter.key(), enter.keyboardModifiers());
      EXPECT_EQ(clicks.count(), 1);
      EXPECT_GT(Trace(fakes, *form), before);
      // A held key repeats; the repeats press nothing more.
      QKeyEvent repeat(QEvent::KeyPress, enter.key(), enter.keyboardModifiers(), QString(), true);
      QCoreApplication::sendEvent(button, &repeat);
      EXPECT_EQ(clicks.count(), 1);
    }
  }
}

}  // namespace
}  // namespace vistarel
