#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include <map>

#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "extract/ResultColumns.h"
#include "extract/ResultTableModel.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

// The 50 fixed columns.
class ResultCells : public testing::Test {
 protected:
  void SetUp() override {
    for (const FixedColumn& column : FixedColumns()) {
      table.AppendColumn(QString::fromUtf16(column.header));
    }
  }
  ResultTableModel table;
};

// The same, checked as a model on every change.
class ResultTable : public ResultCells {
 protected:
  QAbstractItemModelTester tester{&table, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(ResultTable, ColumnIndexOfIsExactAndOneBased) {
  EXPECT_EQ(table.ColumnIndexOf(u"Video - Codec"_s), 10);
  EXPECT_EQ(table.ColumnIndexOf(u"video - codec"_s), -1);
  EXPECT_EQ(table.ColumnIndexOf(u"Video - Codec "_s), -1);
  EXPECT_EQ(table.ColumnIndexOf(u"no such header"_s), -1);
  EXPECT_EQ(table.ColumnIndexOf(u"Video File/s"_s), 1);
}

TEST_F(ResultTable, RunTimeColumnsComeAndGoBehindTheFixedOnes) {
  const int row = table.AddRow(u"/v/a.mp4"_s);
  table.AppendColumn(u"File General - Length"_s);
  table.SetSubItem(row, table.ColumnCount() - 1, u"0:00:05"_s);
  table.AppendColumn(u"File General - Others"_s);
  EXPECT_EQ(table.ColumnIndexOf(u"File General - Length"_s), 51);
  EXPECT_EQ(table.Cell(row, 51), u"0:00:05"_s);

  table.RemoveColumnsAfter(kFixedColumnCount);
  EXPECT_EQ(table.ColumnCount(), 50);
  EXPECT_EQ(table.ColumnIndexOf(u"File General - Length"_s), -1);
  // A column made again starts empty, also in rows that held a value before.
  table.AppendColumn(u"File General - Length"_s);
  EXPECT_EQ(table.Cell(row, 51), QString());
}

TEST_F(ResultTable, CellsAreTextAndReadingOutsideTheTableGivesEmptyText) {
  const int row = table.AddRow(u"/v/a.mp4"_s);
  table.SetSubItem(row, 1, u"MPEG-4"_s);
  table.SetSubItem(row, 49, u"MPEG-4 video; mp4"_s);
  EXPECT_EQ(table.Cell(row, 1), u"/v/a.mp4"_s);
  EXPECT_EQ(table.Cell(row, 2), u"MPEG-4"_s);
  EXPECT_EQ(table.SubItem(row, 49), u"MPEG-4 video; mp4"_s);
  EXPECT_EQ(table.Cell(row, 30), QString());
  EXPECT_EQ(table.Cell(row, 500), QString());
  EXPECT_EQ(table.Cell(2, 1), QString());
  EXPECT_EQ(table.Cell(0, 0), QString());
  EXPECT_EQ(table.SubItem(-1, -1), QString());
  EXPECT_FALSE(table.Included(7));
  EXPECT_THROW(table.SetSubItem(row, 50, u"x"_s), Failure);  // past the last column
  EXPECT_THROW(table.SetSubItem(2, 1, u"x"_s), Failure);
}

TEST_F(ResultTable, RowsCarryTheIncludedFlag) {
  const int a = table.AddRow(u"a"_s);
  const int b = table.AddRow(u"b"_s);
  EXPECT_FALSE(table.Included(a));
  table.SetIncluded(b, true);
  EXPECT_FALSE(table.Included(a));
  EXPECT_TRUE(table.Included(b));
}

TEST_F(ResultTable, RemoveAllRowsKeepsTheColumns) {
  table.AppendColumn(u"File General - Length"_s);
  table.AddRow(u"a"_s);
  table.RemoveAllRows();
  EXPECT_EQ(table.RowCount(), 0);
  EXPECT_EQ(table.ColumnCount(), 51);
}

// A table cleared after a long run lets its rows go apart from the window;
// the next run's rows, with the same texts shared down a column, read as written.
TEST_F(ResultCells, AClearedTableOfAnySizeTakesNewRowsAsIfNew) {
  for (const int rows : {1, 60000}) {
    for (int n = 1; n <= rows; ++n) {
      const int row = table.AddRow(u"/v/%1.mp4"_s.arg(n));
      table.SetSubItem(row, 1, u"MPEG-4"_s);
      table.SetSubItem(row, 2, u"note %1"_s.arg(n));
    }
    table.RemoveAllRows();
    EXPECT_EQ(table.RowCount(), 0) << rows;
    EXPECT_EQ(table.Cell(1, 1), QString()) << rows;

    const int row = table.AddRow(u"/w/b.mp4"_s);
    table.SetSubItem(row, 2, u"MPEG-4"_s);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(table.Cell(row, 1), u"/w/b.mp4"_s) << rows;
    EXPECT_EQ(table.Cell(row, 2), QString()) << rows;
    EXPECT_EQ(table.Cell(row, 3), u"MPEG-4"_s) << rows;
    table.RemoveAllRows();
  }
}

TEST_F(ResultTable, ColumnNumbersStopAtTheSixteenBitLimit) {
  while (table.ColumnCount() < ResultTableModel::kMaxColumns) table.AppendColumn(u"c"_s);
  EXPECT_THROW(table.AppendColumn(u"one too many"_s), Failure);
  EXPECT_EQ(table.ColumnCount(), ResultTableModel::kMaxColumns);
}

// Cells are kept where they cost least: shared down the column, as a part of
// the row's path, or in the row itself. Each reads back as written, through
// every read, also after being written again in the last row or an earlier one.
TEST_F(ResultCells, EveryCellReadsBackAsWrittenWhereverItIsKept) {
  constexpr int kRows = SharedTexts::kMost + 300;  // past what a column shares
  const QString longPath = u"/v/"_s + QString(40000, u'p') + u"/long.mp4"_s;
  std::map<std::pair<int, int>, QString> written;
  const auto write = [&](int row, int subItem, const QString& text) {
    table.SetSubItem(row, subItem, text);
    written[{row, subItem + 1}] = text;
  };
  for (int r = 1; r <= kRows; ++r) {
    const QString path = r == 7 ? longPath : u"/videos/take %1/clip %2.mp4"_s.arg(r % 3).arg(r);
    written[{table.AddRow(path), 1}] = path;
    const struct {
      int subItem;
      QString text;
    } cells[] = {
        {1, u"MPEG-4"_s},                                   // repeats down the column
        {2, u"%1 MiB"_s.arg(r)},                            // shared, then the row's own
        {3, QString(r % 100 == 0 ? 40000 : 5, QChar(u'a' + r % 26)) + QString::number(r)},
        {4, u"clip %1"_s.arg(r)},                           // inside the path
        {5, QString()},
        {39, FileNameOf(path)},
        {45, FolderOf(path)},
        {47, path},
        {48, path + u"x"_s},                                // longer than the path
    };
    for (const auto& cell : cells) write(r, cell.subItem, cell.text);
    // Written again in the row being filled, and in an earlier row.
    if (r % 97 == 0)
      write(r, 2, u"again %1"_s.arg(r));
    if (r % 89 == 0)
      write(r / 2, r % 2 == 0 ? 2 : 48, u"later %1"_s.arg(r));
    if (r % 83 == 0)
      write(r / 3, 3, QString());
  }

  for (int r = 1; r <= kRows; ++r) {
    for (int column = 1; column <= table.ColumnCount(); ++column) {
      const auto found = written.find({r, column});
      const QString expected = found != written.end() ? found->second : QString();
      ASSERT_EQ(table.Cell(r, column), expected) << "row " << r << ", column " << column;
      ASSERT_EQ(table.CellView(r, column), expected) << "row " << r << ", column " << column;
    }
  }
}

TEST_F(ResultTable, ARemovedColumnTakesItsCellsAndLeavesTheOthersWhole) {
  table.AppendColumn(u"File General - Comment"_s);
  table.AppendColumn(u"File General - Tags"_s);
  for (int r = 1; r <= 3; ++r) {
    const int row = table.AddRow(u"/v/%1.mp4"_s.arg(r));
    for (int sub = 1; sub < table.ColumnCount(); ++sub) {
      // Texts of the row's own before and after the removed columns.
      table.SetSubItem(row, sub, QString(r + sub % 3, QChar(u'a' + sub % 26)) + QString::number(sub));
    }
  }
  const QString kept = table.Cell(2, 50);
  table.RemoveColumnsAfter(kFixedColumnCount);
  EXPECT_EQ(table.Cell(2, 50), kept);
  EXPECT_EQ(table.CellView(3, 2), table.Cell(3, 2));
  table.AppendColumn(u"File General - Comment"_s);
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(table.Cell(r, 51), QString()) << r;
  table.SetSubItem(3, 50, u"new"_s);
  EXPECT_EQ(table.Cell(3, 51), u"new"_s);
  EXPECT_EQ(table.Cell(3, 50), QString(3 + 49 % 3, QChar(u'a' + 49 % 26)) + u"49"_s);
}

TEST(ResultTableSize, HoldsManyRowsWithSparseCells) {
  ResultTableModel table;
  for (int column = 0; column < 200; ++column) table.AppendColumn(QString::number(column));
  for (int row = 1; row <= 100000; ++row) {
    table.AddRow(u"/videos/file.mp4"_s);
    table.SetSubItem(row, 1, u"MPEG-4"_s);
    table.SetSubItem(row, 199, u"last"_s);
  }
  EXPECT_EQ(table.RowCount(), 100000);
  EXPECT_EQ(table.Cell(100000, 200), u"last"_s);
  EXPECT_EQ(table.Cell(50000, 100), QString());
}

}  // namespace
}  // namespace vistarel
