#pragma once

#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "extract/ResultColumns.h"
#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "gui/ProgressBar.h"
#include "support/SpecialFiles.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel::test {

// The real main window on fakes, a folder tree for the files of a run, and
// ways to look at what a run did.
class RunFixture : public testing::Test {
 protected:
  RunFixture() {
    QObject::connect(form->ProgressBar1(), &QProgressBar::valueChanged, form.get(),
                     [this](int shown) { progress.push_back(shown / 10.0); });
  }

  ResultTableModel& table() { return form->ResultTable(); }
  void Press() { form->PushButton(2)->click(); }

  // A copy of a committed sample at a path relative to the tree; added to the
  // input list.
  QString Add(const QString& sample, const QString& relative) {
    const QString path = tree.Path(relative);
    tree.Folder(relative.section(u'/', 0, -2));
    EXPECT_TRUE(CopyFileTo(TestDataPath(QStringLiteral("media/") + sample), path))
        << path.toStdString();
    form->InputList().Append(path);
    return path;
  }

  // Runs `action` once, at the first yield of the window from now on.
  void AtNextYield(std::function<void()> action) {
    QMetaObject::invokeMethod(form.get(), std::move(action), Qt::QueuedConnection);
  }
  // Runs `action` at the first yield at which the table has `rows` rows.
  void WhenRowsReach(int rows, std::function<void()> action, int passes = 1000) {
    AtNextYield([=, this] {
      if (table().RowCount() == rows)
        action();
      else if (passes > 0)
        WhenRowsReach(rows, action, passes - 1);
    });
  }

  // The cell of a row under the column with this header; empty without one.
  QString Cell(int row, const QString& header) {
    const int column = table().ColumnIndexOf(header);
    return column < 0 ? QString() : table().Cell(row, column);
  }
  QStringList RunTimeHeaders() {
    QStringList headers;
    for (int c = kFixedColumnCount + 1; c <= table().ColumnCount(); ++c)
      headers.append(table().HeaderText(c));
    return headers;
  }
  // The step numbers of the error reports shown, in order.
  std::vector<int> ReportedLines() {
    static const QRegularExpression line(QStringLiteral("PushButton2_Click at line (\\d+)"));
    std::vector<int> lines;
    for (const ShownBox& box : fakes.dialogs.ErrorReports())
      lines.push_back(line.match(box.text).captured(1).toInt());
    return lines;
  }
  QStringList Messages() { return fakes.dialogs.MessageTexts(); }

  TempTree tree;
  TestPlatform fakes;
  std::unique_ptr<Form1> form = fakes.MakeForm();
  std::vector<double> progress;  // every value the bar showed, in order
};

}  // namespace vistarel::test
