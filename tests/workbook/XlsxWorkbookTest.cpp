#include <QDir>

#include <gtest/gtest.h>

#include "base/Failure.h"
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

TEST(XlsxWorkbook, WritesEveryCellAsTextInAnyOrderAndReadsBackCellByCell) {
  XlsxWorkbook book;
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
  // Backwards, so that nothing depends on the order of arrival.
  for (auto it = cells.rbegin(); it != cells.rend(); ++it) {
    book.SetCell(it->first.first, it->first.second, it->second);
  }
  book.SetCell(2, 5, u"overwritten"_s);
  book.SetCell(2, 5, QString());
  book.AutofitColumns();

  test::TempTree tree;
  const QString path = tree.Path(u"book.xlsx"_s);
  book.Write(path, tree.root());
  const test::ReadSheet sheet = test::ReadXlsx(path);
  ASSERT_TRUE(sheet.error.isEmpty()) << sheet.error.toStdString();
  EXPECT_EQ(sheet.cells, cells);
  EXPECT_EQ(sheet.formulas, 0);
  EXPECT_EQ(sheet.cellsNotSharedStrings, 0);
  // The longest text plus one; the file stores widths with the font's padding.
  EXPECT_EQ(book.ColumnWidth(1), 12.0);
  EXPECT_EQ(book.ColumnWidth(2), 17.0);
  EXPECT_NEAR(sheet.widths.at(1), 12.0, 1.0);
  EXPECT_NEAR(sheet.widths.at(2), 17.0, 1.0);
  EXPECT_EQ(sheet.widths.count(5), 0u);  // emptied again: not fitted
  // The writer's scratch files are gone.
  EXPECT_EQ(QDir(tree.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{u"book.xlsx"_s});
}

TEST(XlsxWorkbook, AutofitMeasuresOnlyWhatIsThereWhenAsked) {
  XlsxWorkbook book;
  book.SetCell(1, 1, u"short"_s);
  book.AutofitColumns();
  book.SetCell(2, 1, QString(300, u'w'));
  EXPECT_EQ(book.ColumnWidth(1), 6.0);
  book.AutofitColumns();
  EXPECT_EQ(book.ColumnWidth(1), XlsxWorkbook::kMaxColumnWidth);
  EXPECT_EQ(book.ColumnWidth(2), 0.0);
}

TEST(XlsxWorkbook, TooLongTextKeepsWhatFitsAndTheCutIsReported) {
  XlsxWorkbook book;
  const QString longText = QString(kMaxCellCharacters, u'x') + u"tail"_s;
  try {
    book.SetCell(2, 3, longText);
    FAIL() << "the cut went unreported";
  } catch (const Failure& failure) {
    EXPECT_TRUE(failure.description().contains(u"32771 characters"_s));
  }
  EXPECT_EQ(book.Cell(2, 3), longText.left(kMaxCellCharacters));

  test::TempTree tree;
  book.Write(tree.Path(u"long.xlsx"_s), tree.root());
  EXPECT_EQ(test::ReadXlsx(tree.Path(u"long.xlsx"_s)).cells.at({2, 3}), book.Cell(2, 3));
}

TEST(XlsxWorkbook, CellsOutsideTheSheetFailAndLeaveItAlone) {
  XlsxWorkbook book;
  EXPECT_THROW(book.SetCell(0, 1, u"x"_s), Failure);
  EXPECT_THROW(book.SetCell(1, XlsxWorkbook::kMaxColumns + 1, u"x"_s), Failure);
  EXPECT_THROW(book.SetCell(XlsxWorkbook::kMaxRows + 1, 1, u"x"_s), Failure);
  book.SetCell(XlsxWorkbook::kMaxRows, XlsxWorkbook::kMaxColumns, u"last"_s);
  EXPECT_EQ(book.Cell(XlsxWorkbook::kMaxRows, XlsxWorkbook::kMaxColumns), u"last"_s);
}

TEST(XlsxWorkbook, AnUnwritableFileFailsWithThePath) {
  XlsxWorkbook book;
  book.SetCell(1, 1, u"x"_s);
  test::TempTree tree;
  const QString path = tree.Path(u"missing-folder/book.xlsx"_s);
  try {
    book.Write(path, tree.root());
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_TRUE(failure.description().contains(path));
  }
}

}  // namespace
}  // namespace vistarel
