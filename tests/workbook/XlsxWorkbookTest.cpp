#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <map>

#include "base/Failure.h"
#include "support/FailureOf.h"
#include "support/SheetReader.h"
#include "support/TempTree.h"
#include "workbook/XlsxCellText.h"
#include "workbook/XlsxWorkbook.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

TEST(CellText, SpellsOutWhatXmlCannotCarryAndProtectsLiteralEscapes) {
  EXPECT_EQ(CellTextBytes(u"plain text, ünïcode"_s), u"plain text, ünïcode"_s.toUtf8());
  EXPECT_EQ(CellTextBytes(u"a\tb\nc"_s), QByteArray("a\tb\nc"));
  EXPECT_EQ(CellTextBytes(u"a\r\nb"_s), QByteArray("a_x000D_\nb"));
  EXPECT_EQ(CellTextBytes(QString(u"\x01\x1f"_s) + QChar(0) + QChar(0xFFFF)),
            QByteArray("_x0001__x001F__x0000__xFFFF_"));
  EXPECT_EQ(CellTextBytes(u"_x0041_ and _X00e9_ but _x00G1_ and _x41_"_s),
            QByteArray("_x005F_x0041_ and _x005F_X00e9_ but _x00G1_ and _x41_"));
  EXPECT_EQ(CellTextBytes(QString(QChar(0xD800)) + u"a"_s), QByteArray("\xEF\xBF\xBD"
                                                                       "a"));
  const QString clef = QString::fromUcs4(U"\U0001D11E");
  EXPECT_EQ(CellTextBytes(clef), clef.toUtf8());
}

TEST(CellText, CutsAtTheCellLimitWithoutSplittingACharacter) {
  EXPECT_EQ(CellTextFit(QString(kMaxCellCharacters, u'a')), kMaxCellCharacters);
  EXPECT_EQ(CellTextFit(QString(40000, u'a')), kMaxCellCharacters);
  // Spelled-out controls take seven characters of the cell each.
  EXPECT_EQ(CellTextFit(QString(10000, QChar(1))), kMaxCellCharacters / 7);
  // A pair of surrogates straddling the limit is left out whole.
  QString pairs = QString(kMaxCellCharacters - 1, u'a') + QString::fromUcs4(U"\U0001D11E");
  EXPECT_EQ(CellTextFit(pairs), kMaxCellCharacters - 1);
}

TEST(CellText, MeasuresTheLongestLineWithWideCharactersCountingTwice) {
  EXPECT_EQ(CellTextWidth(u"abc"_s), 3);
  EXPECT_EQ(CellTextWidth(u"ab\nabcdef\nabcd"_s), 6);
  EXPECT_EQ(CellTextWidth(u"日本語"_s), 6);
  EXPECT_EQ(CellTextWidth(u"e\u0301"_s), 1);  // a combining accent takes no room
  EXPECT_EQ(CellTextWidth(QString()), 0);
}

