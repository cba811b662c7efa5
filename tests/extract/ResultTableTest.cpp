#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include "base/Failure.h"
#include "extract/ResultColumns.h"
#include "extract/ResultTableModel.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

class ResultTable : public testing::Test {
 protected:
  void SetUp() override {
    for (const FixedColumn& column : FixedColumns()) {
      table.AppendColumn(QString::fromUtf16(column.header));
    }
  }
  ResultTableModel table;
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

TEST_F(ResultTable, ColumnNumbersStopAtTheSixteenBitLimit) {
  while (table.ColumnCount() < ResultTableModel::kMaxColumns) table.AppendColumn(u"c"_s);
  EXPECT_THROW(table.AppendColumn(u"one too many"_s), Failure);
  EXPECT_EQ(table.ColumnCount(), ResultTableModel::kMaxColumns);
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
