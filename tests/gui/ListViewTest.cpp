#include <QAbstractTableModel>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/ListView.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

// Rows that cost nothing to hold, as many as a long run makes.
class CountedRows final : public QAbstractTableModel {
 public:
  explicit CountedRows(int rows) : rows_(rows) {}
  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 3; }
  QVariant data(const QModelIndex& index, int role) const override {
    return role == Qt::DisplayRole ? QVariant(u"%1.%2"_s.arg(index.row()).arg(index.column()))
                                   : QVariant();
  }
  void Append() {
    beginInsertRows({}, rows_, rows_);
    ++rows_;
    endInsertRows();
  }
  void Change(int row) { Q_EMIT dataChanged(index(row, 0), index(row, 2), {Qt::DisplayRole}); }

 private:
  int rows_;
};

// Gathers what the paints of the rows covered.
class PaintCounter final : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint)
      painted += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
  QRegion painted;
};

// Half a million rows: laying them out takes long enough that the view takes
// appended rows in later, in bursts.
class LongListView : public testing::Test {
 protected:
  void SetUp() override {
    view.setModel(&model);
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QCoreApplication::processEvents();
  }
  int LastRow() const { return model.rowCount() - 1; }
  bool Shows(int row) { return view.visualRect(model.index(row, 0)).isValid(); }

  CountedRows model{500000};
  ListView view;
};

TEST_F(LongListView, AppendedRowsReachTheViewAndAKeyFindsThemAtOnce) {
  for (int i = 0; i < 3; ++i) model.Append();
  view.setCurrentIndex(model.index(0, 0));
  QTest::keyClick(&view, Qt::Key_End);
  EXPECT_EQ(view.currentIndex().row(), LastRow());

  for (int i = 0; i < 3; ++i) model.Append();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Shows(LastRow()); }, 3000));
}

TEST_F(LongListView, AChangedRowIsRepaintedWhenItShows) {
  PaintCounter counter;
  view.viewport()->installEventFilter(&counter);
  // A pixel asked to be painted after each change: its paint says the view
  // has caught up, and alone it paints nothing else.
  const QRect marker(0, 0, 1, 1);
  const struct {
    int row;
    bool repainted;
  } changes[] = {{3, true}, {1, true}, {400000, false}, {0, true}};
  for (const auto& change : changes) {
    counter.painted = {};
    model.Change(change.row);
    view.viewport()->update(marker);
    ASSERT_TRUE(QTest::qWaitFor([&] { return counter.painted.contains(marker); }, 5000));
    if (change.repainted) {
      EXPECT_TRUE(counter.painted.contains(view.visualRect(model.index(change.row, 0))))
          << "row " << change.row;
    } else {
      EXPECT_EQ(counter.painted, QRegion(marker)) << "row " << change.row;
    }
  }
}

}  // namespace
}  // namespace vistarel