// Workbooks written in a folder of their own and read back from their files.
class Workbook : public testing::Test {
 protected:
  QString Path(const QString& name = u"book.xlsx"_s) const { return tree.Path(name); }
  test::ReadSheet CloseAndRead(XlsxWorkbook& book) const {
    book.Close();
    test::ReadSheet sheet = test::ReadXlsx(book.Path());
    EXPECT_TRUE(sheet.error.isEmpty()) << sheet.error.toStdString();
    return sheet;
  }
  QStringList Entries() const {
    return QDir(tree.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }
  // The files this process holds open in the folder, with their sizes.
  std::map<QString, qint64> OpenScratchFiles() const {
    std::map<QString, qint64> open;
    for (const QFileInfo& fd : QDir(u"/proc/self/fd"_s).entryInfoList(QDir::Files | QDir::System)) {
      const QString target = fd.symLinkTarget();
      if (target.startsWith(tree.root()))
        open[target] = QFileInfo(fd.filePath()).size();
    }
    return open;
  }

  test::TempTree tree;
};

TEST_F(Workbook, WritesEveryCellAsTextRowByRowInAnyOrderWithinARow) {
  XlsxWorkbook book(Path(), tree.root());
  const std::map<std::pair<int, int>, QString> cells = {
      {{1, 1}, u"=SUM(A2:A3)"_s},
      {{1, 2}, u"General - Format"_s},
      {{2, 1}, u"=1+1"_s},
      {{2, 2}, u"12345"_s},
      {{2, 3}, u"  padded & <tagged> \"quoted\"  "_s},
      {{3, 1}, u"/videos/a\r\nb.mp4"_s},
      {{3, 2}, QString(u"bell\x07 and nul"_s) + QChar(0)},
      {{3, 3}, u"_x0041_ stays"_s},
      {{3, 4}, u"日本語 ünï 🎬"_s},
      {{40, 700}, u"far away"_s},
  };
  // Each row's cells backwards: within a row, nothing depends on the order.
  for (auto row = cells.begin(); row != cells.end();) {
    auto next = cells.upper_bound({row->first.first, XlsxWorkbook::kMaxColumns});
    for (auto it = std::make_reverse_iterator(next); it != std::make_reverse_iterator(row); ++it)
      book.SetCell(it->first.first, it->first.second, it->second);
    if (row->first.first == 2) {
      book.SetCell(2, 5, u"overwritten"_s);
      book.SetCell(2, 5, QString());
    }
    row = next;
  }
  book.AutofitColumns();

  const test::ReadSheet sheet = CloseAndRead(book);
  EXPECT_EQ(sheet.cells, cells);
  EXPECT_EQ(sheet.formulas, 0);
  EXPECT_EQ(sheet.cellsNotText, 0);
  // The longest text plus one; the file stores widths with the font's padding.
  EXPECT_NEAR(sheet.widths.at(1), 12.0, 1.0);
  EXPECT_NEAR(sheet.widths.at(2), 17.0, 1.0);
  EXPECT_EQ(sheet.widths.count(5), 0u);  // emptied again: not fitted
  // The writer's scratch files are gone.
  EXPECT_EQ(Entries(), QStringList{u"book.xlsx"_s});
}

TEST_F(Workbook, AutofitMeasuresTheRowsWrittenSoFarTheLatestToo) {
  const struct {
    const char* fitted;
    bool fitAfterLongRow;
    double width;  // of column 1
  } cases[] = {
      {"before the long row", false, 6.0},
      {"after the long row", true, XlsxWorkbook::kMaxColumnWidth},
  };
  for (const auto& fit : cases) {
    XlsxWorkbook book(Path(QString::fromLatin1(fit.fitted) + u".xlsx"_s), tree.root());
    book.SetCell(1, 1, u"short"_s);
    book.AutofitColumns();  // row 1 is still being written
    book.SetCell(2, 1, QString(300, u'w'));
    book.SetCell(3, 2, u"x"_s);
    if (fit.fitAfterLongRow)
      book.AutofitColumns();
    const test::ReadSheet sheet = CloseAndRead(book);
    EXPECT_NEAR(sheet.widths.at(1), fit.width, 1.0) << fit.fitted;
    EXPECT_EQ(sheet.widths.count(2), fit.fitAfterLongRow ? 1u : 0u) << fit.fitted;
  }
}

TEST_F(Workbook, TooLongTextKeepsWhatFitsAndTheCutIsReported) {
  XlsxWorkbook book(Path(), tree.root());
  const QString longText = QString(kMaxCellCharacters, u'x') + u"tail"_s;
  EXPECT_TRUE(test::FailureOf([&] { book.SetCell(2, 3, longText); })
                  .description()
                  .contains(u"32771 characters"_s));
  EXPECT_EQ(CloseAndRead(book).cells.at({2, 3}), longText.left(kMaxCellCharacters));
}

TEST_F(Workbook, CellsOutsideTheSheetOrBeforeTheLatestRowFailAndLeaveItAlone) {
  XlsxWorkbook book(Path(), tree.root());
  EXPECT_THROW(book.SetCell(0, 1, u"x"_s), Failure);
  EXPECT_THROW(book.SetCell(1, XlsxWorkbook::kMaxColumns + 1, u"x"_s), Failure);
  EXPECT_THROW(book.SetCell(XlsxWorkbook::kMaxRows + 1, 1, u"x"_s), Failure);
  book.SetCell(3, 2, u"b"_s);
  book.SetCell(3, 1, u"a"_s);
  const Failure late = test::FailureOf([&] { book.SetCell(2, 7, u"late"_s); });
  EXPECT_TRUE(late.description().contains(u"row by row, and row 3 has begun"_s))
      << late.description().toStdString();
  book.SetCell(XlsxWorkbook::kMaxRows, XlsxWorkbook::kMaxColumns, u"last"_s);
  EXPECT_THROW(book.SetCell(3, 3, u"late"_s), Failure);
  const std::map<std::pair<int, int>, QString> expected = {
      {{3, 1}, u"a"_s},
      {{3, 2}, u"b"_s},
      {{XlsxWorkbook::kMaxRows, XlsxWorkbook::kMaxColumns}, u"last"_s}};
  EXPECT_EQ(CloseAndRead(book).cells, expected);
  EXPECT_THROW(book.SetCell(XlsxWorkbook::kMaxRows, 1, u"after"_s), Failure);
}

TEST_F(Workbook, RowsGoToTheScratchFileAsTheyComeAndAnUnclosedWorkbookLeavesNothing) {
  const auto before = OpenScratchFiles();
  {
    XlsxWorkbook book(Path(), tree.root());
    for (int row = 1; row <= 2000; ++row) {
      for (int column = 1; column <= 3; ++column)
        book.SetCell(row, column, u"/videos/clip %1 in column %2.mp4"_s.arg(row).arg(column));
    }
    auto open = OpenScratchFiles();
    for (const auto& [file, size] : before) open.erase(file);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_GT(open.begin()->second, 100000) << "the rows are held, not written";
  }
  EXPECT_EQ(OpenScratchFiles(), before);
  EXPECT_TRUE(Entries().isEmpty());
}

TEST_F(Workbook, AnUnwritableFileFailsWithThePath) {
  const QString path = Path(u"missing-folder/book.xlsx"_s);
  XlsxWorkbook book(path, tree.root());
  book.SetCell(1, 1, u"x"_s);
  EXPECT_TRUE(test::FailureOf([&] { book.Close(); }).description().contains(path));
}

}  // namespace
}  // namespace vistarel
