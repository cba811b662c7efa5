#include <QAccessible>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

#include "gui/ListView.h"
#include "gui/ProgressBar.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

// What a screen reader is told, read through Qt's own accessibility interface.
std::string Read(QObject* object, QAccessible::Text text = QAccessible::Name) {
  return QAccessible::queryAccessibleInterface(object)->text(text).toStdString();
}

class Accessibility : public testing::Test {
 protected:
  test::TestPlatform fakes;
  std::unique_ptr<Form1> form = fakes.MakeForm();
};

TEST_F(Accessibility, NamesAndDescriptionsAreWhatAScreenReaderNeeds) {
  EXPECT_EQ(QAccessible::queryAccessibleInterface(form.get())->role(), QAccessible::Window);
  const struct {
    QWidget* control;
    std::string name, description;
  } expected[] = {
      {form.get(), "Vistarel", ""},
      {form->ListView1(), "Video File/s", form->ListView1()->toolTip().toStdString()},
      {form->ListView2(), "Results", form->ListView2()->toolTip().toStdString()},
      {form->PushButton(7), "Clear List: video files", ""},
      {form->PushButton(6), "Clear List: results", ""},
      {form->ProgressBar1(), "Progress Bar", ""},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(Read(e.control), e.name);
    EXPECT_EQ(Read(e.control, QAccessible::Description), e.description) << e.name;
  }
}

TEST_F(Accessibility, ProgressBarNameFollowsItsCaptionAtMostOnceAFrame) {
  ProgressBar* bar = form->ProgressBar1();
  QTest::qWait(50);  // the start-up caption's frame is over
  QElapsedTimer sinceFirst;
  sinceFirst.start();
  for (int i = 0; i <= 1000; ++i) bar->SetCaption(u"Processing: "_s + QString::number(i));
  EXPECT_EQ(Read(bar), "Processing: 0") << "the first of a burst is named at once, the rest wait";
  EXPECT_TRUE(QTest::qWaitFor([&] { return Read(bar) == "Processing: 1000"; }, 1000));
  EXPECT_GE(sinceFirst.elapsed(), 15);
}

}  // namespace
}  // namespace vistarel
