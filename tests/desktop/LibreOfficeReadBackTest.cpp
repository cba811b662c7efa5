#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include <gtest/gtest.h>

#include "desktop/XlsxSpreadsheet.h"
#include "support/TempTree.h"
#include "workbook/XlsxWorkbook.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

// Rows of fields of a comma-separated text with quoted fields.
std::vector<QStringList> ParseCsv(const QString& text) {
  std::vector<QStringList> rows(1);
  QString field;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
        field += u'"';
        ++i;
      } else if (c == u'"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == u'"') {
      quoted = true;
    } else if (c == u',') {
      rows.back() += field;
      field.clear();
    } else if (c == u'\n') {
      rows.back() += field;
      field.clear();
      rows.emplace_back();
    } else if (c != u'\r') {
      field += c;
    }
  }
  if (rows.back().isEmpty() && field.isEmpty())
    rows.pop_back();
  return rows;
}

// The written file as the spreadsheet program itself reads it, where LibreOffice
// Calc is installed.
TEST(LibreOfficeReadBack, CalcReadsEveryCellAsItWasGiven) {
  const auto program = FindSpreadsheetProgram(
      {SystemPathLookup(), [](const QString&) { return std::optional<DesktopApplication>(); }});
  if (!program || program->arguments.value(0) != u"-n"_s) {
    GTEST_SKIP() << "LibreOffice Calc is not installed; the file's XML is checked elsewhere";
  }
  test::TempTree tree;
  const QString file = tree.Path(u"book.xlsx"_s);
  XlsxWorkbook book(file, tree.root());
  const std::vector<QStringList> cells = {
      {u"=SUM(A2:A3)"_s, u"=1+1"_s, u"General - Format"_s},
      {u"_x0041_ stays"_s, u"line one\nline two"_s, u"bell\x07 and tab\t"_s},
      {u"12345"_s, u"日本語 ünï 🎬"_s, u"2016-11-03"_s},
  };
  for (size_t r = 0; r < cells.size(); ++r) {
    for (qsizetype c = 0; c < cells[r].size(); ++c) {
      book.SetCell(static_cast<int>(r) + 1, static_cast<int>(c) + 1, cells[r][c]);
    }
  }
  book.Close();

  QProcess soffice;
  soffice.start(
      program->program,
      {u"-env:UserInstallation="_s + QUrl::fromLocalFile(tree.Path(u"profile"_s)).toString(),
       u"--headless"_s, u"--convert-to"_s, u"csv:Text - txt - csv (StarCalc):44,34,76"_s,
       u"--outdir"_s, tree.Folder(u"out"_s), file});
  ASSERT_TRUE(soffice.waitForFinished(240000));
  QFile csv(tree.Path(u"out/book.csv"_s));
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly)) << soffice.readAllStandardError().toStdString();
  EXPECT_EQ(ParseCsv(QString::fromUtf8(csv.readAll())), cells);
}

}  // namespace
}  // namespace vistarel
