#include <QCoreApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include "gui/ListView.h"
#include "gui/MousePointer.h"
#include "gui/ProgressBar.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace mouse_pointer;

// Moves the pointer over a widget as the window system would: a plain move,
// no button held.
void MoveOver(QWidget* widget) {
  const QPointF at(2, 2);
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

class Pointer : public testing::Test {
 protected:
  test::TestPlatform fakes;
  std::unique_ptr<Form1> form = fakes.MakeForm();
};

TEST_F(Pointer, HandOverButtonsArrowOverTablesAndBackground) {
  MoveOver(form->PushButton(3));
  EXPECT_EQ(form->MousePointer(), kCustom);
  EXPECT_EQ(form->cursor().shape(), Qt::PointingHandCursor);  // no hand image beside us
  MoveOver(form->ListView1()->viewport());
  EXPECT_EQ(form->MousePointer(), kDefault);
  MoveOver(form->PushButton(9));
  MoveOver(form->ListView2()->viewport());
  EXPECT_EQ(form->MousePointer(), kDefault);
  MoveOver(form->PushButton(1));
  MoveOver(form.get());
  EXPECT_EQ(form->MousePointer(), kDefault);
  EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

// A table's column header is part of the table.
TEST_F(Pointer, ArrowOverEitherTablesColumnHeader) {
  for (ListView* table : {form->ListView1(), form->ListView2()}) {
    MoveOver(form->PushButton(7));
    ASSERT_EQ(form->MousePointer(), kCustom);
    MoveOver(table->header()->viewport());
    EXPECT_EQ(form->MousePointer(), kDefault);
    // Without tracking, the window system sends no moves without a button held.
    EXPECT_TRUE(table->header()->viewport()->hasMouseTracking());
  }
  form->SetMousePointer(kBusy);
  MoveOver(form->ListView1()->header()->viewport());
  EXPECT_EQ(form->MousePointer(), kBusy);
}

TEST_F(Pointer, TheProgressBarKeepsTheHandUntilATableOrTheBackground) {
  MoveOver(form->PushButton(2));
  MoveOver(form->ProgressBar1());
  EXPECT_EQ(form->MousePointer(), kCustom);
  MoveOver(form->ListView2()->viewport());
  EXPECT_EQ(form->MousePointer(), kDefault);
}

TEST_F(Pointer, NothingOverridesTheHourglass) {
  form->SetMousePointer(kBusy);
  for (int button = 1; button <= 10; ++button) MoveOver(form->PushButton(button));
  MoveOver(form->ListView1()->viewport());
  MoveOver(form->ListView2()->viewport());
  MoveOver(form.get());
  EXPECT_EQ(form->MousePointer(), kBusy);
  EXPECT_EQ(form->cursor().shape(), Qt::WaitCursor);
}

}  // namespace
}  // namespace vistarel
