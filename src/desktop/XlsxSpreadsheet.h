#pragma once

#include <QDateTime>
#include <QDir>
#include <QString>

#include <optional>

#include "desktop/DesktopApplications.h"
#include "platform/Spreadsheet.h"

namespace vistarel {

class ILauncher;

// Where the spreadsheet program is looked for; tests put their own here.
struct SpreadsheetSearch {
  PathLookup findOnPath = SystemPathLookup();
  std::function<std::optional<DesktopApplication>(const QString& mimeType)> defaultApplication =
      DefaultApplicationFor;
};

// The spreadsheet program found: a program on PATH started with its arguments
// and then the files, or a desktop application started through its entry.
struct SpreadsheetProgram {
  QString name;
  QString program;  // an absolute path; empty for a desktop application
  QStringList arguments;
  QString desktopId;
};

// LibreOffice Calc (soffice, libreoffice or localc on PATH; the first two only
// where Calc is installed beside them), then Gnumeric, then the desktop's
// default application for .xlsx files. Nothing when none is installed.
std::optional<SpreadsheetProgram> FindSpreadsheetProgram(const SpreadsheetSearch& search);

// Removes the folders of earlier exports in `tempFolder` that are a day old
// and still hold nothing but their untouched, read-only workbooks. A folder in
// which the user saved or changed anything is left alone.
void RemoveStaleExportFolders(const QString& tempFolder, const QDateTime& now);

// The spreadsheet program of a Linux desktop, fed through an .xlsx file: each
// workbook is written as its rows come into a private folder (mode 0700) under
// `tempFolder`, completed when the workbooks are made visible and then opened
// in the program, started detached. LibreOffice opens them as new, untitled
// documents.
class XlsxSpreadsheet final : public ISpreadsheet {
 public:
  explicit XlsxSpreadsheet(ILauncher& launcher, SpreadsheetSearch search = {},
                           QString tempFolder = QDir::tempPath());

  std::unique_ptr<ISpreadsheetApplication> CreateApplication() override;

 private:
  ILauncher& launcher_;
  SpreadsheetSearch search_;
  QString tempFolder_;
};

}  // namespace vistarel
