#include "desktop/XlsxSpreadsheet.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <unistd.h>

#include <utility>
#include <vector>

#include "base/Failure.h"
#include "platform/Launcher.h"
#include "workbook/XlsxWorkbook.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kXlsxMimeType[] =
    u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
constexpr char16_t kFolderPrefix[] = u"vistarel-sheet-";
constexpr int kStaleAfterSeconds = 24 * 3600;

// soffice and libreoffice come with every LibreOffice program; the sheet
// component lives beside the real executable only where Calc is installed.
bool HasCalcBeside(const QString& program) {
  const QString real = QFileInfo(program).canonicalFilePath();
  return !real.isEmpty() && QFileInfo(QFileInfo(real).dir(), u"libsclo.so"_s).isFile();
}

QString WorkbookFileName(size_t index) {
  return index == 0 ? u"Results.xlsx"_s : u"Results %1.xlsx"_s.arg(index + 1);
}

// A new folder only we can enter.
QString MakePrivateFolder(const QString& tempFolder) {
  QTemporaryDir dir(tempFolder + u'/' + QString::fromUtf16(kFolderPrefix) + u"XXXXXX"_s);
  if (!dir.isValid()) {
    throw Failure(
        u"Cannot create a folder for the workbook in %1: %2"_s.arg(tempFolder, dir.errorString()));
  }
  dir.setAutoRemove(false);
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return dir.path();
}

bool IsUntouchedWorkbook(const QFileInfo& entry, const QDateTime& cutoff) {
  return entry.isFile() && !entry.isSymLink() && entry.fileName().startsWith(u"Results"_s) &&
         entry.suffix() == u"xlsx"_s && !(entry.permissions() & QFile::WriteOwner) &&
         entry.lastModified() < cutoff;
}

class XlsxApplication final : public ISpreadsheetApplication {
 public:
  XlsxApplication(ILauncher& launcher, SpreadsheetProgram program, QString tempFolder)
      : launcher_(launcher), program_(std::move(program)), tempFolder_(std::move(tempFolder)) {}

  // Workbooks never shown leave nothing behind: neither they nor their folder.
  ~XlsxApplication() override {
    workbooks_.clear();
    if (!folder_.isEmpty())
      QDir(folder_).removeRecursively();
  }

  // The workbook's file is begun at once in a private folder, which the
  // workbooks that are shown together share.
  ISpreadsheetWorkbook& AddWorkbook() override {
    if (folder_.isEmpty()) {
      RemoveStaleExportFolders(tempFolder_, QDateTime::currentDateTime());
      folder_ = MakePrivateFolder(tempFolder_);
    }
    const QString path = folder_ + u'/' + WorkbookFileName(workbooks_.size());
    workbooks_.push_back(std::make_unique<XlsxWorkbook>(path, folder_));
    return *workbooks_.back();
  }

  // Completes the workbooks not yet shown and hands them to the program; with
  // none, there is nothing to show.
  void SetVisible() override {
    if (shown_ == workbooks_.size())
      return;
    const QString folder = std::exchange(folder_, QString());
    const size_t first = std::exchange(shown_, workbooks_.size());
    try {
      QStringList files;
      for (size_t i = first; i < workbooks_.size(); ++i) {
        workbooks_[i]->Close();
        // Read-only, so that a program that opens it by name saves the user's
        // work elsewhere rather than in this temporary folder.
        QFile::setPermissions(workbooks_[i]->Path(), QFile::ReadOwner);
        files += workbooks_[i]->Path();
      }
      const bool started =
          program_.desktopId.isEmpty()
              ? launcher_.StartDetached(program_.program, program_.arguments + files)
              : launcher_.StartDesktopApplication(program_.desktopId, files);
      if (!started)
        throw Failure(u"Cannot start the spreadsheet program "_s + program_.name);
    } catch (...) {
      // A workbook not completed writes its rows to a scratch file already
      // unlinked, and leaves nothing when it goes with the application.
      QDir(folder).removeRecursively();
      throw;
    }
    // The folder stays: the program reads it after we return. A later export
    // removes it once it is old.
  }

 private:
  ILauncher& launcher_;
  SpreadsheetProgram program_;
  QString tempFolder_;
  std::vector<std::unique_ptr<XlsxWorkbook>> workbooks_;
  size_t shown_ = 0;
  QString folder_;  // of the workbooks not yet shown
};

}  // namespace

std::optional<SpreadsheetProgram> FindSpreadsheetProgram(const SpreadsheetSearch& search) {
  for (const QString& name : {u"soffice"_s, u"libreoffice"_s, u"localc"_s}) {
    const QString path = search.findOnPath(name);
    if (path.isEmpty() || (name != u"localc"_s && !HasCalcBeside(path)))
      continue;
    // -n opens the file as a template: a new, untitled workbook.
    return SpreadsheetProgram{u"LibreOffice Calc"_s, path, {u"-n"_s}, {}};
  }
  const QString gnumeric = search.findOnPath(u"gnumeric"_s);
  if (!gnumeric.isEmpty())
    return SpreadsheetProgram{u"Gnumeric"_s, gnumeric, {}, {}};
  const std::optional<DesktopApplication> application =
      search.defaultApplication(QString::fromUtf16(kXlsxMimeType));
  if (!application)
    return std::nullopt;
  return SpreadsheetProgram{application->name, {}, {}, application->id};
}

void RemoveStaleExportFolders(const QString& tempFolder, const QDateTime& now) {
  const QDateTime cutoff = now.addSecs(-kStaleAfterSeconds);
  const QFileInfoList folders =
      QDir(tempFolder)
          .entryInfoList({QString::fromUtf16(kFolderPrefix) + u'*'},
                         QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
  for (const QFileInfo& folder : folders) {
    if (folder.isSymLink() || folder.ownerId() != ::getuid() || folder.lastModified() >= cutoff) {
      continue;
    }
    const QFileInfoList entries =
        QDir(folder.filePath())
            .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    const bool untouched = std::all_of(entries.begin(), entries.end(), [&](const QFileInfo& e) {
      return IsUntouchedWorkbook(e, cutoff);
    });
    if (untouched)
      QDir(folder.filePath()).removeRecursively();
  }
}

XlsxSpreadsheet::XlsxSpreadsheet(ILauncher& launcher, SpreadsheetSearch search, QString tempFolder)
    : launcher_(launcher), search_(std::move(search)), tempFolder_(std::move(tempFolder)) {}

std::unique_ptr<ISpreadsheetApplication> XlsxSpreadsheet::CreateApplication() {
  std::optional<SpreadsheetProgram> program = FindSpreadsheetProgram(search_);
  if (!program) {
    throw Failure(
        u"No spreadsheet program is installed (LibreOffice Calc, Gnumeric or another program "
        u"that opens .xlsx files)."_s);
  }
  return std::make_unique<XlsxApplication>(launcher_, std::move(*program), tempFolder_);
}

}  // namespace vistarel
