// The spreadsheet export of a large result table: 10,000 rows by 90 columns of
// text like the extraction produces, through the real .xlsx layer up to the
// written file; the program is never started. Prints seconds, and the peak of
// the resident memory above what the table holds.
//
//   spreadsheet_bench [rows] [columns]
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <malloc.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <memory>

#include "WindowBench.h"
#include "ProcessMemory.h"
#include "desktop/SystemClock.h"
#include "desktop/XlsxSpreadsheet.h"
#include "extract/ResultTableModel.h"
#include "gui/QtDialogs.h"
#include "platform/Clock.h"
#include "platform/Launcher.h"
#include "platform/SettingsStore.h"
#include "window/Form1.h"
#include "workbook/XlsxCellText.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

class NoSettings final : public ISettingsStore {
 public:
  QString Read(const QString&, const QString& defaultValue) override { return defaultValue; }
  void Write(const QString&, const QString&) override {}
};

// Never draws the home page.
class FixedRandom final : public IRandom {
 public:
  void Seed(double) override {}
  double Next() override { return 0.5; }
};

// A value of the kind column `column` holds for file `row`.
QString Value(int row, int column) {
  switch (column % 9) {
    case 0:
      return u"MPEG-4"_s;
    case 1:
      return u"%1 MiB"_s.arg(100 + row % 900);
    case 2:
      return u"00:%1:%2.%3"_s.arg(row % 60, 2, 10, QChar(u'0'))
          .arg(column % 60, 2, 10, QChar(u'0'))
          .arg(row % 1000);
    case 3:
      return u"AVC (Main@L4.1) = High profile"_s;
    case 4:
      return u"%1 x %2"_s.arg(640 + row % 1280).arg(360 + column * 4);
    case 5:
      return u"%1 kb/s"_s.arg(128 + row % 4000);
    case 6:
      return u"2016-11-%1 14:%2:07"_s.arg(1 + row % 28, 2, 10, QChar(u'0'))
          .arg(column % 60, 2, 10, QChar(u'0'));
    case 7:
      return u"Recorded at the harbour, take %1 of the evening session"_s.arg(row);
    default:
      return QString::number(row * 31 + column);
  }
}

void FillTable(ResultTableModel& table, int rows, int columns) {
  while (table.ColumnCount() < columns) {
    table.AppendColumn(u"File General - Property %1"_s.arg(table.ColumnCount() + 1));
  }
  for (int r = 1; r <= rows; ++r) {
    const int row =
        table.AddRow(u"/home/user/Videos/Holiday 2016/clip_%1.mp4"_s.arg(r, 5, 10, QChar(u'0')));
    for (int sub = 1; sub < columns; ++sub) table.SetSubItem(row, sub, Value(r, sub + 1));
  }
}

// The reference: the same cells straight into libxlsxwriter, row by row.
double WriteDirectly(const ResultTableModel& table, const QString& path) {
  QElapsedTimer timer;
  timer.start();
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  lxw_workbook* book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
  lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
  for (int r = 1; r <= table.RowCount(); ++r) {
    for (int c = 1; c <= table.ColumnCount(); ++c) {
      worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c - 1),
                             CellTextBytes(table.Cell(r, c)).constData(), nullptr);
    }
  }
  workbook_close(book);
  return timer.elapsed() / 1000.0;
}

int Run(int rows, int columns) {
  QTemporaryDir temp;
  NoLauncher launcher;
  SpreadsheetSearch search;
  // Any program will do: nothing is started.
  search.findOnPath = [](const QString& name) {
    return name == u"gnumeric"_s ? u"/bin/true"_s : QString();
  };
  XlsxSpreadsheet spreadsheet(launcher, search, temp.path());

  QtDialogs dialogs;
  NoSettings settings;
  SystemClock clock;
  FixedRandom random;
  Platform platform;
  platform.programFolder = temp.path();
  platform.dialogs = &dialogs;
  platform.settings = &settings;
  platform.clock = &clock;
  platform.random = &random;
  platform.launcher = &launcher;
  platform.spreadsheet = &spreadsheet;
  Form1 form(platform);
  FillTable(form.ResultTable(), rows, columns);

  ProcessTreeMemory memory;
  malloc_trim(0);
  const double table = ProcessTreeMemory::TreeMegabytes();
  memory.RestartPeak();
  QElapsedTimer timer;
  timer.start();
  form.PushButton9_Click();
  const double handler = timer.elapsed() / 1000.0;
  const double peakAbove = memory.PeakMegabytes() - table;
  if (launcher.file.isEmpty()) {
    std::fprintf(stderr, "spreadsheet_bench: no workbook was written\n");
    return 1;
  }
  const double reference = WriteDirectly(form.ResultTable(), temp.filePath(u"direct.xlsx"_s));

  std::printf("spreadsheet export, %d rows x %d columns (%d cells)\n", rows, columns,
              (rows + 1) * columns);
  std::printf("  button to written file:            %.2f s  (%.1f MB)\n", handler,
              QFileInfo(launcher.file).size() / 1e6);
  std::printf("  peak above the table:              %.0f MB (target 150 MB: %s)\n", peakAbove,
              peakAbove <= 150 ? "met" : "missed");
  std::printf("  reference, libxlsxwriter alone:    %.2f s\n", reference);
  return 0;
}

}  // namespace
}  // namespace vistarel

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int columns = argc > 2 ? std::atoi(argv[2]) : 90;
  return vistarel::Run(rows, columns);
}
