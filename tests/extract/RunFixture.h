#pragma once

#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "desktop/FactsShellFolder.h"
#include "desktop/HelperFileSystem.h"
#include "extract/ResultColumns.h"
#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "gui/ProgressBar.h"
#include "media/MediaWorkers.h"
#include "support/InProcessReader.h"
#include "support/SpecialFiles.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"
#include "worker/LinuxFileSystem.h"

namespace vistarel::test {

// The real main window on fakes, a folder tree for the files of a run, and
// ways to look at what a run did. A test may give the window real media
// workers instead, or the workers' parse made in the test's own process.
class RunFixture : public testing::Test {
 protected:
  RunFixture() { Watch(); }
  // The window goes before the platform objects it was made on.
  ~RunFixture() override { form.reset(); }

  // From now on the window reads through media workers, with the file system
  // and the shell the program pairs with them: the workers' facts, and
  // helpers for the walks and the text save, which give up after
  // `walkStallLimit` without progress.
  void UseWorkers(MediaWorkers& workers,
                  std::chrono::milliseconds walkStallLimit = std::chrono::seconds(30)) {
    const HelperCommand worker{QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel-media-worker"), {}};
    Use(workers, Keep(std::make_unique<HelperFileSystem>(worker, walkStallLimit)),
        Keep(std::make_unique<FactsShell>()));
  }
  // From now on the window's own process parses the files on `library`, as a
  // worker would, and looks at the disk itself.
  void UseInProcessLibrary(IMediaLibrary& library) {
    Use(Keep(std::make_unique<InProcessReader>(library)), Keep(std::make_unique<LinuxFileSystem>()),
        Keep(std::make_unique<FactsShell>()));
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

  // Runs `action` once, as soon as `condition` holds, looking every 10 ms
  // while the window handles events (its yields included).
  void When(std::function<bool()> condition, std::function<void()> action) {
    auto* watch = new QTimer(form.get());
    QObject::connect(watch, &QTimer::timeout, form.get(),
                     [watch, condition = std::move(condition), action = std::move(action)] {
                       if (!condition())
                         return;
                       watch->stop();
                       watch->deleteLater();
                       action();
                     });
    watch->start(10);
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
  std::vector<int> ReportedLines() { return fakes.dialogs.ReportedLines(); }
  QStringList Messages() { return fakes.dialogs.MessageTexts(); }

  TempTree tree;
  TestPlatform fakes;
  std::unique_ptr<Form1> form = fakes.MakeForm();
  std::vector<double> progress;  // every value the bar showed, in order

 private:
  void Watch() {
    QObject::connect(form->ProgressBar1(), &QProgressBar::valueChanged, form.get(),
                     [this](int shown) { progress.push_back(shown / 10.0); });
  }
  void Use(IFileReader& reader, IFileSystem& files, IShell& folders) {
    Platform platform = fakes.platform();
    platform.fileReader = &reader;
    platform.fileSystem = &files;
    platform.shell = &folders;
    form = std::make_unique<Form1>(platform);
    form->Pump().SetInterval(15);
    Watch();
  }
  // Keeps a platform object for as long as the fixture, and the windows made on it.
  template <class T>
  T& Keep(std::unique_ptr<T> object) {
    T& kept = *object;
    kept_.push_back(std::shared_ptr<void>(std::move(object)));
    return kept;
  }
  std::vector<std::shared_ptr<void>> kept_;
};

}  // namespace vistarel::test
